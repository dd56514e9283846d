#pragma once

#include <xcb/xcb.h>

#include <functional>
#include <optional>
#include <utility>

#include "platform/x11/X11Connection.h"

namespace core::x11 {

// Tells its handler, from the events the server sends anyway, that the pointer, Shift, ScrollLock
// or the monitors may have changed, so that nobody needs to poll them.
//
// The pointer: XInput2 raw motion on the root for all master devices. Raw events reach every client
// that selected them on the root, also while another client grabs the pointer (XInput 2.1 and later;
// a 2.0 server withholds them during grabs, so 2.1 is required). They come from the devices only
// (XTEST counts as one): a pointer moved by XWarpPointer, as `xdotool mousemove` moves it, sends none,
// and no other event tells every client of a warp (core motion goes to the window under the pointer).
//
// Shift: XKB state notifications of the lookup modifiers, the state that QueryPointer's mask (and so
// readInput) reports, computed by the server through the keymap: any key bound to Shift, a latched or
// locked Shift, on every keymap. Raw key events would only tell keycodes, whose meaning depends on the
// keymap, and not latches or locks; they would also report every key typed. Only changes of the
// Shift bit are reported.
//
// ScrollLock and the monitors report through report(), called by ScrollLockTracker and
// PrimaryMonitor, which already follow their events.
//
// Motion reports can be paused: raw motion is then taken out of the selection, so the server sends
// none (the other selections stay), and what was already on its way is dropped on arrival.
//
// Active only with XInput 2.1 and XKB, and not when disabled at construction (then nothing is
// selected and the handler never runs).
class InputChangeReporter {
public:
    InputChangeReporter(X11Connection& x, bool wanted);
    InputChangeReporter(const InputChangeReporter&) = delete;
    InputChangeReporter& operator=(const InputChangeReporter&) = delete;

    bool active() const { return active_; }
    void setHandler(std::function<void()> handler) { handler_ = std::move(handler); }
    // Pauses the reports of pointer motion (false) or resumes them; sent to the server at once.
    void setMotionReported(bool reported);
    // Runs the handler, when active.
    void report();

private:
    void onEvent(const xcb_generic_event_t& event);

    X11Connection& x_;
    bool active_ = false;
    bool motionReported_ = true;
    std::optional<bool> shiftDown_;  // the last Shift bit seen; unknown until the first notification
    std::function<void()> handler_;
};

}  // namespace core::x11
