// The real program on the headless desktop, driven through its tray icon in trayer: start-up
// shown or hidden, a held concealment of real xterms released by a left click, the window opened
// by a right click, both through the password prompt when locked, and a second start.
#include <gtest/gtest.h>

#include <QFile>
#include <QTextStream>
#include <chrono>
#include <csignal>

#include "e2e/support/DesktopInput.h"
#include "e2e/support/DesktopView.h"
#include "e2e/support/E2eSettings.h"
#include "e2e/support/ProgramUnderTest.h"
#include "lock/MakePassHash.h"

namespace {

using namespace e2e;

class TrayE2eTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(view.Connected()) << "no X display";
        ASSERT_NE(view.TrayerPanel(), 0u) << "no trayer";
        MovePointer(kCentre);
    }

    // Starts the program and waits for its icon in the tray.
    void StartDocked(ProgramUnderTest& program) {
        ASSERT_TRUE(program.Start());
        ASSERT_NE(program.WaitForTrayIcon(view), 0u) << program.StandardError().toStdString();
    }

    // Conceals by the top-left corner, then takes the pointer back to the middle.
    void ConcealByCorner(const ClientWindow& xterm) {
        MovePointer({0, 0});
        ASSERT_TRUE(WaitUntil([&] { return xterm.Concealed(); })) << "the corner did not conceal";
        MovePointer(kCentre);
    }

    // The concealment holds: nothing comes back for a second (more than three ticks).
    void ExpectHeld(const ClientWindow& xterm) {
        EXPECT_FALSE(WaitUntil([&] { return xterm.Shown(); }, 1s)) << "the hold let the window go";
    }

    // Answers the password prompt with text; a wrong text leaves the "パスワードが違います" box,
    // which is pictured as shotOfMessage and closed.
    void AnswerPrompt(ProgramUnderTest& program, const QString& text, const QString& shotOfPrompt = {},
                      const QString& shotOfMessage = {}) {
        const Window prompt = program.WaitForWindow(view, PromptTitle());
        ASSERT_NE(prompt, 0u) << "no password prompt";
        FocusWindow(prompt);
        TypeText(text);
        if (!shotOfPrompt.isEmpty()) Screenshot(shotOfPrompt);
        PressKey(QStringLiteral("Return"));
        if (shotOfMessage.isEmpty()) return;
        const Window message = program.WaitForWindow(view, MessageTitle());
        ASSERT_NE(message, 0u) << "no message after a wrong password";
        Screenshot(shotOfMessage);
        FocusWindow(message);
        PressKey(QStringLiteral("Return"));
        EXPECT_TRUE(WaitUntil([&] { return view.FindWindow(MessageTitle(), program.Pid()) == 0; }));
    }

    static constexpr QPoint kCentre{512, 384};
    DesktopView view;
};

void RecordStartup(const ProgramUnderTest& program) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                          program.StartedAt());
    testing::Test::RecordProperty("startup_until_tray_icon_ms", static_cast<int>(ms.count()));
    QFile file(OutputDir() + QStringLiteral("/startup-ms.txt"));
    if (file.open(QIODevice::Append | QIODevice::Text)) QTextStream(&file) << ms.count() << "\n";
}

TEST_F(TrayE2eTest, StartsShownAboveEverythingWhenRunupIsTicked) {
    ProgramUnderTest program(TestSettings({{"APP/blnRunup", "1"}}));
    StartDocked(program);
    RecordStartup(program);
    const Window main = program.WaitForWindow(view, MainWindowTitle());
    ASSERT_NE(main, 0u);
    EXPECT_TRUE(WaitUntil([&] {
        return view.HasNetState(main, "_NET_WM_STATE_ABOVE") &&
               view.HasNetState(main, "_NET_WM_STATE_SKIP_TASKBAR");
    })) << "topmost and out of the task bar";
    Screenshot(QStringLiteral("started-shown"));
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(10s), 0);
}

TEST_F(TrayE2eTest, StartsAsTheTrayIconAloneAndARightClickOpensTheWindow) {
    ProgramUnderTest program(TestSettings({{"MOUSE/MousePosi", "9"}}));  // top-left and bottom-right
    StartDocked(program);
    RecordStartup(program);
    EXPECT_EQ(view.FindWindow(MainWindowTitle(), program.Pid()), 0u) << "blnRunup 0 starts hidden";
    Screenshot(QStringLiteral("started-hidden"));

    program.ClickTrayIcon(view, 3);
    const Window main = program.WaitForWindow(view, MainWindowTitle());
    ASSERT_NE(main, 0u) << "the right click opened no window";
    // The corner indicators of the two ticked corners: small squares in those corners.
    std::vector<QRect> indicators;
    EXPECT_TRUE(WaitUntil([&] {
        indicators.clear();
        for (const Window window : view.AllWindows()) {
            const QRect rect = view.Geometry(window);
            if (view.Pid(window) == program.Pid() && view.Viewable(window) && rect.width() == 5 &&
                rect.height() == 5) {
                indicators.push_back(rect);
            }
        }
        return indicators.size() == 2;
    }));
    const QRect screen = view.ScreenRect();
    for (const QRect& rect : indicators) {
        EXPECT_TRUE(rect.topLeft() == screen.topLeft() || rect.bottomRight() == screen.bottomRight())
            << rect.x() << "," << rect.y();
    }
    Screenshot(QStringLiteral("opened-from-tray"));
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(10s), 0);
}

TEST_F(TrayE2eTest, LeftClickReleasesAHeldConcealment) {
    ClientWindow xterm(view, QStringLiteral("e2e-held"));
    ASSERT_TRUE(xterm.Shown());
    ProgramUnderTest program(TestSettings());
    StartDocked(program);
    const QString muteBefore = SinkMute();

    ConcealByCorner(xterm);
    EXPECT_TRUE(WaitUntil([] { return SinkMute() == QStringLiteral("yes"); })) << "muted while concealed";
    Screenshot(QStringLiteral("concealed"));
    ExpectHeld(xterm);

    program.ClickTrayIcon(view, 1);
    EXPECT_TRUE(WaitUntil([&] { return xterm.Shown(); })) << "the left click did not release the hold";
    EXPECT_TRUE(WaitUntil([&] { return SinkMute() == muteBefore; })) << "the sound comes back";
    MovePointer(kCentre);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(10s), 0);
}

TEST_F(TrayE2eTest, LockedReleaseTakesThePassword) {
    ClientWindow xterm(view, QStringLiteral("e2e-locked"));
    ProgramUnderTest program(
        TestSettings({{"LOCK/blnLock", "1"}, {"LOCK/PassHash", lock::MakePassHash(QStringLiteral("pw"))}}));
    StartDocked(program);
    ConcealByCorner(xterm);

    program.ClickTrayIcon(view, 1);
    AnswerPrompt(program, QStringLiteral("wrong"), QStringLiteral("password-prompt"),
                 QStringLiteral("wrong-password"));
    ExpectHeld(xterm);

    program.ClickTrayIcon(view, 1);
    AnswerPrompt(program, QStringLiteral("pw"));
    EXPECT_TRUE(WaitUntil([&] { return xterm.Shown(); })) << "the right password released nothing";
    MovePointer(kCentre);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(10s), 0);
}

TEST_F(TrayE2eTest, LockedRightClickOpensTheWindowOnlyWithThePassword) {
    ProgramUnderTest program(
        TestSettings({{"LOCK/blnLock", "1"}, {"LOCK/PassHash", lock::MakePassHash(QStringLiteral("pw"))}}));
    StartDocked(program);

    program.ClickTrayIcon(view, 3);
    AnswerPrompt(program, QStringLiteral("nope"), {}, QStringLiteral("wrong-password-right-click"));
    EXPECT_EQ(view.FindWindow(MainWindowTitle(), program.Pid()), 0u);

    program.ClickTrayIcon(view, 3);
    AnswerPrompt(program, QStringLiteral("pw"));
    EXPECT_NE(program.WaitForWindow(view, MainWindowTitle()), 0u) << "the right password opened nothing";
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(10s), 0);
}

TEST_F(TrayE2eTest, SecondStartOpensTheRunningProgramsWindowAndEnds) {
    ProgramUnderTest program(TestSettings());
    StartDocked(program);
    QString message;
    EXPECT_EQ(program.RunAgain(&message), 0);
    EXPECT_TRUE(message.contains(QStringLiteral("already running"))) << message.toStdString();
    EXPECT_NE(program.WaitForWindow(view, MainWindowTitle()), 0u)
        << "the first program's window did not open";
    EXPECT_TRUE(program.Running());

    EXPECT_EQ(view.DockedIcons().size(), 1u) << "one tray icon";
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(10s), 0);
}

}  // namespace
