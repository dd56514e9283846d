#pragma once

// How long a program's event loop goes without answering, measured from outside: a thread of its
// own, on a connection of its own, sends _NET_WM_PING to one of the program's windows, waits for the
// answer (Qt answers a ping from the program's event loop), and sends the next a millisecond later.
// The longest wait is the longest stall of the loop plus what the server adds; the server's own
// longest round trip over the same time is measured beside it.

#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace bench {

class EventLoopProbe {
public:
    // Starts pinging `window` at once.
    explicit EventLoopProbe(xcb_window_t window);
    ~EventLoopProbe();
    EventLoopProbe(const EventLoopProbe&) = delete;
    EventLoopProbe& operator=(const EventLoopProbe&) = delete;

    // Stops, and gives the longest wait for an answer (a ping still unanswered counts up to now);
    // negative when no X server answered.
    std::chrono::duration<double, std::milli> stop();
    // The longest round trip to the X server alone over the same time, measured between the pings:
    // the part of a wait that a busy server (a window manager mapping many windows) adds.
    std::chrono::duration<double, std::milli> longestServerRoundTrip() const {
        return std::chrono::duration<double, std::milli>(longestServerMs_);
    }

private:
    void run();

    xcb_window_t window_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> connected_{false};
    double longestMs_ = 0;  // written by the thread, read after it ended
    double longestServerMs_ = 0;
    std::thread thread_;
};

}  // namespace bench
