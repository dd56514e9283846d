#pragma once

// What a user (or a pager) sees of the desktop, read through an X connection of the test's own and
// never through the program or backend under test: the managed windows, their titles, owners,
// geometry and states, the pixels of the screen, where a tray icon is docked, and the X events of
// chosen windows, which the test waits for on the connection's file descriptor.

#include <xcb/xcb.h>

#include <QRect>
#include <QSize>
#include <QString>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/x11/XcbTypes.h"

// Rectangles in failure messages and gtest's value printing: "WxH+X+Y".
std::ostream& operator<<(std::ostream& os, const QRect& r);
void PrintTo(const QRect& r, std::ostream* os);

namespace desktoptest {

using Window = xcb_window_t;

// The colours of a part of the screen, 0xRRGGBB, row by row.
struct ScreenPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;

    bool empty() const { return rgb.empty(); }
    // The share (0 to 1) of the pixels within `tolerance` of `colour` in each channel; 0 when empty.
    double shareNear(std::uint32_t colour, int tolerance = 40) const;
    bool operator==(const ScreenPixels&) const = default;
};

// The backgrounds of the program's two built-in pictures (drawn by resources/icons/make-icons.sh).
inline constexpr std::uint32_t kStandbyColour = 0x1f8a8a;      // teal behind the open eye
inline constexpr std::uint32_t kConcealmentColour = 0x4a5568;  // slate behind the shut eye

// An X event as the connection delivered it.
using Event = xcb_generic_event_t;
// The event's type without the bit that marks a SendEvent.
std::uint8_t eventType(const Event& event);
// The window an event reports on (for StructureNotify events, the window that changed; for
// PropertyNotify, the window whose property changed); 0 for other events.
Window eventWindow(const Event& event);

// For waitForEvent: the window was mapped (shown again) / unmapped.
inline bool isMapNotify(const Event& event) {
    return eventType(event) == XCB_MAP_NOTIFY;
}
inline bool isUnmapNotify(const Event& event) {
    return eventType(event) == XCB_UNMAP_NOTIFY;
}

class Observer {
public:
    // Connects to display ($DISPLAY when null).
    explicit Observer(const char* display = nullptr);
    ~Observer();
    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;

    bool connected() const;
    xcb_connection_t* xcb() const { return connection_; }
    Window root() const { return root_; }
    xcb_atom_t atom(const char* name);
    // A round trip: every request made before, by this connection, has been handled, and every
    // event the server sent before its answer has arrived.
    void sync();

    // --- Events of chosen windows, read on this connection alone.
    // Asks for the events of `mask` (XCB_EVENT_MASK_...) on the window, replacing this connection's
    // earlier choice for it; in effect when this returns.
    void watch(Window window, std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    // Goes through the events for `window` (every window for 0), oldest first, until `matches`
    // holds for one or `timeout` has passed; whether one matched. The events that came since the
    // window was watched count too; one that matched is used up, the others stay for later waits.
    // It blocks on the connection (poll(2)), so it sees every event, also one undone at once.
    bool waitForEvent(Window window, const std::function<bool(const Event&)>& matches,
                      std::chrono::milliseconds timeout);

    // --- The window manager's lists (EWMH).
    bool windowManagerRunning();
    std::vector<Window> clientList();  // _NET_CLIENT_LIST: what task bars show
    std::vector<Window> stackingList();
    // `windows` from the bottom up as the X server stacks them (by their top-level ancestors), which
    // is what the user sees; _NET_CLIENT_LIST_STACKING may lag behind (fluxbox keeps it in the
    // order the windows were mapped).
    std::vector<Window> stackingOrder(const std::vector<Window>& windows);
    bool listed(Window window);
    Window activeWindow();
    std::optional<std::uint32_t> currentDesktop();  // _NET_CURRENT_DESKTOP
    // The window in _NET_CLIENT_LIST with this title; 0 when none.
    Window findManaged(const QString& title);

    // --- One window.
    bool exists(Window window);
    std::uint8_t mapState(Window window);
    bool viewable(Window window) { return mapState(window) == XCB_MAP_STATE_VIEWABLE; }
    QString title(Window window);      // _NET_WM_NAME, else WM_NAME
    QString className(Window window);  // the class part of WM_CLASS
    std::uint32_t pid(Window window);  // _NET_WM_PID; 0 when not set
    std::optional<std::uint32_t> wmState(Window window);
    bool managed(Window window);  // WM_STATE Normal or Iconic and in _NET_CLIENT_LIST
    // The window manager has let the window go after a withdraw: out of _NET_CLIENT_LIST, out of
    // its frame, and WM_STATE no longer Normal (ICCCM 4.1.4: deleted, as openbox does, or
    // Withdrawn, as xfwm4 sets it; fluxbox leaves a minimised window's Iconic).
    bool released(Window window);
    // Openbox publishes a state before it has moved the frame and updated _NET_FRAME_EXTENTS: a
    // managed window has settled when its frame window sits where the client and the extents say
    // (on window managers whose frames have invisible borders: holds the drawn frame, with a border
    // as wide on the left as on the right). Managed is settled where the window manager does not
    // report frames (i3: no _NET_FRAME_EXTENTS).
    bool settled(Window window);
    // Whether the window manager reports its frames (_NET_FRAME_EXTENTS in _NET_SUPPORTED).
    bool framesReported();
    // Whether the window manager's frame windows reach beyond the drawn frame (metacity, marco and
    // mutter: an invisible border to resize by).
    bool framesHaveInvisibleBorders();
    bool hasNetState(Window window, const char* stateAtom);  // e.g. "_NET_WM_STATE_ABOVE"
    bool maximized(Window window);                           // both ways
    bool hidden(Window window);                              // _NET_WM_STATE_HIDDEN: minimised
    std::optional<std::uint32_t> desktop(Window window);
    // The window's origin (inside its border) on the root, and its size; empty when it is gone.
    QRect rootRect(Window window);
    // The outer rectangle of the window's top-level ancestor (its frame, or the window itself when
    // it has none), border included; empty when the window is gone.
    QRect frameRect(Window window);
    // The steps the window's size goes in (WM_NORMAL_HINTS resize increments; xterm: a character
    // cell); 1x1 when it sets none.
    QSize resizeIncrement(Window window);
    // The frame as drawn: the client's rectangle on the root with _NET_FRAME_EXTENTS around it.
    QRect drawnFrameRect(Window client);
    // The frame's top-left and the client's size: the "normal rectangle" of a client.
    QRect frameOrigin(Window client);
    Window parent(Window window);
    std::vector<Window> children(Window window);
    // The window and its ancestors below the root, nearest first.
    std::vector<Window> ancestors(Window window);
    // A property of 32-bit values (CARDINAL, ATOM, WINDOW).
    std::vector<std::uint32_t> values(Window window, const char* property, xcb_atom_t type);
    // A property of 8-bit values as its bytes.
    std::string text(Window window, const char* property, xcb_atom_t type);

    // --- The whole tree.
    // Every window below the root, parents before children.
    std::vector<Window> allWindows();
    // The first window titled `title` made by process pid (any process for 0); 0 when none.
    Window findWindow(const QString& title, std::uint32_t pid = 0, bool viewableOnly = true);
    // The viewable windows of process pid titled `title`.
    std::vector<Window> windowsOf(std::uint32_t pid, const QString& title);
    // The mapped override-redirect children of the root, but the window manager's own (icewm's
    // tooltips and menus).
    std::vector<Window> overrideRedirectWindows();

    // --- The screen.
    QRect screenRect();
    // The pixels of `area` (root coordinates; cut to the screen); empty on failure.
    ScreenPixels grab(QRect area);
    std::uint32_t pixel(int x, int y);

    // --- trayer.
    // trayer's panel (WM_CLASS "panel", "trayer"); 0 when no trayer runs.
    Window trayerPanel();
    // The viewable icons docked in trayer's panel (windows that name their process).
    std::vector<Window> dockedIcons();
    // The viewable tray icon of process pid docked in trayer's panel; 0 while it is not docked.
    Window trayIconOf(std::uint32_t pid);
    // Whether some tray host owns _NET_SYSTEM_TRAY_S0.
    bool trayHostPresent();

private:
    std::string property(Window window, xcb_atom_t property, xcb_atom_t type,
                         std::uint32_t longLength = 4096);
    void collect(Window window, std::vector<Window>& into);
    // The next event, waiting for it at most until `deadline`; null when none came.
    xcb_generic_event_t* nextEvent(std::chrono::steady_clock::time_point deadline);

    xcb_connection_t* connection_;
    Window root_ = 0;
    std::map<std::string, xcb_atom_t> atoms_;
    std::deque<core::x11::Owned<Event>> kept_;
    std::optional<bool> invisibleBorders_;
    std::optional<bool> framesReported_;
};

}  // namespace desktoptest
