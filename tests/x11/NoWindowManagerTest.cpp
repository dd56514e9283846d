// Without a window manager the windows are placed and shown by ourselves: hide and restore still
// work, at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "x11/ServicesFixture.h"

namespace x11test {
namespace {

using core::WindowPlacement;

class NoWindowManagerTest : public ServicesTest {};

TEST_F(NoWindowManagerTest, EveryShowCommandShowsTheWindowAtOnce) {
    ASSERT_FALSE(observer.windowManagerRunning()) << "this test needs a desktop without a window manager";
    const auto own = programs.client({"--geometry", "260x180+140+90"}, observer);
    ASSERT_EQ(own.size(), 1u);
    const Window w = own[0].window;
    WindowPlacement shown;
    ASSERT_TRUE(services->placement(w, shown));
    for (std::int32_t show : {core::kShowNormal, core::kShowMinimized, core::kShowMaximized}) {
        SCOPED_TRACE(show);
        WindowPlacement hidden = shown;
        hidden.showCmd = core::kShowHide;
        ASSERT_TRUE(services->setPlacement(w, hidden));
        // The services' requests travel on their own connection: wait to see them done.
        EXPECT_TRUE(waitUntil([&] { return observer.mapState(w) == XCB_MAP_STATE_UNMAPPED; }));
        WindowPlacement back = shown;
        back.showCmd = show;
        back.framePosition = {100 + show, 50};
        ASSERT_TRUE(services->setPlacement(w, back));
        services->finishRestores();
        // Nobody could iconify or maximise it: it is shown where the placement says.
        EXPECT_TRUE(waitUntil([&] {
            return observer.viewable(w) && observer.rootRect(w) == QRect{100 + show, 50, 260, 180};
        }));
        EXPECT_EQ(observer.rootRect(w), (QRect{100 + show, 50, 260, 180}));
    }
}

TEST_F(NoWindowManagerTest, PlacementOfAPlainWindow) {
    const auto own = programs.client({"--override", "--geometry", "260x180+140+90"}, observer);
    ASSERT_EQ(own.size(), 1u);
    const Window w = own[0].window;
    WindowPlacement shown;
    ASSERT_TRUE(services->placement(w, shown));
    EXPECT_EQ(shown.showCmd, core::kShowNormal);
    EXPECT_EQ(shown.framePosition, (core::Point{140, 90}));
    EXPECT_EQ(shown.clientSize, (core::Size{260, 180}));
    EXPECT_EQ(shown.desktop, -1);

    WindowPlacement hidden = shown;
    hidden.showCmd = core::kShowHide;
    ASSERT_TRUE(services->setPlacement(w, hidden));
    EXPECT_TRUE(waitUntil([&] { return observer.mapState(w) == XCB_MAP_STATE_UNMAPPED; }));
    EXPECT_EQ(std::ranges::count(services->topLevelWindows(), w), 1) << "still one of ours";

    WindowPlacement moved = shown;
    moved.framePosition = {300, 200};
    moved.clientSize = {200, 100};
    ASSERT_TRUE(services->setPlacement(w, moved));
    services->finishRestores();
    EXPECT_TRUE(waitUntil([&] {
        return observer.viewable(w) && observer.rootRect(w) == QRect{300, 200, 200, 100};
    }));
    EXPECT_EQ(observer.rootRect(w), (QRect{300, 200, 200, 100}));
    WindowPlacement now;
    ASSERT_TRUE(services->placement(w, now));
    EXPECT_EQ(now, moved);
}

TEST_F(NoWindowManagerTest, ForegroundTakesTheFocus) {
    const auto own = programs.client({"--override", "--count", "2"}, observer);
    ASSERT_EQ(own.size(), 2u);
    services->activate(own[1].window);
    observer.sync();
    auto focus = [&] {
        auto* r = xcb_get_input_focus_reply(observer.xcb(), xcb_get_input_focus(observer.xcb()), nullptr);
        const Window f = r != nullptr ? r->focus : 0;
        std::free(r);
        return f;
    };
    EXPECT_EQ(focus(), own[1].window);
    services->setTopmost(own[0].window);
    observer.sync();
    const auto states = observer.values(own[0].window, "_NET_WM_STATE", XCB_ATOM_ATOM);
    EXPECT_EQ(std::ranges::count(states, observer.atom("_NET_WM_STATE_ABOVE")), 1)
        << "set on the window itself for a window manager that comes later";
}

// What a window manager leaves on the root when it goes (or what a program other than a window
// manager writes there) must not be taken for its list: the list counts only while the window named
// by _NET_SUPPORTING_WM_CHECK names itself and _NET_SUPPORTED holds _NET_CLIENT_LIST_STACKING.
// Otherwise the windows come from the tree.
TEST_F(NoWindowManagerTest, ClientListOfTheRootCountsOnlyWhileAWindowManagerAnnouncesIt) {
    const auto own = programs.client({"--count", "2"}, observer);
    ASSERT_EQ(own.size(), 2u);
    const Window managedLike = own[0].window;  // WM_STATE Normal, as a window manager would set it
    const Window check = own[1].window;        // stands for the window manager's check window
    xcb_connection_t* c = observer.xcb();
    auto set = [&](Window w, const char* property, xcb_atom_t type, std::vector<std::uint32_t> values) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, observer.atom(property), type, 32,
                            static_cast<std::uint32_t>(values.size()), values.data());
    };
    auto remove = [&](Window w, const char* property) { xcb_delete_property(c, w, observer.atom(property)); };
    struct CleanRoot {
        std::function<void()> clean;
        ~CleanRoot() { clean(); }
    } cleanRoot{[&] {
        for (const char* property :
             {"_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED", "_NET_CLIENT_LIST_STACKING"}) {
            remove(observer.root(), property);
        }
        observer.sync();
    }};
    set(managedLike, "WM_STATE", observer.atom("WM_STATE"), {1, 0});
    set(observer.root(), "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW, {check});

    struct Case {
        const char* name;
        bool rootNamesCheck;
        bool checkNamesItself;
        bool stackingSupported;
        bool fromList;
    };
    // In this order, so that an announcement that was right a moment ago is not trusted later.
    const Case cases[] = {
        {"announced", true, true, true, true},
        {"check window no longer names itself", true, false, true, false},
        {"announced again", true, true, true, true},
        {"list not among the supported", true, true, false, false},
        {"nothing on the root names a check window", false, true, true, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        if (k.rootNamesCheck) {
            set(observer.root(), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, {check});
        } else {
            remove(observer.root(), "_NET_SUPPORTING_WM_CHECK");
        }
        set(check, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, {k.checkNamesItself ? check : managedLike});
        std::vector<std::uint32_t> supported = {observer.atom("_NET_WM_NAME")};
        if (k.stackingSupported) {
            supported.push_back(observer.atom("_NET_CLIENT_LIST_STACKING"));
        }
        set(observer.root(), "_NET_SUPPORTED", XCB_ATOM_ATOM, supported);
        observer.sync();

        const auto listed = services->topLevelWindows();
        EXPECT_EQ(std::ranges::count(listed, check), k.fromList ? 1 : 0);
        EXPECT_EQ(std::ranges::count(listed, managedLike), k.fromList ? 0 : 1);
    }
}

}  // namespace
}  // namespace x11test
