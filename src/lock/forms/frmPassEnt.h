#pragma once

#include <QDialog>
#include <QString>

#include "core/Prompter.h"
#include "lock/MakePassHash.h"
#include "lock/forms/DialogLook.h"

class QLineEdit;
class QPushButton;

namespace lock {

// The entry dialog "パスワード": one attempt at the lock password. blnPassOK() tells, after the
// dialog has closed, whether the text's digest matched; closing it any other way leaves it false.
class frmPassEnt : public QDialog {
    Q_OBJECT

public:
    frmPassEnt(const QString& passHash, core::Prompter& prompter, QWidget* owner,
               PassDigest digest = MakePassHash);

    bool blnPassOK() const { return blnPassOK_; }

    QLineEdit* txtPass() const { return txtPass_; }
    QPushButton* cmdOK() const { return cmdOK_; }

    void cmdOK_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString passHash_;
    core::Prompter& prompter_;
    PassDigest digest_;
    bool blnPassOK_ = false;

    QLineEdit* txtPass_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
};

}  // namespace lock
