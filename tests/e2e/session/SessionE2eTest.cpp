// The real program under a session manager: a save request (a checkpoint, or a log-out that is
// then cancelled) only writes the settings, concealed windows stay concealed and the program goes
// on; the session's real end gives the windows back, writes the settings and ends the program.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcessEnvironment>
#include <chrono>

#include "e2e/session/TestSessionManager.h"
#include "e2e/support/E2eSettings.h"
#include "e2e/support/ProgramUnderTest.h"
#include "support/desktop/Observer.h"

namespace {

using namespace e2e;
using namespace std::chrono_literals;

constexpr QPoint kCentre{512, 384};

TEST(SessionE2eTest, SaveRequestsOnlyWriteTheSettingsAndTheSessionsEndEndsTheProgram) {
    Observer view;
    ASSERT_TRUE(view.connected()) << "no X display";
    movePointer(kCentre);
    TestSessionManager session;
    ASSERT_TRUE(session.listening()) << session.error().toStdString();

    ClientWindow xterm(view, QStringLiteral("e2e-session"));
    ProgramUnderTest program(testSettings({{"MOUSE/lngPixels", "6"}}));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SESSION_MANAGER"), session.address());
    ASSERT_TRUE(program.start(env));
    ASSERT_TRUE(session.waitForClient(20s)) << "the program did not register with the session manager";
    ASSERT_NE(program.waitForTrayIcon(view), 0u);
    movePointer({0, 0});  // held: stays concealed when the pointer leaves
    ASSERT_TRUE(waitUntil([&] { return xterm.concealed(); }));
    movePointer(kCentre);

    for (const bool logOut : {false, true}) {
        SCOPED_TRACE(logOut ? "log-out, then cancelled" : "checkpoint");
        ASSERT_TRUE(QFile::remove(program.iniPath()));
        EXPECT_TRUE(session.saveYourself(logOut, 10s)) << "no successful answer to the save request";
        if (logOut) session.shutdownCancelled();
        EXPECT_EQ(program.iniValue("MOUSE", "lngPixels"), QStringLiteral("6"))
            << "the settings were not written";
        EXPECT_EQ(program.iniValue("APP", "WinClasses"), ClientWindow::className());
        session.serveUntil([] { return false; }, 500ms);
        EXPECT_TRUE(program.running()) << program.standardError().toStdString();
        EXPECT_TRUE(xterm.concealed()) << "a save request gave the concealed window back";
        EXPECT_EQ(view.dockedIcons().size(), 1u);
    }

    ASSERT_TRUE(QFile::remove(program.iniPath()));
    session.die();
    session.serveUntil([&] { return !program.running(); }, 10s);
    EXPECT_EQ(program.waitForExit(10s), 0) << program.standardError().toStdString();
    EXPECT_TRUE(waitUntil([&] { return xterm.Shown(); })) << "the concealed window did not come back";
    EXPECT_EQ(program.iniValue("MOUSE", "lngPixels"), QStringLiteral("6"));
}

}  // namespace
