#pragma once

// What a user sees of the headless desktop, read through an X connection of the test's own (never
// through the program under test): the managed windows, titles, owners, geometry, states, and
// where the program's tray icon sits.

#include <xcb/xcb.h>

#include <QRect>
#include <QString>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace e2e {

using Window = xcb_window_t;

class DesktopView {
public:
    // Connects to display ($DISPLAY when null).
    explicit DesktopView(const char* display = nullptr);
    ~DesktopView();
    DesktopView(const DesktopView&) = delete;
    DesktopView& operator=(const DesktopView&) = delete;

    bool connected() const;

    // _NET_CLIENT_LIST: the windows the window manager manages (task bars show these).
    std::vector<Window> clientList();
    bool listed(Window window);
    // Every window of the tree below the root, parents before children.
    std::vector<Window> allWindows();

    QString title(Window window);      // _NET_WM_NAME, else WM_NAME
    QString className(Window window);  // the class part of WM_CLASS
    std::uint32_t pid(Window window);  // _NET_WM_PID; 0 when not set
    bool viewable(Window window);      // mapped, with every ancestor mapped
    QRect geometry(Window window);     // in root coordinates; empty when the window is gone
    bool hasNetState(Window window, const char* stateAtom);  // e.g. "_NET_WM_STATE_ABOVE"
    Window activeWindow();                                   // _NET_ACTIVE_WINDOW

    // The first window titled `title` made by process pid (any process for 0); 0 when none.
    Window findWindow(const QString& title, std::uint32_t pid = 0, bool viewableOnly = true);
    // Viewable windows of process pid whose title is `title`.
    std::vector<Window> windowsOf(std::uint32_t pid, const QString& title);

    // The root window's rectangle: the whole screen.
    QRect screenRect();

    // trayer's panel (WM_CLASS "panel", "trayer"); 0 when no trayer runs.
    Window trayerPanel();
    // The viewable icons docked in trayer's panel (windows that name their process).
    std::vector<Window> dockedIcons();
    // The viewable tray icon of process pid docked in trayer's panel; 0 while it is not docked.
    Window trayIconOf(std::uint32_t pid);

private:
    xcb_atom_t atom(const char* name);
    std::string property(Window window, xcb_atom_t property, xcb_atom_t type,
                         std::uint32_t longLength = 1024);
    std::vector<std::uint32_t> cardinals(Window window, const char* property, xcb_atom_t type);
    std::vector<Window> children(Window window);
    void collect(Window window, std::vector<Window>& into);

    xcb_connection_t* connection_;
    Window root_ = 0;
    std::map<std::string, xcb_atom_t> atoms_;
};

}  // namespace e2e
