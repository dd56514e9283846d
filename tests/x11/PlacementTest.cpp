// Hiding and restoring real windows under the window manager of the desktop: every state a
// window can be in comes back exactly, for our own client and for xterm.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "x11/ServicesFixture.h"

namespace x11test {
namespace {

using core::kRestoreToMaximized;
using core::kShowHide;
using core::kShowMaximized;
using core::kShowMinimized;
using core::kShowNormal;
using core::WindowPlacement;

enum class Step { kMove, kResize, kMaximize, kMinimize, kSecondDesktop };
enum class Kind { kOwnClient, kXterm };

struct Case {
    const char* name;
    std::vector<Step> steps;
    std::int32_t showCmd;
    std::uint32_t flags;
};

const Case kCases[] = {
    {"Normal", {}, kShowNormal, 0},
    {"Moved", {Step::kMove}, kShowNormal, 0},
    {"Resized", {Step::kResize}, kShowNormal, 0},
    {"Maximized", {Step::kMove, Step::kMaximize}, kShowMaximized, 0},
    {"Minimized", {Step::kMove, Step::kMinimize}, kShowMinimized, 0},
    {"MaximizedThenMinimized",
     {Step::kResize, Step::kMaximize, Step::kMinimize},
     kShowMinimized,
     kRestoreToMaximized},
    {"OnSecondDesktop", {Step::kMove, Step::kSecondDesktop}, kShowNormal, 0},
    {"EverythingAtOnce",
     {Step::kMove, Step::kResize, Step::kMaximize, Step::kMinimize, Step::kSecondDesktop},
     kShowMinimized,
     kRestoreToMaximized},
};

bool has(const Case& c, Step step) {
    return std::ranges::count(c.steps, step) > 0;
}

class PlacementTest : public ServicesTest, public testing::WithParamInterface<std::tuple<Case, Kind>> {
protected:
    Window open(Kind kind) {
        if (kind == Kind::kXterm) {
            return programs.xterm("placement xterm", "50x12+60+70", observer);
        }
        const auto windows =
            programs.client({"--title", "placement client", "--geometry", "280x190+60+70"}, observer);
        return windows.empty() ? 0 : windows.front().window;
    }

    // Drives the window into a state with the desktop's own tools and waits until it is there.
    void apply(Window w, Step step) {
        applyStep(w, step);
        ASSERT_TRUE(waitUntil([&] { return observer.settled(w); }));
    }

    void applyStep(Window w, Step step) {
        const QString id = hex(w);
        switch (step) {
            case Step::kMove:
                tool("xdotool", {"windowmove", id, "321", "234"});
                ASSERT_TRUE(waitUntil([&] {
                    const QRect r = observer.frameOrigin(w);
                    return r.x() == 321 && r.y() == 234;
                }));
                break;
            case Step::kResize: {
                const QRect before = observer.rootRect(w);
                tool("xdotool", {"windowsize", id, "410", "290"});
                ASSERT_TRUE(waitUntil([&] { return observer.rootRect(w) != before; }));
                break;
            }
            case Step::kMaximize:
                tool("wmctrl", {"-i", "-r", id, "-b", "add,maximized_vert,maximized_horz"});
                ASSERT_TRUE(waitUntil([&] { return observer.maximized(w); }));
                break;
            case Step::kMinimize:
                tool("xdotool", {"windowminimize", id});
                // Openbox sets _NET_WM_STATE_HIDDEN a moment before WM_STATE.
                ASSERT_TRUE(waitUntil([&] { return observer.hidden(w) && observer.wmState(w) == 3u; }));
                break;
            case Step::kSecondDesktop:
                tool("wmctrl", {"-i", "-r", id, "-t", "1"});
                ASSERT_TRUE(waitUntil([&] { return observer.desktop(w) == 1u; }));
                break;
        }
    }
};

TEST_P(PlacementTest, HideAndRestoreGiveTheWindowBackExactly) {
    const auto& [c, kind] = GetParam();
    const Window w = open(kind);
    ASSERT_NE(w, 0u);
    QRect normalRect;
    for (Step step : c.steps) {
        if (step == Step::kMaximize) {
            normalRect = observer.frameOrigin(w);
        }
        ASSERT_NO_FATAL_FAILURE(apply(w, step));
    }
    // The user stays on the first desktop (a window manager may follow a window it sends away).
    const std::uint32_t desktopShown = 0;
    if (observer.currentDesktop() != desktopShown) {
        tool("wmctrl", {"-s", QString::number(desktopShown)});
        ASSERT_TRUE(waitUntil([&] { return observer.currentDesktop() == desktopShown; }));
    }
    const WindowPlacement before = settledPlacement(w);
    const QRect clientBefore = observer.rootRect(w);
    const QRect frameBefore = observer.frameRect(w);
    SCOPED_TRACE(testing::Message() << "before: client on the root " << clientBefore << ", frame "
                                    << frameBefore);
    EXPECT_EQ(before.showCmd, c.showCmd);
    EXPECT_EQ(before.flags, c.flags);
    EXPECT_EQ(before.desktop, has(c, Step::kSecondDesktop) ? 1 : 0);

    WindowPlacement hidden = before;
    hidden.showCmd = kShowHide;
    ASSERT_TRUE(services->setPlacement(w, hidden));
    WindowPlacement meanwhile;  // read at once, whether or not openbox has let the window go yet
    ASSERT_TRUE(services->placement(w, meanwhile));
    EXPECT_EQ(meanwhile.showCmd, kShowHide);
    EXPECT_TRUE(waitUntil([&] { return observer.released(w); })) << "still managed after the withdraw";
    EXPECT_EQ(observer.mapState(w), XCB_MAP_STATE_UNMAPPED);
    EXPECT_TRUE(services->exists(w));

    ASSERT_TRUE(services->setPlacement(w, before));
    services->finishRestores();
    WindowPlacement after;
    EXPECT_TRUE(waitUntil([&] {
        after = settledPlacement(w);
        return after == before;
    }));
    EXPECT_EQ(after, before) << "client on the root " << observer.rootRect(w) << ", frame "
                             << observer.frameRect(w);
    EXPECT_TRUE(waitUntil([&] { return observer.listed(w); }));
    // A minimised window is iconic; a shown one is Normal and viewable. One on another desktop is
    // on that desktop and the user still on theirs: the window manager hides it as it hides every
    // window of another desktop (openbox: Iconic, unmapped; xfwm4: Normal, unmapped; kwin: Normal,
    // mapped and not drawn).
    const bool minimised = c.showCmd == kShowMinimized;
    const bool elsewhere = has(c, Step::kSecondDesktop);
    if (minimised) {
        EXPECT_EQ(observer.wmState(w), 3u);
    } else if (elsewhere) {
        EXPECT_TRUE(observer.managed(w));
    } else {
        EXPECT_EQ(observer.wmState(w), 1u);
        EXPECT_TRUE(waitUntil([&] { return observer.viewable(w); }));
    }
    EXPECT_EQ(observer.hidden(w), minimised);
    EXPECT_EQ(observer.maximized(w), c.showCmd == kShowMaximized || c.flags == kRestoreToMaximized);
    EXPECT_EQ(observer.desktop(w), has(c, Step::kSecondDesktop) ? 1u : 0u);
    EXPECT_EQ(observer.currentDesktop(), desktopShown) << "the restore switched the desktop shown";

    if (has(c, Step::kMaximize)) {
        // The normal rectangle survived: un-maximising returns to where the window was. Some
        // window managers (xfwm4) round the size they give back down to the window's resize
        // increments, which xterm's resized rectangle does not keep to: the size may be off by
        // less than one step.
        tool("wmctrl", {"-i", "-r", hex(w), "-b", "remove,maximized_vert,maximized_horz"});
        const QSize step = observer.resizeIncrement(w);
        EXPECT_TRUE(waitUntil([&] {
            const QRect now = observer.frameOrigin(w);
            return !observer.maximized(w) && now.topLeft() == normalRect.topLeft() &&
                   std::abs(now.width() - normalRect.width()) < step.width() &&
                   std::abs(now.height() - normalRect.height()) < step.height();
        })) << "normal rectangle "
            << normalRect << ", now " << observer.frameOrigin(w) << ", resize increment " << step.width()
            << "x" << step.height();
    }
}

INSTANTIATE_TEST_SUITE_P(States, PlacementTest,
                         testing::Combine(testing::ValuesIn(kCases),
                                          testing::Values(Kind::kOwnClient, Kind::kXterm)),
                         [](const auto& param) {
                             return std::string(std::get<0>(param.param).name) +
                                    (std::get<1>(param.param) == Kind::kXterm ? "_Xterm" : "_OwnClient");
                         });

}  // namespace
}  // namespace x11test
