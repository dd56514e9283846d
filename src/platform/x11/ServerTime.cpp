#include "platform/x11/ServerTime.h"

namespace core::x11 {

ServerTime::ServerTime(X11Connection& x) : x_(x) {
    x_.addEventHandler([this](const xcb_generic_event_t& event) { onEvent(event); });
}

ServerTime::~ServerTime() {
    if (window_ != XCB_NONE && !x_.lost()) {
        xcb_destroy_window(x_.xcb(), window_);
        x_.flush();
    }
}

void ServerTime::onEvent(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7f) != XCB_PROPERTY_NOTIFY) {
        return;
    }
    const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
    if (window_ != XCB_NONE && e.window == window_) {
        seen_ = e.time;
    }
}

void ServerTime::ask() {
    if (x_.lost()) {
        return;
    }
    if (window_ == XCB_NONE) {
        window_ = xcb_generate_id(x_.xcb());
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(x_.xcb(), 0, window_, x_.root(), -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    }
    seen_.reset();
    xcb_change_property(x_.xcb(), XCB_PROP_MODE_APPEND, window_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0,
                        nullptr);
    x_.flush();
}

}  // namespace core::x11
