#include "core/MuteSwitch.h"

namespace core {

void MuteSwitch::saveAndMute(bool& mutedBefore) {
    if (const std::optional<bool> owed = retry_ != nullptr ? retry_->cancel() : std::nullopt) {
        mutedBefore = *owed;
    } else if (const std::optional<bool> muted = output_.muted()) {
        mutedBefore = *muted;
    }
    output_.setMuted(true);
}

bool MuteSwitch::putBack(bool mutedBefore) {
    if (output_.setMuted(mutedBefore)) return true;
    if (retry_ != nullptr) retry_->owe(mutedBefore);
    return false;
}

void MuteSwitch::reverse() {
    output_.setMuted(!output_.muted().value_or(false));
}

}  // namespace core
