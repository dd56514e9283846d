// A settings file that cannot be written (read-only file or folder, full disk) or that holds bad
// input (binary garbage, NUL bytes, broken sections, 50 MB, beyond the size limit, UTF-16): the
// program starts with what it can read, conceals and restores, ends normally, and never destroys
// the user's file: a failed write leaves it byte for byte as it was, and a write keeps every line
// it does not own.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <iostream>
#include <optional>
#include <ostream>
#include <random>
#include <string>

#include "e2e/faults/FaultSupport.h"
#include "e2e/faults/FolderMounts.h"
#include "e2e/support/E2eSettings.h"
#include "e2e/support/ProgramUnderTest.h"
#include "support/desktop/Observer.h"

namespace {

using namespace e2e;

// The class of the target window: the default of "WinClasses", so that it is concealed also when
// the program falls back on the defaults.
const QString kTargetClass = QStringLiteral("IEFrame");
constexpr QRect kTargetPlace{420, 320, 240, 160};
constexpr QPoint kTopLeft{0, 0};
constexpr QPoint kTopRight{1023, 0};

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The value of key in the first section named `section` (exact spelling), lines ending in LF or CR LF.
std::optional<QByteArray> valueIn(const QByteArray& file, const QByteArray& section, const QByteArray& key) {
    QByteArray current;
    for (QByteArray line : file.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        if (line.startsWith('[') && line.endsWith(']')) {
            current = line.mid(1, line.size() - 2);
        } else if (current == section && line.startsWith(key + '=')) {
            return line.mid(key.size() + 1);
        }
    }
    return std::nullopt;
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Settings that differ from the defaults where it shows: the top-right corner conceals without a
// hold, the window stays hidden at start-up, Shift and ScrollLock are no triggers.
QByteArray readableSettings() {
    return (testSettings(
                {{"APP/WinClasses", kTargetClass}, {"MOUSE/MousePosi", "2"}, {"MOUSE/blnTrigMouse", "0"}})
                .join(QStringLiteral("\r\n")) +
            QStringLiteral("\r\n"))
        .toLatin1();
}

class SettingsFaultsE2eTest : public FaultTest {
protected:
    // With the program started: two concealments from `corner`, the first released (by leaving the
    // corner, or with a hold by a click on the tray icon), the second ended by SIGTERM; the target
    // window comes back where it was each time and the program ends with 0.
    void concealRestoreAndEnd(ProgramUnderTest& program, StubbornWindow& target, QPoint corner, bool held) {
        const QRect place = view.rootRect(target.id());
        ASSERT_NE(program.waitForTrayIcon(view, 60s), 0u) << program.standardError().toStdString();
        movePointer(corner);
        ASSERT_TRUE(waitUntil([&] { return target.hidden(); }, 30s)) << "the corner did not conceal";
        movePointer(kScreenCentre);
        if (held) program.clickTrayIcon(view, 1);
        EXPECT_TRUE(waitUntil([&] { return target.Shown(); }, 30s)) << "not restored";
        EXPECT_EQ(view.rootRect(target.id()), place);
        movePointer(corner);
        ASSERT_TRUE(waitUntil([&] { return target.hidden(); }, 30s)) << "no second concealment";
        movePointer(kScreenCentre);
        program.signal(SIGTERM);
        EXPECT_EQ(program.waitForExit(60s), 0) << program.standardError().toStdString();
        EXPECT_TRUE(waitUntil([&] { return target.Shown(); })) << "hidden after the end";
        EXPECT_EQ(view.rootRect(target.id()), place);
    }

    // Only the program and its settings file in its folder: no temporary file left by a failed write.
    static QStringList folderContents(const ProgramUnderTest& program, const QStringList& besides = {}) {
        QStringList names = QDir(program.folder()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString& name : besides)
            names.removeAll(name);
        return names;
    }
};

// A read-only settings file: the settings are read and used, and the file stays as it was. Where
// only the file is read-only, the write at the end fails and says so; where the folder is, the
// user's own file takes the settings, started from the one beside the program.
enum class ReadOnly { kFile, kFolder, kFileInFolder };

struct ReadOnlyCase {
    ReadOnly what;
    const char* name;
};

void PrintTo(const ReadOnlyCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadOnlySettingsE2eTest : public SettingsFaultsE2eTest,
                                public testing::WithParamInterface<ReadOnlyCase> {};

TEST_P(ReadOnlySettingsE2eTest, RunsWithTheSettingsAsReadAndKeepsTheFile) {
    StubbornWindow target(view, StubbornWindow::Mode::kPlain, kTargetClass, QStringLiteral("e2e-read-only"),
                          kTargetPlace);
    ASSERT_NE(target.id(), 0u);
    ProgramUnderTest program;
    // Keys missing from the file: a write that went through would change it.
    const QByteArray before = readableSettings() + "; the user's own note\r\n[MINE]\r\nkept=yes\r\n";
    ASSERT_TRUE(writeBytes(program.iniPath(), before));
    const bool file = GetParam().what != ReadOnly::kFolder;
    if (file) {
        ASSERT_EQ(::chmod(QFile::encodeName(program.iniPath()).constData(), 0444), 0);
    }
    std::optional<ReadOnlyFolder> folder;
    if (GetParam().what != ReadOnly::kFile) {
        folder.emplace(program.folder());
        ASSERT_FALSE(folder->method().isEmpty()) << "cannot make a folder read-only here (no mount as root)";
        RecordProperty("read_only_folder", folder->method().toStdString());
    }

    ASSERT_TRUE(program.start());
    concealRestoreAndEnd(program, target, kTopRight, false);
    EXPECT_EQ(FileBytes(program.iniPath()), before) << "the read-only file was changed";
    EXPECT_EQ(folderContents(program),
              QStringList({QStringLiteral("zelmora2nd"), QStringLiteral("zelmora2nd.ini")}));
    const QString said = program.standardError();
    if (folder) {
        EXPECT_TRUE(said.isEmpty()) << said.toStdString();
        const QByteArray own = FileBytes(program.userIniPath());
        EXPECT_TRUE(own.contains("[MINE]\r\nkept=yes\r\n")) << "not started from the file beside the program";
        EXPECT_TRUE(own.contains("[MOUSE]")) << "the settings were not written to the user's file";
    } else {
        EXPECT_TRUE(said.contains(QStringLiteral("the settings were not written to ") + program.iniPath()))
            << said.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ReadOnlySettingsE2eTest,
                         testing::Values(ReadOnlyCase{ReadOnly::kFile, "File"},
                                         ReadOnlyCase{ReadOnly::kFolder, "Folder"},
                                         ReadOnlyCase{ReadOnly::kFileInFolder, "FileInFolder"}),
                         [](const testing::TestParamInfo<ReadOnlyCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(SettingsFaultsE2eTest, FullDiskKeepsTheOldFileAndTheProgramEndsNormally) {
    StubbornWindow target(view, StubbornWindow::Mode::kPlain, kTargetClass, QStringLiteral("e2e-full-disk"),
                          kTargetPlace);
    ASSERT_NE(target.id(), 0u);
    ProgramUnderTest program;
    const QByteArray before = readableSettings() + "[MINE]\r\nkept=yes\r\n";
    ASSERT_TRUE(writeBytes(program.iniPath(), before));
    FullDisk disk(program.folder());
    RecordProperty("full_disk", disk.method().toStdString());
    std::cout << "full disk by " << disk.method().toStdString() << std::endl;

    ASSERT_TRUE(disk.start(program));
    concealRestoreAndEnd(program, target, kTopRight, false);
    EXPECT_EQ(FileBytes(program.iniPath()), before) << "the old file was damaged";
    EXPECT_EQ(folderContents(program, {QStringLiteral("filler")}),
              QStringList({QStringLiteral("zelmora2nd"), QStringLiteral("zelmora2nd.ini")}))
        << "a failed write left a file behind";
}

// Bad input in the settings file.
enum class After {
    kUntouched,  // the file is not written at all
    kKept        // written, and every piece of `kept` is still there, in this order
};

struct GarbageCase {
    const char* name;
    QByteArray (*contents)();
    bool settingsRead;  // readableSettings() are in effect; otherwise the defaults
    After after;
    QList<QByteArray> (*kept)(const QByteArray& before);
    qint64 holes = 0;  // the file is made this long with holes (no data on the disk)
};

void PrintTo(const GarbageCase& c, std::ostream* os) {
    *os << c.name;
}

QList<QByteArray> wholeFile(const QByteArray& before) {
    return {before};
}

QByteArray binaryGarbage() {
    std::mt19937 random(8);  // the same garbage in every run
    QByteArray bytes(64 * 1024, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random() & 0xff);
    bytes[0] = '\x01';  // no byte order mark
    return bytes;
}

const QByteArray kNulLine("\0\0\0\0\r\n", 6);
const QByteArray kNulComment("\0; a note behind a NUL\r\n", 24);

QByteArray nulBytes() {
    QByteArray bytes = readableSettings();
    bytes.replace("[MOUSE]", kNulLine + "[MOUSE]");
    bytes.replace("[KEY]", kNulComment + "[KEY]");
    // A value holds up to its first NUL; the rest of that line belongs to the value.
    bytes.replace("blnRunup=0", QByteArray("blnRunup=0\0trailing", 19));
    return bytes;
}

QList<QByteArray> nulPieces(const QByteArray&) {
    return {"blnRunup=0\r\n", kNulLine + "[MOUSE]", kNulComment + "[KEY]"};
}

QByteArray brokenSections() {
    return "lngPixels=9\r\n"  // before any section: never read
           "[APP\r\n"         // no closing bracket: not a section, nor are the keys below it
           "blnRunup=1\r\n"
           "APP]\r\n"
           "[ app ]\r\n"  // blanks inside the brackets and case do not matter
           "WinClasses=IEFrame\r\n"
           "blnRunup=0\r\n"
           "=no name\r\n"
           "a line without an equals sign\r\n"
           "[MOUSE]\r\n"
           "MousePosi=2\r\n"
           "blnTrigMouse=0\r\n"
           "[MOUSE]\r\n"  // a second section of the same name is never searched
           "MousePosi=1\r\n"
           "[KEY]\r\n"
           "blnShiftMode=0\r\n"
           "blnScrollMode=0\r\n";
}

// New keys go after the last key line of their section ("=no name" is one), so the lines that
// the program does not own stay together around them.
QList<QByteArray> brokenPieces(const QByteArray&) {
    return {
        "lngPixels=9\r\n[APP\r\nblnRunup=1\r\nAPP]\r\n[ app ]\r\nWinClasses=IEFrame\r\nblnRunup=0\r\n=no "
        "name\r\n",
        "a line without an equals sign\r\n[MOUSE]\r\nMousePosi=2\r\nblnTrigMouse=0\r\n",
        "[MOUSE]\r\nMousePosi=1\r\n[KEY]\r\nblnShiftMode=0\r\nblnScrollMode=0\r\n"};
}

QByteArray notes() {
    QByteArray notes = "[NOTES]\r\n";
    const QByteArray line = "; " + QByteArray(96, 'n') + "\r\n";
    notes.reserve(50 * 1024 * 1024 + line.size());
    while (notes.size() < 50 * 1024 * 1024)
        notes += line;
    return notes;
}

QByteArray huge() {
    return readableSettings() + notes();
}

QList<QByteArray> hugePieces(const QByteArray&) {
    return {notes()};
}

QByteArray utf16() {
    const QString text = QString::fromLatin1(readableSettings());
    return QByteArray("\xFF\xFE") +
           QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);  // UTF-16LE here
}

QByteArray noContents() {
    return {};
}

class GarbageSettingsE2eTest : public SettingsFaultsE2eTest,
                               public testing::WithParamInterface<GarbageCase> {};

TEST_P(GarbageSettingsE2eTest, StartsConcealsAndKeepsTheUsersContent) {
    const GarbageCase& c = GetParam();
    StubbornWindow target(view, StubbornWindow::Mode::kPlain, kTargetClass, QStringLiteral("e2e-garbage"),
                          kTargetPlace);
    ASSERT_NE(target.id(), 0u);
    ProgramUnderTest program;
    const QByteArray before = c.contents();
    ASSERT_TRUE(writeBytes(program.iniPath(), before));
    if (c.holes > 0) {
        ASSERT_TRUE(QFile::resize(program.iniPath(), c.holes));
    }
    const QFileInfo stored(program.iniPath());
    const qint64 sizeBefore = stored.size();
    const QDateTime modifiedBefore = stored.lastModified();

    ASSERT_TRUE(program.start());
    // The defaults: the window shows at start-up, the top-left corner conceals and holds.
    if (!c.settingsRead) {
        EXPECT_NE(program.waitForWindow(view, mainWindowTitle(), 60s), 0u) << "the defaults show the window";
    }
    concealRestoreAndEnd(program, target, c.settingsRead ? kTopRight : kTopLeft, !c.settingsRead);

    const QFileInfo after(program.iniPath());
    if (c.after == After::kUntouched) {
        // Not silently: the user learns which file gave only defaults.
        EXPECT_TRUE(program.standardError().contains(QStringLiteral("cannot be read")))
            << "no word on stderr";
        EXPECT_EQ(after.size(), sizeBefore);
        EXPECT_EQ(after.lastModified(), modifiedBefore) << "the file was written";
        if (c.holes == 0) {
            EXPECT_EQ(FileBytes(program.iniPath()), before);
        }
        return;
    }
    const QByteArray written = FileBytes(program.iniPath());
    EXPECT_EQ(valueIn(written, "MOUSE", "MousePosi"), c.settingsRead ? QByteArray("2") : QByteArray("1"));
    qsizetype from = 0;
    for (const QByteArray& piece : c.kept(before)) {
        const qsizetype at = written.indexOf(piece, from);
        EXPECT_GE(at, 0) << "lost or out of order: " << piece.left(60).toPercentEncoding().toStdString();
        if (at >= 0) from = at + piece.size();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, GarbageSettingsE2eTest,
    testing::Values(GarbageCase{"BinaryGarbage", binaryGarbage, false, After::kKept, wholeFile},
                    GarbageCase{"NulBytes", nulBytes, true, After::kKept, nulPieces},
                    GarbageCase{"BrokenSections", brokenSections, true, After::kKept, brokenPieces},
                    GarbageCase{"FiftyMegabytes", huge, true, After::kKept, hugePieces},
                    // Larger than the program reads (256 MiB), yet nothing on the disk.
                    GarbageCase{"BeyondTheSizeLimit", noContents, false, After::kUntouched, nullptr,
                                qint64{300} << 20},
                    GarbageCase{"Utf16", utf16, false, After::kUntouched, nullptr}),
    [](const testing::TestParamInfo<GarbageCase>& param) { return std::string(param.param.name); });

}  // namespace
