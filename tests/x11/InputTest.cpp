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
    bool scrollLock() { return services->readInput({.scrollLock = true}).scrollLockOn; }
    static bool indicatorLit() {
        return tool("xset", {"q"}).contains(QRegularExpression(QStringLiteral("Scroll Lock:\\s+on")));
    }
};

TEST_F(InputTest, PointerPositionFollowsTheMouse) {
    const Point points[] = {{123, 456}, {0, 0}, {1023, 767}, {512, 1}};
    for (const Point& p : points) {
        tool("xdotool", {"mousemove", QString::number(p.x), QString::number(p.y)});
        EXPECT_TRUE(waitUntil([&] { return services->pointerPosition() == p; })) << p.x << "," << p.y;
        EXPECT_EQ(services->readInput({.pointer = true}).pointer, std::optional<Point>(p));
    }
    // The server keeps the pointer on the screen.
    tool("xdotool", {"mousemove", "--", "-20", "-30"});
    EXPECT_TRUE(waitUntil([&] { return services->pointerPosition() == Point{0, 0}; }));
    EXPECT_EQ(services->screenSize(), (core::Size{1024, 768}));
}

TEST_F(InputTest, CoordinatesAreRelativeToThePrimaryMonitor) {
    // Two monitors side by side, the right one primary; removed again whatever happens.
    struct Monitors {
        ~Monitors() {
            tool("xrandr", {"--delmonitor", "right"});
            tool("xrandr", {"--delmonitor", "left"});
        }
    } monitors;
    tool("xrandr", {"--setmonitor", "left", "512/100x768/100+0+0", "none"});
    tool("xrandr", {"--setmonitor", "*right", "512/100x768/100+512+0", "none"});
    // Such monitors change without an event: the pointer reads look at them again now and then.
    auto screenSize = [&] {
        services->pointerPosition();
        return services->screenSize();
    };
    EXPECT_TRUE(waitUntil([&] { return screenSize() == core::Size{512, 768}; }));
    tool("xdotool", {"mousemove", "600", "10"});
    EXPECT_TRUE(waitUntil([&] { return services->pointerPosition() == Point{88, 10}; }));
    tool("xdotool", {"mousemove", "10", "700"});
    EXPECT_TRUE(waitUntil([&] { return services->pointerPosition() == Point{-502, 700}; }));

    tool("xrandr", {"--delmonitor", "right"});
    // No primary monitor left: the whole screen.
    EXPECT_TRUE(waitUntil([&] { return screenSize() == core::Size{1024, 768}; }));
    EXPECT_EQ(services->pointerPosition(), (Point{10, 700}));
}

TEST_F(InputTest, ShiftHeldAndReleased) {
    EXPECT_FALSE(services->readInput({.shift = true}).shiftDown);
    tool("xdotool", {"keydown", "shift"});
    EXPECT_TRUE(waitUntil([&] { return services->readInput({.shift = true}).shiftDown; }));
    EXPECT_TRUE(services->readInput({.shift = true}).shiftDown);
    tool("xdotool", {"keyup", "shift"});
    EXPECT_TRUE(waitUntil([&] { return !services->readInput({.shift = true}).shiftDown; }));
    EXPECT_FALSE(services->readInput({.pointer = true, .shift = true}).shiftDown);
}

TEST_F(InputTest, ScrollLockOnTheStockKeymapCountsKeyPresses) {
    // Scroll_Lock drives no modifier here: the indicator never lights, the presses still count.
    EXPECT_FALSE(services->scrollLockFromIndicator());
    EXPECT_FALSE(scrollLock());
    tool("xdotool", {"key", "Scroll_Lock"});
    EXPECT_TRUE(waitUntil([&] { return scrollLock(); }));
    EXPECT_TRUE(services->readInput({.scrollLock = true}).scrollLockOn);
    EXPECT_FALSE(indicatorLit());
    tool("xdotool", {"key", "Scroll_Lock"});
    EXPECT_TRUE(waitUntil([&] { return !scrollLock(); }));
    EXPECT_FALSE(services->readInput({.scrollLock = true}).scrollLockOn);
}

TEST_F(InputTest, ScrollLockFollowsTheIndicatorWhereTheKeymapDrivesIt) {
    tool("xmodmap", {"-e", "add mod3 = Scroll_Lock"});
    EXPECT_TRUE(waitUntil([&] { return services->scrollLockFromIndicator(); }));
    EXPECT_FALSE(scrollLock());
    tool("xdotool", {"key", "Scroll_Lock"});
    EXPECT_TRUE(waitUntil([&] { return scrollLock(); }));
    EXPECT_TRUE(indicatorLit());
    tool("xdotool", {"key", "Scroll_Lock"});
    EXPECT_TRUE(waitUntil([&] { return !scrollLock(); }));
    EXPECT_FALSE(indicatorLit());

    // The indicator turned on by other means than the key counts too: it is what the user sees.
    tool("xset", {"led", "named", "Scroll Lock"});
    EXPECT_TRUE(waitUntil([&] { return scrollLock(); }));
    tool("xset", {"-led", "named", "Scroll Lock"});
    EXPECT_TRUE(waitUntil([&] { return !scrollLock(); }));
    tool("xmodmap", {"-e", "remove mod3 = Scroll_Lock"});
    EXPECT_TRUE(waitUntil([&] { return !services->scrollLockFromIndicator(); }));
}

TEST_F(InputTest, AnIdleTickCostsOneRoundTrip) {
    const InputQuery all{.pointer = true, .shift = true, .scrollLock = true};
    services->screenSize();
    services->readInput(all);  // the first reads may fill caches
    for (int tick = 0; tick < 5; ++tick) {
        const auto before = services->roundTrips();
        services->screenSize();
        services->readInput(all);
        EXPECT_EQ(services->roundTrips() - before, 1u);
    }
    const auto before = services->roundTrips();
    services->readInput({.scrollLock = true});
    EXPECT_EQ(services->roundTrips() - before, 0u);
}

}  // namespace
}  // namespace x11test
