// A saved placement belongs to its window: list changes while concealed, closed windows, handles
// given to new windows, and the restore at shut-down.
#include <gtest/gtest.h>

#include "CoreFixture.h"

namespace coretest {
namespace {

using core::mb::kAnswerYes;
using fakes::FakeWindowServices;

class SavedPlacementTest : public CoreFixture {
protected:
    core::WindowHandle a = 0;
    core::WindowHandle b = 0;
    core::WindowHandle c = 0;
    const core::WindowPlacement placeA = FakeWindowServices::Normal(10, 10, 100, 100);
    const core::WindowPlacement placeB = FakeWindowServices::Normal(20, 20, 200, 200);
    const core::WindowPlacement placeC = FakeWindowServices::Normal(30, 30, 300, 300);

    void SetUp() override {
        a = OpenAndPick("a", placeA);
        b = OpenAndPick("b", placeB);
        c = OpenAndPick("c", placeC);
    }

    void ConcealAndClearRecords() {
        TickWithScrollLock(true);
        ASSERT_TRUE(flags.blnHideFlg);
        windows.ClearRecords();
    }

    std::vector<core::WindowHandle> ShownHandles() const {
        std::vector<core::WindowHandle> handles;
        for (const auto& call : windows.placementCalls) {
            if (call.placement.showCmd != core::kShowHide) handles.push_back(call.handle);
        }
        return handles;
    }
};

TEST_F(SavedPlacementTest, RemovingATargetWhileConcealedLeavesTheOthersTheirOwnPlacements) {
    ConcealAndClearRecords();
    prompter.answers = {kAnswerYes};
    registry.lstTarget_DblClick(0);  // "a" comes back, "b" and "c" move up one row
    EXPECT_EQ(windows.Find(a)->placement, placeA);

    for (auto& w : windows.windows)
        w.placement = FakeWindowServices::Normal(0, 0, 1, 1);
    windows.ClearRecords();
    TickWithScrollLock(false);
    EXPECT_EQ(ShownHandles(), (std::vector<core::WindowHandle>{b, c}));
    EXPECT_EQ(windows.Find(b)->placement, placeB);
    EXPECT_EQ(windows.Find(c)->placement, placeC);
    EXPECT_EQ(windows.Find(a)->placement, FakeWindowServices::Normal(0, 0, 1, 1));  // not touched again
}

TEST_F(SavedPlacementTest, PruningAndAddingWhileConcealedNeverHandsOneWindowAnothersPlacement) {
    ConcealAndClearRecords();
    windows.Close(a);  // closed while concealed: dropped
    const auto d = OpenAndPick("d", FakeWindowServices::Normal(40, 40, 400, 400));  // added while concealed
    ASSERT_EQ(registry.TargetCount(), 3);                                           // b, c, d

    TickWithScrollLock(false);
    EXPECT_EQ(ShownHandles(), (std::vector<core::WindowHandle>{b, c}));
    EXPECT_EQ(windows.Find(b)->placement, placeB);
    EXPECT_EQ(windows.Find(c)->placement, placeC);
    EXPECT_EQ(windows.Find(d)->placement, FakeWindowServices::Normal(40, 40, 400, 400));
}

TEST_F(SavedPlacementTest, AWindowNeverConcealedGetsNoPlacement) {
    ConcealAndClearRecords();
    const auto d = OpenAndPick("d", FakeWindowServices::Normal(40, 40, 400, 400));
    windows.ClearRecords();

    prompter.answers = {kAnswerYes};
    registry.lstTarget_DblClick(3);  // "d", while concealed
    EXPECT_TRUE(windows.placementCalls.empty());
    const auto e = OpenAndPick("e", FakeWindowServices::Normal(50, 50, 500, 500));
    cycle.RestoreAllForShutdown();
    EXPECT_EQ(ShownHandles(), (std::vector<core::WindowHandle>{a, b, c}));
    (void)d;
    (void)e;
}

TEST_F(SavedPlacementTest, AWindowClosedWhileConcealedIsDroppedWithoutTouchingAnything) {
    ConcealAndClearRecords();
    windows.Close(b);
    TickWithScrollLock(false);
    EXPECT_EQ(ShownHandles(), (std::vector<core::WindowHandle>{a, c}));
    EXPECT_FALSE(flags.blnHideFlg);
    TickWithScrollLock(true);  // the next concealment prunes its entry
    EXPECT_EQ(registry.TargetCount(), 2);
}

TEST_F(SavedPlacementTest, AHandleGivenToANewWindowIsNotRestoredIntoTheOldPlacement) {
    ConcealAndClearRecords();
    // "a" closes; a new window of the same program gets its handle and shows itself.
    windows.Close(a);
    windows.Open("Notepad", "new a", FakeWindowServices::Normal(99, 99, 99, 99), a);
    // "b" closes; a window of another class gets its handle, not shown yet.
    windows.Close(b);
    windows.Open("Other", "new b", FakeWindowServices::Normal(88, 88, 88, 88), b);
    windows.Find(b)->withdrawn = true;

    TickWithScrollLock(false);
    EXPECT_EQ(ShownHandles(), std::vector<core::WindowHandle>{c});
    EXPECT_EQ(windows.Find(a)->placement, FakeWindowServices::Normal(99, 99, 99, 99));
    EXPECT_TRUE(windows.IsHidden(b));
}

TEST_F(SavedPlacementTest, AWindowItsProgramShowedAgainIsLeftWhereItIs) {
    ConcealAndClearRecords();
    windows.Find(b)->withdrawn = false;
    windows.Find(b)->placement = FakeWindowServices::Normal(77, 77, 77, 77);
    TickWithScrollLock(false);
    EXPECT_EQ(ShownHandles(), (std::vector<core::WindowHandle>{a, c}));
    EXPECT_EQ(windows.Find(b)->placement, FakeWindowServices::Normal(77, 77, 77, 77));
}

TEST_F(SavedPlacementTest, AWindowListedTwiceIsHiddenAndShownOnce) {
    windows.Find(a)->title = "a renamed";
    Pick(a);  // a second entry for the same window under its new title
    ASSERT_EQ(registry.TargetCount(), 4);
    windows.ClearRecords();
    TickWithScrollLock(true);
    EXPECT_EQ(windows.placementCalls.size(), 3u);
    windows.ClearRecords();
    TickWithScrollLock(false);
    EXPECT_EQ(ShownHandles(), (std::vector<core::WindowHandle>{a, b, c}));
}

TEST_F(SavedPlacementTest, AWindowAlreadyWithdrawnIsNeitherHiddenNorShown) {
    windows.Find(b)->withdrawn = true;  // its program hid it
    windows.ClearRecords();
    TickWithScrollLock(true);
    EXPECT_EQ(windows.placementCalls.size(), 2u);
    TickWithScrollLock(false);
    EXPECT_TRUE(windows.IsHidden(b));
}

TEST_F(SavedPlacementTest, ShutDownWhileConcealedBringsTheConcealedWindowsBackInOneBatch) {
    ConcealAndClearRecords();
    cycle.RestoreAllForShutdown();
    EXPECT_EQ(ShownHandles(), (std::vector<core::WindowHandle>{a, b, c}));
    EXPECT_EQ(windows.batches, 1);
    EXPECT_EQ(windows.Find(a)->placement, placeA);
    EXPECT_FALSE(windows.IsHidden(c));
    windows.ClearRecords();
    cycle.RestoreAllForShutdown();  // a second call finds nothing concealed
    EXPECT_TRUE(windows.placementCalls.empty());
}

TEST_F(SavedPlacementTest, ShutDownAfterARestoreDoesNotMoveWindowsBackToAnOldConcealment) {
    TickWithScrollLock(true);
    TickWithScrollLock(false);
    windows.Find(a)->placement = FakeWindowServices::Normal(500, 500, 50, 50);  // moved since
    windows.ClearRecords();
    cycle.RestoreAllForShutdown();
    EXPECT_TRUE(windows.placementCalls.empty());
    EXPECT_EQ(windows.Find(a)->placement, FakeWindowServices::Normal(500, 500, 50, 50));
}

TEST_F(SavedPlacementTest, ShutDownAfterRemovingAConcealedTargetDoesNotShowItTwice) {
    ConcealAndClearRecords();
    prompter.answers = {kAnswerYes};
    registry.lstTarget_DblClick(1);  // "b"
    windows.ClearRecords();
    cycle.RestoreAllForShutdown();
    EXPECT_EQ(ShownHandles(), (std::vector<core::WindowHandle>{a, c}));
}

}  // namespace
}  // namespace coretest
