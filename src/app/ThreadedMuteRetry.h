#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>

#include "core/MuteSwitch.h"
#include "core/SoundOutput.h"

class QThread;

namespace app {

// Tries a failed give-back of the mute state again, each try in a thread of its own: a sound
// server that still does not answer holds that thread up to its deadline, never the event loop.
// Tries come after growing pauses (firstPause, doubled up to kLongestPause) and stop when one
// succeeds, when a new concealment cancels them, or after giveUpAfter (a line on stderr then).
//
// The sound output is used from the try's thread while the event loop may use it too: it must
// allow calls from several threads (each call of PulseSoundOutput is a connection of its own).
class ThreadedMuteRetry final : public QObject, public core::MuteRetry {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kLongestPause{30000};

    explicit ThreadedMuteRetry(core::SoundOutput& sound,
                               std::chrono::milliseconds firstPause = std::chrono::milliseconds(500),
                               std::chrono::milliseconds giveUpAfter = std::chrono::minutes(10));
    // Waits for a try still running (at most the sound output's deadline).
    ~ThreadedMuteRetry() override;

    void owe(bool muted) override;
    std::optional<bool> cancel() override;

    bool owing() const { return owed_.has_value(); }

private:
    void tryNow();
    void tryDone(bool succeeded, bool cancelled);

    core::SoundOutput& sound_;
    std::chrono::milliseconds firstPause_;
    std::chrono::milliseconds giveUpAfter_;
    std::chrono::milliseconds pause_;
    std::chrono::steady_clock::time_point owedSince_;
    std::optional<bool> owed_;
    QTimer timer_;
    // The try in flight, and whether a concealment began while it ran: a give-back that then
    // succeeds is muted again at once, in the same thread, so the concealment stays muted.
    QThread* running_ = nullptr;
    std::shared_ptr<std::atomic<bool>> runningCancelled_;
};

}  // namespace app
