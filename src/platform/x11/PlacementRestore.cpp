// Bringing withdrawn windows back: map them together, let the window manager take them, then hand
// back their rectangle, state and desktop, the focus and the order; never waiting inside a call.
#include <algorithm>
#include <limits>
#include <utility>

#include "platform/x11/Placements.h"

#include "platform/x11/StackingOrder.h"

namespace core::x11 {

namespace {

constexpr std::uint32_t kAllDesktops = 0xFFFFFFFF;
constexpr auto kMoveResizeAll = static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(
    XCB_EWMH_MOVERESIZE_WINDOW_X | XCB_EWMH_MOVERESIZE_WINDOW_Y | XCB_EWMH_MOVERESIZE_WINDOW_WIDTH |
    XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT);
// "Use the window's own gravity": the inverse of what the window manager did when it let the
// window go.
constexpr auto kWindowGravity = static_cast<xcb_gravity_t>(0);

std::uint32_t word(std::int32_t value) {
    return static_cast<std::uint32_t>(value);
}

}  // namespace

std::vector<bool> Placements::restore(const Batch& batch, const std::vector<std::size_t>& entries) {
    const bool wm = x_.windowManagerRunning();
    std::vector<xcb_window_t> windows;
    for (std::size_t i : entries) {
        windows.push_back(batch[i].first);
        // Asked back again: the newer placement wins.
        Restore older;
        takeOutOfRestore(batch[i].first, older);
        rehiding_.erase(batch[i].first);
        shownWhileRehiding_.erase(batch[i].first);
    }
    const auto facts = readFacts(x_, windows, kFactTree | kFactWmState | kFactNetState | kFactDesktop);
    std::vector<bool> existed;
    Job job;
    for (std::size_t j = 0; j < entries.size(); ++j) {
        existed.push_back(facts[j].exists);
        if (!facts[j].exists) {
            continue;
        }
        Restore r;
        r.window = windows[j];
        r.placement = batch[entries[j]].second;
        r.facts = facts[j];
        if (auto it = withdrawn_.find(r.window); it != withdrawn_.end()) {
            r.record = it->second;
            r.states = it->second.states;
        }
        r.toMaximized =
            r.placement.showCmd == kShowMaximized ||
            (r.placement.showCmd == kShowMinimized && (r.placement.flags & kRestoreToMaximized) != 0);
        // The placement decides about maximised both ways; one way alone only the record knows.
        if (r.toMaximized || (r.states.maximizedVert && r.states.maximizedHorz)) {
            r.states.maximizedVert = r.states.maximizedHorz = r.toMaximized;
        }
        if (r.facts.parent != x_.root() && !r.facts.wmState && !r.record) {
            r.path = Restore::Path::kSubwindow;
        } else if (!wm || r.facts.overrideRedirect) {
            r.path = Restore::Path::kUnmanaged;
        } else if (r.facts.managed() && !r.record) {
            // A window we withdrew goes the whole way back even if the window manager still shows
            // it as managed: it has not yet handled the withdraw, and will.
            r.path = Restore::Path::kManaged;
        }
        if (r.path == Restore::Path::kSubwindow || r.path == Restore::Path::kUnmanaged) {
            restoreDirectly(r);
        } else if (r.path == Restore::Path::kManaged) {
            // A window the window manager still holds: only its state changes.
            adjustManaged(r);
            finish(r);
        } else {
            job.restores.push_back(std::move(r));
            if (job.restores.back().record && !job.restores.back().record->released) {
                job.pending.push_back(job.restores.back().window);
            }
        }
    }
    if (!job.restores.empty()) {
        job.begin(Job::Step::kRelease);
        jobs_.push_back(std::move(job));
        // Mostly nothing is left to release: the windows are mapped before this call returns.
        if (advance(jobs_.back())) {
            jobs_.pop_back();
        }
        touched_.clear();
    }
    return existed;
}

void Placements::advance() {
    if (x_.lost()) {
        jobs_.clear();
        rehiding_.clear();
        shownWhileRehiding_.clear();
        unanswered_.clear();
        return;
    }
    rewithdrawLate();
    std::erase_if(jobs_, [this](Job& job) { return advance(job); });
    touched_.clear();
    x_.flush();
}

std::optional<X11Connection::Clock::time_point> Placements::nextDeadline() const {
    std::optional<X11Connection::Clock::time_point> next;
    auto consider = [&next](X11Connection::Clock::time_point t) {
        if (!next || t < *next) {
            next = t;
        }
    };
    for (const Job& job : jobs_) {
        consider(job.deadline);
    }
    return next;
}

void Placements::finishRestores() {
    x_.drainEvents();
    advance();
    while (restoring() && !x_.lost()) {
        x_.waitForEvents(*nextDeadline());
        advance();
    }
}

// Reads the pending windows of the job (at a step's start all of them, later those with news) and
// drops those that are done or gone.
void Placements::settle(Job& job, unsigned parts, const Done& done) {
    std::vector<xcb_window_t> look;
    std::ranges::copy_if(job.pending, std::back_inserter(look),
                         [&](xcb_window_t w) { return job.lookAtAll || touched_.contains(w); });
    job.lookAtAll = false;
    if (look.empty()) {
        return;
    }
    const std::vector<WindowFacts> facts = readFacts(x_, look, parts);
    for (std::size_t i = 0; i < look.size(); ++i) {
        if (!facts[i].exists || done(look[i], facts[i])) {
            std::erase(job.pending, look[i]);
        }
    }
}

// One job as far as it can go now; true when it has ended.
bool Placements::advance(Job& job) {
    for (;;) {
        const bool waitOver = X11Connection::Clock::now() >= job.deadline;
        switch (job.step) {
            case Job::Step::kRelease:
                settle(job, kFactTree | kFactWmState,
                       [this](xcb_window_t w, const WindowFacts& f) { return released(w, f); });
                if (!job.pending.empty() && !waitOver) {
                    return false;
                }
                mapTogether(job);
                job.begin(Job::Step::kManage);
                break;
            case Job::Step::kManage: {
                settle(job, kFactWmState, [](xcb_window_t, const WindowFacts& f) { return f.managed(); });
                if (!job.pending.empty() && !waitOver) {
                    return false;
                }
                for (const Restore& r : job.restores) {
                    finish(r);
                    if (std::ranges::count(job.pending, r.window) > 0) {
                        // Not taken yet: the window manager may still show it.
                        unanswered_.insert_or_assign(
                            r.window, Unanswered{r, X11Connection::Clock::now() + kRehidingWatch});
                    }
                }
                const Restore* best = toActivate(job);
                job.activating = best != nullptr ? best->window : XCB_NONE;
                // The order comes last: mutter raises a window when it maximises it. So the window
                // to focus is waited for until it is shown, and the windows going back maximised or
                // fullscreen until they are. finish() has stopped listening to them: their news is
                // needed once more.
                job.pending.clear();
                const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
                for (const Restore& r : job.restores) {
                    if (r.window == job.activating || r.states.changesRectangle()) {
                        xcb_change_window_attributes(x_.xcb(), r.window, XCB_CW_EVENT_MASK, &mask);
                        job.pending.push_back(r.window);
                    }
                }
                if (job.pending.empty()) {
                    return putInOrder(job);
                }
                job.watched = job.pending;
                job.begin(Job::Step::kShow);
                break;
            }
            case Job::Step::kShow: {
                const xcb_atom_t fullscreen = x_.ewmh()->_NET_WM_STATE_FULLSCREEN;
                settle(job, kFactNetState, [&](xcb_window_t w, const WindowFacts& f) {
                    const auto r = std::ranges::find(job.restores, w, &Restore::window);
                    if (w == job.activating && f.mapState != XCB_MAP_STATE_VIEWABLE) {
                        return false;
                    }
                    return r == job.restores.end() ||
                           ((!r->states.maximizedVert || f.maximizedVert) &&
                            (!r->states.maximizedHorz || f.maximizedHorz) &&
                            (!r->states.fullscreen || std::ranges::count(f.netStates, fullscreen) > 0));
                });
                if (!job.pending.empty() && !waitOver) {
                    return false;
                }
                stopWatching(job);
                if (job.activating == XCB_NONE) {
                    return putInOrder(job);
                }
                serverTime_.ask();
                job.begin(Job::Step::kTime);
                break;
            }
            case Job::Step::kTime:
                if (!serverTime_.answer() && !waitOver) {
                    return false;
                }
                activate(job.activating, serverTime_.answer().value_or(XCB_CURRENT_TIME));
                stopWatching(job);
                return putInOrder(job);
            case Job::Step::kOrder:
                if (!job.raisesHandled) {
                    if (!echo_.answered(job.echo)) {
                        return waitOver;  // a window manager that does not answer is left alone
                    }
                    job.raisesHandled = true;
                    job.deadline = X11Connection::Clock::now() + kOrderWatch;
                    return false;
                }
                if (!waitOver) {
                    return false;
                }
                if (job.orderRetries >= kOrderRetries || inOrder(job)) {
                    return true;
                }
                ++job.orderRetries;
                return putInOrder(job);
        }
    }
}

// Windows listened to again for the last steps are left alone, but for those hidden again meanwhile.
void Placements::stopWatching(Job& job) {
    const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    for (xcb_window_t w : std::exchange(job.watched, {})) {
        if (!withdrawnByUs(w)) {
            xcb_change_window_attributes(x_.xcb(), w, XCB_CW_EVENT_MASK, &none);
        }
    }
}

bool Placements::takeOutOfRestore(xcb_window_t window, Restore& taken) {
    for (Job& job : jobs_) {
        auto it = std::ranges::find(job.restores, window, &Restore::window);
        if (it == job.restores.end()) {
            continue;
        }
        taken = std::move(*it);
        job.restores.erase(it);
        std::erase(job.pending, window);
        if (job.activating == window) {
            // Nothing left to focus: the job ends at its next step.
            job.activating = XCB_NONE;
            job.step = Job::Step::kTime;
            job.deadline = X11Connection::Clock::now();
        }
        unanswered_.erase(window);
        return true;
    }
    if (auto it = unanswered_.find(window); it != unanswered_.end()) {
        taken = std::move(it->second.restore);
        unanswered_.erase(it);
        return true;
    }
    return false;
}

const Placements::Restore* Placements::inRestore(xcb_window_t window) const {
    for (const Job& job : jobs_) {
        if (auto it = std::ranges::find(job.restores, window, &Restore::window); it != job.restores.end()) {
            return &*it;
        }
    }
    if (auto it = unanswered_.find(window); it != unanswered_.end()) {
        return &it->second.restore;
    }
    return nullptr;
}

// No window manager takes part: the window is placed and shown by ourselves.
void Placements::restoreDirectly(const Restore& r) {
    const bool sub = r.path == Restore::Path::kSubwindow;
    const MonitorRect monitor = sub ? MonitorRect{} : monitor_.rect();
    const std::uint32_t values[] = {
        word(r.placement.framePosition.x + monitor.x), word(r.placement.framePosition.y + monitor.y),
        word(std::max(1, r.placement.clientSize.width)), word(std::max(1, r.placement.clientSize.height))};
    xcb_configure_window(
        x_.xcb(), r.window,
        XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
        values);
    xcb_map_window(x_.xcb(), r.window);
    if (sub) {
        xcb_change_save_set(x_.xcb(), XCB_SET_MODE_DELETE, r.window);
    } else {
        forget(r.window);
    }
}

// A window the window manager still holds: only its state needs to change before finish().
void Placements::adjustManaged(const Restore& r) {
    if (r.facts.minimized() && r.placement.showCmd != kShowMinimized) {
        xcb_map_window(x_.xcb(), r.window);  // a client's map request de-iconifies (ICCCM)
        if (r.facts.mapState != XCB_MAP_STATE_UNMAPPED) {
            // mutter keeps iconic windows mapped, so no map request reaches it: a pager's
            // activation de-iconifies there.
            xcb_ewmh_request_change_active_window(x_.ewmh(), x_.screenNumber(), r.window,
                                                  XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, XCB_CURRENT_TIME,
                                                  XCB_NONE);
        }
    }
    if (r.facts.maximized() && !r.toMaximized) {
        xcb_ewmh_request_change_wm_state(x_.ewmh(), x_.screenNumber(), r.window, XCB_EWMH_WM_STATE_REMOVE,
                                         x_.ewmh()->_NET_WM_STATE_MAXIMIZED_VERT,
                                         x_.ewmh()->_NET_WM_STATE_MAXIMIZED_HORZ,
                                         XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    }
}

void Placements::mapTogether(Job& job) {
    auto keepsOwnRect = [](const Restore& r) { return r.toMaximized || r.states.changesRectangle(); };
    std::vector<xcb_window_t> own;
    for (const Restore& r : job.restores) {
        if (keepsOwnRect(r)) {
            own.push_back(r.window);
        }
    }
    const auto currentCookie = xcb_ewmh_get_current_desktop(x_.ewmh(), x_.screenNumber());
    const auto ownFacts = readFacts(x_, own, kFactGeometry);
    std::optional<std::uint32_t>& currentDesktop = job.currentDesktop;
    if (auto reply = x_.reply<xcb_get_property_reply_t>(currentCookie)) {
        std::uint32_t value = 0;
        if (xcb_ewmh_get_current_desktop_from_reply(&value, reply.get()) != 0) {
            currentDesktop = value;
        }
    }
    std::size_t k = 0;
    for (Restore& r : job.restores) {
        if (keepsOwnRect(r)) {
            const WindowFacts& f = ownFacts[k++];
            r.ownRectKnown = f.exists;
            r.ownX = f.x;
            r.ownY = f.y;
            r.ownWidth = f.width;
            r.ownHeight = f.height;
        }
    }
    // The window manager stacks windows in the order they are mapped: bottom first.
    std::vector<Restore*> bottomFirst;
    for (Restore& r : job.restores) {
        bottomFirst.push_back(&r);
    }
    std::ranges::stable_sort(bottomFirst, {}, [](const Restore* r) {
        return r->record ? r->record->stackIndex : std::numeric_limits<std::size_t>::max();
    });
    job.pending.clear();
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    for (Restore* r : bottomFirst) {
        xcb_change_window_attributes(x_.xcb(), r->window, XCB_CW_EVENT_MASK, &mask);
        presetBeforeMap(*r, currentDesktop);
        xcb_map_window(x_.xcb(), r->window);
        r->mapped = true;
        job.pending.push_back(r->window);
    }
    x_.flush();
}

// EWMH lets a client set _NET_WM_STATE on a withdrawn window; the window manager reads it when it
// manages the window, so that it appears in its final layer and shade at once. (The desktop is
// asked for after the map instead: openbox does not manage a window mapped with a preset desktop
// other than the current one.) A window going back to another desktop must not take the focus
// when it is mapped, or mutter and kwin follow it there and the user finds himself on its
// desktop: a _NET_WM_USER_TIME of 0 asks the window manager not to focus it (EWMH).
void Placements::presetBeforeMap(const Restore& r, std::optional<std::uint32_t> currentDesktop) {
    if (r.record) {
        presetStates(x_, r.window, r.states.kept);
    }
    if (currentDesktop && r.placement.desktop >= 0 &&
        static_cast<std::uint32_t>(r.placement.desktop) != *currentDesktop) {
        xcb_ewmh_set_wm_user_time(x_.ewmh(), r.window, 0);
    }
}

void Placements::finish(const Restore& r) {
    xcb_ewmh_connection_t* ewmh = x_.ewmh();
    const int screen = x_.screenNumber();
    constexpr auto kPager = XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER;
    if (r.ownRectKnown) {
        xcb_ewmh_request_moveresize_window(ewmh, screen, r.window, kWindowGravity, kPager, kMoveResizeAll,
                                           word(r.ownX), word(r.ownY), word(r.ownWidth), word(r.ownHeight));
    } else if (!r.toMaximized && !r.states.changesRectangle()) {
        // The placement's rectangle is the normal one: the frame's top-left and the client's size.
        const MonitorRect monitor = monitor_.rect();
        xcb_ewmh_request_moveresize_window(ewmh, screen, r.window, XCB_GRAVITY_NORTH_WEST, kPager,
                                           kMoveResizeAll, word(r.placement.framePosition.x + monitor.x),
                                           word(r.placement.framePosition.y + monitor.y),
                                           word(std::max(1, r.placement.clientSize.width)),
                                           word(std::max(1, r.placement.clientSize.height)));
    }
    // Again for the window managers that do not read the states preset before the map.
    requestStates(x_, r.window, r.states.kept);
    // After the move, so that the move sets the normal rectangle.
    std::vector<xcb_atom_t> resizing;
    if (r.states.maximizedVert) {
        resizing.push_back(ewmh->_NET_WM_STATE_MAXIMIZED_VERT);
    }
    if (r.states.maximizedHorz) {
        resizing.push_back(ewmh->_NET_WM_STATE_MAXIMIZED_HORZ);
    }
    if (r.states.fullscreen) {
        resizing.push_back(ewmh->_NET_WM_STATE_FULLSCREEN);
    }
    requestStates(x_, r.window, resizing);
    // Before the desktop: openbox ignores iconify requests for windows on other desktops.
    if (r.placement.showCmd == kShowMinimized) {
        auto event = makeClientMessage(r.window, x_.atoms().wmChangeState);
        event.data.data32[0] = kIconicState;
        xcb_send_event(x_.xcb(), 0, x_.root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }
    if (r.placement.desktop >= 0) {
        xcb_ewmh_request_change_wm_desktop(ewmh, screen, r.window, word(r.placement.desktop), kPager);
    } else if (r.record && r.record->desktop == kAllDesktops) {
        xcb_ewmh_request_change_wm_desktop(ewmh, screen, r.window, kAllDesktops, kPager);
    }
    if (r.record || r.path == Restore::Path::kMap) {
        forget(r.window);
    }
}

// Mapping gives the focus to the last window mapped: it goes back to the window that had it.
const Placements::Restore* Placements::toActivate(const Job& job) const {
    const Restore* best = nullptr;
    for (const Restore& r : job.restores) {
        // Activating a shaded window unshades it (openbox): it stays shaded and unfocused.
        const bool shaded =
            std::ranges::find(r.states.kept, x_.ewmh()->_NET_WM_STATE_SHADED) != r.states.kept.end();
        // The window manager may still name a window active after it was sent to another desktop;
        // activating it there takes the user along (kwin).
        const bool elsewhere = job.currentDesktop && r.placement.desktop >= 0 &&
                               static_cast<std::uint32_t>(r.placement.desktop) != *job.currentDesktop;
        if (r.record && r.record->wasActive && r.placement.showCmd != kShowMinimized && !shaded &&
            !elsewhere && (best == nullptr || r.record->serial < best->record->serial)) {
            best = &r;
        }
    }
    return best;
}

void Placements::activate(xcb_window_t window, xcb_timestamp_t time) {
    if (window != XCB_NONE) {
        xcb_ewmh_request_change_active_window(x_.ewmh(), x_.screenNumber(), window,
                                              XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, time, XCB_NONE);
    }
}

// Activating a window raises it on some window managers (openbox), whatever its place was: the
// restored windows are raised once more, bottom first, which leaves them in their old order above
// the windows that stayed. Placing them between
// those windows would take a restack relative to a sibling, which openbox turns into a plain lower
// or raise.
bool Placements::restack(const Job& job) {
    std::vector<const Restore*> ours;
    for (const Restore& r : job.restores) {
        if (r.record) {
            ours.push_back(&r);
        }
    }
    if (ours.size() < 2) {
        return false;
    }
    std::ranges::stable_sort(ours, {}, [](const Restore* r) { return r->record->stackIndex; });
    for (const Restore* r : ours) {
        xcb_ewmh_request_restack_window(x_.ewmh(), x_.screenNumber(), r->window, XCB_NONE,
                                        XCB_STACK_MODE_ABOVE);
    }
    return true;
}

// Raises the windows in their old order, then watches it once the window manager has handled the
// raises; true when the job has ended.
bool Placements::putInOrder(Job& job) {
    if (!restack(job)) {
        return true;
    }
    job.echo = echo_.send();
    job.raisesHandled = false;
    job.step = Job::Step::kOrder;
    job.deadline = X11Connection::Clock::now() + kWindowManagerTimeout;
    return false;
}

// Minimised windows are left out: window managers keep them where they like (below all, mutter).
bool Placements::inOrder(const Job& job) {
    std::vector<const Restore*> shown;
    for (const Restore& r : job.restores) {
        if (r.record && r.placement.showCmd != kShowMinimized) {
            shown.push_back(&r);
        }
    }
    std::ranges::stable_sort(shown, {}, [](const Restore* r) { return r->record->stackIndex; });
    std::vector<xcb_window_t> windows;
    for (const Restore* r : shown) {
        windows.push_back(r->window);
    }
    StackingOrder stacking(x_);
    const auto facts = readFacts(x_, windows, kFactTree);
    stacking.read();
    std::optional<std::size_t> below;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (!facts[i].exists) {
            continue;
        }
        const xcb_window_t topLevel = facts[i].parent == x_.root() ? windows[i] : facts[i].parent;
        const std::size_t index = stacking.indexOf(windows[i], topLevel);
        if (below && index < *below) {
            return false;
        }
        below = index;
    }
    return true;
}

}  // namespace core::x11
