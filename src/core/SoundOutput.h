#pragma once

#include <optional>

namespace core {

// The speakers: the sound server's default output and its mute switch. Each call is one short,
// bounded use of the sound server; nothing is held between two calls.
class SoundOutput {
public:
    SoundOutput() = default;
    virtual ~SoundOutput() = default;
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Whether the speakers are muted; nullopt when that cannot be read (no sound server, one that
    // does not answer in time, no output).
    virtual std::optional<bool> muted() = 0;
    // Mutes or unmutes the speakers; false when that failed, and nothing changed then.
    virtual bool setMuted(bool muted) = 0;
};

}  // namespace core
