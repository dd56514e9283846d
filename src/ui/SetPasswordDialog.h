#pragma once

#include <QDialog>
#include <QString>
#include <array>

#include "core/Prompter.h"
#include "lock/MakePassHash.h"
#include "ui/DialogLook.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {

// The set dialog "ロックパスワード": sets, changes or clears the lock password. While a password
// is set both boxes show a placeholder; pressing "設定" with the placeholder still in both keeps
// the password. The dialog only ever changes its own copy of the digest: the caller reads passwordDigest()
// once it has closed.
class SetPasswordDialog : public QDialog {
    Q_OBJECT

public:
    // The ten characters shown in both boxes while a password is set.
    static QString placeholder() { return QStringLiteral("K#W8&QF27T"); }
    static constexpr int kMaxLength = 10;

    SetPasswordDialog(const QString& passHash, core::Prompter& prompter, QWidget* owner,
                      PassDigest digest = lock::makePassHash);

    // The digest after the dialog: the former one unless "設定" stored a new one.
    const QString& passwordDigest() const { return passHash_; }

    QLineEdit* passwordEdit(int index) const { return passwordEdit_.at(static_cast<std::size_t>(index)); }
    QPushButton* setButton() const { return setButton_; }
    QPushButton* closeButton() const { return closeButton_; }

    void onSetClicked();
    void onCloseClicked();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void onPasswordFocused(int index);

    QString passHash_;
    core::Prompter& prompter_;
    PassDigest digest_;

    std::array<QLabel*, 2> passwordLabel_{};
    std::array<QLineEdit*, 2> passwordEdit_{};
    QPushButton* setButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

}  // namespace ui
