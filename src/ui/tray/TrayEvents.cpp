#include "ui/tray/TrayEvents.h"

#include "core/NotifyIcon.h"

namespace ui {

std::vector<int> EventNumbersFor(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            return {core::kIconLeftDown, core::kIconLeftUp};
        case QSystemTrayIcon::Context:
            return {core::kIconRightDown, core::kIconRightUp};
        case QSystemTrayIcon::DoubleClick:
            return {core::kIconLeftDoubleClick, core::kIconLeftUp};
        case QSystemTrayIcon::MiddleClick:
            return {core::kIconMiddleDown, core::kIconMiddleUp};
        case QSystemTrayIcon::Unknown:
            break;
    }
    return {};
}

}  // namespace ui
