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

#include "e2e/support/E2eSettings.h"
#include "e2e/support/MainWindowLayout.h"
#include "e2e/support/ProgramUnderTest.h"
#include "lock/MakePassHash.h"
#include "support/desktop/Observer.h"

namespace {

using namespace e2e;

constexpr QPoint kCentre{512, 384};

const QString kSections = QStringLiteral("APP,MOUSE,KEY,LOCK");

class ShutdownE2eTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(view.connected()) << "no X display";
        movePointer(kCentre);
    }

    Observer view;
};

TEST_F(ShutdownE2eTest, ExitButtonGivesConcealedWindowsBackAndWritesTheSettings) {
    ClientWindow xterm(view, QStringLiteral("e2e-exit"));
    ProgramUnderTest program(testSettings({{"APP/blnRunup", "1"}, {"MOUSE/lngPixels", "6"}}));
    ASSERT_TRUE(program.start());
    const Window main = program.waitForWindow(view, mainWindowTitle());
    ASSERT_NE(main, 0u);

    movePointer({0, 0});
    ASSERT_TRUE(waitUntil([&] { return xterm.concealed(); }));
    clickAt(view.rootRect(main).topLeft() + kCmdExit, 1);  // the hold keeps the xterm concealed meanwhile

    EXPECT_EQ(program.waitForExit(10s), 0);
    EXPECT_TRUE(waitUntil([&] { return xterm.Shown(); })) << "the concealed xterm did not come back";
    EXPECT_EQ(program.iniValue("MOUSE", "lngPixels"), QStringLiteral("6"));
    EXPECT_EQ(program.iniValue("APP", "WinClasses"), ClientWindow::className());
    EXPECT_EQ(view.dockedIcons().size(), 0u) << "the icon is gone";
    movePointer(kCentre);
}

TEST_F(ShutdownE2eTest, SignalWhileThePasswordPromptIsOpenStillShutsDown) {
    ClientWindow xterm(view, QStringLiteral("e2e-prompt-open"));
    ProgramUnderTest program(
        testSettings({{"LOCK/blnLock", "1"}, {"LOCK/PassHash", lock::makePassHash(QStringLiteral("pw"))}}));
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForTrayIcon(view), 0u);
    movePointer({0, 0});
    ASSERT_TRUE(waitUntil([&] { return xterm.concealed(); }));
    movePointer(kCentre);
    program.clickTrayIcon(view, 1);
    ASSERT_NE(program.waitForWindow(view, promptTitle()), 0u);

    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(10s), 0) << program.standardError().toStdString();
    EXPECT_TRUE(waitUntil([&] { return xterm.Shown(); })) << "the concealed xterm did not come back";
    EXPECT_EQ(view.dockedIcons().size(), 0u);
    EXPECT_EQ(program.iniValue("LOCK", "PassHash"), lock::makePassHash(QStringLiteral("pw")));
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
    ProgramUnderTest program(testSettings({{"KEY/blnShiftMode", "0"}, {"MOUSE/MousePosi", "3"}}));
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForTrayIcon(view), 0u);
    movePointer({0, 0});
    ASSERT_TRUE(waitUntil([&] { return xterm.concealed(); }));
    movePointer(kCentre);

    program.signal(GetParam().signalNumber);
    EXPECT_EQ(program.waitForExit(10s), 0) << program.standardError().toStdString();
    EXPECT_TRUE(waitUntil([&] { return xterm.Shown(); })) << "the concealed xterm did not come back";
    EXPECT_EQ(program.iniValue("MOUSE", "MousePosi"), QStringLiteral("3"));
}

INSTANTIATE_TEST_SUITE_P(Signals, ShutdownSignalE2eTest,
                         testing::Values(SignalCase{SIGTERM, "SIGTERM"}, SignalCase{SIGINT, "SIGINT"},
                                         SignalCase{SIGHUP, "SIGHUP"}),
                         [](const testing::TestParamInfo<SignalCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(ShutdownE2eTest, FirstShutdownCreatesTheFileInSectionOrder) {
    ProgramUnderTest program;
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(view, mainWindowTitle()), 0u) << "no file: the window shows at start-up";
    EXPECT_TRUE(program.iniText().isEmpty()) << "start-up writes nothing";
    program.signal(SIGTERM);
    ASSERT_EQ(program.waitForExit(10s), 0);
    EXPECT_EQ(program.iniSections().join(u','), kSections);
    EXPECT_EQ(program.iniText().count(QLatin1Char('=')), 17);
    EXPECT_EQ(program.iniValue("APP", "WinClasses"), QStringLiteral("IEFrame"));
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
        waitUntil([&] {
            server_.waitForReadyRead(50);
            number_ += server_.readAllStandardOutput();
            return number_.contains('\n') || server_.state() == QProcess::NotRunning;
        });
        number_ = number_.trimmed();
    }
    ~PrivateDisplay() { Stop(); }

    QString name() const { return QStringLiteral(":") + QString::fromLatin1(number_); }
    bool ready() const { return !number_.isEmpty() && server_.state() == QProcess::Running; }
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
    ASSERT_TRUE(display.ready());
    ProgramUnderTest program(testSettings({{"APP/blnRunup", "1"}, {"MOUSE/lngPixels", "9"}}));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display.name());
    ASSERT_TRUE(program.start(env));
    Observer privateView(display.name().toLatin1().constData());
    ASSERT_TRUE(privateView.connected());
    ASSERT_TRUE(waitUntil([&] { return privateView.findWindow(mainWindowTitle(), program.pid()) != 0; }))
        << "the program did not start on the private display";

    display.Stop();
    const std::optional<int> exitCode = program.waitForExit(15s);
    ASSERT_TRUE(exitCode.has_value()) << "the program hung or crashed";
    EXPECT_EQ(*exitCode, 1);
    // Whichever connection notices first says so: the program's own ("the X server"), Qt's ("The X11
    // connection broke") or Xlib's ("X connection to :N broken"); the last two end the process
    // themselves. The settings are written either way.
    EXPECT_TRUE(
        program.standardError().contains(QRegularExpression(QStringLiteral("X(11)? (server|connection)"))))
        << program.standardError().toStdString();
    EXPECT_EQ(program.iniSections().join(u','), kSections);
    EXPECT_EQ(program.iniText().count(QLatin1Char('=')), 17) << "all the settings were written";
    EXPECT_EQ(program.iniValue("MOUSE", "lngPixels"), QStringLiteral("9"));
}

TEST_F(ShutdownE2eTest, NoXServerSaysSoAndEnds) {
    ProgramUnderTest program(testSettings());
    const QString before = program.iniText();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":65000"));
    ASSERT_TRUE(program.start(env));
    EXPECT_EQ(program.waitForExit(10s), 1);
    EXPECT_TRUE(program.standardError().contains(QStringLiteral("cannot connect to the X server")))
        << program.standardError().toStdString();
    EXPECT_EQ(program.iniText(), before) << "the settings stay as they were";
}

}  // namespace
