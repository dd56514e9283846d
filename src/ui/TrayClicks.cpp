#include "ui/TrayClicks.h"

#include "core/NotifyIcon.h"

namespace ui {

TrayClicks::TrayClicks(const core::ControlValues& values, const core::CycleFlags& flags,
                       core::ConcealmentCycle& cycle, TrayClickTarget& target)
    : values_(values), flags_(flags), cycle_(cycle), target_(target) {}

void TrayClicks::Form_MouseMove(int eventNumber) {
    // While a dialog of the program is modal the main window is disabled and drops the events.
    if (target_.ModalDialogOpen()) return;
    switch (eventNumber) {
        case core::kIconLeftDown:
        case core::kIconRightDown:
            blnTrayArmed_ = true;
            break;
        case core::kIconLeftUp:
            ReleaseHold();
            blnTrayArmed_ = false;
            break;
        case core::kIconRightUp:
            OpenMainWindow();
            blnTrayArmed_ = false;
            break;
        default:
            break;
    }
}

void TrayClicks::OpenRequest() {
    if (target_.ModalDialogOpen()) return;
    blnTrayArmed_ = true;
    OpenMainWindow();
    blnTrayArmed_ = false;
}

void TrayClicks::ReleaseHold() {
    if (!blnTrayArmed_) return;
    if (flags_.blnTrigLatch && !PassLock()) return;
    cycle_.ReleaseLatch();
}

void TrayClicks::OpenMainWindow() {
    if (!blnTrayArmed_) return;
    if (!target_.MainWindowVisible() && !PassLock()) return;
    target_.OpenMainWindow();
}

bool TrayClicks::PassLock() {
    if (values_.chkLock != 1) return true;
    // At most one prompt: a click while it is open neither asks nor acts.
    if (target_.PromptOpen()) return false;
    return target_.CheckPassword();
}

}  // namespace ui
