#pragma once

// An outside observer of the desktop for the benchmark: a separate X client that moves the pointer
// (through XTEST, as a device does) and timestamps (steady clock, CLOCK_MONOTONIC) when other programs'
// windows leave or reach the screen, from the structure events that the X server reports.

#include <sys/types.h>
#include <xcb/xcb.h>

#include <chrono>
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
    static std::unique_ptr<DesktopWatch> connect();
    ~DesktopWatch();
    DesktopWatch(const DesktopWatch&) = delete;
    DesktopWatch& operator=(const DesktopWatch&) = delete;

    // Moves the pointer through XTEST, as a pointer device does (the server sends motion events,
    // raw ones too; a warp sends no raw motion, so a program listening to it would not see a warp),
    // and returns once the pointer is there; the time is taken when the request has been sent.
    Clock::time_point movePointer(int x, int y);

    // Presses or releases the key of a keysym through XTEST, as a keyboard does; the time is taken
    // when the request has been sent. False when no key of the keymap gives the keysym.
    bool key(std::uint32_t keysym, bool press, Clock::time_point& sent);

    // Moves the pointer without pause for `length`, one XTEST motion every `step`, in a circle of
    // `radius` pixels around (x, y). Returns the number of moves sent.
    int circle(int x, int y, int radius, std::chrono::milliseconds step, std::chrono::milliseconds length);
    // Moves the pointer through XTEST to each point in turn, one every `step`, without waiting for it
    // to arrive. Returns when each motion was sent.
    std::vector<Clock::time_point> moveAlong(const std::vector<std::pair<int, int>>& points,
                                             std::chrono::milliseconds step);

    // Maps the windows again, as their own program would (the window manager manages them anew).
    void map(const std::vector<xcb_window_t>& windows);

    // The window manager's clients (_NET_CLIENT_LIST) whose WM_CLASS class is `className` and that
    // are on the screen; waits until there are `count` of them. Empty on timeout.
    std::vector<xcb_window_t> waitForClients(const std::string& className, std::size_t count,
                                             std::chrono::milliseconds timeout);
    // Waits until none of the windows exists any more.
    bool waitForGone(const std::vector<xcb_window_t>& windows, std::chrono::milliseconds timeout);

    // Follows these client windows from now on (map state and the frame that holds them).
    void track(const std::vector<xcb_window_t>& clients);

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
    Change waitAllHidden(std::chrono::milliseconds timeout);
    // Every tracked window on the screen again: the client and its (new) frame mapped.
    Change waitAllShown(std::chrono::milliseconds timeout);

    // The first moment a window of process `pid` is viewable inside trayer's panel.
    std::optional<Clock::time_point> waitForTrayIcon(pid_t pid, std::chrono::milliseconds timeout);
    // The icon window that the last waitForTrayIcon found; XCB_NONE when none.
    xcb_window_t trayIcon() const { return trayIcon_; }

private:
    struct Tracked {
        bool mapped = false;
        xcb_window_t top = XCB_NONE;  // its ancestor under the root; the window itself when unframed
        bool done = false;
    };
    enum class Goal { kHidden, kShown };

    explicit DesktopWatch(xcb_connection_t* c, xcb_window_t root);
    // One XTEST motion to (x, y), absolute.
    void fakeMotion(int x, int y);
    xcb_atom_t atom(const char* name);
    std::string classOf(xcb_window_t window);
    std::uint32_t pidOf(xcb_window_t window);
    bool viewable(xcb_window_t window);
    bool exists(xcb_window_t window);
    xcb_window_t topOf(xcb_window_t window);
    // The window's parent, its parent's parent ... up to (without) the root.
    std::vector<xcb_window_t> ancestorsOf(xcb_window_t window);
    void learnTop(Tracked& tracked, xcb_window_t client, xcb_window_t parent);
    bool reached(const Tracked& tracked, xcb_window_t client, Goal goal) const;
    Change waitAll(Goal goal, std::chrono::milliseconds timeout);
    // The next event, or nullptr once the deadline has passed; `at` is when it was taken.
    xcb_generic_event_t* nextEvent(Clock::time_point deadline, Clock::time_point& at);
    void apply(const xcb_generic_event_t* event, Clock::time_point at, Goal goal, Change& change);

    xcb_connection_t* c_;
    xcb_window_t root_;
    std::map<xcb_window_t, Tracked> tracked_;
    std::map<xcb_window_t, bool> topMapped_;
    xcb_window_t trayIcon_ = XCB_NONE;
};

}  // namespace bench
