#include "ui/AddTargetDialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "ui/FormLook.h"

namespace ui {

AddTargetDialog::AddTargetDialog(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmAddConfirm"));
    setWindowTitle(QStringLiteral("追加方法の確認"));
    // A fixed dialog above every ordinary window, the picked one included.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setFont(ui::formFont());
    setFixedSize(ui::px(3945), ui::px(1455));

    messageLabel_ = new QLabel(QStringLiteral("指定のウィンドウのみを隠蔽対象としますか？"), this);
    messageLabel_->setObjectName(QStringLiteral("lblMessage"));
    messageLabel_->setGeometry(ui::twipRect(120, 120, 3615, 855));
    messageLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    messageLabel_->setTextFormat(Qt::PlainText);

    windowOnlyButton_ = new QPushButton(QStringLiteral("指定ウィンドウのみ"), this);
    windowOnlyButton_->setObjectName(QStringLiteral("cmdWindow"));
    windowOnlyButton_->setGeometry(ui::twipRect(120, 960, 1815, 375));
    windowOnlyButton_->setDefault(true);

    wholeClassButton_ = new QPushButton(QStringLiteral("類似ウィンドウごと"), this);
    wholeClassButton_->setObjectName(QStringLiteral("cmdClass"));
    wholeClassButton_->setGeometry(ui::twipRect(2040, 960, 1815, 375));
    wholeClassButton_->setAutoDefault(false);

    setTabOrder(windowOnlyButton_, wholeClassButton_);
    connect(windowOnlyButton_, &QPushButton::clicked, this, &AddTargetDialog::onWindowOnlyClicked);
    connect(wholeClassButton_, &QPushButton::clicked, this, &AddTargetDialog::onWholeClassClicked);
}

bool AddTargetDialog::confirm(const QString& className) {
    // QLabel breaks lines at LF; the message keeps its CR LF for everyone else who reads it.
    messageLabel_->setText(
        core::addConfirmMessage(className).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    windowOnlyButton_->setFocus();
    // The question follows the user's own drop: it takes the keyboard so that Enter answers it.
    QTimer::singleShot(0, this, [this] {
        raise();
        activateWindow();
    });
    exec();
    return windowOnly_;
}

void AddTargetDialog::onWindowOnlyClicked() {
    windowOnly_ = true;
    accept();
}

void AddTargetDialog::onWholeClassClicked() {
    windowOnly_ = false;
    accept();
}

void AddTargetDialog::keyPressEvent(QKeyEvent* event) {
    // The question has no cancel button: Escape does not close it (QDialog would reject).
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace ui
