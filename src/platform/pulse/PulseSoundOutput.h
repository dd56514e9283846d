#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <thread>

#include "core/SoundOutput.h"

namespace pulse {

// The default sink of the PulseAudio (or PipeWire pulse) server as the speakers, its mute as the
// mute switch. Each call is a connection of its own with a private main loop, ended before the
// call returns; nothing runs between two calls.
//
// A sound server that is missing refuses the connection at once. A server that does not answer
// (stopped, overloaded) must never stall the caller for long, so each call carries a deadline.
// A call made right after one that ran into its deadline, in the same thread, fails at once, so
// that a use of two calls in a row (read, then set) waits only once; the next use, a moment later,
// asks again. Calls may come from several threads at once; a timeout in one thread (a retry in the
// background) never makes another thread's call fail.
class PulseSoundOutput final : public core::SoundOutput {
public:
    static constexpr std::chrono::milliseconds kDefaultDeadline{1000};
    // How soon after a timeout a call still counts as part of the same use.
    static constexpr std::chrono::milliseconds kSameUse{100};

    explicit PulseSoundOutput(std::chrono::milliseconds deadline = kDefaultDeadline);

    std::optional<bool> muted() override;
    bool setMuted(bool muted) override;

private:
    class Connection;
    using Clock = std::chrono::steady_clock;

    // False right after a call of this thread ran into its deadline.
    bool serverAnswering() const;
    void noteTimeout(const Connection& connection);

    std::chrono::milliseconds deadline_;
    mutable std::mutex lastTimeoutMutex_;
    std::optional<Clock::time_point> lastTimeout_;
    std::thread::id lastTimeoutThread_;
};

}  // namespace pulse
