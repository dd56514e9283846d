#include "lock/forms/frmPassEnt.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

namespace lock {

frmPassEnt::frmPassEnt(const QString& passHash, core::Prompter& prompter, QWidget* owner, PassDigest digest)
    : QDialog(owner), passHash_(passHash), prompter_(prompter), digest_(std::move(digest)) {
    setWindowTitle(QStringLiteral("パスワード"));
    MakeTopmostDialog(*this);

    // Qt's default limit of 32767 characters stays: far beyond anything typed, and it keeps the
    // digest's running sum well inside 32 bits whatever is pasted.
    txtPass_ = NewPasswordBox(this);
    txtPass_->setMinimumWidth(txtPass_->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 14);
    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &frmPassEnt::cmdOK_Click);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(txtPass_);
    layout->addWidget(cmdOK_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(txtPass_, cmdOK_);
}

void frmPassEnt::cmdOK_Click() {
    if (digest_(txtPass_->text()) == passHash_) {
        blnPassOK_ = true;
    } else {
        prompter_.MsgBox(QStringLiteral("パスワードが違います"), core::mb::kOkOnly | core::mb::kCritical,
                         core::AppTitle());
    }
    accept();
}

// Form_Activate: the dialog takes the foreground and the box the focus, even when the main window
// that owns it is hidden.
void frmPassEnt::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    raise();
    activateWindow();
    txtPass_->setFocus(Qt::ActiveWindowFocusReason);
}

}  // namespace lock
