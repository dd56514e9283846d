#pragma once

#include <QObject>
#include <QTimer>

#include "core/ConcealmentCycle.h"
#include "core/WindowServices.h"

namespace app {

// Runs the concealment cycle. Where the window system reports changes of the trigger inputs (the
// pointer, Shift, ScrollLock, the screen), the cycle is evaluated as soon as one is reported, at
// most once per pass of the event loop however many come, and nothing runs while nothing
// changes. A 300 ms tick remains only while a trigger is on and nothing was found to conceal yet
// (a target may appear), and as the whole mechanism where changes are not reported.
class CycleDriver final : public QObject {
    Q_OBJECT

public:
    static constexpr int kTickMs = 300;

    CycleDriver(core::ConcealmentCycle& cycle, core::WindowServices& services);
    ~CycleDriver() override;

    // Starts (or, after pause, resumes) the cycle with an evaluation at once.
    void start();
    // No evaluation until start: the picker's drag.
    void pause();
    bool running() const { return running_; }
    // Something besides the inputs changed what the cycle decides (a control, the tray's release
    // of a held concealment): evaluated in this pass of the event loop.
    void evaluateSoon();

    bool eventDriven() const { return eventDriven_; }
    // The tick ("tmrActive"): active only while it is needed.
    QTimer& tickTimer() { return tick_; }
    // An evaluation is due in this pass of the event loop.
    bool evaluationDue() const { return due_; }

private:
    void evaluate();
    void scheduleTick();

    core::ConcealmentCycle& cycle_;
    core::WindowServices& services_;
    bool eventDriven_;
    bool running_ = false;
    // Posted rather than a zero timer: a posted call wakes an event loop about to block, also when
    // the report came from a handler of the loop's aboutToBlock.
    bool due_ = false;
    QTimer tick_;
};

}  // namespace app
