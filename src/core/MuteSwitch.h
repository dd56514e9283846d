#pragma once

#include <optional>

#include "core/SoundOutput.h"

namespace core {

// Where a give-back of the mute state that failed (a sound server that did not answer in time) is
// tried again later, away from the concealment cycle.
class MuteRetry {
public:
    MuteRetry() = default;
    virtual ~MuteRetry() = default;
    MuteRetry(const MuteRetry&) = delete;
    MuteRetry& operator=(const MuteRetry&) = delete;

    // Putting back `muted` failed: tried again until it succeeds or cancel() is called.
    virtual void owe(bool muted) = 0;
    // A new concealment mutes: no more tries. Gives the state still owed, if any.
    virtual std::optional<bool> cancel() = 0;
};

// The program's three uses of the speakers' mute switch. Failures are silent: a mute that cannot
// be read or set leaves the sound alone.
class MuteSwitch {
public:
    explicit MuteSwitch(SoundOutput& output) : output_(output) {}

    // Where failed give-backs are tried again; none: they are not.
    void setRetry(MuteRetry* retry) { retry_ = retry; }

    // Concealment: saves the mute state into `mutedBefore` (left as it was when it cannot be
    // read), then mutes. While an earlier give-back is still owed, the sound is still muted by the
    // program: the state owed is the one to save.
    void saveAndMute(bool& mutedBefore);
    // Restoring: puts the saved mute state back; false when that failed, and the retry takes over.
    bool putBack(bool mutedBefore);
    // The "Mute反転" button: inverts the mute state. A state that cannot be read counts as not
    // muted, so the button then tries to mute.
    void reverse();

    // Automatic restoring can be chosen only while muting is chosen (check box value 1).
    static constexpr bool restoreChoosable(int muteBoxValue) { return muteBoxValue == 1; }

private:
    SoundOutput& output_;
    MuteRetry* retry_ = nullptr;
};

}  // namespace core
