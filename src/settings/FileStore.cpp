#include "settings/FileStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

namespace settings::store {
namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now, reporting a failure (a delayed write error shows here).
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool readAll(int fd, std::string& out, std::size_t limit) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > limit) return false;  // the file grew past the limit while being read
    }
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The file that a write replaces: the target of a symbolic link, so that the link survives.
bool resolveTarget(const QByteArray& path, std::string& target) {
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        target = path.toStdString();
        return true;
    }
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.constData(), nullptr), &std::free);
    if (!resolved) return false;  // a dangling link: where it points is not ours to create
    target = resolved.get();
    return true;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A new, hidden file beside the target; created exclusively so that nothing else is overwritten.
int createTemporary(const std::string& target, mode_t mode, std::string& tempPath) {
    const std::string stem = folderOf(target) + "/." + nameOf(target) + ".tmp-" + std::to_string(::getpid());
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = stem + "-" + std::to_string(QRandomGenerator::global()->generate());
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Read-only in the Windows sense: no write bit at all, which stops even root; otherwise the
// ordinary permission check for this user.
bool writable(const std::string& target, const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(target.c_str(), W_OK) == 0;
}

void keepOwnerAndMode(int fd, const struct stat& st) {
    if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
        // Root hands the file back to its owner, a member of its group keeps at least the group;
        // where neither may, the file becomes this user's, as any rewrite by this user would.
        [[maybe_unused]] const bool handedBack =
            ::fchown(fd, st.st_uid, st.st_gid) == 0 || ::fchown(fd, static_cast<uid_t>(-1), st.st_gid) == 0;
    }
    ::fchmod(fd, st.st_mode & 07777);
}

void syncFolder(const std::string& folder) {
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid()) ::fsync(dir.get());  // makes the rename itself durable; best effort
}

bool writeTemporary(int fd, std::string_view bytes, const struct stat* old) {
    if (old != nullptr) keepOwnerAndMode(fd, *old);
    return writeAll(fd, bytes) && ::fsync(fd) == 0;
}

}  // namespace

FileBytes readFile(const QByteArray& path) {
    FileBytes result;
    Fd fd(::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid()) {
        result.status = (errno == ENOENT || errno == ENOTDIR) ? ReadStatus::Missing : ReadStatus::Unusable;
        return result;
    }
    struct stat st {};
    result.status = ReadStatus::Unusable;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::size_t>(st.st_size) > kMaxFileBytes)
        return result;
    result.bytes.reserve(static_cast<std::size_t>(st.st_size));
    if (!readAll(fd.get(), result.bytes, kMaxFileBytes)) {
        result.bytes.clear();
        return result;
    }
    result.status = ReadStatus::Ok;
    return result;
}

bool replaceFile(const QByteArray& path, std::string_view bytes) {
    std::string target;
    if (path.isEmpty() || !resolveTarget(path, target)) return false;
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return false;
    if (exists && (!S_ISREG(st.st_mode) || !writable(target, st))) return false;

    std::string tempPath;
    // A new file holds the password digest: its user's alone.
    Fd temp(createTemporary(target, S_IRUSR | S_IWUSR, tempPath));
    if (!temp.valid()) return false;
    const bool written = writeTemporary(temp.get(), bytes, exists ? &st : nullptr);
    if (!temp.close() || !written || ::rename(tempPath.c_str(), target.c_str()) != 0) {
        ::unlink(tempPath.c_str());
        return false;
    }
    syncFolder(folderOf(target));
    return true;
}

}  // namespace settings::store
