#pragma once

#include "core/ConcealmentCycle.h"
#include "core/ControlValues.h"
#include "core/CycleFlags.h"
#include "core/TrayIcon.h"

namespace app {

// What the tray icon's clicks act on: the main window and the password prompt. The program's
// version talks to Qt; tests use a fake.
class TrayClickTarget {
public:
    TrayClickTarget() = default;
    virtual ~TrayClickTarget() = default;
    TrayClickTarget(const TrayClickTarget&) = delete;
    TrayClickTarget& operator=(const TrayClickTarget&) = delete;

    // True while a modal dialog of the program is open: the main window takes no input then.
    virtual bool modalDialogOpen() = 0;
    virtual bool mainWindowVisible() = 0;
    // True while the password prompt is open.
    virtual bool promptOpen() = 0;
    // Shows the password prompt modally; true when the right password was entered.
    virtual bool checkPassword() = 0;
    // Brings the main window to the front and shows the indicators of the ticked corners.
    virtual void openMainWindow() = 0;
};

// The tray icon's mouse events (onTrayEvent): a left click releases a held concealment, a right
// click opens the main window, each through the password prompt when the lock is on. One flag
// serves both buttons: a press of either arms it, the next release of either consumes it, so the
// release that ends a double click finds it clear and does nothing.
class TrayClicks {
public:
    TrayClicks(const core::ControlValues& values, const core::CycleFlags& flags,
               core::ConcealmentCycle& cycle, TrayClickTarget& target);
    TrayClicks(const TrayClicks&) = delete;
    TrayClicks& operator=(const TrayClicks&) = delete;

    // One event of the icon; middle clicks and the second press of a double click change nothing.
    void onTrayEvent(core::TrayEvent event);

    // A request from outside (a second start of the program) to open the main window: the right
    // click's action, without the press that arms it.
    void openRequest();

    bool trayArmed() const { return trayArmed_; }

private:
    void releaseHold();
    void openMainWindow();
    // The lock's question before an action; false when the action must not go on.
    bool passLock();

    const core::ControlValues& values_;
    const core::CycleFlags& flags_;
    core::ConcealmentCycle& cycle_;
    TrayClickTarget& target_;
    bool trayArmed_ = false;
};

}  // namespace app
