#include "ui/tray/PictureStore.h"

#include <QImage>
#include <QImageReader>
#include <QPixmap>

#include "ui/FormLook.h"

// The built-in pictures live in this static library's resources, which a program must register
// itself (their initialiser would otherwise be dropped by the linker). Outside any namespace, as
// Q_INIT_RESOURCE requires.
static void InitTrayResources() {
    Q_INIT_RESOURCE(tray);
}

namespace ui {

namespace {

QIcon BuiltIn(const QString& name) {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        icon.addPixmap(
            QPixmap::fromImage(BuiltInImage(QStringLiteral(":/tray/%1-%2.png").arg(name).arg(size), "png")));
    }
    return icon;
}

}  // namespace

PictureStore::PictureStore() {
    InitTrayResources();
    icons_[kStandbyPicture] = BuiltIn(QStringLiteral("standby"));
    icons_[kConcealmentPicture] = BuiltIn(QStringLiteral("concealment"));
}

core::IconHandle PictureStore::LoadFile(const QString& path) {
    if (path.isEmpty()) return 0;
    QImageReader reader(path);
    QIcon icon;
    do {
        const QImage image = reader.read();
        if (image.isNull()) break;
        icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
    if (icon.isNull()) return 0;
    icons_[++lastHandle_] = icon;
    return lastHandle_;
}

QIcon PictureStore::Icon(core::IconHandle handle) const {
    const auto it = icons_.find(handle);
    return it == icons_.end() ? QIcon() : it->second;
}

void PictureStore::Release(core::IconHandle handle) {
    if (handle == kStandbyPicture || handle == kConcealmentPicture) return;
    icons_.erase(handle);
}

}  // namespace ui
