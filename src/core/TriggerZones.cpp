#include "core/TriggerZones.h"

#include "core/ConcealmentCycle.h"

namespace core {

std::uint32_t zoneBit(int index) {
    static constexpr std::array<std::uint32_t, kZoneToggleCount> kBits{
        core::kZoneTopLeft, core::kZoneTopRight, core::kZoneBottomRight, core::kZoneBottomLeft,
        core::kZoneLeft,    core::kZoneTop,      core::kZoneRight,       core::kZoneBottom};
    if (index < 0 || index >= kZoneToggleCount) return 0;
    return kBits[static_cast<std::size_t>(index)];
}

QRect cornerRect(int index, const QRect& screen, int size) {
    const int left = screen.left();
    const int right = screen.left() + screen.width() - size;
    const int top = screen.top();
    const int bottom = screen.top() + screen.height() - size;
    switch (index) {
        case 0:
            return QRect(left, top, size, size);
        case 1:
            return QRect(right, top, size, size);
        case 2:
            return QRect(right, bottom, size, size);
        case 3:
            return QRect(left, bottom, size, size);
        default:
            return QRect();
    }
}

}  // namespace core
