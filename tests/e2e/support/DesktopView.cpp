#include "e2e/support/DesktopView.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace e2e {

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> own(T* reply) {
    return Reply<T>(reply, &std::free);
}

}  // namespace

DesktopView::DesktopView(const char* display) : connection_(xcb_connect(display, nullptr)) {
    if (connected()) root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
}

DesktopView::~DesktopView() {
    xcb_disconnect(connection_);
}

bool DesktopView::connected() const {
    return xcb_connection_has_error(connection_) == 0;
}

xcb_atom_t DesktopView::atom(const char* name) {
    const auto known = atoms_.find(name);
    if (known != atoms_.end()) return known->second;
    auto reply = own(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    atoms_[name] = atom;
    return atom;
}

std::string DesktopView::property(Window window, xcb_atom_t property, xcb_atom_t type,
                                  std::uint32_t longLength) {
    auto reply = own(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, type, 0, longLength), nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE) return {};
    const auto* value = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const int length = xcb_get_property_value_length(reply.get());
    return std::string(value, static_cast<std::size_t>(std::max(length, 0)));
}

std::vector<std::uint32_t> DesktopView::cardinals(Window window, const char* name, xcb_atom_t type) {
    const std::string bytes = property(window, atom(name), type);
    std::vector<std::uint32_t> values(bytes.size() / 4);
    if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * 4);
    return values;
}

std::vector<Window> DesktopView::clientList() {
    return cardinals(root_, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW);
}

bool DesktopView::listed(Window window) {
    const std::vector<Window> clients = clientList();
    return std::find(clients.begin(), clients.end(), window) != clients.end();
}

std::vector<Window> DesktopView::children(Window window) {
    auto tree = own(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
    if (!tree) return {};
    const Window* children = xcb_query_tree_children(tree.get());
    return std::vector<Window>(children, children + xcb_query_tree_children_length(tree.get()));
}

void DesktopView::collect(Window window, std::vector<Window>& into) {
    for (const Window child : children(window)) {
        into.push_back(child);
        collect(child, into);
    }
}

std::vector<Window> DesktopView::allWindows() {
    std::vector<Window> windows;
    collect(root_, windows);
    return windows;
}

QString DesktopView::title(Window window) {
    const std::string utf8 = property(window, atom("_NET_WM_NAME"), atom("UTF8_STRING"));
    if (!utf8.empty()) return QString::fromStdString(utf8);
    return QString::fromLatin1(property(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING));
}

QString DesktopView::className(Window window) {
    const std::string both = property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    const auto split = both.find('\0');
    if (split == std::string::npos) return {};
    const std::string className = both.substr(split + 1);
    return QString::fromLatin1(className.substr(0, className.find('\0')));
}

std::uint32_t DesktopView::pid(Window window) {
    const std::vector<std::uint32_t> pid = cardinals(window, "_NET_WM_PID", XCB_ATOM_CARDINAL);
    return pid.empty() ? 0 : pid.front();
}

bool DesktopView::viewable(Window window) {
    auto attributes = own(xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

QRect DesktopView::geometry(Window window) {
    auto geometry = own(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
    auto origin = own(xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr));
    if (!geometry || !origin) return {};
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

bool DesktopView::hasNetState(Window window, const char* stateAtom) {
    const std::vector<std::uint32_t> states = cardinals(window, "_NET_WM_STATE", XCB_ATOM_ATOM);
    return std::find(states.begin(), states.end(), atom(stateAtom)) != states.end();
}

Window DesktopView::activeWindow() {
    const std::vector<std::uint32_t> active = cardinals(root_, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW);
    return active.empty() ? 0 : active.front();
}

Window DesktopView::findWindow(const QString& wantedTitle, std::uint32_t wantedPid, bool viewableOnly) {
    for (const Window window : allWindows()) {
        if (title(window) != wantedTitle) continue;
        if (wantedPid != 0 && pid(window) != wantedPid) continue;
        if (viewableOnly && !viewable(window)) continue;
        return window;
    }
    return 0;
}

std::vector<Window> DesktopView::windowsOf(std::uint32_t wantedPid, const QString& wantedTitle) {
    std::vector<Window> found;
    for (const Window window : allWindows()) {
        if (pid(window) == wantedPid && title(window) == wantedTitle && viewable(window))
            found.push_back(window);
    }
    return found;
}

Window DesktopView::trayerPanel() {
    for (const Window window : allWindows()) {
        const std::string both = property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
        if (both == std::string("panel\0trayer\0", 13)) return window;
    }
    return 0;
}

QRect DesktopView::screenRect() {
    return geometry(root_);
}

std::vector<Window> DesktopView::dockedIcons() {
    const Window panel = trayerPanel();
    if (panel == 0) return {};
    std::vector<Window> below;
    collect(panel, below);
    std::vector<Window> icons;
    for (const Window window : below) {
        if (pid(window) != 0 && viewable(window) && !geometry(window).isEmpty()) icons.push_back(window);
    }
    return icons;
}

Window DesktopView::trayIconOf(std::uint32_t wantedPid) {
    for (const Window icon : dockedIcons()) {
        if (pid(icon) == wantedPid) return icon;
    }
    return 0;
}

}  // namespace e2e
