// Pointer, Shift and ScrollLock as the concealment tick reads them, and the primary monitor that
// the coordinates are relative to.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <optional>

#include "x11/ServicesFixture.h"

namespace x11test {
namespace {

using core::InputQuery;
using core::Point;

class InputTest : public ServicesTest {
protected:
    bool scrollLock() { return services->ReadInput({.scrollLock = true}).scrollLockOn; }
    static bool IndicatorLit() {
        return Tool("xset", {"q"}).contains(QRegularExpression(QStringLiteral("Scroll Lock:\\s+on")));
    }
};

TEST_F(InputTest, PointerPositionFollowsTheMouse) {
    const Point points[] = {{123, 456}, {0, 0}, {1023, 767}, {512, 1}};
    for (const Point& p : points) {
        Tool("xdotool", {"mousemove", QString::number(p.x), QString::number(p.y)});
        EXPECT_TRUE(WaitUntil([&] { return services->GetCursorPos() == p; })) << p.x << "," << p.y;
        EXPECT_EQ(services->ReadInput({.pointer = true}).pointer, std::optional<Point>(p));
    }
    // The server keeps the pointer on the screen.
    Tool("xdotool", {"mousemove", "--", "-20", "-30"});
    EXPECT_TRUE(WaitUntil([&] { return services->GetCursorPos() == Point{0, 0}; }));
    EXPECT_EQ(services->ScreenSize(), (core::Size{1024, 768}));
}

TEST_F(InputTest, CoordinatesAreRelativeToThePrimaryMonitor) {
    // Two monitors side by side, the right one primary; removed again whatever happens.
    struct Monitors {
        ~Monitors() {
            Tool("xrandr", {"--delmonitor", "right"});
            Tool("xrandr", {"--delmonitor", "left"});
        }
    } monitors;
    Tool("xrandr", {"--setmonitor", "left", "512/100x768/100+0+0", "none"});
    Tool("xrandr", {"--setmonitor", "*right", "512/100x768/100+512+0", "none"});
    // Such monitors change without an event: the pointer reads look at them again now and then.
    auto screenSize = [&] {
        services->GetCursorPos();
        return services->ScreenSize();
    };
    EXPECT_TRUE(WaitUntil([&] { return screenSize() == core::Size{512, 768}; }));
    Tool("xdotool", {"mousemove", "600", "10"});
    EXPECT_TRUE(WaitUntil([&] { return services->GetCursorPos() == Point{88, 10}; }));
    Tool("xdotool", {"mousemove", "10", "700"});
    EXPECT_TRUE(WaitUntil([&] { return services->GetCursorPos() == Point{-502, 700}; }));

    Tool("xrandr", {"--delmonitor", "right"});
    // No primary monitor left: the whole screen.
    EXPECT_TRUE(WaitUntil([&] { return screenSize() == core::Size{1024, 768}; }));
    EXPECT_EQ(services->GetCursorPos(), (Point{10, 700}));
}

TEST_F(InputTest, ShiftHeldAndReleased) {
    EXPECT_EQ(services->GetKeyState(core::kVkShift), 0);
    Tool("xdotool", {"keydown", "shift"});
    EXPECT_TRUE(WaitUntil([&] { return services->GetKeyState(core::kVkShift) == core::kKeyDownBit; }));
    EXPECT_TRUE(services->ReadInput({.shift = true}).shiftDown);
    Tool("xdotool", {"keyup", "shift"});
    EXPECT_TRUE(WaitUntil([&] { return services->GetKeyState(core::kVkShift) == 0; }));
    EXPECT_FALSE(services->ReadInput({.pointer = true, .shift = true}).shiftDown);
}

TEST_F(InputTest, ScrollLockOnTheStockKeymapCountsKeyPresses) {
    // Scroll_Lock drives no modifier here: the indicator never lights, the presses still count.
    EXPECT_FALSE(services->scrollLockFromIndicator());
    EXPECT_FALSE(scrollLock());
    Tool("xdotool", {"key", "Scroll_Lock"});
    EXPECT_TRUE(WaitUntil([&] { return scrollLock(); }));
    EXPECT_EQ(services->GetKeyState(core::kVkScroll), core::kToggledBit);
    EXPECT_FALSE(IndicatorLit());
    Tool("xdotool", {"key", "Scroll_Lock"});
    EXPECT_TRUE(WaitUntil([&] { return !scrollLock(); }));
    EXPECT_EQ(services->GetKeyState(core::kVkScroll), 0);
}

TEST_F(InputTest, ScrollLockFollowsTheIndicatorWhereTheKeymapDrivesIt) {
    Tool("xmodmap", {"-e", "add mod3 = Scroll_Lock"});
    EXPECT_TRUE(WaitUntil([&] { return services->scrollLockFromIndicator(); }));
    EXPECT_FALSE(scrollLock());
    Tool("xdotool", {"key", "Scroll_Lock"});
    EXPECT_TRUE(WaitUntil([&] { return scrollLock(); }));
    EXPECT_TRUE(IndicatorLit());
    Tool("xdotool", {"key", "Scroll_Lock"});
    EXPECT_TRUE(WaitUntil([&] { return !scrollLock(); }));
    EXPECT_FALSE(IndicatorLit());

    // The indicator turned on by other means than the key counts too: it is what the user sees.
    Tool("xset", {"led", "named", "Scroll Lock"});
    EXPECT_TRUE(WaitUntil([&] { return scrollLock(); }));
    Tool("xset", {"-led", "named", "Scroll Lock"});
    EXPECT_TRUE(WaitUntil([&] { return !scrollLock(); }));
    Tool("xmodmap", {"-e", "remove mod3 = Scroll_Lock"});
    EXPECT_TRUE(WaitUntil([&] { return !services->scrollLockFromIndicator(); }));
}

TEST_F(InputTest, AnIdleTickCostsOneRoundTrip) {
    const InputQuery all{.pointer = true, .shift = true, .scrollLock = true};
    services->ScreenSize();
    services->ReadInput(all);  // the first reads may fill caches
    for (int tick = 0; tick < 5; ++tick) {
        const auto before = services->roundTrips();
        services->ScreenSize();
        services->ReadInput(all);
        EXPECT_EQ(services->roundTrips() - before, 1u);
    }
    const auto before = services->roundTrips();
    services->ReadInput({.scrollLock = true});
    EXPECT_EQ(services->roundTrips() - before, 0u);
}

}  // namespace
}  // namespace x11test
