#pragma once

#include <QSystemTrayIcon>

#include "core/NotifyIcon.h"
#include "ui/tray/PictureStore.h"

namespace ui {

// The notification icon on QSystemTrayIcon: a StatusNotifierItem where the desktop runs a watcher,
// an XEmbed tray icon otherwise. Without any tray the icon waits and docks by itself when a tray
// appears (or comes back after a restart). It never has a tooltip: the record's tip is empty.
class QtNotifyIcon final : public core::NotifyIcon {
public:
    explicit QtNotifyIcon(const PictureStore& pictures);

    void Add(const core::TrayIconData& data) override;
    void Modify(const core::TrayIconData& data) override;
    void Delete(const core::TrayIconData& data) override;

    // The icon itself, for its place on the screen.
    const QSystemTrayIcon& trayIcon() const { return tray_; }

private:
    void Apply(const core::TrayIconData& data);
    void Deliver(QSystemTrayIcon::ActivationReason reason);

    const PictureStore& pictures_;
    QSystemTrayIcon tray_;
    core::IconHandle shown_ = 0;
    bool pictureSet_ = false;
};

}  // namespace ui
