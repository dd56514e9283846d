#include "platform/qt/TrayEvents.h"

namespace qtplatform {

using core::TrayEvent;

std::vector<TrayEvent> trayEventsFor(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            return {TrayEvent::LeftPress, TrayEvent::LeftRelease};
        case QSystemTrayIcon::Context:
            return {TrayEvent::RightPress, TrayEvent::RightRelease};
        case QSystemTrayIcon::DoubleClick:
            return {TrayEvent::LeftDoubleClick, TrayEvent::LeftRelease};
        case QSystemTrayIcon::MiddleClick:
            return {TrayEvent::MiddlePress, TrayEvent::MiddleRelease};
        case QSystemTrayIcon::Unknown:
            break;
    }
    return {};
}

}  // namespace qtplatform
