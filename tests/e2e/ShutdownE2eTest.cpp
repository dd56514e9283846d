// The real program's shut-down on the headless desktop: "終了" and the shut-down signals give
// concealed xterms back and write the settings file; the X server going away ends the program
// with its settings written; no X server at all gives a clear message.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <chrono>
#include <csignal>
#include <ostream>
#include <string>

#include "e2e/support/DesktopInput.h"
#include "e2e/support/DesktopView.h"
#include "e2e/support/E2eSettings.h"
#include "e2e/support/MainWindowLayout.h"
#include "e2e/support/ProgramUnderTest.h"
#include "lock/MakePassHash.h"

namespace {

using namespace e2e;

constexpr QPoint kCentre{512, 384};

const QString kSections = QStringLiteral("APP,MOUSE,KEY,LOCK");

class ShutdownE2eTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(view.Connected()) << "no X display";
        MovePointer(kCentre);
    }

    DesktopView view;
};

TEST_F(ShutdownE2eTest, ExitButtonGivesConcealedWindowsBackAndWritesTheSettings) {
    ClientWindow xterm(view, QStringLiteral("e2e-exit"));
    ProgramUnderTest program(TestSettings({{"APP/blnRunup", "1"}, {"MOUSE/lngPixels", "6"}}));
    ASSERT_TRUE(program.Start());
    const Window main = program.WaitForWindow(view, MainWindowTitle());
    ASSERT_NE(main, 0u);

    MovePointer({0, 0});
    ASSERT_TRUE(WaitUntil([&] { return xterm.Concealed(); }));
    ClickAt(view.Geometry(main).topLeft() + kCmdExit, 1);  // the hold keeps the xterm concealed meanwhile

    EXPECT_EQ(program.WaitForExit(10s), 0);
    EXPECT_TRUE(WaitUntil([&] { return xterm.Shown(); })) << "the concealed xterm did not come back";
    EXPECT_EQ(program.IniValue("MOUSE", "lngPixels"), QStringLiteral("6"));
    EXPECT_EQ(program.IniValue("APP", "WinClasses"), ClientWindow::ClassName());
    EXPECT_EQ(view.DockedIcons().size(), 0u) << "the icon is gone";
    MovePointer(kCentre);
}

TEST_F(ShutdownE2eTest, SignalWhileThePasswordPromptIsOpenStillShutsDown) {
    ClientWindow xterm(view, QStringLiteral("e2e-prompt-open"));
    ProgramUnderTest program(
        TestSettings({{"LOCK/blnLock", "1"}, {"LOCK/PassHash", lock::MakePassHash(QStringLiteral("pw"))}}));
    ASSERT_TRUE(program.Start());
    ASSERT_NE(program.WaitForTrayIcon(view), 0u);
    MovePointer({0, 0});
    ASSERT_TRUE(WaitUntil([&] { return xterm.Concealed(); }));
    MovePointer(kCentre);
    program.ClickTrayIcon(view, 1);
    ASSERT_NE(program.WaitForWindow(view, PromptTitle()), 0u);

    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(10s), 0) << program.StandardError().toStdString();
    EXPECT_TRUE(WaitUntil([&] { return xterm.Shown(); })) << "the concealed xterm did not come back";
    EXPECT_EQ(view.DockedIcons().size(), 0u);
    EXPECT_EQ(program.IniValue("LOCK", "PassHash"), lock::MakePassHash(QStringLiteral("pw")));
}

struct SignalCase {
    int signalNumber;
    const char* name;
};

void PrintTo(const SignalCase& c, std::ostream* os) {
    *os << c.name;
}

class ShutdownSignalE2eTest : public ShutdownE2eTest, public testing::WithParamInterface<SignalCase> {};

TEST_P(ShutdownSignalE2eTest, SignalRunsTheShutdown) {
    ClientWindow xterm(view, QStringLiteral("e2e-signal"));
    ProgramUnderTest program(TestSettings({{"KEY/blnShiftMode", "0"}, {"MOUSE/MousePosi", "3"}}));
    ASSERT_TRUE(program.Start());
    ASSERT_NE(program.WaitForTrayIcon(view), 0u);
    MovePointer({0, 0});
    ASSERT_TRUE(WaitUntil([&] { return xterm.Concealed(); }));
    MovePointer(kCentre);

    program.Signal(GetParam().signalNumber);
    EXPECT_EQ(program.WaitForExit(10s), 0) << program.StandardError().toStdString();
    EXPECT_TRUE(WaitUntil([&] { return xterm.Shown(); })) << "the concealed xterm did not come back";
    EXPECT_EQ(program.IniValue("MOUSE", "MousePosi"), QStringLiteral("3"));
}

INSTANTIATE_TEST_SUITE_P(Signals, ShutdownSignalE2eTest,
                         testing::Values(SignalCase{SIGTERM, "SIGTERM"}, SignalCase{SIGINT, "SIGINT"},
                                         SignalCase{SIGHUP, "SIGHUP"}),
                         [](const testing::TestParamInfo<SignalCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(ShutdownE2eTest, FirstShutdownCreatesTheFileInSectionOrder) {
    ProgramUnderTest program;
    ASSERT_TRUE(program.Start());
    ASSERT_NE(program.WaitForWindow(view, MainWindowTitle()), 0u) << "no file: the window shows at start-up";
    EXPECT_TRUE(program.IniText().isEmpty()) << "start-up writes nothing";
    program.Signal(SIGTERM);
    ASSERT_EQ(program.WaitForExit(10s), 0);
    EXPECT_EQ(program.IniSections().join(u','), kSections);
    EXPECT_EQ(program.IniText().count(QLatin1Char('=')), 17);
    EXPECT_EQ(program.IniValue("APP", "WinClasses"), QStringLiteral("IEFrame"));
}

// A display of the test's own, which it can take away under the program.
class PrivateDisplay {
public:
    PrivateDisplay() {
        server_.start(QStringLiteral("Xvfb"),
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                       QStringLiteral("0"), QStringLiteral("800x600x24"), QStringLiteral("-nolisten"),
                       QStringLiteral("tcp"), QStringLiteral("-noreset")});
        if (!server_.waitForStarted(10000)) return;
        // -displayfd: the server writes its display number once it accepts clients.
        WaitUntil([&] {
            server_.waitForReadyRead(50);
            number_ += server_.readAllStandardOutput();
            return number_.contains('\n') || server_.state() == QProcess::NotRunning;
        });
        number_ = number_.trimmed();
    }
    ~PrivateDisplay() { Stop(); }

    QString Name() const { return QStringLiteral(":") + QString::fromLatin1(number_); }
    bool Ready() const { return !number_.isEmpty() && server_.state() == QProcess::Running; }
    void Stop() {
        if (server_.state() == QProcess::NotRunning) return;
        server_.terminate();
        if (!server_.waitForFinished(5000)) {
            server_.kill();
            server_.waitForFinished();
        }
    }

private:
    QProcess server_;
    QByteArray number_;
};

TEST_F(ShutdownE2eTest, LostXServerEndsTheProgramWithItsSettingsWritten) {
    PrivateDisplay display;
    ASSERT_TRUE(display.Ready());
    ProgramUnderTest program(TestSettings({{"APP/blnRunup", "1"}, {"MOUSE/lngPixels", "9"}}));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display.Name());
    ASSERT_TRUE(program.Start(env));
    DesktopView privateView(display.Name().toLatin1().constData());
    ASSERT_TRUE(privateView.Connected());
    ASSERT_TRUE(WaitUntil([&] { return privateView.FindWindow(MainWindowTitle(), program.Pid()) != 0; }))
        << "the program did not start on the private display";

    display.Stop();
    const std::optional<int> exitCode = program.WaitForExit(15s);
    ASSERT_TRUE(exitCode.has_value()) << "the program hung or crashed";
    EXPECT_EQ(*exitCode, 1);
    // Whichever connection notices first says so: the program's own ("the X server"), Qt's ("The X11
    // connection broke") or Xlib's ("X connection to :N broken"); the last two end the process
    // themselves. The settings are written either way.
    EXPECT_TRUE(
        program.StandardError().contains(QRegularExpression(QStringLiteral("X(11)? (server|connection)"))))
        << program.StandardError().toStdString();
    EXPECT_EQ(program.IniSections().join(u','), kSections);
    EXPECT_EQ(program.IniText().count(QLatin1Char('=')), 17) << "all the settings were written";
    EXPECT_EQ(program.IniValue("MOUSE", "lngPixels"), QStringLiteral("9"));
}

TEST_F(ShutdownE2eTest, NoXServerSaysSoAndEnds) {
    ProgramUnderTest program(TestSettings());
    const QString before = program.IniText();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":65000"));
    ASSERT_TRUE(program.Start(env));
    EXPECT_EQ(program.WaitForExit(10s), 1);
    EXPECT_TRUE(program.StandardError().contains(QStringLiteral("cannot connect to the X server")))
        << program.StandardError().toStdString();
    EXPECT_EQ(program.IniText(), before) << "the settings stay as they were";
}

}  // namespace
