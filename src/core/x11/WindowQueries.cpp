#include "core/x11/WindowQueries.h"

#include <xcb/xcb_icccm.h>

#include <string_view>

#include "core/x11/TextProperty.h"
#include "core/x11/WindowFacts.h"

namespace core::x11 {

namespace {

constexpr std::uint32_t kLongTextLength = 1u << 16;  // in 32-bit units: titles up to 256 KiB

std::string_view Bytes(const xcb_get_property_reply_t* r) {
    if (r == nullptr || r->format != 8) {
        return {};
    }
    return {static_cast<const char*>(xcb_get_property_value(r)),
            static_cast<std::size_t>(xcb_get_property_value_length(r))};
}

}  // namespace

bool WindowQueries::exists(xcb_window_t window) {
    if (window == XCB_NONE) {
        return false;
    }
    return x_.reply<xcb_get_window_attributes_reply_t>(xcb_get_window_attributes(x_.xcb(), window)) !=
           nullptr;
}

std::vector<xcb_window_t> WindowQueries::clients() {
    x_.drainEvents();
    auto tree = x_.reply<xcb_query_tree_reply_t>(xcb_query_tree(x_.xcb(), x_.root()));
    if (!tree) {
        return {};
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const std::vector<xcb_window_t> tops(children, children + xcb_query_tree_children_length(tree.get()));
    const std::vector<xcb_window_t> found = FindClients(x_, tops, true);
    std::vector<xcb_window_t> result;
    for (std::size_t i = 0; i < tops.size(); ++i) {
        if (placements_.withdrawnByUs(tops[i])) {
            result.push_back(tops[i]);
        } else if (found[i] != XCB_NONE) {
            result.push_back(found[i]);
        }
    }
    if (x_.lost()) {
        return {};
    }
    return result;
}

QString WindowQueries::className(xcb_window_t window) {
    auto r = x_.reply<xcb_get_property_reply_t>(
        xcb_get_property(x_.xcb(), 0, window, XCB_ATOM_WM_CLASS, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024));
    // WM_CLASS holds "instance\0class\0".
    const std::string_view value = Bytes(r.get());
    const std::size_t split = value.find('\0');
    if (split == std::string_view::npos) {
        return {};
    }
    std::string_view cls = value.substr(split + 1);
    cls = cls.substr(0, cls.find('\0'));
    return DecodeTextProperty(cls, TextEncoding::kLatin1);
}

QString WindowQueries::title(xcb_window_t window) {
    xcb_ewmh_connection_t* ewmh = x_.ewmh();
    const auto netName =
        xcb_get_property(x_.xcb(), 0, window, ewmh->_NET_WM_NAME, ewmh->UTF8_STRING, 0, kLongTextLength);
    const auto wmName = xcb_get_property(x_.xcb(), 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                         kLongTextLength);
    auto net = x_.reply<xcb_get_property_reply_t>(netName);
    auto wm = x_.reply<xcb_get_property_reply_t>(wmName);
    if (net && net->type == ewmh->UTF8_STRING) {
        return DecodeTextProperty(Bytes(net.get()), TextEncoding::kUtf8);
    }
    if (!wm || wm->type == XCB_ATOM_NONE) {
        return {};
    }
    TextEncoding encoding = TextEncoding::kLatin1;
    if (wm->type == ewmh->UTF8_STRING) {
        encoding = TextEncoding::kUtf8;
    } else if (wm->type == x_.atoms().compoundText) {
        encoding = TextEncoding::kCompoundText;
    }
    return DecodeTextProperty(Bytes(wm.get()), encoding);
}

xcb_window_t WindowQueries::windowAt(Point point) {
    x_.drainEvents();
    const MonitorRect monitor = monitor_.rect();
    const auto rx = static_cast<std::int16_t>(point.x + monitor.x);
    const auto ry = static_cast<std::int16_t>(point.y + monitor.y);
    // Down from the root, one level per step: the mapped child that holds the point.
    std::vector<xcb_window_t> chain;
    xcb_window_t current = x_.root();
    for (int depth = 0; depth < 32; ++depth) {
        auto r = x_.reply<xcb_translate_coordinates_reply_t>(
            xcb_translate_coordinates(x_.xcb(), x_.root(), current, rx, ry));
        if (!r || r->child == XCB_NONE) {
            break;
        }
        current = r->child;
        chain.push_back(current);
    }
    if (x_.lost()) {
        return XCB_NONE;
    }
    if (chain.empty()) {
        return x_.root();
    }
    // At or below a client window, the deepest window is the answer; above one, it is a part of
    // the window manager's frame, which stands for the client inside it.
    const auto states = ReadWmStates(x_, chain);
    for (const auto& state : states) {
        if (state) {
            return chain.back();
        }
    }
    const xcb_window_t client = clientInside(chain.front());
    return client != XCB_NONE ? client : chain.back();
}

xcb_window_t WindowQueries::clientInside(xcb_window_t topLevel) {
    const xcb_window_t one[] = {topLevel};
    return FindClients(x_, one, false).front();
}

}  // namespace core::x11
