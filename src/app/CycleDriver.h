#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "core/WindowServices.h"

namespace app {

// What runs the concealment cycle, and the only place that says when it is evaluated. Where the
// window system reports changes of the trigger inputs (the pointer, Shift, ScrollLock, the
// screen), the cycle is evaluated as soon as one is reported, at most once per pass of the event
// loop however many come, and nothing runs while nothing changes. The tick "tmrActive" (300 ms)
// remains only while a trigger is on and nothing was found to conceal yet (a target may appear),
// and as the whole mechanism where changes are not reported. A drag of the picker stops the cycle
// for its length; the shut-down stops it for good.
//
// A moving pointer is not followed motion by motion: a device reports 125 to 1 000 motions a
// second, and each would wake the program and cost a round trip to the X server. After a
// reported change has been evaluated, the pointer's motion reports pause for kMotionPauseMs
// (the other inputs are still reported and evaluated at once); at the end of the pause the
// cycle is evaluated again, since the pointer may have come into a zone meanwhile. While the
// pointer keeps moving the pauses follow one another, so it is read once per kMotionPauseMs;
// once a pause ends with the pointer where the one before left it, its reports resume and
// nothing runs until the next change. A pointer from rest is evaluated at its first motion, as
// before; one that was already moving reaches a zone at most one pause before it is read. A pass
// in and out of a zone between two reads of a moving pointer, shorter than a pause, goes unseen:
// a pass of length d (< kMotionPauseMs) is caught with a probability of d / kMotionPauseMs.
class CycleDriver final : public QObject {
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 300;
    // The pause of the pointer's motion reports; ZEL_MOTION_PAUSE_MS=N (for the benchmarks) sets
    // another, 0 none (every reported motion evaluated, at most once per pass of the event loop).
    static constexpr int kMotionPauseMs = 50;

    // tick: one evaluation of the cycle. waitingForTargets: whether the last one found a trigger on
    // but nothing to conceal (none given: never).
    CycleDriver(core::WindowServices& services, std::function<void()> tick,
                std::function<bool()> waitingForTargets = {});
    ~CycleDriver() override;

    // Starts (again) with an evaluation at once.
    void start();
    // No evaluation until the next start (motion reports that are paused stay so until then).
    void stop();
    // No evaluation ever again, whatever starts it (the shut-down: a picker drag that ends later
    // must not bring the cycle back).
    void end();
    bool running() const { return running_; }
    // Something besides the inputs changed what the cycle decides (the settings read at start-up,
    // a control, the tray's release of a held concealment): evaluated in this pass of the loop.
    void evaluateSoon();

    bool eventDriven() const { return eventDriven_; }
    // An evaluation is due in this pass of the event loop.
    bool evaluationDue() const { return due_; }
    // The tick: active only while it is needed.
    const QTimer& timer() const { return timer_; }
    // Active while the pointer's motion reports are paused; its end evaluates again.
    const QTimer& motionPause() const { return motionPause_; }

private:
    void onInputChanged();
    void evaluate();
    void endMotionPause();
    void scheduleTick();

    core::WindowServices& services_;
    std::function<void()> tick_;
    std::function<bool()> waitingForTargets_;
    bool eventDriven_;
    bool running_ = false;
    bool ended_ = false;
    // Posted rather than a zero timer: a posted call wakes an event loop about to sleep, also when
    // the report came from a handler of the loop's aboutToBlock.
    bool due_ = false;
    // The evaluation due was asked for by a report: the pointer's motion reports pause after it.
    bool reported_ = false;
    bool motionPaused_ = false;
    QTimer timer_;
    QTimer motionPause_;
};

}  // namespace app
