#include "ui/SetPasswordDialog.h"
#include "platform/qt/DialogFlags.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>
#include <utility>

namespace ui {

SetPasswordDialog::SetPasswordDialog(const QString& passHash, core::Prompter& prompter, QWidget* owner,
                                     PassDigest digest)
    : QDialog(owner), passHash_(passHash), prompter_(prompter), digest_(std::move(digest)) {
    setWindowTitle(QStringLiteral("ロックパスワード"));
    qtplatform::makeTopmostDialog(*this);
    buildControls();
    // start: a set password shows as the placeholder, so that typing replaces it.
    if (!passHash_.isEmpty()) {
        for (QLineEdit* box : passwordEdit_)
            box->setText(placeholder());
    }
}

void SetPasswordDialog::buildControls() {
    const std::array<QString, 2> captions{QStringLiteral("パスワード"), QStringLiteral("確認")};
    auto* boxes = new QVBoxLayout;
    for (std::size_t i = 0; i < passwordEdit_.size(); ++i) {
        passwordLabel_[i] = new QLabel(captions[i], this);
        passwordEdit_[i] = newPasswordBox(this);
        passwordEdit_[i]->setMaxLength(kMaxLength);
        passwordEdit_[i]->setMinimumWidth(
            passwordEdit_[i]->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 14);
        passwordEdit_[i]->installEventFilter(this);
        passwordLabel_[i]->setBuddy(passwordEdit_[i]);
        boxes->addWidget(passwordLabel_[i]);
        boxes->addWidget(passwordEdit_[i]);
    }

    setButton_ = new QPushButton(QStringLiteral("設定"), this);
    setButton_->setDefault(true);
    closeButton_ = new QPushButton(QStringLiteral("閉じる"), this);
    connect(setButton_, &QPushButton::clicked, this, &SetPasswordDialog::onSetClicked);
    connect(closeButton_, &QPushButton::clicked, this, &SetPasswordDialog::onCloseClicked);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(setButton_);
    buttons->addWidget(closeButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addSpacing(layout->spacing());
    layout->addLayout(buttons);
    const QMargins margins = layout->contentsMargins();
    layout->addSpacerItem(new QSpacerItem(captionWidth(*this) - margins.left() - margins.right(), 0,
                                          QSizePolicy::Fixed, QSizePolicy::Fixed));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(passwordEdit_[0], passwordEdit_[1]);
    setTabOrder(passwordEdit_[1], setButton_);
    setTabOrder(setButton_, closeButton_);
}

void SetPasswordDialog::onSetClicked() {
    const QString first = passwordEdit_[0]->text();
    const QString second = passwordEdit_[1]->text();
    if (first == placeholder() && second == placeholder()) {
        accept();
        return;
    }
    if (first != second) {
        prompter_.showMessage(
            QStringLiteral("２つのパスワードが不一致ダヨ"),
            core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Information, true},
            core::appTitle());
        return;
    }
    passHash_ = digest_(first);
    accept();
}

void SetPasswordDialog::onCloseClicked() {
    reject();
}

// onActivated: the first box takes the focus.
void SetPasswordDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    passwordEdit_[0]->setFocus(Qt::ActiveWindowFocusReason);
}

bool SetPasswordDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        for (std::size_t i = 0; i < passwordEdit_.size(); ++i) {
            if (watched == passwordEdit_[i]) onPasswordFocused(static_cast<int>(i));
        }
    }
    return QDialog::eventFilter(watched, event);
}

// The whole text is selected whenever a box takes the focus, however it got there, so that typing
// replaces the placeholder.
void SetPasswordDialog::onPasswordFocused(int index) {
    passwordEdit(index)->selectAll();
}

}  // namespace ui
