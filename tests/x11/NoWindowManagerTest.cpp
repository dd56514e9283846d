// Without a window manager the windows are placed and shown by ourselves: hide and restore still
// work, at once.
#include <gtest/gtest.h>

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
    ASSERT_TRUE(services->GetWindowPlacement(w, shown));
    for (std::int32_t show : {core::kShowNormal, core::kShowMinimized, core::kShowMaximized}) {
        SCOPED_TRACE(show);
        WindowPlacement hidden = shown;
        hidden.showCmd = core::kShowHide;
        ASSERT_TRUE(services->SetWindowPlacement(w, hidden));
        observer.sync();
        EXPECT_EQ(observer.mapState(w), XCB_MAP_STATE_UNMAPPED);
        WindowPlacement back = shown;
        back.showCmd = show;
        back.framePosition = {100 + show, 50};
        ASSERT_TRUE(services->SetWindowPlacement(w, back));
        observer.sync();
        // Nobody could iconify or maximise it: it is shown where the placement says.
        EXPECT_TRUE(observer.viewable(w));
        EXPECT_EQ(observer.rootRect(w), (Rect{100 + show, 50, 260, 180}));
    }
}

TEST_F(NoWindowManagerTest, PlacementOfAPlainWindow) {
    const auto own = programs.client({"--override", "--geometry", "260x180+140+90"}, observer);
    ASSERT_EQ(own.size(), 1u);
    const Window w = own[0].window;
    WindowPlacement shown;
    ASSERT_TRUE(services->GetWindowPlacement(w, shown));
    EXPECT_EQ(shown.showCmd, core::kShowNormal);
    EXPECT_EQ(shown.framePosition, (core::Point{140, 90}));
    EXPECT_EQ(shown.clientSize, (core::Size{260, 180}));
    EXPECT_EQ(shown.desktop, -1);

    WindowPlacement hidden = shown;
    hidden.showCmd = core::kShowHide;
    ASSERT_TRUE(services->SetWindowPlacement(w, hidden));
    observer.sync();
    EXPECT_EQ(observer.mapState(w), XCB_MAP_STATE_UNMAPPED);
    EXPECT_EQ(std::ranges::count(services->EnumWindows(), w), 1) << "still one of ours";

    WindowPlacement moved = shown;
    moved.framePosition = {300, 200};
    moved.clientSize = {200, 100};
    ASSERT_TRUE(services->SetWindowPlacement(w, moved));
    observer.sync();
    EXPECT_TRUE(observer.viewable(w));
    EXPECT_EQ(observer.rootRect(w), (Rect{300, 200, 200, 100}));
    WindowPlacement now;
    ASSERT_TRUE(services->GetWindowPlacement(w, now));
    EXPECT_EQ(now, moved);
}

TEST_F(NoWindowManagerTest, ForegroundTakesTheFocus) {
    const auto own = programs.client({"--override", "--count", "2"}, observer);
    ASSERT_EQ(own.size(), 2u);
    services->SetForegroundWindow(own[1].window);
    observer.sync();
    auto focus = [&] {
        auto* r = xcb_get_input_focus_reply(observer.xcb(), xcb_get_input_focus(observer.xcb()), nullptr);
        const Window f = r != nullptr ? r->focus : 0;
        std::free(r);
        return f;
    };
    EXPECT_EQ(focus(), own[1].window);
    services->SetTopmost(own[0].window);
    observer.sync();
    const auto states = observer.values(own[0].window, "_NET_WM_STATE", XCB_ATOM_ATOM);
    EXPECT_EQ(std::ranges::count(states, observer.atom("_NET_WM_STATE_ABOVE")), 1)
        << "set on the window itself for a window manager that comes later";
}

}  // namespace
}  // namespace x11test
