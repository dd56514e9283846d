#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <span>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/WindowServices.h"
#include "platform/x11/CarriedStates.h"
#include "platform/x11/PrimaryMonitor.h"
#include "platform/x11/ServerTime.h"
#include "platform/x11/WindowFacts.h"
#include "platform/x11/WindowManagerEcho.h"
#include "platform/x11/X11Connection.h"

namespace core::x11 {

// Reading, withdrawing and restoring window placements under an EWMH window manager (or none).
//
// Hiding is the ICCCM withdraw, after the window joined our save-set, so that the server maps it
// again if this process dies. A reparenting window manager then lets the window go and forgets its
// position, state and desktop, so restoring maps it, waits until it is managed again and hands
// everything back: the frame position and client size, then the maximised state, then iconic state
// and the desktop. Many windows are mapped together and waited for together.
//
// Restoring never waits inside a call: apply() sends what can be sent at once and returns; the rest
// of each restore (see Job in PlacementRestore.cpp) moves on in advance(), which the owner calls
// after the events were read and when nextDeadline() has come (each wait for the window manager
// ends after kWindowManagerTimeout). A window on its way back (also one that the window manager
// did not take in time) reads as the placement it is being given; hiding it again takes it out of
// its restore, and a window mapped already is withdrawn once more, again when the window manager
// turns out to have shown it after that.
//
// The window manager also forgets the rest of _NET_WM_STATE (see CarriedStates): we keep it from
// the moment of hiding and set it on the withdrawn window before mapping it again. The window that
// had the focus gets it back once it is viewable, with a server timestamp (see ServerTime).
//
// EWMH does not publish the normal rectangle of a maximised or fullscreen window: GetWindowPlacement
// reports the maximised one. Restoring such a window therefore never applies the placement's
// rectangle; it keeps the window's own rectangle as the window manager left it when it let the
// withdrawn window go, moves it there and then asks for the state, so that un-maximising returns
// to it. That rectangle is the normal one because hiding asks the window manager to end those
// states just before the withdraw (openbox, icewm and i3 put the normal one back anyway; the
// others would let it go at its maximised size).
//
// Restored windows are mapped bottom first in their old order (_NET_CLIENT_LIST_STACKING when they
// were hidden) and raised once more in that order after the activation.
//
// Some window managers (xfwm4) ignore the withdraw of a shaded window. Hiding waits for the
// window manager to let a shaded window go; if it does not, the window is unshaded and withdrawn
// again (and shaded again when it comes back).
class Placements {
public:
    Placements(X11Connection& x, PrimaryMonitor& monitor);
    Placements(const Placements&) = delete;
    Placements& operator=(const Placements&) = delete;

    bool get(xcb_window_t window, WindowPlacement& placement);
    // The placement of each window, with every request sent before the first reply is read: one
    // round trip however many windows. Empty for XCB_NONE and for windows that are gone.
    std::vector<std::optional<WindowPlacement>> get(std::span<const xcb_window_t> windows);
    // Applies each placement in order; returns, per entry, whether its window existed.
    std::vector<bool> apply(const std::vector<std::pair<WindowHandle, WindowPlacement>>& batch);

    // Windows that we withdrew and have not shown again, and that still exist.
    bool withdrawnByUs(xcb_window_t window) const { return withdrawn_.contains(window); }

    // Some window asked back is still waiting for the window manager.
    bool restoring() const { return !jobs_.empty(); }
    // Moves every restore on as far as the events read so far allow, and past waits whose deadline
    // has come.
    void advance();
    // When advance() is due next even without events; empty when nothing waits.
    std::optional<X11Connection::Clock::time_point> nextDeadline() const;
    // Waits here until every restore has ended (each wait at most kWindowManagerTimeout).
    void finishRestores();
    // The same windows, in the order they were hidden.
    std::vector<xcb_window_t> withdrawnInHidingOrder() const;

    static constexpr std::chrono::milliseconds kWindowManagerTimeout{500};
    // How long a window hidden again on its way back is withdrawn once more if the window manager
    // shows it: the window manager may still hold its map request that long (a hung one longer).
    static constexpr std::chrono::seconds kRehidingWatch{5};
    static constexpr std::chrono::milliseconds kOrderWatch{150};
    static constexpr int kOrderRetries = 2;

private:
    struct Withdrawn {
        bool released = false;     // the window manager has let it go
        std::uint64_t serial = 0;  // order of hiding
        std::size_t stackIndex = 0;
        bool wasActive = false;
        std::optional<std::uint32_t> desktop;
        CarriedStates states;
    };
    // One window on its way back.
    struct Restore {
        enum class Path { kSubwindow, kUnmanaged, kManaged, kMap };

        xcb_window_t window = XCB_NONE;
        WindowPlacement placement;
        WindowFacts facts;
        std::optional<Withdrawn> record;  // when we withdrew it
        Path path = Path::kMap;
        bool toMaximized = false;
        CarriedStates states;       // what the window manager forgot when it let the window go
        bool ownRectKnown = false;  // a withdrawn window going back maximised keeps its own rectangle
        std::int32_t ownX = 0, ownY = 0, ownWidth = 0, ownHeight = 0;
        bool mapped = false;  // its map has been sent
    };

    // The windows of one apply() that the window manager takes back, step by step. Each step waits for
    // the window manager to answer for every window in `pending`, or for the deadline:
    //   kRelease  windows withdrawn a moment ago are let go by the window manager (a map sent before
    //             would reach it as a request about a window it is still releasing);
    //   kManage   the windows are mapped, bottom first; they are managed again;
    //   kShow     their rectangle, states and desktop were handed back; the window that had the focus
    //             is viewable (metacity, marco and mutter refuse to focus a window not yet shown),
    //             and those going back maximised or fullscreen are so (mutter raises them then);
    //   kTime     a server timestamp for its activation has come (they refuse CurrentTime);
    // then the window is activated and the windows are raised in their old order;
    //   kOrder    the window manager has handled the raises (it answers a request sent after
    //             them, WindowManagerEcho) and then had kOrderWatch to change the order on its own
    //             (mutter and marco move a window that they maximised a moment ago above the others
    //             again): if it did, the windows are raised once more (at most kOrderRetries
    //             times). A window manager that does not answer is not watched.
    struct Job {
        enum class Step { kRelease, kManage, kShow, kTime, kOrder };

        Step step = Step::kRelease;
        X11Connection::Clock::time_point deadline;
        // The step has just begun: every pending window is read, not only those with news.
        bool lookAtAll = true;
        std::vector<Restore> restores;
        std::vector<xcb_window_t> pending;
        xcb_window_t activating = XCB_NONE;
        std::vector<xcb_window_t> watched;            // listened to again after finish()
        std::optional<std::uint32_t> currentDesktop;  // read when the withdrawn windows are mapped
        int orderRetries = 0;
        std::uint64_t echo = 0;      // the request answered once the raises are handled
        bool raisesHandled = false;  // its answer has come

        void begin(Step next) {
            step = next;
            deadline = X11Connection::Clock::now() + kWindowManagerTimeout;
            lookAtAll = true;
        }
    };

    using Batch = std::vector<std::pair<WindowHandle, WindowPlacement>>;

    void onEvent(const xcb_generic_event_t& event);
    WindowPlacement placementOf(xcb_window_t window, const WindowFacts& facts);
    std::vector<bool> hide(const std::vector<xcb_window_t>& windows);
    void concealShaded(const std::vector<xcb_window_t>& windows);
    void presetBeforeMap(const Restore& r, std::optional<std::uint32_t> currentDesktop);
    std::vector<bool> restore(const Batch& batch, const std::vector<std::size_t>& entries);
    void restoreDirectly(const Restore& r);
    void adjustManaged(const Restore& r);
    bool advance(Job& job);
    void mapTogether(Job& job);
    void finish(const Restore& r);
    const Restore* toActivate(const Job& job) const;
    void activate(xcb_window_t window, xcb_timestamp_t time);
    // Raises the windows of the job in their old order; false when there is no order to keep.
    bool restack(const Job& job);
    bool putInOrder(Job& job);
    // Whether the shown windows of the job lie in their old order.
    bool inOrder(const Job& job);
    void stopWatching(Job& job);
    // Takes the window out of the restore it is in, if any.
    bool takeOutOfRestore(xcb_window_t window, Restore& taken);
    const Restore* inRestore(xcb_window_t window) const;
    void rewithdrawLate();
    // Waits until done(facts) holds for every window, or the deadline passes; windows that vanish
    // drop out. The facts read are the given parts.
    // Returns the windows still pending.
    using Done = std::function<bool(xcb_window_t, const WindowFacts&)>;
    std::vector<xcb_window_t> waitFor(std::vector<xcb_window_t> windows, unsigned parts, const Done& done);
    bool released(xcb_window_t window, const WindowFacts& f);
    void settle(Job& job, unsigned parts, const Done& done);
    void forget(xcb_window_t window);

    X11Connection& x_;
    PrimaryMonitor& monitor_;
    ServerTime serverTime_;
    WindowManagerEcho echo_;
    std::unordered_map<xcb_window_t, Withdrawn> withdrawn_;
    std::unordered_set<xcb_window_t> touched_;  // windows with news since the last look
    std::uint64_t nextSerial_ = 1;
    std::list<Job> jobs_;
    // Windows hidden again while their map was on its way to the window manager, until when: if the
    // window manager shows one after all, it is withdrawn once more (rewithdrawLate).
    std::unordered_map<xcb_window_t, X11Connection::Clock::time_point> rehiding_;
    std::unordered_set<xcb_window_t> shownWhileRehiding_;
    // Windows whose restore went on without the window manager taking them (it did not answer in
    // time), until it shows them or kRehidingWatch has passed: on their way back all the same.
    struct Unanswered {
        Restore restore;
        X11Connection::Clock::time_point until;
    };
    std::unordered_map<xcb_window_t, Unanswered> unanswered_;
};

}  // namespace core::x11
