#pragma once

#include <QCursor>
#include <QIcon>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

#include "audio/mMixer.h"
#include "core/ControlValues.h"
#include "core/NotifyIcon.h"
#include "core/Prompter.h"
#include "core/TargetRegistry.h"
#include "core/WindowServices.h"
#include "picker/TargetPicker.h"
#include "settings/PixelRange.h"
#include "ui/MainControls.h"
#include "ui/frmCorner.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace picker {
class frmAddConfirm;
}

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
class frmMain : public QWidget, private picker::PickerView {
    Q_OBJECT

public:
    struct Parts {
        core::ControlValues& values;
        core::WindowServices& services;
        core::TargetRegistry& registry;
        core::Prompter& prompter;
        core::NotifyIcon& notifyIcon;
        core::TrayIconData& trayIconData;
        audio::mMixer& mixer;
    };

    // Commands carried out elsewhere. An empty hook does nothing.
    struct Hooks {
        std::function<void()> tmrActive_Timer;         // the concealment cycle's tick
        std::function<void()> cmdPass_Click;           // "パスワード"
        std::function<void()> cmdAbout_Click;          // "読む"
        std::function<void()> cmdExit_Click;           // "終了": shut-down
        std::function<void(int index)> cmdLoad_Click;  // "読" of row 0 (standby) or 1 (concealment)
    };

    explicit frmMain(const Parts& parts);
    ~frmMain() override;

    Hooks hooks;

    // Makes the controls and shows ControlValues in them; nothing when they exist already.
    void BuildControls();
    bool ControlsBuilt() const { return built_; }

    // Set a control's value, made or not: its handler runs when the value changes, as for a click.
    void SetPixels(int pixels);                                    // udPixel, clamped to its range
    void SetZoneToggle(int index, int value);                      // chkMouse(index), 0 or 1
    void SetCheckValue(int core::ControlValues::*box, int value);  // a check box, 0, 1 or 2
    void SetLockEnabled(bool enabled);                             // chkLock

    // Handlers, as the controls raise them. They read the values from ControlValues.
    void chkMouse_Click(int index);
    void udPixel_Change();
    void chkShift_Click();
    void chkScrollLock_Click();
    void chkList_Click();
    void chkMute_Click();
    void cmdReverseMute_Click();
    void cmdHide_Click();

    // The tray's right click shows the window and the indicators of the ticked corners.
    void ShowTickedIndicators();
    void HideIndicators();
    // The standby (0) or concealment (1) picture in the "騙しアイコン" frame.
    void SetIconPicture(int index, const QIcon& picture);

    // The controls, made on first use.
    ToggleButton* chkMouse(int index) { return Built(chkMouse_).at(static_cast<std::size_t>(index)); }
    QSpinBox* udPixel() { return Built(udPixel_); }
    ValueCheckBox* chkShift() { return Built(chkShift_); }
    ValueCheckBox* chkScrollLock() { return Built(chkScrollLock_); }
    ValueCheckBox* chkTrigMouse() { return Built(chkTrigMouse_); }
    ValueCheckBox* chkTrigKey() { return Built(chkTrigKey_); }
    ValueCheckBox* chkIE() { return Built(chkIE_); }
    ValueCheckBox* chkMute() { return Built(chkMute_); }
    ValueCheckBox* chkMuteAuto() { return Built(chkMuteAuto_); }
    ValueCheckBox* chkLock() { return Built(chkLock_); }
    ValueCheckBox* chkRunup() { return Built(chkRunup_); }
    ToggleButton* chkList() { return Built(chkList_); }
    PickerBox* picTarget() { return Built(picTarget_); }
    QLineEdit* txthWnd() { return Built(txthWnd_); }
    QLineEdit* txtText() { return Built(txtText_); }
    ExtentListView* lstTarget() { return Built(lstTarget_); }
    ExtentListView* lstClasses() { return Built(lstClasses_); }
    QLabel* imgIcon(int index) { return Built(imgIcon_).at(static_cast<std::size_t>(index)); }
    frmCorner* CornerForms(int index) const { return CornerForms_.at(static_cast<std::size_t>(index)).get(); }

    QTimer& tmrActive() { return tmrActive_; }
    QTimer& tmrTarget() { return tmrTarget_; }
    picker::TargetPicker& Picker() { return *Built(picker_); }
    picker::frmAddConfirm& AddConfirm() { return *Built(addConfirm_); }

    // The drag pointer, hot spot at (15, 16).
    static QCursor ReticleCursor();

    void setVisible(bool visible) override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    template <typename Control>
    Control& Built(Control& control) {
        BuildControls();
        return control;
    }

    void BuildPicker();
    void BuildTriggerPanel();
    void BuildSoundAndLock();
    void BuildIconsAndCommands();
    void BuildLists();
    // Widens the captioned boxes whose caption needs more room in our font. Measuring the captions
    // maps close to 2 MB of the fonts for good: done when the window is polished, just before it is
    // first shown, so that a program started hidden does not pay for it.
    void FitCaptions();
    // The check boxes and the values they show.
    std::array<std::pair<ValueCheckBox*, int core::ControlValues::*>, 9> CheckBoxes() const;
    void ShowValues();
    void ConnectControls();
    void KeepEnabled(ValueCheckBox* box, bool& enabled);
    void CheckBoxClicked(int core::ControlValues::*box);
    int IndicatorSize() const;

    // PickerView
    void SetTrackingTimer(bool enabled) override;
    void SetCycleTimer(bool enabled) override;
    void SetDragPointer(bool reticle) override;
    void ShowTrackedWindow(const QString& handleText, const QString& title) override;

    Parts parts_;
    bool built_ = false;
    // Shown in the controls once they exist.
    std::array<QIcon, 2> iconPictures_;
    std::int32_t targetExtent_ = 0;

    QGroupBox* fraTarget_ = nullptr;
    PickerBox* picTarget_ = nullptr;
    QLineEdit* txthWnd_ = nullptr;
    QLineEdit* txtText_ = nullptr;

    std::array<ToggleButton*, 8> chkMouse_{};
    QSpinBox* udPixel_ = nullptr;
    ValueCheckBox* chkIE_ = nullptr;
    ValueCheckBox* chkShift_ = nullptr;
    ValueCheckBox* chkScrollLock_ = nullptr;
    ValueCheckBox* chkTrigMouse_ = nullptr;
    ValueCheckBox* chkTrigKey_ = nullptr;
    ToggleButton* chkList_ = nullptr;

    ValueCheckBox* chkMute_ = nullptr;
    ValueCheckBox* chkMuteAuto_ = nullptr;
    ValueCheckBox* chkLock_ = nullptr;
    ValueCheckBox* chkRunup_ = nullptr;

    std::array<QLabel*, 2> imgIcon_{};

    QLabel* lblTarget_ = nullptr;
    QLabel* lblClasses_ = nullptr;
    ExtentListView* lstTarget_ = nullptr;
    ExtentListView* lstClasses_ = nullptr;

    QTimer tmrActive_;
    QTimer tmrTarget_;

    std::array<std::unique_ptr<frmCorner>, 4> CornerForms_;
    picker::frmAddConfirm* addConfirm_ = nullptr;
    std::unique_ptr<picker::TargetPicker> picker_;
};

}  // namespace ui
