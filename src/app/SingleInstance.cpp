#include "app/SingleInstance.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace app {

namespace {

constexpr char kShowRequest[] = "show\n";
constexpr std::size_t kRequestLength = sizeof(kShowRequest) - 1;
// Longer than any request: a peer that sends more without a line end is not one of us.
constexpr std::size_t kMaxPending = 64;

// ":0", ":0.0" and "unix:0.0" name the same display; the screen number does not matter.
QString displayKey(const QString& display) {
    QString key = display;
    if (key.startsWith(QStringLiteral("unix:"))) key = key.mid(4);
    const qsizetype colon = key.lastIndexOf(u':');
    const qsizetype dot = key.indexOf(u'.', colon + 1);
    if (colon >= 0 && dot > colon) key.truncate(dot);
    return key;
}

// The socket's address; nullopt when the path is too long for one.
std::optional<sockaddr_un> unixAddress(const QString& path) {
    const QByteArray encoded = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (encoded.isEmpty() || static_cast<std::size_t>(encoded.size()) >= sizeof(address.sun_path)) {
        return std::nullopt;
    }
    std::memcpy(address.sun_path, encoded.constData(), static_cast<std::size_t>(encoded.size()));
    return address;
}

bool bind(int fd, const sockaddr_un& address) {
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
}

bool connect(int fd, const sockaddr_un& address) {
    return ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
}

// Binds the socket at `path`, reachable by its user only. It is made in a folder of its own and
// moved into place once its permissions are set, so that nobody else can connect in between.
bool bindPrivately(int fd, const QString& path) {
    QTemporaryDir folder(path + QStringLiteral("-XXXXXX"));  // 0700
    if (!folder.isValid()) return false;
    const QString inside = folder.filePath(QStringLiteral("s"));
    const std::optional<sockaddr_un> address = unixAddress(inside);
    if (!address || !bind(fd, *address)) return false;
    return ::chmod(address->sun_path, S_IRUSR | S_IWUSR) == 0 &&
           ::rename(address->sun_path, QFile::encodeName(path).constData()) == 0;
}

// One try: true or false once the request was or was not sent to a listening program, nullopt when
// no program listens (yet), or its queue of connections is full.
std::optional<bool> sendShowRequest(const sockaddr_un& address) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    std::optional<bool> sent;
    if (connect(fd, address)) {
        // A new connection has room for a few bytes: the write does not wait.
        sent = ::send(fd, kShowRequest, kRequestLength, MSG_NOSIGNAL) == static_cast<ssize_t>(kRequestLength);
    }
    ::close(fd);
    return sent;
}

}  // namespace

// A later start's connection: what it sent so far, read whenever the socket has more, and dropped
// when it stays silent too long.
class SingleInstance::Peer {
public:
    explicit Peer(int fd) : fd_(fd), notifier_(fd, QSocketNotifier::Read) {
        idle_.setSingleShot(true);
        idle_.setInterval(kPeerTimeout);
        idle_.start();
    }
    ~Peer() {
        notifier_.setEnabled(false);
        ::close(fd_);
    }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    int fd() const { return fd_; }
    QSocketNotifier& notifier() { return notifier_; }
    QTimer& idle() { return idle_; }
    QByteArray& pending() { return pending_; }
    // Dropped, and gone on the event loop's next pass.
    bool dropped() const { return !notifier_.isEnabled(); }

private:
    int fd_;
    QSocketNotifier notifier_;
    QTimer idle_;
    QByteArray pending_;
};

namespace {

// Connections taken from the queue in one pass of the event loop: a flood of them is worked off
// over several passes, between which everything else runs.
constexpr int kAcceptsPerPass = 32;

int openSpare() {
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

// The uid of the process at the other end of a Unix socket; nullopt when it cannot be told.
std::optional<uid_t> peerUid(int fd) {
    ucred credentials{};
    socklen_t size = sizeof(credentials);
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return std::nullopt;
    return credentials.uid;
}

// A folder we may use for the lock and the socket: a real folder (not a link), ours, closed to
// others.
bool isPrivateFolder(const struct stat& info) {
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

}  // namespace

SingleInstance::SingleInstance(const QString& settingsPath, const QString& display, const QString& runtimeDir)
    : base_(
          QDir(runtimeDir)
              .filePath(QStringLiteral("zelmora2nd-%1-%2").arg(::getuid()).arg(key(settingsPath, display)))),
      lock_(lockPath()) {
    // The lock is held for the whole run: it must never count as stale because of its age, only
    // because its program is gone.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    peers_.clear();
    if (spare_ >= 0) ::close(spare_);
    if (listener_ < 0) return;
    listening_.reset();
    ::close(listener_);
    ::unlink(QFile::encodeName(socketPath()).constData());
}

QString SingleInstance::key(const QString& settingsPath, const QString& display) {
    const QString canonical = QFileInfo(settingsPath).absoluteFilePath();
    const QByteArray both = (canonical + QChar(u'\n') + displayKey(display)).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(both, QCryptographicHash::Sha256).toHex().left(16));
}

QString SingleInstance::defaultRuntimeDir() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable()) return runtime;
    if (const std::optional<QString> folder = privateFolderIn(QDir::tempPath())) return *folder;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    QDir().mkpath(cache);
    const QString folder = privateFolderIn(cache).value_or(cache);
    std::fprintf(stderr,
                 "zelmora2nd: %s/zelmora2nd-%u belongs to someone else; the lock and the socket go to %s "
                 "instead.\n",
                 QFile::encodeName(QDir::tempPath()).constData(), static_cast<unsigned>(::getuid()),
                 QFile::encodeName(folder).constData());
    return folder;
}

std::optional<QString> SingleInstance::privateFolderIn(const QString& base) {
    const QString folder = QDir(base).filePath(QStringLiteral("zelmora2nd-%1").arg(::getuid()));
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), S_IRWXU) != 0 && errno != EEXIST) return std::nullopt;
    // Opened without following a link, then checked and used through that very descriptor.
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    bool usable = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid();
    if (usable && !isPrivateFolder(info)) {
        // Ours but open to others: closed again, and whatever others left in it goes.
        usable = ::fchmod(fd, S_IRWXU) == 0;
        if (DIR* entries = usable ? ::fdopendir(::dup(fd)) : nullptr) {
            while (const dirent* entry = ::readdir(entries)) {
                struct stat child {};
                if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
                if (::fstatat(fd, entry->d_name, &child, AT_SYMLINK_NOFOLLOW) == 0 &&
                    child.st_uid != ::getuid())
                    ::unlinkat(fd, entry->d_name, S_ISDIR(child.st_mode) ? AT_REMOVEDIR : 0);
            }
            ::closedir(entries);
        }
    }
    ::close(fd);
    if (!usable) return std::nullopt;
    return folder;
}

bool SingleInstance::tryLock() {
    return lock_.tryLock(0);
}

bool SingleInstance::listen() {
    if (listener_ >= 0) return true;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    // We hold the lock: a socket file left behind belongs to a program that has ended.
    if (!bindPrivately(fd, socketPath()) || ::listen(fd, SOMAXCONN) != 0) {
        ::close(fd);
        return false;
    }
    listener_ = fd;
    spare_ = openSpare();
    listening_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(listening_.get(), &QSocketNotifier::activated, this, &SingleInstance::accept);
    return true;
}

bool SingleInstance::askToShow(std::chrono::milliseconds timeout) {
    const std::optional<sockaddr_un> address = unixAddress(socketPath());
    if (!address) return false;
    QDeadlineTimer deadline(timeout);
    std::chrono::milliseconds pause{10};
    do {
        if (const std::optional<bool> sent = sendShowRequest(*address)) return *sent;
        QThread::msleep(static_cast<unsigned long>(pause.count()));
        pause = std::min(pause * 2, std::chrono::milliseconds(200));
    } while (!deadline.hasExpired());
    return false;
}

void SingleInstance::accept() {
    for (int accepted = 0; accepted < kAcceptsPerPass; ++accepted) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR) continue;
            if (errno == EMFILE || errno == ENFILE) shedConnection();
            return;  // EAGAIN: none left; anything else: the next notification tries again
        }
        // Only the user's own processes may open the window.
        if (peerUid(fd) != ::getuid()) {
            ::close(fd);
            continue;
        }
        if (openPeers() >= kMaxPeers) dropOldestPeer();
        Peer& peer = *peers_.emplace_back(std::make_unique<Peer>(fd));
        connect(&peer.notifier(), &QSocketNotifier::activated, this, [this, &peer] { serve(peer); });
        connect(&peer.idle(), &QTimer::timeout, this, [this, &peer] { drop(peer); });
        serve(peer);
    }
}

void SingleInstance::shedConnection() {
    // Without a free descriptor the waiting connection would keep the socket readable, and the
    // event loop would come back here at once, for as long as the shortage lasts.
    if (spare_ >= 0) {
        ::close(spare_);
        spare_ = -1;
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) ::close(fd);
        spare_ = openSpare();
        if (spare_ >= 0) return;
    }
    // Not even the spare descriptor: stop listening for a moment.
    listening_->setEnabled(false);
    QTimer::singleShot(kPeerTimeout / 10, this, [this] {
        if (spare_ < 0) spare_ = openSpare();
        if (listening_) listening_->setEnabled(true);
    });
}

void SingleInstance::serve(Peer& peer) {
    if (peer.dropped()) return;
    // One read of at most a request's worth of bytes per pass: a peer that streams cannot hold the
    // event loop.
    std::array<char, kMaxPending> buffer{};
    ssize_t n = 0;
    do {
        n = ::recv(peer.fd(), buffer.data(), buffer.size(), 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;  // nothing yet; more may come
    if (n > 0) {
        peer.pending().append(buffer.data(), n);
        if (!takeRequest(peer.pending())) return;
    }
    drop(peer);  // its line is taken, or it closed, or it failed
}

bool SingleInstance::takeRequest(QByteArray& pending) {
    const qsizetype end = pending.indexOf('\n');
    if (end < 0) return static_cast<std::size_t>(pending.size()) >= kMaxPending;
    if (pending.first(end + 1) == kShowRequest) queueShowRequest();
    return true;
}

void SingleInstance::queueShowRequest() {
    // Requests that arrive before the first is carried out open the window once.
    if (showQueued_) return;
    showQueued_ = true;
    // The request runs from the event loop, after this handler: opening the main window may ask for
    // the password in a nested loop, in which this connection can go away.
    QMetaObject::invokeMethod(
        this,
        [this] {
            showQueued_ = false;
            if (onShowRequest) onShowRequest();
        },
        Qt::QueuedConnection);
}

int SingleInstance::openPeers() const {
    return static_cast<int>(
        std::count_if(peers_.begin(), peers_.end(), [](const auto& peer) { return !peer->dropped(); }));
}

void SingleInstance::dropOldestPeer() {
    const auto oldest =
        std::find_if(peers_.begin(), peers_.end(), [](const auto& peer) { return !peer->dropped(); });
    if (oldest != peers_.end()) drop(**oldest);
}

void SingleInstance::drop(Peer& peer) {
    if (peer.dropped()) return;
    // Closed at once, so that its descriptor is free again; the object goes on the event loop's next
    // pass, not from inside its own notifier's signal.
    peer.notifier().setEnabled(false);
    peer.idle().stop();
    ::shutdown(peer.fd(), SHUT_RDWR);
    QMetaObject::invokeMethod(
        this,
        [this, target = &peer] { peers_.remove_if([target](const auto& p) { return p.get() == target; }); },
        Qt::QueuedConnection);
}

}  // namespace app
