#pragma once

#include "audio/mMixer.h"

// The three uses of the mixer. Each one ends with CloseMixer, so the device is never held between
// two uses; the results of GetMute and SetMute are ignored, a failed mute leaves the sound alone.
namespace audio {

// Concealment: saves the speakers' mute state into `blnMuteSaved` (left as it was when it cannot
// be read), then mutes them.
void SaveAndMute(mMixer& mixer, bool& blnMuteSaved);

// Restoring: puts the saved mute state back.
void PutMuteBack(mMixer& mixer, bool blnMuteSaved);

// The "Mute反転" button: inverts the mute state. A state that cannot be read counts as not muted,
// so the button then tries to mute.
void ReverseMute(mMixer& mixer);

// Automatic restoring can be chosen only while muting is chosen (check box value 1).
constexpr bool MuteAutoEnabled(int chkMuteValue) {
    return chkMuteValue == 1;
}

}  // namespace audio
