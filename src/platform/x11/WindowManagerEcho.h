#pragma once

#include <xcb/xcb.h>

#include <cstdint>

#include "platform/x11/X11Connection.h"

namespace core::x11 {

// A round trip through the window manager: it handles the requests sent to it in order, so once it
// answers a request sent after others, it has handled those too. The request is EWMH's
// _NET_REQUEST_FRAME_EXTENTS for an unmapped window of our own, which the window manager answers by
// setting the window's _NET_FRAME_EXTENTS. A window manager without it (kwin) never answers.
class WindowManagerEcho {
public:
    explicit WindowManagerEcho(X11Connection& x);
    ~WindowManagerEcho();
    WindowManagerEcho(const WindowManagerEcho&) = delete;
    WindowManagerEcho& operator=(const WindowManagerEcho&) = delete;

    // Sends a request; returns its number.
    std::uint64_t send();
    // Whether the answer to request `number` has been read (with the events).
    bool answered(std::uint64_t number) const { return answers_ >= number; }

private:
    void onEvent(const xcb_generic_event_t& event);

    X11Connection& x_;
    xcb_window_t window_ = XCB_NONE;  // unmapped, created on first use
    std::uint64_t sent_ = 0;
    std::uint64_t answers_ = 0;
};

}  // namespace core::x11
