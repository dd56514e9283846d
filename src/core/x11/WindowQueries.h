#pragma once

#include <xcb/xcb.h>

#include <QString>
#include <vector>

#include "core/WindowServices.h"
#include "core/x11/Placements.h"
#include "core/x11/PrimaryMonitor.h"
#include "core/x11/X11Connection.h"

namespace core::x11 {

// Questions about windows: existence, the list of client windows, class, title, the window under
// a point.
class WindowQueries {
public:
    WindowQueries(X11Connection& x, PrimaryMonitor& monitor, const Placements& placements)
        : x_(x), monitor_(monitor), placements_(placements) {}

    bool exists(xcb_window_t window);
    // Every client window the user can reach (a window manager's client with WM_STATE Normal or
    // Iconic, found under each child of the root) and every window we withdrew and have not shown
    // again, bottom to top. Windows that their own program withdrew are not listed.
    std::vector<xcb_window_t> clients();
    QString className(xcb_window_t window);
    QString title(xcb_window_t window);
    // The deepest window under the point (relative to the primary monitor); over a window manager's
    // frame or decoration, the client inside that frame; the root where there is no window. Windows
    // that take no input (the highlight frame) are seen through, as the server does.
    xcb_window_t windowAt(Point point);

private:
    xcb_window_t clientInside(xcb_window_t topLevel);

    X11Connection& x_;
    PrimaryMonitor& monitor_;
    const Placements& placements_;
};

}  // namespace core::x11
