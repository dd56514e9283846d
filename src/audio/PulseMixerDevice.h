#pragma once

#include "audio/MixerDevice.h"

namespace audio {

// The default sink of the PulseAudio (or PipeWire pulse) server as the speakers destination.
class PulseMixerDevice final : public MixerDevice {
public:
    PulseMixerDevice() = default;
    bool Open(std::uint32_t&) override { return false; }
    void Close(std::uint32_t) override {}
    bool GetSpeakersLine(std::uint32_t, std::uint32_t&) override { return false; }
    bool GetMuteControl(std::uint32_t, std::uint32_t, std::uint32_t&) override { return false; }
    bool GetControlValue(std::uint32_t, std::uint32_t, std::uint32_t&) override { return false; }
    bool SetControlValue(std::uint32_t, std::uint32_t, std::uint32_t) override { return false; }
};

}  // namespace audio
