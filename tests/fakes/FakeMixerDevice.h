#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "audio/MixerDevice.h"

namespace fakes {

// A mixer with one speakers line and its mute switch, which can be told to fail at any step. It
// records every call as a line of text ("Open", "GetControlValue 81 49" ...) and refuses handles
// and IDs that it did not give out, so a caller that uses a stale handle shows up as a failure.
class FakeMixerDevice final : public audio::MixerDevice {
public:
    enum class Scenario {
        kWorking,
        kNoMixer,         // mixerOpen fails: no handle
        kNoCapabilities,  // the device opens but its capability query fails: a handle comes back
        kNoSpeakersLine,  // no speakers destination
        kNoMuteControl,   // that line has no mute control
        kRefusedRead,     // the mute switch cannot be read
        kRefusedWrite,    // the mute switch cannot be written
    };

    Scenario scenario = Scenario::kWorking;
    std::uint32_t muteValue = 0;  // the switch itself: non-zero means muted
    std::uint32_t handleToGive = 0x51;
    std::uint32_t lineToGive = 0x21;
    std::uint32_t controlToGive = 0x31;

    std::vector<std::string> calls;
    std::set<std::uint32_t> openHandles;

    bool Open(std::uint32_t& handle) override {
        calls.push_back("Open");
        if (scenario == Scenario::kNoMixer) return false;
        handle = handleToGive;
        openHandles.insert(handle);
        return scenario != Scenario::kNoCapabilities;
    }

    void Close(std::uint32_t handle) override {
        calls.push_back("Close " + std::to_string(handle));
        openHandles.erase(handle);
    }

    bool GetSpeakersLine(std::uint32_t handle, std::uint32_t& lineId) override {
        calls.push_back("GetSpeakersLine " + std::to_string(handle));
        if (!IsOpen(handle) || scenario == Scenario::kNoSpeakersLine) return false;
        lineId = lineToGive;
        return true;
    }

    bool GetMuteControl(std::uint32_t handle, std::uint32_t lineId, std::uint32_t& controlId) override {
        calls.push_back("GetMuteControl " + std::to_string(handle) + " " + std::to_string(lineId));
        if (!IsOpen(handle) || lineId != lineToGive || scenario == Scenario::kNoMuteControl) return false;
        controlId = controlToGive;
        return true;
    }

    bool GetControlValue(std::uint32_t handle, std::uint32_t controlId, std::uint32_t& value) override {
        calls.push_back("GetControlValue " + std::to_string(handle) + " " + std::to_string(controlId));
        if (!IsOpen(handle) || controlId != controlToGive || scenario == Scenario::kRefusedRead) return false;
        value = muteValue;
        return true;
    }

    bool SetControlValue(std::uint32_t handle, std::uint32_t controlId, std::uint32_t value) override {
        calls.push_back("SetControlValue " + std::to_string(handle) + " " + std::to_string(controlId) + " " +
                        std::to_string(value));
        if (!IsOpen(handle) || controlId != controlToGive || scenario == Scenario::kRefusedWrite)
            return false;
        muteValue = value;
        return true;
    }

    // How often a call of this name was made.
    int Count(const std::string& name) const {
        int n = 0;
        for (const auto& call : calls) {
            if (call == name || call.starts_with(name + " ")) ++n;
        }
        return n;
    }

private:
    bool IsOpen(std::uint32_t handle) const { return handle != 0 && openHandles.contains(handle); }
};

}  // namespace fakes
