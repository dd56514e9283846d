#pragma once

#include <cstdint>

// The zone thickness in pixels: the range of the trigger panel's spinner, and the thickness a
// missing setting gives. Start-up clamps a stored thickness into this range, so the spinner and the
// stored value always agree.
namespace settings {

inline constexpr std::int32_t kMinPixels = 1;
inline constexpr std::int32_t kMaxPixels = 20;
inline constexpr std::int32_t kDefaultPixels = 5;

}  // namespace settings
