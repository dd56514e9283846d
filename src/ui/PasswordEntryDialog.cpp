#include "ui/PasswordEntryDialog.h"
#include "platform/qt/DialogFlags.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

namespace ui {

PasswordEntryDialog::PasswordEntryDialog(const QString& passHash, core::Prompter& prompter, QWidget* owner,
                                         PassDigest digest)
    : QDialog(owner), passHash_(passHash), prompter_(prompter), digest_(std::move(digest)) {
    setWindowTitle(QStringLiteral("パスワード"));
    qtplatform::makeTopmostDialog(*this);

    // Qt's default limit of 32767 characters stays: far beyond anything typed, and it keeps the
    // digest's running sum well inside 32 bits whatever is pasted.
    passwordEdit_ = newPasswordBox(this);
    passwordEdit_->setMinimumWidth(passwordEdit_->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 14);
    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &PasswordEntryDialog::onOkClicked);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(passwordEdit_);
    layout->addWidget(okButton_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(passwordEdit_, okButton_);
}

void PasswordEntryDialog::onOkClicked() {
    if (digest_(passwordEdit_->text()) == passHash_) {
        passwordAccepted_ = true;
    } else {
        prompter_.showMessage(QStringLiteral("パスワードが違います"),
                              core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Critical},
                              core::appTitle());
    }
    accept();
}

// onActivated: the dialog takes the foreground and the box the focus, even when the main window
// that owns it is hidden.
void PasswordEntryDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    raise();
    activateWindow();
    passwordEdit_->setFocus(Qt::ActiveWindowFocusReason);
}

}  // namespace ui
