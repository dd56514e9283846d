#include "lock/forms/PasswordSetting.h"

#include <QCheckBox>
#include <QPointer>

#include "lock/forms/frmPasswd.h"

namespace lock {

void RunPasswordSetting(core::ControlValues& values, core::Prompter& prompter, QWidget* owner,
                        const PassDigest& digest) {
    // On the heap and watched: the owner may take the dialog with it while it is open.
    QPointer<frmPasswd> dialog = new frmPasswd(values.PassHash, prompter, owner, digest);
    dialog->exec();
    if (dialog) {
        values.PassHash = dialog->PassHash();
        delete dialog;
    }
    UpdateLockAvailability(values);
}

void UpdateLockAvailability(core::ControlValues& values) {
    if (values.PassHash.isEmpty()) values.chkLock = 0;
    values.chkLockEnabled = !values.PassHash.isEmpty();
}

void ShowLockState(const core::ControlValues& values, QCheckBox& chkLock) {
    // Check box values count 0 clear, 1 ticked, 2 greyed; Qt numbers its states differently.
    const Qt::CheckState state = values.chkLock == 1   ? Qt::Checked
                                 : values.chkLock == 2 ? Qt::PartiallyChecked
                                                       : Qt::Unchecked;
    chkLock.setCheckState(state);
    chkLock.setEnabled(values.chkLockEnabled);
}

}  // namespace lock
