#include "picker/forms/frmAddConfirm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "ui/FormLook.h"

namespace picker {

frmAddConfirm::frmAddConfirm(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmAddConfirm"));
    setWindowTitle(QStringLiteral("追加方法の確認"));
    // A fixed dialog above every ordinary window, the picked one included.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setFont(ui::FormFont());
    setFixedSize(ui::Px(3945), ui::Px(1455));

    lblMessage_ = new QLabel(QStringLiteral("指定のウィンドウのみを隠蔽対象としますか？"), this);
    lblMessage_->setObjectName(QStringLiteral("lblMessage"));
    lblMessage_->setGeometry(ui::TwipRect(120, 120, 3615, 855));
    lblMessage_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMessage_->setTextFormat(Qt::PlainText);

    cmdWindow_ = new QPushButton(QStringLiteral("指定ウィンドウのみ"), this);
    cmdWindow_->setObjectName(QStringLiteral("cmdWindow"));
    cmdWindow_->setGeometry(ui::TwipRect(120, 960, 1815, 375));
    cmdWindow_->setDefault(true);

    cmdClass_ = new QPushButton(QStringLiteral("類似ウィンドウごと"), this);
    cmdClass_->setObjectName(QStringLiteral("cmdClass"));
    cmdClass_->setGeometry(ui::TwipRect(2040, 960, 1815, 375));
    cmdClass_->setAutoDefault(false);

    setTabOrder(cmdWindow_, cmdClass_);
    connect(cmdWindow_, &QPushButton::clicked, this, &frmAddConfirm::cmdWindow_Click);
    connect(cmdClass_, &QPushButton::clicked, this, &frmAddConfirm::cmdClass_Click);
}

bool frmAddConfirm::Confirm(const QString& className) {
    // QLabel breaks lines at LF; the message keeps its CR LF for everyone else who reads it.
    lblMessage_->setText(AddConfirmMessage(className).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    cmdWindow_->setFocus();
    // The question follows the user's own drop: it takes the keyboard so that Enter answers it.
    QTimer::singleShot(0, this, [this] {
        raise();
        activateWindow();
    });
    exec();
    return blnWindowOnly_;
}

void frmAddConfirm::cmdWindow_Click() {
    blnWindowOnly_ = true;
    accept();
}

void frmAddConfirm::cmdClass_Click() {
    blnWindowOnly_ = false;
    accept();
}

void frmAddConfirm::keyPressEvent(QKeyEvent* event) {
    // The question has no cancel button: Escape does not close it (QDialog would reject).
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace picker
