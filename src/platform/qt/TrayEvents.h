#pragma once

#include <QSystemTrayIcon>
#include <vector>

#include "core/TrayIcon.h"

namespace qtplatform {

// The events that one activation of the tray icon stands for, in the order the tray's handler
// expects them. Qt reports a click once, when the button goes down, so each activation becomes the
// press and its release together:
//   left click    Trigger      -> left press, left release
//   right click   Context      -> right press, right release
//   double click  Trigger, then DoubleClick on the second press -> left press, left release, then
//                 left double click, left release
//   middle click  MiddleClick  -> middle press, middle release
// Anything else gives no event.
std::vector<core::TrayEvent> trayEventsFor(QSystemTrayIcon::ActivationReason reason);

}  // namespace qtplatform
