#pragma once

#include <QMenu>
#include <QSystemTrayIcon>
#include <memory>

#include "core/TrayIcon.h"
#include "platform/qt/PictureStore.h"

namespace qtplatform {

// The notification icon on QSystemTrayIcon: a StatusNotifierItem where the desktop runs a watcher,
// an XEmbed tray icon otherwise. Without any tray the icon waits and docks by itself when a tray
// appears (or comes back after a restart).
//
// A status-notifier host (xfce4-panel, KDE Plasma, GNOME's AppIndicator extension) tells the item
// of no right click: it asks for the item's menu instead. There the icon has a menu whose one entry
// is what a right click does elsewhere (the main window, through the password when locked).
class QtTrayIcon final : public core::TrayIcon {
public:
    explicit QtTrayIcon(const PictureStore& pictures);

    void show(core::IconHandle picture) override;
    void setPicture(core::IconHandle picture) override;
    void setToolTip(const QString& tip) override;
    void hide() override;

    // The icon itself, for its place on the screen.
    const QSystemTrayIcon& trayIcon() const { return tray_; }
    // The menu a status-notifier host shows; none on an XEmbed tray.
    QMenu* menu() const { return menu_.get(); }

    // The entry of that menu.
    static QString openEntryText() { return QStringLiteral("設定画面を開く(&O)"); }
    // Whether the session bus has a status-notifier watcher with a host, which Qt then serves.
    static bool statusNotifierHostPresent();

private:
    void deliver(QSystemTrayIcon::ActivationReason reason);

    const PictureStore& pictures_;
    void offerMenu();

    std::unique_ptr<QMenu> menu_;
    QSystemTrayIcon tray_;
    core::IconHandle shown_ = 0;
    bool pictureSet_ = false;
};

}  // namespace qtplatform
