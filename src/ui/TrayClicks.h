#pragma once

#include "core/ConcealmentCycle.h"
#include "core/ControlValues.h"
#include "core/CycleFlags.h"

namespace ui {

// What the tray icon's clicks act on: the main window and the password prompt. The program's
// version talks to Qt; tests use a fake.
class TrayClickTarget {
public:
    TrayClickTarget() = default;
    virtual ~TrayClickTarget() = default;
    TrayClickTarget(const TrayClickTarget&) = delete;
    TrayClickTarget& operator=(const TrayClickTarget&) = delete;

    // True while a modal dialog of the program is open: the main window takes no input then.
    virtual bool ModalDialogOpen() = 0;
    virtual bool MainWindowVisible() = 0;
    // True while the password prompt is open.
    virtual bool PromptOpen() = 0;
    // Shows the password prompt modally; true when the right password was entered.
    virtual bool CheckPassword() = 0;
    // Brings the main window to the front and shows the indicators of the ticked corners.
    virtual void OpenMainWindow() = 0;
};

// The tray icon's mouse events (Form_MouseMove): a left click releases a held concealment, a right
// click opens the main window, each through the password prompt when the lock is on. One flag
// serves both buttons: a press of either arms it, the next release of either consumes it, so the
// release that ends a double click finds it clear and does nothing.
class TrayClicks {
public:
    TrayClicks(const core::ControlValues& values, const core::CycleFlags& flags,
               core::ConcealmentCycle& cycle, TrayClickTarget& target);
    TrayClicks(const TrayClicks&) = delete;
    TrayClicks& operator=(const TrayClicks&) = delete;

    // One event number of the icon (513 left press, 514 left release, 516 right press, 517 right
    // release; any other number changes nothing).
    void Form_MouseMove(int eventNumber);

    // A request from outside (a second start of the program) to open the main window: the right
    // click's action, without the press that arms it.
    void OpenRequest();

    bool blnTrayArmed() const { return blnTrayArmed_; }

private:
    void ReleaseHold();
    void OpenMainWindow();
    // The lock's question before an action; false when the action must not go on.
    bool PassLock();

    const core::ControlValues& values_;
    const core::CycleFlags& flags_;
    core::ConcealmentCycle& cycle_;
    TrayClickTarget& target_;
    bool blnTrayArmed_ = false;
};

}  // namespace ui
