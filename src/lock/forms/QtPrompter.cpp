#include "lock/forms/QtPrompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include "lock/forms/DialogLook.h"

namespace lock {

namespace {

constexpr int kButtonsMask = 0x0F;
constexpr int kIconMask = 0x70;
constexpr int kQuestion = 32;

QMessageBox::Icon IconOf(int style) {
    switch (style & kIconMask) {
        case core::mb::kCritical:
            return QMessageBox::Critical;
        case kQuestion:
            return QMessageBox::Question;
        case core::mb::kExclamation:
            return QMessageBox::Warning;
        case core::mb::kInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

int QtPrompter::MsgBox(const QString& text, int style, const QString& title) {
    QPointer<QMessageBox> box = new QMessageBox(IconOf(style), title.isEmpty() ? core::AppTitle() : title,
                                                text, QMessageBox::NoButton, Owner());
    const bool yesNo = (style & kButtonsMask) == core::mb::kYesNo;
    if (yesNo) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
    }
    // QMessageBox::setWindowModality resets the window flags: modality first.
    box->setWindowModality(Qt::ApplicationModal);
    const bool systemModal = (style & core::mb::kSystemModal) != 0;
    box->setWindowFlags(DialogFlags() | (systemModal ? Qt::WindowStaysOnTopHint : Qt::WindowFlags()));

    const int button = box->exec();
    delete box;
    // A box closed without a button (or taken away with its owner) counts as No or OK.
    if (!yesNo) return core::mb::kAnswerOk;
    return button == QMessageBox::Yes ? core::mb::kAnswerYes : core::mb::kAnswerNo;
}

QWidget* QtPrompter::Owner() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    return fallbackOwner_;
}

}  // namespace lock
