#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "platform/x11/X11Connection.h"

namespace core::x11 {

// Whether ScrollLock is on as the user sees it, at no round trip per question.
//
// Where the keymap drives the XKB indicator named "Scroll Lock" (its indicator map names a real
// modifier, group or control), the indicator is the answer; its state comes from XKB indicator
// events. On keymaps that bind Scroll_Lock to no modifier (the stock X keymap) the indicator never
// lights, so the answer is a toggle flipped by each press of a Scroll_Lock key, seen as an XInput2
// raw key event on the root: no grab, the user's keymap is left alone. The keymap is examined again
// (one round trip) only after the server reports a keymap change.
class ScrollLockTracker {
public:
    explicit ScrollLockTracker(X11Connection& x);
    ScrollLockTracker(const ScrollLockTracker&) = delete;
    ScrollLockTracker& operator=(const ScrollLockTracker&) = delete;

    // Pending events must have been drained first.
    bool on();
    // Whether the indicator is what on() reports (the keymap drives it). For tests and diagnostics.
    bool indicatorDriven();
    // Runs, from inside the event dispatch, whenever what on() answers may have changed: a toggle
    // counted, the indicator's state, a new keymap.
    void setChangedHandler(std::function<void()> handler) { changedHandler_ = std::move(handler); }

private:
    void onEvent(const xcb_generic_event_t& event);
    void onXkbEvent(const xcb_generic_event_t& event);
    void refresh();
    void markDirty();
    void changed();

    X11Connection& x_;
    bool xkbReady_ = false;
    bool dirty_ = true;
    // The named indicator.
    bool driven_ = false;
    bool indicatorOn_ = false;
    std::uint8_t indicatorIndex_ = 0;
    // The key presses.
    bool toggled_ = false;
    std::vector<xcb_keycode_t> scrollLockKeys_;
    std::function<void()> changedHandler_;
};

}  // namespace core::x11
