#pragma once

#include <QIcon>
#include <QString>
#include <functional>
#include <optional>

#include "core/ControlValues.h"
#include "core/Prompter.h"
#include "platform/qt/PictureStore.h"

class QWidget;

namespace app {

// Asks the user for an icon file (the file-open dialog of "読").
class IconFileChooser {
public:
    IconFileChooser() = default;
    virtual ~IconFileChooser() = default;
    IconFileChooser(const IconFileChooser&) = delete;
    IconFileChooser& operator=(const IconFileChooser&) = delete;

    // The chosen file; empty when the user cancelled.
    virtual std::optional<QString> chooseIconFile(const QString& title, const QString& filter) = 0;
};

// The file-open dialog of Qt, modal over the owner.
class QtIconFileChooser final : public IconFileChooser {
public:
    explicit QtIconFileChooser(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }

    std::optional<QString> chooseIconFile(const QString& title, const QString& filter) override;

private:
    QWidget* owner_;
};

// The two decoy icons, standby (0) and concealment (1): the pictures that ControlValues::pictures
// names and the files in ControlValues::pictureFiles ("" for the built-in picture).
class DecoyIcons {
public:
    // showPicture puts a picture into the "騙しアイコン" frame.
    DecoyIcons(core::ControlValues& values, qtplatform::PictureStore& pictures, IconFileChooser& chooser,
               core::Prompter& prompter, std::function<void(int index, const QIcon& picture)> showPicture);
    DecoyIcons(const DecoyIcons&) = delete;
    DecoyIcons& operator=(const DecoyIcons&) = delete;

    // Start-up: the picture of the stored file, or the built-in one when the path is empty or the
    // file holds no picture that can be read; the path is emptied then, so the next shut-down
    // stores the built-in choice.
    void loadStored(int index, const QString& path);

    // "読" of row index: the file dialog, then the picture. Cancel changes nothing; a file that
    // holds no picture gives the message "アイコンファイルを正しく指定してください。" and changes
    // nothing. The tray keeps its picture until the next change of state.
    void onLoadPictureClicked(int index);

    static QString dialogTitle(int index);
    static QString filter() { return QStringLiteral("アイコン (*.ico)"); }

private:
    void take(int index, core::IconHandle handle, const QString& path);

    core::ControlValues& values_;
    qtplatform::PictureStore& pictures_;
    IconFileChooser& chooser_;
    core::Prompter& prompter_;
    std::function<void(int, const QIcon&)> showPicture_;
};

}  // namespace app
