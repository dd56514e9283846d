#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>

#include "audio/MixerDevice.h"

namespace audio {

// The default sink of the PulseAudio (or PipeWire pulse) server as the speakers destination, its
// mute as the mute control. Each handle is a connection of its own with a private main loop, made
// by Open and ended by Close; nothing runs between two calls.
//
// A sound server that is missing refuses the connection at once: Open reports false and gives no
// handle. A server that does not answer (stopped, overloaded) must never stall the caller for
// long, so every connection carries one deadline, counted from Open, that all its calls share.
// When it passes, the connection is dropped and its handle reports false from then on; if that
// happens inside Open, the handle is still given (like a device whose capability query failed),
// so the rest of the caller's use fails at once instead of waiting for a new connection again.
class PulseMixerDevice final : public MixerDevice {
public:
    static constexpr std::chrono::milliseconds kDefaultDeadline{1000};

    explicit PulseMixerDevice(std::chrono::milliseconds deadline = kDefaultDeadline);
    ~PulseMixerDevice() override;

    bool Open(std::uint32_t& handle) override;
    void Close(std::uint32_t handle) override;
    bool GetSpeakersLine(std::uint32_t handle, std::uint32_t& lineId) override;
    bool GetMuteControl(std::uint32_t handle, std::uint32_t lineId, std::uint32_t& controlId) override;
    bool GetControlValue(std::uint32_t handle, std::uint32_t controlId, std::uint32_t& value) override;
    bool SetControlValue(std::uint32_t handle, std::uint32_t controlId, std::uint32_t value) override;

private:
    class Connection;

    Connection* Find(std::uint32_t handle);
    std::uint32_t NextHandle();

    std::chrono::milliseconds deadline_;
    std::map<std::uint32_t, std::unique_ptr<Connection>> connections_;
    std::uint32_t lastHandle_ = 0;
};

}  // namespace audio
