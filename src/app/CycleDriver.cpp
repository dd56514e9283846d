#include "app/CycleDriver.h"

#include <cstdio>
#include <utility>

namespace app {

namespace {

// For the benchmarks: ZEL_MOTION_PAUSE_MS=N pauses the pointer's motion reports for N ms instead of
// kMotionPauseMs; 0 never pauses them.
int motionPauseMs() {
    static const int pause = [] {
        bool set = false;
        const int ms = qEnvironmentVariableIntValue("ZEL_MOTION_PAUSE_MS", &set);
        return set && ms >= 0 ? ms : CycleDriver::kMotionPauseMs;
    }();
    return pause;
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
    motionPause_.setSingleShot(true);
    motionPause_.setInterval(motionPauseMs());
    connect(&motionPause_, &QTimer::timeout, this, &CycleDriver::endMotionPause);
    if (eventDriven_) {
        // Reported from inside the window system's event handling, many times in a row while the
        // pointer moves: only noted here, evaluated once the events are all handled.
        services_.setInputChangedHandler([this] { onInputChanged(); });
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
    // Motion reports that a stop left paused resume after the pause that this evaluation begins.
    reported_ = motionPaused_;
    evaluateSoon();
    if (!eventDriven_) timer_.start();
}

void CycleDriver::stop() {
    running_ = false;
    timer_.stop();
    // Paused motion reports stay so until the next start: nothing would evaluate them meanwhile.
    motionPause_.stop();
}

void CycleDriver::end() {
    ended_ = true;
    stop();
}

void CycleDriver::onInputChanged() {
    if (!running_) return;
    reported_ = true;
    evaluateSoon();
}

void CycleDriver::evaluateSoon() {
    if (!running_ || due_) return;
    due_ = true;
    QMetaObject::invokeMethod(this, &CycleDriver::evaluate, Qt::QueuedConnection);
}

void CycleDriver::evaluate() {
    due_ = false;
    if (!running_) return;
    const bool reported = std::exchange(reported_, false);
    tick_();
    // Inside a pause only the other inputs are reported: the pause runs on to its end.
    if (reported && motionPause_.interval() > 0 && !motionPause_.isActive()) {
        services_.pausePointerMotionReports();
        motionPaused_ = true;
        motionPause_.start();
    }
    scheduleTick();
}

void CycleDriver::endMotionPause() {
    if (!running_) return;
    // The pointer may have come into a zone while nobody listened.
    tick_();
    // Still moving: another pause.
    motionPaused_ = !services_.resumePointerMotionReports();
    if (motionPaused_) motionPause_.start();
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
