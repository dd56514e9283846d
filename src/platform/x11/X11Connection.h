#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcbext.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/x11/XcbTypes.h"

namespace core::x11 {

// Atoms that xcb-ewmh does not intern for us.
struct Atoms {
    xcb_atom_t wmState = XCB_ATOM_NONE;
    xcb_atom_t wmChangeState = XCB_ATOM_NONE;
    xcb_atom_t compoundText = XCB_ATOM_NONE;
    xcb_atom_t scrollLockIndicator = XCB_ATOM_NONE;  // the XKB indicator name "Scroll Lock"
};

// Extensions the backend uses; a missing one only disables what needs it.
struct Extensions {
    bool randr = false;
    std::uint8_t randrFirstEvent = 0;
    bool xkb = false;  // present, and this client's use of it accepted (UseExtension)
    std::uint8_t xkbFirstEvent = 0;
    bool xinput = false;  // XInput 2.0 or later
    std::uint8_t xinputOpcode = 0;
    std::uint16_t xinputMinor = 0;  // the XInput 2 minor version agreed with the server
    bool shape = false;
};

// Our own connection to the X server, its atoms and extensions, and the event queue. Every reply is
// read through reply(), which also counts the round trips that had to wait for the server.
class X11Connection {
public:
    using EventHandler = std::function<void(const xcb_generic_event_t&)>;
    using Clock = std::chrono::steady_clock;

    // nullptr when no X server answers on displayName ($DISPLAY when null).
    static std::unique_ptr<X11Connection> open(const char* displayName);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    xcb_connection_t* xcb() const { return connection_; }
    xcb_window_t root() const { return screen_->root; }
    int screenNumber() const { return screenNumber_; }
    const xcb_screen_t& screen() const { return *screen_; }
    xcb_ewmh_connection_t* ewmh() { return &ewmh_; }
    const Atoms& atoms() const { return atoms_; }
    const Extensions& extensions() const { return extensions_; }

    // The reply to a request, or nullptr when the request failed (its error is dropped silently:
    // windows vanish at any time) or the connection is gone.
    template <typename Reply, typename Cookie>
    Owned<Reply> reply(Cookie cookie) {
        return Owned<Reply>(static_cast<Reply*>(rawReply(cookie.sequence)));
    }

    // Waits once until the server has answered every request sent so far. The replies of a batch
    // are then read without a wait each, instead of being waited for one by one as they trickle in.
    void awaitReplies();

    // True once the connection has broken; the lost handler runs once, when it is first noticed.
    bool lost();
    void setLostHandler(std::function<void()> handler) { lostHandler_ = std::move(handler); }
    int fileDescriptor() const { return xcb_get_file_descriptor(connection_); }
    void flush() { xcb_flush(connection_); }

    // Adds XInput2 events to what this connection selects on the root for all master devices. The
    // server keeps one mask per client, window and device, so every selection goes through here.
    void selectRootXiEvents(std::uint32_t mask);
    // Takes these events out of it again; the others stay selected.
    void deselectRootXiEvents(std::uint32_t mask);

    // Handlers see every event that arrives; X errors of requests nobody waits for are dropped.
    void addEventHandler(EventHandler handler) { handlers_.push_back(std::move(handler)); }
    // Hands every event already received, or readable without blocking, to the handlers.
    void drainEvents();
    // Waits until at least one more event arrived (and hands it over) or the deadline passed.
    // False on timeout or when the connection is lost.
    bool waitForEvents(Clock::time_point deadline);

    // Number of times a reply had to be waited for: the round trips to the server so far.
    std::uint64_t roundTrips() const { return roundTrips_; }

    // True when a window manager that follows EWMH is running (_NET_SUPPORTING_WM_CHECK).
    bool windowManagerRunning();

private:
    X11Connection(xcb_connection_t* connection, int screenNumber);
    bool init();
    void negotiateInputVersions(const xcb_query_extension_reply_t* xkb,
                                const xcb_query_extension_reply_t* xinput);
    void* rawReply(unsigned int sequence);
    void dispatch(const xcb_generic_event_t& event);
    void sendRootXiMask();

    xcb_connection_t* connection_;
    int screenNumber_;
    xcb_screen_t* screen_ = nullptr;
    xcb_ewmh_connection_t ewmh_{};
    bool ewmhReady_ = false;
    Atoms atoms_;
    Extensions extensions_;
    std::vector<EventHandler> handlers_;
    std::function<void()> lostHandler_;
    bool lostReported_ = false;
    std::uint32_t rootXiMask_ = 0;
    std::uint64_t roundTrips_ = 0;
};

}  // namespace core::x11
