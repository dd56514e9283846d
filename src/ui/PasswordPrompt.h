#pragma once

#include "core/ControlValues.h"
#include "core/Prompter.h"
#include "lock/MakePassHash.h"
#include "ui/DialogLook.h"

class QWidget;

namespace ui {

// The password prompt of the tray actions (PasswordEntryDialog.check). It lives as long as the main window;
// each Check loads a fresh entry dialog, so a former success never carries over.
class PasswordPrompt {
public:
    // values: read for passwordDigest at each Check. owner: the main window, made topmost so that the
    // dialog it owns stays above ordinary windows even while it is hidden.
    PasswordPrompt(const core::ControlValues& values, core::Prompter& prompter, QWidget* owner,
                   PassDigest digest = lock::makePassHash);

    // Shows the entry dialog modally and returns true when the entered text's digest equals
    // passwordDigest. False for a wrong text, for a dialog closed without "OK", and at once, without a
    // second dialog, while a prompt is already open.
    bool check();

    // True while the entry dialog is open: the tray actions neither ask nor act then.
    bool isOpen() const { return open_; }

private:
    void makeOwnerTopmost();

    const core::ControlValues& values_;
    core::Prompter& prompter_;
    PassDigest digest_;
    QWidget* owner_;
    bool open_ = false;
};

}  // namespace ui
