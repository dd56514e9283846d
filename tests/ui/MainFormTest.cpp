// The main window under the offscreen platform: the trigger panel's handlers, the corner
// indicators, the sound controls, the lists and the picker's wiring.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "audio/mMixer.h"
#include "core/ControlValues.h"
#include "core/CycleFlags.h"
#include "core/TargetRegistry.h"
#include "fakes/FakeMixerDevice.h"
#include "fakes/FakeNotifyIcon.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeWindowServices.h"
#include "picker/PickerFakes.h"
#include "picker/forms/frmAddConfirm.h"
#include "text/AnsiText.h"
#include "ui/QtApp.h"
#include "ui/TriggerZones.h"
#include "ui/frmMain.h"

namespace {

using ui::frmMain;

class MainFormTest : public testing::Test {
protected:
    QRect Screen() const { return QGuiApplication::primaryScreen()->geometry(); }

    void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    QApplication& app = uitest::App();  // before any widget
    fakes::FakeWindowServices windows;
    pickertest::ScreenWithFrames screen{windows};
    fakes::FakePrompter prompter;
    core::CycleFlags flags;
    core::TargetRegistry registry{screen, prompter, flags};
    fakes::FakeNotifyIcon icon;
    core::TrayIconData trayIconData;
    fakes::FakeMixerDevice device;
    audio::mMixer mixer{device};
    core::ControlValues values;
    frmMain form{{values, screen, registry, prompter, icon, trayIconData, mixer}};
};

// --- zone toggles -------------------------------------------------------------------------------

struct ZoneCase {
    int index;
    std::uint32_t bit;
    int corner;  // indicator shown, -1 for none
};

class ZoneToggleTest : public MainFormTest, public testing::WithParamInterface<ZoneCase> {};

TEST_P(ZoneToggleTest, ClickFlipsItsBitAndItsIndicator) {
    const ZoneCase c = GetParam();
    form.show();
    Click(form.chkMouse(c.index));
    EXPECT_EQ(values.ZoneMask, c.bit);
    EXPECT_EQ(values.chkMouse[static_cast<std::size_t>(c.index)], 1);
    for (int i = 0; i < ui::kCornerCount; ++i)
        EXPECT_EQ(form.CornerForms(i)->isVisible(), i == c.corner) << i;
    if (c.corner >= 0) {
        const QRect corner = form.CornerForms(c.corner)->geometry();
        EXPECT_EQ(corner, ui::CornerRect(c.corner, Screen(), 1));
    }

    Click(form.chkMouse(c.index));
    EXPECT_EQ(values.ZoneMask, 0u);
    EXPECT_EQ(values.chkMouse[static_cast<std::size_t>(c.index)], 0);
    for (int i = 0; i < ui::kCornerCount; ++i)
        EXPECT_FALSE(form.CornerForms(i)->isVisible()) << i;
}

INSTANTIATE_TEST_SUITE_P(AllZones, ZoneToggleTest,
                         testing::Values(ZoneCase{0, 1, 0}, ZoneCase{1, 2, 1}, ZoneCase{2, 8, 2},
                                         ZoneCase{3, 4, 3}, ZoneCase{4, 16, -1}, ZoneCase{5, 32, -1},
                                         ZoneCase{6, 64, -1}, ZoneCase{7, 128, -1}));

TEST_F(MainFormTest, ZoneMaskFollowsEveryToggleTogether) {
    form.chkMouse(0)->SetValue(1);
    form.chkMouse(2)->SetValue(1);
    form.chkMouse(7)->SetValue(1);
    EXPECT_EQ(values.ZoneMask, 1u | 8u | 128u);
    form.chkMouse(2)->SetValue(1);  // no change: no click
    EXPECT_EQ(values.ZoneMask, 1u | 8u | 128u);
    form.chkMouse(0)->SetValue(0);
    EXPECT_EQ(values.ZoneMask, 8u | 128u);
}

TEST_F(MainFormTest, IndicatorsShowOnlyWhileTheWindowIsShown) {
    for (int i = 0; i < ui::kCornerCount; ++i)
        form.chkMouse(i)->SetValue(1);
    EXPECT_EQ(values.ZoneMask, 15u);
    for (int i = 0; i < ui::kCornerCount; ++i)
        EXPECT_FALSE(form.CornerForms(i)->isVisible()) << i;

    form.chkMouse(1)->SetValue(0);
    form.chkMouse(3)->SetValue(0);
    form.show();
    form.ShowTickedIndicators();
    const std::array<bool, 4> expected{true, false, true, false};
    for (int i = 0; i < ui::kCornerCount; ++i) {
        EXPECT_EQ(form.CornerForms(i)->isVisible(), expected[static_cast<std::size_t>(i)]) << i;
    }

    form.cmdHide_Click();
    EXPECT_FALSE(form.isVisible());
    for (int i = 0; i < ui::kCornerCount; ++i)
        EXPECT_FALSE(form.CornerForms(i)->isVisible()) << i;
    EXPECT_EQ(form.chkMouse(0)->Value(), 1) << "hiding keeps the toggles";
}

TEST_F(MainFormTest, IndicatorsAreRedSquaresThatTakeNoInput) {
    form.show();
    form.chkMouse(0)->SetValue(1);
    ui::frmCorner* corner = form.CornerForms(0);
    const Qt::WindowFlags cornerFlags = corner->windowFlags();
    EXPECT_TRUE(cornerFlags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(cornerFlags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(cornerFlags.testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(cornerFlags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ(corner->focusPolicy(), Qt::NoFocus);
    form.udPixel()->setValue(7);
    const QImage image = corner->grab().toImage();
    ASSERT_EQ(image.size(), QSize(7, 7));
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(image.pixelColor(x, y), QColor(Qt::red)) << x << "," << y;
    }
}

TEST_F(MainFormTest, ThicknessSizesAndPlacesAllFourIndicators) {
    EXPECT_EQ(values.lngPixels, 1) << "the spinner's first value counts from the start";
    form.show();
    form.chkMouse(0)->SetValue(1);
    for (const int t : {5, 1, 20, 13}) {
        form.udPixel()->setValue(t);
        EXPECT_EQ(values.lngPixels, t);
        for (int i = 0; i < ui::kCornerCount; ++i) {
            const QRect rect = form.CornerForms(i)->geometry();
            EXPECT_EQ(rect.size(), QSize(t, t)) << i;
            EXPECT_EQ(rect, ui::CornerRect(i, Screen(), t)) << i;
        }
    }
    EXPECT_TRUE(form.CornerForms(0)->isVisible());
    EXPECT_FALSE(form.CornerForms(1)->isVisible()) << "sizing does not show an indicator";
}

TEST(CornerRect, IsFlushWithEachCorner) {
    const QRect screen(0, 0, 1024, 768);
    EXPECT_EQ(ui::CornerRect(0, screen, 5), QRect(0, 0, 5, 5));
    EXPECT_EQ(ui::CornerRect(1, screen, 5), QRect(1019, 0, 5, 5));
    EXPECT_EQ(ui::CornerRect(2, screen, 5), QRect(1019, 763, 5, 5));
    EXPECT_EQ(ui::CornerRect(3, screen, 5), QRect(0, 763, 5, 5));
    // A primary monitor right of another one.
    const QRect right(1280, 0, 1920, 1080);
    EXPECT_EQ(ui::CornerRect(2, right, 20), QRect(3180, 1060, 20, 20));
}

TEST_F(MainFormTest, SpinnerHoldsTheStoredDefaultAndKeepsToItsRange) {
    QSpinBox* spinner = form.udPixel();
    EXPECT_EQ(spinner->minimum(), 1);
    EXPECT_EQ(spinner->maximum(), 20);
    EXPECT_EQ(spinner->toolTip(), QStringLiteral("感度を上げろー"));
    spinner->setValue(5);
    QTest::keyClick(spinner, Qt::Key_Up);
    EXPECT_EQ(values.lngPixels, 6);
    spinner->setValue(40);
    EXPECT_EQ(values.lngPixels, 20);
    spinner->setValue(-3);
    EXPECT_EQ(values.lngPixels, 1);
}

// --- check boxes --------------------------------------------------------------------------------

TEST_F(MainFormTest, ShiftAndScrollLockModesFollowTheirBoxes) {
    struct Case {
        int value;
        bool mode;
    };
    for (const Case c : {Case{1, true}, Case{0, false}, Case{2, true}, Case{0, false}}) {
        form.chkShift()->SetValue(c.value);
        form.chkScrollLock()->SetValue(c.value);
        EXPECT_EQ(values.blnShiftMode, c.mode) << c.value;
        EXPECT_EQ(values.blnScrollMode, c.mode) << c.value;
    }
}

TEST_F(MainFormTest, EveryCheckBoxValueReachesTheControlValues) {
    const std::vector<std::pair<ui::ValueCheckBox*, int*>> boxes{
        {form.chkShift(), &values.chkShift},
        {form.chkScrollLock(), &values.chkScrollLock},
        {form.chkTrigMouse(), &values.chkTrigMouse},
        {form.chkTrigKey(), &values.chkTrigKey},
        {form.chkIE(), &values.chkIE},
        {form.chkMute(), &values.chkMute},
        {form.chkMuteAuto(), &values.chkMuteAuto},
        {form.chkLock(), &values.chkLock},
        {form.chkRunup(), &values.chkRunup},
    };
    for (const auto& [box, value] : boxes) {
        for (const int v : {1, 2, 0, -1}) {
            box->SetValue(v);
            EXPECT_EQ(*value, v == -1 ? 1 : v) << box->objectName().toStdString() << " " << v;
        }
        box->SetValue(2);
        box->setEnabled(true);
        form.show();
        Click(box);
        EXPECT_EQ(*value, 1) << "a click on a greyed box ticks it";
        Click(box);
        EXPECT_EQ(*value, 0);
    }
}

TEST_F(MainFormTest, MuteDecidesWhetherAutomaticRestoreCanBeChosen) {
    EXPECT_FALSE(form.chkMuteAuto()->isEnabled());
    EXPECT_FALSE(values.chkMuteAutoEnabled);
    form.chkMute()->SetValue(1);
    EXPECT_TRUE(form.chkMuteAuto()->isEnabled());
    EXPECT_TRUE(values.chkMuteAutoEnabled);
    form.chkMuteAuto()->SetValue(1);
    form.chkMute()->SetValue(0);
    EXPECT_FALSE(values.chkMuteAutoEnabled);
    EXPECT_EQ(values.chkMuteAuto, 1) << "disabling keeps the value";
    form.chkMute()->SetValue(2);
    EXPECT_FALSE(values.chkMuteAutoEnabled) << "only a ticked box enables it";
}

TEST_F(MainFormTest, LockBoxEnabledStateReachesTheControlValues) {
    EXPECT_FALSE(form.chkLock()->isEnabled());
    form.chkLock()->setEnabled(true);
    EXPECT_TRUE(values.chkLockEnabled);
    form.chkLock()->setEnabled(false);
    EXPECT_FALSE(values.chkLockEnabled);
}

TEST_F(MainFormTest, ReverseMuteTogglesAndClosesTheMixer) {
    form.show();
    auto* button = form.findChild<QPushButton*>(QStringLiteral("cmdReverseMute"));
    ASSERT_NE(button, nullptr);
    Click(button);
    EXPECT_EQ(device.muteValue, 1u);
    Click(button);
    EXPECT_EQ(device.muteValue, 0u);
    EXPECT_EQ(mixer.hMixer(), 0u);
    EXPECT_TRUE(device.openHandles.empty());

    device.scenario = fakes::FakeMixerDevice::Scenario::kRefusedRead;
    device.muteValue = 1;
    Click(button);
    EXPECT_EQ(device.calls.back(), "Close 81");
    EXPECT_EQ(device.Count("SetControlValue 81 49 1"), 2) << "an unreadable state counts as not muted";
}

// --- window, lists, commands --------------------------------------------------------------------

TEST_F(MainFormTest, ListToggleWidensTheWindowToShowTheLists) {
    form.show();
    EXPECT_EQ(form.size(), QSize(248, 410));
    EXPECT_FALSE(form.lstTarget()->isVisible());
    EXPECT_GE(form.lstTarget()->x(), 248);
    Click(form.chkList());
    EXPECT_EQ(form.width(), 450);
    EXPECT_TRUE(form.lstTarget()->isVisible());
    EXPECT_TRUE(form.lstClasses()->isVisible());
    EXPECT_TRUE(form.chkList()->isChecked()) << "the toggle looks pressed";
    Click(form.chkList());
    EXPECT_EQ(form.width(), 248);
    EXPECT_FALSE(form.lstClasses()->isVisible());
}

TEST_F(MainFormTest, WindowIsAFixedTopmostToolWithoutButtons) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Zelmora2nd."));
    const Qt::WindowFlags formFlags = form.windowFlags();
    EXPECT_EQ(formFlags & Qt::WindowType_Mask, Qt::Tool) << "no task-bar entry";
    EXPECT_TRUE(formFlags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(formFlags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_FALSE(formFlags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(formFlags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(formFlags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    form.show();
    const auto handle = static_cast<core::WindowHandle>(form.winId());
    ASSERT_TRUE(QTest::qWaitFor([&] { return screen.skipTaskbar.size() == 1; }, 5000));
    EXPECT_EQ(screen.skipTaskbar[0], handle) << "kept out of task bars";
    form.close();
    EXPECT_TRUE(form.isVisible()) << "the window system cannot close it";

    form.chkMouse(0)->SetValue(1);
    ASSERT_TRUE(form.CornerForms(0)->isVisible());
    form.setWindowState(Qt::WindowMaximized);
    EXPECT_EQ(form.windowState(), Qt::WindowNoState);
    form.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, 5000)) << "minimising hides it";
    EXPECT_EQ(form.windowState(), Qt::WindowNoState);
    EXPECT_FALSE(form.CornerForms(0)->isVisible());
    form.show();
    EXPECT_TRUE(form.isVisible()) << "showing brings it back";
    EXPECT_TRUE(QTest::qWaitFor([&] { return screen.skipTaskbar.size() == 2; }, 5000)) << "asked again";
}

TEST_F(MainFormTest, ListsUseTheMonospaceFontTheirTipAndTheRegistryWidth) {
    for (ui::ExtentListView* list : {form.lstTarget(), form.lstClasses()}) {
        const QFontInfo info(list->font());
        EXPECT_EQ(info.family(), QStringLiteral("IPAGothic"));
        // Every half-width character is half a full-width one, as the width rule counts bytes.
        const QFontMetrics metrics(list->font());
        const int half = metrics.horizontalAdvance(QLatin1Char('i'));
        for (const QChar c : QStringLiteral("W(1A2B)_x"))
            EXPECT_EQ(metrics.horizontalAdvance(c), half) << static_cast<int>(c.unicode());
        EXPECT_EQ(metrics.horizontalAdvance(QChar(0x3042)), 2 * half);
        EXPECT_EQ(metrics.horizontalAdvance(QChar(0x7A93)), 2 * half);
        EXPECT_EQ(list->font().pointSize(), 9);
        EXPECT_EQ(list->toolTip(), QStringLiteral("ダブルクリックでリストから外します"));
    }
    EXPECT_EQ(form.lstTarget()->model(), &registry.lstTarget());
    EXPECT_EQ(form.lstClasses()->model(), &registry.lstClasses());

    const QString title = QStringLiteral("あいうえお");
    const core::WindowHandle h = windows.Open(QStringLiteral("XTerm"), title, {}, 0x1A2B);
    registry.AddTargetEntry(title + QStringLiteral("(1A2B)"));
    registry.RefreshTargetList();
    // 16 CP932 bytes of 10 × 9 twips each, 15 twips to a pixel, plus 5.
    EXPECT_EQ(form.lstTarget()->HorizontalExtent(), 101);
    (void)h;

    // An entry wider than the list: the list scrolls sideways exactly over the extra width.
    const QString wide = QString(40, QChar(0x3042));
    const core::WindowHandle w = windows.Open(QStringLiteral("XTerm"), wide, {}, 0x2000);
    registry.AddTargetEntry(wide + QStringLiteral("(2000)"));
    registry.RefreshTargetList();
    const int extent = 10 * (80 + 6) * 9 / 15 + 5;
    EXPECT_EQ(form.lstTarget()->HorizontalExtent(), extent);
    form.chkList()->SetValue(1);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QScrollBar* bar = form.lstTarget()->horizontalScrollBar();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->isVisible(); }, 5000));
    EXPECT_EQ(bar->maximum(), extent - form.lstTarget()->viewport()->width());

    // A width set while the window is hidden is applied when it shows again.
    form.hide();
    const QString wider = QString(60, QChar(0x3042));
    const core::WindowHandle w2 = windows.Open(QStringLiteral("XTerm"), wider, {}, 0x3000);
    registry.AddTargetEntry(wider + QStringLiteral("(3000)"));
    registry.RefreshTargetList();
    const int widerExtent = 10 * (120 + 6) * 9 / 15 + 5;
    EXPECT_EQ(form.lstTarget()->HorizontalExtent(), widerExtent);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(bar->maximum(), widerExtent - form.lstTarget()->viewport()->width());
    (void)w;
    (void)w2;
}

TEST_F(MainFormTest, DoubleClickOnAnEntryRemovesItAfterTheQuestion) {
    for (int i = 0; i < 2; ++i) {
        const core::WindowHandle h = windows.Open(QStringLiteral("XTerm"), QStringLiteral("t%1").arg(i));
        registry.AddTargetEntry(QStringLiteral("t%1(%2)").arg(i).arg(core::HandleToHex(h)));
    }
    registry.RefreshTargetList();
    form.chkList()->SetValue(1);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    prompter.answers = {core::mb::kAnswerYes};
    ui::ExtentListView* list = form.lstTarget();
    const QRect item = list->visualRect(registry.lstTarget().index(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, item.center());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("リストから外しますよ？"));
    EXPECT_EQ(registry.lstTarget().rowCount(), 1);
    EXPECT_TRUE(registry.lstTarget().stringList().first().startsWith(QStringLiteral("t0(")));
}

TEST_F(MainFormTest, CommandButtonsCallTheirHooks) {
    std::vector<std::string> called;
    form.hooks.cmdPass_Click = [&] { called.push_back("pass"); };
    form.hooks.cmdAbout_Click = [&] { called.push_back("about"); };
    form.hooks.cmdExit_Click = [&] { called.push_back("exit"); };
    form.hooks.cmdLoad_Click = [&](int i) { called.push_back("load " + std::to_string(i)); };
    form.show();
    for (const char* name : {"cmdPass", "cmdAbout", "cmdLoad(1)", "cmdLoad(0)", "cmdExit"}) {
        auto* button = form.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        Click(button);
    }
    EXPECT_EQ(called, (std::vector<std::string>{"pass", "about", "load 1", "load 0", "exit"}));

    form.hooks = {};
    for (const char* name : {"cmdPass", "cmdAbout", "cmdLoad(0)", "cmdExit"}) {
        Click(form.findChild<QPushButton*>(QString::fromLatin1(name)));  // no hook: nothing happens
    }
    Click(form.findChild<QPushButton*>(QStringLiteral("cmdHide")));
    EXPECT_FALSE(form.isVisible());
}

TEST_F(MainFormTest, ActiveTimerRunsTheCycleHook) {
    EXPECT_TRUE(form.tmrActive().isActive());
    EXPECT_EQ(form.tmrActive().interval(), 300);
    EXPECT_FALSE(form.tmrTarget().isActive());
    EXPECT_EQ(form.tmrTarget().interval(), 100);
    int ticks = 0;
    form.hooks.tmrActive_Timer = [&] { ++ticks; };
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 2; }, 5000));
}

// --- the picker on the form ---------------------------------------------------------------------

TEST_F(MainFormTest, DragOnTheReticlePicksAWindow) {
    const core::WindowHandle target = windows.Open(QStringLiteral("XTerm"), QStringLiteral("端末"));
    screen.Cover(target, QRect(0, 0, 300, 300));
    screen.PointAt(QPoint(10, 10));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    QTest::mousePress(form.picTarget(), Qt::LeftButton);
    EXPECT_TRUE(form.tmrTarget().isActive());
    EXPECT_FALSE(form.tmrActive().isActive());
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr) << "the reticle is the pointer";
    EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(15, 16));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.txthWnd()->text().isEmpty(); }, 5000));
    EXPECT_EQ(form.txthWnd()->text(), core::HandleToHex(target));
    EXPECT_EQ(form.txtText()->text(), QStringLiteral("端末"));
    EXPECT_EQ(screen.Framed(), std::vector<core::WindowHandle>{target});

    bool asked = false;
    QTimer::singleShot(0, &form, [&] {
        asked = form.AddConfirm().isVisible();
        EXPECT_TRUE(form.tmrActive().isActive()) << "the cycle runs again while the question is open";
        QTest::mouseClick(form.AddConfirm().cmdClass(), Qt::LeftButton);
    });
    QTest::mouseRelease(form.picTarget(), Qt::LeftButton);
    EXPECT_TRUE(asked);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(form.tmrTarget().isActive());
    EXPECT_TRUE(screen.Framed().empty());
    EXPECT_EQ(registry.lstTarget().stringList(),
              QStringList{QStringLiteral("端末(") + core::HandleToHex(target) + QLatin1Char(')')});
    EXPECT_TRUE(registry.ClassList().contains(QStringLiteral("XTerm")));
    EXPECT_EQ(icon.calls.size(), 1u);
}

TEST_F(MainFormTest, ReticleCursorHasItsHotSpotNearTheCentre) {
    const QCursor cursor = frmMain::ReticleCursor();
    EXPECT_EQ(cursor.hotSpot(), QPoint(15, 16));
    EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
    EXPECT_EQ(form.picTarget()->toolTip(), QStringLiteral("こいつを標的にD&Dだ。"));
}

}  // namespace
