#include "platform/qt/QtTrayIcon.h"

#include <QPixmap>

#include "platform/qt/TrayEvents.h"

namespace qtplatform {

namespace {

// A handle that names no picture shows an empty square, as the notification area would; Qt also
// refuses to show an icon without a picture.
QIcon blank() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return QIcon(pixmap);
}

}  // namespace

QtTrayIcon::QtTrayIcon(const PictureStore& pictures) : pictures_(pictures) {
    QObject::connect(&tray_, &QSystemTrayIcon::activated, &tray_,
                     [this](QSystemTrayIcon::ActivationReason reason) { deliver(reason); });
}

void QtTrayIcon::show(core::IconHandle picture) {
    setPicture(picture);
    tray_.setVisible(true);
}

// Sets only what changed: handles are never reused, so the same handle is the same picture.
void QtTrayIcon::setPicture(core::IconHandle picture) {
    if (pictureSet_ && picture == shown_) return;
    const QIcon icon = pictures_.icon(picture);
    tray_.setIcon(icon.isNull() ? blank() : icon);
    shown_ = picture;
    pictureSet_ = true;
}

void QtTrayIcon::setToolTip(const QString& tip) {
    if (tray_.toolTip() != tip) tray_.setToolTip(tip);
}

void QtTrayIcon::hide() {
    tray_.setVisible(false);
}

void QtTrayIcon::deliver(QSystemTrayIcon::ActivationReason reason) {
    for (const core::TrayEvent event : trayEventsFor(reason)) {
        if (onEvent) onEvent(event);
    }
}

}  // namespace qtplatform
