// Start-up and shut-down with a real settings file: the defaults, a round trip, values the window
// cannot hold, the window's position, the windows given back, and one shut-down whatever calls it.
#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <cstdlib>
#include <ostream>

#include "app/AppFixture.h"
#include "core/ConcealmentCycle.h"
#include "core/TargetEntry.h"
#include "lock/MakePassHash.h"
#include "lock/forms/frmPasswd.h"
#include "lock_forms/DialogTestSupport.h"
#include "ui/ExitSave.h"

namespace {

using apptest::AppFixture;

class StartupTest : public AppFixture {
protected:
    // The value a key has in the written file ("" when missing).
    QString Written(const QString& key) const {
        for (const QString& line : QString::fromStdString(IniBytes()).split(QStringLiteral("\r\n"))) {
            if (line.startsWith(key + QChar(u'='))) return line.mid(key.size() + 1);
        }
        return QStringLiteral("<missing>");
    }
};

TEST_F(StartupTest, NoFileGivesEveryDefault) {
    ui::MainProgram& p = Start();
    const core::ControlValues& v = p.Values();
    ui::frmMain& form = p.Form();

    // Centred as the window at its full designed size would be: the collapsed window sits left of
    // the centre.
    const QRect screen = Primary();
    const QPointF centred(screen.width() * 15.0 / 2 - ui::kDesignedWidthTwips / 2.0,
                          screen.height() * 15.0 / 2 - ui::kDesignedHeightTwips / 2.0);
    EXPECT_EQ(form.pos(), (QPointF(screen.topLeft()) + centred / 15).toPoint());

    EXPECT_EQ(form.udPixel()->value(), 5);
    EXPECT_EQ(v.lngPixels, 5);
    EXPECT_EQ(v.ZoneMask, 1u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(form.chkMouse(i)->Value(), i == 0 ? 1 : 0) << i;
    EXPECT_EQ(v.chkShift, 1);
    EXPECT_EQ(v.chkScrollLock, 1);
    EXPECT_TRUE(v.blnShiftMode);
    EXPECT_TRUE(v.blnScrollMode);
    EXPECT_EQ(v.chkTrigMouse, 1);
    EXPECT_EQ(v.chkTrigKey, 1);
    EXPECT_EQ(v.chkLock, 0);
    EXPECT_FALSE(form.chkLock()->isEnabled());
    EXPECT_TRUE(v.PassHash.isEmpty());
    EXPECT_EQ(v.chkMute, 1);
    EXPECT_EQ(v.chkMuteAuto, 1);
    EXPECT_TRUE(form.chkMuteAuto()->isEnabled());
    EXPECT_EQ(v.chkIE, 1);
    EXPECT_EQ(p.Registry().ClassList(), QStringList{QStringLiteral("IEFrame")});
    EXPECT_EQ(p.Registry().lstClasses().stringList(), QStringList{QStringLiteral("IEFrame")});
    EXPECT_EQ(v.imgIcon[0], ui::PictureStore::kStandbyPicture);
    EXPECT_EQ(v.imgIcon[1], ui::PictureStore::kConcealmentPicture);
    EXPECT_TRUE(v.IconPath[0].isEmpty());
    EXPECT_TRUE(v.IconPath[1].isEmpty());
    EXPECT_EQ(v.chkRunup, 1);
    EXPECT_TRUE(form.isVisible());
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(form.CornerForms(i)->isVisible()) << "start-up shows no indicator";

    ASSERT_EQ(icon.calls.size(), 1u);
    const core::TrayIconData& added = icon.calls[0].data;
    EXPECT_EQ(icon.calls[0].op, fakes::FakeNotifyIcon::Op::kAdd);
    EXPECT_EQ(added.hIcon, ui::PictureStore::kStandbyPicture);
    EXPECT_EQ(added.hWnd, static_cast<core::WindowHandle>(form.winId()));
    EXPECT_EQ(added.uFlags, 7u);
    EXPECT_EQ(added.uCallbackMessage, 0x200u);
    ASSERT_EQ(added.szTip.size(), 64);
    EXPECT_EQ(added.szTip[0], QChar(u'\0'));

    EXPECT_FALSE(QFile::exists(IniPath())) << "start-up writes nothing";
    p.Form_Unload();
    EXPECT_EQ(Written(QStringLiteral("FormSetX")), QStringLiteral("%1").arg(centred.x()));
}

TEST_F(StartupTest, FreshFileHoldsItsSectionsInShutdownOrder) {
    Start().Form_Unload();
    const QString text = QString::fromStdString(IniBytes());
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
        QStringLiteral("FormSetY=987"),    QStringLiteral("Icon0=") + apptest::DecoyIconFile(),
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
    WriteIni(lines);
    ui::MainProgram& p = Start();
    const core::ControlValues& v = p.Values();
    ui::frmMain& form = p.Form();

    // MousePosi 12 is codes 4 and 8: the bottom corners, toggles 3 and 2.
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(form.chkMouse(i)->Value(), (i == 2 || i == 3) ? 1 : 0) << i;
    EXPECT_EQ(v.ZoneMask, 12u);
    EXPECT_EQ(v.lngPixels, 7);
    EXPECT_FALSE(v.blnShiftMode);
    EXPECT_TRUE(v.blnScrollMode);
    EXPECT_EQ(v.chkTrigMouse, 0);
    EXPECT_EQ(v.chkLock, 1);
    EXPECT_TRUE(form.chkLock()->isEnabled()) << "a password is stored";
    EXPECT_EQ(v.PassHash, QStringLiteral("ABC"));
    EXPECT_EQ(v.chkMuteAuto, 1);
    EXPECT_FALSE(form.chkMuteAuto()->isEnabled()) << "mute is off";
    EXPECT_EQ(p.Registry().ClassList(),
              (QStringList{QStringLiteral("XTerm"), QString(), QStringLiteral("Foo")}));
    EXPECT_EQ(v.IconPath[0], apptest::DecoyIconFile());
    EXPECT_NE(v.imgIcon[0], ui::PictureStore::kStandbyPicture);
    EXPECT_FALSE(pictures.Icon(v.imgIcon[0]).isNull());
    EXPECT_FALSE(form.imgIcon(0)->pixmap().isNull());
    EXPECT_EQ(v.imgIcon[1], ui::PictureStore::kConcealmentPicture);
    EXPECT_FALSE(form.isVisible()) << "blnRunup 0";
    ASSERT_FALSE(icon.calls.empty());
    EXPECT_EQ(icon.calls[0].data.hIcon, v.imgIcon[0]) << "the tray starts with the decoy";

    p.Form_Unload();
    EXPECT_EQ(IniBytes(), Joined(lines));
}

// A program started hidden makes its window's controls only when the window is first shown (text
// boxes and captioned frames would map fonts at once); until then the stored values live in the
// program's values, and the controls show them and take over from there.
TEST_F(StartupTest, HiddenStartMakesTheControlsWhenTheWindowIsFirstShown) {
    WriteIni({QStringLiteral("[APP]"), QStringLiteral("blnRunup=0"), QStringLiteral("blnMute=0"),
              QStringLiteral("[MOUSE]"), QStringLiteral("MousePosi=12"), QStringLiteral("lngPixels=7")});
    ui::MainProgram& p = Start();
    const core::ControlValues& v = p.Values();
    ui::frmMain& form = p.Form();
    EXPECT_FALSE(form.ControlsBuilt());
    EXPECT_TRUE(form.findChildren<QWidget*>().isEmpty());
    EXPECT_EQ(v.ZoneMask, 12u);
    EXPECT_EQ(v.lngPixels, 7);
    EXPECT_FALSE(v.chkMuteAutoEnabled);

    form.show();
    ASSERT_TRUE(form.ControlsBuilt());
    EXPECT_EQ(form.udPixel()->value(), 7);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(form.chkMouse(i)->Value(), (i == 2 || i == 3) ? 1 : 0) << i;
    EXPECT_EQ(form.chkShift()->Value(), 1);
    EXPECT_EQ(form.chkMute()->Value(), 0);
    EXPECT_FALSE(form.chkMuteAuto()->isEnabled());
    EXPECT_EQ(v.ZoneMask, 12u) << "showing the values runs no handler";

    // From here the controls drive the values.
    form.chkMouse(2)->SetValue(0);
    form.udPixel()->setValue(9);
    form.chkMute()->SetValue(1);
    EXPECT_EQ(v.ZoneMask, 4u);
    EXPECT_EQ(v.lngPixels, 9);
    EXPECT_TRUE(v.chkMuteAutoEnabled);
    p.Form_Unload();
    EXPECT_EQ(Written(QStringLiteral("MousePosi")), QStringLiteral("4"));
    EXPECT_EQ(Written(QStringLiteral("lngPixels")), QStringLiteral("9"));
    EXPECT_EQ(Written(QStringLiteral("blnMute")), QStringLiteral("1"));
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
    testfiles::writeBytes(FilePath(QStringLiteral("not-an-icon.ico")), "plain text, no picture");
    QString stored = c.stored;
    stored.replace(QStringLiteral("%DIR%"), dir.path());
    WriteIni({QStringLiteral("[%1]").arg(c.section), c.key + QChar(u'=') + stored});
    Start().Form_Unload();
    EXPECT_EQ(Written(c.key), c.written);
}

INSTANTIATE_TEST_SUITE_P(
    Values, OutsideTheModelTest,
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
    testfiles::writeBytes(FilePath(QStringLiteral("bad.ico")), "no picture");
    WriteIni({QStringLiteral("[APP]"), QStringLiteral("Icon1=") + FilePath(QStringLiteral("bad.ico"))});
    const core::ControlValues& v = Start().Values();
    EXPECT_EQ(v.imgIcon[1], ui::PictureStore::kConcealmentPicture);
    EXPECT_TRUE(v.IconPath[1].isEmpty());
}

TEST_F(StartupTest, LockTickedWithoutPasswordStaysDisabled) {
    WriteIni({QStringLiteral("[LOCK]"), QStringLiteral("blnLock=1")});
    ui::MainProgram& p = Start();
    EXPECT_EQ(p.Values().chkLock, 1);
    EXPECT_FALSE(p.Form().chkLock()->isEnabled());
    EXPECT_FALSE(p.Values().chkLockEnabled);
}

TEST_F(StartupTest, GreyedRunupLeavesTheWindowHidden) {
    WriteIni({QStringLiteral("[APP]"), QStringLiteral("blnRunup=2")});
    EXPECT_FALSE(Start().Form().isVisible());
}

// --- the window's position -----------------------------------------------------------------------

TEST_F(StartupTest, MovedWindowWritesItsNewPlace) {
    WriteIni({QStringLiteral("[APP]"), QStringLiteral("FormSetX=1500"), QStringLiteral("FormSetY=1500")});
    ui::MainProgram& p = Start();
    EXPECT_EQ(p.Form().pos(), Primary().topLeft() + QPoint(100, 100));
    p.Form().move(Primary().topLeft() + QPoint(120, 33));
    p.Form_Unload();
    EXPECT_EQ(Written(QStringLiteral("FormSetX")), QStringLiteral("1800"));
    EXPECT_EQ(Written(QStringLiteral("FormSetY")), QStringLiteral("495"));
}

TEST_F(StartupTest, WindowOffEveryScreenIsCentredOnThePrimary) {
    WriteIni({QStringLiteral("[APP]"), QStringLiteral("FormSetX=-300000"), QStringLiteral("FormSetY=90000")});
    ui::MainProgram& p = Start();
    const QSizeF size(ui::kCollapsedOuterWidthTwips / 15.0, ui::kDesignedHeightTwips / 15.0);
    const QPoint centred =
        (QRectF(Primary()).center() - QPointF(size.width() / 2, size.height() / 2)).toPoint();
    EXPECT_EQ(p.Form().pos(), centred);
    p.Form_Unload();
    EXPECT_EQ(Written(QStringLiteral("FormSetX")), QString::number((centred.x() - Primary().x()) * 15));
    EXPECT_EQ(Written(QStringLiteral("FormSetY")), QString::number((centred.y() - Primary().y()) * 15));
}

TEST_F(StartupTest, WindowPartlyOnScreenStaysWhereItWas) {
    // Its right part still overlaps the screen.
    WriteIni({QStringLiteral("[APP]"), QStringLiteral("FormSetX=-1500"), QStringLiteral("FormSetY=0")});
    ui::MainProgram& p = Start();
    EXPECT_EQ(p.Form().pos(), Primary().topLeft() + QPoint(-100, 0));
    p.Form_Unload();
    EXPECT_EQ(Written(QStringLiteral("FormSetX")), QStringLiteral("-1500"));
}

// --- shut-down -----------------------------------------------------------------------------------

TEST_F(StartupTest, ShutdownRunsOnce) {
    ui::MainProgram& p = Start();
    p.Form_Unload();
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(p.Form().isVisible());
    ASSERT_EQ(icon.calls.size(), 2u);
    EXPECT_EQ(icon.calls[1].op, fakes::FakeNotifyIcon::Op::kDelete);
    EXPECT_FALSE(p.Form().tmrActive().isActive());

    testfiles::writeBytes(IniPath(), "edited after the shut-down");
    p.Form_Unload();
    p.SaveSettingsOnce();
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(icon.calls.size(), 2u);
    EXPECT_EQ(IniBytes(), "edited after the shut-down");
}

TEST_F(StartupTest, SettingsAreWrittenWhenTheProcessEndsThroughExit) {
    // As when Qt ends the process on a broken X connection before the shut-down could run.
    WriteIni({QStringLiteral("[MOUSE]"), QStringLiteral("lngPixels=7")});
    EXPECT_EXIT(
        {
            ui::MainProgram& p = Start();
            p.Form().udPixel()->setValue(9);
            // Ends the process right after the settings are written (exit handlers run last
            // registered first), before the test harness takes its QApplication away under the
            // program's windows.
            std::atexit([] { std::_Exit(1); });
            const ui::ExitSave save(p);
            std::exit(1);
        },
        testing::ExitedWithCode(1), "");
    EXPECT_EQ(Written(QStringLiteral("lngPixels")), QStringLiteral("9"));
    EXPECT_EQ(QString::fromStdString(IniBytes()).count(u'='), 17);
}

TEST_F(StartupTest, ExitButtonShutsDown) {
    ui::MainProgram& p = Start();
    Button("cmdExit")->click();
    EXPECT_TRUE(p.Unloaded());
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(QFile::exists(IniPath()));
}

TEST_F(StartupTest, ShutdownBeforeStartUpWritesNothing) {
    WriteIni({QStringLiteral("[KEY]"), QStringLiteral("blnShiftMode=0")});
    program = std::make_unique<ui::MainProgram>(
        ui::MainProgram::Platform{windows, device, pictures, icon, prompter, chooser}, IniPath());
    program->onEnd = [this] { ++ends; };
    program->Form_Unload();
    program->SaveSettingsOnce();
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(icon.calls.empty());
    EXPECT_EQ(IniBytes(), Joined({QStringLiteral("[KEY]"), QStringLiteral("blnShiftMode=0")}));
    program->Form_Load();
    EXPECT_FALSE(program->Loaded()) << "no start-up after the shut-down";
}

TEST_F(StartupTest, HandEditedSettingsAreOverwrittenFromMemory) {
    WriteIni({QStringLiteral("[KEY]"), QStringLiteral("blnShiftMode=0")});
    ui::MainProgram& p = Start();
    WriteIni({QStringLiteral("[KEY]"), QStringLiteral("blnShiftMode=1"), QStringLiteral("Extra=kept")});
    p.Form_Unload();
    EXPECT_EQ(Written(QStringLiteral("blnShiftMode")), QStringLiteral("0"));
    EXPECT_EQ(Written(QStringLiteral("Extra")), QStringLiteral("kept")) << "other keys stay";
}

TEST_F(StartupTest, ShutdownGivesConcealedWindowsBack) {
    WriteIni({QStringLiteral("[APP]"), QStringLiteral("blnRunup=0"), QStringLiteral("blnMute=0")});
    ui::MainProgram& p = Start();
    const core::WindowHandle concealed = windows.Open(QStringLiteral("XTerm"), QStringLiteral("one"));
    const core::WindowHandle shownAgain = windows.Open(QStringLiteral("XTerm"), QStringLiteral("two"));
    for (const core::WindowHandle hWnd : {concealed, shownAgain})
        p.Registry().AddTargetEntry(core::FormatTargetEntry(windows.GetWindowText(hWnd), hWnd));
    p.Registry().RefreshTargetList();

    windows.pointer = core::Point{0, 0};
    p.Cycle().tmrActive_Timer();
    ASSERT_TRUE(windows.IsHidden(concealed));
    ASSERT_TRUE(p.Flags().blnTrigLatch);
    // The user shows one window by hand and moves it.
    windows.SetWindowPlacement(shownAgain, fakes::FakeWindowServices::Normal(300, 300));
    windows.placementCalls.clear();

    p.Form_Unload();
    EXPECT_FALSE(windows.IsHidden(concealed));
    EXPECT_EQ(windows.Find(shownAgain)->placement.framePosition, (core::Point{300, 300}))
        << "a window shown since keeps its place";
    EXPECT_EQ(icon.calls.back().op, fakes::FakeNotifyIcon::Op::kDelete);
}

// --- the password reaches the file at shut-down only ----------------------------------------------

TEST_F(StartupTest, PasswordSetDuringTheRunReachesTheFileOnlyAtShutdown) {
    WriteIni({QStringLiteral("[LOCK]"), QStringLiteral("blnLock=0")});
    const std::string before = IniBytes();
    ui::MainProgram& p = Start();

    zeltest::WhenModal<lock::frmPasswd>([](lock::frmPasswd& dialog) {
        dialog.txtPass(0)->setText(QStringLiteral("secret"));
        dialog.txtPass(1)->setText(QStringLiteral("secret"));
        dialog.cmdSet()->click();
    });
    Button("cmdPass")->click();

    const QString digest = lock::MakePassHash(QStringLiteral("secret"));
    EXPECT_EQ(p.Values().PassHash, digest);
    EXPECT_TRUE(p.Form().chkLock()->isEnabled());
    EXPECT_EQ(IniBytes(), before) << "nothing is written while the program runs";

    p.Form_Unload();
    EXPECT_EQ(Written(QStringLiteral("PassHash")), digest);
}

TEST_F(StartupTest, ClearingThePasswordClearsAndDisablesTheLock) {
    WriteIni({QStringLiteral("[LOCK]"), QStringLiteral("blnLock=1"), QStringLiteral("PassHash=ABC")});
    ui::MainProgram& p = Start();
    zeltest::WhenModal<lock::frmPasswd>([](lock::frmPasswd& dialog) {
        dialog.txtPass(0)->clear();
        dialog.txtPass(1)->clear();
        dialog.cmdSet()->click();
    });
    Button("cmdPass")->click();
    EXPECT_EQ(p.Form().chkLock()->Value(), 0);
    EXPECT_FALSE(p.Form().chkLock()->isEnabled());
    p.Form_Unload();
    EXPECT_EQ(Written(QStringLiteral("blnLock")), QStringLiteral("0"));
    EXPECT_EQ(Written(QStringLiteral("PassHash")), QString());
}

}  // namespace
