#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <list>
#include <memory>
#include <optional>

class QSocketNotifier;

namespace app {

// One running program per settings file and display. The first start holds a lock file and
// listens on a local socket, both in the runtime folder and named after the settings file's path,
// the display and the user; a later start finds the lock taken, asks the running program to open
// its main window and ends. Two programs on one settings file would otherwise fight over the same
// windows and overwrite each other's settings at shut-down.
//
// The socket is a plain Unix stream socket (as QLocalServer's is, with the same request), served
// from the event loop: QtNetwork would map more than a megabyte of libraries for these few bytes.
// Whoever else connects cannot hold the program up: only the user's own processes are heard, a few
// connections at a time, each for one line and a short while; requests that pile up open the window
// once; running out of file descriptors drops the waiting connection instead of spinning.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    // runtimeDir: $XDG_RUNTIME_DIR, else the temporary folder.
    SingleInstance(const QString& settingsPath, const QString& display, const QString& runtimeDir);
    ~SingleInstance() override;

    // The part of the file names that tells one settings file and display from another.
    static QString key(const QString& settingsPath, const QString& display);
    // $XDG_RUNTIME_DIR when set and usable, else the user's private folder in the temporary folder
    // (privateFolderIn), else one in the user's cache folder.
    static QString defaultRuntimeDir();
    // base/zelmora2nd-UID: made 0700 when missing; used only when it is a real folder of this user
    // that nobody else may write (a folder of ours left open to others is closed again and cleared
    // of what others put there). nullopt when someone else owns the name.
    static std::optional<QString> privateFolderIn(const QString& base);

    // At most this many connections are served at once; an idle one is dropped after kPeerTimeout.
    static constexpr int kMaxPeers = 8;
    static constexpr std::chrono::milliseconds kPeerTimeout{1000};

    // Takes the lock; false when another running program holds it. A lock left by a program that
    // no longer runs is taken over.
    bool tryLock();
    // Serves requests of later starts (the lock must be held); false when the socket cannot be
    // opened (later starts then only find the lock).
    bool listen();
    // Asks the program that holds the lock to open its main window, trying to reach it until the
    // timeout passes (it may still be starting). False when it could not be reached.
    bool askToShow(std::chrono::milliseconds timeout);

    // Called on the event loop for each request of a later start.
    std::function<void()> onShowRequest;

    QString lockPath() const { return base_ + QStringLiteral(".lock"); }
    QString socketPath() const { return base_ + QStringLiteral(".socket"); }

private:
    class Peer;
    void accept();
    void serve(Peer& peer);
    // True once the peer has sent its line (or more than any request): it is done with.
    bool takeRequest(QByteArray& pending);
    void queueShowRequest();
    void drop(Peer& peer);
    void dropOldestPeer();
    // Out of file descriptors: takes the waiting connection with the spare descriptor and closes it.
    void shedConnection();

    int openPeers() const;

    QString base_;
    QLockFile lock_;
    int listener_ = -1;
    std::unique_ptr<QSocketNotifier> listening_;
    std::list<std::unique_ptr<Peer>> peers_;
    // Kept open for shedConnection; -1 while it is in use or could not be opened.
    int spare_ = -1;
    bool showQueued_ = false;
};

}  // namespace app
