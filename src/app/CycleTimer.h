#pragma once

#include <QTimer>
#include <functional>

namespace app {

// What runs the concealment cycle: tmrActive, a tick every 300 ms from the moment it is made. A drag
// of the picker stops it for its length; the shut-down stops it for good. The only place that says
// when the cycle is evaluated.
class CycleTimer {
public:
    static constexpr int kIntervalMs = 300;

    explicit CycleTimer(std::function<void()> tick);
    CycleTimer(const CycleTimer&) = delete;
    CycleTimer& operator=(const CycleTimer&) = delete;

    void start() { timer_.start(); }
    void stop() { timer_.stop(); }
    bool running() const { return timer_.isActive(); }

    const QTimer& timer() const { return timer_; }

private:
    std::function<void()> tick_;
    QTimer timer_;
};

}  // namespace app
