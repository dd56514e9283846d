#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

// Looks shared by the program's own forms: their fonts and the twips of their layout tables.
namespace ui {

// Layout tables are written in twips, 15 to a pixel at 96 dpi. Qt scales pixels for other screens.
inline constexpr int kTwipsPerPixel = 15;

constexpr int px(int twips) {
    return twips / kTwipsPerPixel;
}

constexpr QRect twipRect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}

// The forms' text: a 9 point Japanese proportional font (standing for "ＭＳ Ｐゴシック").
QFont formFont();

// The target lists' text: a 9 point Japanese monospace font (standing for "ＭＳ ゴシック"), whose
// half-width characters are half as wide as the full-width ones, as the lists' width rule assumes.
QFont listFont();

}  // namespace ui
