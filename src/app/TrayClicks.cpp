#include "app/TrayClicks.h"

#include "core/TrayIcon.h"

namespace app {

TrayClicks::TrayClicks(const core::ControlValues& values, const core::CycleFlags& flags,
                       core::ConcealmentCycle& cycle, TrayClickTarget& target)
    : values_(values), flags_(flags), cycle_(cycle), target_(target) {}

void TrayClicks::onTrayEvent(core::TrayEvent event) {
    // While a dialog of the program is modal the main window is disabled and drops the events.
    if (target_.modalDialogOpen()) return;
    switch (event) {
        case core::TrayEvent::LeftPress:
        case core::TrayEvent::RightPress:
            trayArmed_ = true;
            break;
        case core::TrayEvent::LeftRelease:
            releaseHold();
            trayArmed_ = false;
            break;
        case core::TrayEvent::RightRelease:
            openMainWindow();
            trayArmed_ = false;
            break;
        default:
            break;
    }
}

void TrayClicks::openRequest() {
    if (target_.modalDialogOpen()) return;
    trayArmed_ = true;
    openMainWindow();
    trayArmed_ = false;
}

void TrayClicks::releaseHold() {
    if (!trayArmed_) return;
    if (flags_.held && !passLock()) return;
    cycle_.releaseLatch();
}

void TrayClicks::openMainWindow() {
    if (!trayArmed_) return;
    if (!target_.mainWindowVisible() && !passLock()) return;
    target_.openMainWindow();
}

bool TrayClicks::passLock() {
    if (values_.lockBox != 1) return true;
    // At most one prompt: a click while it is open neither asks nor acts.
    if (target_.promptOpen()) return false;
    return target_.checkPassword();
}

}  // namespace app
