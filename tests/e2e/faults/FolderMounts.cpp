#include "e2e/faults/FolderMounts.h"

#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <map>

namespace e2e {

namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

struct SavedFile {
    QByteArray bytes;
    QFileDevice::Permissions permissions;
};

std::map<QString, SavedFile> readFolder(const QString& folder) {
    std::map<QString, SavedFile> files;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly)) files[info.fileName()] = {file.readAll(), file.permissions()};
    }
    return files;
}

// Writes 64 KiB blocks until the disk refuses; true when it refused for want of space.
bool fillUp(const QString& path) {
    QFile filler(path);
    if (!filler.open(QIODevice::WriteOnly)) return errno == ENOSPC;
    const QByteArray block(64 * 1024, 'f');
    const int fd = filler.handle();
    for (;;) {
        const ssize_t n = ::write(fd, block.constData(), static_cast<std::size_t>(block.size()));
        if (n < 0) return errno == ENOSPC;
        if (n < block.size()) return true;  // the last bytes that fitted
    }
}

}  // namespace

ReadOnlyFolder::ReadOnlyFolder(QString folder) : folder_(std::move(folder)) {
    const QByteArray path = native(folder_);
    if (::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0) {
        if (::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0) {
            method_ = QStringLiteral("read-only bind mount");
            return;
        }
        ::umount2(path.constData(), MNT_DETACH);
    }
    if (::geteuid() != 0 && ::chmod(path.constData(), 0555) == 0) method_ = QStringLiteral("no write bits");
}

ReadOnlyFolder::~ReadOnlyFolder() {
    const QByteArray path = native(folder_);
    if (method_ == QStringLiteral("read-only bind mount")) ::umount2(path.constData(), MNT_DETACH);
    if (method_ == QStringLiteral("no write bits")) ::chmod(path.constData(), 0700);
}

FullDisk::FullDisk(QString folder) : folder_(std::move(folder)) {
    // ZEL_E2E_NO_MOUNT=1 tries the fall-back where mounting works.
    const bool mount = qEnvironmentVariableIsEmpty("ZEL_E2E_NO_MOUNT");
    method_ = mount && mountAndFill() ? QStringLiteral("tmpfs") : QStringLiteral("RLIMIT_FSIZE");
}

FullDisk::~FullDisk() {
    if (method_ == QStringLiteral("tmpfs")) ::umount2(native(folder_).constData(), MNT_DETACH);
}

bool FullDisk::mountAndFill() {
    const std::map<QString, SavedFile> files = readFolder(folder_);
    qint64 total = 0;
    for (const auto& [name, file] : files)
        total += file.bytes.size() + 4096;
    const QByteArray path = native(folder_);
    const QByteArray options = "mode=0700,size=" + QByteArray::number(total + 64 * 1024);
    if (::mount("tmpfs", path.constData(), "tmpfs", 0, options.constData()) != 0) return false;
    bool copied = true;
    for (const auto& [name, saved] : files) {
        QFile file(QDir(folder_).filePath(name));
        copied = copied && file.open(QIODevice::WriteOnly) && file.write(saved.bytes) == saved.bytes.size() &&
                 file.setPermissions(saved.permissions);
    }
    if (copied && fillUp(QDir(folder_).filePath(QStringLiteral("filler")))) return true;
    ::umount2(path.constData(), MNT_DETACH);
    return false;
}

bool FullDisk::start(ProgramUnderTest& program) {
    if (method_ == QStringLiteral("tmpfs")) return program.start();
    // Both are inherited by the child; this process has them only while it starts the child.
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit = old;
    limit.rlim_cur = static_cast<rlim_t>(QFileInfo(program.iniPath()).size());
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previous);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const bool started = program.start();
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::sigaction(SIGXFSZ, &previous, nullptr);
    return started;
}

}  // namespace e2e
