#include "platform/x11/X11WindowServices.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "platform/x11/HighlightFrame.h"
#include "platform/x11/InputChangeReporter.h"
#include "platform/x11/Placements.h"
#include "platform/x11/PrimaryMonitor.h"
#include "platform/x11/ScrollLockTracker.h"
#include "platform/x11/WindowFacts.h"
#include "platform/x11/WindowQueries.h"
#include "platform/x11/X11Connection.h"

namespace core::x11 {

std::unique_ptr<X11WindowServices> createX11WindowServices() {
    return X11WindowServices::connect(nullptr);
}

namespace {

// ZEL_NO_INPUT_EVENTS=1 leaves the input to polling, as on a server without the extensions.
bool inputEventsWanted() {
    const char* value = std::getenv("ZEL_NO_INPUT_EVENTS");
    return value == nullptr || std::string_view(value) != "1";
}

}  // namespace

std::unique_ptr<X11WindowServices> X11WindowServices::connect(const char* displayName) {
    auto connection = X11Connection::open(displayName);
    if (!connection) {
        return nullptr;
    }
    return std::unique_ptr<X11WindowServices>(new X11WindowServices(std::move(connection)));
}

X11WindowServices::X11WindowServices(std::unique_ptr<X11Connection> connection) : x_(std::move(connection)) {
    monitor_ = std::make_unique<PrimaryMonitor>(*x_);
    scrollLock_ = std::make_unique<ScrollLockTracker>(*x_);
    placements_ = std::make_unique<Placements>(*x_, *monitor_);
    highlight_ = std::make_unique<HighlightFrame>(*x_);
    queries_ = std::make_unique<WindowQueries>(*x_, *monitor_, *placements_);
    inputChanges_ = std::make_unique<InputChangeReporter>(*x_, inputEventsWanted());
    monitor_->setChangedHandler([this] { inputChanges_->report(); });
    scrollLock_->setChangedHandler([this] { inputChanges_->report(); });
    x_->flush();
}

X11WindowServices::~X11WindowServices() = default;

void X11WindowServices::setConnectionLostHandler(std::function<void()> handler) {
    x_->setLostHandler(std::move(handler));
}

bool X11WindowServices::connectionLost() const {
    return xcb_connection_has_error(x_->xcb()) != 0;
}

int X11WindowServices::fileDescriptor() const {
    return x_->fileDescriptor();
}

void X11WindowServices::processEvents() {
    if (usable()) {
        x_->drainEvents();
        placements_->advance();
    }
}

std::optional<std::chrono::milliseconds> X11WindowServices::timeUntilNextStep() const {
    const auto next = placements_->nextDeadline();
    if (!next) {
        return std::nullopt;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*next - X11Connection::Clock::now());
    return std::max(left, std::chrono::milliseconds{0});
}

bool X11WindowServices::restoring() const {
    return placements_->restoring();
}

void X11WindowServices::finishRestores() {
    if (usable()) {
        placements_->finishRestores();
    }
}

std::uint64_t X11WindowServices::roundTrips() const {
    return x_->roundTrips();
}

bool X11WindowServices::scrollLockFromIndicator() {
    if (!usable()) {
        return false;
    }
    x_->drainEvents();
    return scrollLock_->indicatorDriven();
}

bool X11WindowServices::usable() {
    return !x_->lost();
}

Size X11WindowServices::screenSize() {
    if (!usable()) {
        return {};
    }
    x_->drainEvents();
    const MonitorRect rect = monitor_->rect();
    return x_->lost() ? Size{} : Size{rect.width, rect.height};
}

std::optional<Point> X11WindowServices::pointerPosition() {
    return readInput({.pointer = true}).pointer;
}

InputState X11WindowServices::readInput(InputQuery query) {
    if (!usable()) {
        return {};
    }
    // The pointer and the modifier state in one round trip, with the monitors when a look at them
    // is due.
    Owned<xcb_query_pointer_reply_t> pointer;
    if (query.pointer || query.shift) {
        const auto monitors = query.pointer ? monitor_->startReadIfDue() : std::nullopt;
        pointer = x_->reply<xcb_query_pointer_reply_t>(xcb_query_pointer(x_->xcb(), x_->root()));
        if (monitors) {
            monitor_->finishRead(*monitors);
        }
    }
    // Events that arrived before that reply are read now: key and indicator changes count at once.
    x_->drainEvents();
    InputState state;
    if (pointer) {
        lastPointer_ = Point{pointer->root_x, pointer->root_y};
        if (query.pointer && pointer->same_screen != 0) {
            const MonitorRect monitor = monitor_->rect();
            state.pointer = Point{pointer->root_x - monitor.x, pointer->root_y - monitor.y};
        }
        state.shiftDown = query.shift && (pointer->mask & XCB_MOD_MASK_SHIFT) != 0;
    }
    if (query.scrollLock) {
        state.scrollLockOn = scrollLock_->on();
    }
    return x_->lost() ? InputState{} : state;
}

bool X11WindowServices::reportsInputChanges() const {
    return inputChanges_->active();
}

void X11WindowServices::setInputChangedHandler(std::function<void()> handler) {
    inputChanges_->setHandler(std::move(handler));
}

void X11WindowServices::pausePointerMotionReports() {
    if (!usable()) {
        return;
    }
    pausedAt_ = lastPointer_;
    inputChanges_->setMotionReported(false);
}

bool X11WindowServices::resumePointerMotionReports() {
    if (!usable()) {
        return true;
    }
    if (lastPointer_ != pausedAt_) {
        pausedAt_ = lastPointer_;
        return false;
    }
    inputChanges_->setMotionReported(true);
    return true;
}

bool X11WindowServices::exists(WindowHandle window) {
    return usable() && queries_->exists(window);
}

std::vector<bool> X11WindowServices::existing(const std::vector<WindowHandle>& windows) {
    if (!usable()) {
        return std::vector<bool>(windows.size(), false);
    }
    return queries_->existing(windows);
}

std::vector<WindowHandle> X11WindowServices::topLevelWindows() {
    if (!usable()) {
        return {};
    }
    const std::vector<xcb_window_t> clients = queries_->clients();
    return {clients.begin(), clients.end()};
}

QString X11WindowServices::className(WindowHandle window) {
    return usable() && window != XCB_NONE ? queries_->className(window) : QString();
}

QString X11WindowServices::windowTitle(WindowHandle window) {
    return usable() && window != XCB_NONE ? queries_->title(window) : QString();
}

std::vector<std::pair<QString, QString>> X11WindowServices::classNamesAndTitles(
    const std::vector<WindowHandle>& windows) {
    if (!usable()) {
        return std::vector<std::pair<QString, QString>>(windows.size());
    }
    return queries_->classesAndTitles(windows);
}

WindowHandle X11WindowServices::windowAt(Point point) {
    return usable() ? queries_->windowAt(point) : XCB_NONE;
}

bool X11WindowServices::placement(WindowHandle window, WindowPlacement& placement) {
    return usable() && window != XCB_NONE && placements_->get(window, placement);
}

std::vector<PlacementAndClass> X11WindowServices::placementsAndClassNames(
    const std::vector<WindowHandle>& windows) {
    std::vector<PlacementAndClass> readings(windows.size());
    if (!usable()) {
        return readings;
    }
    // The classes are asked for first and read last: their replies arrive with the placements'.
    const WindowQueries::ClassRequests classes = queries_->requestClassNames(windows);
    const std::vector<std::optional<WindowPlacement>> placements = placements_->get(windows);
    const std::vector<QString> names = queries_->classNames(classes);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (placements[i]) {
            readings[i] = {placements[i], names[i]};
        }
    }
    return readings;
}

bool X11WindowServices::setPlacement(WindowHandle window, const WindowPlacement& placement) {
    if (!usable() || window == XCB_NONE) {
        return false;
    }
    return placements_->apply({{window, placement}}).front();
}

void X11WindowServices::setPlacements(const std::vector<std::pair<WindowHandle, WindowPlacement>>& batch) {
    if (!usable()) {
        return;
    }
    std::vector<std::pair<WindowHandle, WindowPlacement>> valid;
    std::ranges::copy_if(batch, std::back_inserter(valid),
                         [](const auto& entry) { return entry.first != XCB_NONE; });
    placements_->apply(valid);
}

void X11WindowServices::toggleHighlight(WindowHandle window) {
    if (usable()) {
        x_->drainEvents();
        highlight_->toggle(window);
    }
}

// A window the window manager manages is asked through a client message; one it does not manage
// (not yet mapped) gets the atoms in its _NET_WM_STATE, which the window manager reads on map.
void X11WindowServices::addNetStates(WindowHandle window, std::uint32_t first, std::uint32_t second) {
    if (!usable() || window == XCB_NONE) {
        return;
    }
    const WindowFacts f = readFacts(*x_, window, kFactWmState);
    if (!f.exists) {
        return;
    }
    if (f.managed() && x_->windowManagerRunning()) {
        xcb_ewmh_request_change_wm_state(x_->ewmh(), x_->screenNumber(), window, XCB_EWMH_WM_STATE_ADD, first,
                                         second, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    } else {
        auto r = x_->reply<xcb_get_property_reply_t>(
            xcb_get_property(x_->xcb(), 0, window, x_->ewmh()->_NET_WM_STATE, XCB_ATOM_ATOM, 0, 64));
        std::vector<std::uint32_t> atoms = values32(r.get());
        for (std::uint32_t atom : {first, second}) {
            if (atom != XCB_ATOM_NONE && std::ranges::find(atoms, atom) == atoms.end()) {
                atoms.push_back(atom);
            }
        }
        xcb_change_property(x_->xcb(), XCB_PROP_MODE_REPLACE, window, x_->ewmh()->_NET_WM_STATE,
                            XCB_ATOM_ATOM, 32, static_cast<std::uint32_t>(atoms.size()), atoms.data());
    }
    x_->flush();
}

void X11WindowServices::setTopmost(WindowHandle window) {
    addNetStates(window, x_->ewmh()->_NET_WM_STATE_ABOVE, XCB_ATOM_NONE);
}

void X11WindowServices::setSkipTaskbar(WindowHandle window) {
    addNetStates(window, x_->ewmh()->_NET_WM_STATE_SKIP_TASKBAR, x_->ewmh()->_NET_WM_STATE_SKIP_PAGER);
}

void X11WindowServices::activate(WindowHandle window) {
    if (!usable() || window == XCB_NONE || !queries_->exists(window)) {
        return;
    }
    if (x_->windowManagerRunning()) {
        xcb_ewmh_request_change_active_window(x_->ewmh(), x_->screenNumber(), window,
                                              XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, XCB_CURRENT_TIME, XCB_NONE);
    } else {
        const std::uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(x_->xcb(), window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        xcb_set_input_focus(x_->xcb(), XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    }
    x_->flush();
}

}  // namespace core::x11
