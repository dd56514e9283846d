#include "platform/x11/PrimaryMonitor.h"

namespace core::x11 {

PrimaryMonitor::PrimaryMonitor(X11Connection& x) : x_(x) {
    if (x_.extensions().randr) {
        auto version = x_.reply<xcb_randr_query_version_reply_t>(xcb_randr_query_version(x_.xcb(), 1, 5));
        monitorsKnown_ = version && (version->major_version > 1 ||
                                     (version->major_version == 1 && version->minor_version >= 5));
        xcb_randr_select_input(x_.xcb(), x_.root(),
                               XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                   XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
    }
    x_.addEventHandler([this](const xcb_generic_event_t& event) { onEvent(event); });
}

void PrimaryMonitor::onEvent(const xcb_generic_event_t& event) {
    if (!x_.extensions().randr) {
        return;
    }
    const int type = (event.response_type & 0x7f) - x_.extensions().randrFirstEvent;
    if (type == XCB_RANDR_SCREEN_CHANGE_NOTIFY || type == XCB_RANDR_NOTIFY) {
        dirty_ = true;
        if (changedHandler_) {
            changedHandler_();
        }
    }
}

MonitorRect PrimaryMonitor::rect() {
    if (dirty_) {
        finishRead(startRead());
    }
    return rect_;
}

std::optional<PrimaryMonitor::Read> PrimaryMonitor::startReadIfDue() {
    if (!dirty_ && X11Connection::Clock::now() - lastRead_ < kRecheck) {
        return std::nullopt;
    }
    return startRead();
}

PrimaryMonitor::Read PrimaryMonitor::startRead() {
    Read read;
    if (monitorsKnown_) {
        read.monitors = xcb_randr_get_monitors(x_.xcb(), x_.root(), 1);
    }
    read.root = xcb_get_geometry(x_.xcb(), x_.root());
    return read;
}

void PrimaryMonitor::finishRead(const Read& read) {
    MonitorRect result;
    if (auto r = x_.reply<xcb_get_geometry_reply_t>(read.root)) {
        result = {0, 0, r->width, r->height};
    }
    if (monitorsKnown_) {
        if (auto r = x_.reply<xcb_randr_get_monitors_reply_t>(read.monitors)) {
            for (auto it = xcb_randr_get_monitors_monitors_iterator(r.get()); it.rem > 0;
                 xcb_randr_monitor_info_next(&it)) {
                if (it.data->primary != 0) {
                    result = {it.data->x, it.data->y, it.data->width, it.data->height};
                    break;
                }
            }
        }
    }
    if (x_.lost()) {
        return;  // keep what was known; the caller reports the loss
    }
    rect_ = result;
    dirty_ = false;
    lastRead_ = X11Connection::Clock::now();
}

}  // namespace core::x11
