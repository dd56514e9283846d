#include "text/VbNumber.h"

#include <locale.h>
#include <stdlib.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace vb {
namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

int digitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    int d = -1;
    if (u >= u'0' && u <= u'9') d = u - u'0';
    if (u >= u'a' && u <= u'f') d = u - u'a' + 10;
    if (u >= u'A' && u <= u'F') d = u - u'A' + 10;
    return d < base ? d : -1;
}

// Digits after "&H" / "&O". VB types such a literal by its value: up to FFFF it is an Integer, up
// to FFFFFFFF a Long, so the top bit of either width makes it negative.
double radixValue(QStringView text, qsizetype i, int base) {
    std::uint64_t bits = 0;
    double magnitude = 0;
    bool wide = false;
    for (; i < text.size(); ++i) {
        const int d = digitValue(text[i], base);
        if (d < 0) break;
        magnitude = magnitude * base + d;
        if (!wide) bits = bits * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        if (bits > 0xFFFFFFFFu) wide = true;
    }
    if (wide) return magnitude;
    if (bits <= 0xFFFF) return static_cast<std::int16_t>(static_cast<std::uint16_t>(bits));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
}

// strtod in the "C" locale: the program runs under the user's locale, whose decimal mark may be ",".
double parseCDouble(const std::string& text) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    return strtod_l(text.c_str(), nullptr, cLocale);
}

qsizetype appendDigits(QStringView text, qsizetype i, std::string& out) {
    while (i < text.size() && isDigit(text[i]))
        out.push_back(static_cast<char>(text[i++].unicode()));
    return i;
}

// Appends "e<sign><digits>" when an exponent with at least one digit follows at i.
void appendExponent(QStringView text, qsizetype i, std::string& out) {
    if (i >= text.size()) return;
    const char16_t mark = text[i].unicode();
    if (mark != u'E' && mark != u'e' && mark != u'D' && mark != u'd') return;
    qsizetype j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) {
        exponent.push_back(static_cast<char>(text[j].unicode()));
        ++j;
    }
    if (j >= text.size() || !isDigit(text[j])) return;
    appendDigits(text, j, exponent);
    out += exponent;
}

double decimalValue(QStringView text, qsizetype i) {
    std::string number;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-') number.push_back('-');
        ++i;
    }
    const std::size_t before = number.size();
    i = appendDigits(text, i, number);
    std::size_t digits = number.size() - before;
    if (i < text.size() && text[i] == u'.') {
        number.push_back('.');
        const std::size_t beforeFraction = number.size();
        i = appendDigits(text, i + 1, number);
        digits += number.size() - beforeFraction;
    }
    if (digits == 0) return 0;
    appendExponent(text, i, number);
    return parseCDouble(number);
}

}  // namespace

double val(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    if (i + 1 < text.size() && text[i] == u'&') {
        const char16_t radix = text[i + 1].toUpper().unicode();
        if (radix == u'H') return radixValue(text, i + 2, 16);
        if (radix == u'O') return radixValue(text, i + 2, 8);
    }
    return decimalValue(text, i);
}

double roundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    if (std::isinf(value)) return value;
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5) return below;
    if (fraction > 0.5) return below + 1;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

namespace {

template <typename Int>
std::optional<Int> toInteger(double value) {
    const double rounded = roundHalfEven(value);
    if (!std::isfinite(value) || rounded < std::numeric_limits<Int>::min() ||
        rounded > std::numeric_limits<Int>::max())
        return std::nullopt;
    return static_cast<Int>(rounded);
}

template <typename Int>
Int toIntegerClamped(double value) {
    if (std::isnan(value)) return 0;
    const double rounded = roundHalfEven(value);
    if (rounded <= std::numeric_limits<Int>::min()) return std::numeric_limits<Int>::min();
    if (rounded >= std::numeric_limits<Int>::max()) return std::numeric_limits<Int>::max();
    return static_cast<Int>(rounded);
}

}  // namespace

std::optional<std::int16_t> cInt(double value) {
    return toInteger<std::int16_t>(value);
}
std::optional<std::int32_t> cLng(double value) {
    return toInteger<std::int32_t>(value);
}
std::int16_t cIntClamped(double value) {
    return toIntegerClamped<std::int16_t>(value);
}
std::int32_t cLngClamped(double value) {
    return toIntegerClamped<std::int32_t>(value);
}

std::optional<float> cSng(double value) {
    if (!std::isfinite(value) || std::fabs(value) > FLT_MAX) return std::nullopt;
    return static_cast<float>(value);
}

QString singleText(float value) {
    if (!std::isfinite(value) || value == 0) return QStringLiteral("0");  // also turns -0 into "0"
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 7);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    return text.replace(u'e', u'E');
}

QString integerText(std::int64_t value) {
    return QString::number(value);
}

}  // namespace vb
