#include "platform/x11/CarriedStates.h"

#include <algorithm>

namespace core::x11 {

CarriedStates carriedStates(xcb_ewmh_connection_t* ewmh, std::span<const xcb_atom_t> netStates) {
    const xcb_atom_t keep[] = {ewmh->_NET_WM_STATE_ABOVE,      ewmh->_NET_WM_STATE_BELOW,
                               ewmh->_NET_WM_STATE_STICKY,     ewmh->_NET_WM_STATE_SKIP_TASKBAR,
                               ewmh->_NET_WM_STATE_SKIP_PAGER, ewmh->_NET_WM_STATE_SHADED};
    CarriedStates states;
    for (xcb_atom_t atom : netStates) {
        if (std::ranges::find(keep, atom) != std::end(keep) &&
            std::ranges::find(states.kept, atom) == states.kept.end()) {
            states.kept.push_back(atom);
        }
        states.maximizedVert = states.maximizedVert || atom == ewmh->_NET_WM_STATE_MAXIMIZED_VERT;
        states.maximizedHorz = states.maximizedHorz || atom == ewmh->_NET_WM_STATE_MAXIMIZED_HORZ;
        states.fullscreen = states.fullscreen || atom == ewmh->_NET_WM_STATE_FULLSCREEN;
    }
    return states;
}

void presetStates(X11Connection& x, xcb_window_t window, const std::vector<xcb_atom_t>& atoms) {
    xcb_ewmh_set_wm_state(x.ewmh(), window, static_cast<std::uint32_t>(atoms.size()),
                          const_cast<xcb_atom_t*>(atoms.data()));
}

void requestStates(X11Connection& x, xcb_window_t window, const std::vector<xcb_atom_t>& atoms) {
    for (std::size_t i = 0; i < atoms.size(); i += 2) {
        const xcb_atom_t second = i + 1 < atoms.size() ? atoms[i + 1] : xcb_atom_t{XCB_ATOM_NONE};
        xcb_ewmh_request_change_wm_state(x.ewmh(), x.screenNumber(), window, XCB_EWMH_WM_STATE_ADD, atoms[i],
                                         second, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    }
}

}  // namespace core::x11
