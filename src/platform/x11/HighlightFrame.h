#pragma once

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <unordered_map>

#include "platform/x11/X11Connection.h"

namespace core::x11 {

// The picker's mark on a window: four thin override-redirect windows along the inside of the
// window's outer rectangle (its window manager frame included). Drawing into another program's
// window would be invisible under a compositor and go stale when that window repaints; windows of
// our own show everywhere. They take no input (an empty SHAPE input region), so the pointer and
// WindowFromPoint see through them.
class HighlightFrame {
public:
    static constexpr std::int32_t kThickness = 5;

    explicit HighlightFrame(X11Connection& x) : x_(x) {}
    ~HighlightFrame();
    HighlightFrame(const HighlightFrame&) = delete;
    HighlightFrame& operator=(const HighlightFrame&) = delete;

    // Puts the mark on the window, or takes it off when the window carries it. A mark is taken off
    // even when its window has vanished meanwhile, so that none is left on the screen.
    void toggle(xcb_window_t window);
    bool marked(xcb_window_t window) const { return bars_.contains(window); }
    // True for the windows that make up a mark.
    bool ownsBar(xcb_window_t window) const;

private:
    using Bars = std::array<xcb_window_t, 4>;

    bool outerRect(xcb_window_t window, std::int32_t& x, std::int32_t& y, std::int32_t& w, std::int32_t& h);
    Bars createBars(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);
    std::uint32_t colour();

    X11Connection& x_;
    std::unordered_map<xcb_window_t, Bars> bars_;
    bool colourKnown_ = false;
    std::uint32_t colour_ = 0;
};

}  // namespace core::x11
