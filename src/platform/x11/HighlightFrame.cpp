#include "platform/x11/HighlightFrame.h"

#include <xcb/shape.h>

#include <algorithm>

#include "platform/x11/WindowFacts.h"

namespace core::x11 {

namespace {

struct Bar {
    std::int32_t x, y, w, h;
};

// Top, left, right, bottom, each clipped to the rectangle. On a window lower or narrower than two
// thicknesses the bars overlap, as the four strokes of the original inverted frame did.
std::array<Bar, 4> barsOf(std::int32_t w, std::int32_t h, std::int32_t t) {
    const std::int32_t tw = std::min(t, w);
    const std::int32_t th = std::min(t, h);
    const std::int32_t sideTop = std::min(th, h - th);
    const std::int32_t sideHeight = std::abs(h - 2 * th);
    return {
        {{0, 0, w, th}, {0, sideTop, tw, sideHeight}, {w - tw, sideTop, tw, sideHeight}, {0, h - th, w, th}}};
}

}  // namespace

HighlightFrame::~HighlightFrame() {
    if (x_.lost()) {
        return;
    }
    for (const auto& [window, bars] : bars_) {
        for (xcb_window_t bar : bars) {
            if (bar != XCB_NONE) {
                xcb_destroy_window(x_.xcb(), bar);
            }
        }
    }
    x_.flush();
}

bool HighlightFrame::ownsBar(xcb_window_t window) const {
    return std::ranges::any_of(bars_, [window](const auto& entry) {
        return std::ranges::find(entry.second, window) != entry.second.end();
    });
}

void HighlightFrame::toggle(xcb_window_t window) {
    if (auto it = bars_.find(window); it != bars_.end()) {
        for (xcb_window_t bar : it->second) {
            if (bar != XCB_NONE) {
                xcb_destroy_window(x_.xcb(), bar);
            }
        }
        bars_.erase(it);
        x_.flush();
        return;
    }
    std::int32_t x = 0, y = 0, w = 0, h = 0;
    if (window == XCB_NONE || !outerRect(window, x, y, w, h) || w <= 0 || h <= 0) {
        return;
    }
    bars_[window] = createBars(x, y, w, h);
    x_.flush();
}

// The outer rectangle on the root: for a client window, the frame that its window manager put
// around it; for any other window, the window itself with its border.
bool HighlightFrame::outerRect(xcb_window_t window, std::int32_t& x, std::int32_t& y, std::int32_t& w,
                               std::int32_t& h) {
    const WindowFacts f = readFacts(x_, window, kFactWmState | kFactGeometry | kFactRootPosition);
    if (!f.exists || f.mapState != XCB_MAP_STATE_VIEWABLE) {
        return false;
    }
    WindowFacts outer = f;
    if (f.wmState) {
        const xcb_window_t top = topLevelOf(x_, window);
        if (top == XCB_NONE) {
            return false;
        }
        outer = readFacts(x_, top, kFactGeometry | kFactRootPosition);
    }
    x = outer.rootX - outer.border;
    y = outer.rootY - outer.border;
    w = outer.width + 2 * outer.border;
    h = outer.height + 2 * outer.border;
    return outer.exists;
}

HighlightFrame::Bars HighlightFrame::createBars(std::int32_t x, std::int32_t y, std::int32_t w,
                                                std::int32_t h) {
    xcb_connection_t* c = x_.xcb();
    const std::uint32_t pixel = colour();
    Bars bars{};
    std::size_t i = 0;
    for (const Bar& b : barsOf(w, h, kThickness)) {
        if (b.w <= 0 || b.h <= 0) {
            bars[i++] = XCB_NONE;
            continue;
        }
        const xcb_window_t bar = xcb_generate_id(c);
        const std::uint32_t values[] = {pixel, 1};  // background pixel, override-redirect
        xcb_create_window(c, XCB_COPY_FROM_PARENT, bar, x_.root(), static_cast<std::int16_t>(x + b.x),
                          static_cast<std::int16_t>(y + b.y), static_cast<std::uint16_t>(b.w),
                          static_cast<std::uint16_t>(b.h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        if (x_.extensions().shape) {
            xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, bar, 0,
                                 0, 0, nullptr);
        }
        xcb_map_window(c, bar);
        bars[i++] = bar;
    }
    return bars;
}

// A vivid red, seen on light and dark windows alike.
std::uint32_t HighlightFrame::colour() {
    if (!colourKnown_) {
        auto r = x_.reply<xcb_alloc_color_reply_t>(
            xcb_alloc_color(x_.xcb(), x_.screen().default_colormap, 0xffff, 0x2000, 0x2000));
        colour_ = r ? r->pixel : x_.screen().white_pixel;
        colourKnown_ = r != nullptr;
    }
    return colour_;
}

}  // namespace core::x11
