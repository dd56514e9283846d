// Which windows the real program conceals: every window of a listed class and no other, a window
// of the class that opens meanwhile only from the next concealment on, a hundred windows at once,
// and a window of another class picked by a drag from the reticle.
#include <gtest/gtest.h>

#include "e2e/scenarios/ScenarioFixture.h"
#include "e2e/support/MainWindowLayout.h"
#include "support/desktop/Input.h"

namespace e2e::scenario {
namespace {

using TargetScenario = ScenarioTest;

// Leaving the corner restores: each scenario conceals and restores by the pointer alone.
const std::pair<QString, QString> kNoHold{QStringLiteral("MOUSE/blnTrigMouse"), QStringLiteral("0")};

TEST_F(TargetScenario, EveryWindowOfTheClassAndOnlyThoseUntilTheNextConcealment) {
    auto first = openXterm(QStringLiteral("e2e-class-1"), QStringLiteral("50x8+60+120"));
    auto second = openXterm(QStringLiteral("e2e-class-2"), QStringLiteral("50x8+420+120"));
    auto third = openXterm(QStringLiteral("e2e-class-3"), QStringLiteral("50x8+60+420"));
    auto clock = ClientProgram::xclock(view, QStringLiteral("e2e-clock"));
    ASSERT_TRUE(first->id() && second->id() && third->id() && clock->id());
    const std::vector<Window> listed{first->id(), second->id(), third->id()};
    ProgramUnderTest program(testSettings({kNoHold}));
    startDocked(program);

    movePointer(kCorner);
    EXPECT_TRUE(waitUntil([&] { return allConcealed(listed); }, kTimeout));
    EXPECT_TRUE(isShown(view, clock->id())) << "the xclock is of no listed class";

    // A window of the class that opens now is not taken in by this concealment.
    auto late = openXterm(QStringLiteral("e2e-class-late"), QStringLiteral("50x8+420+420"));
    ASSERT_NE(late->id(), 0u);
    view.watch(late->id());
    EXPECT_FALSE(view.waitForEvent(late->id(), isUnmapNotify, kQuiet))
        << "a window opened while concealed was concealed";
    EXPECT_TRUE(isShown(view, late->id()));
    shot(QStringLiteral("class-late-window-stays"));

    movePointer(kCentre);
    EXPECT_TRUE(waitUntil([&] { return allShown(listed); }, kTimeout));
    EXPECT_TRUE(isShown(view, late->id()) && isShown(view, clock->id()));

    // The next concealment takes it in with the others.
    std::vector<Window> all = listed;
    all.push_back(late->id());
    movePointer(kCorner);
    EXPECT_TRUE(waitUntil([&] { return allConcealed(all); }, kTimeout)) << "the late window was not taken in";
    EXPECT_TRUE(isShown(view, clock->id()));
    movePointer(kCentre);
    EXPECT_TRUE(waitUntil([&] { return allShown(all); }, kTimeout));
    endProgram(program);
}

TEST_F(TargetScenario, HundredWindowsGoAndComeBack) {
    constexpr int kCount = 100;
    const QString className = QStringLiteral("ZelMany");
    auto many = ClientProgram::manyWindows(view, kCount, QStringLiteral("e2e-many"), className);
    const std::vector<Window>& windows = many->windows();
    ASSERT_EQ(windows.size(), static_cast<std::size_t>(kCount)) << "the test client's windows did not appear";
    const std::map<Window, Placement> before = placementsOf(windows);
    ProgramUnderTest program(testSettings({kNoHold, {QStringLiteral("APP/WinClasses"), className}}));
    startDocked(program);

    movePointer(kCorner);
    EXPECT_TRUE(waitUntil([&] { return allConcealed(windows); }, 3 * kTimeout))
        << countConcealed(view, windows) << " of " << kCount << " concealed";
    for (const Window window : windows)
        EXPECT_FALSE(view.listed(window)) << "window " << window << " still in the task list";
    shot(QStringLiteral("hundred-concealed"));

    movePointer(kCentre);
    EXPECT_TRUE(waitUntil([&] { return allShown(windows); }, 3 * kTimeout))
        << countShown(view, windows) << " of " << kCount << " back";
    expectPlacedAsBefore(before);
    EXPECT_TRUE(program.running());
    endProgram(program);
}

TEST_F(TargetScenario, WindowPickedByDragIsConcealedByTheNextTrigger) {
    auto picked =
        ClientProgram::xclock(view, QStringLiteral("e2e-picked"), QStringLiteral("120x120+720+440"));
    auto other =
        ClientProgram::xclock(view, QStringLiteral("e2e-not-picked"), QStringLiteral("120x120+720+120"));
    ASSERT_TRUE(picked->id() && other->id());
    ProgramUnderTest program(testSettings({kNoHold, {QStringLiteral("APP/blnRunup"), QStringLiteral("1")}}));
    ASSERT_TRUE(program.start());
    const Window main = program.waitForWindow(view, mainWindowTitle(), kTimeout);
    ASSERT_NE(main, 0u);
    ASSERT_NE(program.waitForTrayIcon(view, kTimeout), 0u);

    // From the reticle onto the xclock's title bar: the frame, not the clock face inside, which is
    // a window of its own.
    const QRect client = view.rootRect(picked->id());
    const QRect outer = view.frameRect(picked->id());
    ASSERT_GT(client.top(), outer.top()) << "the xclock has no title bar";
    const QPoint titleBar(outer.center().x(), (outer.top() + client.top()) / 2);
    movePointer(view.rootRect(main).topLeft() + kPicTarget);
    pressButton(1);
    movePointer(kCentre);
    movePointer(titleBar);
    // The top bar of the highlight frame along the xclock's outer rectangle.
    const QRect topBar(outer.topLeft(), QSize(outer.width(), 5));
    const bool framed = waitUntil(
        [&] {
            const std::vector<Window> bars = view.overrideRedirectWindows();
            return std::ranges::any_of(bars, [&](Window bar) { return view.frameRect(bar) == topBar; });
        },
        kTimeout);
    shot(QStringLiteral("picker-framed"));
    releaseButton(1);
    EXPECT_TRUE(framed) << "the picker did not frame the xclock";

    const Window question = program.waitForWindow(view, QStringLiteral("追加方法の確認"), kTimeout);
    ASSERT_NE(question, 0u) << "no add confirmation";
    shot(QStringLiteral("picker-add-confirmation"));
    focusWindow(question);
    pressKey(QStringLiteral("Return"));  // "指定ウィンドウのみ": this window alone
    ASSERT_TRUE(waitUntil(
        [&] { return view.findWindow(QStringLiteral("追加方法の確認"), program.pid()) == 0; }, kTimeout));

    const Placement before = placementOf(view, picked->id());
    movePointer(kCorner);
    EXPECT_TRUE(waitUntil([&] { return isConcealed(view, picked->id()); }, kTimeout))
        << "the picked window was not concealed";
    EXPECT_TRUE(isShown(view, other->id())) << "only the picked window, not its class";
    shot(QStringLiteral("picked-concealed"));
    movePointer(kCentre);
    EXPECT_TRUE(waitUntil([&] { return isShown(view, picked->id()); }, kTimeout));
    EXPECT_TRUE(waitUntil([&] { return placementOf(view, picked->id()) == before; }, kTimeout))
        << placementOf(view, picked->id()) << " instead of " << before;

    endProgram(program);
    EXPECT_EQ(program.iniValue(QStringLiteral("APP"), QStringLiteral("WinClasses")), targetClass())
        << "the class was added although only the window was chosen";
}

}  // namespace
}  // namespace e2e::scenario
