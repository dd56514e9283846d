#include "settings/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/FileStore.h"
#include "settings/IniText.h"

namespace settings {
namespace {

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

struct Current {
    bool exists = false;
    std::string bytes;
};

// The file before an edit: a missing file counts as empty, an unusable one stops the edit.
std::optional<Current> currentFile(const QString& path) {
    store::FileBytes file = store::readFile(nativePath(path));
    if (file.status == store::ReadStatus::Unusable) return std::nullopt;
    return Current{file.status == store::ReadStatus::Ok, std::move(file.bytes)};
}

bool replaceIfChanged(const QString& path, const Current& before, const std::string& after) {
    if (before.exists && after == before.bytes) return true;  // no needless rewrite
    return store::replaceFile(nativePath(path), after);
}

}  // namespace

QString IniFile::getIni(QStringView section, QStringView key, const QString& defaultValue) const {
    const store::FileBytes file = store::readFile(nativePath(path_));
    if (file.status != store::ReadStatus::Ok) return defaultValue;
    return ini::findValue(file.bytes, section, key).value_or(defaultValue);
}

std::optional<QString> IniFile::readProblem() const {
    const QByteArray path = nativePath(path_);
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) return QStringLiteral("not a regular file");
    if (static_cast<std::uint64_t>(info.st_size) > store::kMaxFileBytes)
        return QStringLiteral("larger than %1 MiB").arg(store::kMaxFileBytes >> 20);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return QString::fromLocal8Bit(std::strerror(errno));
    std::array<char, 2> start{};
    const ssize_t n = ::read(fd, start.data(), start.size());
    const int readError = errno;
    ::close(fd);
    if (n < 0) return QString::fromLocal8Bit(std::strerror(readError));
    // A byte order mark of UTF-16, in either order: the reader takes CP932 and UTF-8 only.
    const std::string_view bom(start.data(), static_cast<std::size_t>(n));
    if (bom == "\xFF\xFE" || bom == "\xFE\xFF") return QStringLiteral("UTF-16 text, which is not read");
    return std::nullopt;
}

bool IniFile::write(QStringView section, QStringView key, QStringView value) const {
    const std::optional<Current> before = currentFile(path_);
    if (!before) return false;
    const std::optional<std::string> after = ini::withValue(before->bytes, section, key, value);
    return after && replaceIfChanged(path_, *before, *after);
}

bool IniFile::writeAll(const QList<Entry>& entries) const {
    const std::optional<Current> before = currentFile(path_);
    if (!before) return false;
    std::string after = before->bytes;
    bool allStored = true;
    for (const Entry& entry : entries) {
        std::optional<std::string> next = ini::withValue(after, entry.section, entry.key, entry.value);
        if (next)
            after = std::move(*next);
        else
            allStored = false;
    }
    return replaceIfChanged(path_, *before, after) && allStored;
}

QString settingsFilePathFor(const QString& executablePath) {
    const QFileInfo executable(executablePath);
    const QString folder = executable.absolutePath();
    const QString file = executable.fileName() + QStringLiteral(".ini");
    return folder.endsWith(u'/') ? folder + file : folder + u'/' + file;
}

QString executablePath() {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size()) {
            QString executable = QFile::decodeName(QByteArray(buffer.data(), n));
            // The kernel marks an executable replaced on disk while it runs (an upgrade, say).
            const QString deleted = QStringLiteral(" (deleted)");
            if (executable.endsWith(deleted)) executable.chop(deleted.size());
            return executable;
        }
        buffer.resize(buffer.size() * 2);
    }
}

QString settingsFilePath() {
    const QString executable = executablePath();
    return executable.isEmpty() ? QString() : settingsFilePathFor(executable);
}

QString getIni(QStringView section, QStringView key, const QString& defaultValue) {
    return IniFile(settingsFilePath()).getIni(section, key, defaultValue);
}

void putIni(QStringView section, QStringView key, QStringView value) {
    IniFile(settingsFilePath()).putIni(section, key, value);
}

}  // namespace settings
