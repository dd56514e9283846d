#pragma once

#include <QStringView>
#include <cstdint>

// The numbers of the settings file as start-up takes them. The Windows program stopped with a
// run-time error on a number out of its type's range and on a check-box value outside 0..2;
// here such values get a sound reading instead.
namespace settings {

// A check box ("shiftMode", "muteOn" ...): the number rounded half to even to 16 bits.
// 0 is clear, 1 ticked, 2 greyed (1.5 reads as 2); any other number that fits 16 bits counts as
// ticked, as a non-zero flag does (so -1, VB's True, ticks the box); a number beyond 16 bits, which
// the Windows program could not read, gives defaultValue.
int CheckBoxValue(QStringView stored, int defaultValue);

// A 32-bit setting ("zoneThickness", "zoneMask"): the number rounded half to even; a number beyond
// 32 bits gives defaultValue. "zoneMask" -1 thus gives -1, whose low eight bits are all zones.
std::int32_t longValue(QStringView stored, std::int32_t defaultValue);

// A window position in twips ("windowX", "windowY"), in single precision; a number beyond the
// single-precision range gives defaultValue.
float positionValue(QStringView stored, float defaultValue);

}  // namespace settings
