// The picker's highlight: four override-redirect bars along the inside of a window's outer
// rectangle, visible on the screen, gone after the second call.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "x11/ServicesFixture.h"

namespace x11test {
namespace {

constexpr int kThickness = 5;

// Top, left, right, bottom; on a window lower than two thicknesses the side bars run between
// rows h-5 and 5 and overlap the others.
std::vector<QRect> expectedBars(const QRect& r) {
    const int t = kThickness;
    const int sideTop = std::min(t, r.height() - t);
    const int sideHeight = std::abs(r.height() - 2 * t);
    std::vector<QRect> bars = {{r.x(), r.y(), r.width(), t}, {r.x(), r.y() + r.height() - t, r.width(), t}};
    if (sideHeight > 0) {
        bars.push_back({r.x(), r.y() + sideTop, t, sideHeight});
        bars.push_back({r.x() + r.width() - t, r.y() + sideTop, t, sideHeight});
    }
    std::ranges::sort(bars, {},
                      [](const QRect& b) { return std::tuple(b.x(), b.y(), b.width(), b.height()); });
    return bars;
}

bool reddish(std::uint32_t rgb) {
    const auto red = (rgb >> 16) & 0xff, green = (rgb >> 8) & 0xff, blue = rgb & 0xff;
    return red > 0xc0 && green < 0x60 && blue < 0x60;
}

class HighlightTest : public ServicesTest {
protected:
    void SetUp() override {
        ServicesTest::SetUp();
        baseline = observer.overrideRedirectWindows();
    }

    std::vector<QRect> bars() {
        std::vector<QRect> result;
        for (Window w : observer.overrideRedirectWindows()) {
            if (std::ranges::count(baseline, w) == 0) {
                result.push_back(observer.frameRect(w));
            }
        }
        std::ranges::sort(result, {},
                          [](const QRect& b) { return std::tuple(b.x(), b.y(), b.width(), b.height()); });
        return result;
    }

    std::vector<Window> baseline;
};

TEST_F(HighlightTest, BarsFollowTheOuterRectangleOfFramesChildrenAndLowWindows) {
    const auto framed =
        programs.client({"--geometry", "300x200+150+120", "--child", "80x40+30+30"}, observer);
    const auto low = programs.client({"--override", "--geometry", "120x8+600+500"}, observer);
    ASSERT_EQ(framed.size(), 1u);
    ASSERT_EQ(low.size(), 1u);
    baseline = observer.overrideRedirectWindows();  // the low window is one of them
    const QRect child = observer.rootRect(framed[0].child);
    struct Case {
        const char* what;
        Window window;
        QRect outer;
    };
    const Case cases[] = {
        {"client in its frame", framed[0].window, observer.frameRect(framed[0].window)},
        {"child window", framed[0].child, child},
        {"window 8 pixels high", low[0].window, observer.frameRect(low[0].window)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        services->toggleHighlight(c.window);
        const std::vector<QRect> expected = expectedBars(c.outer);
        EXPECT_TRUE(waitUntil([&] { return bars() == expected; }));
        EXPECT_EQ(bars(), expected) << "outer rectangle " << c.outer;
        EXPECT_TRUE(reddish(observer.pixel(c.outer.x() + 2, c.outer.y() + 2)));
        EXPECT_TRUE(
            reddish(observer.pixel(c.outer.x() + c.outer.width() - 1, c.outer.y() + c.outer.height() - 1)));

        services->toggleHighlight(c.window);
        EXPECT_TRUE(waitUntil([&] { return bars().empty(); }));
        EXPECT_FALSE(reddish(observer.pixel(c.outer.x() + 2, c.outer.y() + 2)));
    }
    // The frame of the framed window includes its title bar: its top bar lies above the client.
    EXPECT_LT(cases[0].outer.y(), observer.rootRect(framed[0].window).y() - kThickness);
}

TEST_F(HighlightTest, MovingFromOneWindowToAnotherLeavesOnlyTheNewFrame) {
    const auto own = programs.client({"--count", "2", "--geometry", "200x150+100+100"}, observer);
    ASSERT_EQ(own.size(), 2u);
    tool("xdotool", {"windowmove", hex(own[1].window), "500", "300"});
    ASSERT_TRUE(waitUntil([&] { return observer.frameRect(own[1].window).x() == 500; }));
    const Window a = own[0].window;
    const Window b = own[1].window;

    services->toggleHighlight(a);
    services->toggleHighlight(b);  // the picker frames the new window, then unframes the old
    services->toggleHighlight(a);
    const std::vector<QRect> expected = expectedBars(observer.frameRect(b));
    EXPECT_TRUE(waitUntil([&] { return bars() == expected; }));
    EXPECT_EQ(bars(), expected);
    services->toggleHighlight(b);
    EXPECT_TRUE(waitUntil([&] { return bars().empty(); }));
}

TEST_F(HighlightTest, FrameOfAWindowThatVanishedIsTakenOff) {
    const auto own = programs.client({"--geometry", "200x150+100+100"}, observer);
    ASSERT_EQ(own.size(), 1u);
    const Window w = own[0].window;
    services->toggleHighlight(w);
    ASSERT_TRUE(waitUntil([&] { return bars().size() == 4; }));
    programs.killAll();
    ASSERT_TRUE(waitUntil([&] { return !observer.exists(w); }));
    services->toggleHighlight(w);
    EXPECT_TRUE(waitUntil([&] { return bars().empty(); }));
    // Nothing is drawn for 0 or a window that is gone.
    services->toggleHighlight(0);
    services->toggleHighlight(w);
    observer.sync();
    EXPECT_TRUE(bars().empty());
}

}  // namespace
}  // namespace x11test
