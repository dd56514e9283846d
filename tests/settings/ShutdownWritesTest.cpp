// The 17 writes of the shut-down, in their order, against files the Windows program wrote, files
// edited by hand and no file at all.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "settings/IniFile.h"
#include "settings/TestFiles.h"
#include "text/AnsiText.h"

namespace {

using settings::IniFile;

struct Setting {
    const char16_t* section;
    const char16_t* key;
    QString value;
};

// The shut-down order: APP, MOUSE, KEY, LOCK, each key in the order written.
QList<Setting> shutdownWrites(const QString& icon0, const QString& classes, const QString& passHash) {
    return {{u"APP", u"FormSetX", QStringLiteral("2865")},
            {u"APP", u"FormSetY", QStringLiteral("2160")},
            {u"APP", u"Icon0", icon0},
            {u"APP", u"Icon1", QString()},
            {u"APP", u"blnMute", QStringLiteral("1")},
            {u"APP", u"blnMuteAuto", QStringLiteral("1")},
            {u"APP", u"blnIE", QStringLiteral("1")},
            {u"APP", u"blnRunup", QStringLiteral("1")},
            {u"APP", u"WinClasses", classes},
            {u"MOUSE", u"MousePosi", QStringLiteral("255")},
            {u"MOUSE", u"lngPixels", QStringLiteral("5")},
            {u"MOUSE", u"blnTrigMouse", QStringLiteral("1")},
            {u"KEY", u"blnShiftMode", QStringLiteral("1")},
            {u"KEY", u"blnScrollMode", QStringLiteral("0")},
            {u"KEY", u"blnTrigKey", QStringLiteral("1")},
            {u"LOCK", u"blnLock", QStringLiteral("1")},
            {u"LOCK", u"PassHash", passHash}};
}

QList<IniFile::Entry> asEntries(const QList<Setting>& writes) {
    QList<IniFile::Entry> entries;
    for (const Setting& s : writes)
        entries.append({QString::fromUtf16(s.section), QString::fromUtf16(s.key), s.value});
    return entries;
}

class ShutdownWrites : public testing::Test {
protected:
    QString path() const { return dir_.filePath(QStringLiteral("zelmora2nd.ini")); }

    void writeOneByOne(const QList<Setting>& writes) const {
        const IniFile ini(path());
        for (const Setting& s : writes)
            ini.putIni(s.section, s.key, s.value);
    }

    QTemporaryDir dir_;
};

const QString kIcon = QStringLiteral(u"C:\\Users\\太郎\\ソフト\\隠れ家.ico");
const QString kClasses = QStringLiteral(u"IEFrame,Notepad,秀丸");

// A file as the Windows program leaves it, then edited by hand: a comment, a blank line, a key and
// a section it does not know, a section name in lower case, blanks around "=".
std::string windowsFile(const QString& classes) {
    return ansi::toAnsi(QStringLiteral(u"; 設定ファイル\r\n"
                                       u"[APP]\r\n"
                                       u"FormSetX=1200\r\n"
                                       u"FormSetY=900\r\n"
                                       u"Icon0=") +
                        kIcon +
                        QStringLiteral(u"\r\n"
                                       u"Icon1=\r\n"
                                       u"blnMute=1\r\n"
                                       u"blnMuteAuto=0\r\n"
                                       u"blnIE=1\r\n"
                                       u"blnRunup=1\r\n"
                                       u"WinClasses=") +
                        classes +
                        QStringLiteral(u"\r\n"
                                       u"Unknown=keep me\r\n"
                                       u"\r\n"
                                       u"[mouse]\r\n"
                                       u"MousePosi = 12\r\n"
                                       u"lngPixels=5\r\n"
                                       u"blnTrigMouse=1\r\n"
                                       u"[Other]\r\n"
                                       u"x=\"quoted value\"\r\n"
                                       u"[KEY]\r\n"
                                       u"blnShiftMode=1\r\n"
                                       u"blnScrollMode=1\r\n"
                                       u"blnTrigKey=1\r\n"
                                       u"[LOCK]\r\n"
                                       u"blnLock=0\r\n"
                                       u"PassHash=IBGUQSZKYOGA\r\n"));
}

TEST_F(ShutdownWrites, ChangeOnlyTheChangedValuesOfAWindowsFile) {
    const std::string before = windowsFile(kClasses);
    testfiles::writeBytes(path(), before);
    writeOneByOne(shutdownWrites(kIcon, kClasses, QStringLiteral("IBGUQSZKYOGA")));

    std::string expected = before;
    const auto replace = [&expected](const std::string& from, const std::string& to) {
        const std::size_t at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, from.size(), to);
    };
    replace("FormSetX=1200\r\n", "FormSetX=2865\r\n");
    replace("FormSetY=900\r\n", "FormSetY=2160\r\n");
    replace("blnMuteAuto=0\r\n", "blnMuteAuto=1\r\n");
    replace("MousePosi = 12\r\n", "MousePosi = 255\r\n");
    replace("blnScrollMode=1\r\n", "blnScrollMode=0\r\n");
    replace("blnLock=0\r\n", "blnLock=1\r\n");
    EXPECT_EQ(testfiles::readBytes(path()), expected);

    const IniFile ini(path());
    EXPECT_EQ(ini.getIni(u"APP", u"Icon0", QString()), kIcon);
    EXPECT_EQ(ini.getIni(u"APP", u"WinClasses", QString()), kClasses);
    EXPECT_EQ(ini.getIni(u"MOUSE", u"MousePosi", QString()), QStringLiteral("255"));
}

TEST_F(ShutdownWrites, SameValuesLeaveTheFileByteForByte) {
    const std::string before = windowsFile(kClasses);
    testfiles::writeBytes(path(), before);
    QList<Setting> same = shutdownWrites(kIcon, kClasses, QStringLiteral("IBGUQSZKYOGA"));
    same[0].value = QStringLiteral("1200");
    same[1].value = QStringLiteral("900");
    same[5].value = QStringLiteral("0");
    same[9].value = QStringLiteral("12");
    same[13].value = QStringLiteral("1");
    same[15].value = QStringLiteral("0");
    writeOneByOne(same);
    EXPECT_EQ(testfiles::readBytes(path()), before);
}

const std::string kFreshFile =
    "[APP]\r\nFormSetX=2865\r\nFormSetY=2160\r\nIcon0=\r\nIcon1=\r\nblnMute=1\r\nblnMuteAuto=1\r\n"
    "blnIE=1\r\nblnRunup=1\r\nWinClasses=IEFrame\r\n"
    "[MOUSE]\r\nMousePosi=255\r\nlngPixels=5\r\nblnTrigMouse=1\r\n"
    "[KEY]\r\nblnShiftMode=1\r\nblnScrollMode=0\r\nblnTrigKey=1\r\n"
    "[LOCK]\r\nblnLock=1\r\nPassHash=\r\n";

TEST_F(ShutdownWrites, FreshFileHoldsSectionsAndKeysInWriteOrder) {
    writeOneByOne(shutdownWrites(QString(), QStringLiteral("IEFrame"), QString()));
    EXPECT_EQ(testfiles::readBytes(path()), kFreshFile);
}

TEST_F(ShutdownWrites, WriteAllGivesTheSameFileAsSeventeenWrites) {
    const IniFile ini(path());
    EXPECT_TRUE(ini.writeAll(asEntries(shutdownWrites(QString(), QStringLiteral("IEFrame"), QString()))));
    EXPECT_EQ(testfiles::readBytes(path()), kFreshFile);

    const std::string handEdited = windowsFile(QStringLiteral(u"IEFrame,,Notepad"));
    const QList<Setting> writes = shutdownWrites(QString(), QStringLiteral(u"a,b"), QStringLiteral("KD"));
    testfiles::writeBytes(path(), handEdited);
    writeOneByOne(writes);
    const std::string oneByOne = testfiles::readBytes(path());
    testfiles::writeBytes(path(), handEdited);
    EXPECT_TRUE(ini.writeAll(asEntries(writes)));
    EXPECT_EQ(testfiles::readBytes(path()), oneByOne);
}

TEST_F(ShutdownWrites, MissingKeysJoinTheirSectionsAndMissingSectionsFollowInOrder) {
    testfiles::writeBytes(path(), "[MOUSE]\nlngPixels=9\n\n; end\n");
    writeOneByOne(shutdownWrites(QString(), QStringLiteral("IEFrame"), QString()));
    EXPECT_EQ(testfiles::readBytes(path()),
              "[MOUSE]\nlngPixels=5\nMousePosi=255\nblnTrigMouse=1\n\n; end\n"
              "[APP]\nFormSetX=2865\nFormSetY=2160\nIcon0=\nIcon1=\nblnMute=1\nblnMuteAuto=1\n"
              "blnIE=1\nblnRunup=1\nWinClasses=IEFrame\n"
              "[KEY]\nblnShiftMode=1\nblnScrollMode=0\nblnTrigKey=1\n"
              "[LOCK]\nblnLock=1\nPassHash=\n");
}

}  // namespace
