// Titles as X properties hold them: UTF-8, Latin-1 STRING (often UTF-8 in practice) and
// COMPOUND_TEXT from older toolkits.
#include <gtest/gtest.h>

#include <string>

#include "platform/x11/TextProperty.h"

namespace core::x11 {
namespace {

struct Case {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
    QString expected;
};

const std::string kEsc = "\x1b";

class TextPropertyTest : public testing::TestWithParam<Case> {};

TEST_P(TextPropertyTest, Decodes) {
    const Case& c = GetParam();
    EXPECT_EQ(decodeTextProperty(c.bytes, c.encoding), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextPropertyTest,
    testing::Values(
        Case{"Utf8", "\xe6\x97\xa5\xe6\x9c\xac", TextEncoding::kUtf8, QStringLiteral("日本")},
        Case{"Latin1String", "caf\xe9", TextEncoding::kLatin1, QStringLiteral("café")},
        Case{"Utf8InAString", "caf\xc3\xa9", TextEncoding::kLatin1, QStringLiteral("café")},
        Case{"CompoundAscii", "xterm", TextEncoding::kCompoundText, QStringLiteral("xterm")},
        Case{"CompoundLatin1UpperHalf", "caf\xe9", TextEncoding::kCompoundText, QStringLiteral("café")},
        // JIS X 0208 in the right half (as Xlib writes Japanese), then back to ASCII.
        Case{"CompoundJapaneseRightHalf", kEsc + "$)B\xc6\xfc\xcb\xdc" + kEsc + "(Babc",
             TextEncoding::kCompoundText, QStringLiteral("日本abc")},
        Case{"CompoundJapaneseLeftHalf", kEsc + "$(B\x46\x7c\x4b\x5c" + kEsc + "(B!",
             TextEncoding::kCompoundText, QStringLiteral("日本!")},
        Case{"CompoundUtf8Segment", "a" + kEsc + "%G\xe2\x82\xac" + kEsc + "%@b", TextEncoding::kCompoundText,
             QStringLiteral("a€b")},
        Case{"CompoundUnknownSetBecomesQuestionMarks", kEsc + "$)D\xb0\xa1" + kEsc + "(Bx",
             TextEncoding::kCompoundText, QStringLiteral("??x")},
        Case{"CompoundHalfACharacterAtTheEnd", kEsc + "$)B\xc6\xfc\xcb", TextEncoding::kCompoundText,
             QStringLiteral("日?")},
        Case{"CompoundCutEscape", "ok" + kEsc + "$", TextEncoding::kCompoundText, QStringLiteral("ok")}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace core::x11
