// One running program per settings file and display: the lock, the request of a later start, and a
// lock left behind by a program that has ended.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

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

int openDescriptors() {
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

sockaddr_un addressOf(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    return address;
}

// Runs `work` in a child process (raw system calls only, then _exit with its result) and pumps the
// event loop until the child has ended. Gives the child's exit status, -1 when it did not end.
int runInChild(const std::function<int()>& work, int timeoutMs = 20000) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(work());
    int status = -1;
    bool reaped = false;
    const bool ended = pumpUntil(
        [&] {
            reaped = reaped || ::waitpid(child, &status, WNOHANG) == child;
            return reaped;
        },
        timeoutMs);
    if (!ended) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A client of the socket that is not a later start: it sends what it is given, byte for byte.
class RawPeer {
public:
    explicit RawPeer(const QString& path) : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        const sockaddr_un address = addressOf(path);
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

    // The running program: holds the lock, listens, and counts the requests to open its window.
    bool startFirst() {
        if (!first.tryLock() || !first.listen()) return false;
        first.onShowRequest = [this] { ++requests; };
        return true;
    }

    QApplication& app = uitest::app();
    QTemporaryDir dir;
    app::SingleInstance first{ini("zelmora2nd.ini"), ":5", dir.path()};
    int requests = 0;
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
    ASSERT_TRUE(startFirst());

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
    ASSERT_TRUE(startFirst());
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(first.socketPath()).constData(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// Whatever arrives on the socket, only a whole "show" line opens the window: a request split over
// several writes counts once, other lines count never, and a peer that sends on and on without a
// line end is cut off, while later starts are still served.
TEST_F(SingleInstanceTest, OnlyWholeRequestLinesCountAndFloodingPeersAreCutOff) {
    ASSERT_TRUE(startFirst());

    RawPeer split(first.socketPath());
    ASSERT_TRUE(split.connected());
    ASSERT_TRUE(split.send("sh"));
    pumpUntil([] { return false; }, 100);
    EXPECT_EQ(requests, 0);
    ASSERT_TRUE(split.send("ow\nhello\nshow please\n"));
    EXPECT_TRUE(pumpUntil([this] { return requests == 1; }));

    RawPeer flood(first.socketPath());
    ASSERT_TRUE(flood.connected());
    ASSERT_TRUE(flood.send(std::string(1000, 'x')));
    EXPECT_TRUE(pumpUntil([&flood] { return flood.closedByServer(); }));

    app::SingleInstance second(ini("zelmora2nd.ini"), ":5", dir.path());
    EXPECT_TRUE(second.askToShow(2s));
    EXPECT_TRUE(pumpUntil([this] { return requests == 2; }));
    pumpUntil([] { return false; }, 100);
    EXPECT_EQ(requests, 2);
}

// A request repeated on one connection, or streamed lines that are not requests, take one line of
// the peer: the window opens once and the connection ends.
TEST_F(SingleInstanceTest, APeerIsHeardForOneLineAndRepeatedRequestsOpenTheWindowOnce) {
    ASSERT_TRUE(startFirst());

    std::string manyShows;
    for (int i = 0; i < 10000; ++i)
        manyShows += "show\n";
    RawPeer repeating(first.socketPath());
    ASSERT_TRUE(repeating.connected());
    ASSERT_TRUE(repeating.send(manyShows.substr(0, 60000)));
    RawPeer chatty(first.socketPath());
    ASSERT_TRUE(chatty.connected());
    ASSERT_TRUE(chatty.send("hello\nhello\nhello\n"));

    EXPECT_TRUE(pumpUntil([&] { return repeating.closedByServer() && chatty.closedByServer(); }));
    // Several later starts at once open the window once too.
    for (int i = 0; i < 5; ++i) {
        RawPeer start(first.socketPath());
        ASSERT_TRUE(start.send("show\n"));
    }
    pumpUntil([] { return false; }, 300);
    EXPECT_EQ(requests, 2);
}

// Connections that never send anything hold no more than a few descriptors, and not for long; a
// later start is still heard.
TEST_F(SingleInstanceTest, IdlePeersBeyondTheLimitAreDroppedAndLaterStartsStillHeard) {
    ASSERT_TRUE(startFirst());

    const int before = openDescriptors();
    std::vector<std::unique_ptr<RawPeer>> idle;
    int mostOpen = 0;
    for (int i = 0; i < 3 * app::SingleInstance::kMaxPeers; ++i) {
        idle.push_back(std::make_unique<RawPeer>(first.socketPath()));
        ASSERT_TRUE(idle.back()->connected());
        pumpUntil([] { return false; }, 5);
        mostOpen = std::max(mostOpen, openDescriptors() - before - static_cast<int>(idle.size()));
    }
    // The server's side of the connections: at most the limit, plus those dropped in this pass.
    EXPECT_LE(mostOpen, app::SingleInstance::kMaxPeers + 1);

    app::SingleInstance second(ini("zelmora2nd.ini"), ":5", dir.path());
    EXPECT_TRUE(second.askToShow(2s));
    EXPECT_TRUE(pumpUntil([this] { return requests == 1; }));
    EXPECT_TRUE(pumpUntil([&idle] {
        return std::all_of(idle.begin(), idle.end(), [](const auto& peer) { return peer->closedByServer(); });
    }));
}

// Thousands of connections from another process at once: the program never holds more than a few
// of them, stays responsive, and the later start queued behind them is heard.
TEST_F(SingleInstanceTest, AFloodOfConnectionsNeitherExhaustsDescriptorsNorShutsOutALaterStart) {
    ASSERT_TRUE(startFirst());
    const sockaddr_un address = addressOf(first.socketPath());

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t flood = ::fork();
    if (flood == 0) {
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
        int made = 0;
        for (int i = 0; i < 2000; ++i) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
            if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
                ++made;
        }
        const char count = made >= 1000 ? 'y' : 'n';
        (void)::write(ready[1], &count, 1);
        ::pause();  // holds the connections until killed
        ::_exit(0);
    }
    ::close(ready[1]);
    char count = 0;
    ASSERT_EQ(::read(ready[0], &count, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(count, 'y') << "the flood could not open its connections";

    const int before = openDescriptors();
    RawPeer later(first.socketPath());  // queued behind the flood
    ASSERT_TRUE(later.send("show\n"));
    int mostOpen = 0;
    qint64 longestPass = 0;
    QElapsedTimer pass;
    pass.start();
    pumpUntil([&] {
        mostOpen = std::max(mostOpen, openDescriptors() - before);
        longestPass = std::max(longestPass, pass.restart());
        return requests == 1;
    });
    ::kill(flood, SIGKILL);
    ::waitpid(flood, nullptr, 0);
    EXPECT_EQ(requests, 1);
    EXPECT_LE(mostOpen, app::SingleInstance::kMaxPeers + 64);
    std::printf("flood of 2000 connections: at most %d descriptors held, longest pass %lld ms\n", mostOpen,
                static_cast<long long>(longestPass));
}

// Out of file descriptors, the connection that waits is taken and closed, rather than left to keep
// the socket readable and the event loop spinning; once descriptors are free again, later starts
// are heard.
TEST_F(SingleInstanceTest, OutOfDescriptorsTheWaitingConnectionIsClosedAndLaterStartsHeardAgain) {
    ASSERT_TRUE(startFirst());

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit lowered = saved;
    lowered.rlim_cur = static_cast<rlim_t>(openDescriptors() + 64);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);

    RawPeer waiting(first.socketPath());
    ASSERT_TRUE(waiting.connected());
    std::vector<int> fillers;
    for (int fd = ::open("/dev/null", O_RDONLY); fd >= 0; fd = ::open("/dev/null", O_RDONLY))
        fillers.push_back(fd);
    ASSERT_EQ(errno, EMFILE);

    EXPECT_TRUE(pumpUntil([&waiting] { return waiting.closedByServer(); }));

    for (const int fd : fillers)
        ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    app::SingleInstance second(ini("zelmora2nd.ini"), ":5", dir.path());
    EXPECT_TRUE(second.askToShow(2s));
    EXPECT_TRUE(pumpUntil([this] { return requests == 1; }));
}

// Without a runtime folder of the session, the lock and the socket live in a folder of the user's
// own in the temporary folder; a name planted there by someone else is never used.
TEST_F(SingleInstanceTest, ThePrivateFolderIsTheUsersAndPlantedNamesAreRefused) {
    const QString own = dir.filePath(QStringLiteral("zelmora2nd-%1").arg(::getuid()));
    const QByteArray ownPath = QFile::encodeName(own);
    const auto mode = [&ownPath] {
        struct stat info {};
        return ::lstat(ownPath.constData(), &info) == 0 ? (info.st_mode & 07777) : 0u;
    };

    // Missing: made, closed to others.
    EXPECT_EQ(app::SingleInstance::privateFolderIn(dir.path()), own);
    EXPECT_EQ(mode(), 0700u);
    // Ours but opened to others: closed again.
    ASSERT_EQ(::chmod(ownPath.constData(), 0777), 0);
    EXPECT_EQ(app::SingleInstance::privateFolderIn(dir.path()), own);
    EXPECT_EQ(mode(), 0700u);
    ASSERT_TRUE(QDir(own).removeRecursively());

    // A link to a folder elsewhere, or a file, in its place.
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_EQ(::symlink(QFile::encodeName(elsewhere).constData(), ownPath.constData()), 0);
    EXPECT_EQ(app::SingleInstance::privateFolderIn(dir.path()), std::nullopt);
    ASSERT_EQ(::unlink(ownPath.constData()), 0);
    QFile planted(own);
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.close();
    EXPECT_EQ(app::SingleInstance::privateFolderIn(dir.path()), std::nullopt);
    ASSERT_EQ(::unlink(ownPath.constData()), 0);

    if (::geteuid() != 0) GTEST_SKIP() << "planting as another user needs root";
    constexpr uid_t kSomeoneElse = 65534;
    // A folder of someone else's.
    ASSERT_EQ(::mkdir(ownPath.constData(), 0777), 0);
    ASSERT_EQ(::chown(ownPath.constData(), kSomeoneElse, kSomeoneElse), 0);
    EXPECT_EQ(app::SingleInstance::privateFolderIn(dir.path()), std::nullopt);
    // Ours, but left open, with a lock file of someone else's in it: the lock goes.
    ASSERT_EQ(::chown(ownPath.constData(), ::getuid(), ::getgid()), 0);
    app::SingleInstance probe(ini("zelmora2nd.ini"), ":5", own);
    QFile lock(probe.lockPath());
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(::getpid()) + "\nzelmora2nd\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
    lock.close();
    ASSERT_EQ(::chown(QFile::encodeName(probe.lockPath()).constData(), kSomeoneElse, kSomeoneElse), 0);
    EXPECT_EQ(app::SingleInstance::privateFolderIn(dir.path()), own);
    EXPECT_EQ(mode(), 0700u);
    EXPECT_FALSE(QFile::exists(probe.lockPath()));
    app::SingleInstance next(ini("zelmora2nd.ini"), ":5", own);
    EXPECT_TRUE(next.tryLock());
}

// Another user who reaches the socket is not heard.
TEST_F(SingleInstanceTest, OtherUsersAreNotHeard) {
    if (::geteuid() != 0) GTEST_SKIP() << "connecting as another user needs root";
    ASSERT_TRUE(startFirst());
    // Opened up so that the other user can reach the socket at all.
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0711), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(first.socketPath()).constData(), 0666), 0);
    const sockaddr_un address = addressOf(first.socketPath());

    const int status = runInChild([&address] {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 2;
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) return 3;
        if (::send(fd, "show\n", 5, MSG_NOSIGNAL) != 5) return 0;  // already closed
        char byte = 0;
        const ssize_t n = ::recv(fd, &byte, 1, 0);  // the server closes the connection
        return n <= 0 ? 0 : 4;
    });
    EXPECT_EQ(status, 0);
    pumpUntil([] { return false; }, 200);
    EXPECT_EQ(requests, 0);
}

}  // namespace
