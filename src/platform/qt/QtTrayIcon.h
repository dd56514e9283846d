#pragma once

#include <QSystemTrayIcon>

#include "core/TrayIcon.h"
#include "platform/qt/PictureStore.h"

namespace qtplatform {

// The notification icon on QSystemTrayIcon: a StatusNotifierItem where the desktop runs a watcher,
// an XEmbed tray icon otherwise. Without any tray the icon waits and docks by itself when a tray
// appears (or comes back after a restart).
class QtTrayIcon final : public core::TrayIcon {
public:
    explicit QtTrayIcon(const PictureStore& pictures);

    void show(core::IconHandle picture) override;
    void setPicture(core::IconHandle picture) override;
    void setToolTip(const QString& tip) override;
    void hide() override;

    // The icon itself, for its place on the screen.
    const QSystemTrayIcon& trayIcon() const { return tray_; }

private:
    void deliver(QSystemTrayIcon::ActivationReason reason);

    const PictureStore& pictures_;
    QSystemTrayIcon tray_;
    core::IconHandle shown_ = 0;
    bool pictureSet_ = false;
};

}  // namespace qtplatform
