#include "ui/PasswordPrompt.h"

#include <QPointer>
#include <QWidget>
#include <utility>

#include "ui/PasswordEntryDialog.h"

namespace ui {

PasswordPrompt::PasswordPrompt(const core::ControlValues& values, core::Prompter& prompter, QWidget* owner,
                               PassDigest digest)
    : values_(values), prompter_(prompter), digest_(std::move(digest)), owner_(owner) {}

bool PasswordPrompt::check() {
    if (open_) return false;
    makeOwnerTopmost();
    open_ = true;
    // On the heap and watched: the owner may take the dialog with it while it is open.
    QPointer<PasswordEntryDialog> dialog =
        new PasswordEntryDialog(values_.passwordDigest, prompter_, owner_, digest_);
    dialog->exec();
    open_ = false;
    if (!dialog) return false;
    const bool passed = dialog->passwordAccepted();
    delete dialog;
    return passed;
}

// The main window is normally topmost already. Window flags can change without a visible effect
// only while the window is hidden (Qt re-creates a visible one), which is when it matters: the
// dialog then has no visible owner to stay above.
void PasswordPrompt::makeOwnerTopmost() {
    if (owner_ == nullptr || owner_->isVisible()) return;
    if (!owner_->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        owner_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
}

}  // namespace ui
