// zel-bench-poll: the floor of polling the triggers, for the desktop benchmark to compare with.
// Every 300 ms it reads the pointer (query_pointer) and the keyboard indicators (XKB), as a tick
// that watches the pointer, Shift and ScrollLock must at least, and does nothing else.
#include <xcb/xcb.h>
// xkb.h names a struct member "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <chrono>
#include <cstdlib>
#include <thread>

int main() {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c) != 0) return 1;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    const xcb_window_t root = it.data->root;
    std::free(xcb_xkb_use_extension_reply(c, xcb_xkb_use_extension(c, 1, 0), nullptr));
    auto next = std::chrono::steady_clock::now();
    while (xcb_connection_has_error(c) == 0) {
        next += std::chrono::milliseconds(300);
        std::this_thread::sleep_until(next);
        std::free(xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr));
        std::free(xcb_xkb_get_indicator_state_reply(
            c, xcb_xkb_get_indicator_state(c, XCB_XKB_ID_USE_CORE_KBD), nullptr));
    }
    xcb_disconnect(c);
    return 0;
}
