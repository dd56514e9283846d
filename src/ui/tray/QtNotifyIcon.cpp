#include "ui/tray/QtNotifyIcon.h"

#include <QPixmap>

#include "ui/tray/TrayEvents.h"

namespace ui {

namespace {

constexpr std::uint32_t kFlagIcon = 2;  // NIF_ICON: hIcon is valid
constexpr std::uint32_t kFlagTip = 4;   // NIF_TIP: szTip is valid

// A handle that names no picture shows an empty square, as the notification area would; Qt also
// refuses to show an icon without a picture.
QIcon Blank() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return QIcon(pixmap);
}

}  // namespace

QtNotifyIcon::QtNotifyIcon(const PictureStore& pictures) : pictures_(pictures) {
    QObject::connect(&tray_, &QSystemTrayIcon::activated, &tray_,
                     [this](QSystemTrayIcon::ActivationReason reason) { Deliver(reason); });
}

void QtNotifyIcon::Add(const core::TrayIconData& data) {
    Apply(data);
    if (!pictureSet_) {
        tray_.setIcon(Blank());
        pictureSet_ = true;
    }
    tray_.setVisible(true);
}

void QtNotifyIcon::Modify(const core::TrayIconData& data) {
    Apply(data);
}

void QtNotifyIcon::Delete(const core::TrayIconData&) {
    tray_.setVisible(false);
}

// Sets only what changed: handles are never reused, so the same handle is the same picture and a
// re-sent record leaves the icon exactly as it is.
void QtNotifyIcon::Apply(const core::TrayIconData& data) {
    if ((data.uFlags & kFlagIcon) != 0 && (!pictureSet_ || data.hIcon != shown_)) {
        const QIcon icon = pictures_.Icon(data.hIcon);
        tray_.setIcon(icon.isNull() ? Blank() : icon);
        shown_ = data.hIcon;
        pictureSet_ = true;
    }
    if ((data.uFlags & kFlagTip) != 0) {
        // The tip ends at its first NUL; the program's empty tip is a NUL and blanks.
        const QString tip = data.szTip.left(data.szTip.indexOf(QChar(u'\0')));
        if (tray_.toolTip() != tip) tray_.setToolTip(tip);
    }
}

void QtNotifyIcon::Deliver(QSystemTrayIcon::ActivationReason reason) {
    for (const int eventNumber : EventNumbersFor(reason)) {
        if (onMouseEvent) onMouseEvent(eventNumber);
    }
}

}  // namespace ui
