#pragma once

#include <cstdint>

#include "audio/MixerDevice.h"

namespace audio {

// Mute control of the speakers. Each use opens the mixer, acts and is ended by CloseMixer by its
// caller; failures report false and are otherwise silent.
class mMixer {
public:
    explicit mMixer(MixerDevice& device) : device_(device) {}

    bool OpenMixer();
    void CloseMixer();
    bool FindMuteControl();
    // On success writes the mute state into `muted`; leaves it untouched on failure.
    bool GetMute(bool& muted);
    bool SetMute(const bool& muted);

    std::uint32_t hMixer() const { return hMixer_; }
    std::uint32_t lngMuteCtrlID() const { return lngMuteCtrlID_; }

private:
    MixerDevice& device_;
    std::uint32_t hMixer_ = 0;
    std::uint32_t lngMuteCtrlID_ = 0;
};

}  // namespace audio
