#include "platform/x11/StackingOrder.h"

#include <xcb/xcb_ewmh.h>

#include <algorithm>

#include "platform/x11/WindowFacts.h"

namespace core::x11 {

StackingOrder::StackingOrder(X11Connection& x)
    : x_(x),
      treeCookie_(xcb_query_tree(x.xcb(), x.root())),
      clientStackCookie_(xcb_ewmh_get_client_list_stacking(x.ewmh(), x.screenNumber())) {}

void StackingOrder::read() {
    if (auto tree = x_.reply<xcb_query_tree_reply_t>(treeCookie_)) {
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        rootChildren_.assign(children, children + xcb_query_tree_children_length(tree.get()));
    }
    if (auto r = x_.reply<xcb_get_property_reply_t>(clientStackCookie_)) {
        clientStack_ = values32(r.get());
    }
}

std::size_t StackingOrder::indexOf(xcb_window_t window, xcb_window_t topLevel) const {
    if (const auto it = std::ranges::find(rootChildren_, topLevel); it != rootChildren_.end()) {
        return static_cast<std::size_t>(it - rootChildren_.begin());
    }
    if (const auto it = std::ranges::find(clientStack_, window); it != clientStack_.end()) {
        return static_cast<std::size_t>(it - clientStack_.begin());
    }
    return 0;
}

}  // namespace core::x11
