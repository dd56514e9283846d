// The concealment cycle as a user meets it, with the real program, real xterms, trayer and
// pulseaudio: the typical event from the pointer in the corner to the click on the tray icon, each
// kind of trigger with and without its hold, and a window that closes while it is concealed.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "e2e/scenarios/ScenarioFixture.h"
#include "e2e/support/HeldInput.h"

namespace e2e::scenario {
namespace {

using CycleScenario = ScenarioTest;

// The settings a user has after installing, but for the class of the test's xterms: the top-left
// corner of 5 pixels with its hold, Shift and ScrollLock watched, discovery by class, mute with
// automatic restore, the window shown at start-up.
QStringList DefaultsButTheClass() {
    return {QStringLiteral("[APP]"), QStringLiteral("WinClasses=") + TargetClass()};
}

TEST_F(CycleScenario, TypicalEventFromTheCornerToTheClickOnTheIcon) {
    // One xterm maximised, one that the user moved, one minimised; a window of another class.
    auto maximised = Xterm(QStringLiteral("e2e-maximised"), QStringLiteral("50x8+300+200"));
    auto moved = Xterm(QStringLiteral("e2e-moved"), QStringLiteral("50x8+120+150"));
    auto minimised = Xterm(QStringLiteral("e2e-minimised"), QStringLiteral("50x8+450+500"));
    auto clock = ClientProgram::XClock(view, QStringLiteral("e2e-other-class"));
    ASSERT_TRUE(moved->Id() && maximised->Id() && minimised->Id() && clock->Id());
    ASSERT_TRUE(Maximise(view, maximised->Id()));
    ASSERT_TRUE(MoveFrame(view, moved->Id(), {60, 420}));
    ASSERT_TRUE(Minimise(view, minimised->Id()));
    const std::vector<Window> targets{moved->Id(), maximised->Id(), minimised->Id()};
    const std::map<Window, Placement> before = PlacementsOf(targets);

    ProgramUnderTest program(DefaultsButTheClass());
    StartDocked(program);
    Shot(QStringLiteral("typical-0-standby"));

    // 1-3: the pointer at (2, 3): at the next tick every window of the class goes, the icon shows
    // the concealment picture and the sound is muted.
    MovePointer(kCorner);
    EXPECT_TRUE(WaitUntil([&] { return AllConcealed(targets); }, kTimeout)) << "the corner concealed nothing";
    EXPECT_TRUE(TrayIconShows(program, view, details, kConcealmentColour, kTimeout));
    EXPECT_TRUE(WaitUntil([] { return SinkMute() == QStringLiteral("yes"); }, kTimeout)) << "not muted";
    EXPECT_TRUE(IsShown(view, clock->Id())) << "a window of another class was concealed";
    Shot(QStringLiteral("typical-1-concealed"));

    // 4: the pointer leaves the corner: the hold keeps everything as it is.
    MovePointer(kCentre);
    EXPECT_FALSE(WaitUntil([&] { return CountConcealed(view, targets) < targets.size(); }, kQuiet))
        << "the hold let a window go";
    EXPECT_GE(TrayIconPixels(program, view, details).ShareNear(kConcealmentColour), 0.3);
    EXPECT_EQ(SinkMute(), QStringLiteral("yes"));

    // 5-6: a left click on the icon; at the next tick the windows are back as they were.
    program.ClickTrayIcon(view, 1);
    ExpectPlacedAsBefore(before);
    EXPECT_TRUE(IsShown(view, moved->Id()) && IsShown(view, maximised->Id()));
    EXPECT_TRUE(TrayIconShows(program, view, details, kStandbyColour, kTimeout));
    EXPECT_TRUE(WaitUntil([] { return SinkMute() == QStringLiteral("no"); }, kTimeout)) << "still muted";
    Shot(QStringLiteral("typical-2-restored"));

    EndProgram(program);
    EXPECT_EQ(program.IniValue(QStringLiteral("APP"), QStringLiteral("WinClasses")), TargetClass());
    EXPECT_EQ(program.IniText().count(QLatin1Char('=')), 17) << "every setting written";
}

// A trigger and its opposite, as a user gives them.
enum class Trigger { kTopLeftCorner, kTopEdge, kShift, kScrollLock };

struct TriggerCase {
    const char* name;
    Trigger trigger;
    const char* mousePosi;
    const char* trigMouse;  // hold after the pointer
    const char* shiftMode;
    const char* scrollMode;
    const char* trigKey;  // hold after Shift
    bool held;            // the concealment outlasts the trigger until the icon is clicked
};

void PrintTo(const TriggerCase& c, std::ostream* os) {
    *os << c.name;
}

class TriggerScenario : public ScenarioTest, public testing::WithParamInterface<TriggerCase> {
protected:
    void On(Trigger trigger) {
        if (trigger == Trigger::kTopLeftCorner) MovePointer(kCorner);
        if (trigger == Trigger::kTopEdge) MovePointer({kCentre.x(), 1});
        if (trigger == Trigger::kShift) shift.Press();
        if (trigger == Trigger::kScrollLock) PressKey(QStringLiteral("Scroll_Lock"));
    }

    // ScrollLock is switched off by the same key; the pointer leaves the zone for the middle.
    void Off(Trigger trigger) {
        if (trigger == Trigger::kTopLeftCorner || trigger == Trigger::kTopEdge) MovePointer(kCentre);
        if (trigger == Trigger::kShift) shift.Release();
        if (trigger == Trigger::kScrollLock) PressKey(QStringLiteral("Scroll_Lock"));
    }

    HeldKey shift{QStringLiteral("shift")};
};

TEST_P(TriggerScenario, ConcealsWhileOnAndHoldsOnlyWithItsBox) {
    const TriggerCase& c = GetParam();
    auto xterm = Xterm(QStringLiteral("e2e-trigger"));
    ASSERT_NE(xterm->Id(), 0u);
    const Window window = xterm->Id();
    ProgramUnderTest program(TestSettings({{QStringLiteral("MOUSE/MousePosi"), c.mousePosi},
                                           {QStringLiteral("MOUSE/blnTrigMouse"), c.trigMouse},
                                           {QStringLiteral("KEY/blnShiftMode"), c.shiftMode},
                                           {QStringLiteral("KEY/blnScrollMode"), c.scrollMode},
                                           {QStringLiteral("KEY/blnTrigKey"), c.trigKey}}));
    StartDocked(program);

    On(c.trigger);
    EXPECT_TRUE(WaitUntil([&] { return IsConcealed(view, window); }, kTimeout))
        << "the trigger concealed nothing";
    Off(c.trigger);
    if (c.held) {
        EXPECT_FALSE(WaitUntil([&] { return IsShown(view, window); }, kQuiet))
            << "the hold let the window go";
        program.ClickTrayIcon(view, 1);
    }
    EXPECT_TRUE(WaitUntil([&] { return IsShown(view, window); }, kTimeout)) << "the window did not come back";
    EndProgram(program);
}

// MousePosi 1 is the top-left corner, 32 the top edge; 0 watches no zone. Where a kind's own hold
// box is clear, the other kind's is ticked: each box holds only its own kind.
INSTANTIATE_TEST_SUITE_P(
    Triggers, TriggerScenario,
    testing::Values(TriggerCase{"CornerWithoutHold", Trigger::kTopLeftCorner, "1", "0", "0", "0", "1", false},
                    TriggerCase{"CornerHeld", Trigger::kTopLeftCorner, "1", "1", "0", "0", "0", true},
                    TriggerCase{"TopEdgeWithoutHold", Trigger::kTopEdge, "32", "0", "0", "0", "1", false},
                    TriggerCase{"TopEdgeHeld", Trigger::kTopEdge, "32", "1", "0", "0", "0", true},
                    TriggerCase{"ShiftWithoutHold", Trigger::kShift, "0", "1", "1", "0", "0", false},
                    TriggerCase{"ShiftHeld", Trigger::kShift, "0", "0", "1", "0", "1", true},
                    // Both hold boxes ticked: ScrollLock never holds.
                    TriggerCase{"ScrollLockNeverHeld", Trigger::kScrollLock, "0", "1", "0", "1", "1", false}),
    [](const testing::TestParamInfo<TriggerCase>& param) { return std::string(param.param.name); });

TEST_F(CycleScenario, WindowClosedWhileConcealedLeavesTheOthersToComeBack) {
    auto first = Xterm(QStringLiteral("e2e-stays-1"), QStringLiteral("50x8+100+150"));
    auto closed = Xterm(QStringLiteral("e2e-closed"), QStringLiteral("50x8+450+150"));
    auto second = Xterm(QStringLiteral("e2e-stays-2"), QStringLiteral("50x8+250+450"));
    ASSERT_TRUE(first->Id() && closed->Id() && second->Id());
    const std::vector<Window> staying{first->Id(), second->Id()};
    const std::map<Window, Placement> before = PlacementsOf(staying);
    ProgramUnderTest program(TestSettings({{QStringLiteral("MOUSE/blnTrigMouse"), QStringLiteral("0")}}));
    StartDocked(program);

    MovePointer(kCorner);
    ASSERT_TRUE(WaitUntil([&] { return AllConcealed({first->Id(), closed->Id(), second->Id()}); }, kTimeout));
    closed->Kill();
    ASSERT_TRUE(WaitUntil([&] { return view.Geometry(closed->Id()).isEmpty(); }, kTimeout)) << "not closed";

    MovePointer(kCentre);
    ExpectPlacedAsBefore(before);
    EXPECT_TRUE(AllShown(staying));
    EXPECT_TRUE(program.Running());
    Shot(QStringLiteral("closed-while-concealed"));

    // The next round goes as the first did.
    MovePointer(kCorner);
    EXPECT_TRUE(WaitUntil([&] { return AllConcealed(staying); }, kTimeout));
    MovePointer(kCentre);
    EXPECT_TRUE(WaitUntil([&] { return AllShown(staying); }, kTimeout));
    EndProgram(program);
}

}  // namespace
}  // namespace e2e::scenario
