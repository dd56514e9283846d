// The states a window manager forgets when a window is withdrawn come back with the window: each
// state is set with real EWMH client messages (wmctrl) on a real client, the window is concealed and
// restored through the backend, and what the window manager then shows is checked.
#include <gtest/gtest.h>

#include <QProcess>
#include <string>
#include <vector>

#include "x11/ServicesFixture.h"

namespace x11test {
namespace {

using core::kShowHide;
using core::WindowPlacement;

using Batch = std::vector<std::pair<core::WindowHandle, WindowPlacement>>;

struct StateCase {
    const char* name;
    const char* wmctrlStates;        // the states as wmctrl -b add names them
    std::vector<const char*> atoms;  // what _NET_WM_STATE then holds
    // Un-set before the rectangle is compared: the state changes the rectangle (shaded: kwin and
    // icewm report the client window of a shaded window elsewhere than where it comes back).
    bool unsetFirst;
};

std::ostream& operator<<(std::ostream& os, const StateCase& c) {
    return os << c.name;
}

class WindowStatesTest : public ServicesTest {
protected:
    // A window is ready once it is managed: unlike Programs::client, this does not wait for the
    // frame to settle, as the states are compared only once they have been set.
    std::vector<Window> openClients(int count, const char* geometry = "300x200+220+160") {
        QProcess* process = programs.start(QStringLiteral(ZEL_X11_CLIENT),
                                           {"--count", QString::number(count), "--geometry", geometry});
        std::vector<Window> windows;
        while (process != nullptr && static_cast<int>(windows.size()) < count &&
               (process->canReadLine() || process->waitForReadyRead(10000))) {
            while (process->canReadLine()) {
                windows.push_back(
                    QString::fromLatin1(process->readLine()).split(' ').value(0).toUInt(nullptr, 16));
            }
        }
        for (Window w : windows) {
            if (!waitUntil([&] { return observer.managed(w) && observer.viewable(w); })) {
                ADD_FAILURE() << "window " << hex(w).toStdString() << " was not shown";
                return {};
            }
        }
        return windows;
    }

    // The backend's placement once two reads in a row agree (the window manager applies requests
    // after they return).
    WindowPlacement steadyPlacement(Window w) {
        WindowPlacement last;
        services->placement(w, last);
        waitUntil([&] {
            WindowPlacement now;
            services->placement(w, now);
            const bool same = now == last;
            last = now;
            return same;
        });
        return last;
    }

    // The frame's top-left and the client's size once two reads in a row agree.
    QRect steadyOrigin(Window w) {
        QRect last = observer.frameOrigin(w);
        waitUntil([&] {
            const QRect now = observer.frameOrigin(w);
            const bool same = now == last;
            last = now;
            return same;
        });
        return last;
    }

    bool hasStates(Window w, const std::vector<const char*>& atoms) {
        const auto states = observer.values(w, "_NET_WM_STATE", XCB_ATOM_ATOM);
        return std::ranges::all_of(
            atoms, [&](const char* name) { return std::ranges::count(states, observer.atom(name)) > 0; });
    }

    bool supported(const std::vector<const char*>& atoms) {
        const auto list = observer.values(observer.root(), "_NET_SUPPORTED", XCB_ATOM_ATOM);
        return std::ranges::all_of(
            atoms, [&](const char* name) { return std::ranges::count(list, observer.atom(name)) > 0; });
    }

    bool concealed(Window w) { return !observer.listed(w) && observer.mapState(w) == XCB_MAP_STATE_UNMAPPED; }

    // Conceals the windows through the backend and brings them back, as the concealment cycle does:
    // placements read while shown, hidden in one call, restored in one call.
    void concealAndRestore(const std::vector<Window>& windows) {
        Batch shown;
        for (Window w : windows) {
            shown.emplace_back(w, steadyPlacement(w));
        }
        Batch hidden = shown;
        for (auto& entry : hidden) {
            entry.second.showCmd = kShowHide;
        }
        services->setPlacements(hidden);
        for (Window w : windows) {
            ASSERT_TRUE(waitUntil([&] { return concealed(w); }))
                << "window " << hex(w).toStdString() << " is still on the screen";
        }
        services->setPlacements(shown);
        services->finishRestores();
        for (Window w : windows) {
            ASSERT_TRUE(waitUntil([&] { return observer.managed(w); })) << "window " << hex(w).toStdString();
        }
    }
};

class StateTableTest : public WindowStatesTest, public testing::WithParamInterface<StateCase> {};

TEST_P(StateTableTest, StateComesBackWithTheWindow) {
    const StateCase& c = GetParam();
    if (!supported(c.atoms)) {
        GTEST_SKIP() << "the window manager does not support " << c.name;
    }
    const std::vector<Window> windows = openClients(1);
    ASSERT_EQ(windows.size(), 1u);
    const Window w = windows.front();
    const QRect normal = steadyOrigin(w);
    tool("wmctrl", {"-i", "-r", hex(w), "-b", QStringLiteral("add,") + c.wmctrlStates});
    ASSERT_TRUE(waitUntil([&] { return hasStates(w, c.atoms); }))
        << "the window manager did not take the state";
    const bool hiddenBefore = observer.hidden(w);

    concealAndRestore(windows);
    EXPECT_TRUE(waitUntil([&] { return hasStates(w, c.atoms); }))
        << "state lost; _NET_WM_STATE now "
        << testing::PrintToString(observer.values(w, "_NET_WM_STATE", XCB_ATOM_ATOM));
    // metacity, marco and mutter also mark a shaded window hidden: compare with before.
    EXPECT_EQ(observer.hidden(w), hiddenBefore) << "came back minimised";

    if (c.unsetFirst) {
        tool("wmctrl", {"-i", "-r", hex(w), "-b", QStringLiteral("remove,") + c.wmctrlStates});
    }
    EXPECT_TRUE(waitUntil([&] { return observer.frameOrigin(w) == normal; }))
        << observer.frameOrigin(w) << " instead of " << normal;
}

INSTANTIATE_TEST_SUITE_P(
    States, StateTableTest,
    testing::Values(
        StateCase{"Above", "above", {"_NET_WM_STATE_ABOVE"}, false},
        StateCase{"Below", "below", {"_NET_WM_STATE_BELOW"}, false},
        StateCase{"SkipTaskbarAndPager",
                  "skip_taskbar,skip_pager",
                  {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"},
                  false},
        StateCase{"Fullscreen", "fullscreen", {"_NET_WM_STATE_FULLSCREEN"}, true},
        StateCase{"Maximized",
                  "maximized_vert,maximized_horz",
                  {"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"},
                  true},
        StateCase{"MaximizedVertically", "maximized_vert", {"_NET_WM_STATE_MAXIMIZED_VERT"}, true},
        StateCase{"MaximizedHorizontally", "maximized_horz", {"_NET_WM_STATE_MAXIMIZED_HORZ"}, true},
        StateCase{"Shaded", "shaded", {"_NET_WM_STATE_SHADED"}, true}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(WindowStatesTest, StickyWindowStaysOnAllDesktops) {
    const std::vector<Window> w = openClients(1);
    ASSERT_EQ(w.size(), 1u);
    // Sticky as every EWMH window manager knows it (openbox has no _NET_WM_STATE_STICKY): what a
    // pager sends for "on all desktops" (wmctrl refuses -t -1).
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = w[0];
    event.type = observer.atom("_NET_WM_DESKTOP");
    event.data.data32[0] = 0xFFFFFFFFu;
    event.data.data32[1] = 2;  // source: a pager
    xcb_send_event(observer.xcb(), 0, observer.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    observer.sync();
    ASSERT_TRUE(waitUntil([&] { return observer.desktop(w[0]) == 0xFFFFFFFFu; }));

    concealAndRestore(w);
    EXPECT_TRUE(waitUntil([&] { return observer.desktop(w[0]) == 0xFFFFFFFFu; }));
}

TEST_F(WindowStatesTest, FocusGoesBackToTheWindowThatHadIt) {
    const std::vector<Window> w = openClients(3);
    ASSERT_EQ(w.size(), 3u);
    // The focused window lies below another one where the window manager allows it (openbox),
    // so that mapping in stacking order alone would not give it the focus; window managers that
    // focus what is raised (xfwm4) keep it on top.
    tool("wmctrl", {"-i", "-a", hex(w[1])});
    ASSERT_TRUE(waitUntil([&] { return observer.activeWindow() == w[1]; }));
    tool("xdotool", {"windowraise", hex(w[0])});
    waitUntil([&] { return observer.stackingOrder(w).back() == w[0]; });
    if (observer.activeWindow() != w[1]) {
        tool("wmctrl", {"-i", "-a", hex(w[1])});
        ASSERT_TRUE(waitUntil([&] { return observer.activeWindow() == w[1]; }));
    }

    concealAndRestore(w);
    EXPECT_TRUE(waitUntil([&] { return observer.activeWindow() == w[1]; }))
        << "active: " << hex(observer.activeWindow()).toStdString();
}

// Among themselves: window managers differ in where restored windows go relative to windows that
// stayed (openbox puts them above all), so only their own order is asked for.
TEST_F(WindowStatesTest, RestoredWindowsKeepTheirStackingOrder) {
    const std::vector<Window> w = openClients(4, "300x200+200+150");
    ASSERT_EQ(w.size(), 4u);
    // From the bottom: w[2], w[0], w[3], w[1].
    for (Window raised : {w[2], w[0], w[3], w[1]}) {
        tool("wmctrl", {"-i", "-a", hex(raised)});
        tool("xdotool", {"windowraise", hex(raised)});
        ASSERT_TRUE(waitUntil([&] { return observer.stackingOrder(w).back() == raised; }));
    }
    const std::vector<Window> before = observer.stackingOrder(w);

    concealAndRestore(w);
    std::vector<Window> after;
    EXPECT_TRUE(waitUntil([&] {
        after = observer.stackingOrder(w);
        return after == before;
    })) << testing::PrintToString(after)
        << " instead of " << testing::PrintToString(before);
}

}  // namespace
}  // namespace x11test
