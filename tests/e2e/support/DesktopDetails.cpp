#include "e2e/support/DesktopDetails.h"

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

DesktopDetails::DesktopDetails(const char* display) : connection_(xcb_connect(display, nullptr)) {
    if (!connected()) return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    root_ = screen->root;
    screen_ = QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels);
}

DesktopDetails::~DesktopDetails() {
    xcb_disconnect(connection_);
}

bool DesktopDetails::connected() const {
    return xcb_connection_has_error(connection_) == 0;
}

ScreenPixels DesktopDetails::grab(QRect area) {
    area = area.intersected(screen_);
    if (area.isEmpty()) return {};
    auto image = own(xcb_get_image_reply(
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

QRect DesktopDetails::outerRect(Window window) {
    Window top = window;
    for (;;) {
        auto tree = own(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, top), nullptr));
        if (!tree) return {};
        if (tree->parent == root_ || tree->parent == XCB_NONE) break;
        top = tree->parent;
    }
    auto geometry = own(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, top), nullptr));
    if (!geometry) return {};
    // The position is that of the border's outer corner; the size is inside the border.
    const int border = geometry->border_width;
    return QRect(geometry->x, geometry->y, geometry->width + 2 * border, geometry->height + 2 * border);
}

std::vector<QRect> DesktopDetails::overrideRedirectRects() {
    auto tree = own(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
    if (!tree) return {};
    const Window* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    std::vector<QRect> rects;
    for (int i = 0; i < count; ++i) {
        auto attributes = own(xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, children[i]), nullptr));
        if (!attributes || attributes->override_redirect == 0 ||
            attributes->map_state != XCB_MAP_STATE_VIEWABLE) {
            continue;
        }
        auto geometry =
            own(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, children[i]), nullptr));
        if (geometry) rects.emplace_back(geometry->x, geometry->y, geometry->width, geometry->height);
    }
    return rects;
}

}  // namespace e2e
