#pragma once

#include "core/ControlValues.h"
#include "core/Prompter.h"
#include "lock/MakePassHash.h"
#include "ui/DialogLook.h"

class QCheckBox;
class QWidget;

namespace ui {

// The main window's "パスワード" button (onPasswordClicked): shows the set dialog modally over the
// owner, stores the digest it leaves in values.passwordDigest, then applies UpdateLockAvailability. The
// caller refreshes its "ロック" box from the values afterwards (ShowLockState).
void runPasswordSetting(core::ControlValues& values, core::Prompter& prompter, QWidget* owner,
                        const PassDigest& digest = lock::makePassHash);

// The lock box follows the password: no password clears it; it can be ticked only while one is set.
void updateLockAvailability(core::ControlValues& values);

// Puts lockBox and lockEnabled on the main window's "ロック" box.
void showLockState(const core::ControlValues& values, QCheckBox& lockBox);

}  // namespace ui
