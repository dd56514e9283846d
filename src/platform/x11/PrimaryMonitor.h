#pragma once

#include <xcb/randr.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

#include "platform/x11/X11Connection.h"

namespace core::x11 {

struct MonitorRect {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
};

// The RandR primary monitor, or the whole root window where no monitor is marked primary.
//
// Output and CRTC changes arrive as RandR events and make the next question read the monitors
// again. Monitors set up with RandR 1.5 requests (xrandr --setmonitor) change without an event, so
// the monitors are also read again once a second, in the same round trip as the pointer.
class PrimaryMonitor {
public:
    static constexpr std::chrono::seconds kRecheck{1};

    explicit PrimaryMonitor(X11Connection& x);
    PrimaryMonitor(const PrimaryMonitor&) = delete;
    PrimaryMonitor& operator=(const PrimaryMonitor&) = delete;

    // Pending events must have been drained first, so that a change is seen. One round trip after
    // a RandR event, none otherwise.
    MonitorRect rect();

    // A read of the monitors sent ahead of another request and finished after its reply, so that it
    // costs no wait of its own. Empty when no read is due.
    struct Read {
        xcb_randr_get_monitors_cookie_t monitors{};
        xcb_get_geometry_cookie_t root{};
    };
    std::optional<Read> startReadIfDue();
    void finishRead(const Read& read);

    // Runs, from inside the event dispatch, when RandR reports a change of the screen, a CRTC or an
    // output: the monitor may have moved or changed size.
    void setChangedHandler(std::function<void()> handler) { changedHandler_ = std::move(handler); }

private:
    void onEvent(const xcb_generic_event_t& event);
    Read startRead();

    X11Connection& x_;
    bool monitorsKnown_ = false;  // RandR 1.5 monitors are available
    bool dirty_ = true;
    X11Connection::Clock::time_point lastRead_{};
    MonitorRect rect_;
    std::function<void()> changedHandler_;
};

}  // namespace core::x11
