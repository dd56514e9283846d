#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <limits>

#include "text/VbNumber.h"

namespace {

struct ValCase {
    const char16_t* text;
    double expected;
};

class ValReads : public testing::TestWithParam<ValCase> {};

TEST_P(ValReads, TheLeadingNumber) {
    const ValCase& c = GetParam();
    EXPECT_DOUBLE_EQ(vb::val(QStringView(c.text)), c.expected) << QString::fromUtf16(c.text).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Decimal, ValReads,
                         testing::Values(ValCase{u"5", 5}, ValCase{u"  \t 42", 42}, ValCase{u"\r\n7", 7},
                                         ValCase{u"-1", -1}, ValCase{u"+3", 3}, ValCase{u"1.5", 1.5},
                                         ValCase{u"0.5", 0.5}, ValCase{u".5", 0.5}, ValCase{u"-.25", -0.25},
                                         ValCase{u"5.", 5}, ValCase{u"1.5.3", 1.5}, ValCase{u"12abc", 12},
                                         ValCase{u"2865.5 twips", 2865.5}, ValCase{u"1e3", 1000},
                                         ValCase{u"1E+3", 1000}, ValCase{u"25e-1", 2.5}, ValCase{u"1D2", 100},
                                         ValCase{u"1d-2", 0.01}, ValCase{u"1e", 1}, ValCase{u"1e+", 1},
                                         ValCase{u"1ex", 1}, ValCase{u"007", 7}, ValCase{u"1 5", 1},
                                         ValCase{u"- 5", 0}, ValCase{u"--5", 0}));

INSTANTIATE_TEST_SUITE_P(NoNumber, ValReads,
                         testing::Values(ValCase{u"", 0}, ValCase{u"   ", 0}, ValCase{u"abc", 0},
                                         ValCase{u"x1", 0}, ValCase{u".", 0}, ValCase{u"-", 0},
                                         ValCase{u"+.e5", 0}, ValCase{u"e5", 0},
                                         ValCase{u"\u3000"
                                                 u"5",
                                                 0},
                                         ValCase{u"\uFF15", 0}, ValCase{u"&", 0}, ValCase{u"&H", 0},
                                         ValCase{u"&Hxyz", 0}, ValCase{u"&X10", 0}, ValCase{u"-&H10", 0}));

INSTANTIATE_TEST_SUITE_P(
    HexAndOctal, ValReads,
    testing::Values(ValCase{u"&H10", 16}, ValCase{u"&h1f", 31}, ValCase{u" &HFF", 255},
                    ValCase{u"&H7FFF", 32767}, ValCase{u"&H8000", -32768}, ValCase{u"&HFFFF", -1},
                    ValCase{u"&H0FFFF", -1}, ValCase{u"&H10000", 65536}, ValCase{u"&HFFFFF", 1048575},
                    ValCase{u"&H7FFFFFFF", 2147483647}, ValCase{u"&H80000000", -2147483648.0},
                    ValCase{u"&HFFFFFFFF", -1}, ValCase{u"&H100000000", 4294967296.0},
                    ValCase{u"&H12G4", 0x12}, ValCase{u"&O17", 15}, ValCase{u"&o777", 511},
                    ValCase{u"&O177777", -1}, ValCase{u"&O37777777777", -1}, ValCase{u"&O18", 1}));

TEST(Val, HugeAndTinyNumbersNeverGiveNaN) {
    EXPECT_EQ(vb::val(u"1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(vb::val(u"-1e999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(vb::val(u"1e-999"), 0);
    EXPECT_EQ(vb::val(u"1e99999999999999999999999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(vb::val(QString(5000, u'9')), std::numeric_limits<double>::infinity());
    EXPECT_DOUBLE_EQ(vb::val(QStringLiteral("&H") + QString(40, u'F')), std::pow(16.0, 40) - 1);
}

TEST(Val, IgnoresTheLocaleDecimalMark) {
    // The program runs under the user's locale; a German one writes "2,5" and reads "2.5" as 2.
    const char* before = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = before != nullptr ? before : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) std::setlocale(LC_NUMERIC, "C");
    EXPECT_DOUBLE_EQ(vb::val(u"2.5"), 2.5);
    EXPECT_DOUBLE_EQ(vb::val(u"2,5"), 2);
    EXPECT_EQ(vb::singleText(2.5f), QStringLiteral("2.5"));
    std::setlocale(LC_NUMERIC, saved.c_str());
}

struct RoundCase {
    double value;
    std::optional<std::int16_t> cint;
    std::optional<std::int32_t> clng;
};

class Conversions : public testing::TestWithParam<RoundCase> {};

TEST_P(Conversions, RoundHalfToEvenAndRejectOverflow) {
    const RoundCase& c = GetParam();
    EXPECT_EQ(vb::cInt(c.value), c.cint) << c.value;
    EXPECT_EQ(vb::cLng(c.value), c.clng) << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Conversions,
    testing::Values(RoundCase{0.5, 0, 0}, RoundCase{1.5, 2, 2}, RoundCase{2.5, 2, 2}, RoundCase{3.5, 4, 4},
                    RoundCase{-0.5, 0, 0}, RoundCase{-1.5, -2, -2}, RoundCase{-2.5, -2, -2},
                    RoundCase{0.49999, 0, 0}, RoundCase{0.50001, 1, 1}, RoundCase{-1, -1, -1},
                    RoundCase{32767.49, 32767, 32767}, RoundCase{32767.5, std::nullopt, 32768},
                    RoundCase{-32768.5, -32768, -32768}, RoundCase{-32768.51, std::nullopt, -32769},
                    RoundCase{99999, std::nullopt, 99999}, RoundCase{2147483647.4, std::nullopt, 2147483647},
                    RoundCase{2147483647.5, std::nullopt, std::nullopt},
                    RoundCase{-2147483648.5, std::nullopt, -2147483647 - 1},
                    RoundCase{1e300, std::nullopt, std::nullopt},
                    RoundCase{-std::numeric_limits<double>::infinity(), std::nullopt, std::nullopt},
                    RoundCase{std::numeric_limits<double>::quiet_NaN(), std::nullopt, std::nullopt}));

TEST(Conversions, ClampedVariantsSaturate) {
    EXPECT_EQ(vb::cIntClamped(99999), 32767);
    EXPECT_EQ(vb::cIntClamped(-99999), -32768);
    EXPECT_EQ(vb::cIntClamped(2.5), 2);
    EXPECT_EQ(vb::cLngClamped(1e300), 2147483647);
    EXPECT_EQ(vb::cLngClamped(-std::numeric_limits<double>::infinity()), -2147483647 - 1);
    EXPECT_EQ(vb::cLngClamped(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(vb::cLngClamped(-1), -1);
}

TEST(Conversions, SinglePrecision) {
    EXPECT_EQ(vb::cSng(2865.5), 2865.5f);
    EXPECT_EQ(vb::cSng(0.1), 0.1f);
    EXPECT_EQ(vb::cSng(FLT_MAX), FLT_MAX);
    EXPECT_EQ(vb::cSng(1e39), std::nullopt);
    EXPECT_EQ(vb::cSng(-1e39), std::nullopt);
    EXPECT_EQ(vb::cSng(std::numeric_limits<double>::infinity()), std::nullopt);
}

struct TextCase {
    float value;
    const char* expected;
};

class singleText : public testing::TestWithParam<TextCase> {};

TEST_P(singleText, AtMostSevenSignificantDigits) {
    EXPECT_EQ(vb::singleText(GetParam().value), QString::fromLatin1(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, singleText,
                         testing::Values(TextCase{2865, "2865"}, TextCase{2865.5f, "2865.5"},
                                         TextCase{-450, "-450"}, TextCase{0, "0"}, TextCase{-0.0f, "0"},
                                         TextCase{-0.25f, "-0.25"}, TextCase{0.1f, "0.1"},
                                         TextCase{1234567, "1234567"}, TextCase{12345678, "1.234568E+07"},
                                         TextCase{10000000, "1E+07"}, TextCase{0.0001f, "0.0001"},
                                         TextCase{0.00001f, "1E-05"}, TextCase{1.0f / 3, "0.3333333"},
                                         TextCase{FLT_MAX, "3.402823E+38"}));

TEST(singleText, ReadsBackAsTheSameSingle) {
    for (const float value : {2865.5f, -17.125f, 28800.0f, 0.3f, 123456.7f, 1.5e-7f}) {
        const float back = static_cast<float>(vb::val(vb::singleText(value)));
        EXPECT_NEAR(back, value, std::fabs(value) * 1e-6) << value;
    }
}

TEST(IntegerText, PlainDecimal) {
    EXPECT_EQ(vb::integerText(255), QStringLiteral("255"));
    EXPECT_EQ(vb::integerText(-1), QStringLiteral("-1"));
    EXPECT_EQ(vb::integerText(0), QStringLiteral("0"));
    EXPECT_EQ(vb::integerText(-2147483648LL), QStringLiteral("-2147483648"));
}

}  // namespace
