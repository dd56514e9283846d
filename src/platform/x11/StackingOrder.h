#pragma once

#include <xcb/xcb.h>

#include <cstddef>
#include <vector>

#include "platform/x11/X11Connection.h"

namespace core::x11 {

// The order the X server stacks the windows in, which the user sees: that of the frames, the root's
// children, where the client's parent is one. Frames of kwin and icewm hold the client two levels
// down; there the window manager's own order of its clients is taken (_NET_CLIENT_LIST_STACKING,
// which fluxbox keeps in the order the windows were mapped instead).
//
// The requests go out at construction, so that they share a round trip with others; read() takes
// the replies.
class StackingOrder {
public:
    explicit StackingOrder(X11Connection& x);

    void read();
    // Where the window lies, bottom first, by its top-level window (its frame, or itself).
    std::size_t indexOf(xcb_window_t window, xcb_window_t topLevel) const;

private:
    X11Connection& x_;
    xcb_query_tree_cookie_t treeCookie_;
    xcb_get_property_cookie_t clientStackCookie_;
    std::vector<xcb_window_t> rootChildren_;
    std::vector<xcb_window_t> clientStack_;
};

}  // namespace core::x11
