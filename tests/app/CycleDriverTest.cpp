// The cycle runs when the window system reports a change of the trigger inputs, once per pass of
// the event loop, and not at all while nothing changes; the tick remains for a trigger that found
// nothing to conceal yet, and for window systems that report nothing.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include "app/CycleDriver.h"
#include "core/CoreFixture.h"
#include "ui/QtApp.h"

namespace {

// One pass of the event loop: what was due now runs, nothing waits for a timer.
void onePass() {
    QCoreApplication::processEvents();
}

class CycleDriverTest : public coretest::CoreFixture {
protected:
    CycleDriverTest() {
        controls.discoverBox = 0;
        windows.reportsChanges = true;
    }

    bool idle() { return !driver().timer().isActive() && !driver().evaluationDue(); }
    int evaluations() const { return static_cast<int>(windows.inputQueries.size()); }
    app::CycleDriver& driver() {
        if (!driver_)
            driver_ = std::make_unique<app::CycleDriver>(
                windows, [this] { cycle.tick(); }, [this] { return cycle.waitingForTargets(); });
        return *driver_;
    }

    QApplication& app = uitest::app();
    std::unique_ptr<app::CycleDriver> driver_;
};

TEST_F(CycleDriverTest, AReportedChangeIsEvaluatedAtOnceAndNothingRunsInBetween) {
    const core::WindowHandle target = openAndPick(QStringLiteral("memo"), windows.normal());
    driver().start();
    ASSERT_TRUE(driver().eventDriven());
    onePass();
    EXPECT_EQ(evaluations(), 1) << "the start evaluates at once";
    EXPECT_TRUE(idle()) << "a timer runs while nothing changes";

    // The pointer passes through the corner: a burst of reports, one evaluation.
    windows.pointer = core::Point{0, 0};
    for (int i = 0; i < 1000; ++i)
        windows.reportChange();
    onePass();
    EXPECT_EQ(evaluations(), 2);
    EXPECT_TRUE(windows.isHidden(target));
    EXPECT_TRUE(idle()) << "held: nothing to do until the tray releases it";

    windows.pointer = core::Point{512, 384};
    windows.reportChange();
    onePass();
    EXPECT_TRUE(windows.isHidden(target)) << "the hold keeps it concealed";
    cycle.releaseLatch();
    driver().evaluateSoon();
    onePass();
    EXPECT_FALSE(windows.isHidden(target)) << "the release did not restore at once";
    EXPECT_TRUE(idle());
}

// Shift held with nothing to conceal: the tick looks again for a target every 300 ms, and stops
// once one was concealed.
TEST_F(CycleDriverTest, ATriggerThatFoundNothingTriesAgainOnTheTick) {
    controls.holdKeyBox = 0;
    driver().start();
    windows.shiftDown = true;
    windows.reportChange();
    onePass();
    EXPECT_TRUE(driver().timer().isActive());
    EXPECT_EQ(driver().timer().interval(), app::CycleDriver::kIntervalMs);

    const core::WindowHandle target = openAndPick(QStringLiteral("memo"), windows.normal());
    QDeadlineTimer deadline(5000);
    while (!windows.isHidden(target) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_TRUE(windows.isHidden(target)) << "the tick did not try again";
    EXPECT_TRUE(idle());

    windows.shiftDown = false;
    windows.reportChange();
    onePass();
    EXPECT_FALSE(windows.isHidden(target));
}

TEST_F(CycleDriverTest, PausedNothingIsEvaluatedAndTheStartCatchesUp) {
    const core::WindowHandle target = openAndPick(QStringLiteral("memo"), windows.normal());
    driver().start();
    onePass();
    driver().stop();
    windows.pointer = core::Point{0, 0};
    windows.reportChange();
    onePass();
    EXPECT_FALSE(windows.isHidden(target));
    EXPECT_TRUE(idle());
    driver().start();
    onePass();
    EXPECT_TRUE(windows.isHidden(target));
}

// Without reports the tick is the whole mechanism, as long as the cycle runs.
TEST_F(CycleDriverTest, WithoutReportsTheTickRunsThroughout) {
    windows.reportsChanges = false;
    driver().start();
    EXPECT_FALSE(driver().eventDriven());
    EXPECT_TRUE(driver().timer().isActive());
    EXPECT_EQ(driver().timer().objectName(), QStringLiteral("tmrActive"));
    onePass();
    EXPECT_TRUE(driver().timer().isActive());
    driver().stop();
    EXPECT_FALSE(driver().timer().isActive());
}

}  // namespace
