#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "settings/SettingsLocation.h"

namespace {

using settings::SettingsLocation;

class SettingsLocationTest : public testing::Test {
protected:
    QString path(const QString& relative) const { return dir_.filePath(relative); }
    static void write(const QString& file, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray read(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static mode_t modeOf(const QString& file) {
        struct stat st {};
        ::stat(QFile::encodeName(file).constData(), &st);
        return st.st_mode & 07777;
    }

    QTemporaryDir dir_;
};

TEST_F(SettingsLocationTest, BesideTheProgramWhereItsUserMayWriteElseTheUsersOwnFileSeededFromIt) {
    const QString program = path(QStringLiteral("bin/zelmora2nd"));
    const QString beside = path(QStringLiteral("bin/zelmora2nd.ini"));
    const QString own = path(QStringLiteral("config/zelmora2nd/zelmora2nd.ini"));
    const auto writable = [](const QString&) { return true; };
    const auto readOnly = [](const QString&) { return false; };

    const SettingsLocation portable = settings::settingsLocationFor(program, path("config"), writable);
    EXPECT_EQ(portable.path, beside);
    EXPECT_TRUE(portable.seedFrom.isEmpty());

    const SettingsLocation installed = settings::settingsLocationFor(program, path("config"), readOnly);
    EXPECT_EQ(installed.path, own);
    EXPECT_TRUE(installed.seedFrom.isEmpty()) << "no file beside the program: the defaults";

    write(beside, "[APP]\r\nblnRunup=0\r\n");
    const SettingsLocation shipped = settings::settingsLocationFor(program, path("config"), readOnly);
    EXPECT_EQ(shipped.path, own);
    EXPECT_EQ(shipped.seedFrom, beside);
}

TEST_F(SettingsLocationTest, TheUsersFileStartsAsAPrivateCopyAndIsNeverReplacedByTheSeed) {
    const QString seed = path(QStringLiteral("bin/zelmora2nd.ini"));
    const QString own = path(QStringLiteral("config/zelmora2nd/zelmora2nd.ini"));
    write(seed, "[APP]\r\nblnRunup=0\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(seed).constData(), 0644), 0);

    settings::prepareSettingsFile({own, seed});
    EXPECT_EQ(read(own), QByteArray("[APP]\r\nblnRunup=0\r\n"));
    EXPECT_EQ(modeOf(own), 0600u) << "the file holds the password digest";
    EXPECT_EQ(modeOf(QFileInfo(own).absolutePath()), 0700u);

    write(own, "[APP]\r\nblnRunup=1\r\n");  // the user's changes
    settings::prepareSettingsFile({own, seed});
    EXPECT_EQ(read(own), QByteArray("[APP]\r\nblnRunup=1\r\n"));
}

TEST_F(SettingsLocationTest, ConfigHomeFollowsTheBaseDirectoryRules) {
    const QByteArray old = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/some/where");
    EXPECT_EQ(settings::configHome(), QStringLiteral("/some/where"));
    qputenv("XDG_CONFIG_HOME", "relative/path");
    EXPECT_EQ(settings::configHome(), QDir::homePath() + QStringLiteral("/.config"))
        << "a relative path is ignored";
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(settings::configHome(), QDir::homePath() + QStringLiteral("/.config"));
    if (!old.isNull()) qputenv("XDG_CONFIG_HOME", old);
}

}  // namespace
