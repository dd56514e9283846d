// The real program on the headless desktop, driven through its tray icon in trayer: start-up
// shown or hidden, a held concealment of real xterms released by a left click, the window opened
// by a right click, both through the password prompt when locked, and a second start.
#include <gtest/gtest.h>

#include <QFile>
#include <QTextStream>
#include <chrono>
#include <csignal>

#include "e2e/support/E2eSettings.h"
#include "e2e/support/ProgramUnderTest.h"
#include "lock/MakePassHash.h"
#include "support/desktop/Observer.h"

namespace {

using namespace e2e;

class TrayE2eTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(view.connected()) << "no X display";
        ASSERT_NE(view.trayerPanel(), 0u) << "no trayer";
        movePointer(kCentre);
    }

    // Starts the program and waits for its icon in the tray.
    void startDocked(ProgramUnderTest& program) {
        ASSERT_TRUE(program.start());
        ASSERT_NE(program.waitForTrayIcon(view), 0u) << program.standardError().toStdString();
    }

    // Conceals by the top-left corner, then takes the pointer back to the middle; the xterm's
    // events are watched from then on.
    void concealByCorner(const ClientWindow& xterm) {
        movePointer({0, 0});
        ASSERT_TRUE(waitUntil([&] { return xterm.concealed(); })) << "the corner did not conceal";
        view.watch(xterm.id());
        movePointer(kCentre);
    }

    // The concealment holds: the xterm was not mapped since it was concealed, nor in the next
    // second (more than three ticks; the program's tick shows nothing when it changes nothing).
    void expectHeld(const ClientWindow& xterm) {
        EXPECT_FALSE(view.waitForEvent(xterm.id(), isMapNotify, 1s)) << "the hold let the window go";
        EXPECT_TRUE(xterm.concealed());
    }

    // Answers the password prompt with text; a wrong text leaves the "パスワードが違います" box,
    // which is pictured as shotOfMessage and closed.
    void answerPrompt(ProgramUnderTest& program, const QString& text, const QString& shotOfPrompt = {},
                      const QString& shotOfMessage = {}) {
        const Window prompt = program.waitForWindow(view, promptTitle());
        ASSERT_NE(prompt, 0u) << "no password prompt";
        focusWindow(prompt);
        typeText(text);
        if (!shotOfPrompt.isEmpty()) screenshot(shotOfPrompt);
        pressKey(QStringLiteral("Return"));
        if (shotOfMessage.isEmpty()) return;
        const Window message = program.waitForWindow(view, messageTitle());
        ASSERT_NE(message, 0u) << "no message after a wrong password";
        screenshot(shotOfMessage);
        focusWindow(message);
        pressKey(QStringLiteral("Return"));
        EXPECT_TRUE(waitUntil([&] { return view.findWindow(messageTitle(), program.pid()) == 0; }));
    }

    static constexpr QPoint kCentre{512, 384};
    Observer view;
};

void recordStartup(const ProgramUnderTest& program) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                          program.startedAt());
    testing::Test::RecordProperty("startup_until_tray_icon_ms", static_cast<int>(ms.count()));
    QFile file(outputDir() + QStringLiteral("/startup-ms.txt"));
    if (file.open(QIODevice::Append | QIODevice::Text)) QTextStream(&file) << ms.count() << "\n";
}

TEST_F(TrayE2eTest, StartsShownAboveEverythingWhenRunupIsTicked) {
    ProgramUnderTest program(testSettings({{"APP/blnRunup", "1"}}));
    startDocked(program);
    recordStartup(program);
    const Window main = program.waitForWindow(view, mainWindowTitle());
    ASSERT_NE(main, 0u);
    EXPECT_TRUE(waitUntil([&] {
        return view.hasNetState(main, "_NET_WM_STATE_ABOVE") &&
               view.hasNetState(main, "_NET_WM_STATE_SKIP_TASKBAR");
    })) << "topmost and out of the task bar";
    screenshot(QStringLiteral("started-shown"));
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(10s), 0);
}

TEST_F(TrayE2eTest, StartsAsTheTrayIconAloneAndARightClickOpensTheWindow) {
    ProgramUnderTest program(testSettings({{"MOUSE/MousePosi", "9"}}));  // top-left and bottom-right
    startDocked(program);
    recordStartup(program);
    EXPECT_EQ(view.findWindow(mainWindowTitle(), program.pid()), 0u) << "blnRunup 0 starts hidden";
    screenshot(QStringLiteral("started-hidden"));

    program.clickTrayIcon(view, 3);
    const Window main = program.waitForWindow(view, mainWindowTitle());
    ASSERT_NE(main, 0u) << "the right click opened no window";
    // The corner indicators of the two ticked corners: small squares in those corners.
    std::vector<QRect> indicators;
    EXPECT_TRUE(waitUntil([&] {
        indicators.clear();
        for (const Window window : view.allWindows()) {
            const QRect rect = view.rootRect(window);
            if (view.pid(window) == program.pid() && view.viewable(window) && rect.width() == 5 &&
                rect.height() == 5) {
                indicators.push_back(rect);
            }
        }
        return indicators.size() == 2;
    }));
    const QRect screen = view.screenRect();
    for (const QRect& rect : indicators) {
        EXPECT_TRUE(rect.topLeft() == screen.topLeft() || rect.bottomRight() == screen.bottomRight())
            << rect.x() << "," << rect.y();
    }
    screenshot(QStringLiteral("opened-from-tray"));
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(10s), 0);
}

TEST_F(TrayE2eTest, LeftClickReleasesAHeldConcealment) {
    ClientWindow xterm(view, QStringLiteral("e2e-held"));
    ASSERT_TRUE(xterm.Shown());
    ProgramUnderTest program(testSettings());
    startDocked(program);
    const QString muteBefore = sinkMute();

    concealByCorner(xterm);
    EXPECT_TRUE(waitUntil([] { return sinkMute() == QStringLiteral("yes"); })) << "muted while concealed";
    screenshot(QStringLiteral("concealed"));
    expectHeld(xterm);

    program.clickTrayIcon(view, 1);
    EXPECT_TRUE(waitUntil([&] { return xterm.Shown(); })) << "the left click did not release the hold";
    EXPECT_TRUE(waitUntil([&] { return sinkMute() == muteBefore; })) << "the sound comes back";
    movePointer(kCentre);
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(10s), 0);
}

TEST_F(TrayE2eTest, LockedReleaseTakesThePassword) {
    ClientWindow xterm(view, QStringLiteral("e2e-locked"));
    ProgramUnderTest program(
        testSettings({{"LOCK/blnLock", "1"}, {"LOCK/PassHash", lock::makePassHash(QStringLiteral("pw"))}}));
    startDocked(program);
    concealByCorner(xterm);

    program.clickTrayIcon(view, 1);
    answerPrompt(program, QStringLiteral("wrong"), QStringLiteral("password-prompt"),
                 QStringLiteral("wrong-password"));
    expectHeld(xterm);

    program.clickTrayIcon(view, 1);
    answerPrompt(program, QStringLiteral("pw"));
    EXPECT_TRUE(waitUntil([&] { return xterm.Shown(); })) << "the right password released nothing";
    movePointer(kCentre);
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(10s), 0);
}

TEST_F(TrayE2eTest, LockedRightClickOpensTheWindowOnlyWithThePassword) {
    ProgramUnderTest program(
        testSettings({{"LOCK/blnLock", "1"}, {"LOCK/PassHash", lock::makePassHash(QStringLiteral("pw"))}}));
    startDocked(program);

    program.clickTrayIcon(view, 3);
    answerPrompt(program, QStringLiteral("nope"), {}, QStringLiteral("wrong-password-right-click"));
    EXPECT_EQ(view.findWindow(mainWindowTitle(), program.pid()), 0u);

    program.clickTrayIcon(view, 3);
    answerPrompt(program, QStringLiteral("pw"));
    EXPECT_NE(program.waitForWindow(view, mainWindowTitle()), 0u) << "the right password opened nothing";
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(10s), 0);
}

TEST_F(TrayE2eTest, SecondStartOpensTheRunningProgramsWindowAndEnds) {
    ProgramUnderTest program(testSettings());
    startDocked(program);
    QString message;
    EXPECT_EQ(program.runAgain(&message), 0);
    EXPECT_TRUE(message.contains(QStringLiteral("already running"))) << message.toStdString();
    EXPECT_NE(program.waitForWindow(view, mainWindowTitle()), 0u)
        << "the first program's window did not open";
    EXPECT_TRUE(program.running());

    EXPECT_EQ(view.dockedIcons().size(), 1u) << "one tray icon";
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(10s), 0);
}

}  // namespace
