#pragma once

#include "core/ControlValues.h"
#include "core/Prompter.h"
#include "lock/MakePassHash.h"
#include "lock/forms/DialogLook.h"

class QCheckBox;
class QWidget;

namespace lock {

// The main window's "パスワード" button (cmdPass_Click): shows the set dialog modally over the
// owner, stores the digest it leaves in values.PassHash, then applies UpdateLockAvailability. The
// caller refreshes its "ロック" box from the values afterwards (ShowLockState).
void RunPasswordSetting(core::ControlValues& values, core::Prompter& prompter, QWidget* owner,
                        const PassDigest& digest = MakePassHash);

// The lock box follows the password: no password clears it; it can be ticked only while one is set.
void UpdateLockAvailability(core::ControlValues& values);

// Puts chkLock and chkLockEnabled on the main window's "ロック" box.
void ShowLockState(const core::ControlValues& values, QCheckBox& chkLock);

}  // namespace lock
