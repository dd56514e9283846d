// The tray icon's clicks without any display: the event table, the armed flag across buttons and
// double clicks, the lock's prompt, and the events dropped while a dialog is modal.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/TrayClicks.h"
#include "core/ConcealmentCycle.h"
#include "core/ControlValues.h"
#include "core/CycleFlags.h"
#include "core/MuteSwitch.h"
#include "core/TargetEntry.h"
#include "core/TargetRegistry.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeSoundOutput.h"
#include "fakes/FakeTrayIcon.h"
#include "fakes/FakeWindowServices.h"

namespace {

// The main window and the prompt as the tray's clicks see them. The prompt answers from a script.
class FakeTrayTarget final : public app::TrayClickTarget {
public:
    bool modalDialogOpen() override { return modal; }
    bool mainWindowVisible() override { return visible; }
    bool promptOpen() override { return promptIsOpen; }
    bool checkPassword() override {
        ++checks;
        if (whilePromptOpen) whilePromptOpen();
        const bool answer = answers.empty() ? false : answers.front();
        if (!answers.empty()) answers.pop_front();
        return answer;
    }
    void openMainWindow() override {
        ++opens;
        visible = true;
    }

    bool modal = false;
    bool visible = false;
    bool promptIsOpen = false;
    std::deque<bool> answers;               // the prompt's results, in order
    std::function<void()> whilePromptOpen;  // what happens while the prompt waits
    int checks = 0;
    int opens = 0;
};

class TrayClicksFixture : public testing::Test {
protected:
    fakes::FakeWindowServices windows;
    fakes::FakePrompter prompter;
    core::CycleFlags flags;
    core::TargetRegistry registry{windows, prompter, flags};
    fakes::FakeSoundOutput sound;
    core::MuteSwitch mute{sound};
    fakes::FakeTrayIcon icon;
    core::ControlValues values;
    core::ConcealmentCycle cycle{windows, registry, values, flags, mute, icon};
    FakeTrayTarget target;
    app::TrayClicks tray{values, flags, cycle, target};

    void deliver(const std::vector<core::TrayEvent>& events) {
        for (const core::TrayEvent event : events)
            tray.onTrayEvent(event);
    }
};

// --- the event table -----------------------------------------------------------------------------

struct ClickCase {
    std::string name;
    std::vector<core::TrayEvent> events;
    bool latch = false;    // held before
    int lockBox = 0;       // "ロック"
    bool visible = false;  // main window shown before
    bool promptOpen = false;
    std::deque<bool> answers;  // the password prompt's results
    // Expected:
    bool latchAfter = false;
    int checks = 0;
    int opens = 0;
};

void PrintTo(const ClickCase& c, std::ostream* os) {
    *os << c.name;
}

class TrayEventTable : public TrayClicksFixture, public testing::WithParamInterface<ClickCase> {};

TEST_P(TrayEventTable, ActsAsTheTableSays) {
    const ClickCase& c = GetParam();
    flags.held = c.latch;
    values.lockBox = c.lockBox;
    target.visible = c.visible;
    target.promptIsOpen = c.promptOpen;
    target.answers = c.answers;

    deliver(c.events);

    EXPECT_EQ(flags.held, c.latchAfter);
    EXPECT_EQ(target.checks, c.checks);
    EXPECT_EQ(target.opens, c.opens);
    EXPECT_FALSE(tray.trayArmed()) << "every case ends with a release";
}

constexpr core::TrayEvent kL = core::TrayEvent::LeftPress;
constexpr core::TrayEvent kLUp = core::TrayEvent::LeftRelease;
constexpr core::TrayEvent kLDbl = core::TrayEvent::LeftDoubleClick;
constexpr core::TrayEvent kR = core::TrayEvent::RightPress;
constexpr core::TrayEvent kRUp = core::TrayEvent::RightRelease;
constexpr core::TrayEvent kM = core::TrayEvent::MiddlePress;
constexpr core::TrayEvent kMUp = core::TrayEvent::MiddleRelease;

INSTANTIATE_TEST_SUITE_P(
    Clicks, TrayEventTable,
    testing::Values(
        // Left click: release the hold.
        ClickCase{"LeftWithoutLatchAsksNothing", {kL, kLUp}, false, 1, false, false, {}, false, 0, 0},
        ClickCase{"LeftReleasesLatchWhenUnlocked", {kL, kLUp}, true, 0, false, false, {}, false, 0, 0},
        ClickCase{"LeftLockedRightPassword", {kL, kLUp}, true, 1, false, false, {true}, false, 1, 0},
        ClickCase{"LeftLockedWrongPassword", {kL, kLUp}, true, 1, false, false, {false}, true, 1, 0},
        ClickCase{"LeftLockedWhilePromptOpen", {kL, kLUp}, true, 1, false, true, {true}, true, 0, 0},
        ClickCase{"LeftGreyedLockDoesNotAsk", {kL, kLUp}, true, 2, false, false, {}, false, 0, 0},
        // Right click: open the main window.
        ClickCase{"RightHiddenUnlocked", {kR, kRUp}, false, 0, false, false, {}, false, 0, 1},
        ClickCase{"RightHiddenLockedRightPassword", {kR, kRUp}, false, 1, false, false, {true}, false, 1, 1},
        ClickCase{"RightHiddenLockedWrongPassword", {kR, kRUp}, false, 1, false, false, {false}, false, 1, 0},
        ClickCase{"RightVisibleLockedAsksNothing", {kR, kRUp}, false, 1, true, false, {}, false, 0, 1},
        ClickCase{"RightHiddenLockedWhilePromptOpen", {kR, kRUp}, false, 1, false, true, {true}, false, 0, 0},
        ClickCase{"RightLeavesTheLatch", {kR, kRUp}, true, 0, false, false, {}, true, 0, 1},
        // One flag for both buttons; a release without a press does nothing.
        ClickCase{"LeftPressRightReleaseOpens", {kL, kRUp}, true, 0, false, false, {}, true, 0, 1},
        ClickCase{"RightPressLeftReleaseReleases", {kR, kLUp}, true, 0, false, false, {}, false, 0, 0},
        ClickCase{"LeftReleaseAloneDoesNothing", {kLUp}, true, 0, false, false, {}, true, 0, 0},
        ClickCase{"RightReleaseAloneDoesNothing", {kRUp}, false, 0, false, false, {}, false, 0, 0},
        // A double click: the first release acts, the double click and the second release do not.
        ClickCase{
            "DoubleClickAsksOnce", {kL, kLUp, kLDbl, kLUp}, true, 1, false, false, {false, true}, true, 1, 0},
        ClickCase{"DoubleRightClickOpensOnce", {kR, kRUp, kR, kRUp}, false, 0, false, false, {}, false, 0, 2},
        // Other events leave the flag as it is.
        ClickCase{
            "MiddleAndDoubleClickIgnored", {kM, kMUp, kLDbl, kLUp}, true, 0, false, false, {}, true, 0, 0},
        ClickCase{"OtherEventsKeepTheArming", {kL, kM, kMUp, kLUp}, true, 0, false, false, {}, false, 0, 0}),
    [](const testing::TestParamInfo<ClickCase>& param) { return param.param.name; });

// --- modal dialogs -------------------------------------------------------------------------------

TEST_F(TrayClicksFixture, EventsWhileADialogIsModalAreDropped) {
    flags.held = true;
    target.modal = true;
    deliver({kL, kLUp, kR, kRUp});
    EXPECT_TRUE(flags.held);
    EXPECT_EQ(target.opens, 0);
    EXPECT_FALSE(tray.trayArmed());

    // A press made while the dialog was open does not arm a release made after it closed.
    target.modal = true;
    deliver({kL});
    target.modal = false;
    deliver({kLUp});
    EXPECT_TRUE(flags.held);
}

TEST_F(TrayClicksFixture, ClicksDuringThePromptDoNothing) {
    // The program's prompt is modal: while it waits, the tray's events reach a disabled window.
    flags.held = true;
    values.lockBox = 1;
    target.answers = {true};
    target.whilePromptOpen = [this] {
        target.modal = true;
        target.promptIsOpen = true;
        deliver({kL, kLUp, kLDbl, kLUp, kR, kRUp});
        target.modal = false;
        target.promptIsOpen = false;
    };
    deliver({kL, kLUp});
    EXPECT_EQ(target.checks, 1);
    EXPECT_EQ(target.opens, 0);
    EXPECT_FALSE(flags.held);
}

// --- a request from a second start ---------------------------------------------------------------

TEST_F(TrayClicksFixture, OpenRequestTakesTheRightClicksPath) {
    values.lockBox = 1;
    target.answers = {false, true};
    tray.openRequest();
    EXPECT_EQ(target.checks, 1);
    EXPECT_EQ(target.opens, 0);
    tray.openRequest();
    EXPECT_EQ(target.opens, 1);
    tray.openRequest();  // visible now: no question
    EXPECT_EQ(target.checks, 2);
    EXPECT_EQ(target.opens, 2);
    EXPECT_FALSE(tray.trayArmed());

    target.modal = true;
    tray.openRequest();
    EXPECT_EQ(target.opens, 2);
}

// --- with the concealment cycle ------------------------------------------------------------------

TEST_F(TrayClicksFixture, ReleasedHoldRestoresAtTheNextTickWithoutTrigger) {
    values.zoneMask = core::kZoneTopLeft;
    values.zoneThickness = 5;
    values.holdMouseBox = 1;
    values.pictures = {1, 2};
    const core::WindowHandle handle = windows.open(QStringLiteral("XTerm"), QStringLiteral("xterm"));
    registry.addTargetEntry(core::formatTargetEntry(QStringLiteral("xterm"), handle));
    registry.refreshTargetList();

    windows.pointer = core::Point{2, 3};
    cycle.tick();
    ASSERT_TRUE(windows.isHidden(handle));
    windows.pointer = core::Point{500, 400};
    cycle.tick();
    EXPECT_TRUE(windows.isHidden(handle)) << "the hold keeps the concealment";

    deliver({kL, kLUp});
    EXPECT_TRUE(windows.isHidden(handle)) << "the click only releases the hold";
    cycle.tick();
    EXPECT_FALSE(windows.isHidden(handle));
    EXPECT_EQ(icon.shown, 1u);
}

}  // namespace
