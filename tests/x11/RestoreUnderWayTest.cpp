// Restores under way: the call returns before the window manager has taken the windows back, a
// window read meanwhile reads as what it is being given, and a window hidden again on its way back
// stays hidden, whenever the hide comes.
#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "support/desktop/Parts.h"
#include "x11/ServicesFixture.h"

namespace x11test {
namespace {

using namespace std::chrono_literals;
using core::kShowHide;
using core::WindowPlacement;
using Batch = std::vector<std::pair<core::WindowHandle, WindowPlacement>>;
using Clock = std::chrono::steady_clock;

class RestoreUnderWayTest : public ServicesTest {
protected:
    // Runs the services for a while as the program's event loop does: events as they come, and
    // the restores' own deadlines.
    void drive(std::chrono::milliseconds length) {
        const auto end = Clock::now() + length;
        for (auto now = Clock::now(); now < end; now = Clock::now()) {
            auto wait = std::chrono::ceil<std::chrono::milliseconds>(end - now);
            if (const auto step = services->timeUntilNextStep()) wait = std::min(wait, *step);
            pollfd fd{services->fileDescriptor(), POLLIN, 0};
            poll(&fd, 1, static_cast<int>(wait.count()));
            services->processEvents();
        }
    }

    // Client windows at distinct places, their placements, and the same withdrawn.
    std::vector<Window> openAndConceal(int count, Batch& shown) {
        std::vector<Window> windows;
        for (const auto& own :
             programs.client({"--count", QString::number(count), "--geometry", "240x160+80+90"}, observer))
            windows.push_back(own.window);
        Batch hidden;
        const auto placeOf = [](std::size_t i) {
            const int offset = static_cast<int>(i) * 70;
            return core::Point{150 + offset, 120 + offset};
        };
        for (std::size_t i = 0; i < windows.size(); ++i) {
            tool("wmctrl", {"-i", "-r", hex(windows[i]), "-e",
                            QStringLiteral("0,%1,%2,-1,-1").arg(placeOf(i).x).arg(placeOf(i).y)});
        }
        for (std::size_t i = 0; i < windows.size(); ++i) {
            const Window w = windows[i];
            EXPECT_TRUE(waitUntil([&] { return observer.settled(w); }));
            // kwin moves the frame a while after it has settled; a tiling window manager (i3) never
            // puts it there.
            waitUntil([&] { return settledPlacement(w).framePosition == placeOf(i); }, 3s);
            shown.emplace_back(w, settledPlacement(w));
            WindowPlacement gone = shown.back().second;
            gone.showCmd = kShowHide;
            hidden.emplace_back(w, gone);
        }
        services->setPlacements(hidden);
        for (const Window w : windows)
            EXPECT_TRUE(waitUntil([&] { return isConcealed(observer, w); }));
        return windows;
    }
};

TEST_F(RestoreUnderWayTest, TheCallReturnsBeforeTheWindowManagerAnswersAndTheWindowsComeBackWhenItDoes) {
    Batch shown;
    const std::vector<Window> windows = openAndConceal(3, shown);
    ASSERT_EQ(windows.size(), 3u);
    {
        PausedWindowManager wm;
        ASSERT_TRUE(wm.paused());
        services->setPlacements(shown);
        // The window manager has answered nothing yet: the call did not wait for it.
        EXPECT_TRUE(services->restoring());
        for (const auto& [w, placement] : shown) {
            WindowPlacement now;
            ASSERT_TRUE(services->placement(w, now));
            EXPECT_EQ(now, placement) << "a window on its way back reads as what it is being given";
        }
    }
    services->finishRestores();
    EXPECT_FALSE(services->restoring());
    for (const auto& [w, placement] : shown)
        EXPECT_EQ(settledPlacement(w), placement) << hex(w).toStdString();
}

enum class HiddenAgain { kAtOnce, kWhileTheWindowManagerHoldsTheMap, kOnceManaged };

class HiddenAgainTest : public RestoreUnderWayTest, public testing::WithParamInterface<HiddenAgain> {};

TEST_P(HiddenAgainTest, AWindowHiddenAgainOnItsWayBackStaysHiddenAndComesBackLater) {
    Batch shown;
    const std::vector<Window> windows = openAndConceal(1, shown);
    ASSERT_EQ(windows.size(), 1u);
    const auto [w, before] = shown.front();

    std::optional<PausedWindowManager> wm;
    if (GetParam() == HiddenAgain::kWhileTheWindowManagerHoldsTheMap) {
        wm.emplace();
        ASSERT_TRUE(wm->paused());
    }
    ASSERT_TRUE(services->setPlacement(w, before));
    if (GetParam() == HiddenAgain::kOnceManaged) {
        ASSERT_TRUE(waitUntil([&] { return observer.managed(w); }));
    }
    WindowPlacement read;
    ASSERT_TRUE(services->placement(w, read));
    EXPECT_EQ(read, before);
    WindowPlacement hidden = read;
    hidden.showCmd = kShowHide;
    ASSERT_TRUE(services->setPlacement(w, hidden));
    wm.reset();

    // The window manager may show it after the hide reached it: it is withdrawn once more.
    drive(1500ms);
    EXPECT_TRUE(isConcealed(observer, w));
    observer.watch(w);
    EXPECT_FALSE(observer.waitForEvent(w, isMapNotify, 1s)) << "shown again after it was hidden";
    EXPECT_TRUE(isConcealed(observer, w));
    ASSERT_TRUE(services->placement(w, read));
    EXPECT_EQ(read.showCmd, kShowHide);

    ASSERT_TRUE(services->setPlacement(w, before));
    services->finishRestores();
    // kwin applies the place a moment after the restore has handed it over.
    waitUntil([&] { return settledPlacement(w) == before; });
    EXPECT_EQ(settledPlacement(w), before);
}

INSTANTIATE_TEST_SUITE_P(Moments, HiddenAgainTest,
                         testing::Values(HiddenAgain::kAtOnce, HiddenAgain::kWhileTheWindowManagerHoldsTheMap,
                                         HiddenAgain::kOnceManaged),
                         [](const testing::TestParamInfo<HiddenAgain>& moment) {
                             switch (moment.param) {
                                 case HiddenAgain::kAtOnce:
                                     return "AtOnce";
                                 case HiddenAgain::kWhileTheWindowManagerHoldsTheMap:
                                     return "WhileTheWindowManagerHoldsTheMap";
                                 case HiddenAgain::kOnceManaged:
                                     return "OnceManaged";
                             }
                             return "";
                         });

}  // namespace
}  // namespace x11test
