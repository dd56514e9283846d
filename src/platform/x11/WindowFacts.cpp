#include "platform/x11/WindowFacts.h"

namespace core::x11 {

namespace {

struct FactCookies {
    xcb_get_window_attributes_cookie_t attributes{};
    xcb_query_tree_cookie_t tree{};
    xcb_get_property_cookie_t wmState{};
    xcb_get_property_cookie_t netState{};
    xcb_get_property_cookie_t extents{};
    xcb_get_property_cookie_t desktop{};
    xcb_get_geometry_cookie_t geometry{};
    xcb_translate_coordinates_cookie_t rootPosition{};
};

xcb_get_property_cookie_t getProperty(X11Connection& x, xcb_window_t window, xcb_atom_t property,
                                      xcb_atom_t type, std::uint32_t longs) {
    return xcb_get_property(x.xcb(), 0, window, property, type, 0, longs);
}

FactCookies sendFactRequests(X11Connection& x, xcb_window_t window, unsigned parts) {
    xcb_connection_t* c = x.xcb();
    xcb_ewmh_connection_t* ewmh = x.ewmh();
    FactCookies k;
    k.attributes = xcb_get_window_attributes(c, window);
    if ((parts & kFactTree) != 0) {
        k.tree = xcb_query_tree(c, window);
    }
    if ((parts & kFactWmState) != 0) {
        k.wmState = getProperty(x, window, x.atoms().wmState, x.atoms().wmState, 2);
    }
    if ((parts & kFactNetState) != 0) {
        k.netState = getProperty(x, window, ewmh->_NET_WM_STATE, XCB_ATOM_ATOM, 64);
    }
    if ((parts & kFactExtents) != 0) {
        k.extents = getProperty(x, window, ewmh->_NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 4);
    }
    if ((parts & kFactDesktop) != 0) {
        k.desktop = getProperty(x, window, ewmh->_NET_WM_DESKTOP, XCB_ATOM_CARDINAL, 1);
    }
    if ((parts & kFactGeometry) != 0) {
        k.geometry = xcb_get_geometry(c, window);
    }
    if ((parts & kFactRootPosition) != 0) {
        k.rootPosition = xcb_translate_coordinates(c, window, x.root(), 0, 0);
    }
    return k;
}

void readNetState(X11Connection& x, const xcb_get_property_reply_t* r, WindowFacts& f) {
    for (std::uint32_t atom : values32(r)) {
        f.maximizedVert = f.maximizedVert || atom == x.ewmh()->_NET_WM_STATE_MAXIMIZED_VERT;
        f.maximizedHorz = f.maximizedHorz || atom == x.ewmh()->_NET_WM_STATE_MAXIMIZED_HORZ;
        f.hidden = f.hidden || atom == x.ewmh()->_NET_WM_STATE_HIDDEN;
        f.shaded = f.shaded || atom == x.ewmh()->_NET_WM_STATE_SHADED;
        f.netStates.push_back(atom);
    }
}

WindowFacts readFactReplies(X11Connection& x, const FactCookies& k, unsigned parts,
                            std::optional<std::uint32_t> currentDesktop) {
    WindowFacts f;
    auto attributes = x.reply<xcb_get_window_attributes_reply_t>(k.attributes);
    f.exists = attributes != nullptr;
    if (f.exists) {
        f.overrideRedirect = attributes->override_redirect != 0;
        f.mapState = attributes->map_state;
    }
    if ((parts & kFactTree) != 0) {
        auto r = x.reply<xcb_query_tree_reply_t>(k.tree);
        f.parent = r ? r->parent : XCB_NONE;
    }
    if ((parts & kFactWmState) != 0) {
        auto r = x.reply<xcb_get_property_reply_t>(k.wmState);
        if (const auto values = values32(r.get()); !values.empty()) {
            f.wmState = values[0];
        }
    }
    if ((parts & kFactNetState) != 0) {
        auto r = x.reply<xcb_get_property_reply_t>(k.netState);
        readNetState(x, r.get(), f);
    }
    if ((parts & kFactExtents) != 0) {
        auto r = x.reply<xcb_get_property_reply_t>(k.extents);
        if (const auto v = values32(r.get()); v.size() == 4) {
            f.extents = {static_cast<std::int32_t>(v[0]), static_cast<std::int32_t>(v[1]),
                         static_cast<std::int32_t>(v[2]), static_cast<std::int32_t>(v[3])};
        }
    }
    if ((parts & kFactDesktop) != 0) {
        auto r = x.reply<xcb_get_property_reply_t>(k.desktop);
        if (const auto values = values32(r.get()); !values.empty()) {
            f.desktop = values[0];
            f.onOtherDesktop = currentDesktop && values[0] != 0xFFFFFFFF && values[0] != *currentDesktop;
        }
    }
    if ((parts & kFactGeometry) != 0) {
        if (auto r = x.reply<xcb_get_geometry_reply_t>(k.geometry)) {
            f.x = r->x;
            f.y = r->y;
            f.width = r->width;
            f.height = r->height;
            f.border = r->border_width;
        }
    }
    if ((parts & kFactRootPosition) != 0) {
        if (auto r = x.reply<xcb_translate_coordinates_reply_t>(k.rootPosition)) {
            f.rootX = r->dst_x;
            f.rootY = r->dst_y;
        }
    }
    return f;
}

}  // namespace

std::vector<std::uint32_t> values32(const xcb_get_property_reply_t* reply) {
    if (reply == nullptr || reply->format != 32) {
        return {};
    }
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    const int count = xcb_get_property_value_length(reply) / 4;
    return std::vector<std::uint32_t>(data, data + count);
}

std::vector<WindowFacts> readFacts(X11Connection& x, std::span<const xcb_window_t> windows, unsigned parts) {
    xcb_get_property_cookie_t current{};
    if ((parts & kFactDesktop) != 0 && !windows.empty()) {
        current = xcb_ewmh_get_current_desktop(x.ewmh(), x.screenNumber());
    }
    // XCB_NONE names no window: nothing is asked, and it reads as gone.
    std::vector<std::optional<FactCookies>> cookies;
    cookies.reserve(windows.size());
    for (xcb_window_t window : windows) {
        cookies.push_back(window == XCB_NONE ? std::nullopt
                                             : std::optional(sendFactRequests(x, window, parts)));
    }
    if (!windows.empty()) {
        x.awaitReplies();
    }
    std::optional<std::uint32_t> currentDesktop;
    if ((parts & kFactDesktop) != 0 && !windows.empty()) {
        auto r = x.reply<xcb_get_property_reply_t>(current);
        if (const auto values = values32(r.get()); !values.empty()) {
            currentDesktop = values[0];
        }
    }
    std::vector<WindowFacts> facts;
    facts.reserve(windows.size());
    for (const std::optional<FactCookies>& k : cookies) {
        facts.push_back(k ? readFactReplies(x, *k, parts, currentDesktop) : WindowFacts{});
    }
    return facts;
}

WindowFacts readFacts(X11Connection& x, xcb_window_t window, unsigned parts) {
    return readFacts(x, std::span<const xcb_window_t>(&window, 1), parts).front();
}

std::vector<std::vector<xcb_window_t>> readChildren(X11Connection& x, std::span<const xcb_window_t> windows) {
    std::vector<xcb_query_tree_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (xcb_window_t window : windows) {
        cookies.push_back(xcb_query_tree(x.xcb(), window));
    }
    std::vector<std::vector<xcb_window_t>> result;
    result.reserve(windows.size());
    for (const auto& cookie : cookies) {
        auto r = x.reply<xcb_query_tree_reply_t>(cookie);
        if (!r) {
            result.emplace_back();
            continue;
        }
        const xcb_window_t* children = xcb_query_tree_children(r.get());
        result.emplace_back(children, children + xcb_query_tree_children_length(r.get()));
    }
    return result;
}

std::vector<std::optional<std::uint32_t>> readWmStates(X11Connection& x,
                                                       std::span<const xcb_window_t> windows) {
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (xcb_window_t window : windows) {
        cookies.push_back(xcb_get_property(x.xcb(), 0, window, x.atoms().wmState, x.atoms().wmState, 0, 1));
    }
    std::vector<std::optional<std::uint32_t>> result;
    result.reserve(windows.size());
    for (const auto& cookie : cookies) {
        auto r = x.reply<xcb_get_property_reply_t>(cookie);
        const auto values = values32(r.get());
        result.push_back(values.empty() ? std::nullopt : std::optional<std::uint32_t>(values[0]));
    }
    return result;
}

std::vector<xcb_window_t> findClients(X11Connection& x, std::span<const xcb_window_t> windows,
                                      bool managedOnly) {
    constexpr int kMaxDepth = 4;  // frames of common window managers hold the client 1-3 levels down
    std::vector<xcb_window_t> clients(windows.size(), XCB_NONE);
    // Each candidate remembers which of the given windows it belongs to.
    std::vector<std::pair<std::size_t, xcb_window_t>> level;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        level.emplace_back(i, windows[i]);
    }
    for (int depth = 0; depth <= kMaxDepth && !level.empty(); ++depth) {
        std::vector<xcb_window_t> candidates;
        for (const auto& [owner, window] : level) {
            candidates.push_back(window);
        }
        const auto states = readWmStates(x, candidates);
        for (std::size_t j = 0; j < level.size(); ++j) {
            const bool client = states[j] && (!managedOnly || *states[j] != kWithdrawnState);
            if (client && clients[level[j].first] == XCB_NONE) {
                clients[level[j].first] = level[j].second;
            }
        }
        std::vector<std::pair<std::size_t, xcb_window_t>> searched;
        for (const auto& entry : level) {
            if (clients[entry.first] == XCB_NONE) {
                searched.push_back(entry);
            }
        }
        if (searched.empty() || depth == kMaxDepth) {
            break;
        }
        std::vector<xcb_window_t> parents;
        for (const auto& [owner, window] : searched) {
            parents.push_back(window);
        }
        const auto children = readChildren(x, parents);
        level.clear();
        for (std::size_t j = 0; j < searched.size(); ++j) {
            for (xcb_window_t child : children[j]) {
                level.emplace_back(searched[j].first, child);
            }
        }
    }
    return clients;
}

xcb_window_t topLevelOf(X11Connection& x, xcb_window_t window) {
    for (int depth = 0; depth < 64; ++depth) {
        auto r = x.reply<xcb_query_tree_reply_t>(xcb_query_tree(x.xcb(), window));
        if (!r) {
            return XCB_NONE;
        }
        if (r->parent == r->root || r->parent == XCB_NONE) {
            return window;
        }
        window = r->parent;
    }
    return XCB_NONE;
}

}  // namespace core::x11
