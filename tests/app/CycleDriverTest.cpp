// The cycle runs when the window system reports a change of the trigger inputs, once per pass of
// the event loop, and not at all while nothing changes; a moving pointer is read once per pause of
// its motion reports; the tick remains for a trigger that found nothing to conceal yet, and for
// window systems that report nothing.
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

    bool idle() {
        return !driver().timer().isActive() && !driver().evaluationDue() &&
               !driver().motionPause().isActive() && !windows.motionPaused;
    }
    int evaluations() const { return static_cast<int>(windows.inputQueries.size()); }
    // Waits (without a limit asserted) for the end of the running pause of the motion reports.
    void endOfPause() {
        ASSERT_TRUE(driver().motionPause().isActive());
        const int before = evaluations();
        QDeadlineTimer deadline(5000);
        while (evaluations() == before && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        ASSERT_GT(evaluations(), before) << "the pause did not end";
    }
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
    // The pointer rests in the corner: the end of the pause reads it once more and resumes.
    endOfPause();
    EXPECT_EQ(evaluations(), 3);
    EXPECT_TRUE(idle()) << "held: nothing to do until the tray releases it";

    windows.movePointer({512, 384});
    onePass();
    EXPECT_TRUE(windows.isHidden(target)) << "the hold keeps it concealed";
    endOfPause();
    cycle.releaseLatch();
    driver().evaluateSoon();
    onePass();
    EXPECT_FALSE(windows.isHidden(target)) << "the release did not restore at once";
    EXPECT_TRUE(idle());
}

// A moving pointer: its first motion is evaluated at once, then its reports pause; each pause
// ends with an evaluation (where it went meanwhile), and while it still moves another pause
// follows. Once it rests, the reports resume and nothing runs.
TEST_F(CycleDriverTest, AMovingPointerIsReadOncePerPauseOfItsReports) {
    controls.holdMouseBox = 0;
    const core::WindowHandle target = openAndPick(QStringLiteral("memo"), windows.normal());
    driver().start();
    onePass();
    ASSERT_EQ(evaluations(), 1);

    windows.movePointer({300, 300});
    onePass();
    EXPECT_EQ(evaluations(), 2) << "the first motion from rest was not evaluated at once";
    EXPECT_TRUE(windows.motionPaused);
    EXPECT_TRUE(driver().motionPause().isActive());
    for (int i = 0; i < 200; ++i)
        windows.movePointer({300 - i, 300 - i});
    onePass();
    EXPECT_EQ(evaluations(), 2) << "motions during the pause";

    // The pause ends and reads the pointer at (101, 101); it moved, so another pause follows.
    endOfPause();
    EXPECT_EQ(evaluations(), 3);
    EXPECT_EQ(windows.lastPointerRead, (core::Point{101, 101}));
    EXPECT_TRUE(windows.motionPaused);
    EXPECT_TRUE(driver().motionPause().isActive());

    // Into the corner while nobody listens: the end of that pause conceals.
    windows.movePointer({0, 0});
    EXPECT_FALSE(windows.isHidden(target));
    endOfPause();
    EXPECT_TRUE(windows.isHidden(target)) << "the evaluation at the end of the pause missed the corner";
    EXPECT_TRUE(windows.motionPaused) << "resumed although the pointer had moved";

    // At rest: one more pause, then the reports resume and nothing runs any more.
    endOfPause();
    EXPECT_EQ(evaluations(), 5);
    EXPECT_TRUE(idle());
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_EQ(evaluations(), 5);

    // Out of the corner from rest: evaluated at once again.
    windows.movePointer({512, 384});
    onePass();
    EXPECT_EQ(evaluations(), 6);
    EXPECT_FALSE(windows.isHidden(target));
}

// During a pause of the motion reports the other inputs are reported and evaluated at once; the
// pause runs on to its end.
TEST_F(CycleDriverTest, ShiftDuringAPauseIsEvaluatedAtOnce) {
    controls.holdKeyBox = 0;
    const core::WindowHandle target = openAndPick(QStringLiteral("memo"), windows.normal());
    driver().start();
    onePass();
    windows.movePointer({300, 300});
    onePass();
    ASSERT_TRUE(driver().motionPause().isActive());

    windows.shiftDown = true;
    windows.reportChange();
    onePass();
    EXPECT_TRUE(windows.isHidden(target));
    EXPECT_TRUE(driver().motionPause().isActive());
    EXPECT_EQ(evaluations(), 3);
    endOfPause();
    EXPECT_EQ(evaluations(), 4);
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

// Stopped (a drag of the picker) nothing is evaluated, also not at the end of a pause of the motion
// reports, which stay paused; the start evaluates at once and resumes them after one more pause.
TEST_F(CycleDriverTest, StoppedNothingIsEvaluatedAndTheStartCatchesUp) {
    const core::WindowHandle target = openAndPick(QStringLiteral("memo"), windows.normal());
    for (const bool duringAPause : {false, true}) {
        SCOPED_TRACE(duringAPause ? "stopped during a pause" : "stopped at rest");
        windows.pointer = core::Point{512, 384};
        driver().start();
        onePass();
        if (duringAPause) {
            windows.movePointer({400, 300});
            onePass();
            ASSERT_TRUE(windows.motionPaused);
        }
        driver().stop();
        const int evaluated = evaluations();
        windows.movePointer({0, 0});
        windows.reportChange();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        EXPECT_EQ(evaluations(), evaluated);
        EXPECT_FALSE(windows.isHidden(target));
        EXPECT_FALSE(driver().motionPause().isActive());
        EXPECT_EQ(windows.motionPaused, duringAPause);

        driver().start();
        onePass();
        EXPECT_TRUE(windows.isHidden(target));
        if (duringAPause) endOfPause();
        EXPECT_TRUE(idle());
        cycle.releaseLatch();
        windows.movePointer({512, 384});
        onePass();
        EXPECT_FALSE(windows.isHidden(target));
        endOfPause();
        ASSERT_TRUE(idle());
    }
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
