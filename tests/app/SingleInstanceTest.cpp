// One running program per settings file and display: the lock, the request of a later start, and a
// lock left behind by a program that has ended.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <chrono>

#include "ui/QtApp.h"
#include "ui/SingleInstance.h"

namespace {

using namespace std::chrono_literals;

class SingleInstanceTest : public testing::Test {
protected:
    QString Ini(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QApplication& app = uitest::App();
    QTemporaryDir dir;
};

TEST_F(SingleInstanceTest, KeyTellsSettingsFilesAndDisplaysApart) {
    using ui::SingleInstance;
    const QString a = Ini("a/zelmora2nd.ini");
    EXPECT_EQ(SingleInstance::Key(a, ":1"), SingleInstance::Key(a, ":1.0"));
    EXPECT_EQ(SingleInstance::Key(a, ":1"), SingleInstance::Key(a, "unix:1"));
    EXPECT_NE(SingleInstance::Key(a, ":1"), SingleInstance::Key(a, ":2"));
    EXPECT_NE(SingleInstance::Key(a, ":1"), SingleInstance::Key(Ini("b/zelmora2nd.ini"), ":1"));
}

TEST_F(SingleInstanceTest, LaterStartFindsTheLockAndAsksForTheWindow) {
    ui::SingleInstance first(Ini("zelmora2nd.ini"), ":5", dir.path());
    ASSERT_TRUE(first.TryLock());
    ASSERT_TRUE(first.Listen());
    int requests = 0;
    first.onShowRequest = [&requests] { ++requests; };

    ui::SingleInstance second(Ini("zelmora2nd.ini"), ":5.0", dir.path());
    EXPECT_FALSE(second.TryLock());
    EXPECT_TRUE(second.AskToShow(2s));

    QDeadlineTimer deadline(5000);
    while (requests == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    EXPECT_EQ(requests, 1);

    ui::SingleInstance otherDisplay(Ini("zelmora2nd.ini"), ":6", dir.path());
    EXPECT_TRUE(otherDisplay.TryLock());
}

TEST_F(SingleInstanceTest, AskingWithoutARunningProgramFailsWithinTheTimeout) {
    ui::SingleInstance alone(Ini("zelmora2nd.ini"), ":5", dir.path());
    EXPECT_FALSE(alone.AskToShow(200ms));
}

TEST_F(SingleInstanceTest, LeftoversOfAnEndedProgramAreTakenOver) {
    ui::SingleInstance probe(Ini("zelmora2nd.ini"), ":5", dir.path());
    // A lock file of this machine whose process is gone (no PID is that large), and its socket file.
    QFile lock(probe.LockPath());
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("999999999\nzelmora2nd\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    QFile socket(probe.SocketPath());
    ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
    socket.close();

    ui::SingleInstance next(Ini("zelmora2nd.ini"), ":5", dir.path());
    EXPECT_TRUE(next.TryLock());
    EXPECT_TRUE(next.Listen());
}

}  // namespace
