#include "ui/DecoyIcons.h"

#include <QFileDialog>
#include <utility>

namespace ui {

namespace {

core::IconHandle BuiltIn(int index) {
    return index == 0 ? PictureStore::kStandbyPicture : PictureStore::kConcealmentPicture;
}

std::size_t Slot(int index) {
    return static_cast<std::size_t>(index);
}

}  // namespace

std::optional<QString> QtIconFileChooser::ChooseIconFile(const QString& title, const QString& filter) {
    const QString file = QFileDialog::getOpenFileName(owner_, title, QString(), filter);
    if (file.isEmpty()) return std::nullopt;
    return file;
}

DecoyIcons::DecoyIcons(core::ControlValues& values, PictureStore& pictures, IconFileChooser& chooser,
                       core::Prompter& prompter, std::function<void(int, const QIcon&)> showPicture)
    : values_(values),
      pictures_(pictures),
      chooser_(chooser),
      prompter_(prompter),
      showPicture_(std::move(showPicture)) {}

QString DecoyIcons::DialogTitle(int index) {
    return QStringLiteral("騙しアイコン") +
           (index == 0 ? QStringLiteral("(隠蔽待機)") : QStringLiteral("(隠蔽中)"));
}

void DecoyIcons::LoadStored(int index, const QString& path) {
    const core::IconHandle loaded = pictures_.LoadFile(path);
    if (loaded == 0) {
        Take(index, BuiltIn(index), QString());
    } else {
        Take(index, loaded, path);
    }
}

void DecoyIcons::cmdLoad_Click(int index) {
    const std::optional<QString> file = chooser_.ChooseIconFile(DialogTitle(index), Filter());
    if (!file) return;
    const core::IconHandle loaded = pictures_.LoadFile(*file);
    if (loaded == 0) {
        prompter_.MsgBox(QStringLiteral("アイコンファイルを正しく指定してください。"), core::mb::kExclamation,
                         QStringLiteral("ファイル指定エラー"));
        return;
    }
    Take(index, loaded, *file);
}

void DecoyIcons::Take(int index, core::IconHandle handle, const QString& path) {
    // The tray keeps its own copy of what it shows, so the former picture can go at once.
    const core::IconHandle former = values_.imgIcon[Slot(index)];
    if (former != 0 && former != handle) pictures_.Release(former);
    values_.imgIcon[Slot(index)] = handle;
    values_.IconPath[Slot(index)] = path;
    if (showPicture_) showPicture_(index, pictures_.Icon(handle));
}

}  // namespace ui
