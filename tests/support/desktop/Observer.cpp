#include "support/desktop/Observer.h"

#include <poll.h>

#include <algorithm>
#include <cstring>

#include "platform/x11/XcbTypes.h"

using core::x11::Owned;

std::ostream& operator<<(std::ostream& os, const QRect& r) {
    return os << r.width() << "x" << r.height() << "+" << r.x() << "+" << r.y();
}

void PrintTo(const QRect& r, std::ostream* os) {
    *os << r;
}

namespace desktoptest {

namespace {

int channel(std::uint32_t rgb, int shift) {
    return static_cast<int>((rgb >> shift) & 0xffu);
}

}  // namespace

double ScreenPixels::shareNear(std::uint32_t colour, int tolerance) const {
    if (rgb.empty()) return 0.0;
    std::size_t near = 0;
    for (const std::uint32_t pixel : rgb) {
        bool close = true;
        for (const int shift : {16, 8, 0})
            close = close && std::abs(channel(pixel, shift) - channel(colour, shift)) <= tolerance;
        if (close) ++near;
    }
    return static_cast<double>(near) / static_cast<double>(rgb.size());
}

std::uint8_t eventType(const Event& event) {
    return event.response_type & 0x7f;
}

Window eventWindow(const Event& event) {
    switch (eventType(event)) {
        case XCB_MAP_NOTIFY:
            return reinterpret_cast<const xcb_map_notify_event_t&>(event).window;
        case XCB_UNMAP_NOTIFY:
            return reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window;
        case XCB_DESTROY_NOTIFY:
            return reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
        case XCB_REPARENT_NOTIFY:
            return reinterpret_cast<const xcb_reparent_notify_event_t&>(event).window;
        case XCB_CONFIGURE_NOTIFY:
            return reinterpret_cast<const xcb_configure_notify_event_t&>(event).window;
        case XCB_CREATE_NOTIFY:
            return reinterpret_cast<const xcb_create_notify_event_t&>(event).window;
        case XCB_PROPERTY_NOTIFY:
            return reinterpret_cast<const xcb_property_notify_event_t&>(event).window;
        default:
            return 0;
    }
}

Observer::Observer(const char* display) : connection_(xcb_connect(display, nullptr)) {
    if (connected()) root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
}

Observer::~Observer() {
    xcb_disconnect(connection_);
}

bool Observer::connected() const {
    return xcb_connection_has_error(connection_) == 0;
}

xcb_atom_t Observer::atom(const char* name) {
    const auto known = atoms_.find(name);
    if (known != atoms_.end()) return known->second;
    const Owned<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    atoms_[name] = atom;
    return atom;
}

void Observer::sync() {
    const Owned<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

void Observer::watch(Window window, std::uint32_t mask) {
    xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &mask);
    sync();
}

xcb_generic_event_t* Observer::nextEvent(std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        if (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) return event;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !connected()) return nullptr;
        pollfd descriptor{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&descriptor, 1, static_cast<int>(left.count()) + 1);
    }
}

bool Observer::waitForEvent(Window window, const std::function<bool(const Event&)>& matches,
                            std::chrono::milliseconds timeout) {
    const auto wanted = [&](const Event& event) {
        return (window == 0 || eventWindow(event) == window) && matches(event);
    };
    for (auto it = kept_.begin(); it != kept_.end(); ++it) {
        if (wanted(**it)) {
            kept_.erase(it);
            return true;
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Owned<Event> event{nextEvent(deadline)}) {
        if (eventType(*event) == 0) continue;  // an error of an unchecked request of ours
        if (wanted(*event)) return true;
        kept_.push_back(std::move(event));
    }
    return false;
}

std::string Observer::property(Window window, xcb_atom_t property, xcb_atom_t type,
                               std::uint32_t longLength) {
    const Owned<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, type, 0, longLength), nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE) return {};
    const auto* value = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const int length = xcb_get_property_value_length(reply.get());
    return std::string(value, static_cast<std::size_t>(std::max(length, 0)));
}

std::vector<std::uint32_t> Observer::values(Window window, const char* name, xcb_atom_t type) {
    const Owned<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, atom(name), type, 0, 4096), nullptr));
    if (!reply || reply->format != 32) return {};
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return {data, data + xcb_get_property_value_length(reply.get()) / 4};
}

std::string Observer::text(Window window, const char* name, xcb_atom_t type) {
    const Owned<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, atom(name), type, 0, 4096), nullptr));
    if (!reply || reply->format != 8) return {};
    return {static_cast<const char*>(xcb_get_property_value(reply.get())),
            static_cast<std::size_t>(xcb_get_property_value_length(reply.get()))};
}

bool Observer::windowManagerRunning() {
    return !values(root_, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW).empty();
}

std::vector<Window> Observer::clientList() {
    return values(root_, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW);
}

std::vector<Window> Observer::stackingList() {
    return values(root_, "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW);
}

std::vector<Window> Observer::stackingOrder(const std::vector<Window>& windows) {
    const std::vector<Window> tops = children(root_);  // bottom first
    std::vector<std::pair<std::ptrdiff_t, Window>> placed;
    for (const Window window : windows) {
        const std::vector<Window> up = ancestors(window);
        if (up.empty()) continue;
        const auto at = std::ranges::find(tops, up.back());
        if (at != tops.end()) placed.emplace_back(at - tops.begin(), window);
    }
    std::ranges::sort(placed);
    std::vector<Window> order;
    for (const auto& entry : placed)
        order.push_back(entry.second);
    return order;
}

bool Observer::listed(Window window) {
    return std::ranges::count(clientList(), window) > 0;
}

Window Observer::activeWindow() {
    const auto active = values(root_, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW);
    return active.empty() ? Window{0} : active.front();
}

std::optional<std::uint32_t> Observer::currentDesktop() {
    const auto desktop = values(root_, "_NET_CURRENT_DESKTOP", XCB_ATOM_CARDINAL);
    return desktop.empty() ? std::nullopt : std::optional<std::uint32_t>(desktop.front());
}

Window Observer::findManaged(const QString& wanted) {
    const std::string bytes = wanted.toStdString();
    for (const Window window : clientList()) {
        if (text(window, "_NET_WM_NAME", atom("UTF8_STRING")) == bytes ||
            text(window, "WM_NAME", XCB_GET_PROPERTY_TYPE_ANY) == bytes) {
            return window;
        }
    }
    return 0;
}

bool Observer::exists(Window window) {
    const Owned<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, window), nullptr));
    return static_cast<bool>(reply);
}

std::uint8_t Observer::mapState(Window window) {
    const Owned<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, window), nullptr));
    return reply ? reply->map_state : std::uint8_t{XCB_MAP_STATE_UNMAPPED};
}

QString Observer::title(Window window) {
    const std::string utf8 = property(window, atom("_NET_WM_NAME"), atom("UTF8_STRING"));
    if (!utf8.empty()) return QString::fromStdString(utf8);
    return QString::fromLatin1(property(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING));
}

QString Observer::className(Window window) {
    const std::string both = property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    const auto split = both.find('\0');
    if (split == std::string::npos) return {};
    const std::string name = both.substr(split + 1);
    return QString::fromLatin1(name.substr(0, name.find('\0')));
}

std::uint32_t Observer::pid(Window window) {
    const auto pid = values(window, "_NET_WM_PID", XCB_ATOM_CARDINAL);
    return pid.empty() ? 0 : pid.front();
}

std::optional<std::uint32_t> Observer::wmState(Window window) {
    const auto state = values(window, "WM_STATE", atom("WM_STATE"));
    return state.empty() ? std::nullopt : std::optional<std::uint32_t>(state.front());
}

bool Observer::managed(Window window) {
    const auto state = wmState(window);
    return state && (*state == 1 || *state == 3) && listed(window);
}

bool Observer::released(Window window) {
    const auto state = wmState(window);
    return (!state || *state != 1) && !listed(window) && parent(window) == root_;
}

bool Observer::framesHaveInvisibleBorders() {
    if (!invisibleBorders_) {
        const auto check = values(root_, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW);
        const QString name = check.empty() ? QString() : title(check.front());
        // Metacity and its forks (marco, mutter) make the frame window wider than the frame by a
        // resize border that the pointer grabs but nothing draws.
        invisibleBorders_ = name.startsWith(QLatin1String("Metacity")) ||
                            name.startsWith(QLatin1String("Mutter")) ||
                            name.startsWith(QLatin1String("GNOME Shell"));
    }
    return *invisibleBorders_;
}

bool Observer::framesReported() {
    if (!framesReported_) {
        const auto supported = values(root_, "_NET_SUPPORTED", XCB_ATOM_ATOM);
        framesReported_ = std::ranges::count(supported, atom("_NET_FRAME_EXTENTS")) > 0;
    }
    return *framesReported_;
}

bool Observer::settled(Window window) {
    if (!managed(window) || !framesReported()) return true;
    const QRect frame = frameRect(window);
    const QRect drawn = drawnFrameRect(window);
    if (!framesHaveInvisibleBorders()) return drawn.topLeft() == frame.topLeft();
    // The invisible border is as wide on the left as on the right; the drawn frame lies inside.
    const int left = drawn.left() - frame.left();
    const int right = frame.right() - drawn.right();
    return left >= 0 && left == right && drawn.top() >= frame.top() && drawn.bottom() <= frame.bottom();
}

bool Observer::hasNetState(Window window, const char* stateAtom) {
    return std::ranges::count(values(window, "_NET_WM_STATE", XCB_ATOM_ATOM), atom(stateAtom)) > 0;
}

bool Observer::maximized(Window window) {
    return hasNetState(window, "_NET_WM_STATE_MAXIMIZED_VERT") &&
           hasNetState(window, "_NET_WM_STATE_MAXIMIZED_HORZ");
}

bool Observer::hidden(Window window) {
    return hasNetState(window, "_NET_WM_STATE_HIDDEN");
}

std::optional<std::uint32_t> Observer::desktop(Window window) {
    const auto desktop = values(window, "_NET_WM_DESKTOP", XCB_ATOM_CARDINAL);
    return desktop.empty() ? std::nullopt : std::optional<std::uint32_t>(desktop.front());
}

QRect Observer::rootRect(Window window) {
    if (window == 0) return {};
    const Owned<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
    const Owned<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr));
    if (!geometry || !origin) return {};
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

QRect Observer::frameRect(Window window) {
    const std::vector<Window> up = ancestors(window);
    if (up.empty()) return {};
    const Owned<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, up.back()), nullptr));
    if (!geometry) return {};
    // The position is that of the border's outer corner; the size is inside the border.
    const int border = geometry->border_width;
    return QRect(geometry->x, geometry->y, geometry->width + 2 * border, geometry->height + 2 * border);
}

QSize Observer::resizeIncrement(Window window) {
    // WM_SIZE_HINTS: flags, x, y, width, height, min, max, then the increments; PResizeInc = 1 << 6.
    const auto hints = values(window, "WM_NORMAL_HINTS", XCB_ATOM_WM_SIZE_HINTS);
    if (hints.size() < 11 || (hints[0] & (1u << 6)) == 0) return {1, 1};
    return {std::max(static_cast<int>(hints[9]), 1), std::max(static_cast<int>(hints[10]), 1)};
}

QRect Observer::drawnFrameRect(Window client) {
    const QRect r = rootRect(client);
    const auto extents = values(client, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL);
    if (extents.size() != 4) return r;
    return r.adjusted(-static_cast<int>(extents[0]), -static_cast<int>(extents[2]),
                      static_cast<int>(extents[1]), static_cast<int>(extents[3]));
}

QRect Observer::frameOrigin(Window client) {
    const QRect r = rootRect(client);
    const auto extents = values(client, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL);
    const int left = extents.size() == 4 ? static_cast<int>(extents[0]) : 0;
    const int top = extents.size() == 4 ? static_cast<int>(extents[2]) : 0;
    return QRect(r.x() - left, r.y() - top, r.width(), r.height());
}

Window Observer::parent(Window window) {
    const Owned<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
    return tree ? tree->parent : Window{0};
}

std::vector<Window> Observer::children(Window window) {
    const Owned<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
    if (!tree) return {};
    const Window* children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
}

std::vector<Window> Observer::ancestors(Window window) {
    std::vector<Window> found;
    while (window != 0 && window != root_) {
        const Owned<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
        if (!tree) break;
        found.push_back(window);
        window = tree->parent;
    }
    return found;
}

void Observer::collect(Window window, std::vector<Window>& into) {
    for (const Window child : children(window)) {
        into.push_back(child);
        collect(child, into);
    }
}

std::vector<Window> Observer::allWindows() {
    std::vector<Window> windows;
    collect(root_, windows);
    return windows;
}

Window Observer::findWindow(const QString& wantedTitle, std::uint32_t wantedPid, bool viewableOnly) {
    for (const Window window : allWindows()) {
        if (title(window) != wantedTitle) continue;
        if (wantedPid != 0 && pid(window) != wantedPid) continue;
        if (viewableOnly && !viewable(window)) continue;
        return window;
    }
    return 0;
}

std::vector<Window> Observer::windowsOf(std::uint32_t wantedPid, const QString& wantedTitle) {
    std::vector<Window> found;
    for (const Window window : allWindows()) {
        if (pid(window) == wantedPid && title(window) == wantedTitle && viewable(window))
            found.push_back(window);
    }
    return found;
}

std::vector<Window> Observer::overrideRedirectWindows() {
    // The X server gives each client a range of IDs: the window manager's windows are those in the
    // range of its check window.
    const std::uint32_t mask = xcb_get_setup(connection_)->resource_id_mask;
    const auto check = values(root_, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW);
    const auto ofWindowManager = [&](Window window) {
        return !check.empty() && (window & ~mask) == (check.front() & ~mask);
    };
    std::vector<Window> found;
    for (const Window child : children(root_)) {
        if (ofWindowManager(child)) continue;
        const Owned<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, child), nullptr));
        if (attributes && attributes->override_redirect != 0 &&
            attributes->map_state == XCB_MAP_STATE_VIEWABLE)
            found.push_back(child);
    }
    return found;
}

QRect Observer::screenRect() {
    return rootRect(root_);
}

ScreenPixels Observer::grab(QRect area) {
    area = area.intersected(screenRect());
    if (area.isEmpty()) return {};
    const Owned<xcb_get_image_reply_t> image(xcb_get_image_reply(
        connection_,
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, static_cast<std::int16_t>(area.x()),
                      static_cast<std::int16_t>(area.y()), static_cast<std::uint16_t>(area.width()),
                      static_cast<std::uint16_t>(area.height()), ~0u),
        nullptr));
    const auto count = static_cast<std::size_t>(area.width()) * static_cast<std::size_t>(area.height());
    // 24-bit TrueColor at 32 bits a pixel (the headless desktop's depth): B, G, R, pad.
    if (!image || static_cast<std::size_t>(xcb_get_image_data_length(image.get())) < count * 4) return {};
    const std::uint8_t* data = xcb_get_image_data(image.get());
    ScreenPixels pixels{area.width(), area.height(), std::vector<std::uint32_t>(count)};
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = data + i * 4;
        pixels.rgb[i] = (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
    }
    return pixels;
}

std::uint32_t Observer::pixel(int x, int y) {
    const ScreenPixels one = grab(QRect(x, y, 1, 1));
    return one.empty() ? 0 : one.rgb.front();
}

Window Observer::trayerPanel() {
    for (const Window window : allWindows()) {
        if (property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING) == std::string("panel\0trayer\0", 13))
            return window;
    }
    return 0;
}

std::vector<Window> Observer::dockedIcons() {
    const Window panel = trayerPanel();
    if (panel == 0) return {};
    std::vector<Window> below;
    collect(panel, below);
    std::vector<Window> icons;
    for (const Window window : below) {
        if (pid(window) != 0 && viewable(window) && !rootRect(window).isEmpty()) icons.push_back(window);
    }
    return icons;
}

Window Observer::trayIconOf(std::uint32_t wantedPid) {
    for (const Window icon : dockedIcons()) {
        if (pid(icon) == wantedPid) return icon;
    }
    return 0;
}

bool Observer::trayHostPresent() {
    const Owned<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        connection_, xcb_get_selection_owner(connection_, atom("_NET_SYSTEM_TRAY_S0")), nullptr));
    return owner && owner->owner != XCB_NONE;
}

}  // namespace desktoptest
