#pragma once

// Looks at the headless desktop through an X connection of its own and starts the client programs
// that the X11 backend tests work on. Nothing here goes through the backend under test.

#include <xcb/xcb.h>

#include <QProcess>
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace x11test {

using Window = std::uint32_t;

// Runs a program to its end (at most 10 s) and returns its standard output.
QString tool(const QString& program, const QStringList& args);
QString hex(Window window);

// Polls `done` with a short back-off until it holds or the timeout passes.
template <typename Done>
bool waitUntil(Done done, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto delay = std::chrono::milliseconds(2);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(delay);
        delay = std::min(delay * 2, std::chrono::milliseconds(50));
    }
    return true;
}

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};
std::ostream& operator<<(std::ostream& os, const Rect& r);

// What a user (or a pager) sees of a window, read independently of the backend.
class Observer {
public:
    explicit Observer(const char* display = nullptr);
    ~Observer();
    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;

    bool connected() const { return connection_ != nullptr; }
    xcb_connection_t* xcb() const { return connection_; }
    xcb_window_t root() const { return root_; }
    xcb_atom_t atom(const char* name);
    void sync();

    bool windowManagerRunning();
    std::vector<Window> clientList();
    std::vector<Window> stackingList();
    Window activeWindow();
    bool listed(Window window);
    bool exists(Window window);
    std::uint8_t mapState(Window window);
    bool viewable(Window window) { return mapState(window) == XCB_MAP_STATE_VIEWABLE; }
    std::optional<std::uint32_t> wmState(Window window);
    bool managed(Window window);  // WM_STATE Normal or Iconic and in _NET_CLIENT_LIST
    // Openbox publishes a state before it has moved the frame and updated _NET_FRAME_EXTENTS: a
    // managed window has settled when its frame sits where the client and the extents say.
    bool settled(Window window);
    bool maximized(Window window);
    bool hidden(Window window);  // _NET_WM_STATE_HIDDEN: minimised
    std::optional<std::uint32_t> desktop(Window window);
    // The window's origin (inside its border) on the root, and its size.
    Rect rootRect(Window window);
    // The outer rectangle of the window's top-level ancestor (its frame), border included.
    Rect frameRect(Window window);
    // The frame's top-left and the client's size: the "normal rectangle" of a client.
    Rect frameOrigin(Window client);
    Window parent(Window window);
    std::vector<Window> children(Window window);
    // The window in _NET_CLIENT_LIST with this title (_NET_WM_NAME or WM_NAME); 0 when none.
    Window findManaged(const QString& title);
    // A property of 32-bit values (CARDINAL, ATOM, WINDOW).
    std::vector<std::uint32_t> values(Window window, const char* property, xcb_atom_t type);
    // A text property as its bytes.
    std::string text(Window window, const char* property, xcb_atom_t type);
    // Mapped override-redirect children of the root.
    std::vector<Window> overrideRedirectWindows();
    // The RGB value of one pixel of the screen.
    std::uint32_t pixel(int x, int y);

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
};

// Programs started by a test and killed when it ends.
class Programs {
public:
    ~Programs();

    struct OwnWindow {
        Window window = 0;
        Window child = 0;
    };
    // Starts zel-x11-client with the arguments; returns its windows once they are managed (or, with
    // --override or without a window manager, mapped). Empty on failure.
    std::vector<OwnWindow> client(const QStringList& args, Observer& observer);
    // xterm and xclock get the title with " #PID.N" added, N unique in the test program.
    Window xterm(const QString& title, const QString& geometry, Observer& observer);
    Window xclock(const QString& title, const QString& geometry, Observer& observer);
    // Starts a program and returns it; it is killed at the end.
    QProcess* start(const QString& program, const QStringList& args);
    void kill(QProcess* process);
    void killAll();

private:
    static QString uniqueTitle(const QString& title);
    Window byTitle(const QString& title, Observer& observer);
    std::vector<std::unique_ptr<QProcess>> processes_;
};

}  // namespace x11test
