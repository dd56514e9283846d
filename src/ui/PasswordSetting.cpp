#include "ui/PasswordSetting.h"

#include <QCheckBox>
#include <QPointer>

#include "ui/SetPasswordDialog.h"

namespace ui {

void runPasswordSetting(core::ControlValues& values, core::Prompter& prompter, QWidget* owner,
                        const PassDigest& digest) {
    // On the heap and watched: the owner may take the dialog with it while it is open.
    QPointer<SetPasswordDialog> dialog =
        new SetPasswordDialog(values.passwordDigest, prompter, owner, digest);
    dialog->exec();
    if (dialog) {
        values.passwordDigest = dialog->passwordDigest();
        delete dialog;
    }
    updateLockAvailability(values);
}

void updateLockAvailability(core::ControlValues& values) {
    if (values.passwordDigest.isEmpty()) values.lockBox = 0;
    values.lockEnabled = !values.passwordDigest.isEmpty();
}

void showLockState(const core::ControlValues& values, QCheckBox& lockBox) {
    // Check box values count 0 clear, 1 ticked, 2 greyed; Qt numbers its states differently.
    const Qt::CheckState state = values.lockBox == 1   ? Qt::Checked
                                 : values.lockBox == 2 ? Qt::PartiallyChecked
                                                       : Qt::Unchecked;
    lockBox.setCheckState(state);
    lockBox.setEnabled(values.lockEnabled);
}

}  // namespace ui
