#pragma once

#include <QCursor>
#include <QIcon>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <utility>

#include "core/ControlValues.h"
#include "core/MuteSwitch.h"
#include "core/TargetRegistry.h"
#include "core/WindowServices.h"
#include "settings/PixelRange.h"
#include "ui/CornerIndicator.h"
#include "ui/MainControls.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace ui {

// Client width of the main window, collapsed and expanded. The widths of 3810 and 6840 twips
// include the fixed dialog border (3 pixels each side); the target lists begin at 3720 twips, just
// right of the collapsed client area.
inline constexpr int kCollapsedWidthTwips = 3720;
inline constexpr int kExpandedWidthTwips = 6750;
inline constexpr int kListsLeftTwips = 3720;
inline constexpr int kClientHeightTwips = 6150;

// The main window "Zelmora2nd.": the picker, the trigger panel with its corner indicators, the
// sound and lock controls, the decoy icons, the target lists and the commands. ControlValues hold
// what the controls show; the logic reads only ControlValues.
//
// The program usually runs with this window hidden, so the controls are made only when the window
// is first shown or polished, or when one of them is asked for (BuildControls): text boxes and
// captioned frames lay out text as soon as they exist, which maps fonts, FreeType and HarfBuzz, and
// the widgets' own code and data come on top. Until then the setters below act on ControlValues as
// a click on the control would; once the controls exist, they set the control and its handler
// follows.
//
// The window carries out only what concerns its own controls. The commands that reach further (the
// picker, the password, the about box, the decoy pictures, the shut-down) are signals for the
// program to act on; what the picker tracks comes back through showTrackedWindow and
// setDragPointer.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    struct Parts {
        core::ControlValues& values;
        core::WindowServices& services;
        core::TargetRegistry& registry;
        core::MuteSwitch& mute;
    };

    explicit MainWindow(const Parts& parts);
    ~MainWindow() override;

    // Makes the controls and shows ControlValues in them; nothing when they exist already.
    void buildControls();
    bool controlsBuilt() const { return built_; }

    // Set a control's value, made or not: its handler runs when the value changes, as for a click.
    void setPixels(int pixels);                                    // thicknessBox, clamped to its range
    void setZoneToggle(int index, int value);                      // zoneToggles(index), 0 or 1
    void setCheckValue(int core::ControlValues::*box, int value);  // a check box, 0, 1 or 2
    void setLockEnabled(bool enabled);                             // lockBox

    // Handlers, as the controls raise them. They read the values from ControlValues.
    void onZoneToggled(int index);
    void onThicknessChanged();
    void onShiftToggled();
    void onScrollLockToggled();
    void onListToggled();
    void onMuteToggled();
    void onReverseMuteClicked();
    void onHideClicked();

    // The tray's right click shows the window and the indicators of the ticked corners.
    void showTickedIndicators();
    void hideIndicators();
    // The standby (0) or concealment (1) picture in the "騙しアイコン" frame.
    void setIconPicture(int index, const QIcon& picture);

    // The controls, made on first use.
    ToggleButton* zoneToggle(int index) { return built(zoneToggles_).at(static_cast<std::size_t>(index)); }
    QSpinBox* thicknessBox() { return built(thicknessBox_); }
    ValueCheckBox* shiftBox() { return built(shiftBox_); }
    ValueCheckBox* scrollLockBox() { return built(scrollLockBox_); }
    ValueCheckBox* holdMouseBox() { return built(holdMouseBox_); }
    ValueCheckBox* holdKeyBox() { return built(holdKeyBox_); }
    ValueCheckBox* discoverBox() { return built(discoverBox_); }
    ValueCheckBox* muteBox() { return built(muteBox_); }
    ValueCheckBox* muteRestoreBox() { return built(muteRestoreBox_); }
    ValueCheckBox* lockBox() { return built(lockBox_); }
    ValueCheckBox* showAtStartBox() { return built(showAtStartBox_); }
    ToggleButton* listToggle() { return built(listToggle_); }
    PickerBox* pickerBox() { return built(pickerBox_); }
    QLineEdit* handleText() { return built(handleText_); }
    QLineEdit* titleText() { return built(titleText_); }
    ExtentListView* targetList() { return built(targetList_); }
    ExtentListView* classList() { return built(classList_); }
    QLabel* pictureLabel(int index) { return built(pictureLabels_).at(static_cast<std::size_t>(index)); }
    CornerIndicator* cornerIndicator(int index) const {
        return cornerIndicators_.at(static_cast<std::size_t>(index)).get();
    }

    // The drag pointer, hot spot at (15, 16).
    static QCursor reticleCursor();

    // The reticle as the pointer, held by a grab of the pointer; or the default pointer back.
    // Only while the controls exist (a drag starts on one of them).
    void setDragPointer(bool reticle);
    // handleText and titleText: the window under the pointer during a drag.
    void showTrackedWindow(const QString& handle, const QString& title);

    void setVisible(bool visible) override;

signals:
    // The controls have just been made (buildControls), all of them.
    void controlsMade();
    // A press of any button on the reticle, and the release that ends it.
    void pickerPressed();
    void pickerReleased();
    void passwordClicked();              // "パスワード"
    void aboutClicked();                 // "読む"
    void exitClicked();                  // "終了": shut-down
    void loadPictureClicked(int index);  // "読" of row 0 (standby) or 1 (concealment)
    // A control that the concealment cycle reads has changed (a zone, the thickness, a check box).
    void triggersChanged();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    template <typename Control>
    Control& built(Control& control) {
        buildControls();
        return control;
    }

    void buildPicker();
    void buildTriggerPanel();
    void buildSoundAndLock();
    void buildIconsAndCommands();
    void buildLists();
    // Widens the captioned boxes whose caption needs more room in our font. Measuring the captions
    // maps close to 2 MB of the fonts for good: done when the window is polished, just before it is
    // first shown, so that a program started hidden does not pay for it.
    void fitCaptions();
    // The check boxes and the values they show.
    std::array<std::pair<ValueCheckBox*, int core::ControlValues::*>, 9> checkBoxes() const;
    void showValues();
    void connectControls();
    void keepEnabled(ValueCheckBox* box, bool& enabled);
    void checkBoxClicked(int core::ControlValues::*box);
    int indicatorSize() const;

    Parts parts_;
    bool built_ = false;
    // Shown in the controls once they exist.
    std::array<QIcon, 2> iconPictures_;
    std::int32_t targetExtent_ = 0;

    QGroupBox* pickerFrame_ = nullptr;
    PickerBox* pickerBox_ = nullptr;
    QLineEdit* handleText_ = nullptr;
    QLineEdit* titleText_ = nullptr;

    std::array<ToggleButton*, 8> zoneToggles_{};
    QSpinBox* thicknessBox_ = nullptr;
    ValueCheckBox* discoverBox_ = nullptr;
    ValueCheckBox* shiftBox_ = nullptr;
    ValueCheckBox* scrollLockBox_ = nullptr;
    ValueCheckBox* holdMouseBox_ = nullptr;
    ValueCheckBox* holdKeyBox_ = nullptr;
    ToggleButton* listToggle_ = nullptr;

    ValueCheckBox* muteBox_ = nullptr;
    ValueCheckBox* muteRestoreBox_ = nullptr;
    ValueCheckBox* lockBox_ = nullptr;
    ValueCheckBox* showAtStartBox_ = nullptr;

    std::array<QLabel*, 2> pictureLabels_{};

    QLabel* targetListLabel_ = nullptr;
    QLabel* classListLabel_ = nullptr;
    ExtentListView* targetList_ = nullptr;
    ExtentListView* classList_ = nullptr;

    std::array<std::unique_ptr<CornerIndicator>, 4> cornerIndicators_;
};

}  // namespace ui
