#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "core/WindowServices.h"

namespace core::x11 {

class X11Connection;
class PrimaryMonitor;
class ScrollLockTracker;
class Placements;
class HighlightFrame;
class WindowQueries;
class InputChangeReporter;

// WindowServices on X11, over a connection of its own to $DISPLAY (xcb, EWMH, ICCCM, RandR, XKB,
// XInput2), so it works whatever toolkit the forms use.
//
// Reading input: ReadInput costs one round trip (query_pointer) for the pointer and Shift;
// ScrollLock and the primary monitor come from events (see ScrollLockTracker, PrimaryMonitor), so an
// idle tick of the concealment cycle costs one round trip in all. A toggle counted from key presses
// starts "off": a ScrollLock switched on before the program started, on a keymap where the
// indicator does not follow the key, is not known.
//
// Hiding and restoring: see Placements. Hiding costs no wait (but for shaded windows, which wait
// for the window manager to let them go). Restoring maps the windows and returns; the window
// manager's part (it takes the windows, then they get their rectangle, states and desktop, the
// focus and their order) follows in processEvents() as its answers arrive, each wait ending after
// 500 ms at most, for all windows of a call together: the cycle should hand over all its windows in
// one setPlacements. finishRestores() waits for all of it (the shut-down). Windows we withdrew stay
// in our save-set until shown again: if this process ends or dies with windows hidden, the X server
// maps them again.
//
// EnumWindows lists what a user can reach: the window manager's clients (WM_STATE Normal or
// Iconic, minimised ones and those on other desktops included) and the windows we withdrew, bottom
// to top. Windows that their own program withdrew (hidden dialogs, tray programs' windows) are not
// listed. Under an EWMH window manager it reads _NET_CLIENT_LIST_STACKING (two round trips); the
// windows we withdrew that the window manager has let go follow, in the order they were hidden.
// Without one it walks the window tree (a round trip per level). GetClassNamesAndTitles reads every
// window's class and title in one round trip; AreWindows and GetWindowPlacementsAndClassNames answer
// for many windows in one round trip too.
//
// Failures: a window that vanishes makes the calls about it fail quietly (false, empty, 0); X
// errors never print and never end the program. When the connection to the X server breaks (the
// server ended or closed us), the lost handler runs once, from inside the call that noticed it (do
// not destroy the services from inside it), and from then on every call fails at once without
// touching the server. A server that stops answering without closing the connection blocks a call
// as it blocks every X client.
//
// Events: the services read the events they asked for (RandR changes, XKB indicators and state,
// XInput2 raw keys and motion, window manager replies) at each call, without a round trip. A program
// with an event loop watches fileDescriptor() and calls processEvents() when it becomes readable, and
// after each use of the services: events that arrived while a call waited for a reply are queued
// inside the connection and do not make the descriptor readable.
//
// Input changes: with XInput 2.1 and XKB the input-changed handler runs when the pointer moves (raw
// motion of any device, also during another client's grab; not for warps), when the Shift bit of the
// modifier state changes, when ScrollLock may have changed and when RandR reports a change of the
// screen, a CRTC or an output (see InputChangeReporter). Setting ZEL_NO_INPUT_EVENTS=1 in the
// environment turns this off, so that the polling fallback can be tried on any server.
//
// Pausing the pointer's motion reports takes raw motion out of the root's XInput2 selection, so
// that a moving pointer neither wakes the program nor costs it anything (the XKB, RandR and raw key
// selections stay); resuming selects it again, but only once two reads (readInput, pointerPosition)
// in a row, before and after a stretch of the pause, found the pointer at the same place: it has
// come to rest. A pointer that moves in the moment between that last read and the new selection
// sends its first motion unseen; a device that goes on moving reports the next one.
class X11WindowServices final : public WindowServices {
public:
    // nullptr when no X server answers on displayName ($DISPLAY when null).
    static std::unique_ptr<X11WindowServices> connect(const char* displayName = nullptr);
    ~X11WindowServices() override;

    void setConnectionLostHandler(std::function<void()> handler);
    bool connectionLost() const;
    int fileDescriptor() const;
    void processEvents();
    // Restores move on as events arrive, in processEvents(), and when a wait for the window manager
    // ends: processEvents() is due again after this long even without events (empty: not before
    // the next event).
    std::optional<std::chrono::milliseconds> timeUntilNextStep() const;
    // Round trips to the server since the connection opened (replies that had to be waited for).
    std::uint64_t roundTrips() const;
    // Whether ScrollLock is read from the keyboard's indicator (the keymap drives it) rather than
    // counted from key presses.
    bool scrollLockFromIndicator();

    Size screenSize() override;
    std::optional<Point> pointerPosition() override;
    InputState readInput(InputQuery query) override;
    bool reportsInputChanges() const override;
    void setInputChangedHandler(std::function<void()> handler) override;
    void pausePointerMotionReports() override;
    bool resumePointerMotionReports() override;

    bool exists(WindowHandle window);
    std::vector<bool> existing(const std::vector<WindowHandle>& windows) override;
    std::vector<WindowHandle> topLevelWindows() override;
    QString className(WindowHandle window) override;
    QString windowTitle(WindowHandle window) override;
    std::vector<std::pair<QString, QString>> classNamesAndTitles(
        const std::vector<WindowHandle>& windows) override;
    WindowHandle windowAt(Point point) override;

    bool placement(WindowHandle window, WindowPlacement& placement);
    std::vector<PlacementAndClass> placementsAndClassNames(const std::vector<WindowHandle>& windows) override;
    bool setPlacement(WindowHandle window, const WindowPlacement& placement) override;
    void setPlacements(const std::vector<std::pair<WindowHandle, WindowPlacement>>& batch) override;
    bool restoring() const override;
    void finishRestores() override;

    void toggleHighlight(WindowHandle window) override;

    void setTopmost(WindowHandle window);
    void setSkipTaskbar(WindowHandle window) override;
    void activate(WindowHandle window);

private:
    explicit X11WindowServices(std::unique_ptr<X11Connection> connection);
    bool usable();
    void addNetStates(WindowHandle window, std::uint32_t first, std::uint32_t second);

    std::unique_ptr<X11Connection> x_;
    std::unique_ptr<PrimaryMonitor> monitor_;
    std::unique_ptr<ScrollLockTracker> scrollLock_;
    std::unique_ptr<Placements> placements_;
    std::unique_ptr<HighlightFrame> highlight_;
    std::unique_ptr<WindowQueries> queries_;
    std::unique_ptr<InputChangeReporter> inputChanges_;
    // The pointer (root coordinates) as the last read found it, and as the reads found it when its
    // motion reports were paused or a resumption was last refused.
    std::optional<Point> lastPointer_;
    std::optional<Point> pausedAt_;
};

// Creates the X11 window services on their own connection to $DISPLAY; nullptr when no X server
// answers.
std::unique_ptr<X11WindowServices> createX11WindowServices();

}  // namespace core::x11
