#include "platform/x11/WindowManagerEcho.h"

#include <xcb/xcb_ewmh.h>

namespace core::x11 {

WindowManagerEcho::WindowManagerEcho(X11Connection& x) : x_(x) {
    x_.addEventHandler([this](const xcb_generic_event_t& event) { onEvent(event); });
}

WindowManagerEcho::~WindowManagerEcho() {
    if (window_ != XCB_NONE && !x_.lost()) {
        xcb_destroy_window(x_.xcb(), window_);
        x_.flush();
    }
}

void WindowManagerEcho::onEvent(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7f) != XCB_PROPERTY_NOTIFY) {
        return;
    }
    const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
    if (window_ != XCB_NONE && e.window == window_ && e.atom == x_.ewmh()->_NET_FRAME_EXTENTS &&
        e.state == XCB_PROPERTY_NEW_VALUE) {
        ++answers_;
    }
}

std::uint64_t WindowManagerEcho::send() {
    if (x_.lost()) {
        return ++sent_;
    }
    if (window_ == XCB_NONE) {
        // Input-output: a window manager estimates frames for windows that could be shown.
        window_ = xcb_generate_id(x_.xcb());
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(x_.xcb(), XCB_COPY_FROM_PARENT, window_, x_.root(), -1, -1, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    }
    xcb_ewmh_request_frame_extents(x_.ewmh(), x_.screenNumber(), window_);
    x_.flush();
    return ++sent_;
}

}  // namespace core::x11
