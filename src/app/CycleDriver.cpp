#include "app/CycleDriver.h"

#include <cstdio>

namespace app {

CycleDriver::CycleDriver(core::ConcealmentCycle& cycle, core::WindowServices& services)
    : cycle_(cycle), services_(services), eventDriven_(services.reportsInputChanges()) {
    tick_.setObjectName(QStringLiteral("tmrActive"));
    tick_.setInterval(kTickMs);
    connect(&tick_, &QTimer::timeout, this, &CycleDriver::evaluate);
    if (eventDriven_) {
        // Reported from inside the window system's event handling, many times in a row while the
        // pointer moves: only noted here, evaluated once the events are all handled.
        services_.setInputChangedHandler([this] { evaluateSoon(); });
    } else if (static bool said = false; !said) {
        said = true;
        std::fprintf(stderr,
                     "zelmora2nd: the X server does not report pointer and keyboard changes (XInput 2.1 "
                     "and XKB); the triggers are read every %d ms.\n",
                     kTickMs);
    }
}

CycleDriver::~CycleDriver() {
    if (eventDriven_) services_.setInputChangedHandler(nullptr);
}

void CycleDriver::start() {
    running_ = true;
    evaluateSoon();
    if (!eventDriven_) tick_.start();
}

void CycleDriver::pause() {
    running_ = false;
    tick_.stop();
}

void CycleDriver::evaluateSoon() {
    if (!running_ || due_) return;
    due_ = true;
    QMetaObject::invokeMethod(this, &CycleDriver::evaluate, Qt::QueuedConnection);
}

void CycleDriver::evaluate() {
    due_ = false;
    if (!running_) return;
    cycle_.tick();
    scheduleTick();
}

void CycleDriver::scheduleTick() {
    if (!eventDriven_) return;  // the tick runs throughout
    if (cycle_.waitingForTargets()) {
        if (!tick_.isActive()) tick_.start();
    } else {
        tick_.stop();
    }
}

}  // namespace app
