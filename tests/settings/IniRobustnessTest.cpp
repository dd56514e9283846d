// Broken and hostile settings files: never a crash or a hang, never a lost byte, and reads that
// still find what can be found. The randomized part uses a fixed seed, so a failure repeats.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "settings/IniFile.h"
#include "settings/IniText.h"
#include "settings/TestFiles.h"
#include "text/AnsiText.h"
#include "text/VbNumber.h"

namespace {

using settings::ini::findValue;
using settings::ini::withValue;

std::string randomBytes(std::mt19937& rng, std::size_t size) {
    std::string bytes(size, '\0');
    std::uniform_int_distribution<int> byte(0, 255);
    for (char& b : bytes)
        b = static_cast<char>(byte(rng));
    return bytes;
}

struct GarbageCase {
    const char* name;
    std::string file;
    const char16_t* read;  // WinClasses of APP as read from the garbage; nullptr: not found
};

class Garbage : public testing::TestWithParam<GarbageCase> {};

// Reads what can be read; a write then stores the value and keeps every other line as it was.
TEST_P(Garbage, ReadsSoundlyAndWritesWithoutLoss) {
    const GarbageCase& c = GetParam();
    const std::optional<QString> read =
        c.read ? std::optional<QString>(QString::fromUtf16(c.read)) : std::nullopt;
    EXPECT_EQ(findValue(c.file, u"APP", u"WinClasses"), read);
    const std::optional<std::string> after = withValue(c.file, u"APP", u"WinClasses", u"IEFrame");
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(findValue(*after, u"APP", u"WinClasses"), QStringLiteral("IEFrame"));
    if (!read) {
        // Nothing was replaced: the old bytes are all there, in order, around the new line(s).
        std::size_t prefix = 0;
        while (prefix < c.file.size() && c.file[prefix] == (*after)[prefix])
            ++prefix;
        const std::size_t rest = c.file.size() - prefix;
        EXPECT_EQ(after->compare(after->size() - rest, rest, c.file, prefix, rest), 0);
    }
}

std::mt19937 garbageRng(20261210);

INSTANTIATE_TEST_SUITE_P(
    Cases, Garbage,
    testing::Values(
        GarbageCase{"binary", randomBytes(garbageRng, 1 << 16), nullptr},
        GarbageCase{"binary then settings", randomBytes(garbageRng, 4096) + "\r\n[APP]\r\nWinClasses=x\r\n",
                    u"x"},
        GarbageCase{"NUL before the header", std::string("\0[APP]\r\nWinClasses=x\r\n", 23), nullptr},
        GarbageCase{"NUL inside the value", std::string("[APP]\r\nWinClasses=x\0y\r\n", 23), u"x"},
        GarbageCase{"only NULs", std::string(1000, '\0'), nullptr},
        GarbageCase{"lines without equals", "[APP]\r\nWinClasses\r\njunk\r\n", nullptr},
        GarbageCase{"bracket not closed", "[APP\r\nWinClasses=x\r\n", nullptr},
        GarbageCase{"lone brackets", "[\r\n]\r\n[]\r\n][\r\nWinClasses=x\r\n", nullptr},
        GarbageCase{"duplicate sections and keys",
                    "[APP]\r\nWinClasses=first\r\nWinClasses=second\r\n[app]\r\nWinClasses=third\r\n",
                    u"first"},
        GarbageCase{"header with blanks", " \t[ APP ] \r\n WinClasses = x \r\n", u"x"},
        GarbageCase{"blank lines only", "\r\n\r\n \t \r\n", nullptr},
        GarbageCase{"lone lead byte", "[APP]\r\nWinClasses=\x82\r\n", u"\uFFFD"},
        GarbageCase{"lead byte before the line end", "[APP]\x82\r\nWinClasses=x\r\n", u"x"},
        GarbageCase{"long line without end", std::string(10u << 20, 'x'), nullptr},
        GarbageCase{"long header", "[" + std::string(1u << 20, 'A') + "]\r\nWinClasses=x\r\n", nullptr}),
    [](const testing::TestParamInfo<GarbageCase>& param) {
        std::string name = param.param.name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

TEST(Garbage, Utf16FileIsNeitherReadNorWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("z.ini"));
    const std::string utf16("\xFF\xFE[\0A\0P\0P\0]\0", 12);
    testfiles::writeBytes(path, utf16);
    const settings::IniFile ini(path);
    EXPECT_EQ(ini.getIni(u"APP", u"k", QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_FALSE(ini.write(u"APP", u"k", u"v"));
    EXPECT_EQ(testfiles::readBytes(path), utf16);
}

// Pieces that random files are made of: structure, blanks, quotes, line ends of every kind, bytes
// that are tricky in CP932 ("ゾ" ends in "]", "ソ" in "\"), invalid bytes, byte order marks.
const std::vector<std::string> kPieces = {"[APP]",     "[app]",
                                          "[ MOUSE ]", "[KEY",
                                          "]",         "[",
                                          "=",         "WinClasses",
                                          "lngPixels", "k",
                                          " = ",       "\"",
                                          "'",         " ",
                                          "\t",        "\r\n",
                                          "\r\n",      "\n",
                                          "\n",        "\r",
                                          ";",         std::string(1, '\0'),
                                          "\x82",      "\x83\x5D",
                                          "\x83\x5C",  "\xEF\xBB\xBF",
                                          "\xFF\xFE",  "\x1A",
                                          "x",         "1",
                                          "\x82\xA0",  "[\x83\x5D]",
                                          "\xE0"};

const std::vector<QString> kSections = {QStringLiteral("APP"), QStringLiteral("app"), QStringLiteral("MOUSE"),
                                        QStringLiteral(u"ゾ"), QStringLiteral("KEY")};
const std::vector<QString> kKeys = {QStringLiteral("WinClasses"), QStringLiteral("lngPixels"),
                                    QStringLiteral("k"), QStringLiteral("K")};
const std::vector<QString> kValueChars = {QStringLiteral("a"),
                                          QStringLiteral(" "),
                                          QStringLiteral("\""),
                                          QStringLiteral("'"),
                                          QStringLiteral("="),
                                          QStringLiteral("["),
                                          QStringLiteral("]"),
                                          QStringLiteral(u"ゾ"),
                                          QStringLiteral(u"ソ"),
                                          QStringLiteral("\t"),
                                          QStringLiteral(u"é"),
                                          QStringLiteral(","),
                                          QString::fromUtf8("\xF0\x9F\x98\x80")};

template <typename T>
const T& pick(std::mt19937& rng, const std::vector<T>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng)];
}

std::string randomFile(std::mt19937& rng) {
    std::string file;
    const int pieces = std::uniform_int_distribution<int>(0, 60)(rng);
    for (int i = 0; i < pieces; ++i) {
        if (std::uniform_int_distribution<int>(0, 15)(rng) == 0)
            file += randomBytes(rng, 3);
        else
            file += pick(rng, kPieces);
    }
    return file;
}

QString randomValue(std::mt19937& rng) {
    QString value;
    const int length = std::uniform_int_distribution<int>(0, 8)(rng);
    for (int i = 0; i < length; ++i)
        value += pick(rng, kValueChars);
    return value;
}

bool sameName(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

std::size_t count(std::string_view text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

// The one region where before and after differ, as (removed, inserted).
std::pair<std::string_view, std::string_view> difference(std::string_view before, std::string_view after) {
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return {before.substr(prefix, before.size() - prefix - suffix),
            after.substr(prefix, after.size() - prefix - suffix)};
}

TEST(Randomized, WritesChangeOneValueAndNothingElse) {
    std::mt19937 rng(5);
    for (int round = 0; round < 3000; ++round) {
        std::string file = randomFile(rng);
        const bool utf16 = file.rfind("\xFF\xFE", 0) == 0;
        for (int op = 0; op < 4; ++op) {
            const QString section = pick(rng, kSections);
            const QString key = pick(rng, kKeys);
            const QString value = randomValue(rng);
            const std::optional<std::string> after = withValue(file, section, key, value);
            ASSERT_EQ(after.has_value(), !utf16) << round;
            if (!after) break;

            const bool utf8 = file.rfind("\xEF\xBB\xBF", 0) == 0;
            const QString readBack = utf8 ? value : ansi::fromAnsi(ansi::toAnsi(value));
            ASSERT_EQ(findValue(*after, section, key), readBack) << round << " " << file;
            for (const QString& otherSection : kSections) {
                for (const QString& otherKey : kKeys) {
                    if (sameName(otherSection, section) && sameName(otherKey, key)) continue;
                    ASSERT_EQ(findValue(*after, otherSection, otherKey),
                              findValue(file, otherSection, otherKey))
                        << round << " " << file;
                }
            }
            const auto [removed, inserted] = difference(file, *after);
            ASSERT_EQ(count(removed, '\n'), 0u) << round << " " << file;  // no other line touched
            ASSERT_LE(count(inserted, '\n'), 3u) << round << " " << file;
            file = *after;
        }
    }
}

TEST(Randomized, FileOperationsAgreeWithTheText) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("z.ini"));
    const settings::IniFile ini(path);
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        if (round % 20 == 0) testfiles::writeBytes(path, randomFile(rng));
        const QString section = pick(rng, kSections);
        const QString key = pick(rng, kKeys);
        const std::string before = testfiles::readBytes(path);
        const bool stored = ini.write(section, key, randomValue(rng));
        const std::string after = testfiles::readBytes(path);
        if (!stored) {
            ASSERT_EQ(after, before) << round;
            continue;
        }
        for (const QString& s : kSections) {
            for (const QString& k : kKeys) {
                const QString missing = QStringLiteral("\x01");
                ASSERT_EQ(ini.getIni(s, k, missing), findValue(after, s, k).value_or(missing)) << round;
            }
        }
    }
}

TEST(Randomized, NumberReadingIsTotal) {
    std::mt19937 rng(3);
    const QString alphabet = QStringLiteral(u"0123456789+-.eEdD&HhOoFfx \t\r\n,\u3000\uFF11");
    for (int round = 0; round < 200000; ++round) {
        QString text;
        const int length = std::uniform_int_distribution<int>(0, 24)(rng);
        for (int i = 0; i < length; ++i)
            text += alphabet[std::uniform_int_distribution<qsizetype>(0, alphabet.size() - 1)(rng)];
        const double value = vb::val(text);
        ASSERT_FALSE(std::isnan(value)) << text.toStdString();
        const std::optional<std::int16_t> i16 = vb::cInt(value);
        const std::optional<std::int32_t> i32 = vb::cLng(value);
        if (i16) {
            ASSERT_EQ(i32, std::optional<std::int32_t>(*i16));
        }
        ASSERT_EQ(vb::cSng(value).has_value(),
                  std::isfinite(value) && std::fabs(value) <= 3.4028234663852886e38);
        vb::cIntClamped(value);
        vb::cLngClamped(value);
    }
}

TEST(Randomized, SingleTextReadsBack) {
    std::mt19937 rng(7);
    for (int round = 0; round < 100000; ++round) {
        const std::uint32_t bits = static_cast<std::uint32_t>(rng());
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value)) continue;
        const float back = static_cast<float>(vb::val(vb::singleText(value)));
        ASSERT_LE(std::fabs(back - value), std::fabs(value) * 1e-6f) << vb::singleText(value).toStdString();
    }
}

}  // namespace
