#include "app/CycleTimer.h"

#include <utility>

namespace app {

CycleTimer::CycleTimer(std::function<void()> tick) : tick_(std::move(tick)) {
    timer_.setObjectName(QStringLiteral("tmrActive"));
    timer_.setInterval(kIntervalMs);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { tick_(); });
    timer_.start();
}

}  // namespace app
