// Which windows the real program conceals: every window of a listed class and no other, a window
// of the class that opens meanwhile only from the next concealment on, a hundred windows at once,
// and a window of another class picked by a drag from the reticle.
#include <gtest/gtest.h>

#include "e2e/scenarios/ScenarioFixture.h"
#include "e2e/support/HeldInput.h"
#include "e2e/support/MainWindowLayout.h"

namespace e2e::scenario {
namespace {

using TargetScenario = ScenarioTest;

// Leaving the corner restores: each scenario conceals and restores by the pointer alone.
const std::pair<QString, QString> kNoHold{QStringLiteral("MOUSE/blnTrigMouse"), QStringLiteral("0")};

TEST_F(TargetScenario, EveryWindowOfTheClassAndOnlyThoseUntilTheNextConcealment) {
    auto first = Xterm(QStringLiteral("e2e-class-1"), QStringLiteral("50x8+60+120"));
    auto second = Xterm(QStringLiteral("e2e-class-2"), QStringLiteral("50x8+420+120"));
    auto third = Xterm(QStringLiteral("e2e-class-3"), QStringLiteral("50x8+60+420"));
    auto clock = ClientProgram::XClock(view, QStringLiteral("e2e-clock"));
    ASSERT_TRUE(first->Id() && second->Id() && third->Id() && clock->Id());
    const std::vector<Window> listed{first->Id(), second->Id(), third->Id()};
    ProgramUnderTest program(TestSettings({kNoHold}));
    StartDocked(program);

    MovePointer(kCorner);
    EXPECT_TRUE(WaitUntil([&] { return AllConcealed(listed); }, kTimeout));
    EXPECT_TRUE(IsShown(view, clock->Id())) << "the xclock is of no listed class";

    // A window of the class that opens now is not taken in by this concealment.
    auto late = Xterm(QStringLiteral("e2e-class-late"), QStringLiteral("50x8+420+420"));
    ASSERT_NE(late->Id(), 0u);
    EXPECT_FALSE(WaitUntil([&] { return !IsShown(view, late->Id()); }, kQuiet))
        << "a window opened while concealed was concealed";
    Shot(QStringLiteral("class-late-window-stays"));

    MovePointer(kCentre);
    EXPECT_TRUE(WaitUntil([&] { return AllShown(listed); }, kTimeout));
    EXPECT_TRUE(IsShown(view, late->Id()) && IsShown(view, clock->Id()));

    // The next concealment takes it in with the others.
    std::vector<Window> all = listed;
    all.push_back(late->Id());
    MovePointer(kCorner);
    EXPECT_TRUE(WaitUntil([&] { return AllConcealed(all); }, kTimeout)) << "the late window was not taken in";
    EXPECT_TRUE(IsShown(view, clock->Id()));
    MovePointer(kCentre);
    EXPECT_TRUE(WaitUntil([&] { return AllShown(all); }, kTimeout));
    EndProgram(program);
}

TEST_F(TargetScenario, HundredWindowsGoAndComeBack) {
    constexpr int kCount = 100;
    const QString className = QStringLiteral("ZelMany");
    auto many = ClientProgram::ManyWindows(view, kCount, QStringLiteral("e2e-many"), className);
    const std::vector<Window>& windows = many->Windows();
    ASSERT_EQ(windows.size(), static_cast<std::size_t>(kCount)) << "the test client's windows did not appear";
    const std::map<Window, Placement> before = PlacementsOf(windows);
    ProgramUnderTest program(TestSettings({kNoHold, {QStringLiteral("APP/WinClasses"), className}}));
    StartDocked(program);

    MovePointer(kCorner);
    EXPECT_TRUE(WaitUntil([&] { return AllConcealed(windows); }, 3 * kTimeout))
        << CountConcealed(view, windows) << " of " << kCount << " concealed";
    for (const Window window : windows)
        EXPECT_FALSE(view.Listed(window)) << "window " << window << " still in the task list";
    Shot(QStringLiteral("hundred-concealed"));

    MovePointer(kCentre);
    EXPECT_TRUE(WaitUntil([&] { return AllShown(windows); }, 3 * kTimeout))
        << CountShown(view, windows) << " of " << kCount << " back";
    ExpectPlacedAsBefore(before);
    EXPECT_TRUE(program.Running());
    EndProgram(program);
}

TEST_F(TargetScenario, WindowPickedByDragIsConcealedByTheNextTrigger) {
    auto picked =
        ClientProgram::XClock(view, QStringLiteral("e2e-picked"), QStringLiteral("120x120+720+440"));
    auto other =
        ClientProgram::XClock(view, QStringLiteral("e2e-not-picked"), QStringLiteral("120x120+720+120"));
    ASSERT_TRUE(picked->Id() && other->Id());
    ProgramUnderTest program(TestSettings({kNoHold, {QStringLiteral("APP/blnRunup"), QStringLiteral("1")}}));
    ASSERT_TRUE(program.Start());
    const Window main = program.WaitForWindow(view, MainWindowTitle(), kTimeout);
    ASSERT_NE(main, 0u);
    ASSERT_NE(program.WaitForTrayIcon(view, kTimeout), 0u);

    // From the reticle onto the xclock's title bar: the frame, not the clock face inside, which is
    // a window of its own.
    const QRect client = view.Geometry(picked->Id());
    const QRect outer = details.OuterRect(picked->Id());
    ASSERT_GT(client.top(), outer.top()) << "the xclock has no title bar";
    const QPoint titleBar(outer.center().x(), (outer.top() + client.top()) / 2);
    MovePointer(view.Geometry(main).topLeft() + kPicTarget);
    PressButton(1);
    MovePointer(kCentre);
    MovePointer(titleBar);
    // The top bar of the highlight frame along the xclock's outer rectangle.
    const QRect topBar(outer.topLeft(), QSize(outer.width(), 5));
    const bool framed = WaitUntil(
        [&] {
            const std::vector<QRect> bars = details.OverrideRedirectRects();
            return std::find(bars.begin(), bars.end(), topBar) != bars.end();
        },
        kTimeout);
    Shot(QStringLiteral("picker-framed"));
    ReleaseButton(1);
    EXPECT_TRUE(framed) << "the picker did not frame the xclock";

    const Window question = program.WaitForWindow(view, QStringLiteral("追加方法の確認"), kTimeout);
    ASSERT_NE(question, 0u) << "no add confirmation";
    Shot(QStringLiteral("picker-add-confirmation"));
    FocusWindow(question);
    PressKey(QStringLiteral("Return"));  // "指定ウィンドウのみ": this window alone
    ASSERT_TRUE(WaitUntil(
        [&] { return view.FindWindow(QStringLiteral("追加方法の確認"), program.Pid()) == 0; }, kTimeout));

    const Placement before = PlacementOf(view, picked->Id());
    MovePointer(kCorner);
    EXPECT_TRUE(WaitUntil([&] { return IsConcealed(view, picked->Id()); }, kTimeout))
        << "the picked window was not concealed";
    EXPECT_TRUE(IsShown(view, other->Id())) << "only the picked window, not its class";
    Shot(QStringLiteral("picked-concealed"));
    MovePointer(kCentre);
    EXPECT_TRUE(WaitUntil([&] { return IsShown(view, picked->Id()); }, kTimeout));
    EXPECT_TRUE(WaitUntil([&] { return PlacementOf(view, picked->Id()) == before; }, kTimeout))
        << PlacementOf(view, picked->Id()) << " instead of " << before;

    EndProgram(program);
    EXPECT_EQ(program.IniValue(QStringLiteral("APP"), QStringLiteral("WinClasses")), TargetClass())
        << "the class was added although only the window was chosen";
}

}  // namespace
}  // namespace e2e::scenario
