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
class CycleDriver final : public QObject {
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 300;

    // tick: one evaluation of the cycle. waitingForTargets: whether the last one found a trigger on
    // but nothing to conceal (none given: never).
    CycleDriver(core::WindowServices& services, std::function<void()> tick,
                std::function<bool()> waitingForTargets = {});
    ~CycleDriver() override;

    // Starts (again) with an evaluation at once.
    void start();
    // No evaluation until the next start.
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

private:
    void evaluate();
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
    QTimer timer_;
};

}  // namespace app
