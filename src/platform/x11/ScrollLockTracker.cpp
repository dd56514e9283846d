#include "platform/x11/ScrollLockTracker.h"

#include <xcb/xinput.h>
// xkb.h names a struct member "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <algorithm>

namespace core::x11 {

namespace {

constexpr xcb_keysym_t kScrollLockKeysym = 0xff14;  // XK_Scroll_Lock

constexpr std::uint16_t kXkbEvents = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY |
                                     XCB_XKB_EVENT_TYPE_INDICATOR_STATE_NOTIFY |
                                     XCB_XKB_EVENT_TYPE_INDICATOR_MAP_NOTIFY;

// The indicator lights from the keymap only when its map refers to something that can change: a
// real modifier (virtual ones already resolved by the server), a group or a control.
bool drivenByKeymap(const xcb_xkb_get_named_indicator_reply_t& r) {
    return r.found != 0 && ((r.map_whichMods != 0 && r.map_mods != 0) ||
                            (r.map_whichGroups != 0 && r.map_groups != 0) || r.map_ctrls != 0);
}

}  // namespace

ScrollLockTracker::ScrollLockTracker(X11Connection& x) : x_(x) {
    xkbReady_ = x_.extensions().xkb;
    if (xkbReady_) {
        xcb_xkb_select_events(x_.xcb(), XCB_XKB_ID_USE_CORE_KBD, kXkbEvents, 0, kXkbEvents, 0xff, 0xff,
                              nullptr);
    }
    if (x_.extensions().xinputMinor >= 2) {
        x_.selectRootXiEvents(XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS);
    }
    x_.addEventHandler([this](const xcb_generic_event_t& event) { onEvent(event); });
    refresh();
}

bool ScrollLockTracker::on() {
    if (dirty_) {
        refresh();
    }
    return driven_ ? indicatorOn_ : toggled_;
}

bool ScrollLockTracker::indicatorDriven() {
    if (dirty_) {
        refresh();
    }
    return driven_;
}

void ScrollLockTracker::onEvent(const xcb_generic_event_t& event) {
    const int type = event.response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY) {
        markDirty();
    } else if (type == XCB_GE_GENERIC && x_.extensions().xinput) {
        const auto& raw = reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event);
        const bool repeat = (raw.flags & XCB_INPUT_KEY_EVENT_FLAGS_KEY_REPEAT) != 0;
        if (raw.extension == x_.extensions().xinputOpcode && raw.event_type == XCB_INPUT_RAW_KEY_PRESS &&
            !repeat && std::ranges::find(scrollLockKeys_, raw.detail) != scrollLockKeys_.end()) {
            toggled_ = !toggled_;
            changed();
        }
    } else if (xkbReady_ && type == x_.extensions().xkbFirstEvent) {
        onXkbEvent(event);
    }
}

void ScrollLockTracker::onXkbEvent(const xcb_generic_event_t& event) {
    // Every XKB event carries its kind in the second byte.
    const std::uint8_t xkbType =
        reinterpret_cast<const xcb_xkb_indicator_state_notify_event_t&>(event).xkbType;
    if (xkbType == XCB_XKB_INDICATOR_STATE_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_xkb_indicator_state_notify_event_t&>(event);
        const bool on = ((e.state >> indicatorIndex_) & 1u) != 0;
        if (on != indicatorOn_) {
            indicatorOn_ = on;
            changed();
        }
    } else if (xkbType == XCB_XKB_MAP_NOTIFY || xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY ||
               xkbType == XCB_XKB_INDICATOR_MAP_NOTIFY) {
        markDirty();
    }
}

// A new keymap may switch between the indicator and the counted toggle: the answer may change.
void ScrollLockTracker::markDirty() {
    dirty_ = true;
    changed();
}

void ScrollLockTracker::changed() {
    if (changedHandler_) {
        changedHandler_();
    }
}

void ScrollLockTracker::refresh() {
    xcb_connection_t* c = x_.xcb();
    const xcb_setup_t* setup = xcb_get_setup(c);
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    const auto keymap = xcb_get_keyboard_mapping(c, setup->min_keycode, count);
    xcb_xkb_get_named_indicator_cookie_t indicator{};
    if (xkbReady_) {
        indicator = xcb_xkb_get_named_indicator(c, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_LED_CLASS_DFLT_XI_CLASS,
                                                XCB_XKB_ID_DFLT_XI_ID, x_.atoms().scrollLockIndicator);
    }

    scrollLockKeys_.clear();
    if (auto r = x_.reply<xcb_get_keyboard_mapping_reply_t>(keymap)) {
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(r.get());
        const int perKey = r->keysyms_per_keycode;
        const int total = xcb_get_keyboard_mapping_keysyms_length(r.get());
        for (int i = 0; perKey > 0 && i < total; ++i) {
            const auto key = static_cast<xcb_keycode_t>(setup->min_keycode + i / perKey);
            if (syms[i] == kScrollLockKeysym &&
                std::ranges::find(scrollLockKeys_, key) == scrollLockKeys_.end()) {
                scrollLockKeys_.push_back(key);
            }
        }
    }
    driven_ = false;
    if (xkbReady_) {
        if (auto r = x_.reply<xcb_xkb_get_named_indicator_reply_t>(indicator)) {
            driven_ = drivenByKeymap(*r);
            indicatorIndex_ = r->ndx;
            indicatorOn_ = r->on != 0;
        }
    }
    dirty_ = x_.lost();
}

}  // namespace core::x11
