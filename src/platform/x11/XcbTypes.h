#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

// Ownership of what libxcb hands out: replies and errors are malloc'd and must be freed exactly once.
namespace core::x11 {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

template <typename T>
using Owned = std::unique_ptr<T, FreeDeleter>;

// A client message for the root window, zeroed as the EWMH and ICCCM layouts expect: every data
// word that a message does not use must be 0.
static_assert(sizeof(xcb_client_message_event_t) == 32, "SendEvent sends 32 bytes");
inline xcb_client_message_event_t makeClientMessage(xcb_window_t window, xcb_atom_t type) {
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    return event;
}

}  // namespace core::x11
