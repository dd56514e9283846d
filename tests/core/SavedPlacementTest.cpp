// A saved placement belongs to its window: list changes while concealed, closed windows, handles
// given to new windows, and the restore at shut-down.
#include <gtest/gtest.h>

#include "CoreFixture.h"

namespace coretest {
namespace {

constexpr core::Answer kAnswerYes = core::Answer::Yes;
using fakes::FakeWindowServices;

class SavedPlacementTest : public CoreFixture {
protected:
    core::WindowHandle a = 0;
    core::WindowHandle b = 0;
    core::WindowHandle c = 0;
    const core::WindowPlacement placeA = FakeWindowServices::normal(10, 10, 100, 100);
    const core::WindowPlacement placeB = FakeWindowServices::normal(20, 20, 200, 200);
    const core::WindowPlacement placeC = FakeWindowServices::normal(30, 30, 300, 300);

    void SetUp() override {
        a = openAndPick("a", placeA);
        b = openAndPick("b", placeB);
        c = openAndPick("c", placeC);
    }

    void concealAndClearRecords() {
        tickWithScrollLock(true);
        ASSERT_TRUE(flags.concealed);
        windows.clearRecords();
    }

    std::vector<core::WindowHandle> shownHandles() const {
        std::vector<core::WindowHandle> handles;
        for (const auto& call : windows.placementCalls) {
            if (call.placement.showCmd != core::kShowHide) handles.push_back(call.handle);
        }
        return handles;
    }
};

TEST_F(SavedPlacementTest, RemovingATargetWhileConcealedLeavesTheOthersTheirOwnPlacements) {
    concealAndClearRecords();
    prompter.answers = {kAnswerYes};
    registry.onTargetDoubleClicked(0);  // "a" comes back, "b" and "c" move up one row
    EXPECT_EQ(windows.find(a)->placement, placeA);

    for (auto& w : windows.windows)
        w.placement = FakeWindowServices::normal(0, 0, 1, 1);
    windows.clearRecords();
    tickWithScrollLock(false);
    EXPECT_EQ(shownHandles(), (std::vector<core::WindowHandle>{b, c}));
    EXPECT_EQ(windows.find(b)->placement, placeB);
    EXPECT_EQ(windows.find(c)->placement, placeC);
    EXPECT_EQ(windows.find(a)->placement, FakeWindowServices::normal(0, 0, 1, 1));  // not touched again
}

TEST_F(SavedPlacementTest, PruningAndAddingWhileConcealedNeverHandsOneWindowAnothersPlacement) {
    concealAndClearRecords();
    windows.close(a);  // closed while concealed: dropped
    const auto d = openAndPick("d", FakeWindowServices::normal(40, 40, 400, 400));  // added while concealed
    ASSERT_EQ(registry.targetCount(), 3);                                           // b, c, d

    tickWithScrollLock(false);
    EXPECT_EQ(shownHandles(), (std::vector<core::WindowHandle>{b, c}));
    EXPECT_EQ(windows.find(b)->placement, placeB);
    EXPECT_EQ(windows.find(c)->placement, placeC);
    EXPECT_EQ(windows.find(d)->placement, FakeWindowServices::normal(40, 40, 400, 400));
}

TEST_F(SavedPlacementTest, AWindowNeverConcealedGetsNoPlacement) {
    concealAndClearRecords();
    const auto d = openAndPick("d", FakeWindowServices::normal(40, 40, 400, 400));
    windows.clearRecords();

    prompter.answers = {kAnswerYes};
    registry.onTargetDoubleClicked(3);  // "d", while concealed
    EXPECT_TRUE(windows.placementCalls.empty());
    const auto e = openAndPick("e", FakeWindowServices::normal(50, 50, 500, 500));
    cycle.restoreAllForShutdown();
    EXPECT_EQ(shownHandles(), (std::vector<core::WindowHandle>{a, b, c}));
    (void)d;
    (void)e;
}

TEST_F(SavedPlacementTest, AWindowClosedWhileConcealedIsDroppedWithoutTouchingAnything) {
    concealAndClearRecords();
    windows.close(b);
    tickWithScrollLock(false);
    EXPECT_EQ(shownHandles(), (std::vector<core::WindowHandle>{a, c}));
    EXPECT_FALSE(flags.concealed);
    tickWithScrollLock(true);  // the next concealment prunes its entry
    EXPECT_EQ(registry.targetCount(), 2);
}

TEST_F(SavedPlacementTest, AHandleGivenToANewWindowIsNotRestoredIntoTheOldPlacement) {
    concealAndClearRecords();
    // "a" closes; a new window of the same program gets its handle and shows itself.
    windows.close(a);
    windows.open("Notepad", "new a", FakeWindowServices::normal(99, 99, 99, 99), a);
    // "b" closes; a window of another class gets its handle, not shown yet.
    windows.close(b);
    windows.open("Other", "new b", FakeWindowServices::normal(88, 88, 88, 88), b);
    windows.find(b)->withdrawn = true;

    tickWithScrollLock(false);
    EXPECT_EQ(shownHandles(), std::vector<core::WindowHandle>{c});
    EXPECT_EQ(windows.find(a)->placement, FakeWindowServices::normal(99, 99, 99, 99));
    EXPECT_TRUE(windows.isHidden(b));
}

TEST_F(SavedPlacementTest, AWindowItsProgramShowedAgainIsLeftWhereItIs) {
    concealAndClearRecords();
    windows.find(b)->withdrawn = false;
    windows.find(b)->placement = FakeWindowServices::normal(77, 77, 77, 77);
    tickWithScrollLock(false);
    EXPECT_EQ(shownHandles(), (std::vector<core::WindowHandle>{a, c}));
    EXPECT_EQ(windows.find(b)->placement, FakeWindowServices::normal(77, 77, 77, 77));
}

TEST_F(SavedPlacementTest, AWindowListedTwiceIsHiddenAndShownOnce) {
    windows.find(a)->title = "a renamed";
    pick(a);  // a second entry for the same window under its new title
    ASSERT_EQ(registry.targetCount(), 4);
    windows.clearRecords();
    tickWithScrollLock(true);
    EXPECT_EQ(windows.placementCalls.size(), 3u);
    windows.clearRecords();
    tickWithScrollLock(false);
    EXPECT_EQ(shownHandles(), (std::vector<core::WindowHandle>{a, b, c}));
}

TEST_F(SavedPlacementTest, AWindowAlreadyWithdrawnIsNeitherHiddenNorShown) {
    windows.find(b)->withdrawn = true;  // its program hid it
    windows.clearRecords();
    tickWithScrollLock(true);
    EXPECT_EQ(windows.placementCalls.size(), 2u);
    tickWithScrollLock(false);
    EXPECT_TRUE(windows.isHidden(b));
}

TEST_F(SavedPlacementTest, ShutDownWhileConcealedBringsTheConcealedWindowsBackInOneBatch) {
    concealAndClearRecords();
    cycle.restoreAllForShutdown();
    EXPECT_EQ(shownHandles(), (std::vector<core::WindowHandle>{a, b, c}));
    EXPECT_EQ(windows.batches, 1);
    EXPECT_EQ(windows.find(a)->placement, placeA);
    EXPECT_FALSE(windows.isHidden(c));
    windows.clearRecords();
    cycle.restoreAllForShutdown();  // a second call finds nothing concealed
    EXPECT_TRUE(windows.placementCalls.empty());
}

TEST_F(SavedPlacementTest, ShutDownAfterARestoreDoesNotMoveWindowsBackToAnOldConcealment) {
    tickWithScrollLock(true);
    tickWithScrollLock(false);
    windows.find(a)->placement = FakeWindowServices::normal(500, 500, 50, 50);  // moved since
    windows.clearRecords();
    cycle.restoreAllForShutdown();
    EXPECT_TRUE(windows.placementCalls.empty());
    EXPECT_EQ(windows.find(a)->placement, FakeWindowServices::normal(500, 500, 50, 50));
}

TEST_F(SavedPlacementTest, ShutDownAfterRemovingAConcealedTargetDoesNotShowItTwice) {
    concealAndClearRecords();
    prompter.answers = {kAnswerYes};
    registry.onTargetDoubleClicked(1);  // "b"
    windows.clearRecords();
    cycle.restoreAllForShutdown();
    EXPECT_EQ(shownHandles(), (std::vector<core::WindowHandle>{a, c}));
}

}  // namespace
}  // namespace coretest
