// The tray icon's clicks without any display: the event table, the armed flag across buttons and
// double clicks, the lock's prompt, and the events dropped while a dialog is modal.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "audio/mMixer.h"
#include "core/ConcealmentCycle.h"
#include "core/ControlValues.h"
#include "core/CycleFlags.h"
#include "core/TargetEntry.h"
#include "core/TargetRegistry.h"
#include "fakes/FakeMixerDevice.h"
#include "fakes/FakeNotifyIcon.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeWindowServices.h"
#include "ui/TrayClicks.h"

namespace {

// The main window and the prompt as the tray's clicks see them. The prompt answers from a script.
class FakeTrayTarget final : public ui::TrayClickTarget {
public:
    bool ModalDialogOpen() override { return modal; }
    bool MainWindowVisible() override { return visible; }
    bool PromptOpen() override { return promptOpen; }
    bool CheckPassword() override {
        ++checks;
        if (whilePromptOpen) whilePromptOpen();
        const bool answer = answers.empty() ? false : answers.front();
        if (!answers.empty()) answers.pop_front();
        return answer;
    }
    void OpenMainWindow() override {
        ++opens;
        visible = true;
    }

    bool modal = false;
    bool visible = false;
    bool promptOpen = false;
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
    fakes::FakeMixerDevice device;
    audio::mMixer mixer{device};
    fakes::FakeNotifyIcon icon;
    core::TrayIconData trayIconData;
    core::ControlValues values;
    core::ConcealmentCycle cycle{windows, registry, values, flags, mixer, icon, trayIconData};
    FakeTrayTarget target;
    ui::TrayClicks tray{values, flags, cycle, target};

    void Deliver(const std::vector<int>& events) {
        for (const int eventNumber : events)
            tray.Form_MouseMove(eventNumber);
    }
};

// --- the event table -----------------------------------------------------------------------------

struct ClickCase {
    std::string name;
    std::vector<int> events;
    bool latch = false;    // blnTrigLatch before
    int chkLock = 0;       // "ロック"
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
    flags.blnTrigLatch = c.latch;
    values.chkLock = c.chkLock;
    target.visible = c.visible;
    target.promptOpen = c.promptOpen;
    target.answers = c.answers;

    Deliver(c.events);

    EXPECT_EQ(flags.blnTrigLatch, c.latchAfter);
    EXPECT_EQ(target.checks, c.checks);
    EXPECT_EQ(target.opens, c.opens);
    EXPECT_FALSE(tray.blnTrayArmed()) << "every case ends with a release";
}

constexpr int kL = core::kIconLeftDown;
constexpr int kLUp = core::kIconLeftUp;
constexpr int kLDbl = core::kIconLeftDoubleClick;
constexpr int kR = core::kIconRightDown;
constexpr int kRUp = core::kIconRightUp;

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
            "MiddleAndMovesIgnored", {512, 519, 520, kLDbl, kLUp}, true, 0, false, false, {}, true, 0, 0},
        ClickCase{"OtherEventsKeepTheArming", {kL, 512, 519, kLUp}, true, 0, false, false, {}, false, 0, 0}),
    [](const testing::TestParamInfo<ClickCase>& param) { return param.param.name; });

// --- modal dialogs -------------------------------------------------------------------------------

TEST_F(TrayClicksFixture, EventsWhileADialogIsModalAreDropped) {
    flags.blnTrigLatch = true;
    target.modal = true;
    Deliver({kL, kLUp, kR, kRUp});
    EXPECT_TRUE(flags.blnTrigLatch);
    EXPECT_EQ(target.opens, 0);
    EXPECT_FALSE(tray.blnTrayArmed());

    // A press made while the dialog was open does not arm a release made after it closed.
    target.modal = true;
    Deliver({kL});
    target.modal = false;
    Deliver({kLUp});
    EXPECT_TRUE(flags.blnTrigLatch);
}

TEST_F(TrayClicksFixture, ClicksDuringThePromptDoNothing) {
    // The program's prompt is modal: while it waits, the tray's events reach a disabled window.
    flags.blnTrigLatch = true;
    values.chkLock = 1;
    target.answers = {true};
    target.whilePromptOpen = [this] {
        target.modal = true;
        target.promptOpen = true;
        Deliver({kL, kLUp, kLDbl, kLUp, kR, kRUp});
        target.modal = false;
        target.promptOpen = false;
    };
    Deliver({kL, kLUp});
    EXPECT_EQ(target.checks, 1);
    EXPECT_EQ(target.opens, 0);
    EXPECT_FALSE(flags.blnTrigLatch);
}

// --- a request from a second start ---------------------------------------------------------------

TEST_F(TrayClicksFixture, OpenRequestTakesTheRightClicksPath) {
    values.chkLock = 1;
    target.answers = {false, true};
    tray.OpenRequest();
    EXPECT_EQ(target.checks, 1);
    EXPECT_EQ(target.opens, 0);
    tray.OpenRequest();
    EXPECT_EQ(target.opens, 1);
    tray.OpenRequest();  // visible now: no question
    EXPECT_EQ(target.checks, 2);
    EXPECT_EQ(target.opens, 2);
    EXPECT_FALSE(tray.blnTrayArmed());

    target.modal = true;
    tray.OpenRequest();
    EXPECT_EQ(target.opens, 2);
}

// --- with the concealment cycle ------------------------------------------------------------------

TEST_F(TrayClicksFixture, ReleasedHoldRestoresAtTheNextTickWithoutTrigger) {
    values.ZoneMask = core::kZoneTopLeft;
    values.lngPixels = 5;
    values.chkTrigMouse = 1;
    values.imgIcon = {1, 2};
    const core::WindowHandle hWnd = windows.Open(QStringLiteral("XTerm"), QStringLiteral("xterm"));
    registry.AddTargetEntry(core::FormatTargetEntry(QStringLiteral("xterm"), hWnd));
    registry.RefreshTargetList();

    windows.pointer = core::Point{2, 3};
    cycle.tmrActive_Timer();
    ASSERT_TRUE(windows.IsHidden(hWnd));
    windows.pointer = core::Point{500, 400};
    cycle.tmrActive_Timer();
    EXPECT_TRUE(windows.IsHidden(hWnd)) << "the hold keeps the concealment";

    Deliver({kL, kLUp});
    EXPECT_TRUE(windows.IsHidden(hWnd)) << "the click only releases the hold";
    cycle.tmrActive_Timer();
    EXPECT_FALSE(windows.IsHidden(hWnd));
    EXPECT_EQ(icon.shown, 1u);
}

}  // namespace
