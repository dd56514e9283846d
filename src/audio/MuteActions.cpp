#include "audio/MuteActions.h"

namespace audio {

void SaveAndMute(mMixer& mixer, bool& blnMuteSaved) {
    mixer.GetMute(blnMuteSaved);
    mixer.SetMute(true);
    mixer.CloseMixer();
}

void PutMuteBack(mMixer& mixer, bool blnMuteSaved) {
    mixer.SetMute(blnMuteSaved);
    mixer.CloseMixer();
}

void ReverseMute(mMixer& mixer) {
    bool muted = false;
    mixer.GetMute(muted);
    mixer.SetMute(!muted);
    mixer.CloseMixer();
}

}  // namespace audio
