#pragma once

#include <cstddef>
#include <iterator>
#include <ostream>

#include "core/TrayIcon.h"

namespace core {

// Tray events by name in the tests' failure messages.
inline void PrintTo(TrayEvent event, std::ostream* os) {
    static constexpr const char* kNames[] = {"LeftPress",    "LeftRelease", "LeftDoubleClick", "RightPress",
                                             "RightRelease", "MiddlePress", "MiddleRelease"};
    const auto index = static_cast<std::size_t>(event);
    if (index < std::size(kNames)) {
        *os << kNames[index];
    } else {
        *os << "TrayEvent(" << index << ')';
    }
}

}  // namespace core
