#pragma once

#include "core/SoundOutput.h"

namespace core {

// The program's three uses of the speakers' mute switch. Failures are silent: a mute that cannot
// be read or set leaves the sound alone.
class MuteSwitch {
public:
    explicit MuteSwitch(SoundOutput& output) : output_(output) {}

    // Concealment: saves the mute state into `mutedBefore` (left as it was when it cannot be
    // read), then mutes.
    void saveAndMute(bool& mutedBefore);
    // Restoring: puts the saved mute state back; false when that failed.
    bool putBack(bool mutedBefore);
    // The "Mute反転" button: inverts the mute state. A state that cannot be read counts as not
    // muted, so the button then tries to mute.
    void reverse();

    // Automatic restoring can be chosen only while muting is chosen (check box value 1).
    static constexpr bool restoreChoosable(int muteBoxValue) { return muteBoxValue == 1; }

private:
    SoundOutput& output_;
};

}  // namespace core
