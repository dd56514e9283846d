#pragma once

#include <QByteArray>
#include <cstddef>
#include <string>
#include <string_view>

// Reading and safely replacing the settings file. The file is small and read whole; writing never
// leaves it half written: the new contents go to a temporary file in the same folder, are flushed
// to disk and then renamed over the old file, so a crash or a full disk keeps the old file whole.
namespace settings::store {

// A settings file larger than this is not read (reads give the defaults) and not written: no real
// settings file comes near it, and reading a huge file whole would exhaust memory.
inline constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;

enum class ReadStatus {
    Ok,       // bytes hold the whole file
    Missing,  // no such file (or folder)
    Unusable  // not a regular file, unreadable, or larger than kMaxFileBytes
};

struct FileBytes {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;
};

// Never blocks on a FIFO or device: only a regular file is read.
FileBytes readFile(const QByteArray& path);

// Replaces the file at path (creating it if missing) with bytes, atomically. A symbolic link is
// followed and its target replaced, so the link stays. The replacement keeps the old file's
// permission bits and, where the process may, its owner; a new file gets 0666 less the umask.
// Fails, leaving the old file untouched, when: the file is read-only (no write permission bit, or
// no write access for this user), it is not a regular file, the link is dangling, the folder cannot
// be written, or writing, flushing or renaming fails (a full disk, say).
bool replaceFile(const QByteArray& path, std::string_view bytes);

}  // namespace settings::store
