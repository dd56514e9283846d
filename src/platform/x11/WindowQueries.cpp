#include "platform/x11/WindowQueries.h"

#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "platform/x11/TextProperty.h"
#include "platform/x11/WindowFacts.h"

namespace core::x11 {

namespace {

constexpr std::uint32_t kLongTextLength = 1u << 16;  // in 32-bit units: titles up to 256 KiB
constexpr std::uint32_t kLongListLength = 1u << 20;  // in 32-bit units: lists of windows and atoms

std::string_view bytes(const xcb_get_property_reply_t* r) {
    if (r == nullptr || r->format != 8) {
        return {};
    }
    return {static_cast<const char*>(xcb_get_property_value(r)),
            static_cast<std::size_t>(xcb_get_property_value_length(r))};
}

xcb_get_property_cookie_t getProperty(X11Connection& x, xcb_window_t window, xcb_atom_t property,
                                      xcb_atom_t type, std::uint32_t longs) {
    return xcb_get_property(x.xcb(), 0, window, property, type, 0, longs);
}

xcb_window_t firstValue(const xcb_get_property_reply_t* r) {
    const std::vector<std::uint32_t> values = values32(r);
    return values.empty() ? xcb_window_t{XCB_NONE} : values.front();
}

xcb_get_property_cookie_t requestClass(X11Connection& x, xcb_window_t window) {
    return getProperty(x, window, XCB_ATOM_WM_CLASS, XCB_GET_PROPERTY_TYPE_ANY, 1024);
}

QString classOf(const xcb_get_property_reply_t* r) {
    // WM_CLASS holds "instance\0class\0".
    const std::string_view value = bytes(r);
    const std::size_t split = value.find('\0');
    if (split == std::string_view::npos) {
        return {};
    }
    std::string_view cls = value.substr(split + 1);
    cls = cls.substr(0, cls.find('\0'));
    return decodeTextProperty(cls, TextEncoding::kLatin1);
}

struct TitleCookies {
    xcb_get_property_cookie_t netName{};
    xcb_get_property_cookie_t wmName{};
};

TitleCookies requestTitle(X11Connection& x, xcb_window_t window) {
    xcb_ewmh_connection_t* ewmh = x.ewmh();
    return {getProperty(x, window, ewmh->_NET_WM_NAME, ewmh->UTF8_STRING, kLongTextLength),
            getProperty(x, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, kLongTextLength)};
}

// Reads both replies (a reply left unread would stay queued in libxcb).
QString titleOf(X11Connection& x, const TitleCookies& k) {
    xcb_ewmh_connection_t* ewmh = x.ewmh();
    auto net = x.reply<xcb_get_property_reply_t>(k.netName);
    auto wm = x.reply<xcb_get_property_reply_t>(k.wmName);
    if (net && net->type == ewmh->UTF8_STRING) {
        return decodeTextProperty(bytes(net.get()), TextEncoding::kUtf8);
    }
    if (!wm || wm->type == XCB_ATOM_NONE) {
        return {};
    }
    TextEncoding encoding = TextEncoding::kLatin1;
    if (wm->type == ewmh->UTF8_STRING) {
        encoding = TextEncoding::kUtf8;
    } else if (wm->type == x.atoms().compoundText) {
        encoding = TextEncoding::kCompoundText;
    }
    return decodeTextProperty(bytes(wm.get()), encoding);
}

}  // namespace

bool WindowQueries::exists(xcb_window_t window) {
    if (window == XCB_NONE) {
        return false;
    }
    return x_.reply<xcb_get_window_attributes_reply_t>(xcb_get_window_attributes(x_.xcb(), window)) !=
           nullptr;
}

std::vector<bool> WindowQueries::existing(std::span<const xcb_window_t> windows) {
    const std::vector<WindowFacts> facts = readFacts(x_, windows, kFactAttributes);
    std::vector<bool> result(windows.size(), false);
    if (x_.lost()) {
        return result;
    }
    for (std::size_t i = 0; i < windows.size(); ++i) {
        result[i] = facts[i].exists;
    }
    return result;
}

std::vector<xcb_window_t> WindowQueries::clients() {
    x_.drainEvents();
    std::optional<std::vector<xcb_window_t>> listed = stackingListOfWindowManager();
    if (!listed) {
        std::vector<xcb_window_t> found = clientsFromTree();
        return x_.lost() ? std::vector<xcb_window_t>() : found;
    }
    // The window manager stops listing a window we withdrew once it has let it go.
    std::vector<xcb_window_t> candidates = std::move(*listed);
    const std::unordered_set<xcb_window_t> inList(candidates.begin(), candidates.end());
    for (xcb_window_t window : placements_.withdrawnInHidingOrder()) {
        if (!inList.contains(window)) {
            candidates.push_back(window);
        }
    }
    // The list may still name a window that was destroyed a moment ago: only those that exist count.
    const std::vector<WindowFacts> facts = readFacts(x_, candidates, kFactAttributes);
    std::vector<xcb_window_t> result;
    result.reserve(candidates.size());
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (facts[i].exists) {
            result.push_back(candidates[i]);
        }
    }
    return x_.lost() ? std::vector<xcb_window_t>() : result;
}

// The window manager's check, its supported atoms and its list in one batch; the check window
// confirmed last time is asked alongside, so that a window manager that stays costs one round trip.
std::optional<std::vector<xcb_window_t>> WindowQueries::stackingListOfWindowManager() {
    xcb_ewmh_connection_t* ewmh = x_.ewmh();
    const xcb_window_t root = x_.root();
    const auto checkCookie = getProperty(x_, root, ewmh->_NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW, 1);
    std::optional<xcb_get_property_cookie_t> knownCookie;
    if (confirmedCheck_ != XCB_NONE) {
        knownCookie = getProperty(x_, confirmedCheck_, ewmh->_NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW, 1);
    }
    const auto supportedCookie = getProperty(x_, root, ewmh->_NET_SUPPORTED, XCB_ATOM_ATOM, kLongListLength);
    const auto stackingCookie =
        getProperty(x_, root, ewmh->_NET_CLIENT_LIST_STACKING, XCB_ATOM_WINDOW, kLongListLength);
    const auto check = x_.reply<xcb_get_property_reply_t>(checkCookie);
    const auto knownCheck =
        knownCookie ? x_.reply<xcb_get_property_reply_t>(*knownCookie) : Owned<xcb_get_property_reply_t>();
    const auto supported = x_.reply<xcb_get_property_reply_t>(supportedCookie);
    const auto stacking = x_.reply<xcb_get_property_reply_t>(stackingCookie);
    if (!windowManagerConfirmed(check.get(), knownCheck.get())) {
        return std::nullopt;
    }
    const std::vector<std::uint32_t> atoms = values32(supported.get());
    if (std::ranges::find(atoms, ewmh->_NET_CLIENT_LIST_STACKING) == atoms.end() || !stacking ||
        stacking->type != XCB_ATOM_WINDOW) {
        return std::nullopt;
    }
    return values32(stacking.get());
}

// A running window manager names on the root a window that names itself; a window manager that has
// gone leaves a property naming a window that is gone or names no longer itself.
bool WindowQueries::windowManagerConfirmed(const xcb_get_property_reply_t* announced,
                                           const xcb_get_property_reply_t* knownCheck) {
    const xcb_window_t check = firstValue(announced);
    if (check != XCB_NONE && check == confirmedCheck_ && firstValue(knownCheck) == check) {
        return true;
    }
    confirmedCheck_ = XCB_NONE;
    if (check == XCB_NONE) {
        return false;
    }
    auto own = x_.reply<xcb_get_property_reply_t>(
        getProperty(x_, check, x_.ewmh()->_NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW, 1));
    if (firstValue(own.get()) != check) {
        return false;
    }
    confirmedCheck_ = check;
    return true;
}

// Without a window manager's list: the client inside each child of the root, level by level.
std::vector<xcb_window_t> WindowQueries::clientsFromTree() {
    auto tree = x_.reply<xcb_query_tree_reply_t>(xcb_query_tree(x_.xcb(), x_.root()));
    if (!tree) {
        return {};
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const std::vector<xcb_window_t> tops(children, children + xcb_query_tree_children_length(tree.get()));
    const std::vector<xcb_window_t> found = findClients(x_, tops, true);
    std::vector<xcb_window_t> result;
    for (std::size_t i = 0; i < tops.size(); ++i) {
        if (placements_.withdrawnByUs(tops[i])) {
            result.push_back(tops[i]);
        } else if (found[i] != XCB_NONE) {
            result.push_back(found[i]);
        }
    }
    return result;
}

QString WindowQueries::className(xcb_window_t window) {
    auto r = x_.reply<xcb_get_property_reply_t>(requestClass(x_, window));
    return classOf(r.get());
}

QString WindowQueries::title(xcb_window_t window) {
    return titleOf(x_, requestTitle(x_, window));
}

std::vector<std::pair<QString, QString>> WindowQueries::classesAndTitles(
    std::span<const xcb_window_t> windows) {
    struct Cookies {
        xcb_get_property_cookie_t wmClass{};
        TitleCookies title;
    };
    std::vector<std::optional<Cookies>> cookies;
    cookies.reserve(windows.size());
    for (xcb_window_t window : windows) {
        cookies.push_back(window == XCB_NONE
                              ? std::nullopt
                              : std::optional<Cookies>({requestClass(x_, window), requestTitle(x_, window)}));
    }
    if (!windows.empty()) {
        x_.awaitReplies();
    }
    std::vector<std::pair<QString, QString>> result;
    result.reserve(windows.size());
    for (const auto& k : cookies) {
        if (!k) {
            result.emplace_back();
            continue;
        }
        auto cls = x_.reply<xcb_get_property_reply_t>(k->wmClass);
        QString className = classOf(cls.get());
        result.emplace_back(std::move(className), titleOf(x_, k->title));
    }
    if (x_.lost()) {
        return std::vector<std::pair<QString, QString>>(windows.size());
    }
    return result;
}

WindowQueries::ClassRequests WindowQueries::requestClassNames(std::span<const xcb_window_t> windows) {
    ClassRequests requests;
    requests.cookies.reserve(windows.size());
    for (xcb_window_t window : windows) {
        requests.cookies.push_back(window == XCB_NONE ? std::nullopt
                                                      : std::optional(requestClass(x_, window)));
    }
    return requests;
}

std::vector<QString> WindowQueries::classNames(const ClassRequests& requests) {
    std::vector<QString> names;
    names.reserve(requests.cookies.size());
    for (const auto& cookie : requests.cookies) {
        if (!cookie) {
            names.emplace_back();
            continue;
        }
        auto r = x_.reply<xcb_get_property_reply_t>(*cookie);
        names.push_back(classOf(r.get()));
    }
    if (x_.lost()) {
        return std::vector<QString>(requests.cookies.size());
    }
    return names;
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
    const auto states = readWmStates(x_, chain);
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
    return findClients(x_, one, false).front();
}

}  // namespace core::x11
