#pragma once

#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

// The program's "ANSI code page" is CP932 (Shift-JIS with the Windows extensions): settings files,
// password digests and the byte limits of titles are all counted in it, as on a Japanese Windows.
namespace ansi {

// Unicode to CP932. A character that CP932 cannot hold becomes "?" (one byte).
std::string toAnsi(QStringView text);

// CP932 to Unicode. A byte sequence that is not valid CP932 becomes U+FFFD per bad byte.
QString fromAnsi(std::string_view bytes);

// Length of the text in CP932 bytes (a double-byte character counts 2).
int byteLength(QStringView text);

// The longest leading part of the text that takes at most maxBytes CP932 bytes; a double-byte
// character that would not fit whole is left out rather than split.
QString cutToBytes(QStringView text, int maxBytes);

// The same cut on CP932 bytes: the longest prefix of at most maxBytes bytes that does not end
// inside a double-byte character.
std::string_view cutAnsiBytes(std::string_view bytes, std::size_t maxBytes);

// True when b is a CP932 lead byte (the first byte of a double-byte character).
constexpr bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace ansi
