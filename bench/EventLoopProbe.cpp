#include "EventLoopProbe.h"

#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

xcb_atom_t intern(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

}  // namespace

EventLoopProbe::EventLoopProbe(xcb_window_t window) : window_(window), thread_([this] { run(); }) {}

EventLoopProbe::~EventLoopProbe() {
    stop();
}

std::chrono::duration<double, std::milli> EventLoopProbe::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    return std::chrono::duration<double, std::milli>(connected_ ? longestMs_ : -1.0);
}

void EventLoopProbe::run() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) != 0) {
        xcb_disconnect(c);
        return;
    }
    connected_ = true;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // Qt sends its answer to the root for StructureNotify.
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t protocols = intern(c, "WM_PROTOCOLS");
    const xcb_atom_t ping = intern(c, "_NET_WM_PING");
    std::uint32_t sequence = 0;
    while (!stopping_) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window_;
        event.type = protocols;
        event.data.data32[0] = ping;
        event.data.data32[1] = ++sequence;
        event.data.data32[2] = window_;
        xcb_send_event(c, 0, window_, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
        xcb_flush(c);
        const auto sent = Clock::now();
        bool answered = false;
        while (!answered && !stopping_ && xcb_connection_has_error(c) == 0) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
                if ((e->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                    const auto* m = reinterpret_cast<const xcb_client_message_event_t*>(e);
                    answered = answered || (m->data.data32[0] == ping && m->data.data32[1] == sequence);
                }
                std::free(e);
            }
            if (!answered) {
                pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
                poll(&fd, 1, 5);
            }
        }
        longestMs_ =
            std::max(longestMs_, std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
        const auto asked = Clock::now();
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        longestServerMs_ = std::max(longestServerMs_,
                                    std::chrono::duration<double, std::milli>(Clock::now() - asked).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    xcb_disconnect(c);
}

}  // namespace bench
