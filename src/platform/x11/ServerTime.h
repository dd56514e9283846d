#pragma once

#include <xcb/xcb.h>

#include <optional>

#include "platform/x11/X11Connection.h"

namespace core::x11 {

// The X server's clock, read the way ICCCM recommends: a zero-length append to a property of a
// window of our own, whose PropertyNotify carries the server's time. Window managers (metacity,
// marco, mutter) refuse focus requests stamped CurrentTime, so activation needs a real timestamp.
class ServerTime {
public:
    explicit ServerTime(X11Connection& x);
    ~ServerTime();
    ServerTime(const ServerTime&) = delete;
    ServerTime& operator=(const ServerTime&) = delete;

    // Asks for the server's time; the answer comes with the events read later.
    void ask();
    // The time of the last ask, once its answer has been read.
    std::optional<xcb_timestamp_t> answer() const { return seen_; }

private:
    void onEvent(const xcb_generic_event_t& event);

    X11Connection& x_;
    xcb_window_t window_ = XCB_NONE;  // unmapped, input-only, created on first use
    std::optional<xcb_timestamp_t> seen_;
};

}  // namespace core::x11
