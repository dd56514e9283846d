#pragma once

#include <xcb/xcb.h>

#include <QString>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "core/WindowServices.h"
#include "platform/x11/Placements.h"
#include "platform/x11/PrimaryMonitor.h"
#include "platform/x11/X11Connection.h"

namespace core::x11 {

// Questions about windows: existence, the list of client windows, class, title, the window under
// a point.
class WindowQueries {
public:
    WindowQueries(X11Connection& x, PrimaryMonitor& monitor, const Placements& placements)
        : x_(x), monitor_(monitor), placements_(placements) {}

    bool exists(xcb_window_t window);
    // exists() of each window, with every request sent before the first reply is read: one round
    // trip however many windows.
    std::vector<bool> existing(std::span<const xcb_window_t> windows);
    // Every client window the user can reach and every window we withdrew and have not shown again,
    // bottom to top. Windows that their own program withdrew are not listed.
    //
    // Under an EWMH window manager that publishes _NET_CLIENT_LIST_STACKING, that list (every window
    // it manages, minimised ones and those on other desktops included) followed by the windows we
    // withdrew that it no longer lists, in the order they were hidden; windows that no longer exist
    // are left out. Two round trips. Otherwise the windows with WM_STATE Normal or Iconic found under
    // each child of the root, and the windows we withdrew that are children of the root, in the
    // root's stacking order (a round trip per level).
    std::vector<xcb_window_t> clients();
    QString className(xcb_window_t window);
    QString title(xcb_window_t window);
    // The class name and title of each window, with every request sent before the first reply is
    // read: one round trip however many windows. Empty texts for XCB_NONE and for windows that are
    // gone.
    std::vector<std::pair<QString, QString>> classesAndTitles(std::span<const xcb_window_t> windows);
    // Class names asked for ahead of other requests and read after them, so that their replies come
    // in with those of the others instead of costing a wait of their own. Every request made must be
    // read (libxcb keeps an unread reply).
    struct ClassRequests {
        std::vector<std::optional<xcb_get_property_cookie_t>> cookies;  // empty for XCB_NONE
    };
    ClassRequests requestClassNames(std::span<const xcb_window_t> windows);
    // The class name of each window asked for; empty for XCB_NONE and for windows that are gone.
    std::vector<QString> classNames(const ClassRequests& requests);
    // The deepest window under the point (relative to the primary monitor); over a window manager's
    // frame or decoration, the client inside that frame; the root where there is no window. Windows
    // that take no input (the highlight frame) are seen through, as the server does.
    xcb_window_t windowAt(Point point);

private:
    std::optional<std::vector<xcb_window_t>> stackingListOfWindowManager();
    bool windowManagerConfirmed(const xcb_get_property_reply_t* announced,
                                const xcb_get_property_reply_t* knownCheck);
    std::vector<xcb_window_t> clientsFromTree();
    xcb_window_t clientInside(xcb_window_t topLevel);

    X11Connection& x_;
    PrimaryMonitor& monitor_;
    const Placements& placements_;
    // The window manager's check window as last confirmed: while it stays the same, the list is read
    // without a second round trip.
    xcb_window_t confirmedCheck_ = XCB_NONE;
};

}  // namespace core::x11
