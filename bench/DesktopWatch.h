#pragma once

// An outside observer of the desktop for the benchmark: a separate X client that moves the pointer
// and timestamps (steady clock, CLOCK_MONOTONIC) when other programs' windows leave or reach the
// screen, from the structure events that the X server reports.

#include <sys/types.h>
#include <xcb/xcb.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Processes.h"

namespace bench {

class DesktopWatch {
public:
    // nullptr when no X server answers on $DISPLAY.
    static std::unique_ptr<DesktopWatch> Connect();
    ~DesktopWatch();
    DesktopWatch(const DesktopWatch&) = delete;
    DesktopWatch& operator=(const DesktopWatch&) = delete;

    // Warps the pointer and returns once the server has moved it; the time is taken when the
    // request has been sent.
    Clock::time_point Warp(int x, int y);

    // Maps the windows again, as their own program would (the window manager manages them anew).
    void Map(const std::vector<xcb_window_t>& windows);

    // The window manager's clients (_NET_CLIENT_LIST) whose WM_CLASS class is `className` and that
    // are on the screen; waits until there are `count` of them. Empty on timeout.
    std::vector<xcb_window_t> WaitForClients(const std::string& className, std::size_t count,
                                             std::chrono::milliseconds timeout);
    // Waits until none of the windows exists any more.
    bool WaitForGone(const std::vector<xcb_window_t>& windows, std::chrono::milliseconds timeout);

    // Follows these client windows from now on (map state and the frame that holds them).
    void Track(const std::vector<xcb_window_t>& clients);

    // Times of one change of all tracked windows: the first client window that was unmapped (or
    // mapped), the last one, and when the last window had finished (frame included). complete is
    // false on timeout.
    struct Change {
        Clock::time_point first;
        Clock::time_point lastClient;
        Clock::time_point last;
        bool complete = false;
    };
    // Every tracked window off the screen: the client unmapped and its frame gone.
    Change WaitAllHidden(std::chrono::milliseconds timeout);
    // Every tracked window on the screen again: the client and its (new) frame mapped.
    Change WaitAllShown(std::chrono::milliseconds timeout);

    // The first moment a window of process `pid` is viewable inside trayer's panel.
    std::optional<Clock::time_point> WaitForTrayIcon(pid_t pid, std::chrono::milliseconds timeout);

private:
    struct Tracked {
        bool mapped = false;
        xcb_window_t top = XCB_NONE;  // its ancestor under the root; the window itself when unframed
        bool done = false;
    };
    enum class Goal { kHidden, kShown };

    explicit DesktopWatch(xcb_connection_t* c, xcb_window_t root);
    xcb_atom_t Atom(const char* name);
    std::string ClassOf(xcb_window_t window);
    std::uint32_t PidOf(xcb_window_t window);
    bool Viewable(xcb_window_t window);
    bool Exists(xcb_window_t window);
    xcb_window_t TopOf(xcb_window_t window);
    // The window's parent, its parent's parent ... up to (without) the root.
    std::vector<xcb_window_t> AncestorsOf(xcb_window_t window);
    void LearnTop(Tracked& tracked, xcb_window_t client, xcb_window_t parent);
    bool Reached(const Tracked& tracked, xcb_window_t client, Goal goal) const;
    Change WaitAll(Goal goal, std::chrono::milliseconds timeout);
    // The next event, or nullptr once the deadline has passed; `at` is when it was taken.
    xcb_generic_event_t* NextEvent(Clock::time_point deadline, Clock::time_point& at);
    void Apply(const xcb_generic_event_t* event, Clock::time_point at, Goal goal, Change& change);

    xcb_connection_t* c_;
    xcb_window_t root_;
    std::map<xcb_window_t, Tracked> tracked_;
    std::map<xcb_window_t, bool> topMapped_;
};

}  // namespace bench
