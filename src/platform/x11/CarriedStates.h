#pragma once

#include <xcb/xcb.h>

#include <span>
#include <vector>

#include "platform/x11/X11Connection.h"

namespace core::x11 {

// The parts of _NET_WM_STATE that a window manager forgets when it lets a withdrawn window go (it
// deletes the property) and that restoring hands back. Minimised is not among them: the placement
// carries it.
struct CarriedStates {
    // Above, below, sticky, skip-taskbar, skip-pager and shaded: set on the withdrawn window before
    // it is mapped, as EWMH allows, so that the window manager manages it in that state at once.
    std::vector<xcb_atom_t> kept;
    // These change the window's rectangle: asked for once the window is back at its normal one.
    bool maximizedVert = false;
    bool maximizedHorz = false;
    bool fullscreen = false;

    bool changesRectangle() const { return maximizedVert || maximizedHorz || fullscreen; }
};

CarriedStates carriedStates(xcb_ewmh_connection_t* ewmh, std::span<const xcb_atom_t> netStates);

// Writes _NET_WM_STATE on a window that no window manager holds (before its map).
void presetStates(X11Connection& x, xcb_window_t window, const std::vector<xcb_atom_t>& atoms);

// Asks the window manager to add each state to a managed window, two to a message.
void requestStates(X11Connection& x, xcb_window_t window, const std::vector<xcb_atom_t>& atoms);

}  // namespace core::x11
