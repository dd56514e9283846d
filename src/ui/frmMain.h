#pragma once

#include <QCursor>
#include <QIcon>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

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
// sound and lock controls, the decoy icons, the target lists and the commands. The handlers keep
// ControlValues in step with the controls; the logic reads only ControlValues.
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

    // Handlers, as the controls raise them.
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

    // Controls that start-up, shut-down and the lock set or read.
    ToggleButton* chkMouse(int index) const { return chkMouse_.at(static_cast<std::size_t>(index)); }
    QSpinBox* udPixel() const { return udPixel_; }
    ValueCheckBox* chkShift() const { return chkShift_; }
    ValueCheckBox* chkScrollLock() const { return chkScrollLock_; }
    ValueCheckBox* chkTrigMouse() const { return chkTrigMouse_; }
    ValueCheckBox* chkTrigKey() const { return chkTrigKey_; }
    ValueCheckBox* chkIE() const { return chkIE_; }
    ValueCheckBox* chkMute() const { return chkMute_; }
    ValueCheckBox* chkMuteAuto() const { return chkMuteAuto_; }
    ValueCheckBox* chkLock() const { return chkLock_; }
    ValueCheckBox* chkRunup() const { return chkRunup_; }
    ToggleButton* chkList() const { return chkList_; }
    PickerBox* picTarget() const { return picTarget_; }
    QLineEdit* txthWnd() const { return txthWnd_; }
    QLineEdit* txtText() const { return txtText_; }
    ExtentListView* lstTarget() const { return lstTarget_; }
    ExtentListView* lstClasses() const { return lstClasses_; }
    QLabel* imgIcon(int index) const { return imgIcon_.at(static_cast<std::size_t>(index)); }
    frmCorner* CornerForms(int index) const { return CornerForms_.at(static_cast<std::size_t>(index)).get(); }

    QTimer& tmrActive() { return tmrActive_; }
    QTimer& tmrTarget() { return tmrTarget_; }
    picker::TargetPicker& Picker() { return *picker_; }
    picker::frmAddConfirm& AddConfirm() { return *addConfirm_; }

    // The drag pointer, hot spot at (15, 16).
    static QCursor ReticleCursor();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildPicker();
    void BuildTriggerPanel();
    void BuildSoundAndLock();
    void BuildIconsAndCommands();
    void BuildLists();
    // Widens the captioned boxes whose caption needs more room in our font. Measuring the captions
    // maps close to 2 MB of the fonts for good: done when the window is polished, just before it is
    // first shown, so that a program started hidden does not pay for it.
    void FitCaptions();
    void ConnectControls();
    void KeepValue(ValueCheckBox* box, int& value);
    void KeepEnabled(ValueCheckBox* box, bool& enabled);
    int IndicatorSize() const;

    // PickerView
    void SetTrackingTimer(bool enabled) override;
    void SetCycleTimer(bool enabled) override;
    void SetDragPointer(bool reticle) override;
    void ShowTrackedWindow(const QString& handleText, const QString& title) override;

    Parts parts_;

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
