#include "DesktopWatch.h"

#include <poll.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include <cstdlib>
#include <cstring>
#include <thread>

namespace bench {

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> own(T* reply) {
    return Reply<T>(reply, &std::free);
}

}  // namespace

std::unique_ptr<DesktopWatch> DesktopWatch::connect() {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c) != 0) {
        xcb_disconnect(c);
        return nullptr;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    return std::unique_ptr<DesktopWatch>(new DesktopWatch(c, it.data->root));
}

DesktopWatch::DesktopWatch(xcb_connection_t* c, xcb_window_t root) : c_(c), root_(root) {
    // Map, unmap, reparent and destroy of every top-level window (frames, unframed clients).
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c_);
}

DesktopWatch::~DesktopWatch() {
    xcb_disconnect(c_);
}

void DesktopWatch::fakeMotion(int x, int y) {
    xcb_test_fake_input(c_, XCB_MOTION_NOTIFY, 0 /* absolute */, XCB_CURRENT_TIME, root_,
                        static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 0);
    xcb_flush(c_);
}

bool DesktopWatch::key(std::uint32_t keysym, bool press, Clock::time_point& sent) {
    const xcb_setup_t* setup = xcb_get_setup(c_);
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    const auto mapping = own(
        xcb_get_keyboard_mapping_reply(c_, xcb_get_keyboard_mapping(c_, setup->min_keycode, count), nullptr));
    if (!mapping) return false;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perCode = mapping->keysyms_per_keycode;
    for (int code = 0; code < count; ++code) {
        if (syms[code * perCode] != keysym) continue;
        xcb_test_fake_input(c_, press ? XCB_KEY_PRESS : XCB_KEY_RELEASE,
                            static_cast<std::uint8_t>(setup->min_keycode + code), XCB_CURRENT_TIME, root_, 0,
                            0, 0);
        xcb_flush(c_);
        sent = Clock::now();
        return true;
    }
    return false;
}

Clock::time_point DesktopWatch::movePointer(int x, int y) {
    fakeMotion(x, y);
    const auto sent = Clock::now();
    // The fake device event may be handled after the request's reply: look until the pointer is
    // there (the screen clamps it, as for a real device).
    const auto deadline = sent + std::chrono::seconds(2);
    while (Clock::now() < deadline) {
        auto pointer = own(xcb_query_pointer_reply(c_, xcb_query_pointer(c_, root_), nullptr));
        if (!pointer || (pointer->root_x == std::max(x, 0) && pointer->root_y == std::max(y, 0))) break;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return sent;
}

int DesktopWatch::circle(int x, int y, int radius, std::chrono::milliseconds step,
                         std::chrono::milliseconds length) {
    const auto start = Clock::now();
    auto next = start;
    int moves = 0;
    while (next - start < length) {
        // A full turn every 2 s.
        const double angle = 2 * std::numbers::pi * std::chrono::duration<double>(next - start).count() / 2.0;
        fakeMotion(x + static_cast<int>(radius * std::cos(angle)),
                   y + static_cast<int>(radius * std::sin(angle)));
        ++moves;
        next += step;
        std::this_thread::sleep_until(next);
        while (xcb_generic_event_t* event = xcb_poll_for_event(c_))
            std::free(event);
    }
    own(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    return moves;
}

std::vector<Clock::time_point> DesktopWatch::moveAlong(const std::vector<std::pair<int, int>>& points,
                                                       std::chrono::milliseconds step) {
    std::vector<Clock::time_point> sent;
    auto next = Clock::now();
    for (const auto& [x, y] : points) {
        // Events that came meanwhile are dropped before the motion, not after: what the last one
        // brings about is left for the waits that follow.
        while (xcb_generic_event_t* event = xcb_poll_for_event(c_))
            std::free(event);
        std::this_thread::sleep_until(next);
        fakeMotion(x, y);
        sent.push_back(Clock::now());
        next += step;
    }
    return sent;
}

void DesktopWatch::map(const std::vector<xcb_window_t>& windows) {
    for (const xcb_window_t window : windows)
        xcb_map_window(c_, window);
    xcb_flush(c_);
}

xcb_atom_t DesktopWatch::atom(const char* name) {
    auto reply = own(xcb_intern_atom_reply(
        c_, xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string DesktopWatch::classOf(xcb_window_t window) {
    auto reply = own(xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), nullptr));
    if (!reply) return {};
    const std::string both(static_cast<const char*>(xcb_get_property_value(reply.get())),
                           static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    const auto split = both.find('\0');
    if (split == std::string::npos) return {};
    const std::string cls = both.substr(split + 1);
    return cls.substr(0, cls.find('\0'));
}

std::uint32_t DesktopWatch::pidOf(xcb_window_t window) {
    static const xcb_atom_t netWmPid = atom("_NET_WM_PID");
    auto reply = own(xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, window, netWmPid, XCB_ATOM_CARDINAL, 0, 1), nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) != 4) return 0;
    return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

bool DesktopWatch::viewable(xcb_window_t window) {
    auto reply = own(xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window), nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool DesktopWatch::exists(xcb_window_t window) {
    return own(xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window), nullptr)) !=
           nullptr;
}

std::vector<xcb_window_t> DesktopWatch::ancestorsOf(xcb_window_t window) {
    std::vector<xcb_window_t> above;
    while (true) {
        auto tree = own(xcb_query_tree_reply(c_, xcb_query_tree(c_, window), nullptr));
        if (!tree || tree->parent == root_ || tree->parent == XCB_NONE) return above;
        window = tree->parent;
        above.push_back(window);
    }
}

xcb_window_t DesktopWatch::topOf(xcb_window_t window) {
    while (true) {
        auto tree = own(xcb_query_tree_reply(c_, xcb_query_tree(c_, window), nullptr));
        if (!tree) return XCB_NONE;
        if (tree->parent == root_ || tree->parent == XCB_NONE) return window;
        window = tree->parent;
    }
}

std::vector<xcb_window_t> DesktopWatch::waitForClients(const std::string& className, std::size_t count,
                                                       std::chrono::milliseconds timeout) {
    static const xcb_atom_t clientList = atom("_NET_CLIENT_LIST");
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c_))
            std::free(event);
        auto reply = own(xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, root_, clientList, XCB_ATOM_WINDOW, 0, 4096), nullptr));
        std::vector<xcb_window_t> found;
        if (reply) {
            const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
            const int n = xcb_get_property_value_length(reply.get()) / 4;
            for (int i = 0; i < n; ++i) {
                if (classOf(windows[i]) == className && viewable(windows[i])) found.push_back(windows[i]);
            }
        }
        if (found.size() >= count) return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return {};
}

bool DesktopWatch::waitForGone(const std::vector<xcb_window_t>& windows, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (const xcb_window_t window : windows) {
        while (exists(window)) {
            if (Clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    return true;
}

void DesktopWatch::learnTop(Tracked& tracked, xcb_window_t client, xcb_window_t parent) {
    tracked.top = parent == root_ ? client : topOf(parent);
    if (tracked.top == XCB_NONE) tracked.top = client;  // the frame is gone already
    if (tracked.top != client && !topMapped_.contains(tracked.top))
        topMapped_[tracked.top] = viewable(tracked.top);
}

void DesktopWatch::track(const std::vector<xcb_window_t>& clients) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(c_))
        std::free(event);
    tracked_.clear();
    topMapped_.clear();
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    for (const xcb_window_t client : clients) {
        xcb_change_window_attributes(c_, client, XCB_CW_EVENT_MASK, &mask);
        Tracked& tracked = tracked_[client];
        auto attributes =
            own(xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, client), nullptr));
        tracked.mapped = attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED;
        auto tree = own(xcb_query_tree_reply(c_, xcb_query_tree(c_, client), nullptr));
        learnTop(tracked, client, tree ? tree->parent : root_);
    }
}

bool DesktopWatch::reached(const Tracked& tracked, xcb_window_t client, Goal goal) const {
    const auto top = topMapped_.find(tracked.top);
    const bool framed = tracked.top != client;
    const bool frameMapped = framed && top != topMapped_.end() && top->second;
    if (goal == Goal::kHidden) return !tracked.mapped && !frameMapped;
    return tracked.mapped && frameMapped;
}

xcb_generic_event_t* DesktopWatch::nextEvent(Clock::time_point deadline, Clock::time_point& at) {
    while (true) {
        if (xcb_generic_event_t* event = xcb_poll_for_event(c_)) {
            at = Clock::now();
            return event;
        }
        if (xcb_connection_has_error(c_) != 0) return nullptr;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return nullptr;
        pollfd fd{xcb_get_file_descriptor(c_), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left.count()) + 1);
    }
}

void DesktopWatch::apply(const xcb_generic_event_t* event, Clock::time_point at, Goal goal, Change& change) {
    if ((event->response_type & 0x80) != 0) return;  // sent by a client, not a change of the server
    xcb_window_t touched = XCB_NONE;                 // a client or a frame whose state changed
    bool clientTowardGoal = false;
    switch (event->response_type & 0x7f) {
        case XCB_MAP_NOTIFY:
        case XCB_UNMAP_NOTIFY: {
            // Both events carry event and window at the same offsets.
            const auto* e = reinterpret_cast<const xcb_map_notify_event_t*>(event);
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            if (e->event == root_) topMapped_[e->window] = mapped;
            const auto it = tracked_.find(e->window);
            if (e->event == e->window && it != tracked_.end()) {
                it->second.mapped = mapped;
                clientTowardGoal = mapped == (goal == Goal::kShown);
            }
            touched = e->window;
            break;
        }
        case XCB_REPARENT_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_reparent_notify_event_t*>(event);
            const auto it = tracked_.find(e->window);
            if (e->event == e->window && it != tracked_.end()) learnTop(it->second, e->window, e->parent);
            touched = e->window;
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
            topMapped_.erase(e->window);
            const auto it = tracked_.find(e->window);
            if (it != tracked_.end()) it->second.mapped = false;
            touched = e->window;
            break;
        }
        default:
            return;
    }
    if (clientTowardGoal) {
        if (change.first == Clock::time_point{}) change.first = at;
        change.lastClient = at;
    }
    for (auto& [client, tracked] : tracked_) {
        if (tracked.done || (client != touched && tracked.top != touched)) continue;
        if (reached(tracked, client, goal)) {
            tracked.done = true;
            change.last = at;
        }
    }
}

DesktopWatch::Change DesktopWatch::waitAll(Goal goal, std::chrono::milliseconds timeout) {
    const auto start = Clock::now();
    const auto deadline = start + timeout;
    Change change;
    std::size_t left = 0;
    for (auto& [client, tracked] : tracked_) {
        tracked.done = reached(tracked, client, goal);
        if (!tracked.done) ++left;
    }
    Clock::time_point at;
    while (left > 0) {
        xcb_generic_event_t* event = nextEvent(deadline, at);
        if (event == nullptr) return change;
        apply(event, at, goal, change);
        std::free(event);
        left = 0;
        for (const auto& entry : tracked_)
            left += entry.second.done ? 0 : 1;
    }
    // Windows that had reached the goal before the wait began count as changed at its start.
    for (Clock::time_point* time : {&change.first, &change.lastClient, &change.last}) {
        if (*time == Clock::time_point{}) *time = start;
    }
    change.complete = true;
    return change;
}

DesktopWatch::Change DesktopWatch::waitAllHidden(std::chrono::milliseconds timeout) {
    return waitAll(Goal::kHidden, timeout);
}

DesktopWatch::Change DesktopWatch::waitAllShown(std::chrono::milliseconds timeout) {
    return waitAll(Goal::kShown, timeout);
}

std::optional<Clock::time_point> DesktopWatch::waitForTrayIcon(pid_t pid, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    xcb_window_t icon = XCB_NONE;
    Clock::time_point at;
    while (xcb_generic_event_t* event = nextEvent(deadline, at)) {
        const Reply<xcb_generic_event_t> owned = own(event);
        if (icon == XCB_NONE && (event->response_type & 0x7f) == XCB_REPARENT_NOTIFY) {
            const auto* e = reinterpret_cast<const xcb_reparent_notify_event_t*>(event);
            // trayer embeds the icon window of the program into a socket inside its panel.
            if (e->parent == root_ || pidOf(e->window) != static_cast<std::uint32_t>(pid)) continue;
            const std::vector<xcb_window_t> above = ancestorsOf(e->window);
            bool inTrayer = false;
            for (const xcb_window_t up : above)
                inTrayer = inTrayer || classOf(up) == "trayer";
            if (!inTrayer) continue;
            icon = e->window;
            // Its own map and those of the windows around it make it viewable.
            const std::uint32_t own = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            const std::uint32_t below = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
            xcb_change_window_attributes(c_, icon, XCB_CW_EVENT_MASK, &own);
            for (const xcb_window_t up : above)
                xcb_change_window_attributes(c_, up, XCB_CW_EVENT_MASK, &below);
        }
        if (icon != XCB_NONE && viewable(icon)) {
            trayIcon_ = icon;
            return at;
        }
    }
    return std::nullopt;
}

}  // namespace bench
