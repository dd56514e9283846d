#pragma once

// Programs of the test's own whose windows are concealed, withdrawn and placed: xterms (of a class
// of the test's choosing), xclocks and the light test client zel-x11-client (many windows, child
// windows, override-redirect windows). Each program ends with its object. Also what a user sees
// of such a window (shown, concealed, minimised, its placement) and the window manager's commands
// a user gives it.

#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <memory>
#include <ostream>
#include <vector>

#include "support/desktop/Observer.h"

namespace desktoptest {

// A window of zel-x11-client and its child window (0 when it has none).
struct OwnWindow {
    Window window = 0;
    Window child = 0;
};

class ClientProgram {
public:
    // An xterm titled `title`, of class `className` (xterm's own "XTerm" when empty); geometry as
    // xterm reads it (COLSxROWS+X+Y).
    static std::unique_ptr<ClientProgram> xterm(Observer& view, const QString& title,
                                                const QString& className = {},
                                                const QString& geometry = QStringLiteral("60x10+200+200"));
    // An xclock (class "XClock") titled `title`; geometry in pixels.
    static std::unique_ptr<ClientProgram> xclock(Observer& view, const QString& title,
                                                 const QString& geometry = QStringLiteral("120x120+700+420"));
    // zel-x11-client with the arguments (see tests/x11/zel_x11_client.cpp).
    static std::unique_ptr<ClientProgram> testClient(Observer& view, const QStringList& args);
    // `count` windows of zel-x11-client of class `className`, titled "<title> <i>", each shown.
    static std::unique_ptr<ClientProgram> manyWindows(Observer& view, int count, const QString& title,
                                                      const QString& className);

    ~ClientProgram();
    ClientProgram(const ClientProgram&) = delete;
    ClientProgram& operator=(const ClientProgram&) = delete;

    // The program's windows, each on the screen when it was found: managed by the window manager
    // and settled in its frame (override-redirect windows, or any without a window manager:
    // viewable). Empty when they did not all appear in time.
    const std::vector<Window>& windows() const { return windows_; }
    // The windows of zel-x11-client with their child windows.
    const std::vector<OwnWindow>& ownWindows() const { return own_; }
    // The first window; 0 when none appeared.
    Window id() const { return windows_.empty() ? 0 : windows_.front(); }
    // Ends the program at once: its windows go with its connection.
    void kill();

private:
    explicit ClientProgram(Observer& view) : view_(view) {}
    bool start(const QString& program, const QStringList& args);
    // The managed window of this process titled `title`.
    void findByTitle(const QString& title);
    // The windows zel-x11-client prints ("WINDOW CHILD" a line), once each is on the screen.
    void readFromOutput(int count, bool unmanaged);

    Observer& view_;
    QProcess process_;
    std::vector<Window> windows_;
    std::vector<OwnWindow> own_;
};

// Client programs of one test, ended with it (or before, one by one). A window that does not
// appear is a test failure.
class Programs {
public:
    // zel-x11-client with the arguments; its windows, empty on failure.
    std::vector<OwnWindow> client(const QStringList& args, Observer& observer);
    // xterm and xclock get the title with " #PID.N" added, N unique in the test program, so that a
    // window of an earlier test that is still going away is never found. 0 on failure.
    Window xterm(const QString& title, const QString& geometry, Observer& observer);
    Window xclock(const QString& title, const QString& geometry, Observer& observer);
    // Starts any program; it is killed at the end.
    QProcess* start(const QString& program, const QStringList& args);
    void kill(QProcess* process);
    // Ends the program that made the window.
    void killOwnerOf(Window window);
    void killAll();

private:
    Window keep(std::unique_ptr<ClientProgram> program, const QString& title);

    std::vector<std::unique_ptr<ClientProgram>> clients_;
    std::vector<std::unique_ptr<QProcess>> processes_;
};

// Managed by the window manager and viewable.
bool isShown(Observer& view, Window window);
// Withdrawn: neither managed nor viewable.
bool isConcealed(Observer& view, Window window);
// How many of `windows` are shown / concealed, with one read of the client list.
std::size_t countShown(Observer& view, const std::vector<Window>& windows);
std::size_t countConcealed(Observer& view, const std::vector<Window>& windows);

// Where a window is and how: its rectangle in root coordinates and its window manager state.
struct Placement {
    QRect rect;
    bool listed = false;  // in _NET_CLIENT_LIST
    bool viewable = false;
    bool maximised = false;  // both ways
    bool minimised = false;  // WM_STATE Iconic and _NET_WM_STATE_HIDDEN
    bool operator==(const Placement&) const = default;
};
Placement placementOf(Observer& view, Window window);
// The placement once two reads in a row agree (the window manager applies requests after they
// return).
Placement settledPlacement(Observer& view, Window window);
std::ostream& operator<<(std::ostream& os, const Placement& placement);

// The window manager's commands, each waited for until the window shows it (false on timeout).
bool maximise(Observer& view, Window window);
bool minimise(Observer& view, Window window);
// Moves the window's frame to `frameTopLeft`.
bool moveFrame(Observer& view, Window window, QPoint frameTopLeft);

}  // namespace desktoptest
