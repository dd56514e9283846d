#include <gtest/gtest.h>

#include <QString>

#include "settings/SettingValues.h"

namespace {

struct CheckBoxCase {
    const char16_t* stored;
    int defaultValue;
    int expected;
};

class CheckBoxValue : public testing::TestWithParam<CheckBoxCase> {};

TEST_P(CheckBoxValue, GivesAValueACheckBoxCanHold) {
    const CheckBoxCase& c = GetParam();
    EXPECT_EQ(settings::CheckBoxValue(QStringView(c.stored), c.defaultValue), c.expected)
        << QString::fromUtf16(c.stored).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, CheckBoxValue,
                         testing::Values(CheckBoxCase{u"0", 1, 0}, CheckBoxCase{u"1", 0, 1},
                                         CheckBoxCase{u"2", 0, 2}, CheckBoxCase{u"0.5", 1, 0},
                                         CheckBoxCase{u"1.5", 0, 2}, CheckBoxCase{u"2.5", 0, 2},
                                         CheckBoxCase{u"", 1, 0}, CheckBoxCase{u"yes", 1, 0},
                                         CheckBoxCase{u" 1", 0, 1}, CheckBoxCase{u"-1", 0, 1},
                                         CheckBoxCase{u"5", 0, 1}, CheckBoxCase{u"32767", 0, 1},
                                         CheckBoxCase{u"99999", 1, 1}, CheckBoxCase{u"99999", 0, 0},
                                         CheckBoxCase{u"1e30", 0, 0}, CheckBoxCase{u"&HFFFF", 0, 1}));

TEST(LongValue, ZoneMaskMinusOneSetsAllEightZones) {
    const std::int32_t mask = settings::longValue(u"-1", 1);
    EXPECT_EQ(mask, -1);
    EXPECT_EQ(static_cast<std::uint32_t>(mask) & 0xFFu, 0xFFu);
    EXPECT_EQ(settings::longValue(u"255", 1), 255);
    EXPECT_EQ(settings::longValue(u"256", 1) & 0xFF, 0);
    EXPECT_EQ(settings::longValue(u"12", 1), 12);
    EXPECT_EQ(settings::longValue(u"&HFFFFFFFF", 1), -1);
}

TEST(LongValue, OutOfRangeGivesTheDefault) {
    EXPECT_EQ(settings::longValue(u"999", 5), 999);  // the spinner's range is the form's business
    EXPECT_EQ(settings::longValue(u"4.5", 5), 4);
    EXPECT_EQ(settings::longValue(u"1e10", 5), 5);
    EXPECT_EQ(settings::longValue(u"-2147483649", 5), 5);
    EXPECT_EQ(settings::longValue(u"2147483647", 5), 2147483647);
    EXPECT_EQ(settings::longValue(u"abc", 5), 0);
}

TEST(PositionValue, SinglePrecisionOrTheDefault) {
    EXPECT_EQ(settings::positionValue(u"2865.5", 0), 2865.5f);
    EXPECT_EQ(settings::positionValue(u"-450", 0), -450.0f);
    EXPECT_EQ(settings::positionValue(u"1.234568E+07", 0), 12345680.0f);
    EXPECT_EQ(settings::positionValue(u"1e39", 1200), 1200.0f);
    EXPECT_EQ(settings::positionValue(u"x", 1200), 0.0f);
}

}  // namespace
