#include <gtest/gtest.h>

#include "text/AnsiText.h"

namespace {

TEST(AnsiText, ConvertsJapaneseToCp932AndBack) {
    const QString text = QStringLiteral("隠蔽対象窓 abc");
    const std::string bytes = ansi::toAnsi(text);
    EXPECT_EQ(bytes.size(), 14u);
    EXPECT_EQ(static_cast<unsigned char>(ansi::toAnsi(QStringLiteral("あ"))[0]), 0x82);
    EXPECT_EQ(static_cast<unsigned char>(ansi::toAnsi(QStringLiteral("あ"))[1]), 0xA0);
    EXPECT_EQ(ansi::fromAnsi(bytes), text);
}

TEST(AnsiText, UnrepresentableCharactersBecomeQuestionMarks) {
    // An emoji (a surrogate pair) and a Hangul syllable have no CP932 form.
    EXPECT_EQ(ansi::toAnsi(QString::fromUtf8("a\xF0\x9F\x98\x80\xEA\xB0\x80z")), "a??z");
    EXPECT_EQ(ansi::byteLength(QString::fromUtf8("\xF0\x9F\x98\x80")), 1);
}

TEST(AnsiText, InvalidBytesDecodeToReplacementCharacters) {
    const QString decoded = ansi::fromAnsi(std::string_view("a\x82", 2));  // a lead byte alone
    EXPECT_EQ(decoded, QString(QStringLiteral("a")) + QChar(0xFFFD));
}

struct CutCase {
    const char* utf8;
    int maxBytes;
    const char* expectedUtf8;
};

class CutToBytes : public testing::TestWithParam<CutCase> {};

TEST_P(CutToBytes, NeverSplitsADoubleByteCharacter) {
    const CutCase& c = GetParam();
    EXPECT_EQ(ansi::cutToBytes(QString::fromUtf8(c.utf8), c.maxBytes), QString::fromUtf8(c.expectedUtf8));
}

INSTANTIATE_TEST_SUITE_P(Cases, CutToBytes,
                         testing::Values(CutCase{"abcdef", 3, "abc"}, CutCase{"abc", 10, "abc"},
                                         CutCase{"aあい", 4, "aあ"}, CutCase{"aあい", 2, "a"},
                                         CutCase{"あい", 1, ""}, CutCase{"abc", 0, ""},
                                         CutCase{"a\xF0\x9F\x98\x80"
                                                 "b",
                                                 2, "a\xF0\x9F\x98\x80"}));

TEST(AnsiText, CutsRawBytesAtCharacterBoundaries) {
    const std::string bytes = ansi::toAnsi(QStringLiteral("aあい"));
    EXPECT_EQ(ansi::cutAnsiBytes(bytes, 4).size(), 3u);
    EXPECT_EQ(ansi::cutAnsiBytes(bytes, 5).size(), 5u);
    EXPECT_EQ(ansi::cutAnsiBytes(bytes, 100).size(), 5u);
}

}  // namespace
