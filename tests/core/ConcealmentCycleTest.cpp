// The concealment cycle: triggers, states, latch, icon and sound.
#include <gtest/gtest.h>

#include "CoreFixture.h"

namespace coretest {
namespace {

using fakes::FakeSoundOutput;
using fakes::FakeWindowServices;

class ConcealmentCycleTest : public CoreFixture {
protected:
    core::WindowHandle target = 0;

    void SetUp() override { target = openAndPick("target", FakeWindowServices::normal(10, 20, 300, 200)); }

    void mouseAt(int x, int y) { windows.pointer = core::Point{x, y}; }
    void tick() { cycle.tick(); }
};

// --- what a tick reads ---

TEST_F(ConcealmentCycleTest, AnIdleTickReadsTheInputOnceAndTouchesNoWindow) {
    windows.clearRecords();
    tick();
    ASSERT_EQ(windows.inputQueries.size(), 1u);
    EXPECT_TRUE(windows.inputQueries[0].pointer);
    EXPECT_TRUE(windows.inputQueries[0].shift);
    EXPECT_TRUE(windows.inputQueries[0].scrollLock);
    EXPECT_EQ(windows.windowCalls(), 0);
    EXPECT_TRUE(icon.modified.empty());
    EXPECT_TRUE(sound.calls.empty());
}

TEST_F(ConcealmentCycleTest, ConcealingAndRestoringAskAboutAllTargetsInOneCallPerStep) {
    const auto second = openAndPick("second", FakeWindowServices::normal());
    const std::vector<core::WindowHandle> both = {target, second};
    using Reads = std::vector<std::vector<core::WindowHandle>>;
    windows.clearRecords();
    tickWithScrollLock(true);
    // The list is pruned before and after discovery, then every placement is read, each in one call
    // and nothing one by one besides.
    EXPECT_EQ(windows.existenceReads, (Reads{both, both}));
    EXPECT_EQ(windows.isWindowCalls, 4);
    EXPECT_EQ(windows.placementReads, Reads{both});
    EXPECT_EQ(windows.getPlacementCalls, 2);

    windows.clearRecords();
    tickWithScrollLock(false);
    EXPECT_EQ(windows.placementReads, Reads{both});
    EXPECT_EQ(windows.getPlacementCalls, 2);
    EXPECT_EQ(windows.batches, 1);
}

TEST_F(ConcealmentCycleTest, OnlyWatchedInputsAreRead) {
    controls.zoneMask = 0;
    controls.shiftMode = false;
    windows.clearRecords();
    mouseAt(0, 0);
    windows.shiftDown = true;
    tick();
    ASSERT_EQ(windows.inputQueries.size(), 1u);
    EXPECT_FALSE(windows.inputQueries[0].pointer);
    EXPECT_FALSE(windows.inputQueries[0].shift);
    EXPECT_TRUE(windows.inputQueries[0].scrollLock);
    EXPECT_EQ(windows.screenSizeCalls, 0);
    EXPECT_FALSE(flags.concealed);
    EXPECT_FALSE(flags.held);

    controls.scrollLockMode = false;
    windows.clearRecords();
    tick();
    EXPECT_TRUE(windows.inputQueries.empty());  // nothing watched: nothing read
}

TEST_F(ConcealmentCycleTest, AnUnknownScreenSizeOrPointerGivesNoZone) {
    controls.zoneMask = 0xFF;
    windows.screen = {0, 0};
    mouseAt(0, 0);
    tick();
    EXPECT_FALSE(windows.inputQueries.back().pointer);
    windows.screen = {1024, 768};
    windows.pointer.reset();  // on another screen
    tick();
    EXPECT_FALSE(flags.concealed);
    mouseAt(1023, 767);
    tick();
    EXPECT_TRUE(flags.concealed);
}

TEST_F(ConcealmentCycleTest, OnlyZonesInTheMaskTrigger) {
    controls.zoneMask = core::kZoneBottomRight | core::kZoneTop;
    mouseAt(2, 3);  // top-left
    tick();
    EXPECT_FALSE(flags.concealed);
    mouseAt(500, 0);
    tick();
    EXPECT_TRUE(flags.concealed);
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
            windows.close(target);
            registry.refreshTargetList();
        }
        if (c.concealed) tickWithScrollLock(true);
        ASSERT_EQ(flags.concealed, c.concealed);
        flags.held = c.latch;
        windows.clearRecords();

        tickWithScrollLock(c.trigger);

        EXPECT_EQ(flags.concealed, c.concealedAfter);
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
        EXPECT_EQ(flags.held, c.latch);
        if (!c.targets) {
            target = openAndPick("target", FakeWindowServices::normal(10, 20, 300, 200));
        }
    }
}

TEST_F(ConcealmentCycleTest, ConcealmentSwitchesTheIconAndRestoreSwitchesItBack) {
    tickWithScrollLock(true);
    EXPECT_TRUE(windows.isHidden(target));
    EXPECT_EQ(icon.modified, std::vector<core::IconHandle>{kConcealIcon});

    // New pictures chosen while concealed: the standby one shows at the restore, the concealment
    // one from the next concealment on.
    controls.pictures = {0x601, 0x602};
    tickWithScrollLock(false);
    tickWithScrollLock(true);
    EXPECT_EQ(icon.modified, (std::vector<core::IconHandle>{kConcealIcon, 0x601, 0x602}));
}

TEST_F(ConcealmentCycleTest, WindowsComeBackWithTheRectanglesAndStateTheyHadWhenConcealed) {
    core::WindowPlacement maximised = FakeWindowServices::normal(50, 60, 700, 500);
    maximised.showCmd = core::kShowMaximized;
    core::WindowPlacement minimised = FakeWindowServices::normal(70, 80, 400, 300);
    minimised.showCmd = core::kShowMinimized;
    minimised.flags = core::kRestoreToMaximized;
    minimised.desktop = 2;
    const auto max = openAndPick("max", maximised);
    const auto min = openAndPick("min", minimised);
    windows.find(target)->placement.framePosition = {333, 222};  // moved before the concealment
    const core::WindowPlacement moved = windows.find(target)->placement;

    tickWithScrollLock(true);
    for (auto& w : windows.windows)
        w.placement = FakeWindowServices::normal(0, 0, 1, 1);  // scrambled meanwhile
    windows.clearRecords();
    tickWithScrollLock(false);

    EXPECT_EQ(windows.batches, 1);  // one batch for all
    EXPECT_EQ(windows.find(target)->placement, moved);
    EXPECT_EQ(windows.find(max)->placement, maximised);
    EXPECT_EQ(windows.find(min)->placement, minimised);
    ASSERT_EQ(windows.placementCalls.size(), 3u);
    EXPECT_EQ(windows.placementCalls[0].handle, target);  // list order: bottom to top as discovered
    EXPECT_EQ(windows.placementCalls[2].handle, min);
}

TEST_F(ConcealmentCycleTest, EveryPlacementIsReadBeforeTheFirstWindowIsHidden) {
    openAndPick("second", FakeWindowServices::normal());
    windows.clearRecords();
    tickWithScrollLock(true);
    EXPECT_EQ(windows.batches, 1);
    ASSERT_EQ(windows.placementCalls.size(), 2u);
    for (const auto& call : windows.placementCalls)
        EXPECT_EQ(call.placement.showCmd, core::kShowHide);
}

TEST_F(ConcealmentCycleTest, AWindowOfAListedClassOpenedWhileConcealedStaysVisibleUntilTheNextConcealment) {
    registry.setClassList({"XTerm"});
    tickWithScrollLock(true);
    const auto late = windows.open("XTerm", "late");
    tick();
    EXPECT_FALSE(windows.isHidden(late));
    EXPECT_EQ(registry.targetCount(), 1);
    tickWithScrollLock(false);
    tickWithScrollLock(true);
    EXPECT_TRUE(windows.isHidden(late));
    EXPECT_EQ(registry.targetCount(), 2);
}

TEST_F(ConcealmentCycleTest, WithAnEmptyListDiscoveryRunsAtEveryTickOfTheTrigger) {
    windows.close(target);
    registry.refreshTargetList();
    registry.setClassList({"XTerm"});
    windows.clearRecords();
    mouseAt(0, 0);
    for (int i = 0; i < 3; ++i)
        tick();
    EXPECT_EQ(windows.enumCalls, 3);
    EXPECT_FALSE(flags.concealed);
    EXPECT_TRUE(flags.held);  // the latch is set all the same
    EXPECT_TRUE(icon.modified.empty());
    EXPECT_TRUE(sound.calls.empty());

    const auto shell = windows.open("XTerm", "shell");
    tick();
    EXPECT_TRUE(flags.concealed);
    EXPECT_TRUE(windows.isHidden(shell));
}

TEST_F(ConcealmentCycleTest, WithoutDiscoveryAnEmptyListChangesNothingVisible) {
    windows.close(target);
    registry.refreshTargetList();
    controls.discoverBox = 0;
    windows.open("IEFrame", "browser");
    windows.clearRecords();
    tickWithScrollLock(true);
    EXPECT_EQ(windows.windowCalls(), 0);
    EXPECT_FALSE(flags.concealed);
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
        flags.held = false;
        controls.holdMouseBox = c.trigger == 0 ? c.box : 1;
        controls.holdKeyBox = c.trigger == 1 ? c.box : 1;
        if (c.trigger == 0) {
            mouseAt(0, 0);
        } else {
            mouseAt(500, 400);
        }
        windows.shiftDown = c.trigger == 1;
        windows.scrollLockOn = c.trigger == 2;
        tick();
        EXPECT_TRUE(flags.concealed);
        EXPECT_EQ(flags.held, c.latched);

        // The trigger ends: the latch holds the concealment until it is released.
        mouseAt(500, 400);
        windows.shiftDown = false;
        windows.scrollLockOn = false;
        tick();
        EXPECT_EQ(flags.concealed, c.latched);
        cycle.releaseLatch();
        tick();
        EXPECT_FALSE(flags.concealed);
    }
}

TEST_F(ConcealmentCycleTest, AReleaseWhileAHoldingTriggerIsStillOnIsUndoneAtTheNextTick) {
    windows.shiftDown = true;
    tick();
    cycle.releaseLatch();
    tick();
    EXPECT_TRUE(flags.held);
    windows.shiftDown = false;
    tick();
    EXPECT_TRUE(flags.concealed);
}

TEST_F(ConcealmentCycleTest, TheLatchIsSetAlsoWhileAlreadyConcealedByScrollLock) {
    tickWithScrollLock(true);
    EXPECT_FALSE(flags.held);
    mouseAt(0, 0);
    tick();
    EXPECT_TRUE(flags.held);
    mouseAt(500, 400);
    tickWithScrollLock(false);  // ScrollLock off, but the mouse set the latch meanwhile
    EXPECT_TRUE(flags.concealed);
}

TEST_F(ConcealmentCycleTest, ShiftWithoutItsBoxConcealsExactlyWhileHeld) {
    controls.holdKeyBox = 0;
    windows.shiftDown = true;
    tick();
    EXPECT_TRUE(flags.concealed);
    tick();
    EXPECT_TRUE(flags.concealed);
    windows.shiftDown = false;
    tick();
    EXPECT_FALSE(flags.concealed);
    EXPECT_FALSE(windows.isHidden(target));
}

// --- the sound ---

struct MuteCase {
    const char* name;
    int muteBox;
    int muteRestoreBox;
    std::uint32_t mutedBefore;
    std::uint32_t mutedWhileConcealed;
    std::uint32_t mutedAfterRestore;
    bool savedAfter;  // mutedBefore after the cycle
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
        controls.muteBox = c.muteBox;
        controls.muteRestoreBox = c.muteRestoreBox;
        sound.isMuted = c.mutedBefore != 0;
        tickWithScrollLock(true);
        EXPECT_EQ(sound.isMuted, c.mutedWhileConcealed != 0);
        tickWithScrollLock(false);
        EXPECT_EQ(sound.isMuted, c.mutedAfterRestore != 0);
        EXPECT_EQ(flags.mutedBefore, c.savedAfter);
    }
}

TEST_F(ConcealmentCycleTest, ClearingMuteWhileConcealedLeavesTheSoundAloneAtTheRestore) {
    tickWithScrollLock(true);
    ASSERT_TRUE(sound.isMuted);
    controls.muteBox = 0;
    sound.calls.clear();
    tickWithScrollLock(false);
    EXPECT_TRUE(sound.calls.empty());
    EXPECT_TRUE(sound.isMuted);
}

TEST_F(ConcealmentCycleTest, TickingMuteAfterAConcealmentThatDidNotMuteLeavesTheSoundAlone) {
    // An earlier concealment saved "muted"; the user unmutes and later mutes by hand.
    sound.isMuted = true;
    tickWithScrollLock(true);
    tickWithScrollLock(false);
    ASSERT_TRUE(flags.mutedBefore);
    controls.muteBox = 0;
    sound.isMuted = false;
    tickWithScrollLock(true);
    controls.muteBox = 1;  // ticked only now
    sound.calls.clear();
    tickWithScrollLock(false);
    // Nothing was saved by this concealment, so there is nothing to put back.
    EXPECT_TRUE(sound.calls.empty());
    EXPECT_FALSE(sound.isMuted);
}

TEST_F(ConcealmentCycleTest, WithoutASoundServerConcealmentAndRestoreGoOnAndTheSavedStateIsKept) {
    flags.mutedBefore = true;
    sound.scenario = FakeSoundOutput::Scenario::kNoServer;
    tickWithScrollLock(true);
    EXPECT_TRUE(flags.concealed);
    EXPECT_TRUE(windows.isHidden(target));
    EXPECT_TRUE(flags.mutedBefore);
    tickWithScrollLock(false);
    EXPECT_FALSE(windows.isHidden(target));

    sound.scenario = FakeSoundOutput::Scenario::kRefusedRead;
    tickWithScrollLock(true);
    EXPECT_TRUE(flags.mutedBefore);  // a failed read leaves it as it was
}

}  // namespace
}  // namespace coretest
