#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace app {

// Turns SIGTERM, SIGINT and SIGHUP into a call on the event loop, so that a `kill`, Ctrl+C in a
// terminal or a closed terminal ends the program through its shut-down sequence (windows
// restored, settings written) instead of killing it on the spot. The signal handler only writes
// the signal number into a socket pair (async-signal-safe); the event loop reads it and calls
// onSignal. One instance at a time; the former handlers come back when it is destroyed.
class ShutdownSignals final : public QObject {
    Q_OBJECT

public:
    explicit ShutdownSignals(std::function<void(int signalNumber)> onSignal);
    ~ShutdownSignals() override;
    ShutdownSignals(const ShutdownSignals&) = delete;
    ShutdownSignals& operator=(const ShutdownSignals&) = delete;

    // False when the socket pair or a handler could not be set up (the signals then keep their
    // default action).
    bool installed() const { return installed_; }

private:
    void drain();

    std::function<void(int)> onSignal_;
    int fds_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    bool installed_ = false;
};

}  // namespace app
