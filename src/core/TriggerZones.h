#pragma once

#include <QRect>
#include <array>
#include <cstdint>

// The zone toggles of the trigger panel and the corner indicators that show the corner zones.
namespace core {

inline constexpr int kZoneToggleCount = 8;
inline constexpr int kCornerCount = 4;

// Mask bit of zone toggle `index` (0 to 7). The toggles go round the corners clockwise, then the
// edges; the mask bits name the corners row by row: index 2 (bottom-right) is bit 8 and index 3
// (bottom-left) is bit 4.
std::uint32_t zoneBit(int index);

// Where corner indicator `index` (0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left, the
// same as the zone toggles 0 to 3) of `size` × `size` lies, flush with that corner of `screen`.
QRect cornerRect(int index, const QRect& screen, int size);

}  // namespace core
