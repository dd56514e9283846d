// Many windows at once, placements handed to windows that are shown, the save-set that protects
// hidden windows from our death, and windows that vanish while hidden.
#include <gtest/gtest.h>

#include <QProcess>
#include <csignal>
#include <string>
#include <vector>

#include "x11/ServicesFixture.h"

namespace x11test {
namespace {

using core::kShowHide;
using core::kShowMaximized;
using core::kShowMinimized;
using core::kShowNormal;
using core::WindowPlacement;

using Batch = std::vector<std::pair<core::WindowHandle, WindowPlacement>>;

std::vector<Window> only(const std::vector<Window>& list, const std::vector<Window>& wanted) {
    std::vector<Window> result;
    std::ranges::copy_if(list, std::back_inserter(result),
                         [&](Window w) { return std::ranges::count(wanted, w) > 0; });
    return result;
}

class WithdrawTest : public ServicesTest {
protected:
    std::vector<Window> openClients(int count) {
        std::vector<Window> windows;
        for (const auto& w :
             programs.client({"--count", QString::number(count), "--geometry", "240x160+80+90"}, observer)) {
            windows.push_back(w.window);
        }
        return windows;
    }
    // One window of zel-x11-client; 0 when it did not appear.
    Window openClient() {
        const std::vector<Window> windows = openClients(1);
        return windows.empty() ? Window{0} : windows.front();
    }
};

TEST_F(WithdrawTest, BatchKeepsStatesStackingAndFocus) {
    const std::vector<Window> w = openClients(5);
    ASSERT_EQ(w.size(), 5u);
    tool("wmctrl", {"-i", "-r", hex(w[1]), "-b", "add,maximized_vert,maximized_horz"});
    tool("xdotool", {"windowminimize", hex(w[3])});
    tool("xdotool", {"windowmove", hex(w[4]), "500", "300"});
    tool("wmctrl", {"-i", "-a", hex(w[0])});  // raised to the top, and focused
    ASSERT_TRUE(waitUntil([&] {
        return observer.maximized(w[1]) && observer.hidden(w[3]) && observer.wmState(w[3]) == 3u &&
               observer.frameOrigin(w[4]).x() == 500 && observer.stackingOrder(w).back() == w[0];
    }));
    ASSERT_TRUE(waitUntil([&] { return observer.activeWindow() == w[0]; }));
    const std::vector<Window> stackBefore = observer.stackingOrder(w);
    Batch shown;
    for (Window window : w) {
        shown.emplace_back(window, settledPlacement(window));
    }

    Batch hidden = shown;
    for (auto& entry : hidden) {
        entry.second.showCmd = kShowHide;
    }
    std::ranges::reverse(hidden);  // the order of the batch is not the stacking order
    services->setPlacements(hidden);
    EXPECT_TRUE(waitUntil([&] { return only(observer.clientList(), w).empty(); }));

    services->setPlacements(shown);
    services->finishRestores();
    for (const auto& [window, placement] : shown) {
        WindowPlacement now;
        EXPECT_TRUE(waitUntil([&] {
            now = settledPlacement(window);
            return now == placement;
        }));
        EXPECT_EQ(now, placement) << "window " << hex(window).toStdString();
    }
    EXPECT_EQ(observer.stackingOrder(w), stackBefore);
    EXPECT_TRUE(waitUntil([&] { return observer.activeWindow() == w[0]; }))
        << "the window that had the focus has it again";
}

// The placement of a window that is shown (as at shut-down, when nothing is concealed) changes its
// rectangle and state the way the placement says.
struct ShownCase {
    const char* name;
    const char* prepare;  // wmctrl -b argument, or xdotool command
    std::int32_t showCmd;
};

class ShownWindowTest : public WithdrawTest, public testing::WithParamInterface<ShownCase> {};

TEST_P(ShownWindowTest, PlacementAppliesToAShownWindow) {
    const ShownCase& c = GetParam();
    const Window w = openClient();
    ASSERT_NE(w, 0u);
    WindowPlacement target = settledPlacement(w);
    target.framePosition = {150, 120};
    target.showCmd = c.showCmd;
    const std::string prepare = c.prepare;
    if (prepare == "maximized") {
        tool("wmctrl", {"-i", "-r", hex(w), "-b", "add,maximized_vert,maximized_horz"});
        ASSERT_TRUE(waitUntil([&] { return observer.maximized(w); }));
    } else if (prepare == "minimized") {
        tool("xdotool", {"windowminimize", hex(w)});
        ASSERT_TRUE(waitUntil([&] { return observer.wmState(w) == 3u; }));
    }
    const QRect normalBefore = observer.frameOrigin(w);

    ASSERT_TRUE(services->setPlacement(w, target));
    services->finishRestores();
    if (c.showCmd == kShowMaximized) {
        // The placement of a maximised window carries no normal rectangle: the window keeps its own.
        EXPECT_TRUE(waitUntil([&] { return observer.maximized(w) && observer.wmState(w) == 1u; }));
        tool("wmctrl", {"-i", "-r", hex(w), "-b", "remove,maximized_vert,maximized_horz"});
        EXPECT_TRUE(waitUntil([&] {
            return !observer.maximized(w) && observer.frameOrigin(w) == normalBefore;
        })) << observer.frameOrigin(w)
            << " instead of " << normalBefore;
    } else {
        WindowPlacement now;
        EXPECT_TRUE(waitUntil([&] {
            now = settledPlacement(w);
            return now == target;
        }));
        EXPECT_EQ(now, target);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ShownWindowTest,
                         testing::Values(ShownCase{"NormalMovedBack", "", kShowNormal},
                                         ShownCase{"MaximizedToNormal", "maximized", kShowNormal},
                                         ShownCase{"MinimizedToNormal", "minimized", kShowNormal},
                                         ShownCase{"NormalToMinimized", "", kShowMinimized},
                                         ShownCase{"NormalToMaximized", "", kShowMaximized}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(WithdrawTest, KilledHiderLeavesTheWindowShown) {
    const Window w = openClient();
    ASSERT_NE(w, 0u);
    QProcess* hider = programs.start(QStringLiteral(ZEL_X11_HIDER), {hex(w)});
    ASSERT_NE(hider, nullptr);
    ASSERT_TRUE(hider->waitForReadyRead(10000));
    ASSERT_EQ(hider->readLine().trimmed(), "hidden");
    ASSERT_TRUE(waitUntil([&] { return !observer.listed(w); }));
    EXPECT_EQ(observer.mapState(w), XCB_MAP_STATE_UNMAPPED);

    ::kill(static_cast<pid_t>(hider->processId()), SIGKILL);
    hider->waitForFinished(5000);
    // The X server maps the saved window again and the window manager takes it back.
    EXPECT_TRUE(waitUntil([&] { return observer.viewable(w) && observer.managed(w); }));
}

// Once shown again, by us or by its own program, a window is no business of ours: when we go, a
// window its user minimised in the meantime stays minimised.
enum class ShownBy { kUs, kItsProgram };

class SaveSetTest : public WithdrawTest, public testing::WithParamInterface<ShownBy> {};

TEST_P(SaveSetTest, WindowShownAgainLeavesTheSaveSet) {
    const std::vector<Window> w = openClients(2);
    ASSERT_EQ(w.size(), 2u);
    const WindowPlacement shown = settledPlacement(w[0]);
    WindowPlacement hidden = shown;
    hidden.showCmd = kShowHide;
    ASSERT_TRUE(services->setPlacement(w[0], hidden));
    ASSERT_TRUE(waitUntil([&] { return observer.released(w[0]); }));
    if (GetParam() == ShownBy::kUs) {
        ASSERT_TRUE(services->setPlacement(w[0], shown));
        services->finishRestores();
    } else {
        tool("xdotool", {"windowmap", hex(w[0])});
    }
    ASSERT_TRUE(waitUntil([&] { return observer.managed(w[0]) && observer.viewable(w[0]); }));
    WindowPlacement now;
    ASSERT_TRUE(services->placement(w[0], now));
    EXPECT_EQ(now.showCmd, kShowNormal);
    tool("xdotool", {"windowminimize", hex(w[0])});
    ASSERT_TRUE(waitUntil([&] { return observer.wmState(w[0]) == 3u; }));

    // The highlight's windows belong to our connection: once the server has removed them, it has
    // also gone through our save-set.
    const std::size_t others = observer.overrideRedirectWindows().size();
    services->toggleHighlight(w[1]);
    ASSERT_TRUE(waitUntil([&] { return observer.overrideRedirectWindows().size() == others + 4; }));
    services.reset();
    ASSERT_TRUE(waitUntil([&] { return observer.overrideRedirectWindows().size() == others; }));
    // The window manager handles requests in order: once it has moved the other window, it has
    // also seen any map request the save-set could have caused.
    tool("wmctrl", {"-i", "-r", hex(w[1]), "-t", "1"});
    ASSERT_TRUE(waitUntil([&] { return observer.desktop(w[1]) == 1u; }));
    EXPECT_EQ(observer.wmState(w[0]), 3u);
    EXPECT_TRUE(observer.hidden(w[0]));
}

INSTANTIATE_TEST_SUITE_P(Ways, SaveSetTest, testing::Values(ShownBy::kUs, ShownBy::kItsProgram),
                         [](const auto& param) {
                             return param.param == ShownBy::kUs ? "ByUs" : "ByItsProgram";
                         });

TEST_F(WithdrawTest, WindowDestroyedWhileHiddenFailsQuietly) {
    const auto windows = programs.client({"--title", "short-lived"}, observer);
    ASSERT_EQ(windows.size(), 1u);
    const Window w = windows.front().window;
    WindowPlacement placement = settledPlacement(w);
    WindowPlacement hidden = placement;
    hidden.showCmd = kShowHide;
    ASSERT_TRUE(services->setPlacement(w, hidden));
    programs.killAll();
    ASSERT_TRUE(waitUntil([&] { return !observer.exists(w); }));

    EXPECT_FALSE(services->setPlacement(w, placement));
    services->setPlacements({{w, placement}});
    EXPECT_FALSE(services->exists(w));
    EXPECT_EQ(std::ranges::count(services->topLevelWindows(), w), 0);
}

}  // namespace
}  // namespace x11test
