// The settings file on disk: creation, replacement that keeps the old file on any failure,
// permissions, links, FIFOs and folders, the path beside the executable.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <optional>

#include "settings/FileStore.h"
#include "settings/IniFile.h"
#include "settings/TestFiles.h"

namespace {

using settings::IniFile;
using testfiles::readBytes;
using testfiles::writeBytes;

class IniFileTest : public testing::Test {
protected:
    QString pathOf(const QString& name) const { return dir_.filePath(name); }
    QString iniPath() const { return pathOf(QStringLiteral("zelmora2nd.ini")); }
    IniFile ini() const { return IniFile(iniPath()); }

    static struct stat statOf(const QString& path) {
        struct stat st {};
        ::lstat(QFile::encodeName(path).constData(), &st);
        return st;
    }

    // Everything in the folder, so that a test can see that no temporary file was left behind.
    QStringList entries() const {
        return QDir(dir_.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir_;
};

TEST_F(IniFileTest, MissingFileGivesDefaultsAndIsCreatedWithCrLf) {
    EXPECT_EQ(ini().getIni(u"MOUSE", u"lngPixels", QStringLiteral("5")), QStringLiteral("5"));
    EXPECT_FALSE(QFile::exists(iniPath()));  // reading never creates it

    const mode_t old = ::umask(022);
    EXPECT_TRUE(ini().write(u"MOUSE", u"lngPixels", u"7"));
    ::umask(old);
    EXPECT_EQ(readBytes(iniPath()), "[MOUSE]\r\nlngPixels=7\r\n");
    EXPECT_EQ(statOf(iniPath()).st_mode & 07777, 0600u)
        << "a new file holds the password digest: its user's alone";
    EXPECT_EQ(ini().getIni(u"MOUSE", u"lngPixels", QStringLiteral("5")), QStringLiteral("7"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("zelmora2nd.ini")});
}

TEST_F(IniFileTest, AnEmptyValueStaysAndIsNotTheDefault) {
    writeBytes(iniPath(), "[APP]\r\nIcon0=/x.ico\r\n");
    ini().putIni(u"APP", u"Icon0", u"");
    EXPECT_EQ(readBytes(iniPath()), "[APP]\r\nIcon0=\r\n");
    EXPECT_EQ(ini().getIni(u"APP", u"Icon0", QStringLiteral("default")), QString());
}

TEST_F(IniFileTest, KeepsPermissionBits) {
    writeBytes(iniPath(), "[A]\r\nk=1\r\n");
    ::chmod(QFile::encodeName(iniPath()).constData(), 0640);
    EXPECT_TRUE(ini().write(u"A", u"k", u"2"));
    EXPECT_EQ(statOf(iniPath()).st_mode & 07777, 0640u);
    EXPECT_EQ(readBytes(iniPath()), "[A]\r\nk=2\r\n");
}

TEST_F(IniFileTest, ReadOnlyFileIsNeitherWrittenNorMadeWritable) {
    writeBytes(iniPath(), "[A]\r\nk=1\r\n");
    ::chmod(QFile::encodeName(iniPath()).constData(), 0444);
    EXPECT_FALSE(ini().write(u"A", u"k", u"2"));
    ini().putIni(u"A", u"j", u"3");
    EXPECT_EQ(readBytes(iniPath()), "[A]\r\nk=1\r\n");
    EXPECT_EQ(statOf(iniPath()).st_mode & 07777, 0444u);
    EXPECT_EQ(ini().getIni(u"A", u"k", QString()), QStringLiteral("1"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("zelmora2nd.ini")});
}

TEST_F(IniFileTest, UnchangedValueDoesNotRewriteTheFile) {
    writeBytes(iniPath(), "[A]\r\nk=1\r\n");
    const ino_t before = statOf(iniPath()).st_ino;
    EXPECT_TRUE(ini().write(u"A", u"K", u"1"));
    EXPECT_EQ(statOf(iniPath()).st_ino, before);
    EXPECT_TRUE(ini().write(u"A", u"k", u"2"));
    EXPECT_NE(statOf(iniPath()).st_ino, before);  // replaced whole, never rewritten in place
}

TEST_F(IniFileTest, FullDiskKeepsTheOldFile) {
    const std::string old = "[APP]\r\nWinClasses=" + std::string(20000, 'x') + "\r\n";
    writeBytes(iniPath(), old);
    // A file-size limit makes the write fail part-way, as a full disk does.
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 8192;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = ini().write(u"APP", u"WinClasses", QString(30000, u'y'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(readBytes(iniPath()), old);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("zelmora2nd.ini")});
}

TEST(IniFileFolder, UnwritableFolderFailsQuietly) {
    // /proc takes no new files, not even from root.
    const IniFile ini(QStringLiteral("/proc/zelmora2nd-test.ini"));
    EXPECT_FALSE(ini.write(u"A", u"k", u"1"));
    ini.putIni(u"A", u"k", u"1");
    EXPECT_EQ(ini.getIni(u"A", u"k", QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_FALSE(IniFile(QStringLiteral("/nonexistent-folder/z.ini")).write(u"A", u"k", u"1"));
    EXPECT_FALSE(IniFile(QString()).write(u"A", u"k", u"1"));
    EXPECT_EQ(IniFile(QString()).getIni(u"A", u"k", QStringLiteral("d")), QStringLiteral("d"));
}

TEST_F(IniFileTest, SymbolicLinkStaysALink) {
    const QString real = pathOf(QStringLiteral("real.ini"));
    writeBytes(real, "[A]\r\nk=1\r\n");
    ASSERT_TRUE(QFile::link(real, iniPath()));
    EXPECT_EQ(ini().getIni(u"A", u"k", QString()), QStringLiteral("1"));
    EXPECT_TRUE(ini().write(u"A", u"k", u"2"));
    EXPECT_TRUE(S_ISLNK(statOf(iniPath()).st_mode));
    EXPECT_EQ(readBytes(real), "[A]\r\nk=2\r\n");
}

TEST_F(IniFileTest, DanglingLinkIsNotFollowedIntoANewFile) {
    ASSERT_TRUE(QFile::link(pathOf(QStringLiteral("gone/real.ini")), iniPath()));
    EXPECT_EQ(ini().getIni(u"A", u"k", QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_FALSE(ini().write(u"A", u"k", u"1"));
    EXPECT_TRUE(S_ISLNK(statOf(iniPath()).st_mode));
}

TEST_F(IniFileTest, FifosAndFoldersAreNeitherReadNorReplaced) {
    // A FIFO would block a plain open for ever; a folder cannot be read as a file.
    ASSERT_EQ(::mkfifo(QFile::encodeName(iniPath()).constData(), 0644), 0);
    EXPECT_EQ(ini().getIni(u"A", u"k", QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_FALSE(ini().write(u"A", u"k", u"1"));
    EXPECT_TRUE(S_ISFIFO(statOf(iniPath()).st_mode));

    const IniFile folder(pathOf(QStringLiteral("folder.ini")));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.ini")));
    EXPECT_EQ(folder.getIni(u"A", u"k", QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_FALSE(folder.write(u"A", u"k", u"1"));
}

TEST_F(IniFileTest, FileBeyondTheSizeLimitIsLeftAlone) {
    writeBytes(iniPath(), "[A]\r\nk=1\r\n");
    const off_t huge = static_cast<off_t>(settings::store::kMaxFileBytes) + 1;
    ASSERT_EQ(::truncate(QFile::encodeName(iniPath()).constData(), huge), 0);  // sparse: no disk used
    EXPECT_EQ(ini().getIni(u"A", u"k", QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_FALSE(ini().write(u"A", u"k", u"2"));
    EXPECT_EQ(statOf(iniPath()).st_size, huge);
}

// A file that exists but gives only defaults says why, so that the program can tell the user.
TEST_F(IniFileTest, ReadProblemNamesWhyAnExistingFileGivesOnlyDefaults) {
    const QString path = iniPath();
    const QByteArray native = QFile::encodeName(path);
    const struct {
        const char* name;
        std::function<void()> make;
        const char* problem;  // nullptr: none
    } cases[] = {
        {"missing", [] {}, nullptr},
        {"readable", [&] { writeBytes(path, "[A]\r\nk=1\r\n"); }, nullptr},
        {"empty", [&] { writeBytes(path, ""); }, nullptr},
        {"utf8 with bom", [&] { writeBytes(path, "\xEF\xBB\xBF[A]\r\n"); }, nullptr},
        {"utf16le", [&] { writeBytes(path, std::string("\xFF\xFE[\0A\0]\0", 8)); }, "UTF-16"},
        {"utf16be", [&] { writeBytes(path, std::string("\xFE\xFF\0[\0A\0]", 8)); }, "UTF-16"},
        {"folder", [&] { QDir().mkdir(path); }, "not a regular file"},
        {"fifo", [&] { ::mkfifo(native.constData(), 0644); }, "not a regular file"},
        {"too large",
         [&] {
             writeBytes(path, "[A]\r\n");
             ASSERT_EQ(::truncate(native.constData(), static_cast<off_t>(settings::store::kMaxFileBytes) + 1),
                       0);
         },
         "larger than 256 MiB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.make();
        const std::optional<QString> problem = ini().readProblem();
        if (c.problem == nullptr) {
            EXPECT_EQ(problem, std::nullopt);
        } else {
            ASSERT_TRUE(problem.has_value());
            EXPECT_TRUE(problem->contains(QString::fromLatin1(c.problem))) << problem->toStdString();
        }
        ::unlink(native.constData());
        ::rmdir(native.constData());
    }
    if (::geteuid() == 0) return;  // root reads whatever the mode says
    writeBytes(path, "[A]\r\n");
    ASSERT_EQ(::chmod(native.constData(), 0), 0);
    EXPECT_EQ(ini().readProblem(), QStringLiteral("Permission denied"));
}

TEST_F(IniFileTest, HundredMegabyteFileIsReadAndWritten) {
    std::string big;
    big.reserve(100u << 20);
    big += "[APP]\r\nFormSetX=2865\r\n[JUNK]\r\n";
    const std::string line = "some=unrelated line of junk\r\n";
    while (big.size() < (100u << 20))
        big += line;
    big += "[MOUSE]\r\nlngPixels=9\r\n";
    writeBytes(iniPath(), big);

    EXPECT_EQ(ini().getIni(u"MOUSE", u"lngPixels", QStringLiteral("5")), QStringLiteral("9"));
    EXPECT_EQ(ini().getIni(u"APP", u"FormSetX", QString()), QStringLiteral("2865"));
    EXPECT_TRUE(ini().write(u"MOUSE", u"lngPixels", u"11"));
    const std::string after = readBytes(iniPath());
    ASSERT_EQ(after.size(), big.size() + 1);
    EXPECT_EQ(after.compare(0, big.size() - 3, big, 0, big.size() - 3), 0);
    EXPECT_EQ(after.substr(after.size() - 4), "11\r\n");
}

TEST_F(IniFileTest, WriteAllStoresEverythingOrNothing) {
    writeBytes(iniPath(), "[A]\r\nk=1\r\n");
    const QList<IniFile::Entry> entries = {{QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2")},
                                           {QStringLiteral("B"), QStringLiteral("a=b"), QStringLiteral("x")},
                                           {QStringLiteral("B"), QStringLiteral("j"), QStringLiteral("3")}};
    EXPECT_FALSE(ini().writeAll(entries));  // the bad key is left out, the rest is stored
    EXPECT_EQ(readBytes(iniPath()), "[A]\r\nk=2\r\n[B]\r\nj=3\r\n");

    ::chmod(QFile::encodeName(iniPath()).constData(), 0444);
    EXPECT_FALSE(ini().writeAll({{QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("4")}}));
    EXPECT_EQ(readBytes(iniPath()), "[A]\r\nk=2\r\n[B]\r\nj=3\r\n");
}

struct PathCase {
    const char* executable;
    const char* expected;
};

class settingsFilePathFor : public testing::TestWithParam<PathCase> {};

TEST_P(settingsFilePathFor, SitsBesideTheExecutable) {
    EXPECT_EQ(settings::settingsFilePathFor(QString::fromUtf8(GetParam().executable)),
              QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, settingsFilePathFor,
                         testing::Values(PathCase{"/opt/zel/zelmora2nd", "/opt/zel/zelmora2nd.ini"},
                                         PathCase{"/zelmora2nd", "/zelmora2nd.ini"},
                                         PathCase{"/opt/zel/zelmora2nd.bin", "/opt/zel/zelmora2nd.bin.ini"},
                                         PathCase{"/home/太郎/ツール/zelmora2nd",
                                                  "/home/太郎/ツール/zelmora2nd.ini"}));

TEST(SettingsFilePath, IsThatOfTheRunningExecutable) {
    char buffer[4096] = {};
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    ASSERT_GT(n, 0);
    EXPECT_EQ(settings::settingsFilePath(), QFile::decodeName(buffer) + QStringLiteral(".ini"));
}

}  // namespace
