#pragma once

#include <QString>
#include <cstdint>

#include "core/WindowServices.h"

namespace core {

// The target list holds at most this many windows; the table behind it has one record more.
inline constexpr int kMaxTargets = 100;
inline constexpr int kTargetTableSize = 101;

// A target list entry split into its parts.
struct TargetEntry {
    QString title;
    WindowHandle handle = 0;
};

// title & "(" & handle in upper-case hexadecimal & ")".
QString formatTargetEntry(const QString& title, WindowHandle handle);

// Splits an entry at its last "(": the title is everything before it, the handle text everything
// between it and the entry's last character (taken to be ")"), read as hexadecimal into 32 bits.
// A handle text that is empty, holds other characters or does not fit 32 bits gives the handle 0,
// which names no window, so such an entry is pruned rather than misread.
TargetEntry parseTargetEntry(const QString& entry);

// Horizontal scroll width of a list in pixels for its longest entry of `ansiBytes` CP932 bytes:
// each byte counts 10 × font size twips, plus 5 pixels, rounded half to even.
std::int32_t horizontalExtent(int ansiBytes, double fontPoints, double twipsPerPixel);

}  // namespace core
