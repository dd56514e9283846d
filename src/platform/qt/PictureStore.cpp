#include "platform/qt/PictureStore.h"
#include "platform/qt/BuiltInImage.h"

#include <QImage>
#include <QImageReader>
#include <QPixmap>

// The built-in pictures live in this static library's resources, which a program must register
// itself (their initialiser would otherwise be dropped by the linker). Outside any namespace, as
// Q_INIT_RESOURCE requires.
static void initTrayResources() {
    Q_INIT_RESOURCE(tray);
}

namespace qtplatform {

namespace {

QIcon builtIn(const QString& name) {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        icon.addPixmap(QPixmap::fromImage(
            qtplatform::builtInImage(QStringLiteral(":/tray/%1-%2.png").arg(name).arg(size), "png")));
    }
    return icon;
}

}  // namespace

PictureStore::PictureStore() {
    initTrayResources();
    icons_[kStandbyPicture] = builtIn(QStringLiteral("standby"));
    icons_[kConcealmentPicture] = builtIn(QStringLiteral("concealment"));
}

core::IconHandle PictureStore::loadFile(const QString& path) {
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

QIcon PictureStore::icon(core::IconHandle handle) const {
    const auto it = icons_.find(handle);
    return it == icons_.end() ? QIcon() : it->second;
}

void PictureStore::release(core::IconHandle handle) {
    if (handle == kStandbyPicture || handle == kConcealmentPicture) return;
    icons_.erase(handle);
}

}  // namespace qtplatform
