#pragma once

#include <QString>
#include <string_view>

namespace core::x11 {

enum class TextEncoding { kLatin1, kUtf8, kCompoundText };

// The text of a STRING, UTF8_STRING or COMPOUND_TEXT property. Many programs store UTF-8 in
// properties typed STRING, so STRING bytes that form valid UTF-8 are read as UTF-8.
QString decodeTextProperty(std::string_view bytes, TextEncoding encoding);

// COMPOUND_TEXT: ASCII, Latin-1, the 94x94 sets of Japanese, Chinese and Korean (through their EUC
// forms) and embedded UTF-8; characters of other sets become "?".
QString decodeCompoundText(std::string_view bytes);

}  // namespace core::x11
