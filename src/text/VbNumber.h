#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

// Numbers as the settings file holds them: read by their leading numeric prefix, converted to
// integers with rounding half to even, written back as plain decimal text. Every numeric setting
// goes through these, so files written by the Windows program and by this one read the same.
namespace vb {

// The number at the start of the text; 0 when there is none. Rules:
// - leading blanks (space, tab, CR, LF) are skipped; blanks elsewhere end the number;
// - decimal: an optional sign, digits with at most one ".", then an optional exponent: E, e, D or d,
//   an optional sign and at least one digit ("1e" reads as 1); reading stops at the first other
//   character. Too large a number gives an infinity of that sign, too small a one 0; never NaN;
// - "&H" or "&O" (either case) right after the blanks: hexadecimal or octal digits. As in VB a value
//   up to FFFF is a 16-bit signed integer (&HFFFF is -1, &H8000 is -32768) and one up to FFFFFFFF
//   a 32-bit signed integer (&HFFFFFFFF is -1, &H10000 is 65536); a larger value keeps its plain
//   magnitude (where VB would stop with an overflow), which the conversions below reject or clamp.
double val(QStringView text);

// Nearest integer, halves to the even one (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Infinities stay as they
// are; NaN gives 0.
double roundHalfEven(double value);

// cInt and cLng: nearest integer, halves to even; no value where VB stops with an overflow error
// (the rounded value out of the type's range, an infinity or NaN).
std::optional<std::int16_t> cInt(double value);
std::optional<std::int32_t> cLng(double value);

// The same, with an out-of-range value clamped to the type's limits (NaN gives 0).
std::int16_t cIntClamped(double value);
std::int32_t cLngClamped(double value);

// Single precision, as when VB assigns a number to a Single; no value where VB overflows
// (beyond the largest float, an infinity or NaN).
std::optional<float> cSng(double value);

// Decimal text of a single-precision number as VB writes it, with at most 7 significant digits:
// "2865", "2865.5", "-0.25", "1.234568E+07", "1E-05". A whole number below 10^7 is a plain integer.
// The decimal mark is always "." so that Val reads the text back on every locale.
QString singleText(float value);

// Plain decimal integer with a leading "-" when negative.
QString integerText(std::int64_t value);

}  // namespace vb
