#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/SoundOutput.h"

namespace fakes {

// Speakers with a mute switch that can be told to fail. Records every call as a line of text
// ("muted", "setMuted 1").
class FakeSoundOutput final : public core::SoundOutput {
public:
    enum class Scenario {
        kWorking,
        kNoServer,      // nothing can be read or set
        kRefusedRead,   // the mute switch cannot be read
        kRefusedWrite,  // the mute switch cannot be written
    };

    Scenario scenario = Scenario::kWorking;
    bool isMuted = false;  // the switch itself
    std::vector<std::string> calls;

    std::optional<bool> muted() override {
        calls.push_back("muted");
        if (scenario == Scenario::kNoServer || scenario == Scenario::kRefusedRead) return std::nullopt;
        return isMuted;
    }

    bool setMuted(bool muted) override {
        calls.push_back("setMuted " + std::to_string(muted ? 1 : 0));
        if (scenario == Scenario::kNoServer || scenario == Scenario::kRefusedWrite) return false;
        isMuted = muted;
        return true;
    }

    // How often a call of this name was made.
    int count(const std::string& name) const {
        int n = 0;
        for (const auto& call : calls) {
            if (call == name || call.starts_with(name + " ")) ++n;
        }
        return n;
    }
};

}  // namespace fakes
