#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

// The window-system operations that the concealment core and the picker drive. Handles are X window
// IDs; coordinates are pixels relative to the top-left of the primary monitor (other monitors give
// negative values or values beyond the primary's size).
namespace core {

using WindowHandle = std::uint32_t;

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// showCmd values of a placement.
enum ShowCmd : std::int32_t {
    kShowHide = 0,       // withdrawn: off the screen and out of task bars
    kShowNormal = 1,     // an ordinary window
    kShowMinimized = 2,  // iconified
    kShowMaximized = 3,  // maximised both ways
};

// flags of a placement: the window goes back to maximised when it is de-iconified.
inline constexpr std::uint32_t kRestoreToMaximized = 0x2;

// Where a window is and how it is shown, as read before it is hidden and handed back to bring
// it back.
struct WindowPlacement {
    std::uint32_t flags = 0;
    std::int32_t showCmd = kShowHide;
    Point framePosition;        // top-left of the window with its frame, in the normal (not maximised) state
    Size clientSize;            // size of the client window in the normal state
    std::int32_t desktop = -1;  // virtual desktop, -1 when unknown or on all desktops
    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// The placement and class of one window, read together.
struct PlacementAndClass {
    std::optional<WindowPlacement> placement;  // empty when the window is gone
    QString className;                         // empty when the window is gone or has no class
};

// Keyboard and pointer state of one tick.
struct InputState {
    std::optional<Point> pointer;  // empty when not asked for or not readable
    bool shiftDown = false;        // a Shift key is held
    bool scrollLockOn = false;     // ScrollLock is toggled on, as the user sees it
};

struct InputQuery {
    bool pointer = false;
    bool shift = false;
    bool scrollLock = false;
};

// The windows and input of the desktop, as the concealment and the picker use them. A backend
// may answer the calls about many windows in one go instead of waiting for each answer in turn.
class WindowServices {
public:
    WindowServices() = default;
    virtual ~WindowServices() = default;
    WindowServices(const WindowServices&) = delete;
    WindowServices& operator=(const WindowServices&) = delete;

    // Size of the primary monitor in pixels; {0, 0} when unknown.
    virtual Size screenSize() = 0;
    // Pointer position; empty when the pointer cannot be read (it is on another screen).
    virtual std::optional<Point> pointerPosition() = 0;
    // The reads of one tick with as few server round trips as possible (one at most).
    virtual InputState readInput(InputQuery query) = 0;

    // Whether the handler below is told every time the pointer, Shift, ScrollLock or the primary
    // monitor may have changed; when false, input must be polled.
    virtual bool reportsInputChanges() const { return false; }
    // The handler runs from inside whichever call of the services read the news (often many times in
    // a row, e.g. for every motion of the mouse): it should only note that input is to be read again,
    // not call the services. Never called by services that do not report changes.
    virtual void setInputChangedHandler(std::function<void()> /*handler*/) {}
    // Pointer motion need not wake the program at every motion while the pointer keeps moving: paused,
    // its reports stop (the window system no longer sends it; the other changes are still reported) and
    // whoever paused them reads the pointer itself. Resuming is refused, and they stay paused, while the
    // pointer still moves: when the reads since the pause (or the last refusal) found it somewhere else.
    virtual void pausePointerMotionReports() {}
    virtual bool resumePointerMotionReports() { return true; }

    // Whether each window still exists, in order; never an error.
    virtual std::vector<bool> existing(const std::vector<WindowHandle>& windows) = 0;
    // Every top-level client window, bottom to top in stacking order. Empty on failure.
    virtual std::vector<WindowHandle> topLevelWindows() = 0;
    // The window's class name (class part of WM_CLASS); empty when it names no window.
    virtual QString className(WindowHandle window) = 0;
    // The window's title (UTF-8 _NET_WM_NAME, else WM_NAME); empty when it names no window.
    virtual QString windowTitle(WindowHandle window) = 0;
    // Class name and title of each window, in order.
    virtual std::vector<std::pair<QString, QString>> classNamesAndTitles(
        const std::vector<WindowHandle>& windows) = 0;
    // The deepest window under the point; over a window manager's frame, the client inside it.
    // 0 when there is none.
    virtual WindowHandle windowAt(Point point) = 0;

    // Placement and class of each window, in order; neither for a window that is gone. showCmd is
    // kShowHide while the window is withdrawn (the concealment relies on this to tell a window it
    // hid from a new window that got the same handle).
    virtual std::vector<PlacementAndClass> placementsAndClassNames(
        const std::vector<WindowHandle>& windows) = 0;
    // showCmd 0 hides the window; 1, 2, 3 bring it back with the placement's rectangle and state.
    // False when the window is gone.
    virtual bool setPlacement(WindowHandle window, const WindowPlacement& placement) = 0;
    // The same for many windows at once, in order; windows that are gone are skipped. Restoring many
    // windows costs one wait for the window manager, not one per window.
    virtual void setPlacements(const std::vector<std::pair<WindowHandle, WindowPlacement>>& batch) = 0;
    // A backend may return from a restore before the window manager has taken the windows back: they
    // are then restoring, and read as the placement they are being given; hiding one again takes it
    // out of its restore.
    virtual bool restoring() const { return false; }
    // Waits until every window asked back is back, or its window manager did not answer in time.
    virtual void finishRestores() {}

    // Draws a highlight frame 5 pixels thick along the inside of the window's outer rectangle, or
    // removes it when this window already carries it. Nothing for 0 or a window that is gone.
    virtual void toggleHighlight(WindowHandle window) = 0;

    // Keeps one of our own windows out of task bars and pagers. Failures change nothing.
    virtual void setSkipTaskbar(WindowHandle window) = 0;
};

// Upper-case hexadecimal without leading zeros, as the target list writes handles.
QString handleToHex(WindowHandle window);

}  // namespace core
