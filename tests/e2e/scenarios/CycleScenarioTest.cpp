// The concealment cycle as a user meets it, with the real program, real xterms, trayer and
// pulseaudio: the typical event from the pointer in the corner to the click on the tray icon, each
// kind of trigger with and without its hold, and a window that closes while it is concealed.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "e2e/scenarios/ScenarioFixture.h"
#include "support/desktop/Input.h"

namespace e2e::scenario {
namespace {

using CycleScenario = ScenarioTest;

// The settings a user has after installing, but for the class of the test's xterms: the top-left
// corner of 5 pixels with its hold, Shift and ScrollLock watched, discovery by class, mute with
// automatic restore, the window shown at start-up.
QStringList defaultsButTheClass() {
    return {QStringLiteral("[APP]"), QStringLiteral("WinClasses=") + targetClass()};
}

TEST_F(CycleScenario, TypicalEventFromTheCornerToTheClickOnTheIcon) {
    // One xterm maximised, one that the user moved, one minimised; a window of another class.
    auto maximised = openXterm(QStringLiteral("e2e-maximised"), QStringLiteral("50x8+300+200"));
    auto moved = openXterm(QStringLiteral("e2e-moved"), QStringLiteral("50x8+120+150"));
    auto minimised = openXterm(QStringLiteral("e2e-minimised"), QStringLiteral("50x8+450+500"));
    auto clock = ClientProgram::xclock(view, QStringLiteral("e2e-other-class"));
    ASSERT_TRUE(moved->id() && maximised->id() && minimised->id() && clock->id());
    ASSERT_TRUE(maximise(view, maximised->id()));
    ASSERT_TRUE(moveFrame(view, moved->id(), {60, 420}));
    ASSERT_TRUE(minimise(view, minimised->id()));
    const std::vector<Window> targets{moved->id(), maximised->id(), minimised->id()};

    ProgramUnderTest program(defaultsButTheClass());
    startDocked(program);
    const std::map<Window, Placement> before = settledPlacementsOf(targets);
    shot(QStringLiteral("typical-0-standby"));

    // 1-3: the pointer at (2, 3): at the next tick every window of the class goes, the icon shows
    // the concealment picture and the sound is muted.
    movePointer(kCorner);
    EXPECT_TRUE(waitUntil([&] { return allConcealed(targets); }, kTimeout)) << "the corner concealed nothing";
    EXPECT_TRUE(trayIconShows(program, view, kConcealmentColour, kTimeout));
    EXPECT_TRUE(waitUntil([] { return sinkMute() == QStringLiteral("yes"); }, kTimeout)) << "not muted";
    EXPECT_TRUE(isShown(view, clock->id())) << "a window of another class was concealed";
    shot(QStringLiteral("typical-1-concealed"));

    // 4: the pointer leaves the corner: the hold keeps everything as it is.
    watch(targets);
    movePointer(kCentre);
    EXPECT_FALSE(mappedMeanwhile(targets)) << "the hold let a window go";
    EXPECT_TRUE(allConcealed(targets));
    EXPECT_GE(trayIconPixels(program, view).shareNear(kConcealmentColour), 0.3);
    EXPECT_EQ(sinkMute(), QStringLiteral("yes"));

    // 5-6: a left click on the icon; at the next tick the windows are back as they were.
    program.clickTrayIcon(view, 1);
    expectPlacedAsBefore(before);
    EXPECT_TRUE(isShown(view, moved->id()) && isShown(view, maximised->id()));
    EXPECT_TRUE(trayIconShows(program, view, kStandbyColour, kTimeout));
    EXPECT_TRUE(waitUntil([] { return sinkMute() == QStringLiteral("no"); }, kTimeout)) << "still muted";
    shot(QStringLiteral("typical-2-restored"));

    endProgram(program);
    EXPECT_EQ(program.iniValue(QStringLiteral("APP"), QStringLiteral("WinClasses")), targetClass());
    EXPECT_EQ(program.iniText().count(QLatin1Char('=')), 17) << "every setting written";
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
    void on(Trigger trigger) {
        if (trigger == Trigger::kTopLeftCorner) movePointer(kCorner);
        if (trigger == Trigger::kTopEdge) movePointer({kCentre.x(), 1});
        if (trigger == Trigger::kShift) shift.press();
        if (trigger == Trigger::kScrollLock) pressKey(QStringLiteral("Scroll_Lock"));
    }

    // ScrollLock is switched off by the same key; the pointer leaves the zone for the middle.
    void off(Trigger trigger) {
        if (trigger == Trigger::kTopLeftCorner || trigger == Trigger::kTopEdge) movePointer(kCentre);
        if (trigger == Trigger::kShift) shift.release();
        if (trigger == Trigger::kScrollLock) pressKey(QStringLiteral("Scroll_Lock"));
    }

    HeldKey shift{QStringLiteral("shift")};
};

TEST_P(TriggerScenario, ConcealsWhileOnAndHoldsOnlyWithItsBox) {
    const TriggerCase& c = GetParam();
    auto xterm = openXterm(QStringLiteral("e2e-trigger"));
    ASSERT_NE(xterm->id(), 0u);
    const Window window = xterm->id();
    ProgramUnderTest program(testSettings({{QStringLiteral("MOUSE/MousePosi"), c.mousePosi},
                                           {QStringLiteral("MOUSE/blnTrigMouse"), c.trigMouse},
                                           {QStringLiteral("KEY/blnShiftMode"), c.shiftMode},
                                           {QStringLiteral("KEY/blnScrollMode"), c.scrollMode},
                                           {QStringLiteral("KEY/blnTrigKey"), c.trigKey}}));
    startDocked(program);

    on(c.trigger);
    EXPECT_TRUE(waitUntil([&] { return isConcealed(view, window); }, kTimeout))
        << "the trigger concealed nothing";
    view.watch(window);
    off(c.trigger);
    if (c.held) {
        EXPECT_FALSE(mappedMeanwhile({window})) << "the hold let the window go";
        EXPECT_TRUE(isConcealed(view, window));
        program.clickTrayIcon(view, 1);
    }
    EXPECT_TRUE(waitUntil([&] { return isShown(view, window); }, kTimeout)) << "the window did not come back";
    endProgram(program);
}

// zoneMask 1 is the top-left corner, 32 the top edge; 0 watches no zone. Where a kind's own hold
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
    auto first = openXterm(QStringLiteral("e2e-stays-1"), QStringLiteral("50x8+100+150"));
    auto closed = openXterm(QStringLiteral("e2e-closed"), QStringLiteral("50x8+450+150"));
    auto second = openXterm(QStringLiteral("e2e-stays-2"), QStringLiteral("50x8+250+450"));
    ASSERT_TRUE(first->id() && closed->id() && second->id());
    const std::vector<Window> staying{first->id(), second->id()};
    const std::map<Window, Placement> before = placementsOf(staying);
    ProgramUnderTest program(testSettings({{QStringLiteral("MOUSE/blnTrigMouse"), QStringLiteral("0")}}));
    startDocked(program);

    movePointer(kCorner);
    ASSERT_TRUE(waitUntil([&] { return allConcealed({first->id(), closed->id(), second->id()}); }, kTimeout));
    closed->kill();
    ASSERT_TRUE(waitUntil([&] { return view.rootRect(closed->id()).isEmpty(); }, kTimeout)) << "not closed";

    movePointer(kCentre);
    expectPlacedAsBefore(before);
    EXPECT_TRUE(allShown(staying));
    EXPECT_TRUE(program.running());
    shot(QStringLiteral("closed-while-concealed"));

    // The next round goes as the first did.
    movePointer(kCorner);
    EXPECT_TRUE(waitUntil([&] { return allConcealed(staying); }, kTimeout));
    movePointer(kCentre);
    EXPECT_TRUE(waitUntil([&] { return allShown(staying); }, kTimeout));
    endProgram(program);
}

}  // namespace
}  // namespace e2e::scenario
