#include "lock/forms/frmPasswd.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>
#include <utility>

namespace lock {

frmPasswd::frmPasswd(const QString& passHash, core::Prompter& prompter, QWidget* owner, PassDigest digest)
    : QDialog(owner), passHash_(passHash), prompter_(prompter), digest_(std::move(digest)) {
    setWindowTitle(QStringLiteral("ロックパスワード"));
    MakeTopmostDialog(*this);
    BuildControls();
    // Form_Load: a set password shows as the placeholder, so that typing replaces it.
    if (!passHash_.isEmpty()) {
        for (QLineEdit* box : txtPass_)
            box->setText(Placeholder());
    }
}

void frmPasswd::BuildControls() {
    const std::array<QString, 2> captions{QStringLiteral("パスワード"), QStringLiteral("確認")};
    auto* boxes = new QVBoxLayout;
    for (std::size_t i = 0; i < txtPass_.size(); ++i) {
        lblPass_[i] = new QLabel(captions[i], this);
        txtPass_[i] = NewPasswordBox(this);
        txtPass_[i]->setMaxLength(kMaxLength);
        txtPass_[i]->setMinimumWidth(txtPass_[i]->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 14);
        txtPass_[i]->installEventFilter(this);
        lblPass_[i]->setBuddy(txtPass_[i]);
        boxes->addWidget(lblPass_[i]);
        boxes->addWidget(txtPass_[i]);
    }

    cmdSet_ = new QPushButton(QStringLiteral("設定"), this);
    cmdSet_->setDefault(true);
    cmdClose_ = new QPushButton(QStringLiteral("閉じる"), this);
    connect(cmdSet_, &QPushButton::clicked, this, &frmPasswd::cmdSet_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &frmPasswd::cmdClose_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSet_);
    buttons->addWidget(cmdClose_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addSpacing(layout->spacing());
    layout->addLayout(buttons);
    const QMargins margins = layout->contentsMargins();
    layout->addSpacerItem(new QSpacerItem(CaptionWidth(*this) - margins.left() - margins.right(), 0,
                                          QSizePolicy::Fixed, QSizePolicy::Fixed));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(txtPass_[0], txtPass_[1]);
    setTabOrder(txtPass_[1], cmdSet_);
    setTabOrder(cmdSet_, cmdClose_);
}

void frmPasswd::cmdSet_Click() {
    const QString first = txtPass_[0]->text();
    const QString second = txtPass_[1]->text();
    if (first == Placeholder() && second == Placeholder()) {
        accept();
        return;
    }
    if (first != second) {
        prompter_.MsgBox(QStringLiteral("２つのパスワードが不一致ダヨ"),
                         core::mb::kOkOnly | core::mb::kInformation | core::mb::kSystemModal,
                         core::AppTitle());
        return;
    }
    passHash_ = digest_(first);
    accept();
}

void frmPasswd::cmdClose_Click() {
    reject();
}

// Form_Activate: the first box takes the focus.
void frmPasswd::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    txtPass_[0]->setFocus(Qt::ActiveWindowFocusReason);
}

bool frmPasswd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        for (std::size_t i = 0; i < txtPass_.size(); ++i) {
            if (watched == txtPass_[i]) txtPass_GotFocus(static_cast<int>(i));
        }
    }
    return QDialog::eventFilter(watched, event);
}

// The whole text is selected whenever a box takes the focus, however it got there, so that typing
// replaces the placeholder.
void frmPasswd::txtPass_GotFocus(int index) {
    txtPass(index)->selectAll();
}

}  // namespace lock
