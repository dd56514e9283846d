// Entry texts of the target list, the list's horizontal extent, the zone codes.
#include <gtest/gtest.h>

#include <QString>

#include "core/ConcealmentCycle.h"
#include "core/TargetEntry.h"
#include "text/AnsiText.h"

namespace {

using core::parseTargetEntry;

struct ParseCase {
    const char* entry;
    const char* title;
    core::WindowHandle handle;
};

TEST(TargetEntry, ParsesAtTheLastOpeningBracket) {
    const ParseCase cases[] = {
        {"Report (draft)(1A2B)", "Report (draft)", 0x1A2B},
        {"(1A2B)", "", 0x1A2B},
        {"x(80000000)", "x", 0x80000000u},
        {"x(FFFFFFFF)", "x", 0xFFFFFFFFu},
        {"x(1a2b)", "x", 0x1A2B},         // lower-case digits read too
        {"a(b)c(00000001)", "a(b)c", 1},  // leading zeros
        // The last character is taken to be ")" whatever it is.
        {"x(1A2B", "x", 0x1A2},
        // Handle texts that name no window: such entries are pruned, never misread.
        {"no handle", "no handle", 0},
        {"x(", "x", 0},
        {"x()", "x", 0},
        {"x(12G4)", "x", 0},
        {"x(123456789)", "x", 0},  // more than 32 bits
        {"x( 12)", "x", 0},
    };
    for (const ParseCase& c : cases) {
        const core::TargetEntry parsed = parseTargetEntry(QString::fromUtf8(c.entry));
        EXPECT_EQ(parsed.title, QString::fromUtf8(c.title)) << c.entry;
        EXPECT_EQ(parsed.handle, c.handle) << c.entry;
    }
}

TEST(TargetEntry, FormatsUpperCaseHexWithoutLeadingZerosAndParsesBack) {
    EXPECT_EQ(core::formatTargetEntry(QStringLiteral("Report (draft)"), 0x1A2B),
              QStringLiteral("Report (draft)(1A2B)"));
    EXPECT_EQ(core::formatTargetEntry(QString(), 0xABC), QStringLiteral("(ABC)"));
    for (const core::WindowHandle handle : {0x1u, 0x7FFFFFFFu, 0x80000000u, 0xC0FFEE42u, 0xFFFFFFFFu}) {
        const QString entry = core::formatTargetEntry(QStringLiteral("t (1)"), handle);
        EXPECT_EQ(parseTargetEntry(entry).handle, handle) << entry.toStdString();
        EXPECT_EQ(parseTargetEntry(entry).title, QStringLiteral("t (1)"));
    }
    EXPECT_EQ(core::formatTargetEntry(QStringLiteral("t"), 0x80000000u), QStringLiteral("t(80000000)"));
}

TEST(HorizontalExtent, CountsTenFontSizesOfTwipsPerAnsiBytePlusFivePixels) {
    EXPECT_EQ(core::horizontalExtent(24, 9, 15), 149);
    EXPECT_EQ(core::horizontalExtent(0, 9, 15), 5);
    // A five-character double-byte title and a four-digit handle: 10 + 6 bytes.
    const QString entry = core::formatTargetEntry(QStringLiteral("報告書下書"), 0x1A2B);
    EXPECT_EQ(ansi::byteLength(entry), 16);
    EXPECT_EQ(core::horizontalExtent(16, 9, 15), 101);
    // Halves go to the even neighbour: 7.5 + 5 and 22.5 + 5.
    EXPECT_EQ(core::horizontalExtent(1, 9, 12), 12);
    EXPECT_EQ(core::horizontalExtent(1, 9, 4), 28);
    // A font size with a fraction: 10 × 3 × 8.25 / 15 + 5 = 21.5.
    EXPECT_EQ(core::horizontalExtent(3, 8.25, 15), 22);
}

struct ZoneCase {
    core::Point pointer;
    std::int32_t pixels;
    std::uint32_t code;
};

TEST(ZoneCode, On1024x768) {
    const core::Size screen{1024, 768};  // last column 1023, last row 767
    const ZoneCase cases[] = {
        {{2, 3}, 5, core::kZoneTopLeft},
        {{5, 5}, 5, core::kZoneTopLeft},  // boundaries belong to the outer zones
        {{6, 0}, 5, core::kZoneTop},
        {{1018, 400}, 5, core::kZoneRight},
        {{1017, 400}, 5, 0},
        {{500, 762}, 5, core::kZoneBottom},
        {{500, 761}, 5, 0},
        {{6, 6}, 5, 0},
        {{1018, 5}, 5, core::kZoneTopRight},
        {{5, 762}, 5, core::kZoneBottomLeft},
        {{1023, 767}, 5, core::kZoneBottomRight},
        {{0, 400}, 5, core::kZoneLeft},
        // Other monitors: left of or above the primary, or beyond its size.
        {{-300, 400}, 5, core::kZoneLeft},
        {{-300, -20}, 5, core::kZoneTopLeft},
        {{500, -1}, 5, core::kZoneTop},
        {{2000, 400}, 5, core::kZoneRight},
        {{2000, 2000}, 5, core::kZoneBottomRight},
        // Zones so thick that they overlap: left wins over right, top over bottom.
        {{500, 500}, 600, core::kZoneTopLeft},
        {{700, 500}, 600, core::kZoneTopRight},
        {{500, 700}, 600, core::kZoneBottomLeft},
        {{700, 700}, 600, core::kZoneBottomRight},
        // No thickness, or a negative one.
        {{0, 0}, 0, core::kZoneTopLeft},
        {{1, 1}, 0, 0},
        {{1023, 400}, 0, core::kZoneRight},
        {{0, 400}, -1, 0},
        {{1024, 400}, -1, core::kZoneRight},
        // Extreme thicknesses do not overflow.
        {{0, 0}, INT32_MIN, 0},
        {{-5, 0}, INT32_MAX, core::kZoneTopLeft},
    };
    for (const ZoneCase& c : cases) {
        EXPECT_EQ(core::zoneCode(c.pointer, screen, c.pixels), c.code)
            << "(" << c.pointer.x << ", " << c.pointer.y << ") thickness " << c.pixels;
    }
}

TEST(BitTest, AllBitsOfTheSetMustBeInTheValue) {
    EXPECT_TRUE(core::bitTest(12, 4));
    EXPECT_TRUE(core::bitTest(12, 12));
    EXPECT_FALSE(core::bitTest(12, 13));
    EXPECT_FALSE(core::bitTest(1, 2));
    EXPECT_TRUE(core::bitTest(0xFFFFFFFFu, 0x80000000u));
    EXPECT_TRUE(core::bitTest(5, 0));
}

}  // namespace
