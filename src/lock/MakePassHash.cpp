#include "lock/MakePassHash.h"

#include <string>

#include "text/AnsiText.h"

namespace lock {
namespace {

constexpr std::int64_t kLargestMagnitude = 2147483647;

// Converting the whole text at once gives the same bytes as converting character by character:
// every character becomes one or two bytes on its own, an unrepresentable one a single "?".
std::int64_t characterSum(const QString& text) {
    const std::string bytes = ansi::toAnsi(text);
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (ansi::isLeadByte(lead) && i + 1 < bytes.size()) {
            const auto trail = static_cast<unsigned char>(bytes[++i]);
            sum += static_cast<std::int16_t>(static_cast<std::uint16_t>(lead << 8 | trail));
        } else {
            sum += lead;
        }
    }
    return sum;
}

}  // namespace

QString passHashOfSum(std::int64_t sum) {
    std::int64_t a = sum < 0 ? -sum : sum;
    if (a > kLargestMagnitude) a = kLargestMagnitude;
    if (a < 200) a *= a;
    QString digest;
    while (a > 25) {
        const QChar letter(static_cast<char16_t>(u'A' + a % 26));
        if (digest.isEmpty() || digest.back() != letter) digest.append(letter);
        // a * 0.8 rounded to the nearest integer: 4a/5 never ends in .5, so this is exact.
        a = (4 * a + 2) / 5;
    }
    return digest;
}

QString makePassHash(const QString& text) {
    return passHashOfSum(characterSum(text));
}

}  // namespace lock
