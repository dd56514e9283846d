#include "platform/qt/QtPrompter.h"
#include "platform/qt/DialogFlags.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace qtplatform {

namespace {

QMessageBox::Icon iconOf(core::MessageIcon icon) {
    switch (icon) {
        case core::MessageIcon::Critical:
            return QMessageBox::Critical;
        case core::MessageIcon::Question:
            return QMessageBox::Question;
        case core::MessageIcon::Warning:
            return QMessageBox::Warning;
        case core::MessageIcon::Information:
            return QMessageBox::Information;
        case core::MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

core::Answer QtPrompter::showMessage(const QString& text, core::MessageStyle style, const QString& title) {
    QPointer<QMessageBox> box = new QMessageBox(
        iconOf(style.icon), title.isEmpty() ? core::appTitle() : title, text, QMessageBox::NoButton, owner());
    const bool yesNo = style.buttons == core::MessageButtons::YesNo;
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
    box->setWindowFlags(dialogFlags() | (style.aboveAll ? Qt::WindowStaysOnTopHint : Qt::WindowFlags()));

    const int button = box->exec();
    delete box;
    // A box closed without a button (or taken away with its owner) counts as No or OK.
    if (!yesNo) return core::Answer::Ok;
    return button == QMessageBox::Yes ? core::Answer::Yes : core::Answer::No;
}

QWidget* QtPrompter::owner() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    return fallbackOwner_;
}

}  // namespace qtplatform
