#pragma once

// Where the main window's buttons are, for clicks with xdotool: Qt draws its controls inside the
// window (they are no X windows of their own), so they are found by their place in the layout.

#include <QPoint>
#include <QRect>

namespace e2e {

// The centre of a control given in twips of the main window's client area (15 to a pixel).
constexpr QPoint twipCentre(int left, int top, int width, int height) {
    return QPoint((left + width / 2) / 15, (top + height / 2) / 15);
}

// Offsets from the top-left of the main window's client area.
inline constexpr QPoint kCmdAbout = twipCentre(120, 5640, 1095, 375);  // "読む"
inline constexpr QPoint kCmdHide = twipCentre(1320, 5640, 1095, 375);  // "閉じる"
inline constexpr QPoint kCmdExit = twipCentre(2520, 5640, 1095, 375);  // "終了"
// "読" of the standby and the concealment icon, inside the frame "騙しアイコン" at (120, 4080).
inline constexpr QPoint kCmdLoadStandby = twipCentre(120 + 840, 4080 + 540, 375, 375);
inline constexpr QPoint kCmdLoadConcealment = twipCentre(120 + 2580, 4080 + 540, 375, 375);
// The reticle "pickerBox" that a drag starts from, inside the frame "狙って" at (120, 240).
inline constexpr QPoint kPicTarget = twipCentre(120 + 120, 240 + 240, 495, 495);

}  // namespace e2e
