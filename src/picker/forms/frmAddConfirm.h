#pragma once

#include <QDialog>
#include <QString>

#include "picker/AddConfirmer.h"

class QLabel;
class QPushButton;

namespace picker {

// "追加方法の確認": asks whether the picked window is concealed alone ("指定ウィンドウのみ",
// the default) or with every window of its class ("類似ウィンドウごと"). One object serves the
// whole run and keeps the last answer.
class frmAddConfirm : public QDialog, public AddConfirmer {
    Q_OBJECT

public:
    explicit frmAddConfirm(QWidget* owner);

    bool Confirm(const QString& className) override;

    bool blnWindowOnly() const { return blnWindowOnly_; }

    QLabel* lblMessage() const { return lblMessage_; }
    QPushButton* cmdWindow() const { return cmdWindow_; }
    QPushButton* cmdClass() const { return cmdClass_; }

    void cmdWindow_Click();
    void cmdClass_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool blnWindowOnly_ = false;
    QLabel* lblMessage_ = nullptr;
    QPushButton* cmdWindow_ = nullptr;
    QPushButton* cmdClass_ = nullptr;
};

}  // namespace picker
