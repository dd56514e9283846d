#include "core/TargetEntry.h"

#include <cmath>

namespace core {

QString formatTargetEntry(const QString& title, WindowHandle handle) {
    return title + u'(' + handleToHex(handle) + u')';
}

namespace {

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    return -1;
}

// Hexadecimal digits into 32 bits; eight digits from 80000000 up keep their top bit.
WindowHandle parseHandleText(QStringView text) {
    if (text.isEmpty()) return 0;
    WindowHandle value = 0;
    for (const QChar c : text) {
        const int digit = hexDigit(c);
        if (digit < 0 || value > 0x0FFFFFFFu) return 0;
        value = (value << 4) | static_cast<WindowHandle>(digit);
    }
    return value;
}

}  // namespace

TargetEntry parseTargetEntry(const QString& entry) {
    const qsizetype open = entry.lastIndexOf(u'(');
    if (open < 0) return {entry, 0};
    // Everything between the "(" and the last character, which is taken to be ")".
    const qsizetype handleLength = entry.size() - open - 2;
    const QStringView handleText =
        handleLength > 0 ? QStringView(entry).mid(open + 1, handleLength) : QStringView();
    return {entry.left(open), parseHandleText(handleText)};
}

std::int32_t horizontalExtent(int ansiBytes, double fontPoints, double twipsPerPixel) {
    if (!(twipsPerPixel > 0.0)) twipsPerPixel = 15.0;
    // The first product is a fixed-point value with four decimal places.
    const double points = std::nearbyint(fontPoints * 10000.0) / 10000.0;
    const double twips = std::nearbyint(10.0 * ansiBytes * points * 10000.0) / 10000.0;
    const double pixels = twips / twipsPerPixel + 5.0;
    const double rounded = std::nearbyint(pixels);  // the default rounding mode: half to even
    if (!(rounded < 2147483647.0)) return 2147483647;
    if (!(rounded > -2147483648.0)) return -2147483647 - 1;
    return static_cast<std::int32_t>(rounded);
}

}  // namespace core
