// The profile format on bytes: what a read finds and exactly which bytes a write changes.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/IniText.h"
#include "text/AnsiText.h"

namespace {

using settings::ini::findValue;
using settings::ini::withValue;

std::string sjis(const char16_t* text) {
    return ansi::toAnsi(QStringView(text));
}

template <typename Case>
std::string caseName(const testing::TestParamInfo<Case>& param) {
    std::string name = param.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
}

struct ReadCase {
    const char* name;
    std::string file;
    const char16_t* section;
    const char16_t* key;
    const char16_t* expected;  // nullptr: no such key
};

class Read : public testing::TestWithParam<ReadCase> {};

TEST_P(Read, FindsWhatWindowsFinds) {
    const ReadCase& c = GetParam();
    const std::optional<QString> expected =
        c.expected ? std::optional<QString>(QString::fromUtf16(c.expected)) : std::nullopt;
    EXPECT_EQ(findValue(c.file, QStringView(c.section), QStringView(c.key)), expected);
}

const std::string kMouse = "[MOUSE]\r\nlngPixels=7\r\nMousePosi=12\r\n";

INSTANTIATE_TEST_SUITE_P(
    Structure, Read,
    testing::Values(
        ReadCase{"plain", kMouse, u"MOUSE", u"lngPixels", u"7"},
        ReadCase{"second key", kMouse, u"MOUSE", u"MousePosi", u"12"},
        ReadCase{"lower-case section", "[mouse]\r\nlngPixels=7\r\n", u"MOUSE", u"lngPixels", u"7"},
        ReadCase{"key in other case", kMouse, u"mouse", u"LNGPIXELS", u"7"},
        ReadCase{"missing key", kMouse, u"MOUSE", u"blnTrigMouse", nullptr},
        ReadCase{"missing section", kMouse, u"APP", u"lngPixels", nullptr},
        ReadCase{"empty file", "", u"MOUSE", u"lngPixels", nullptr},
        ReadCase{"empty value is a value", "[LOCK]\r\nPassHash=\r\n", u"LOCK", u"PassHash", u""},
        ReadCase{"blanks around key and value", "[A]\r\n \t k \t= \t v w \t \r\n", u"A", u"k", u"v w"},
        ReadCase{"blanks around the header", "  [A]  \r\nk=1\r\n", u"A", u"k", u"1"},
        ReadCase{"blanks inside the brackets", "[  A \t]\r\nk=1\r\n", u"A", u"k", u"1"},
        ReadCase{"text after the bracket", "[A] ; mouse zone\r\nk=1\r\n", u"A", u"k", u"1"},
        ReadCase{"blanks around the asked names", kMouse, u" MOUSE ", u"\tlngPixels ", u"7"},
        ReadCase{"LF line ends", "[A]\nk=1\nj=2\n", u"A", u"j", u"2"},
        ReadCase{"no line end at the end", "[A]\r\nk=1", u"A", u"k", u"1"},
        ReadCase{"CR-only line ends make one line", "[A]\rk=1\r", u"A", u"k", nullptr},
        ReadCase{"Ctrl-Z is a blank", "[A]\r\nk=1\x1A\r\n\x1A", u"A", u"k", u"1"},
        ReadCase{"equals in the value", "[A]\r\nk=a=b\r\n", u"A", u"k", u"a=b"},
        ReadCase{"key before any section", "k=1\r\n[A]\r\n", u"A", u"k", nullptr},
        ReadCase{"line without equals", "[A]\r\nk\r\n", u"A", u"k", nullptr},
        ReadCase{"comment", "[A]\r\n;k=1\r\n", u"A", u"k", nullptr},
        ReadCase{"bracket not closed is no header", "[A]\r\nk=1\r\n[B\r\nj=2\r\n", u"A", u"j", u"2"},
        ReadCase{"first section wins", "[A]\r\nk=1\r\n[a]\r\nk=2\r\n", u"A", u"k", u"1"},
        ReadCase{"duplicate section is not searched", "[A]\r\nk=1\r\n[a]\r\nj=2\r\n", u"A", u"j", nullptr},
        ReadCase{"first key wins", "[A]\r\nk=1\r\nK=2\r\n", u"A", u"k", u"1"},
        ReadCase{"a NUL ends the value", std::string("[A]\r\nk=ab\0cd\r\n", 14), u"A", u"k", u"ab"},
        ReadCase{"a NUL in another line", std::string("[A]\r\n\0\0\r\nk=1\r\n", 13), u"A", u"k", u"1"}),
    caseName<ReadCase>);

INSTANTIATE_TEST_SUITE_P(
    Quotes, Read,
    testing::Values(ReadCase{"double", "[A]\r\nk=\"C:\\a b\\x.ico\"\r\n", u"A", u"k", u"C:\\a b\\x.ico"},
                    ReadCase{"single", "[A]\r\nk='x'\r\n", u"A", u"k", u"x"},
                    ReadCase{"blanks kept inside", "[A]\r\nk=\" x \"\r\n", u"A", u"k", u" x "},
                    ReadCase{"only one pair", "[A]\r\nk=\"\"x\"\"\r\n", u"A", u"k", u"\"x\""},
                    ReadCase{"empty pair", "[A]\r\nk=\"\"\r\n", u"A", u"k", u""},
                    ReadCase{"unmatched", "[A]\r\nk=\"x'\r\n", u"A", u"k", u"\"x'"},
                    ReadCase{"lone quote", "[A]\r\nk=\"\r\n", u"A", u"k", u"\""},
                    ReadCase{"inner quotes", "[A]\r\nk=a\"b\"\r\n", u"A", u"k", u"a\"b\""}),
    caseName<ReadCase>);

INSTANTIATE_TEST_SUITE_P(
    Japanese, Read,
    testing::Values(
        // "ソ" is 0x83 0x5C and "ゾ" 0x83 0x5D: their second bytes are "\" and "]".
        ReadCase{"value", "[APP]\r\nIcon0=" + sjis(u"C:\\ソフト\\アイコン.ico") + "\r\n", u"APP", u"Icon0",
                 u"C:\\ソフト\\アイコン.ico"},
        ReadCase{"section whose trail byte is a bracket", sjis(u"[ゾーン]\r\nk=1\r\n"), u"ゾーン", u"k",
                 u"1"},
        ReadCase{"trail-byte bracket closes nothing", sjis(u"[A]\r\nk=1\r\n[ゾ\r\nj=2\r\n"), u"A", u"j",
                 u"2"},
        ReadCase{"key", sjis(u"[設定]\r\n幅=3\r\n"), u"設定", u"幅", u"3"},
        ReadCase{"full-width letters fold case", sjis(u"[ＡＰＰ]\r\nk=1\r\n"), u"ａｐｐ", u"k", u"1"},
        ReadCase{"invalid bytes", "[A]\r\nk=\x82\r\n", u"A", u"k", u"\uFFFD"},
        ReadCase{"UTF-8 with byte order mark",
                 "\xEF\xBB\xBF[APP]\r\nIcon0=" + QStringLiteral(u"/home/太郎/ü.ico").toUtf8().toStdString() +
                     "\r\n",
                 u"APP", u"Icon0", u"/home/太郎/ü.ico"},
        ReadCase{"UTF-16 is not read", std::string("\xFF\xFE[\0A\0]\0", 8), u"A", u"k", nullptr}),
    caseName<ReadCase>);

TEST(Read, CutsLongValuesAt1023Bytes) {
    const std::string ascii(1500, 'x');
    EXPECT_EQ(findValue("[A]\r\nk=" + ascii + "\r\n", u"A", u"k"), QString(1023, u'x'));
    // 600 double-byte characters: 511 fit in 1023 bytes, the 512th is left out rather than split.
    const QString kana(600, u'あ');
    EXPECT_EQ(findValue("[A]\r\nk=" + ansi::toAnsi(kana) + "\r\n", u"A", u"k"), QString(511, u'あ'));
    EXPECT_EQ(findValue("[A]\r\nk=a" + ansi::toAnsi(kana) + "\r\n", u"A", u"k"), u'a' + QString(511, u'あ'));
    // Quotes come off before the cut.
    EXPECT_EQ(findValue("[A]\r\nk=\"" + ascii + "\"\r\n", u"A", u"k"), QString(1023, u'x'));
    EXPECT_EQ(
        findValue("\xEF\xBB\xBF[A]\r\nk=" + QString(600, u'あ').toUtf8().toStdString() + "\r\n", u"A", u"k"),
        QString(511, u'あ'));
}

struct WriteCase {
    const char* name;
    std::string before;
    const char16_t* section;
    const char16_t* key;
    const char16_t* value;
    std::string after;
};

class Write : public testing::TestWithParam<WriteCase> {};

TEST_P(Write, ChangesOnlyWhatItMust) {
    const WriteCase& c = GetParam();
    const std::optional<std::string> after =
        withValue(c.before, QStringView(c.section), QStringView(c.key), QStringView(c.value));
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(*after, c.after);
    EXPECT_EQ(findValue(*after, QStringView(c.section), QStringView(c.key)), QString::fromUtf16(c.value));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Write,
    testing::Values(
        WriteCase{"new file", "", u"APP", u"FormSetX", u"2865", "[APP]\r\nFormSetX=2865\r\n"},
        WriteCase{"empty value", "", u"LOCK", u"PassHash", u"", "[LOCK]\r\nPassHash=\r\n"},
        WriteCase{"replace in place", "[A]\r\nk=1\r\nj=2\r\n", u"A", u"k", u"3", "[A]\r\nk=3\r\nj=2\r\n"},
        WriteCase{"replace keeps spelling and blanks", "[a]\r\n  Key = old  \r\nj=2\r\n", u"A", u"KEY",
                  u"new", "[a]\r\n  Key = new\r\nj=2\r\n"},
        WriteCase{"replace an empty value", "[A]\r\nk=\r\nk2=\r\n", u"A", u"k", u"v",
                  "[A]\r\nk=v\r\nk2=\r\n"},
        WriteCase{"replace with empty", "[A]\r\nk=1\r\n", u"A", u"k", u"", "[A]\r\nk=\r\n"},
        WriteCase{"replace a quoted value", "[A]\r\nk=\"a b\"\r\n", u"A", u"k", u"c", "[A]\r\nk=c\r\n"},
        WriteCase{"replace keeps LF of its line", "[A]\r\nk=1\n", u"A", u"k", u"2", "[A]\r\nk=2\n"},
        WriteCase{"replace the last line without end", "[A]\r\nk=1", u"A", u"k", u"22", "[A]\r\nk=22"},
        WriteCase{"first of duplicate keys", "[A]\r\nk=1\r\nk=2\r\n", u"A", u"K", u"3",
                  "[A]\r\nk=3\r\nk=2\r\n"},
        WriteCase{"add after the last key", "[A]\r\nx=1\r\n\r\n; next\r\n[B]\r\nx=2\r\n", u"A", u"y", u"2",
                  "[A]\r\nx=1\r\ny=2\r\n\r\n; next\r\n[B]\r\nx=2\r\n"},
        WriteCase{"add after the header", "[A]\r\n\r\n[B]\r\n", u"A", u"y", u"2",
                  "[A]\r\ny=2\r\n\r\n[B]\r\n"},
        WriteCase{"add past lines without equals", "[A]\r\nx=1\r\njunk\r\n[B]\r\n", u"A", u"y", u"2",
                  "[A]\r\nx=1\r\ny=2\r\njunk\r\n[B]\r\n"},
        WriteCase{"add to the first duplicate section", "[A]\r\nx=1\r\n[A]\r\n", u"a", u"y", u"2",
                  "[A]\r\nx=1\r\ny=2\r\n[A]\r\n"},
        WriteCase{"add to a last line without end", "[A]\r\nx=1", u"A", u"y", u"2", "[A]\r\nx=1\r\ny=2\r\n"},
        WriteCase{"add a section", "[A]\r\nx=1\r\n", u"B", u"k", u"v", "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        WriteCase{"add a section after blank lines", "[A]\r\nx=1\r\n\r\n", u"B", u"k", u"v",
                  "[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n"},
        WriteCase{"add a section after a line without end", "[A]\r\nx=1", u"B", u"k", u"v",
                  "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        WriteCase{"LF file stays LF", "[A]\nx=1\n", u"A", u"y", u"2", "[A]\nx=1\ny=2\n"},
        WriteCase{"LF file gets LF section", "[A]\nx=1", u"B", u"k", u"v", "[A]\nx=1\n[B]\nk=v\n"},
        WriteCase{"a file's first line end counts", "; c\n[A]\r\nx=1\r\n", u"B", u"k", u"v",
                  "; c\n[A]\r\nx=1\r\n[B]\nk=v\n"},
        WriteCase{"blanks around the names", "[A]\r\nk=1\r\n", u" A ", u" k\t", u"2", "[A]\r\nk=2\r\n"},
        WriteCase{"leading blank is quoted", "", u"A", u"k", u" x", "[A]\r\nk=\" x\"\r\n"},
        WriteCase{"trailing tab is quoted", "", u"A", u"k", u"x\t", "[A]\r\nk=\"x\t\"\r\n"},
        WriteCase{"quoted value is quoted again", "", u"A", u"k", u"\"x\"", "[A]\r\nk=\"\"x\"\"\r\n"},
        WriteCase{"inner quote is left alone", "", u"A", u"k", u"a\"b", "[A]\r\nk=a\"b\r\n"},
        WriteCase{"Japanese in CP932", "[APP]\r\nIcon0=\r\n", u"APP", u"Icon0", u"C:\\ソフト\\ゾ.ico",
                  "[APP]\r\nIcon0=" + sjis(u"C:\\ソフト\\ゾ.ico") + "\r\n"},
        WriteCase{"UTF-8 file stays UTF-8", "\xEF\xBB\xBF[APP]\r\n", u"APP", u"Icon0", u"/home/太郎/ü.ico",
                  "\xEF\xBB\xBF[APP]\r\nIcon0=" + QStringLiteral(u"/home/太郎/ü.ico").toUtf8().toStdString() +
                      "\r\n"},
        WriteCase{"only a byte order mark", "\xEF\xBB\xBF", u"A", u"k", u"v", "\xEF\xBB\xBF[A]\r\nk=v\r\n"}),
    caseName<WriteCase>);

TEST(Write, UnrepresentableCharactersOfAValueBecomeQuestionMarks) {
    const auto after =
        withValue("", u"APP", u"Icon0", QString::fromUtf8("/home/j\xC3\xBCrgen/\xF0\x9F\x98\x80.ico"));
    ASSERT_TRUE(after);
    EXPECT_EQ(*after, "[APP]\r\nIcon0=/home/j?rgen/?.ico\r\n");
}

TEST(Write, RefusesEditsThatWouldBreakTheFile) {
    const std::string file = "[A]\r\nk=1\r\n";
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_FALSE(withValue(file, u"A", u"k", u"1\r\n[LOCK]"));
    EXPECT_FALSE(withValue(file, u"A", u"k", u"a\nb"));
    EXPECT_FALSE(withValue(file, u"A", u"k", QStringView(u"a\0b", 3)));
    EXPECT_FALSE(withValue(file, u"", u"k", u"1"));
    EXPECT_FALSE(withValue(file, u"  ", u"k", u"1"));
    EXPECT_FALSE(withValue(file, u"A", u"", u"1"));
    EXPECT_FALSE(withValue(file, u"A", u"a=b", u"1"));
    EXPECT_FALSE(withValue(file, u"A", u"[x]", u"1"));
    EXPECT_FALSE(withValue(file, u"A", u";x", u"1"));
    EXPECT_FALSE(withValue(file, u"A\nB", u"k", u"1"));
    EXPECT_FALSE(withValue(file, emoji, u"k", u"1"));
    EXPECT_FALSE(withValue(file, u"A", emoji, u"1"));
    EXPECT_FALSE(withValue(std::string("\xFF\xFE[\0A\0]\0", 8), u"A", u"k", u"1"));
    EXPECT_TRUE(withValue("\xEF\xBB\xBF", emoji, u"k", u"1"));  // UTF-8 holds it
}

TEST(Write, SectionNamesWithBracketsReadBack) {
    const auto after = withValue("", u"A]B", u"k", u"1");
    ASSERT_TRUE(after);
    EXPECT_EQ(*after, "[A]B]\r\nk=1\r\n");
    EXPECT_EQ(findValue(*after, u"A]B", u"k"), u"1");
}

}  // namespace
