#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
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

// A window's placement as read by GetWindowPlacement and handed back to SetWindowPlacement.
struct WindowPlacement {
    std::uint32_t length = 44;
    std::uint32_t flags = 0;
    std::int32_t showCmd = kShowHide;
    Point framePosition;        // top-left of the window with its frame, in the normal (not maximised) state
    Size clientSize;            // size of the client window in the normal state
    std::int32_t desktop = -1;  // virtual desktop, -1 when unknown or on all desktops
    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// GetWindowPlacement and GetClassName of one window, read together.
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

// GetKeyState bits.
inline constexpr int kVkShift = 0x10;
inline constexpr int kVkScroll = 0x91;
inline constexpr int kKeyDownBit = 0x80;
inline constexpr int kToggledBit = 0x01;

class WindowServices {
public:
    WindowServices() = default;
    virtual ~WindowServices() = default;
    WindowServices(const WindowServices&) = delete;
    WindowServices& operator=(const WindowServices&) = delete;

    // Size of the primary monitor in pixels; {0, 0} when unknown.
    virtual Size ScreenSize() = 0;
    // Pointer position; empty when the pointer cannot be read (it is on another screen).
    virtual std::optional<Point> GetCursorPos() = 0;
    // GetKeyState(kVkShift) has kKeyDownBit while Shift is held; GetKeyState(kVkScroll) has
    // kToggledBit while ScrollLock is on. 0 for other keys or on failure.
    virtual int GetKeyState(int virtualKey) = 0;
    // The reads of one tick with as few server round trips as possible (one at most).
    virtual InputState ReadInput(InputQuery query) = 0;

    // False when the window does not exist (anymore); never an error.
    virtual bool IsWindow(WindowHandle window) = 0;
    // IsWindow of each window, in order. A backend may ask about them all in one go instead of
    // waiting for each answer in turn.
    virtual std::vector<bool> AreWindows(const std::vector<WindowHandle>& windows) {
        std::vector<bool> open;
        open.reserve(windows.size());
        for (const WindowHandle window : windows)
            open.push_back(IsWindow(window));
        return open;
    }
    // Every top-level client window, bottom to top in stacking order. Empty on failure.
    virtual std::vector<WindowHandle> EnumWindows() = 0;
    // The window's class name (class part of WM_CLASS); empty when it names no window.
    virtual QString GetClassName(WindowHandle window) = 0;
    // The window's title (UTF-8 _NET_WM_NAME, else WM_NAME); empty when it names no window.
    virtual QString GetWindowText(WindowHandle window) = 0;
    // GetClassName and GetWindowText of each window, in order. A backend may read them all in one go
    // instead of waiting for each answer in turn.
    virtual std::vector<std::pair<QString, QString>> GetClassNamesAndTitles(
        const std::vector<WindowHandle>& windows) {
        std::vector<std::pair<QString, QString>> texts;
        texts.reserve(windows.size());
        for (const WindowHandle window : windows) {
            QString className = GetClassName(window);
            texts.emplace_back(std::move(className), GetWindowText(window));
        }
        return texts;
    }
    // The deepest window under the point; over a window manager's frame, the client inside it.
    // 0 when there is none.
    virtual WindowHandle WindowFromPoint(Point point) = 0;

    // Reads the window's placement; false (placement untouched) when the window is gone. showCmd is
    // kShowHide while the window is withdrawn (the concealment relies on this to tell a window it hid
    // from a new window that got the same handle).
    virtual bool GetWindowPlacement(WindowHandle window, WindowPlacement& placement) = 0;
    // GetWindowPlacement (with a placement of length 44) and GetClassName of each window, in order;
    // no placement and no class for a window that is gone. A backend may read them all in one go.
    virtual std::vector<PlacementAndClass> GetWindowPlacementsAndClassNames(
        const std::vector<WindowHandle>& windows) {
        std::vector<PlacementAndClass> readings(windows.size());
        for (std::size_t i = 0; i < windows.size(); ++i) {
            WindowPlacement placement;
            if (!GetWindowPlacement(windows[i], placement)) continue;
            readings[i].placement = placement;
            readings[i].className = GetClassName(windows[i]);
        }
        return readings;
    }
    // showCmd 0 hides the window; 1, 2, 3 bring it back with the placement's rectangle and state.
    // False when the window is gone.
    virtual bool SetWindowPlacement(WindowHandle window, const WindowPlacement& placement) = 0;
    // The same for many windows at once, in order; windows that are gone are skipped. Restoring many
    // windows costs one wait for the window manager, not one per window.
    virtual void SetWindowPlacements(const std::vector<std::pair<WindowHandle, WindowPlacement>>& batch) = 0;

    // Draws a highlight frame 5 pixels thick along the inside of the window's outer rectangle, or
    // removes it when this window already carries it. Nothing for 0 or a window that is gone.
    virtual void InvertWindowFrame(WindowHandle window) = 0;

    // Our own windows: stay above ordinary windows, stay out of task bars and pagers, take the
    // keyboard focus. Failures change nothing.
    virtual void SetTopmost(WindowHandle window) = 0;
    virtual void SetSkipTaskbar(WindowHandle window) = 0;
    virtual void SetForegroundWindow(WindowHandle window) = 0;
};

// Upper-case hexadecimal without leading zeros, as the target list writes handles.
QString HandleToHex(WindowHandle window);

}  // namespace core
