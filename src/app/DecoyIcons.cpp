#include "app/DecoyIcons.h"

#include <QFileDialog>
#include <utility>

namespace app {

namespace {

core::IconHandle builtIn(int index) {
    return index == 0 ? qtplatform::PictureStore::kStandbyPicture
                      : qtplatform::PictureStore::kConcealmentPicture;
}

std::size_t slot(int index) {
    return static_cast<std::size_t>(index);
}

}  // namespace

std::optional<QString> QtIconFileChooser::chooseIconFile(const QString& title, const QString& filter) {
    const QString file = QFileDialog::getOpenFileName(owner_, title, QString(), filter);
    if (file.isEmpty()) return std::nullopt;
    return file;
}

DecoyIcons::DecoyIcons(core::ControlValues& values, qtplatform::PictureStore& pictures,
                       IconFileChooser& chooser, core::Prompter& prompter,
                       std::function<void(int, const QIcon&)> showPicture)
    : values_(values),
      pictures_(pictures),
      chooser_(chooser),
      prompter_(prompter),
      showPicture_(std::move(showPicture)) {}

QString DecoyIcons::dialogTitle(int index) {
    return QStringLiteral("騙しアイコン") +
           (index == 0 ? QStringLiteral("(隠蔽待機)") : QStringLiteral("(隠蔽中)"));
}

void DecoyIcons::loadStored(int index, const QString& path) {
    const core::IconHandle loaded = pictures_.loadFile(path);
    if (loaded == 0) {
        take(index, builtIn(index), QString());
    } else {
        take(index, loaded, path);
    }
}

void DecoyIcons::onLoadPictureClicked(int index) {
    const std::optional<QString> file = chooser_.chooseIconFile(dialogTitle(index), filter());
    if (!file) return;
    const core::IconHandle loaded = pictures_.loadFile(*file);
    if (loaded == 0) {
        prompter_.showMessage(QStringLiteral("アイコンファイルを正しく指定してください。"),
                              core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Warning},
                              QStringLiteral("ファイル指定エラー"));
        return;
    }
    take(index, loaded, *file);
}

void DecoyIcons::take(int index, core::IconHandle handle, const QString& path) {
    // The tray keeps its own copy of what it shows, so the former picture can go at once.
    const core::IconHandle former = values_.pictures[slot(index)];
    if (former != 0 && former != handle) pictures_.release(former);
    values_.pictures[slot(index)] = handle;
    values_.pictureFiles[slot(index)] = path;
    if (showPicture_) showPicture_(index, pictures_.icon(handle));
}

}  // namespace app
