#include "audio/mMixer.h"

namespace audio {

bool mMixer::OpenMixer() {
    if (hMixer_ != 0) return true;
    std::uint32_t handle = 0;
    const bool ok = device_.Open(handle);
    hMixer_ = handle;  // a handle whose capability query failed stays held until CloseMixer
    if (!ok) return false;
    lngMuteCtrlID_ = 0;
    return true;
}

void mMixer::CloseMixer() {
    if (hMixer_ != 0) device_.Close(hMixer_);
    hMixer_ = 0;
    lngMuteCtrlID_ = 0;
}

bool mMixer::FindMuteControl() {
    if (lngMuteCtrlID_ != 0) return true;
    if (!OpenMixer()) return false;
    std::uint32_t lineId = 0;
    if (!device_.GetSpeakersLine(hMixer_, lineId)) return false;
    std::uint32_t controlId = 0;
    if (!device_.GetMuteControl(hMixer_, lineId, controlId)) return false;
    lngMuteCtrlID_ = controlId;
    return true;
}

bool mMixer::GetMute(bool& muted) {
    if (!FindMuteControl()) return false;
    std::uint32_t value = 0;
    if (!device_.GetControlValue(hMixer_, lngMuteCtrlID_, value)) return false;
    muted = value != 0;
    return true;
}

bool mMixer::SetMute(const bool& muted) {
    if (!FindMuteControl()) return false;
    return device_.SetControlValue(hMixer_, lngMuteCtrlID_, muted ? 1u : 0u);
}

}  // namespace audio
