// The 17 settings: read at start-up with their defaults and with values the window cannot hold,
// written at shut-down in one piece, against real files in a temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <ostream>
#include <string>

#include "core/ControlValues.h"
#include "settings/IniFile.h"
#include "settings/SettingsModel.h"
#include "settings/TestFiles.h"

namespace settings {

// Readable failures: every field on one line.
void PrintTo(const StoredSettings& s, std::ostream* os) {
    *os << "{X=" << s.windowX << " Y=" << s.windowY << " px=" << s.zoneThickness << " mask=" << s.zoneMask
        << " shift=" << s.shiftBox << " scroll=" << s.scrollLockBox << " trigMouse=" << s.holdMouseBox
        << " trigKey=" << s.holdKeyBox << " lock=" << s.lockBox << " mute=" << s.muteBox
        << " muteAuto=" << s.muteRestoreBox << " ie=" << s.discoverBox << " runup=" << s.showAtStartBox
        << " hash=" << s.passwordDigest.toStdString() << " classes=[" << s.classNames.join(u'|').toStdString()
        << "] icon0=" << s.pictureFiles[0].toStdString() << " icon1=" << s.pictureFiles[1].toStdString()
        << "}";
}

}  // namespace settings

namespace {

using settings::IniFile;
using settings::StoredSettings;
using testfiles::readBytes;
using testfiles::writeBytes;

// A 1024 × 768 primary screen and the main window at its designed, expanded size, in twips.
const QSizeF kScreen(15360, 11520);
const QSizeF kDesignedWindow(6840, 6555);

// Where that window is centred: (15360 - 6840) / 2 and 11520 / 2 - 6555 / 2.
constexpr float kCentredX = 4260.0f;
constexpr float kCentredY = 2482.5f;

StoredSettings defaults() {
    StoredSettings s;
    s.windowX = kCentredX;
    s.windowY = kCentredY;
    return s;
}

// What the first shut-down writes when there was no file: sections and keys in the written order.
const std::string kDefaultsFile =
    "[APP]\r\nFormSetX=4260\r\nFormSetY=2482.5\r\nIcon0=\r\nIcon1=\r\nblnMute=1\r\nblnMuteAuto=1\r\n"
    "blnIE=1\r\nblnRunup=1\r\nWinClasses=IEFrame\r\n"
    "[MOUSE]\r\nMousePosi=1\r\nlngPixels=5\r\nblnTrigMouse=1\r\n"
    "[KEY]\r\nblnShiftMode=1\r\nblnScrollMode=1\r\nblnTrigKey=1\r\n"
    "[LOCK]\r\nblnLock=0\r\nPassHash=\r\n";

class SettingsFile {
protected:
    QString path() const { return dir_.filePath(QStringLiteral("zelmora2nd.ini")); }
    IniFile ini() const { return IniFile(path()); }
    StoredSettings read() const { return settings::readStoredSettings(ini(), kScreen, kDesignedWindow); }

    // Reads a file that holds just key=value in section.
    StoredSettings readWith(const std::string& section, const std::string& key,
                            const std::string& value) const {
        writeBytes(path(), "[" + section + "]\r\n" + key + "=" + value + "\r\n");
        return read();
    }

    QString stored(QStringView section, QStringView key) const {
        return ini().getIni(section, key, QStringLiteral("<missing>"));
    }

    QTemporaryDir dir_;
};

class SettingsModelTest : public SettingsFile, public testing::Test {};

TEST_F(SettingsModelTest, NoFileGivesEveryDefaultAndTheFirstShutdownWritesThemAll) {
    const StoredSettings s = read();
    EXPECT_EQ(s, defaults());
    EXPECT_EQ(s.classNames, QStringList{QStringLiteral("IEFrame")});
    EXPECT_FALSE(QFile::exists(path()));  // reading never creates the file

    EXPECT_TRUE(settings::writeStoredSettings(ini(), s));
    EXPECT_EQ(readBytes(path()), kDefaultsFile);
}

// Each check box comes from its own key: with that key cleared (lockOn set) and the rest missing,
// only that box differs from the defaults, and it is written back under the same key.
struct CheckBoxKey {
    const char* section;
    const char* key;
    int StoredSettings::*box;
    int stored;
};

class CheckBoxKeys : public SettingsFile, public testing::TestWithParam<CheckBoxKey> {};

TEST_P(CheckBoxKeys, SetOnlyTheirOwnBoxAndAreWrittenBackUnderTheSameKey) {
    const CheckBoxKey& c = GetParam();
    const StoredSettings s = readWith(c.section, c.key, std::to_string(c.stored));
    StoredSettings expected = defaults();
    expected.*c.box = c.stored;
    EXPECT_EQ(s, expected);

    ASSERT_TRUE(settings::writeStoredSettings(ini(), s));
    EXPECT_EQ(stored(QString::fromLatin1(c.section), QString::fromLatin1(c.key)), QString::number(c.stored));
    EXPECT_EQ(read(), s);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, CheckBoxKeys,
    testing::Values(CheckBoxKey{"KEY", "blnShiftMode", &StoredSettings::shiftBox, 0},
                    CheckBoxKey{"KEY", "blnScrollMode", &StoredSettings::scrollLockBox, 0},
                    CheckBoxKey{"MOUSE", "blnTrigMouse", &StoredSettings::holdMouseBox, 0},
                    CheckBoxKey{"KEY", "blnTrigKey", &StoredSettings::holdKeyBox, 0},
                    CheckBoxKey{"LOCK", "blnLock", &StoredSettings::lockBox, 1},
                    CheckBoxKey{"APP", "blnMute", &StoredSettings::muteBox, 0},
                    CheckBoxKey{"APP", "blnMuteAuto", &StoredSettings::muteRestoreBox, 0},
                    CheckBoxKey{"APP", "blnIE", &StoredSettings::discoverBox, 0},
                    CheckBoxKey{"APP", "blnRunup", &StoredSettings::showAtStartBox, 0}));

// A check box value as stored text, and what the boxes with default 1 (shiftMode) and 0
// (lockOn) get.
struct CheckBoxCase {
    const char* text;
    int shift;
    int lock;
};

class CheckBoxValues : public SettingsFile, public testing::TestWithParam<CheckBoxCase> {};

TEST_P(CheckBoxValues, BecomeZeroOneOrTwo) {
    const CheckBoxCase& c = GetParam();
    EXPECT_EQ(readWith("KEY", "blnShiftMode", c.text).shiftBox, c.shift) << c.text;
    EXPECT_EQ(readWith("LOCK", "blnLock", c.text).lockBox, c.lock) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckBoxValues,
    testing::Values(CheckBoxCase{"x1", 0, 0}, CheckBoxCase{"", 0, 0}, CheckBoxCase{"0.5", 0, 0},
                    CheckBoxCase{"1.5", 2, 2}, CheckBoxCase{"2.5", 2, 2}, CheckBoxCase{"2", 2, 2},
                    CheckBoxCase{" 1", 1, 1},
                    // Outside the model: a non-zero flag ticks; beyond 16 bits the key's default.
                    CheckBoxCase{"5", 1, 1}, CheckBoxCase{"-1", 1, 1}, CheckBoxCase{"99999", 1, 0}));

struct StoredValue {
    const char* text;
    int expected;
};

// The zone thickness is kept within the spinner's range.
class Thickness : public SettingsFile, public testing::TestWithParam<StoredValue> {};

TEST_P(Thickness, FitsTheSpinner) {
    const StoredValue& c = GetParam();
    const StoredSettings s = readWith("MOUSE", "lngPixels", c.text);
    EXPECT_EQ(s.zoneThickness, c.expected) << c.text;
    ASSERT_TRUE(settings::writeStoredSettings(ini(), s));
    EXPECT_EQ(stored(u"MOUSE", u"lngPixels"), QString::number(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, Thickness,
                         testing::Values(StoredValue{"5", 5}, StoredValue{"1", settings::kMinPixels},
                                         StoredValue{"20", settings::kMaxPixels}, StoredValue{"6.5", 6},
                                         StoredValue{"7.5", 8}, StoredValue{"999", 20}, StoredValue{"21", 20},
                                         StoredValue{"0", 1}, StoredValue{"-3", 1}, StoredValue{"abc", 1},
                                         StoredValue{"1e20", 5}));

struct ZoneCase {
    const char* text;
    std::uint32_t mask;
    QList<int> ticked;
    const char* written;
};

class zoneMask : public SettingsFile, public testing::TestWithParam<ZoneCase> {};

TEST_P(zoneMask, KeepsTheEightKnownZones) {
    const ZoneCase& c = GetParam();
    const StoredSettings s = readWith("MOUSE", "MousePosi", c.text);
    EXPECT_EQ(s.zoneMask, c.mask);
    EXPECT_EQ(settings::zoneTogglesToTick(s.zoneMask), c.ticked);
    ASSERT_TRUE(settings::writeStoredSettings(ini(), s));
    EXPECT_EQ(stored(u"MOUSE", u"MousePosi"), QString::fromLatin1(c.written));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, zoneMask,
    testing::Values(ZoneCase{"255", 255, {0, 1, 2, 3, 4, 5, 6, 7}, "255"}, ZoneCase{"256", 0, {}, "0"},
                    ZoneCase{"-1", 255, {0, 1, 2, 3, 4, 5, 6, 7}, "255"}, ZoneCase{"12", 12, {2, 3}, "12"},
                    ZoneCase{"8", 8, {2}, "8"}, ZoneCase{"4", 4, {3}, "4"}, ZoneCase{"48", 48, {4, 5}, "48"},
                    ZoneCase{"&H1FF", 255, {0, 1, 2, 3, 4, 5, 6, 7}, "255"}, ZoneCase{"1e12", 1, {0}, "1"}));

TEST(ZoneToggles, TickingThemRebuildsEveryMask) {
    for (std::uint32_t mask = 0; mask < 256; ++mask) {
        std::uint32_t rebuilt = 0;
        for (const int index : settings::zoneTogglesToTick(mask))
            for (const settings::ZoneToggle& toggle : settings::kZoneToggles)
                if (toggle.index == index) rebuilt ^= toggle.code;
        EXPECT_EQ(rebuilt, mask);
    }
}

struct ClassCase {
    const char* text;
    QStringList classes;
};

class classNames : public SettingsFile, public testing::TestWithParam<ClassCase> {};

TEST_P(classNames, SplitsAtEveryCommaAndIsWrittenBackUnchanged) {
    const ClassCase& c = GetParam();
    const StoredSettings s = readWith("APP", "WinClasses", c.text);
    EXPECT_EQ(s.classNames, c.classes);
    ASSERT_TRUE(settings::writeStoredSettings(ini(), s));
    EXPECT_EQ(stored(u"APP", u"WinClasses"), QString::fromLatin1(c.text));
}

INSTANTIATE_TEST_SUITE_P(Cases, classNames,
                         testing::Values(ClassCase{"IEFrame,XTerm", {"IEFrame", "XTerm"}},
                                         ClassCase{"IEFrame,,XTerm", {"IEFrame", "", "XTerm"}},
                                         ClassCase{",", {"", ""}}, ClassCase{"", {""}},
                                         ClassCase{"XTerm", {"XTerm"}},
                                         ClassCase{"XTerm , XClock", {"XTerm ", " XClock"}}));

struct PositionCase {
    const char* text;
    float expected;
    const char* written;
};

class Position : public SettingsFile, public testing::TestWithParam<PositionCase> {};

TEST_P(Position, IsKeptInSinglePrecision) {
    const PositionCase& c = GetParam();
    const StoredSettings s = readWith("APP", "FormSetX", c.text);
    EXPECT_EQ(s.windowX, c.expected) << c.text;
    EXPECT_EQ(s.windowY, kCentredY);
    ASSERT_TRUE(settings::writeStoredSettings(ini(), s));
    EXPECT_EQ(stored(u"APP", u"FormSetX"), QString::fromLatin1(c.written));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Position,
    testing::Values(PositionCase{"1200", 1200.0f, "1200"}, PositionCase{"1200.5", 1200.5f, "1200.5"},
                    PositionCase{"-450x", -450.0f, "-450"}, PositionCase{"-99999", -99999.0f, "-99999"},
                    PositionCase{"abc", 0.0f, "0"}, PositionCase{"123456789", 123456792.0f, "1.234568E+08"},
                    PositionCase{"1e39", kCentredX, "4260"}));

// Decoy icon files: a path is kept only while it names an existing regular file.
class IconPaths : public SettingsFile, public testing::Test {
protected:
    QString make(const QString& name) const {
        const QString file = dir_.filePath(name);
        writeBytes(file, "icon");
        return file;
    }
};

TEST_F(IconPaths, KeepOnlyPathsOfExistingFiles) {
    const QString icon = make(QStringLiteral(u"隠れ家.ico"));
    const QString dotFile = make(QStringLiteral(".decoy.ico"));
    const QString link = dir_.filePath(QStringLiteral("link.ico"));
    ASSERT_TRUE(QFile::link(icon, link));
    const QString dangling = dir_.filePath(QStringLiteral("dangling.ico"));
    ASSERT_TRUE(QFile::link(dir_.filePath(QStringLiteral("gone.ico")), dangling));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.ico")));

    const struct {
        QString path;
        bool kept;
    } cases[] = {{icon, true},
                 {dotFile, true},
                 {link, true},
                 {dangling, false},
                 {dir_.filePath(QStringLiteral("folder.ico")), false},
                 {dir_.filePath(QStringLiteral("missing.ico")), false},
                 {QStringLiteral(u"C:\\Users\\太郎\\隠れ家.ico"), false},
                 {QString(), false}};
    for (const auto& c : cases) {
        ASSERT_TRUE(ini().write(u"APP", u"Icon0", c.path));
        ASSERT_TRUE(ini().write(u"APP", u"Icon1", c.path));
        const StoredSettings s = read();
        const QString expected = c.kept ? c.path : QString();
        EXPECT_EQ(s.pictureFiles[0], expected) << c.path.toStdString();
        EXPECT_EQ(s.pictureFiles[1], expected) << c.path.toStdString();

        // A missing file's path is dropped from the file at the next shut-down.
        ASSERT_TRUE(settings::writeStoredSettings(ini(), s));
        EXPECT_EQ(stored(u"APP", u"Icon0"), expected);
    }
}

StoredSettings changed(const QString& icon) {
    StoredSettings s;
    s.windowX = -1234.5f;
    s.windowY = 20000.0f;
    s.zoneThickness = 17;
    s.zoneMask = 0xA5;
    s.shiftBox = 0;
    s.scrollLockBox = 2;
    s.holdMouseBox = 0;
    s.holdKeyBox = 1;
    s.lockBox = 1;
    s.muteBox = 0;
    s.muteRestoreBox = 2;
    s.discoverBox = 0;
    s.showAtStartBox = 0;
    s.passwordDigest = QStringLiteral("IBGUQSZKYOGA");
    s.classNames = {QStringLiteral("XTerm"), QString(), QStringLiteral(u"秀丸")};
    s.pictureFiles = {icon, QString()};
    return s;
}

TEST_F(IconPaths, RoundTripWritesBackWhatItReadByteForByte) {
    const StoredSettings written = changed(make(QStringLiteral(u"隠れ家.ico")));
    ASSERT_TRUE(settings::writeStoredSettings(ini(), written));
    const std::string bytes = readBytes(path());

    const StoredSettings s = read();
    EXPECT_EQ(s, written);
    ASSERT_TRUE(settings::writeStoredSettings(ini(), s));
    EXPECT_EQ(readBytes(path()), bytes);
}

TEST_F(SettingsModelTest, HandEditsMadeWhileRunningAreOverwrittenAtShutdown) {
    const StoredSettings s = read();
    ASSERT_TRUE(settings::writeStoredSettings(ini(), s));
    std::string edited = readBytes(path());
    edited.replace(edited.find("blnMute=1"), 9, "blnMute=0");
    edited.replace(edited.find("lngPixels=5"), 11, "lngPixels=9");
    writeBytes(path(), edited);

    EXPECT_TRUE(settings::writeStoredSettings(ini(), s));
    EXPECT_EQ(readBytes(path()), kDefaultsFile);
}

TEST_F(SettingsModelTest, ReadOnlyFileIsLeftAsItWas) {
    writeBytes(path(), kDefaultsFile);
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0444), 0);

    EXPECT_FALSE(settings::writeStoredSettings(ini(), changed(QString())));
    EXPECT_EQ(readBytes(path()), kDefaultsFile);
    EXPECT_EQ(read(), defaults());
}

TEST_F(SettingsModelTest, ValueWithALineBreakIsLeftOutAndReported) {
    StoredSettings s = defaults();
    s.passwordDigest = QStringLiteral("AB\nCD");
    EXPECT_FALSE(settings::writeStoredSettings(ini(), s));
    EXPECT_EQ(read(), defaults());  // the line break never reaches the file as a second line
}

TEST(CollectStoredSettings, TakesEachSettingFromWhereTheWindowHoldsIt) {
    core::ControlValues values;
    values.shiftBox = 1;
    values.scrollLockBox = 0;
    values.holdMouseBox = 2;
    values.holdKeyBox = 0;
    values.discoverBox = 1;
    values.muteBox = 0;
    values.muteRestoreBox = 1;
    values.lockBox = 1;
    values.showAtStartBox = 0;
    values.zoneMask = 12;
    values.zoneThickness = 3;  // the mirror; the spinner's own value is written
    values.passwordDigest = QStringLiteral("IBGUQSZKYOGA");
    values.pictureFiles = {QStringLiteral("/icons/a.ico"), QStringLiteral("/icons/b.ico")};
    const QStringList classes{QStringLiteral("XTerm"), QStringLiteral("XClock")};

    StoredSettings expected;
    expected.windowX = 1200.5f;
    expected.windowY = -30.0f;
    expected.zoneThickness = 7;
    expected.zoneMask = 12;
    expected.shiftBox = 1;
    expected.scrollLockBox = 0;
    expected.holdMouseBox = 2;
    expected.holdKeyBox = 0;
    expected.lockBox = 1;
    expected.muteBox = 0;
    expected.muteRestoreBox = 1;
    expected.discoverBox = 1;
    expected.showAtStartBox = 0;
    expected.passwordDigest = values.passwordDigest;
    expected.classNames = classes;
    expected.pictureFiles = values.pictureFiles;
    EXPECT_EQ(settings::collectStoredSettings(values, QPointF(1200.5, -30), 7, classes), expected);
}

struct PlaceCase {
    const char* name;
    QPointF position;
    QPointF expected;
};

// Pixels: a 1024 × 768 primary screen with a 1280 × 1024 one to its right, a 254 × 437 window.
TEST(PlaceOnScreen, BringsBackOnlyAWindowWhollyOffEveryScreen) {
    const QRectF primary(0, 0, 1024, 768);
    const QList<QRectF> screens{primary, QRectF(1024, 0, 1280, 1024)};
    const QSizeF window(254, 437);
    const QPointF centre(385, 165.5);
    const PlaceCase cases[] = {
        {"far off", QPointF(-99999, -99999), centre},
        {"partly left of the primary", QPointF(-200, 100), QPointF(-200, 100)},
        {"partly above", QPointF(500, -400), QPointF(500, -400)},
        {"on the second screen only", QPointF(1500, 800), QPointF(1500, 800)},
        {"across both", QPointF(900, 0), QPointF(900, 0)},
        {"touching the primary's left edge", QPointF(-254, 0), centre},
        {"right of the second screen", QPointF(2304, 0), centre},
        {"below the primary, left of the second", QPointF(0, 768), centre},
        {"far beyond single precision's integers", QPointF(1e30, 1e30), centre},
    };
    for (const PlaceCase& c : cases)
        EXPECT_EQ(settings::placeOnScreen(c.position, window, screens, primary), c.expected) << c.name;

    EXPECT_EQ(settings::placeOnScreen(QPointF(-99999, 0), window, {}, QRectF()), QPointF(-99999, 0))
        << "no screens known";
}

}  // namespace
