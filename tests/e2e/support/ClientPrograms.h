#pragma once

// Programs of the test's own whose windows the program under test conceals: xterms of a class of
// the test's choosing, xclocks, and the light test client of tests/x11 with many windows. Each
// program ends with its object. Also what a user sees of such a window (shown, concealed,
// minimised, its placement) and the window manager's commands a user gives it.

#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>
#include <ostream>
#include <vector>

#include "e2e/support/DesktopView.h"

namespace e2e {

class ClientProgram {
public:
    // An xterm of class `className` titled `title`; geometry as xterm reads it (COLSxROWS+X+Y).
    static std::unique_ptr<ClientProgram> xterm(DesktopView& view, const QString& title,
                                                const QString& className,
                                                const QString& geometry = QStringLiteral("60x10+200+200"));
    // An xclock (class "XClock") titled `title`; geometry in pixels.
    static std::unique_ptr<ClientProgram> XClock(DesktopView& view, const QString& title,
                                                 const QString& geometry = QStringLiteral("120x120+700+420"));
    // `count` windows of the light test client ($ZEL_BINARY_DIR/tests/x11/zel-x11-client) of class
    // `className`, titled "<title> <i>".
    static std::unique_ptr<ClientProgram> manyWindows(DesktopView& view, int count, const QString& title,
                                                      const QString& className);

    ~ClientProgram();
    ClientProgram(const ClientProgram&) = delete;
    ClientProgram& operator=(const ClientProgram&) = delete;

    // The program's windows, each managed by the window manager and on the screen when it was
    // found; empty when they did not all appear in time.
    const std::vector<Window>& Windows() const { return windows_; }
    // The first window; 0 when none appeared.
    Window id() const { return windows_.empty() ? 0 : windows_.front(); }
    // Ends the program at once: its windows go with its connection.
    void kill();

private:
    explicit ClientProgram(DesktopView& view) : view_(view) {}
    bool start(const QString& program, const QStringList& args);
    // The managed window of this process titled `title`.
    void findByTitle(const QString& title);
    // The windows the light client prints ("WINDOW CHILD" a line), once they are managed.
    void readFromOutput(int count);

    DesktopView& view_;
    QProcess process_;
    std::vector<Window> windows_;
};

// Managed by the window manager and viewable.
bool isShown(DesktopView& view, Window window);
// Withdrawn: neither managed nor viewable.
bool isConcealed(DesktopView& view, Window window);
// How many of `windows` are shown / concealed, with one read of the client list.
std::size_t countShown(DesktopView& view, const std::vector<Window>& windows);
std::size_t countConcealed(DesktopView& view, const std::vector<Window>& windows);

// Where a window is and how: its rectangle in root coordinates and its window manager state.
struct Placement {
    QRect rect;
    bool maximised = false;  // both ways
    bool minimised = false;  // managed, hidden, not viewable
    bool operator==(const Placement&) const = default;
};
Placement placementOf(DesktopView& view, Window window);
std::ostream& operator<<(std::ostream& os, const Placement& placement);

// The window manager's commands, each waited for until the window shows it (false on timeout).
bool maximise(DesktopView& view, Window window);
bool minimise(DesktopView& view, Window window);
// Moves the window's frame to `frameTopLeft`.
bool moveFrame(DesktopView& view, Window window, QPoint frameTopLeft);

}  // namespace e2e
