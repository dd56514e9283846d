#include "app/SingleInstance.h"

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
#include <QTemporaryDir>
#include <QThread>
#include <array>
#include <cerrno>
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

// A later start's connection: what it sent so far, read whenever the socket has more.
class SingleInstance::Peer {
public:
    explicit Peer(int fd) : fd_(fd), notifier_(fd, QSocketNotifier::Read) {}
    ~Peer() {
        notifier_.setEnabled(false);
        ::close(fd_);
    }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    int fd() const { return fd_; }
    QSocketNotifier& notifier() { return notifier_; }
    QByteArray& pending() { return pending_; }

private:
    int fd_;
    QSocketNotifier notifier_;
    QByteArray pending_;
};

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
    return QDir::tempPath();
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
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR) continue;
            return;  // EAGAIN: none left; anything else: the next notification tries again
        }
        Peer& peer = *peers_.emplace_back(std::make_unique<Peer>(fd));
        connect(&peer.notifier(), &QSocketNotifier::activated, this, [this, &peer] { serve(peer); });
        serve(peer);
    }
}

void SingleInstance::serve(Peer& peer) {
    std::array<char, 64> buffer{};
    for (;;) {
        const ssize_t n = ::recv(peer.fd(), buffer.data(), buffer.size(), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;  // all read; more may come
        if (n <= 0) break;  // closed by the other side, or failed
        peer.pending().append(buffer.data(), n);
        takeRequests(peer.pending());
        if (static_cast<std::size_t>(peer.pending().size()) > kMaxPending) break;
    }
    drop(peer);
}

void SingleInstance::takeRequests(QByteArray& pending) {
    for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
        const bool show = pending.first(end + 1) == kShowRequest;
        pending.remove(0, end + 1);
        if (!show) continue;
        // The request runs from the event loop, after this handler: opening the main window may ask
        // for the password in a nested loop, in which this connection can go away.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (onShowRequest) onShowRequest();
            },
            Qt::QueuedConnection);
    }
}

void SingleInstance::drop(Peer& peer) {
    // Not from inside the notifier's own signal: the peer goes on the event loop's next pass.
    peer.notifier().setEnabled(false);
    QMetaObject::invokeMethod(
        this,
        [this, target = &peer] { peers_.remove_if([target](const auto& p) { return p.get() == target; }); },
        Qt::QueuedConnection);
}

}  // namespace app
