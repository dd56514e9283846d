#pragma once

// The program's folder made read-only or full under the program, for the tests of a settings file
// that cannot be written. Mounts need the right to mount (root in the test container); where that
// is missing, the fall-backs say what they do instead.

#include <sys/resource.h>
#include <QString>

#include "e2e/support/ProgramUnderTest.h"

namespace e2e {

// The folder read-only: bound onto itself and remounted read-only (writes fail with EROFS, also
// for root). Without the right to mount, a user other than root gets a folder without write bits
// instead; for root, which ignores those bits, nothing is done and method() is empty.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(QString folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // "read-only bind mount", "no write bits" or empty when the folder could not be made read-only.
    QString method() const { return method_; }

private:
    QString folder_;
    QString method_;
};

// The folder on a full disk: a tmpfs just large enough for its files is mounted over it, the files
// are copied onto it and the rest of the space is filled. Without the right to mount, the program
// is started instead with a limit on the size of the files it writes (RLIMIT_FSIZE at the size of
// the settings file, SIGXFSZ ignored, so that a longer write fails with EFBIG as a full disk
// fails with ENOSPC).
class FullDisk {
public:
    explicit FullDisk(QString folder);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    // "tmpfs" or "RLIMIT_FSIZE".
    QString method() const { return method_; }
    // Starts the program on the full disk: its settings file cannot grow.
    bool start(ProgramUnderTest& program);

private:
    bool mountAndFill();

    QString folder_;
    QString method_;
};

}  // namespace e2e
