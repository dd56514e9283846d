#include "platform/x11/Placements.h"

#include "platform/x11/StackingOrder.h"

#include <algorithm>
#include <cstring>

namespace core::x11 {

namespace {

constexpr std::uint32_t kAllDesktops = 0xFFFFFFFF;

bool isTopLevel(const X11Connection& x, const WindowFacts& f, bool withdrawnByUs) {
    return f.parent == x.root() || f.wmState.has_value() || withdrawnByUs;
}

std::int32_t showCmdOf(const WindowFacts& f) {
    if (f.managed()) {
        return f.minimized() ? kShowMinimized : (f.maximized() ? kShowMaximized : kShowNormal);
    }
    return f.mapState == XCB_MAP_STATE_UNMAPPED ? kShowHide : kShowNormal;
}

// The ICCCM withdraw: a plain unmap does nothing to an iconified window, so the window manager is
// also told with a synthetic UnmapNotify on the root.
void withdraw(X11Connection& x, xcb_window_t window) {
    xcb_unmap_window(x.xcb(), window);
    xcb_unmap_notify_event_t unmap{};
    unmap.response_type = XCB_UNMAP_NOTIFY;
    unmap.event = x.root();
    unmap.window = window;
    unmap.from_configure = 0;
    // SendEvent always carries 32 bytes; the UnmapNotify layout fills the first 16.
    char event[32] = {};
    static_assert(sizeof unmap <= sizeof event);
    std::memcpy(event, &unmap, sizeof unmap);
    xcb_send_event(x.xcb(), 0, x.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY, event);
}

// Many window managers (xfwm4, metacity, mutter, marco, kwin, fluxbox) let a withdrawn window go
// at its maximised or fullscreen size, and EWMH does not publish the normal one. Asked to end those
// states just before the withdraw, the window manager handles that request before the withdraw
// and lets the window go at its normal rectangle. The window is unmapped by the server at once, so
// nothing of the change is seen; the states themselves come back with the window. (Not so for
// shaded: unshading maps the client window again after our unmap, and metacity then keeps it.)
void giveBackNormalRectangle(X11Connection& x, xcb_window_t window) {
    xcb_ewmh_connection_t* ewmh = x.ewmh();
    constexpr auto kPager = XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER;
    xcb_ewmh_request_change_wm_state(ewmh, x.screenNumber(), window, XCB_EWMH_WM_STATE_REMOVE,
                                     ewmh->_NET_WM_STATE_FULLSCREEN, XCB_ATOM_NONE, kPager);
    xcb_ewmh_request_change_wm_state(ewmh, x.screenNumber(), window, XCB_EWMH_WM_STATE_REMOVE,
                                     ewmh->_NET_WM_STATE_MAXIMIZED_VERT, ewmh->_NET_WM_STATE_MAXIMIZED_HORZ,
                                     kPager);
}

}  // namespace

Placements::Placements(X11Connection& x, PrimaryMonitor& monitor)
    : x_(x), monitor_(monitor), serverTime_(x), echo_(x) {
    x_.addEventHandler([this](const xcb_generic_event_t& event) { onEvent(event); });
}

void Placements::onEvent(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7f) {
        case XCB_DESTROY_NOTIFY: {
            const auto window = reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
            withdrawn_.erase(window);
            rehiding_.erase(window);
            unanswered_.erase(window);
            touched_.insert(window);
            break;
        }
        case XCB_REPARENT_NOTIFY:
            touched_.insert(reinterpret_cast<const xcb_reparent_notify_event_t&>(event).window);
            break;
        case XCB_UNMAP_NOTIFY:
            touched_.insert(reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window);
            break;
        case XCB_MAP_NOTIFY: {
            // Shown again, by us or by its own program: no longer hidden by us, and not to be
            // mapped by the server when we go.
            const auto window = reinterpret_cast<const xcb_map_notify_event_t&>(event).window;
            unanswered_.erase(window);  // the window manager took it
            const auto rehiding = rehiding_.find(window);
            if (rehiding != rehiding_.end() && X11Connection::Clock::now() < rehiding->second) {
                // The window manager shows a window hidden again on its way back: see rewithdrawLate.
                shownWhileRehiding_.insert(window);
            } else if (withdrawn_.erase(window) > 0) {
                xcb_change_save_set(x_.xcb(), XCB_SET_MODE_DELETE, window);
            }
            touched_.insert(window);
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (e.atom == x_.atoms().wmState || e.atom == x_.ewmh()->_NET_WM_STATE) {
                touched_.insert(e.window);
            }
            break;
        }
        default:
            break;
    }
}

bool Placements::get(xcb_window_t window, WindowPlacement& placement) {
    const std::optional<WindowPlacement> read = get(std::span<const xcb_window_t>(&window, 1)).front();
    if (!read) {
        return false;
    }
    placement = *read;
    return true;
}

std::vector<std::optional<WindowPlacement>> Placements::get(std::span<const xcb_window_t> windows) {
    x_.drainEvents();
    advance();
    const std::vector<WindowFacts> facts = readFacts(x_, windows, kFactAll);
    std::vector<std::optional<WindowPlacement>> placements(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (!facts[i].exists) {
            continue;
        }
        // On its way back, a window is what it is being made.
        const Restore* back = inRestore(windows[i]);
        placements[i] = back != nullptr ? back->placement : placementOf(windows[i], facts[i]);
    }
    if (x_.lost()) {
        return std::vector<std::optional<WindowPlacement>>(windows.size());
    }
    return placements;
}

WindowPlacement Placements::placementOf(xcb_window_t window, const WindowFacts& f) {
    WindowPlacement p;
    p.clientSize = {f.width, f.height};
    if (!isTopLevel(x_, f, withdrawnByUs(window))) {
        // A window inside another program's window: placed relative to its parent.
        p.showCmd = f.mapState == XCB_MAP_STATE_UNMAPPED ? kShowHide : kShowNormal;
        p.framePosition = {f.x, f.y};
        return p;
    }
    const MonitorRect monitor = monitor_.rect();
    // Hidden by us: so it is, even while the window manager has not yet let it go.
    const bool hidden = withdrawnByUs(window);
    p.showCmd = hidden ? kShowHide : showCmdOf(f);
    p.flags = (!hidden && f.minimized() && f.maximized()) ? kRestoreToMaximized : 0;
    p.framePosition = {f.rootX - f.border - f.extents.left - monitor.x,
                       f.rootY - f.border - f.extents.top - monitor.y};
    if (f.desktop && *f.desktop != kAllDesktops) {
        p.desktop = static_cast<std::int32_t>(*f.desktop);
    }
    return p;
}

std::vector<bool> Placements::apply(const std::vector<std::pair<WindowHandle, WindowPlacement>>& batch) {
    x_.drainEvents();
    advance();
    std::vector<bool> existed(batch.size(), false);
    std::vector<xcb_window_t> hides;
    std::vector<std::size_t> hideIndex;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        if (batch[i].second.showCmd == kShowHide) {
            hides.push_back(batch[i].first);
            hideIndex.push_back(i);
        }
    }
    if (!hides.empty()) {
        const std::vector<bool> found = hide(hides);
        for (std::size_t j = 0; j < hides.size(); ++j) {
            existed[hideIndex[j]] = found[j];
        }
    }
    std::vector<std::size_t> showIndex;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        if (batch[i].second.showCmd != kShowHide) {
            showIndex.push_back(i);
        }
    }
    if (!showIndex.empty()) {
        const std::vector<bool> found = restore(batch, showIndex);
        for (std::size_t j = 0; j < showIndex.size(); ++j) {
            existed[showIndex[j]] = found[j];
        }
    }
    x_.flush();
    if (x_.lost()) {
        return std::vector<bool>(batch.size(), false);
    }
    return existed;
}

std::vector<bool> Placements::hide(const std::vector<xcb_window_t>& windows) {
    xcb_connection_t* c = x_.xcb();
    const bool wm = x_.windowManagerRunning();
    // Windows on their way back: one not yet mapped simply stays withdrawn; one mapped already
    // is withdrawn again with what it is being given back, as the window manager may not have
    // taken it yet.
    std::unordered_map<xcb_window_t, Restore> returning;
    for (xcb_window_t window : windows) {
        if (Restore back; takeOutOfRestore(window, back) && back.mapped) {
            returning.emplace(window, std::move(back));
        }
    }
    StackingOrder stacking(x_);
    const auto activeCookie = xcb_ewmh_get_active_window(x_.ewmh(), x_.screenNumber());
    const auto facts = readFacts(x_, windows, kFactTree | kFactWmState | kFactNetState | kFactDesktop);
    stacking.read();
    xcb_window_t active = XCB_NONE;
    if (auto r = x_.reply<xcb_get_property_reply_t>(activeCookie)) {
        xcb_ewmh_get_active_window_from_reply(&active, r.get());
    }

    std::vector<bool> existed;
    std::vector<xcb_window_t> shaded;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const xcb_window_t window = windows[i];
        const WindowFacts& f = facts[i];
        existed.push_back(f.exists);
        const auto back = returning.find(window);
        const Restore* returned = back != returning.end() ? &back->second : nullptr;
        if (!f.exists || (returned == nullptr && (withdrawnByUs(window) ||
                                                  (!f.managed() && f.mapState == XCB_MAP_STATE_UNMAPPED)))) {
            continue;  // gone, or nothing to hide
        }
        // First the save-set: from here on the server maps the window again if we die.
        xcb_change_save_set(c, XCB_SET_MODE_INSERT, window);
        // A window on its way back is a top-level one, also while the window manager is framing it.
        if (returned == nullptr && !isTopLevel(x_, f, false)) {
            xcb_unmap_window(c, window);
            continue;
        }
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
        const bool fromRecord = returned != nullptr && returned->record;
        const CarriedStates states = fromRecord ? returned->states : carriedStates(x_.ewmh(), f.netStates);
        if (wm && f.managed() && states.changesRectangle()) {
            giveBackNormalRectangle(x_, window);
        }
        withdraw(x_, window);
        Withdrawn record;
        record.released = !wm || f.overrideRedirect || (!f.managed() && returned == nullptr);
        record.serial = nextSerial_++;
        record.stackIndex = fromRecord ? returned->record->stackIndex
                                       : stacking.indexOf(window, f.parent == x_.root() ? window : f.parent);
        record.wasActive = fromRecord ? returned->record->wasActive : active == window;
        record.desktop = fromRecord ? returned->record->desktop : f.desktop;
        record.states = states;
        withdrawn_[window] = record;
        if (returned != nullptr && wm) {
            rehiding_[window] = X11Connection::Clock::now() + kRehidingWatch;
        }
        if (f.shaded && !record.released) {
            shaded.push_back(window);
        }
    }
    x_.flush();
    concealShaded(shaded);
    return existed;
}

bool Placements::released(xcb_window_t window, const WindowFacts& f) {
    const bool gone = !f.managed() && f.parent == x_.root();
    if (auto it = withdrawn_.find(window); gone && it != withdrawn_.end()) {
        it->second.released = true;
    }
    return gone;
}

// Only the hide of a shaded window waits here, inside the call.
std::vector<xcb_window_t> Placements::waitFor(std::vector<xcb_window_t> pending, unsigned parts,
                                              const Done& done) {
    const auto deadline = X11Connection::Clock::now() + kWindowManagerTimeout;
    // The news of this wait stay news for the restores under way.
    std::unordered_set<xcb_window_t> seen = std::move(touched_);
    // Takes its own copy: it removes windows from `pending` as it goes.
    auto settleNow = [&](const std::vector<xcb_window_t> look) {
        const std::vector<WindowFacts> facts = readFacts(x_, look, parts);
        for (std::size_t i = 0; i < look.size(); ++i) {
            if (!facts[i].exists || done(look[i], facts[i])) {
                std::erase(pending, look[i]);
            }
        }
    };
    touched_.clear();
    if (!pending.empty()) {
        settleNow(pending);
    }
    // Look again only at windows that the events say have changed.
    while (!pending.empty() && !x_.lost()) {
        seen.insert(touched_.begin(), touched_.end());
        touched_.clear();
        if (!x_.waitForEvents(deadline)) {
            break;
        }
        std::vector<xcb_window_t> look;
        std::ranges::copy_if(pending, std::back_inserter(look),
                             [this](xcb_window_t w) { return touched_.contains(w); });
        if (!look.empty()) {
            settleNow(look);
        }
    }
    touched_.insert(seen.begin(), seen.end());
    return pending;
}

// A window manager that keeps a shaded window through its withdraw (xfwm4) would leave it on the
// screen: such a window is unshaded, which maps it in its frame, and withdrawn again.
void Placements::concealShaded(const std::vector<xcb_window_t>& windows) {
    const unsigned parts = kFactTree | kFactWmState;
    auto isReleased = [this](xcb_window_t w, const WindowFacts& f) { return released(w, f); };
    const std::vector<xcb_window_t> kept = waitFor(windows, parts, isReleased);
    if (kept.empty()) {
        return;
    }
    // Unshading maps the window, which makes onEvent forget it: its record goes back afterwards.
    std::unordered_map<xcb_window_t, Withdrawn> records;
    for (xcb_window_t window : kept) {
        if (auto it = withdrawn_.find(window); it != withdrawn_.end()) {
            records.emplace(window, it->second);
            xcb_ewmh_request_change_wm_state(x_.ewmh(), x_.screenNumber(), window, XCB_EWMH_WM_STATE_REMOVE,
                                             x_.ewmh()->_NET_WM_STATE_SHADED, XCB_ATOM_NONE,
                                             XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
        }
    }
    std::vector<xcb_window_t> unshaded;
    for (const auto& entry : records) {
        unshaded.push_back(entry.first);
    }
    waitFor(unshaded, kFactNetState, [](xcb_window_t, const WindowFacts& f) {
        return !f.shaded && f.mapState == XCB_MAP_STATE_VIEWABLE;
    });
    x_.drainEvents();  // the MapNotify of each, before its record goes back
    for (const auto& [window, record] : records) {
        xcb_change_save_set(x_.xcb(), XCB_SET_MODE_INSERT, window);
        withdraw(x_, window);
        withdrawn_[window] = record;
    }
    for (xcb_window_t window : waitFor(unshaded, parts, isReleased)) {
        // Still held: at least never shown while we say it is concealed.
        xcb_unmap_window(x_.xcb(), window);
    }
    x_.flush();
}

// A window hidden again while its map was still on its way to the window manager may be shown by the
// window manager after that; it is withdrawn again then.
void Placements::rewithdrawLate() {
    const auto now = X11Connection::Clock::now();
    for (xcb_window_t window : shownWhileRehiding_) {
        if (withdrawnByUs(window)) {
            xcb_change_save_set(x_.xcb(), XCB_SET_MODE_INSERT, window);
            withdraw(x_, window);
        }
    }
    shownWhileRehiding_.clear();
    std::erase_if(rehiding_, [now](const auto& entry) { return now >= entry.second; });
    std::erase_if(unanswered_, [now](const auto& entry) { return now >= entry.second.until; });
}

std::vector<xcb_window_t> Placements::withdrawnInHidingOrder() const {
    std::vector<std::pair<std::uint64_t, xcb_window_t>> bySerial;
    bySerial.reserve(withdrawn_.size());
    for (const auto& [window, record] : withdrawn_) {
        bySerial.emplace_back(record.serial, window);
    }
    std::ranges::sort(bySerial);
    std::vector<xcb_window_t> windows;
    windows.reserve(bySerial.size());
    for (const auto& entry : bySerial) {
        windows.push_back(entry.second);
    }
    return windows;
}

void Placements::forget(xcb_window_t window) {
    withdrawn_.erase(window);
    xcb_change_save_set(x_.xcb(), XCB_SET_MODE_DELETE, window);
    const std::uint32_t noEvents = XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(x_.xcb(), window, XCB_CW_EVENT_MASK, &noEvents);
}

}  // namespace core::x11
