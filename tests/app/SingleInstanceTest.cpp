// One running program per settings file and display: the lock, the request of a later start, and a
// lock left behind by a program that has ended.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>

#include "ui/QtApp.h"
#include "ui/SingleInstance.h"

namespace {

using namespace std::chrono_literals;

// Runs the event loop until done() holds or the timeout passes.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return done();
}

// A client of the socket that is not a later start: it sends what it is given, byte for byte.
class RawPeer {
public:
    explicit RawPeer(const QString& path) : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
        connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~RawPeer() { ::close(fd_); }
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;

    bool connected() const { return connected_; }
    bool Send(const std::string& bytes) {
        return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    // True once the other side has closed the connection.
    bool ClosedByServer() {
        char byte = 0;
        const ssize_t n = ::recv(fd_, &byte, 1, MSG_DONTWAIT);
        return n == 0 || (n < 0 && errno == ECONNRESET);  // a reset when our bytes were left unread
    }

private:
    int fd_;
    bool connected_ = false;
};

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

// The socket is its user's alone: nobody else may open the window of a running program.
TEST_F(SingleInstanceTest, OnlyItsUserCanConnect) {
    ui::SingleInstance first(Ini("zelmora2nd.ini"), ":5", dir.path());
    ASSERT_TRUE(first.TryLock());
    ASSERT_TRUE(first.Listen());
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(first.SocketPath()).constData(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// Whatever arrives on the socket, only a whole "show" line opens the window: a request split over
// several writes counts once, other lines count never, and a peer that sends on and on without a
// line end is cut off, while later starts are still served.
TEST_F(SingleInstanceTest, OnlyWholeRequestLinesCountAndFloodingPeersAreCutOff) {
    ui::SingleInstance first(Ini("zelmora2nd.ini"), ":5", dir.path());
    ASSERT_TRUE(first.TryLock());
    ASSERT_TRUE(first.Listen());
    int requests = 0;
    first.onShowRequest = [&requests] { ++requests; };

    RawPeer split(first.SocketPath());
    ASSERT_TRUE(split.connected());
    ASSERT_TRUE(split.Send("sh"));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(requests, 0);
    ASSERT_TRUE(split.Send("ow\nhello\nshow please\n"));
    EXPECT_TRUE(PumpUntil([&requests] { return requests == 1; }));

    RawPeer flood(first.SocketPath());
    ASSERT_TRUE(flood.connected());
    ASSERT_TRUE(flood.Send(std::string(1000, 'x')));
    EXPECT_TRUE(PumpUntil([&flood] { return flood.ClosedByServer(); }));

    ui::SingleInstance second(Ini("zelmora2nd.ini"), ":5", dir.path());
    EXPECT_TRUE(second.AskToShow(2s));
    EXPECT_TRUE(PumpUntil([&requests] { return requests == 2; }));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(requests, 2);
}

}  // namespace
