#include "app/CycleDriver.h"

#include <QElapsedTimer>
#include <cstdio>
#include <utility>

namespace app {

namespace {

// For the benchmarks only: ZEL_CYCLE_MIN_GAP_MS=N evaluates at most once per N ms (the first
// change at once, later ones at the end of the gap) instead of once per pass of the event loop.
int minGapMs() {
    static const int gap = qEnvironmentVariableIntValue("ZEL_CYCLE_MIN_GAP_MS");
    return gap;
}
QElapsedTimer& lastEvaluation() {
    static QElapsedTimer last;
    return last;
}

}  // namespace

CycleDriver::CycleDriver(core::WindowServices& services, std::function<void()> tick,
                         std::function<bool()> waitingForTargets)
    : services_(services),
      tick_(std::move(tick)),
      waitingForTargets_(std::move(waitingForTargets)),
      eventDriven_(services.reportsInputChanges()) {
    timer_.setObjectName(QStringLiteral("tmrActive"));
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &CycleDriver::evaluate);
    if (eventDriven_) {
        // Reported from inside the window system's event handling, many times in a row while the
        // pointer moves: only noted here, evaluated once the events are all handled.
        services_.setInputChangedHandler([this] { evaluateSoon(); });
    } else if (static bool said = false; !said) {
        said = true;
        std::fprintf(stderr,
                     "zelmora2nd: the X server does not report pointer and keyboard changes (XInput 2.1 "
                     "and XKB); the triggers are read every %d ms.\n",
                     kIntervalMs);
    }
}

CycleDriver::~CycleDriver() {
    if (eventDriven_) services_.setInputChangedHandler(nullptr);
}

void CycleDriver::start() {
    if (ended_) return;
    running_ = true;
    evaluateSoon();
    if (!eventDriven_) timer_.start();
}

void CycleDriver::stop() {
    running_ = false;
    timer_.stop();
}

void CycleDriver::end() {
    ended_ = true;
    stop();
}

void CycleDriver::evaluateSoon() {
    if (!running_ || due_) return;
    due_ = true;
    const qint64 wait = lastEvaluation().isValid() ? minGapMs() - lastEvaluation().elapsed() : 0;
    if (wait > 0) {
        QTimer::singleShot(static_cast<int>(wait), this, &CycleDriver::evaluate);
        return;
    }
    QMetaObject::invokeMethod(this, &CycleDriver::evaluate, Qt::QueuedConnection);
}

void CycleDriver::evaluate() {
    due_ = false;
    if (!running_) return;
    if (minGapMs() > 0) lastEvaluation().start();
    tick_();
    scheduleTick();
}

void CycleDriver::scheduleTick() {
    if (!eventDriven_ || !running_) return;  // without reports the tick runs throughout
    if (waitingForTargets_ && waitingForTargets_()) {
        if (!timer_.isActive()) timer_.start();
    } else {
        timer_.stop();
    }
}

}  // namespace app
