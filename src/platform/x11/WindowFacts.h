#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/x11/X11Connection.h"

namespace core::x11 {

// ICCCM WM_STATE values.
inline constexpr std::uint32_t kWithdrawnState = 0;
inline constexpr std::uint32_t kNormalState = 1;
inline constexpr std::uint32_t kIconicState = 3;

// The parts of WindowFacts to read; each part is one request per window.
enum FactPart : unsigned {
    kFactAttributes = 1u << 0,  // always read: it tells whether the window exists
    kFactTree = 1u << 1,
    kFactWmState = 1u << 2,
    kFactNetState = 1u << 3,
    kFactExtents = 1u << 4,
    kFactDesktop = 1u << 5,
    kFactGeometry = 1u << 6,
    kFactRootPosition = 1u << 7,
    kFactAll = 0xffu,
};

struct FrameExtents {
    std::int32_t left = 0, right = 0, top = 0, bottom = 0;
};

// What the server and the window manager say about one window at one moment.
struct WindowFacts {
    bool exists = false;
    bool overrideRedirect = false;
    std::uint8_t mapState = XCB_MAP_STATE_UNMAPPED;
    xcb_window_t parent = XCB_NONE;
    std::optional<std::uint32_t> wmState;  // empty when the window has no WM_STATE
    bool maximizedVert = false;
    bool maximizedHorz = false;
    bool hidden = false;                // _NET_WM_STATE_HIDDEN: minimised, for an EWMH window manager
    bool shaded = false;                // _NET_WM_STATE_SHADED: rolled up into its title bar
    std::vector<xcb_atom_t> netStates;  // every atom of _NET_WM_STATE (read with kFactNetState)
    bool onOtherDesktop = false;        // on a desktop other than the current one (read with kFactDesktop)
    FrameExtents extents;
    std::optional<std::uint32_t> desktop;  // _NET_WM_DESKTOP (0xFFFFFFFF: all desktops)
    std::int32_t x = 0, y = 0;             // relative to the parent, outside the border
    std::int32_t width = 0, height = 0, border = 0;
    std::int32_t rootX = 0, rootY = 0;  // the window's origin (inside its border) on the root

    bool managed() const { return wmState == kNormalState || wmState == kIconicState; }
    // Openbox (as ICCCM allows) also gives windows on other desktops IconicState, and openbox,
    // metacity, marco and kwin give it to shaded windows; only _NET_WM_STATE_HIDDEN tells them
    // apart from minimised ones (a window both shaded and minimised counts as shaded).
    bool minimized() const { return wmState == kIconicState && !shaded && (hidden || !onOtherDesktop); }
    bool maximized() const { return maximizedVert && maximizedHorz; }
};

// Reads the asked parts for every window with all requests sent before the first reply is read:
// one round trip however many windows. A window that is gone, and XCB_NONE, has exists == false.
std::vector<WindowFacts> readFacts(X11Connection& x, std::span<const xcb_window_t> windows, unsigned parts);
WindowFacts readFacts(X11Connection& x, xcb_window_t window, unsigned parts);

// Children of each window, bottom to top; empty for a window that is gone. One round trip.
std::vector<std::vector<xcb_window_t>> readChildren(X11Connection& x, std::span<const xcb_window_t> windows);

// The WM_STATE of each window; empty where it has none. One round trip.
std::vector<std::optional<std::uint32_t>> readWmStates(X11Connection& x,
                                                       std::span<const xcb_window_t> windows);

// For each window, the client window inside it: the window itself when it carries WM_STATE, else the
// nearest descendant that does (breadth first, as a window manager's frame holds it), else XCB_NONE.
// With managedOnly, a WM_STATE of Withdrawn does not count. One round trip per level searched.
std::vector<xcb_window_t> findClients(X11Connection& x, std::span<const xcb_window_t> windows,
                                      bool managedOnly);

// The ancestor of the window that is a child of the root (the window itself when it is one);
// XCB_NONE when the window is gone. One round trip per level.
xcb_window_t topLevelOf(X11Connection& x, xcb_window_t window);

// The 32-bit values of a property reply (CARDINAL, ATOM, WINDOW ...); empty for other formats.
std::vector<std::uint32_t> values32(const xcb_get_property_reply_t* reply);

}  // namespace core::x11
