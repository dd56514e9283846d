#pragma once

#include <QDialog>
#include <QString>

#include "core/Prompter.h"
#include "lock/MakePassHash.h"
#include "ui/DialogLook.h"

class QLineEdit;
class QPushButton;

namespace ui {

// The entry dialog "パスワード": one attempt at the lock password. passwordAccepted() tells, after the
// dialog has closed, whether the text's digest matched; closing it any other way leaves it false.
class PasswordEntryDialog : public QDialog {
    Q_OBJECT

public:
    PasswordEntryDialog(const QString& passHash, core::Prompter& prompter, QWidget* owner,
                        PassDigest digest = lock::makePassHash);

    bool passwordAccepted() const { return passwordAccepted_; }

    QLineEdit* passwordEdit() const { return passwordEdit_; }
    QPushButton* okButton() const { return okButton_; }

    void onOkClicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString passHash_;
    core::Prompter& prompter_;
    PassDigest digest_;
    bool passwordAccepted_ = false;

    QLineEdit* passwordEdit_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

}  // namespace ui
