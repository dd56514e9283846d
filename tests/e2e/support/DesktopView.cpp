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
Reply<T> Own(T* reply) {
    return Reply<T>(reply, &std::free);
}

}  // namespace

DesktopView::DesktopView(const char* display) : connection_(xcb_connect(display, nullptr)) {
    if (Connected()) root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
}

DesktopView::~DesktopView() {
    xcb_disconnect(connection_);
}

bool DesktopView::Connected() const {
    return xcb_connection_has_error(connection_) == 0;
}

xcb_atom_t DesktopView::Atom(const char* name) {
    const auto known = atoms_.find(name);
    if (known != atoms_.end()) return known->second;
    auto reply = Own(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    atoms_[name] = atom;
    return atom;
}

std::string DesktopView::Property(Window window, xcb_atom_t property, xcb_atom_t type,
                                  std::uint32_t longLength) {
    auto reply = Own(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, type, 0, longLength), nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE) return {};
    const auto* value = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const int length = xcb_get_property_value_length(reply.get());
    return std::string(value, static_cast<std::size_t>(std::max(length, 0)));
}

std::vector<std::uint32_t> DesktopView::Cardinals(Window window, const char* property, xcb_atom_t type) {
    const std::string bytes = Property(window, Atom(property), type);
    std::vector<std::uint32_t> values(bytes.size() / 4);
    if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * 4);
    return values;
}

std::vector<Window> DesktopView::ClientList() {
    return Cardinals(root_, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW);
}

bool DesktopView::Listed(Window window) {
    const std::vector<Window> clients = ClientList();
    return std::find(clients.begin(), clients.end(), window) != clients.end();
}

std::vector<Window> DesktopView::Children(Window window) {
    auto tree = Own(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
    if (!tree) return {};
    const Window* children = xcb_query_tree_children(tree.get());
    return std::vector<Window>(children, children + xcb_query_tree_children_length(tree.get()));
}

void DesktopView::Collect(Window window, std::vector<Window>& into) {
    for (const Window child : Children(window)) {
        into.push_back(child);
        Collect(child, into);
    }
}

std::vector<Window> DesktopView::AllWindows() {
    std::vector<Window> windows;
    Collect(root_, windows);
    return windows;
}

QString DesktopView::Title(Window window) {
    const std::string utf8 = Property(window, Atom("_NET_WM_NAME"), Atom("UTF8_STRING"));
    if (!utf8.empty()) return QString::fromStdString(utf8);
    return QString::fromLatin1(Property(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING));
}

QString DesktopView::ClassName(Window window) {
    const std::string both = Property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    const auto split = both.find('\0');
    if (split == std::string::npos) return {};
    const std::string className = both.substr(split + 1);
    return QString::fromLatin1(className.substr(0, className.find('\0')));
}

std::uint32_t DesktopView::Pid(Window window) {
    const std::vector<std::uint32_t> pid = Cardinals(window, "_NET_WM_PID", XCB_ATOM_CARDINAL);
    return pid.empty() ? 0 : pid.front();
}

bool DesktopView::Viewable(Window window) {
    auto attributes = Own(xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

QRect DesktopView::Geometry(Window window) {
    auto geometry = Own(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
    auto origin = Own(xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr));
    if (!geometry || !origin) return {};
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

bool DesktopView::HasNetState(Window window, const char* stateAtom) {
    const std::vector<std::uint32_t> states = Cardinals(window, "_NET_WM_STATE", XCB_ATOM_ATOM);
    return std::find(states.begin(), states.end(), Atom(stateAtom)) != states.end();
}

Window DesktopView::ActiveWindow() {
    const std::vector<std::uint32_t> active = Cardinals(root_, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW);
    return active.empty() ? 0 : active.front();
}

Window DesktopView::FindWindow(const QString& title, std::uint32_t pid, bool viewableOnly) {
    for (const Window window : AllWindows()) {
        if (Title(window) != title) continue;
        if (pid != 0 && Pid(window) != pid) continue;
        if (viewableOnly && !Viewable(window)) continue;
        return window;
    }
    return 0;
}

std::vector<Window> DesktopView::WindowsOf(std::uint32_t pid, const QString& title) {
    std::vector<Window> found;
    for (const Window window : AllWindows()) {
        if (Pid(window) == pid && Title(window) == title && Viewable(window)) found.push_back(window);
    }
    return found;
}

Window DesktopView::TrayerPanel() {
    for (const Window window : AllWindows()) {
        const std::string both = Property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
        if (both == std::string("panel\0trayer\0", 13)) return window;
    }
    return 0;
}

QRect DesktopView::ScreenRect() {
    return Geometry(root_);
}

std::vector<Window> DesktopView::DockedIcons() {
    const Window panel = TrayerPanel();
    if (panel == 0) return {};
    std::vector<Window> below;
    Collect(panel, below);
    std::vector<Window> icons;
    for (const Window window : below) {
        if (Pid(window) != 0 && Viewable(window) && !Geometry(window).isEmpty()) icons.push_back(window);
    }
    return icons;
}

Window DesktopView::TrayIconOf(std::uint32_t pid) {
    for (const Window icon : DockedIcons()) {
        if (Pid(icon) == pid) return icon;
    }
    return 0;
}

}  // namespace e2e
