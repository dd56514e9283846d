// The concealment cycle: triggers, states, latch, icon and sound.
#include <gtest/gtest.h>

#include "CoreFixture.h"

namespace coretest {
namespace {

using fakes::FakeMixerDevice;
using fakes::FakeWindowServices;

class ConcealmentCycleTest : public CoreFixture {
protected:
    core::WindowHandle target = 0;

    void SetUp() override { target = OpenAndPick("target", FakeWindowServices::Normal(10, 20, 300, 200)); }

    void MouseAt(int x, int y) { windows.pointer = core::Point{x, y}; }
    void Tick() { cycle.tmrActive_Timer(); }
};

// --- what a tick reads ---

TEST_F(ConcealmentCycleTest, AnIdleTickReadsTheInputOnceAndTouchesNoWindow) {
    windows.ClearRecords();
    Tick();
    ASSERT_EQ(windows.inputQueries.size(), 1u);
    EXPECT_TRUE(windows.inputQueries[0].pointer);
    EXPECT_TRUE(windows.inputQueries[0].shift);
    EXPECT_TRUE(windows.inputQueries[0].scrollLock);
    EXPECT_EQ(windows.WindowCalls(), 0);
    EXPECT_TRUE(icon.modified.empty());
    EXPECT_TRUE(mixerDevice.calls.empty());
}

TEST_F(ConcealmentCycleTest, ConcealingAndRestoringAskAboutAllTargetsInOneCallPerStep) {
    const auto second = OpenAndPick("second", FakeWindowServices::Normal());
    const std::vector<core::WindowHandle> both = {target, second};
    using Reads = std::vector<std::vector<core::WindowHandle>>;
    windows.ClearRecords();
    TickWithScrollLock(true);
    // The list is pruned before and after discovery, then every placement is read, each in one call
    // and nothing one by one besides.
    EXPECT_EQ(windows.existenceReads, (Reads{both, both}));
    EXPECT_EQ(windows.isWindowCalls, 4);
    EXPECT_EQ(windows.placementReads, Reads{both});
    EXPECT_EQ(windows.getPlacementCalls, 2);

    windows.ClearRecords();
    TickWithScrollLock(false);
    EXPECT_EQ(windows.placementReads, Reads{both});
    EXPECT_EQ(windows.getPlacementCalls, 2);
    EXPECT_EQ(windows.batches, 1);
}

TEST_F(ConcealmentCycleTest, OnlyWatchedInputsAreRead) {
    controls.ZoneMask = 0;
    controls.blnShiftMode = false;
    windows.ClearRecords();
    MouseAt(0, 0);
    windows.shiftDown = true;
    Tick();
    ASSERT_EQ(windows.inputQueries.size(), 1u);
    EXPECT_FALSE(windows.inputQueries[0].pointer);
    EXPECT_FALSE(windows.inputQueries[0].shift);
    EXPECT_TRUE(windows.inputQueries[0].scrollLock);
    EXPECT_EQ(windows.screenSizeCalls, 0);
    EXPECT_FALSE(flags.blnHideFlg);
    EXPECT_FALSE(flags.blnTrigLatch);

    controls.blnScrollMode = false;
    windows.ClearRecords();
    Tick();
    EXPECT_TRUE(windows.inputQueries.empty());  // nothing watched: nothing read
}

TEST_F(ConcealmentCycleTest, AnUnknownScreenSizeOrPointerGivesNoZone) {
    controls.ZoneMask = 0xFF;
    windows.screen = {0, 0};
    MouseAt(0, 0);
    Tick();
    EXPECT_FALSE(windows.inputQueries.back().pointer);
    windows.screen = {1024, 768};
    windows.pointer.reset();  // on another screen
    Tick();
    EXPECT_FALSE(flags.blnHideFlg);
    MouseAt(1023, 767);
    Tick();
    EXPECT_TRUE(flags.blnHideFlg);
}

TEST_F(ConcealmentCycleTest, OnlyZonesInTheMaskTrigger) {
    controls.ZoneMask = core::kZoneBottomRight | core::kZoneTop;
    MouseAt(2, 3);  // top-left
    Tick();
    EXPECT_FALSE(flags.blnHideFlg);
    MouseAt(500, 0);
    Tick();
    EXPECT_TRUE(flags.blnHideFlg);
}

// --- the two states ---

struct StateCase {
    const char* name;
    bool concealed;  // state before the tick
    bool latch;      // latch before the tick (set by hand)
    bool trigger;    // ScrollLock on at the tick (ScrollLock never sets the latch)
    bool targets;    // a target exists
    bool concealedAfter;
    int hidesAtTick;     // windows hidden by the tick
    int restoresAtTick;  // windows shown by the tick
};

TEST_F(ConcealmentCycleTest, StateTable) {
    const StateCase cases[] = {
        {"standby, trigger on", false, false, true, true, true, 1, 0},
        {"standby, trigger on, nothing to conceal", false, false, true, false, false, 0, 0},
        {"standby, trigger off", false, false, false, true, false, 0, 0},
        {"standby, trigger off, latch", false, true, false, true, false, 0, 0},
        {"concealed, trigger on", true, false, true, true, true, 0, 0},
        {"concealed, trigger off", true, false, false, true, false, 0, 1},
        {"concealed, trigger off, latch", true, true, false, true, true, 0, 0},
    };
    for (const StateCase& c : cases) {
        SCOPED_TRACE(c.name);
        flags = {};
        icon.modified.clear();
        for (auto& w : windows.windows)
            w.withdrawn = false;
        if (!c.targets) {
            windows.Close(target);
            registry.RefreshTargetList();
        }
        if (c.concealed) TickWithScrollLock(true);
        ASSERT_EQ(flags.blnHideFlg, c.concealed);
        flags.blnTrigLatch = c.latch;
        windows.ClearRecords();

        TickWithScrollLock(c.trigger);

        EXPECT_EQ(flags.blnHideFlg, c.concealedAfter);
        int hides = 0;
        int restores = 0;
        for (const auto& call : windows.placementCalls)
            ++(call.placement.showCmd == core::kShowHide ? hides : restores);
        EXPECT_EQ(hides, c.hidesAtTick);
        EXPECT_EQ(restores, c.restoresAtTick);
        // A tick that changes nothing reads no placement.
        if (hides == 0 && restores == 0) {
            EXPECT_EQ(windows.getPlacementCalls, 0);
        }
        EXPECT_EQ(flags.blnTrigLatch, c.latch);
        if (!c.targets) {
            target = OpenAndPick("target", FakeWindowServices::Normal(10, 20, 300, 200));
        }
    }
}

TEST_F(ConcealmentCycleTest, ConcealmentSwitchesTheIconAndRestoreSwitchesItBack) {
    TickWithScrollLock(true);
    EXPECT_TRUE(windows.IsHidden(target));
    EXPECT_EQ(icon.modified, std::vector<core::IconHandle>{kConcealIcon});
    EXPECT_EQ(trayIconData.hIcon, kConcealIcon);

    // New pictures chosen while concealed: the standby one shows at the restore, the concealment
    // one from the next concealment on.
    controls.imgIcon = {0x601, 0x602};
    TickWithScrollLock(false);
    TickWithScrollLock(true);
    EXPECT_EQ(icon.modified, (std::vector<core::IconHandle>{kConcealIcon, 0x601, 0x602}));
}

TEST_F(ConcealmentCycleTest, WindowsComeBackWithTheRectanglesAndStateTheyHadWhenConcealed) {
    core::WindowPlacement maximised = FakeWindowServices::Normal(50, 60, 700, 500);
    maximised.showCmd = core::kShowMaximized;
    core::WindowPlacement minimised = FakeWindowServices::Normal(70, 80, 400, 300);
    minimised.showCmd = core::kShowMinimized;
    minimised.flags = core::kRestoreToMaximized;
    minimised.desktop = 2;
    const auto max = OpenAndPick("max", maximised);
    const auto min = OpenAndPick("min", minimised);
    windows.Find(target)->placement.framePosition = {333, 222};  // moved before the concealment
    const core::WindowPlacement moved = windows.Find(target)->placement;

    TickWithScrollLock(true);
    for (auto& w : windows.windows)
        w.placement = FakeWindowServices::Normal(0, 0, 1, 1);  // scrambled meanwhile
    windows.ClearRecords();
    TickWithScrollLock(false);

    EXPECT_EQ(windows.batches, 1);  // one batch for all
    EXPECT_EQ(windows.Find(target)->placement, moved);
    EXPECT_EQ(windows.Find(max)->placement, maximised);
    EXPECT_EQ(windows.Find(min)->placement, minimised);
    ASSERT_EQ(windows.placementCalls.size(), 3u);
    EXPECT_EQ(windows.placementCalls[0].handle, target);  // list order: bottom to top as discovered
    EXPECT_EQ(windows.placementCalls[2].handle, min);
}

TEST_F(ConcealmentCycleTest, EveryPlacementIsReadBeforeTheFirstWindowIsHidden) {
    OpenAndPick("second", FakeWindowServices::Normal());
    windows.ClearRecords();
    TickWithScrollLock(true);
    EXPECT_EQ(windows.batches, 1);
    ASSERT_EQ(windows.placementCalls.size(), 2u);
    for (const auto& call : windows.placementCalls)
        EXPECT_EQ(call.placement.showCmd, core::kShowHide);
}

TEST_F(ConcealmentCycleTest, AWindowOfAListedClassOpenedWhileConcealedStaysVisibleUntilTheNextConcealment) {
    registry.SetClassList({"XTerm"});
    TickWithScrollLock(true);
    const auto late = windows.Open("XTerm", "late");
    Tick();
    EXPECT_FALSE(windows.IsHidden(late));
    EXPECT_EQ(registry.TargetCount(), 1);
    TickWithScrollLock(false);
    TickWithScrollLock(true);
    EXPECT_TRUE(windows.IsHidden(late));
    EXPECT_EQ(registry.TargetCount(), 2);
}

TEST_F(ConcealmentCycleTest, WithAnEmptyListDiscoveryRunsAtEveryTickOfTheTrigger) {
    windows.Close(target);
    registry.RefreshTargetList();
    registry.SetClassList({"XTerm"});
    windows.ClearRecords();
    MouseAt(0, 0);
    for (int i = 0; i < 3; ++i)
        Tick();
    EXPECT_EQ(windows.enumCalls, 3);
    EXPECT_FALSE(flags.blnHideFlg);
    EXPECT_TRUE(flags.blnTrigLatch);  // the latch is set all the same
    EXPECT_TRUE(icon.modified.empty());
    EXPECT_TRUE(mixerDevice.calls.empty());

    const auto shell = windows.Open("XTerm", "shell");
    Tick();
    EXPECT_TRUE(flags.blnHideFlg);
    EXPECT_TRUE(windows.IsHidden(shell));
}

TEST_F(ConcealmentCycleTest, WithoutDiscoveryAnEmptyListChangesNothingVisible) {
    windows.Close(target);
    registry.RefreshTargetList();
    controls.chkIE = 0;
    windows.Open("IEFrame", "browser");
    windows.ClearRecords();
    TickWithScrollLock(true);
    EXPECT_EQ(windows.WindowCalls(), 0);
    EXPECT_FALSE(flags.blnHideFlg);
    EXPECT_TRUE(icon.modified.empty());
}

// --- the latch ---

struct LatchCase {
    const char* name;
    int trigger;  // 0 mouse zone, 1 Shift, 2 ScrollLock
    int box;      // value of the matching "トリガ" box
    bool latched;
};

TEST_F(ConcealmentCycleTest, LatchTable) {
    const LatchCase cases[] = {
        {"mouse, box ticked", 0, 1, true},  {"mouse, box clear", 0, 0, false},
        {"mouse, box greyed", 0, 2, false}, {"Shift, box ticked", 1, 1, true},
        {"Shift, box clear", 1, 0, false},  {"ScrollLock, both boxes ticked", 2, 1, false},
    };
    for (const LatchCase& c : cases) {
        SCOPED_TRACE(c.name);
        flags.blnTrigLatch = false;
        controls.chkTrigMouse = c.trigger == 0 ? c.box : 1;
        controls.chkTrigKey = c.trigger == 1 ? c.box : 1;
        if (c.trigger == 0) {
            MouseAt(0, 0);
        } else {
            MouseAt(500, 400);
        }
        windows.shiftDown = c.trigger == 1;
        windows.scrollLockOn = c.trigger == 2;
        Tick();
        EXPECT_TRUE(flags.blnHideFlg);
        EXPECT_EQ(flags.blnTrigLatch, c.latched);

        // The trigger ends: the latch holds the concealment until it is released.
        MouseAt(500, 400);
        windows.shiftDown = false;
        windows.scrollLockOn = false;
        Tick();
        EXPECT_EQ(flags.blnHideFlg, c.latched);
        cycle.ReleaseLatch();
        Tick();
        EXPECT_FALSE(flags.blnHideFlg);
    }
}

TEST_F(ConcealmentCycleTest, AReleaseWhileAHoldingTriggerIsStillOnIsUndoneAtTheNextTick) {
    windows.shiftDown = true;
    Tick();
    cycle.ReleaseLatch();
    Tick();
    EXPECT_TRUE(flags.blnTrigLatch);
    windows.shiftDown = false;
    Tick();
    EXPECT_TRUE(flags.blnHideFlg);
}

TEST_F(ConcealmentCycleTest, TheLatchIsSetAlsoWhileAlreadyConcealedByScrollLock) {
    TickWithScrollLock(true);
    EXPECT_FALSE(flags.blnTrigLatch);
    MouseAt(0, 0);
    Tick();
    EXPECT_TRUE(flags.blnTrigLatch);
    MouseAt(500, 400);
    TickWithScrollLock(false);  // ScrollLock off, but the mouse set the latch meanwhile
    EXPECT_TRUE(flags.blnHideFlg);
}

TEST_F(ConcealmentCycleTest, ShiftWithoutItsBoxConcealsExactlyWhileHeld) {
    controls.chkTrigKey = 0;
    windows.shiftDown = true;
    Tick();
    EXPECT_TRUE(flags.blnHideFlg);
    Tick();
    EXPECT_TRUE(flags.blnHideFlg);
    windows.shiftDown = false;
    Tick();
    EXPECT_FALSE(flags.blnHideFlg);
    EXPECT_FALSE(windows.IsHidden(target));
}

// --- the sound ---

struct MuteCase {
    const char* name;
    int chkMute;
    int chkMuteAuto;
    std::uint32_t mutedBefore;
    std::uint32_t mutedWhileConcealed;
    std::uint32_t mutedAfterRestore;
    bool savedAfter;  // blnMuteSaved after the cycle
};

TEST_F(ConcealmentCycleTest, MuteTable) {
    const MuteCase cases[] = {
        {"mute and restore", 1, 1, 0, 1, 0, false},
        {"already muted stays muted", 1, 1, 1, 1, 1, true},
        {"mute without restore", 1, 0, 0, 1, 1, false},
        {"no mute", 0, 1, 0, 0, 0, false},
        {"no mute, muted by the user", 0, 1, 1, 1, 1, false},
    };
    for (const MuteCase& c : cases) {
        SCOPED_TRACE(c.name);
        flags = {};
        controls.chkMute = c.chkMute;
        controls.chkMuteAuto = c.chkMuteAuto;
        mixerDevice.muteValue = c.mutedBefore;
        TickWithScrollLock(true);
        EXPECT_EQ(mixerDevice.muteValue, c.mutedWhileConcealed);
        TickWithScrollLock(false);
        EXPECT_EQ(mixerDevice.muteValue, c.mutedAfterRestore);
        EXPECT_EQ(flags.blnMuteSaved, c.savedAfter);
        EXPECT_TRUE(mixerDevice.openHandles.empty());  // every use ends with CloseMixer
        EXPECT_EQ(mixer.hMixer(), 0u);
        EXPECT_EQ(mixer.lngMuteCtrlID(), 0u);
    }
}

TEST_F(ConcealmentCycleTest, ClearingMuteWhileConcealedLeavesTheSoundAloneAtTheRestore) {
    TickWithScrollLock(true);
    ASSERT_EQ(mixerDevice.muteValue, 1u);
    controls.chkMute = 0;
    mixerDevice.calls.clear();
    TickWithScrollLock(false);
    EXPECT_TRUE(mixerDevice.calls.empty());
    EXPECT_EQ(mixerDevice.muteValue, 1u);
}

TEST_F(ConcealmentCycleTest, TickingMuteAfterAConcealmentThatDidNotMuteLeavesTheSoundAlone) {
    // An earlier concealment saved "muted"; the user unmutes and later mutes by hand.
    mixerDevice.muteValue = 1;
    TickWithScrollLock(true);
    TickWithScrollLock(false);
    ASSERT_TRUE(flags.blnMuteSaved);
    controls.chkMute = 0;
    mixerDevice.muteValue = 0;
    TickWithScrollLock(true);
    controls.chkMute = 1;  // ticked only now
    mixerDevice.calls.clear();
    TickWithScrollLock(false);
    // Nothing was saved by this concealment, so there is nothing to put back.
    EXPECT_TRUE(mixerDevice.calls.empty());
    EXPECT_EQ(mixerDevice.muteValue, 0u);
}

TEST_F(ConcealmentCycleTest, WithoutAMixerConcealmentAndRestoreGoOnAndTheSavedStateIsKept) {
    flags.blnMuteSaved = true;
    mixerDevice.scenario = FakeMixerDevice::Scenario::kNoMixer;
    TickWithScrollLock(true);
    EXPECT_TRUE(flags.blnHideFlg);
    EXPECT_TRUE(windows.IsHidden(target));
    EXPECT_TRUE(flags.blnMuteSaved);
    TickWithScrollLock(false);
    EXPECT_FALSE(windows.IsHidden(target));
    EXPECT_EQ(mixer.hMixer(), 0u);

    mixerDevice.scenario = FakeMixerDevice::Scenario::kRefusedRead;
    TickWithScrollLock(true);
    EXPECT_TRUE(flags.blnMuteSaved);  // a failed read leaves it as it was
    EXPECT_TRUE(mixerDevice.openHandles.empty());
}

}  // namespace
}  // namespace coretest
