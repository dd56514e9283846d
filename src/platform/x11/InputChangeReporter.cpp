#include "platform/x11/InputChangeReporter.h"

#include <xcb/xinput.h>
// xkb.h names a struct member "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace core::x11 {

namespace {

constexpr std::uint16_t kShiftState = XCB_XKB_STATE_PART_LOOKUP_MODS;

}  // namespace

InputChangeReporter::InputChangeReporter(X11Connection& x, bool wanted) : x_(x) {
    const Extensions& ext = x_.extensions();
    active_ = wanted && ext.xkb && ext.xinput && ext.xinputMinor >= 1;
    if (!active_) {
        return;
    }
    x_.selectRootXiEvents(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION);
    // Only the state notifications are touched: the other XKB selections stay as they are.
    xcb_xkb_select_events_details_t details{};
    details.affectState = kShiftState;
    details.stateDetails = kShiftState;
    xcb_xkb_select_events_aux(x_.xcb(), XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_EVENT_TYPE_STATE_NOTIFY, 0, 0, 0, 0,
                              &details);
    x_.addEventHandler([this](const xcb_generic_event_t& event) { onEvent(event); });
}

void InputChangeReporter::setMotionReported(bool reported) {
    if (!active_ || motionReported_ == reported) {
        return;
    }
    motionReported_ = reported;
    if (reported) {
        x_.selectRootXiEvents(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION);
    } else {
        x_.deselectRootXiEvents(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION);
    }
    x_.flush();
}

void InputChangeReporter::report() {
    if (active_ && handler_) {
        handler_();
    }
}

void InputChangeReporter::onEvent(const xcb_generic_event_t& event) {
    const int type = event.response_type & 0x7f;
    if (type == XCB_GE_GENERIC) {
        const auto& raw = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
        if (raw.extension == x_.extensions().xinputOpcode && raw.event_type == XCB_INPUT_RAW_MOTION &&
            motionReported_) {
            report();
        }
    } else if (type == x_.extensions().xkbFirstEvent) {
        const auto& state = reinterpret_cast<const xcb_xkb_state_notify_event_t&>(event);
        if (state.xkbType != XCB_XKB_STATE_NOTIFY) {
            return;
        }
        const bool down = (state.lookupMods & XCB_MOD_MASK_SHIFT) != 0;
        if (shiftDown_ != down) {
            shiftDown_ = down;
            report();
        }
    }
}

}  // namespace core::x11
