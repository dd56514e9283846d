#include "ui/SingleInstance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

namespace ui {

namespace {

constexpr char kShowRequest[] = "show\n";

// ":0", ":0.0" and "unix:0.0" name the same display; the screen number does not matter.
QString DisplayKey(const QString& display) {
    QString key = display;
    if (key.startsWith(QStringLiteral("unix:"))) key = key.mid(4);
    const qsizetype colon = key.lastIndexOf(u':');
    const qsizetype dot = key.indexOf(u'.', colon + 1);
    if (colon >= 0 && dot > colon) key.truncate(dot);
    return key;
}

}  // namespace

SingleInstance::SingleInstance(const QString& settingsPath, const QString& display, const QString& runtimeDir)
    : base_(
          QDir(runtimeDir)
              .filePath(QStringLiteral("zelmora2nd-%1-%2").arg(::getuid()).arg(Key(settingsPath, display)))),
      lock_(LockPath()) {
    // The lock is held for the whole run: it must never count as stale because of its age, only
    // because its program is gone.
    lock_.setStaleLockTime(0);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::Accept);
}

SingleInstance::~SingleInstance() {
    server_.close();
}

QString SingleInstance::Key(const QString& settingsPath, const QString& display) {
    const QString canonical = QFileInfo(settingsPath).absoluteFilePath();
    const QByteArray both = (canonical + QChar(u'\n') + DisplayKey(display)).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(both, QCryptographicHash::Sha256).toHex().left(16));
}

QString SingleInstance::DefaultRuntimeDir() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable()) return runtime;
    return QDir::tempPath();
}

bool SingleInstance::TryLock() {
    return lock_.tryLock(0);
}

bool SingleInstance::Listen() {
    // We hold the lock: a socket file left behind belongs to a program that has ended.
    QLocalServer::removeServer(SocketPath());
    return server_.listen(SocketPath());
}

bool SingleInstance::AskToShow(std::chrono::milliseconds timeout) {
    QDeadlineTimer deadline(timeout);
    std::chrono::milliseconds pause{10};
    do {
        QLocalSocket socket;
        socket.connectToServer(SocketPath());
        if (socket.waitForConnected(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0)))) {
            socket.write(kShowRequest);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(1000);
            return sent;
        }
        QThread::msleep(static_cast<unsigned long>(pause.count()));
        pause = std::min(pause * 2, std::chrono::milliseconds(200));
    } while (!deadline.hasExpired());
    return false;
}

void SingleInstance::Accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The request runs from the event loop, after the socket's own handling: opening the main
        // window may ask for the password in a nested loop, in which the socket can go away.
        const auto serve = [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() != kShowRequest) continue;
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        if (onShowRequest) onShowRequest();
                    },
                    Qt::QueuedConnection);
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, serve);
        serve();
    }
}

}  // namespace ui
