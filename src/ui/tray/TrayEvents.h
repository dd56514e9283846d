#pragma once

#include <QSystemTrayIcon>
#include <vector>

namespace ui {

// The mouse event numbers that one activation of the tray icon stands for, in the order the main
// window's handler expects them. Qt reports a click once, when the button goes down, so each
// activation becomes the press and its release together:
//   left click    Trigger      -> 513 514
//   right click   Context      -> 516 517
//   double click  Trigger, then DoubleClick on the second press -> 513 514, then 515 514
//   middle click  MiddleClick  -> 519 520
// Anything else gives no event.
std::vector<int> EventNumbersFor(QSystemTrayIcon::ActivationReason reason);

}  // namespace ui
