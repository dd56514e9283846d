#pragma once

#include <cstdint>

namespace audio {

// The sound system's mixer as the mute logic sees it: device 0, its first speakers destination and
// that line's mute switch. Every method reports failure by returning false and changes nothing then.
class MixerDevice {
public:
    MixerDevice() = default;
    virtual ~MixerDevice() = default;
    MixerDevice(const MixerDevice&) = delete;
    MixerDevice& operator=(const MixerDevice&) = delete;

    // Opens mixer device 0 and queries its capabilities. Gives a non-zero handle on success.
    // A handle may be returned together with false when only the capability query failed.
    virtual bool Open(std::uint32_t& handle) = 0;
    // Releases the handle.
    virtual void Close(std::uint32_t handle) = 0;
    // The line ID of the first speakers destination.
    virtual bool GetSpeakersLine(std::uint32_t handle, std::uint32_t& lineId) = 0;
    // The control ID of that line's mute control.
    virtual bool GetMuteControl(std::uint32_t handle, std::uint32_t lineId, std::uint32_t& controlId) = 0;
    // Reads the control's 32-bit value (non-zero = muted).
    virtual bool GetControlValue(std::uint32_t handle, std::uint32_t controlId, std::uint32_t& value) = 0;
    // Writes the control's 32-bit value (1 = muted, 0 = not muted).
    virtual bool SetControlValue(std::uint32_t handle, std::uint32_t controlId, std::uint32_t value) = 0;
};

}  // namespace audio
