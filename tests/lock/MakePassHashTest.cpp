#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "lock/MakePassHash.h"

namespace {

using lock::makePassHash;
using lock::passHashOfSum;

struct DigestCase {
    const char* name;
    QString text;
    const char* digest;
};

class Digest : public testing::TestWithParam<DigestCase> {};

TEST_P(Digest, MatchesTheWindowsProgram) {
    EXPECT_EQ(makePassHash(GetParam().text), QString::fromLatin1(GetParam().digest));
}

// Half-width katakana are single bytes 0xA1..0xDF, so they count 161..223.
QString halfWidth(char16_t c, int times) {
    return QString(times, QChar(c));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Digest,
    testing::Values(
        DigestCase{"empty", QString(), ""}, DigestCase{"abc", QStringLiteral("abc"), "IBGUQSZKYOGA"},
        DigestCase{"cab is abc reordered", QStringLiteral("cab"), "IBGUQSZKYOGA"},
        DigestCase{"sum 5 is empty", QString(QChar(5)), ""}, DigestCase{"sum 6", QString(QChar(6)), "KD"},
        DigestCase{"sum 6 from two characters", QString(QChar(2)) + QChar(4), "KD"},
        // "あ" (-32096) with 143 "ﾟ" (223) and "ﾉ" (201): -6.
        DigestCase{"sum -6", QStringLiteral(u"あ") + halfWidth(u'ﾟ', 143) + QStringLiteral(u"ﾉ"), "KD"},
        // With "ﾏ" (207) instead the double-byte character is cancelled exactly.
        DigestCase{"sum 0 from cancelling",
                   QStringLiteral(u"あ") + halfWidth(u'ﾟ', 143) + QStringLiteral(u"ﾏ"), ""},
        DigestCase{"hiragana a counts -32096", QStringLiteral(u"あ"), "MPCROQXDSOBWXIMUVGUGKDIWSUAKYOGA"},
        DigestCase{"unrepresentable counts as ?", QStringLiteral(u"한"), "RDSEOBQNKDNKSJHLTFULE"},
        DigestCase{"question mark", QStringLiteral("?"), "RDSEOBQNKDNKSJHLTFULE"},
        DigestCase{"a surrogate pair is one ?", QString::fromUtf8("\xF0\x9F\x98\x80"),
                   "RDSEOBQNKDNKSJHLTFULE"}),
    [](const testing::TestParamInfo<DigestCase>& param) {
        std::string name = param.param.name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

TEST(DigestRules, SquaringThresholdAt200) {
    // "d" + "c" = 199 is squared to 39601; "dd" = 200 stays 200 (raw SEYYEOBQIB).
    EXPECT_EQ(makePassHash(QStringLiteral("dc")), passHashOfSum(39601));
    EXPECT_EQ(makePassHash(QStringLiteral("dd")), passHashOfSum(200));
    EXPECT_EQ(passHashOfSum(199), passHashOfSum(39601));
    EXPECT_EQ(passHashOfSum(200), QStringLiteral("SEYEOBQIB"));
    EXPECT_NE(passHashOfSum(199), passHashOfSum(200));
}

TEST(DigestRules, RunsOfEqualLettersCollapse) {
    // Sum 122 ("z"): the raw letters MZKDNQCCCWME... hold "CCC", the digest a single "C".
    EXPECT_EQ(makePassHash(QStringLiteral("z")), QStringLiteral("MZKDNQCWMEIMEDCWHGPHGKSETKD"));
    EXPECT_EQ(passHashOfSum(122), makePassHash(QStringLiteral("z")));
}

TEST(DigestRules, DependsOnlyOnTheMagnitudeOfTheSum) {
    EXPECT_EQ(passHashOfSum(-294), QStringLiteral("IBGUQSZKYOGA"));
    const QString text = QStringLiteral(u"パスワード1a");
    QString reordered = text;
    std::reverse(reordered.begin(), reordered.end());
    EXPECT_EQ(makePassHash(reordered), makePassHash(text));
    EXPECT_FALSE(makePassHash(text).isEmpty());
}

// The digest loop as written for the Windows program: a * 0.8 in double precision, rounded half to
// even. Checked against the integer form over small values and the top of the range.
QString referenceDigest(std::int64_t sum) {
    double a = std::fabs(static_cast<double>(sum));
    if (a < 200) a = a * a;
    QString raw;
    while (a > 25) {
        raw += QChar(static_cast<char16_t>(u'A' + static_cast<int>(std::fmod(a, 26))));
        a = std::nearbyint(a * 0.8);
    }
    QString digest;
    for (const QChar c : raw)
        if (digest.isEmpty() || digest.back() != c) digest += c;
    return digest;
}

TEST(DigestRules, IntegerLoopEqualsTheDoubleLoop) {
    for (std::int64_t sum = -300000; sum <= 300000; ++sum)
        ASSERT_EQ(passHashOfSum(sum), referenceDigest(sum)) << sum;
    std::mt19937 rng(1);
    for (int i = 0; i < 200000; ++i) {
        const std::int64_t sum = std::uniform_int_distribution<std::int64_t>(-2147483647, 2147483647)(rng);
        ASSERT_EQ(passHashOfSum(sum), referenceDigest(sum)) << sum;
    }
}

TEST(DigestRules, LongestDigestHasAtMost82LettersAndNoRepeats) {
    const QString top = passHashOfSum(2147483647);
    EXPECT_LE(top.size(), 82);
    EXPECT_GE(top.size(), 70);
    for (qsizetype i = 1; i < top.size(); ++i)
        EXPECT_NE(top[i], top[i - 1]);
}

TEST(DigestRules, SumsBeyond32BitsCountAsTheLargestMagnitude) {
    // The Windows program stopped with an overflow here; the digest clamps |sum| instead.
    EXPECT_EQ(passHashOfSum(-2147483648LL), passHashOfSum(2147483647));
    EXPECT_EQ(passHashOfSum(5000000000LL), passHashOfSum(2147483647));
    EXPECT_EQ(passHashOfSum(-5000000000LL), passHashOfSum(2147483647));

    // -2147483648 from text: 66183 full-width spaces (-32448 each), then 175 DEL (127) and "o" (111).
    const QString minimum = QString(66183, QChar(0x3000)) + QString(175, QChar(0x7F)) + QStringLiteral("o");
    EXPECT_EQ(makePassHash(minimum), passHashOfSum(2147483647));
    // Past +2^31: 9,700,000 "ﾟ" (223 each).
    EXPECT_EQ(makePassHash(halfWidth(u'ﾟ', 9700000)), passHashOfSum(2147483647));
    // A running sum that leaves the range and comes back counts its true total.
    const QString outAndBack = halfWidth(u'ﾟ', 9700000) + QString(66183, QChar(0x3000));
    EXPECT_EQ(makePassHash(outAndBack), passHashOfSum(9700000LL * 223 - 66183LL * 32448));
}

}  // namespace
