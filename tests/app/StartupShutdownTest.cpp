// Start-up and shut-down with a real settings file: the defaults, a round trip, values the window
// cannot hold, the window's position, the windows given back, and one shut-down whatever calls it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <cstdlib>
#include <ostream>

#include "app/AppFixture.h"
#include "app/ExitSave.h"
#include "core/ConcealmentCycle.h"
#include "core/TargetEntry.h"
#include "lock/MakePassHash.h"
#include "lock_forms/DialogTestSupport.h"
#include "ui/SetPasswordDialog.h"

namespace {

using apptest::AppFixture;

class StartupTest : public AppFixture {
protected:
    // The value a key has in the written file ("" when missing).
    QString written(const QString& key) const {
        for (const QString& line : QString::fromStdString(iniBytes()).split(QStringLiteral("\r\n"))) {
            if (line.startsWith(key + QChar(u'='))) return line.mid(key.size() + 1);
        }
        return QStringLiteral("<missing>");
    }
};

TEST_F(StartupTest, NoFileGivesEveryDefault) {
    app::MainProgram& p = start();
    const core::ControlValues& v = p.values();
    ui::MainWindow& form = p.form();

    // Centred as the window at its full designed size would be: the collapsed window sits left of
    // the centre.
    const QRect screen = primary();
    const QPointF centred(screen.width() * 15.0 / 2 - app::kDesignedWidthTwips / 2.0,
                          screen.height() * 15.0 / 2 - app::kDesignedHeightTwips / 2.0);
    EXPECT_EQ(form.pos(), (QPointF(screen.topLeft()) + centred / 15).toPoint());

    EXPECT_EQ(form.thicknessBox()->value(), 5);
    EXPECT_EQ(v.zoneThickness, 5);
    EXPECT_EQ(v.zoneMask, 1u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(form.zoneToggle(i)->value(), i == 0 ? 1 : 0) << i;
    EXPECT_EQ(v.shiftBox, 1);
    EXPECT_EQ(v.scrollLockBox, 1);
    EXPECT_TRUE(v.shiftMode);
    EXPECT_TRUE(v.scrollLockMode);
    EXPECT_EQ(v.holdMouseBox, 1);
    EXPECT_EQ(v.holdKeyBox, 1);
    EXPECT_EQ(v.lockBox, 0);
    EXPECT_FALSE(form.lockBox()->isEnabled());
    EXPECT_TRUE(v.passwordDigest.isEmpty());
    EXPECT_EQ(v.muteBox, 1);
    EXPECT_EQ(v.muteRestoreBox, 1);
    EXPECT_TRUE(form.muteRestoreBox()->isEnabled());
    EXPECT_EQ(v.discoverBox, 1);
    EXPECT_EQ(p.registry().classNames(), QStringList{QStringLiteral("IEFrame")});
    EXPECT_EQ(p.registry().classList().stringList(), QStringList{QStringLiteral("IEFrame")});
    EXPECT_EQ(v.pictures[0], qtplatform::PictureStore::kStandbyPicture);
    EXPECT_EQ(v.pictures[1], qtplatform::PictureStore::kConcealmentPicture);
    EXPECT_TRUE(v.pictureFiles[0].isEmpty());
    EXPECT_TRUE(v.pictureFiles[1].isEmpty());
    EXPECT_EQ(v.showAtStartBox, 1);
    EXPECT_TRUE(form.isVisible());
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(form.cornerIndicator(i)->isVisible()) << "start-up shows no indicator";

    // One call: the icon shown with the standby picture, and no tool tip.
    ASSERT_EQ(icon.calls.size(), 1u);
    EXPECT_EQ(icon.calls[0].op, fakes::FakeTrayIcon::Op::kShow);
    EXPECT_EQ(icon.calls[0].picture, qtplatform::PictureStore::kStandbyPicture);
    EXPECT_TRUE(icon.visible);
    EXPECT_TRUE(static_cast<bool>(icon.onEvent)) << "the icon's clicks reach the program";

    EXPECT_FALSE(QFile::exists(iniPath())) << "start-up writes nothing";
    p.shutDown();
    EXPECT_EQ(written(QStringLiteral("FormSetX")), QStringLiteral("%1").arg(centred.x()));
}

TEST_F(StartupTest, FreshFileHoldsItsSectionsInShutdownOrder) {
    start().shutDown();
    const QString text = QString::fromStdString(iniBytes());
    const qsizetype appSection = text.indexOf(QStringLiteral("[APP]"));
    const qsizetype mouse = text.indexOf(QStringLiteral("[MOUSE]"));
    const qsizetype key = text.indexOf(QStringLiteral("[KEY]"));
    const qsizetype lock = text.indexOf(QStringLiteral("[LOCK]"));
    EXPECT_EQ(appSection, 0);
    EXPECT_LT(appSection, mouse);
    EXPECT_LT(mouse, key);
    EXPECT_LT(key, lock);
    EXPECT_EQ(text.count(QLatin1Char('=')), 17);
}

TEST_F(StartupTest, RoundTripWritesBackWhatItRead) {
    const QStringList lines{
        QStringLiteral("[APP]"),           QStringLiteral("FormSetX=1234.5"),
        QStringLiteral("FormSetY=987"),    QStringLiteral("Icon0=") + apptest::decoyIconFile(),
        QStringLiteral("Icon1="),          QStringLiteral("blnMute=0"),
        QStringLiteral("blnMuteAuto=1"),   QStringLiteral("blnIE=0"),
        QStringLiteral("blnRunup=0"),      QStringLiteral("WinClasses=XTerm,,Foo"),
        QStringLiteral("[MOUSE]"),         QStringLiteral("MousePosi=12"),
        QStringLiteral("lngPixels=7"),     QStringLiteral("blnTrigMouse=0"),
        QStringLiteral("[KEY]"),           QStringLiteral("blnShiftMode=0"),
        QStringLiteral("blnScrollMode=1"), QStringLiteral("blnTrigKey=0"),
        QStringLiteral("[LOCK]"),          QStringLiteral("blnLock=1"),
        QStringLiteral("PassHash=ABC"),
    };
    writeIni(lines);
    app::MainProgram& p = start();
    const core::ControlValues& v = p.values();
    ui::MainWindow& form = p.form();

    // zoneMask 12 is codes 4 and 8: the bottom corners, toggles 3 and 2.
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(form.zoneToggle(i)->value(), (i == 2 || i == 3) ? 1 : 0) << i;
    EXPECT_EQ(v.zoneMask, 12u);
    EXPECT_EQ(v.zoneThickness, 7);
    EXPECT_FALSE(v.shiftMode);
    EXPECT_TRUE(v.scrollLockMode);
    EXPECT_EQ(v.holdMouseBox, 0);
    EXPECT_EQ(v.lockBox, 1);
    EXPECT_TRUE(form.lockBox()->isEnabled()) << "a password is stored";
    EXPECT_EQ(v.passwordDigest, QStringLiteral("ABC"));
    EXPECT_EQ(v.muteRestoreBox, 1);
    EXPECT_FALSE(form.muteRestoreBox()->isEnabled()) << "mute is off";
    EXPECT_EQ(p.registry().classNames(),
              (QStringList{QStringLiteral("XTerm"), QString(), QStringLiteral("Foo")}));
    EXPECT_EQ(v.pictureFiles[0], apptest::decoyIconFile());
    EXPECT_NE(v.pictures[0], qtplatform::PictureStore::kStandbyPicture);
    EXPECT_FALSE(pictures.icon(v.pictures[0]).isNull());
    EXPECT_FALSE(form.pictureLabel(0)->pixmap().isNull());
    EXPECT_EQ(v.pictures[1], qtplatform::PictureStore::kConcealmentPicture);
    EXPECT_FALSE(form.isVisible()) << "blnRunup 0";
    ASSERT_FALSE(icon.calls.empty());
    EXPECT_EQ(icon.calls[0].op, fakes::FakeTrayIcon::Op::kShow);
    EXPECT_EQ(icon.calls[0].picture, v.pictures[0]) << "the tray starts with the decoy";

    p.shutDown();
    EXPECT_EQ(iniBytes(), joined(lines));
}

// A program started hidden makes its window's controls only when the window is first shown (text
// boxes and captioned frames would map fonts at once); until then the stored values live in the
// program's values, and the controls show them and take over from there.
TEST_F(StartupTest, HiddenStartMakesTheControlsWhenTheWindowIsFirstShown) {
    writeIni({QStringLiteral("[APP]"), QStringLiteral("blnRunup=0"), QStringLiteral("blnMute=0"),
              QStringLiteral("[MOUSE]"), QStringLiteral("MousePosi=12"), QStringLiteral("lngPixels=7")});
    app::MainProgram& p = start();
    const core::ControlValues& v = p.values();
    ui::MainWindow& form = p.form();
    EXPECT_FALSE(form.controlsBuilt());
    EXPECT_TRUE(form.findChildren<QWidget*>().isEmpty());
    EXPECT_EQ(v.zoneMask, 12u);
    EXPECT_EQ(v.zoneThickness, 7);
    EXPECT_FALSE(v.muteRestoreEnabled);

    form.show();
    ASSERT_TRUE(form.controlsBuilt());
    EXPECT_EQ(form.thicknessBox()->value(), 7);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(form.zoneToggle(i)->value(), (i == 2 || i == 3) ? 1 : 0) << i;
    EXPECT_EQ(form.shiftBox()->value(), 1);
    EXPECT_EQ(form.muteBox()->value(), 0);
    EXPECT_FALSE(form.muteRestoreBox()->isEnabled());
    EXPECT_EQ(v.zoneMask, 12u) << "showing the values runs no handler";

    // From here the controls drive the values.
    form.zoneToggle(2)->setValue(0);
    form.thicknessBox()->setValue(9);
    form.muteBox()->setValue(1);
    EXPECT_EQ(v.zoneMask, 4u);
    EXPECT_EQ(v.zoneThickness, 9);
    EXPECT_TRUE(v.muteRestoreEnabled);
    p.shutDown();
    EXPECT_EQ(written(QStringLiteral("MousePosi")), QStringLiteral("4"));
    EXPECT_EQ(written(QStringLiteral("lngPixels")), QStringLiteral("9"));
    EXPECT_EQ(written(QStringLiteral("blnMute")), QStringLiteral("1"));
}

// --- values the window cannot hold ---------------------------------------------------------------

struct OutsideCase {
    std::string name;
    QString section;
    QString key;
    QString stored;  // "%DIR%" stands for the test's folder
    QString written;
};

void PrintTo(const OutsideCase& c, std::ostream* os) {
    *os << c.name;
}

class OutsideTheModelTest : public StartupTest, public testing::WithParamInterface<OutsideCase> {};

TEST_P(OutsideTheModelTest, StartUpBringsThemIntoTheModel) {
    const OutsideCase& c = GetParam();
    testfiles::writeBytes(filePath(QStringLiteral("not-an-icon.ico")), "plain text, no picture");
    QString stored = c.stored;
    stored.replace(QStringLiteral("%DIR%"), dir.path());
    writeIni({QStringLiteral("[%1]").arg(c.section), c.key + QChar(u'=') + stored});
    start().shutDown();
    EXPECT_EQ(written(c.key), c.written);
}

INSTANTIATE_TEST_SUITE_P(
    values, OutsideTheModelTest,
    testing::Values(OutsideCase{"PixelsAboveTheRange", "MOUSE", "lngPixels", "99", "20"},
                    OutsideCase{"PixelsBelowTheRange", "MOUSE", "lngPixels", "0", "1"},
                    OutsideCase{"PixelsNotANumber", "MOUSE", "lngPixels", "thick", "1"},
                    OutsideCase{"ZoneMaskAllBits", "MOUSE", "MousePosi", "-1", "255"},
                    OutsideCase{"ZoneMaskAboveTheZones", "MOUSE", "MousePosi", "256", "0"},
                    OutsideCase{"CheckBoxSeven", "KEY", "blnShiftMode", "7", "1"},
                    OutsideCase{"CheckBoxHalfRoundsToGreyed", "KEY", "blnShiftMode", "1.5", "2"},
                    OutsideCase{"CheckBoxText", "KEY", "blnShiftMode", "x1", "0"},
                    OutsideCase{"CheckBoxBeyond16Bits", "APP", "blnRunup", "99999", "1"},
                    OutsideCase{"IconThatIsNoPicture", "APP", "Icon0", "%DIR%/not-an-icon.ico", ""},
                    OutsideCase{"IconFileMissing", "APP", "Icon1", "%DIR%/gone.ico", ""},
                    OutsideCase{"IconFolder", "APP", "Icon1", "%DIR%", ""},
                    OutsideCase{"EmptyClassList", "APP", "WinClasses", "", ""}),
    [](const testing::TestParamInfo<OutsideCase>& param) { return param.param.name; });

TEST_F(StartupTest, UnloadableIconShowsTheBuiltInPicture) {
    testfiles::writeBytes(filePath(QStringLiteral("bad.ico")), "no picture");
    writeIni({QStringLiteral("[APP]"), QStringLiteral("Icon1=") + filePath(QStringLiteral("bad.ico"))});
    const core::ControlValues& v = start().values();
    EXPECT_EQ(v.pictures[1], qtplatform::PictureStore::kConcealmentPicture);
    EXPECT_TRUE(v.pictureFiles[1].isEmpty());
}

TEST_F(StartupTest, LockTickedWithoutPasswordStaysDisabled) {
    writeIni({QStringLiteral("[LOCK]"), QStringLiteral("blnLock=1")});
    app::MainProgram& p = start();
    EXPECT_EQ(p.values().lockBox, 1);
    EXPECT_FALSE(p.form().lockBox()->isEnabled());
    EXPECT_FALSE(p.values().lockEnabled);
}

TEST_F(StartupTest, GreyedRunupLeavesTheWindowHidden) {
    writeIni({QStringLiteral("[APP]"), QStringLiteral("blnRunup=2")});
    EXPECT_FALSE(start().form().isVisible());
}

// --- the window's position -----------------------------------------------------------------------

TEST_F(StartupTest, MovedWindowWritesItsNewPlace) {
    writeIni({QStringLiteral("[APP]"), QStringLiteral("FormSetX=1500"), QStringLiteral("FormSetY=1500")});
    app::MainProgram& p = start();
    EXPECT_EQ(p.form().pos(), primary().topLeft() + QPoint(100, 100));
    p.form().move(primary().topLeft() + QPoint(120, 33));
    p.shutDown();
    EXPECT_EQ(written(QStringLiteral("FormSetX")), QStringLiteral("1800"));
    EXPECT_EQ(written(QStringLiteral("FormSetY")), QStringLiteral("495"));
}

TEST_F(StartupTest, WindowOffEveryScreenIsCentredOnThePrimary) {
    writeIni({QStringLiteral("[APP]"), QStringLiteral("FormSetX=-300000"), QStringLiteral("FormSetY=90000")});
    app::MainProgram& p = start();
    const QSizeF size(app::kCollapsedOuterWidthTwips / 15.0, app::kDesignedHeightTwips / 15.0);
    const QPoint centred =
        (QRectF(primary()).center() - QPointF(size.width() / 2, size.height() / 2)).toPoint();
    EXPECT_EQ(p.form().pos(), centred);
    p.shutDown();
    EXPECT_EQ(written(QStringLiteral("FormSetX")), QString::number((centred.x() - primary().x()) * 15));
    EXPECT_EQ(written(QStringLiteral("FormSetY")), QString::number((centred.y() - primary().y()) * 15));
}

TEST_F(StartupTest, WindowPartlyOnScreenStaysWhereItWas) {
    // Its right part still overlaps the screen.
    writeIni({QStringLiteral("[APP]"), QStringLiteral("FormSetX=-1500"), QStringLiteral("FormSetY=0")});
    app::MainProgram& p = start();
    EXPECT_EQ(p.form().pos(), primary().topLeft() + QPoint(-100, 0));
    p.shutDown();
    EXPECT_EQ(written(QStringLiteral("FormSetX")), QStringLiteral("-1500"));
}

// --- shut-down -----------------------------------------------------------------------------------

TEST_F(StartupTest, ShutdownRunsOnce) {
    app::MainProgram& p = start();
    p.shutDown();
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(p.form().isVisible());
    ASSERT_EQ(icon.calls.size(), 2u);
    EXPECT_EQ(icon.calls[1].op, fakes::FakeTrayIcon::Op::kHide);
    EXPECT_FALSE(icon.visible);
    EXPECT_FALSE(p.cycleDriver().running());

    testfiles::writeBytes(iniPath(), "edited after the shut-down");
    p.shutDown();
    p.saveSettingsOnce();
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(icon.calls.size(), 2u);
    EXPECT_EQ(iniBytes(), "edited after the shut-down");
}

TEST_F(StartupTest, SettingsAreWrittenWhenTheProcessEndsThroughExit) {
    // As when Qt ends the process on a broken X connection before the shut-down could run.
    writeIni({QStringLiteral("[MOUSE]"), QStringLiteral("lngPixels=7")});
    EXPECT_EXIT(
        {
            app::MainProgram& p = start();
            p.form().thicknessBox()->setValue(9);
            // Ends the process right after the settings are written (exit handlers run last
            // registered first), before the test harness takes its QApplication away under the
            // program's windows.
            std::atexit([] { std::_Exit(1); });
            const app::ExitSave save(p);
            std::exit(1);
        },
        testing::ExitedWithCode(1), "");
    EXPECT_EQ(written(QStringLiteral("lngPixels")), QStringLiteral("9"));
    EXPECT_EQ(QString::fromStdString(iniBytes()).count(u'='), 17);
}

TEST_F(StartupTest, ExitButtonShutsDown) {
    app::MainProgram& p = start();
    button("cmdExit")->click();
    EXPECT_TRUE(p.unloaded());
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(QFile::exists(iniPath()));
}

TEST_F(StartupTest, ShutdownBeforeStartUpWritesNothing) {
    writeIni({QStringLiteral("[KEY]"), QStringLiteral("blnShiftMode=0")});
    program = std::make_unique<app::MainProgram>(
        app::MainProgram::Platform{windows, sound, pictures, icon, prompter, chooser}, iniPath());
    program->onEnd = [this] { ++ends; };
    program->shutDown();
    program->saveSettingsOnce();
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(icon.calls.empty());
    EXPECT_EQ(iniBytes(), joined({QStringLiteral("[KEY]"), QStringLiteral("blnShiftMode=0")}));
    program->start();
    EXPECT_FALSE(program->loaded()) << "no start-up after the shut-down";
}

TEST_F(StartupTest, HandEditedSettingsAreOverwrittenFromMemory) {
    writeIni({QStringLiteral("[KEY]"), QStringLiteral("blnShiftMode=0")});
    app::MainProgram& p = start();
    writeIni({QStringLiteral("[KEY]"), QStringLiteral("blnShiftMode=1"), QStringLiteral("Extra=kept")});
    p.shutDown();
    EXPECT_EQ(written(QStringLiteral("blnShiftMode")), QStringLiteral("0"));
    EXPECT_EQ(written(QStringLiteral("Extra")), QStringLiteral("kept")) << "other keys stay";
}

TEST_F(StartupTest, ShutdownGivesConcealedWindowsBack) {
    writeIni({QStringLiteral("[APP]"), QStringLiteral("blnRunup=0"), QStringLiteral("blnMute=0")});
    app::MainProgram& p = start();
    const core::WindowHandle concealed = windows.open(QStringLiteral("XTerm"), QStringLiteral("one"));
    const core::WindowHandle shownAgain = windows.open(QStringLiteral("XTerm"), QStringLiteral("two"));
    for (const core::WindowHandle handle : {concealed, shownAgain})
        p.registry().addTargetEntry(core::formatTargetEntry(windows.windowTitle(handle), handle));
    p.registry().refreshTargetList();

    windows.pointer = core::Point{0, 0};
    p.cycle().tick();
    ASSERT_TRUE(windows.isHidden(concealed));
    ASSERT_TRUE(p.flags().held);
    // The user shows one window by hand and moves it.
    windows.setPlacement(shownAgain, fakes::FakeWindowServices::normal(300, 300));
    windows.placementCalls.clear();

    p.shutDown();
    EXPECT_FALSE(windows.isHidden(concealed));
    EXPECT_EQ(windows.find(shownAgain)->placement.framePosition, (core::Point{300, 300}))
        << "a window shown since keeps its place";
    EXPECT_EQ(icon.calls.back().op, fakes::FakeTrayIcon::Op::kHide);
}

// Ending the program while a concealment holds the sound muted gives the sound back as a release
// would, where automatic restoring is ticked.
TEST_F(StartupTest, ShutdownWhileConcealedGivesTheSoundBack) {
    struct Case {
        const char* muteAuto;
        bool mutedAfter;
    };
    for (const Case c : {Case{"1", false}, Case{"0", true}}) {
        SCOPED_TRACE(c.muteAuto);
        writeIni({QStringLiteral("[APP]"), QStringLiteral("blnRunup=0"), QStringLiteral("blnMute=1"),
                  QStringLiteral("blnMuteAuto=") + QLatin1String(c.muteAuto)});
        sound.isMuted = false;
        app::MainProgram& p = start();
        const core::WindowHandle window = windows.open(QStringLiteral("XTerm"), QStringLiteral("one"));
        p.registry().addTargetEntry(core::formatTargetEntry(windows.windowTitle(window), window));
        p.registry().refreshTargetList();
        windows.pointer = core::Point{0, 0};
        p.cycle().tick();
        ASSERT_TRUE(windows.isHidden(window));
        ASSERT_TRUE(sound.isMuted);

        p.shutDown();
        EXPECT_FALSE(windows.isHidden(window));
        EXPECT_EQ(sound.isMuted, c.mutedAfter);
        program.reset();
        windows.windows.clear();
        windows.pointer = core::Point{512, 384};
    }
}

TEST_F(StartupTest, AFailedWriteAtShutdownSaysWhichFileAndWhy) {
    ASSERT_TRUE(QDir().mkpath(iniPath()));  // a folder where the file should be: it cannot be replaced
    app::MainProgram& p = start();
    testing::internal::CaptureStderr();
    p.shutDown();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("the settings were not written to " + iniPath().toStdString()), std::string::npos)
        << said;
    EXPECT_TRUE(QFileInfo(iniPath()).isDir()) << "nothing was put in its place";
}

// --- the password reaches the file at shut-down only ----------------------------------------------

TEST_F(StartupTest, PasswordSetDuringTheRunReachesTheFileOnlyAtShutdown) {
    writeIni({QStringLiteral("[LOCK]"), QStringLiteral("blnLock=0")});
    const std::string before = iniBytes();
    app::MainProgram& p = start();

    zeltest::whenModal<ui::SetPasswordDialog>([](ui::SetPasswordDialog& dialog) {
        dialog.passwordEdit(0)->setText(QStringLiteral("secret"));
        dialog.passwordEdit(1)->setText(QStringLiteral("secret"));
        dialog.setButton()->click();
    });
    button("cmdPass")->click();

    const QString digest = lock::makePassHash(QStringLiteral("secret"));
    EXPECT_EQ(p.values().passwordDigest, digest);
    EXPECT_TRUE(p.form().lockBox()->isEnabled());
    EXPECT_EQ(iniBytes(), before) << "nothing is written while the program runs";

    p.shutDown();
    EXPECT_EQ(written(QStringLiteral("PassHash")), digest);
}

TEST_F(StartupTest, ClearingThePasswordClearsAndDisablesTheLock) {
    writeIni({QStringLiteral("[LOCK]"), QStringLiteral("blnLock=1"), QStringLiteral("PassHash=ABC")});
    app::MainProgram& p = start();
    zeltest::whenModal<ui::SetPasswordDialog>([](ui::SetPasswordDialog& dialog) {
        dialog.passwordEdit(0)->clear();
        dialog.passwordEdit(1)->clear();
        dialog.setButton()->click();
    });
    button("cmdPass")->click();
    EXPECT_EQ(p.form().lockBox()->value(), 0);
    EXPECT_FALSE(p.form().lockBox()->isEnabled());
    p.shutDown();
    EXPECT_EQ(written(QStringLiteral("blnLock")), QStringLiteral("0"));
    EXPECT_EQ(written(QStringLiteral("PassHash")), QString());
}

}  // namespace
