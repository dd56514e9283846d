#include "platform/qt/QtTrayIcon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
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

bool QtTrayIcon::statusNotifierHostPresent() {
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr || !bus.interface()->isServiceRegistered(watcher))
        return false;
    QDBusInterface properties(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
    return properties.isValid() && properties.property("IsStatusNotifierHostRegistered").toBool();
}

void QtTrayIcon::show(core::IconHandle picture) {
    setPicture(picture);
    offerMenu();
    tray_.setVisible(true);
}

void QtTrayIcon::offerMenu() {
    // Not on an XEmbed tray: there Qt would open the menu on the right click as well, which already
    // opens the main window.
    if (menu_ || !statusNotifierHostPresent()) return;
    menu_ = std::make_unique<QMenu>();
    QObject::connect(menu_->addAction(openEntryText()), &QAction::triggered, &tray_,
                     [this] { deliver(QSystemTrayIcon::Context); });
    tray_.setContextMenu(menu_.get());
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
