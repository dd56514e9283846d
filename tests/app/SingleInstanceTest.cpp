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

#include "app/SingleInstance.h"
#include "ui/QtApp.h"

namespace {

using namespace std::chrono_literals;

// Runs the event loop until done() holds or the timeout passes.
bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
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
    bool send(const std::string& bytes) {
        return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    // True once the other side has closed the connection.
    bool closedByServer() {
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
    QString ini(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QApplication& app = uitest::app();
    QTemporaryDir dir;
};

TEST_F(SingleInstanceTest, KeyTellsSettingsFilesAndDisplaysApart) {
    using app::SingleInstance;
    const QString a = ini("a/zelmora2nd.ini");
    EXPECT_EQ(SingleInstance::key(a, ":1"), SingleInstance::key(a, ":1.0"));
    EXPECT_EQ(SingleInstance::key(a, ":1"), SingleInstance::key(a, "unix:1"));
    EXPECT_NE(SingleInstance::key(a, ":1"), SingleInstance::key(a, ":2"));
    EXPECT_NE(SingleInstance::key(a, ":1"), SingleInstance::key(ini("b/zelmora2nd.ini"), ":1"));
}

TEST_F(SingleInstanceTest, LaterStartFindsTheLockAndAsksForTheWindow) {
    app::SingleInstance first(ini("zelmora2nd.ini"), ":5", dir.path());
    ASSERT_TRUE(first.tryLock());
    ASSERT_TRUE(first.listen());
    int requests = 0;
    first.onShowRequest = [&requests] { ++requests; };

    app::SingleInstance second(ini("zelmora2nd.ini"), ":5.0", dir.path());
    EXPECT_FALSE(second.tryLock());
    EXPECT_TRUE(second.askToShow(2s));

    QDeadlineTimer deadline(5000);
    while (requests == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    EXPECT_EQ(requests, 1);

    app::SingleInstance otherDisplay(ini("zelmora2nd.ini"), ":6", dir.path());
    EXPECT_TRUE(otherDisplay.tryLock());
}

TEST_F(SingleInstanceTest, AskingWithoutARunningProgramFailsWithinTheTimeout) {
    app::SingleInstance alone(ini("zelmora2nd.ini"), ":5", dir.path());
    EXPECT_FALSE(alone.askToShow(200ms));
}

TEST_F(SingleInstanceTest, LeftoversOfAnEndedProgramAreTakenOver) {
    app::SingleInstance probe(ini("zelmora2nd.ini"), ":5", dir.path());
    // A lock file of this machine whose process is gone (no PID is that large), and its socket file.
    QFile lock(probe.lockPath());
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("999999999\nzelmora2nd\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    QFile socket(probe.socketPath());
    ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
    socket.close();

    app::SingleInstance next(ini("zelmora2nd.ini"), ":5", dir.path());
    EXPECT_TRUE(next.tryLock());
    EXPECT_TRUE(next.listen());
}

// The socket is its user's alone: nobody else may open the window of a running program.
TEST_F(SingleInstanceTest, OnlyItsUserCanConnect) {
    app::SingleInstance first(ini("zelmora2nd.ini"), ":5", dir.path());
    ASSERT_TRUE(first.tryLock());
    ASSERT_TRUE(first.listen());
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(first.socketPath()).constData(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// Whatever arrives on the socket, only a whole "show" line opens the window: a request split over
// several writes counts once, other lines count never, and a peer that sends on and on without a
// line end is cut off, while later starts are still served.
TEST_F(SingleInstanceTest, OnlyWholeRequestLinesCountAndFloodingPeersAreCutOff) {
    app::SingleInstance first(ini("zelmora2nd.ini"), ":5", dir.path());
    ASSERT_TRUE(first.tryLock());
    ASSERT_TRUE(first.listen());
    int requests = 0;
    first.onShowRequest = [&requests] { ++requests; };

    RawPeer split(first.socketPath());
    ASSERT_TRUE(split.connected());
    ASSERT_TRUE(split.send("sh"));
    pumpUntil([] { return false; }, 100);
    EXPECT_EQ(requests, 0);
    ASSERT_TRUE(split.send("ow\nhello\nshow please\n"));
    EXPECT_TRUE(pumpUntil([&requests] { return requests == 1; }));

    RawPeer flood(first.socketPath());
    ASSERT_TRUE(flood.connected());
    ASSERT_TRUE(flood.send(std::string(1000, 'x')));
    EXPECT_TRUE(pumpUntil([&flood] { return flood.closedByServer(); }));

    app::SingleInstance second(ini("zelmora2nd.ini"), ":5", dir.path());
    EXPECT_TRUE(second.askToShow(2s));
    EXPECT_TRUE(pumpUntil([&requests] { return requests == 2; }));
    pumpUntil([] { return false; }, 100);
    EXPECT_EQ(requests, 2);
}

}  // namespace
