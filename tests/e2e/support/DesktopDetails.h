#pragma once

// More of what a user sees, read through an X connection of the test's own: the pixels of a part
// of the screen, a window's outer rectangle with its window manager's frame, and the windows that
// no window manager handles (override-redirect), such as the picker's highlight frame.

#include <xcb/xcb.h>

#include <QRect>
#include <cstdint>
#include <vector>

#include "e2e/support/DesktopView.h"

namespace e2e {

// The colours of a part of the screen, 0xRRGGBB, row by row.
struct ScreenPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;

    bool empty() const { return rgb.empty(); }
    // The share (0 to 1) of the pixels within `tolerance` of `colour` in each channel; 0 when empty.
    double shareNear(std::uint32_t colour, int tolerance = 40) const;
    bool operator==(const ScreenPixels&) const = default;
};

class DesktopDetails {
public:
    // Connects to display ($DISPLAY when null).
    explicit DesktopDetails(const char* display = nullptr);
    ~DesktopDetails();
    DesktopDetails(const DesktopDetails&) = delete;
    DesktopDetails& operator=(const DesktopDetails&) = delete;

    bool connected() const;

    // The pixels of `area` (root coordinates; cut to the screen); empty on failure.
    ScreenPixels grab(QRect area);
    // The rectangle of the window's top-level ancestor (its window manager's frame, or the window
    // itself when it has none) with its border; empty when the window is gone.
    QRect outerRect(Window window);
    // The viewable override-redirect children of the root, by rectangle.
    std::vector<QRect> overrideRedirectRects();

private:
    xcb_connection_t* connection_;
    Window root_ = 0;
    QRect screen_;
};

}  // namespace e2e
