// Questions about windows: existence, the client list, class and title, the window under a point,
// and every call on a window that is gone.
#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "x11/ServicesFixture.h"

namespace x11test {
namespace {

using core::Point;

const QString kJapaneseTitle = QStringLiteral("隠蔽テスト・ウィンドウ「日本語」");

class WindowInfoTest : public ServicesTest {};

TEST_F(WindowInfoTest, ClassAndTitleOfOurOwnClientAndOfXterm) {
    const auto own = programs.client({"--class", "ZelProbe", "--title", kJapaneseTitle}, observer);
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(services->className(own[0].window), QStringLiteral("ZelProbe"));
    EXPECT_EQ(services->windowTitle(own[0].window), kJapaneseTitle);

    const Window xterm = programs.xterm("info xterm", "40x10+300+300", observer);
    ASSERT_NE(xterm, 0u);
    EXPECT_EQ(services->className(xterm), QStringLiteral("XTerm"));
    EXPECT_TRUE(services->windowTitle(xterm).startsWith(QStringLiteral("info xterm #")));
}

TEST_F(WindowInfoTest, TitleFromLatin1WmNameWithoutNetWmName) {
    const auto own = programs.client({"--latin1-name", "--title", QStringLiteral("café crème")}, observer);
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(observer.text(own[0].window, "WM_NAME", XCB_ATOM_STRING), "caf\xe9 cr\xe8me");
    EXPECT_EQ(services->windowTitle(own[0].window), QStringLiteral("café crème"));
}

TEST_F(WindowInfoTest, EnumWindowsListsClientsBottomToTopWithHiddenOnes) {
    const auto own = programs.client({"--count", "3", "--geometry", "200x150+100+100"}, observer);
    ASSERT_EQ(own.size(), 3u);
    const Window xclock = programs.xclock("info xclock", "120x120+600+300", observer);
    ASSERT_NE(xclock, 0u);
    std::vector<Window> mine = {own[0].window, own[1].window, own[2].window, xclock};
    tool("wmctrl", {"-i", "-a", hex(own[0].window)});
    ASSERT_TRUE(waitUntil([&] { return observer.stackingList().back() == own[0].window; }));

    auto listedByUs = [&] {
        std::vector<Window> result;
        for (core::WindowHandle w : services->topLevelWindows()) {
            if (std::ranges::count(mine, w) > 0) {
                result.push_back(w);
            }
        }
        return result;
    };
    auto stacking = [&] {
        std::vector<Window> result;
        std::ranges::copy_if(observer.stackingList(), std::back_inserter(result),
                             [&](Window w) { return std::ranges::count(mine, w) > 0; });
        return result;
    };
    EXPECT_EQ(listedByUs(), stacking());

    // A window we hid is still one of the user's windows; one its own program withdrew is not.
    core::WindowPlacement p;
    ASSERT_TRUE(services->placement(own[1].window, p));
    p.showCmd = core::kShowHide;
    ASSERT_TRUE(services->setPlacement(own[1].window, p));
    ASSERT_TRUE(waitUntil([&] { return !observer.listed(own[1].window); }));
    EXPECT_EQ(std::ranges::count(services->topLevelWindows(), own[1].window), 1);

    tool("xdotool", {"windowunmap", hex(own[2].window)});
    ASSERT_TRUE(waitUntil([&] { return !observer.listed(own[2].window); }));
    EXPECT_EQ(std::ranges::count(services->topLevelWindows(), own[2].window), 0);
}

TEST_F(WindowInfoTest, EnumWindowsListsMinimisedAndOtherDesktopWindowsAndKeepsThemOnceWhenWeHideThem) {
    const auto own = programs.client({"--count", "3", "--geometry", "200x150+100+100"}, observer);
    ASSERT_EQ(own.size(), 3u);
    const Window minimised = own[0].window;
    const Window away = own[1].window;
    const Window plain = own[2].window;
    tool("xdotool", {"windowminimize", hex(minimised)});
    tool("wmctrl", {"-i", "-r", hex(away), "-t", "1"});
    ASSERT_TRUE(waitUntil([&] { return observer.hidden(minimised) && observer.desktop(away) == 1u; }));
    auto times = [](const std::vector<core::WindowHandle>& list, Window w) {
        return std::ranges::count(list, w);
    };
    const auto shown = services->topLevelWindows();
    for (Window w : {minimised, away, plain}) {
        EXPECT_EQ(times(shown, w), 1) << hex(w).toStdString();
    }

    // Hidden by us: listed once while the window manager lets go of them and afterwards, after the
    // windows it lists, in the order hidden (not the order they were stacked in).
    for (Window w : {away, minimised, plain}) {
        core::WindowPlacement p;
        ASSERT_TRUE(services->placement(w, p));
        p.showCmd = core::kShowHide;
        ASSERT_TRUE(services->setPlacement(w, p));
        EXPECT_EQ(times(services->topLevelWindows(), w), 1) << "just withdrawn " << hex(w).toStdString();
    }
    ASSERT_TRUE(waitUntil(
        [&] { return !observer.listed(away) && !observer.listed(minimised) && !observer.listed(plain); }));
    const auto hidden = services->topLevelWindows();
    ASSERT_GE(hidden.size(), 3u);
    EXPECT_EQ(std::vector<Window>(hidden.end() - 3, hidden.end()),
              (std::vector<Window>{away, minimised, plain}));
    for (Window w : {minimised, away, plain}) {
        EXPECT_EQ(times(hidden, w), 1) << hex(w).toStdString();
    }
}

TEST_F(WindowInfoTest, ClassesAndTitlesReadTogetherAreThoseReadOneByOne) {
    const auto probe = programs.client({"--class", "ZelProbe", "--title", kJapaneseTitle}, observer);
    const auto latin = programs.client({"--latin1-name", "--title", QStringLiteral("café crème")}, observer);
    const Window xterm = programs.xterm("batch xterm", "40x10+300+300", observer);
    ASSERT_EQ(probe.size(), 1u);
    ASSERT_EQ(latin.size(), 1u);
    ASSERT_NE(xterm, 0u);
    const Window frame = observer.parent(xterm);  // the window manager's
    const Window gone = 0x7ffffff0;
    const std::vector<core::WindowHandle> windows = {probe[0].window, 0,     latin[0].window, gone,
                                                     xterm,           frame, observer.root()};

    const auto texts = services->classNamesAndTitles(windows);
    ASSERT_EQ(texts.size(), windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        SCOPED_TRACE(hex(windows[i]).toStdString());
        EXPECT_EQ(texts[i].first, services->className(windows[i]));
        EXPECT_EQ(texts[i].second, services->windowTitle(windows[i]));
    }
    EXPECT_EQ(texts[0], std::make_pair(QStringLiteral("ZelProbe"), kJapaneseTitle));
    EXPECT_EQ(texts[1], std::make_pair(QString(), QString()));
    EXPECT_EQ(texts[2].second, QStringLiteral("café crème"));
    EXPECT_EQ(texts[3], std::make_pair(QString(), QString()));
    EXPECT_EQ(texts[4].first, QStringLiteral("XTerm"));
    EXPECT_TRUE(texts[4].second.startsWith(QStringLiteral("batch xterm #")));
}

TEST_F(WindowInfoTest, ManyWindowsReadInOneCallAnswerAsWhenReadOneByOne) {
    const auto own = programs.client(
        {"--count", "5", "--class", "ZelBatch", "--geometry", "220x150+90+80", "--child", "40x30+5+5"},
        observer);
    const auto doomed = programs.client({"--class", "ZelDoomed"}, observer);
    const Window xterm = programs.xterm("batch xterm", "40x10+300+300", observer);
    ASSERT_EQ(own.size(), 5u);
    ASSERT_EQ(doomed.size(), 1u);
    ASSERT_NE(xterm, 0u);
    tool("xdotool", {"windowminimize", hex(own[1].window)});
    tool("wmctrl", {"-i", "-r", hex(own[2].window), "-b", "add,maximized_vert,maximized_horz"});
    tool("xdotool", {"windowunmap", hex(own[4].window)});
    tool("xkill", {"-id", hex(doomed[0].window)});
    core::WindowPlacement hide;
    ASSERT_TRUE(services->placement(own[3].window, hide));
    hide.showCmd = core::kShowHide;
    ASSERT_TRUE(services->setPlacement(own[3].window, hide));
    ASSERT_TRUE(waitUntil([&] {
        return observer.wmState(own[1].window) == 3u && observer.maximized(own[2].window) &&
               !observer.listed(own[3].window) && !observer.listed(own[4].window) &&
               !observer.exists(doomed[0].window);
    }));
    for (Window w : {own[0].window, own[1].window, own[2].window, xterm}) {
        settledPlacement(w);
    }

    struct Row {
        const char* name;
        Window window;
        std::optional<std::int32_t> showCmd;  // empty: no such window
        QString className;
    };
    const Row rows[] = {
        {"normal", own[0].window, core::kShowNormal, "ZelBatch"},
        {"minimised", own[1].window, core::kShowMinimized, "ZelBatch"},
        {"maximised", own[2].window, core::kShowMaximized, "ZelBatch"},
        {"hidden by us", own[3].window, core::kShowHide, "ZelBatch"},
        {"withdrawn by its program", own[4].window, core::kShowHide, "ZelBatch"},
        {"child window", own[0].child, core::kShowNormal, ""},
        {"another program's", xterm, core::kShowNormal, "XTerm"},
        {"destroyed", doomed[0].window, std::nullopt, ""},
        {"no window", 0, std::nullopt, ""},
        {"normal, asked twice", own[0].window, core::kShowNormal, "ZelBatch"},
    };
    std::vector<core::WindowHandle> windows;
    for (const Row& row : rows) {
        windows.push_back(row.window);
    }

    const auto tripsBefore = services->roundTrips();
    const std::vector<core::PlacementAndClass> readings = services->placementsAndClassNames(windows);
    const std::vector<bool> open = services->existing(windows);
    const auto batchTrips = services->roundTrips() - tripsBefore;
    ASSERT_EQ(readings.size(), windows.size());
    ASSERT_EQ(open.size(), windows.size());

    const auto singleBefore = services->roundTrips();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.name);
        core::WindowPlacement single;
        const bool read = services->placement(row.window, single);
        EXPECT_EQ(readings[i].placement.has_value(), read);
        if (readings[i].placement && read) {
            EXPECT_EQ(*readings[i].placement, single);
        }
        EXPECT_EQ(readings[i].className, services->className(row.window));
        EXPECT_EQ(open[i], services->exists(row.window));

        EXPECT_EQ(open[i], row.showCmd.has_value());
        ASSERT_EQ(readings[i].placement.has_value(), row.showCmd.has_value());
        if (row.showCmd) {
            EXPECT_EQ(readings[i].placement->showCmd, *row.showCmd);
        }
        EXPECT_EQ(readings[i].className, row.className);
    }
    // Asked together, the windows cost fewer waits for the server than asked one by one.
    EXPECT_LT(batchTrips, services->roundTrips() - singleBefore);
}

TEST_F(WindowInfoTest, WindowFromPointFindsClientChildAndClientUnderTitleBar) {
    const auto own = programs.client({"--geometry", "300x200+200+150", "--child", "100x60+40+50"}, observer);
    ASSERT_EQ(own.size(), 1u);
    const Window client = own[0].window;
    const Window child = own[0].child;
    const QRect c = observer.rootRect(client);
    const QRect frame = observer.frameRect(client);
    ASSERT_GT(c.y() - frame.y(), 5) << "no title bar";

    struct Probe {
        const char* where;
        Point point;
        Window expected;
    };
    const Probe probes[] = {
        {"client area", {c.x() + 5, c.y() + 5}, client},
        {"child window", {c.x() + 40 + 50, c.y() + 50 + 30}, child},
        {"title bar", {frame.x() + frame.width() / 2, frame.y() + (c.y() - frame.y()) / 2}, client},
        {"frame border", {frame.x(), c.y() + 100}, client},
        {"desktop", {900, 700}, observer.root()},
    };
    for (const Probe& probe : probes) {
        EXPECT_EQ(services->windowAt(probe.point), probe.expected) << probe.where;
    }
    // The highlight around the window takes no part.
    services->toggleHighlight(client);
    EXPECT_EQ(services->windowAt({frame.x() + 2, frame.y() + 2}), client);
    EXPECT_EQ(services->windowAt({frame.x() + frame.width() / 2, frame.y() + 1}), client);
    services->toggleHighlight(client);
}

TEST_F(WindowInfoTest, EveryCallOnAVanishedWindowFailsQuietly) {
    const auto own = programs.client({"--child", "50x50+10+10"}, observer);
    ASSERT_EQ(own.size(), 1u);
    const Window w = own[0].window;
    const Window child = own[0].child;
    ASSERT_TRUE(services->exists(w));
    programs.killAll();
    ASSERT_TRUE(waitUntil([&] { return !observer.exists(w); }));

    for (Window gone : {w, child, Window{0x7ffffff0}, Window{0}}) {
        SCOPED_TRACE(hex(gone).toStdString());
        EXPECT_FALSE(services->exists(gone));
        EXPECT_EQ(services->className(gone), QString());
        EXPECT_EQ(services->windowTitle(gone), QString());
        core::WindowPlacement untouched;
        untouched.desktop = 77;
        core::WindowPlacement p = untouched;
        EXPECT_FALSE(services->placement(gone, p));
        EXPECT_EQ(p, untouched);
        for (std::int32_t show :
             {core::kShowHide, core::kShowNormal, core::kShowMinimized, core::kShowMaximized}) {
            p.showCmd = show;
            EXPECT_FALSE(services->setPlacement(gone, p));
        }
        services->setPlacements({{gone, p}});
        services->toggleHighlight(gone);
        services->setTopmost(gone);
        services->setSkipTaskbar(gone);
        services->activate(gone);
    }
    // The connection is still good for the next question.
    EXPECT_FALSE(services->connectionLost());
    EXPECT_TRUE(services->exists(observer.root()));
}

TEST_F(WindowInfoTest, OwnWindowsGoOnTopOutOfTaskBarsAndTakeTheFocus) {
    const auto own = programs.client({"--count", "2"}, observer);
    ASSERT_EQ(own.size(), 2u);
    const Window w = own[0].window;
    auto netState = [&](const char* atom) {
        return std::ranges::count(observer.values(w, "_NET_WM_STATE", XCB_ATOM_ATOM), observer.atom(atom)) >
               0;
    };
    services->setTopmost(w);
    services->setSkipTaskbar(w);
    EXPECT_TRUE(waitUntil([&] {
        return netState("_NET_WM_STATE_ABOVE") && netState("_NET_WM_STATE_SKIP_TASKBAR") &&
               netState("_NET_WM_STATE_SKIP_PAGER");
    }));
    services->activate(own[1].window);
    EXPECT_TRUE(waitUntil([&] { return observer.activeWindow() == own[1].window; }));
    services->activate(w);
    EXPECT_TRUE(waitUntil([&] { return observer.activeWindow() == w; }));
}

}  // namespace
}  // namespace x11test
