#include "platform/x11/X11Connection.h"

#include <poll.h>
#include <xcb/randr.h>
#include <xcb/shape.h>
#include <xcb/xinput.h>
// xkb.h names a struct member "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstring>

namespace core::x11 {

namespace {

xcb_intern_atom_cookie_t intern(xcb_connection_t* c, const char* name) {
    return xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
}

}  // namespace

std::unique_ptr<X11Connection> X11Connection::open(const char* displayName) {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(displayName, &screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    std::unique_ptr<X11Connection> result(new X11Connection(connection, screenNumber));
    if (!result->init()) {
        return nullptr;
    }
    return result;
}

X11Connection::X11Connection(xcb_connection_t* connection, int screenNumber)
    : connection_(connection), screenNumber_(screenNumber) {}

X11Connection::~X11Connection() {
    if (ewmhReady_) {
        xcb_ewmh_connection_wipe(&ewmh_);
    }
    xcb_disconnect(connection_);
}

bool X11Connection::init() {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber_ && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    if (it.rem == 0) {
        return false;
    }
    screen_ = it.data;

    // Everything is asked for first and read afterwards: one wait for the whole start.
    for (xcb_extension_t* ext : {&xcb_randr_id, &xcb_xkb_id, &xcb_input_id, &xcb_shape_id}) {
        xcb_prefetch_extension_data(connection_, ext);
    }
    xcb_intern_atom_cookie_t* ewmhCookies = xcb_ewmh_init_atoms(connection_, &ewmh_);
    const xcb_intern_atom_cookie_t wmState = intern(connection_, "WM_STATE");
    const xcb_intern_atom_cookie_t wmChangeState = intern(connection_, "WM_CHANGE_STATE");
    const xcb_intern_atom_cookie_t compoundText = intern(connection_, "COMPOUND_TEXT");
    const xcb_intern_atom_cookie_t scrollLock = intern(connection_, "Scroll Lock");

    ewmhReady_ = xcb_ewmh_init_atoms_replies(&ewmh_, ewmhCookies, nullptr) != 0;
    auto atom = [this](xcb_intern_atom_cookie_t cookie) {
        auto r = reply<xcb_intern_atom_reply_t>(cookie);
        return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    };
    atoms_.wmState = atom(wmState);
    atoms_.wmChangeState = atom(wmChangeState);
    atoms_.compoundText = atom(compoundText);
    atoms_.scrollLockIndicator = atom(scrollLock);

    auto present = [this](xcb_extension_t* ext) {
        const xcb_query_extension_reply_t* data = xcb_get_extension_data(connection_, ext);
        return data != nullptr && data->present != 0 ? data : nullptr;
    };
    if (const auto* data = present(&xcb_randr_id)) {
        extensions_.randr = true;
        extensions_.randrFirstEvent = data->first_event;
    }
    const auto* xkb = present(&xcb_xkb_id);
    const auto* xinput = present(&xcb_input_id);
    extensions_.shape = present(&xcb_shape_id) != nullptr;
    negotiateInputVersions(xkb, xinput);
    return ewmhReady_ && !lost();
}

// XKB sends its events only to clients that announced their version, and XInput behaves as the
// version the client announced: 2.1 and later deliver raw events even while another client grabs
// the device, 2.2 is what raw key events are used with. A version belongs to the client, not to a
// part of it: announced once, here, for every user of the connection.
void X11Connection::negotiateInputVersions(const xcb_query_extension_reply_t* xkb,
                                           const xcb_query_extension_reply_t* xinput) {
    xcb_xkb_use_extension_cookie_t xkbVersion{};
    xcb_input_xi_query_version_cookie_t xiVersion{};
    if (xkb != nullptr) {
        xkbVersion = xcb_xkb_use_extension(connection_, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION);
    }
    if (xinput != nullptr) {
        xiVersion = xcb_input_xi_query_version(connection_, 2, 2);
    }
    if (xkb != nullptr) {
        auto r = reply<xcb_xkb_use_extension_reply_t>(xkbVersion);
        extensions_.xkb = r && r->supported != 0;
        extensions_.xkbFirstEvent = xkb->first_event;
    }
    if (xinput != nullptr) {
        auto r = reply<xcb_input_xi_query_version_reply_t>(xiVersion);
        extensions_.xinput = r && r->major_version >= 2;
        extensions_.xinputOpcode = xinput->major_opcode;
        extensions_.xinputMinor = r ? r->minor_version : 0;
    }
}

void X11Connection::selectRootXiEvents(std::uint32_t mask) {
    if (!extensions_.xinput) {
        return;
    }
    rootXiMask_ |= mask;
    sendRootXiMask();
}

void X11Connection::deselectRootXiEvents(std::uint32_t mask) {
    if (!extensions_.xinput) {
        return;
    }
    rootXiMask_ &= ~mask;
    sendRootXiMask();
}

void X11Connection::sendRootXiMask() {
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } select{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, rootXiMask_};
    xcb_input_xi_select_events(connection_, root(), 1, &select.head);
}

// A reply already read (sent in the same batch as one waited for) costs nothing; one that is not
// there yet costs a round trip.
void* X11Connection::rawReply(unsigned int sequence) {
    void* raw = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (xcb_poll_for_reply(connection_, sequence, &raw, &error) == 0) {
        ++roundTrips_;
        raw = xcb_wait_for_reply(connection_, sequence, &error);
    }
    std::free(error);
    return raw;
}

void X11Connection::awaitReplies() {
    // The server answers requests in order: once this reply is in, so are all before it.
    reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus(connection_));
}

bool X11Connection::lost() {
    if (xcb_connection_has_error(connection_) == 0) {
        return false;
    }
    if (!lostReported_) {
        lostReported_ = true;
        if (lostHandler_) {
            lostHandler_();
        }
    }
    return true;
}

void X11Connection::dispatch(const xcb_generic_event_t& event) {
    if (event.response_type == 0) {
        return;  // an error of a request sent without waiting, e.g. on a window that just vanished
    }
    for (const EventHandler& handler : handlers_) {
        handler(event);
    }
}

void X11Connection::drainEvents() {
    while (Owned<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
        dispatch(*event);
    }
    lost();
}

bool X11Connection::waitForEvents(Clock::time_point deadline) {
    flush();
    bool any = false;
    while (Owned<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
        dispatch(*event);
        any = true;
    }
    while (!any && !lost()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd fd{fileDescriptor(), POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left.count())) == 0) {
            return false;
        }
        while (Owned<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
            dispatch(*event);
            any = true;
        }
    }
    return any && !lost();
}

bool X11Connection::windowManagerRunning() {
    auto readCheck = [this](xcb_window_t window) -> xcb_window_t {
        auto r = reply<xcb_get_property_reply_t>(xcb_ewmh_get_supporting_wm_check(&ewmh_, window));
        xcb_window_t value = XCB_NONE;
        if (!r || xcb_ewmh_get_supporting_wm_check_from_reply(&value, r.get()) == 0) {
            return XCB_NONE;
        }
        return value;
    };
    const xcb_window_t check = readCheck(root());
    // A stale property names a window that is gone or no longer points at itself.
    return check != XCB_NONE && readCheck(check) == check;
}

}  // namespace core::x11
