#include "core/MuteSwitch.h"

namespace core {

void MuteSwitch::saveAndMute(bool& mutedBefore) {
    if (const auto muted = output_.muted()) mutedBefore = *muted;
    output_.setMuted(true);
}

bool MuteSwitch::putBack(bool mutedBefore) {
    return output_.setMuted(mutedBefore);
}

void MuteSwitch::reverse() {
    output_.setMuted(!output_.muted().value_or(false));
}

}  // namespace core
