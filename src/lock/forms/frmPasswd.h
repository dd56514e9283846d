#pragma once

#include <QDialog>
#include <QString>
#include <array>

#include "core/Prompter.h"
#include "lock/MakePassHash.h"
#include "lock/forms/DialogLook.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace lock {

// The set dialog "ロックパスワード": sets, changes or clears the lock password. While a password
// is set both boxes show a placeholder; pressing "設定" with the placeholder still in both keeps
// the password. The dialog only ever changes its own copy of the digest: the caller reads PassHash()
// once it has closed.
class frmPasswd : public QDialog {
    Q_OBJECT

public:
    // The ten characters shown in both boxes while a password is set.
    static QString Placeholder() { return QStringLiteral("K#W8&QF27T"); }
    static constexpr int kMaxLength = 10;

    frmPasswd(const QString& passHash, core::Prompter& prompter, QWidget* owner,
              PassDigest digest = MakePassHash);

    // The digest after the dialog: the former one unless "設定" stored a new one.
    const QString& PassHash() const { return passHash_; }

    QLineEdit* txtPass(int index) const { return txtPass_.at(static_cast<std::size_t>(index)); }
    QPushButton* cmdSet() const { return cmdSet_; }
    QPushButton* cmdClose() const { return cmdClose_; }

    void cmdSet_Click();
    void cmdClose_Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void txtPass_GotFocus(int index);

    QString passHash_;
    core::Prompter& prompter_;
    PassDigest digest_;

    std::array<QLabel*, 2> lblPass_{};
    std::array<QLineEdit*, 2> txtPass_{};
    QPushButton* cmdSet_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};

}  // namespace lock
