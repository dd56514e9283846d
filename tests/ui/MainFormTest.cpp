// The main window under the offscreen platform: the trigger panel's handlers, the corner
// indicators, the sound controls, the lists, the commands' signals, and the picker and the
// concealment cycle's timer on the window (app::TargetPicking, app::CycleDriver).
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
#include <array>
#include <string>
#include <vector>

#include "app/CycleDriver.h"
#include "app/TargetPicking.h"
#include "core/ControlValues.h"
#include "core/CycleFlags.h"
#include "core/MuteSwitch.h"
#include "core/TargetRegistry.h"
#include "core/TriggerZones.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeSoundOutput.h"
#include "fakes/FakeTrayIcon.h"
#include "fakes/FakeWindowServices.h"
#include "picker/PickerFakes.h"
#include "text/AnsiText.h"
#include "ui/AddTargetDialog.h"
#include "ui/MainWindow.h"
#include "ui/QtApp.h"

namespace {

using ui::MainWindow;

class MainFormTest : public testing::Test {
protected:
    MainFormTest() { cycleDriver.start(); }

    QRect screenRect() const { return QGuiApplication::primaryScreen()->geometry(); }

    void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    QApplication& app = uitest::app();  // before any widget
    fakes::FakeWindowServices windows;
    pickertest::ScreenWithFrames screen{windows};
    fakes::FakePrompter prompter;
    core::CycleFlags flags;
    core::TargetRegistry registry{screen, prompter, flags};
    fakes::FakeTrayIcon icon;
    fakes::FakeSoundOutput sound;
    core::MuteSwitch mute{sound};
    core::ControlValues values;
    MainWindow form{{values, screen, registry, mute}};
    int ticks = 0;
    app::CycleDriver cycleDriver{screen, [this] { ++ticks; }};
    app::TargetPicking picking{{screen, registry, prompter, icon, form, cycleDriver}};
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
    click(form.zoneToggle(c.index));
    EXPECT_EQ(values.zoneMask, c.bit);
    EXPECT_EQ(values.zoneToggles[static_cast<std::size_t>(c.index)], 1);
    for (int i = 0; i < core::kCornerCount; ++i)
        EXPECT_EQ(form.cornerIndicator(i)->isVisible(), i == c.corner) << i;
    if (c.corner >= 0) {
        const QRect corner = form.cornerIndicator(c.corner)->geometry();
        EXPECT_EQ(corner, core::cornerRect(c.corner, screenRect(), 1));
    }

    click(form.zoneToggle(c.index));
    EXPECT_EQ(values.zoneMask, 0u);
    EXPECT_EQ(values.zoneToggles[static_cast<std::size_t>(c.index)], 0);
    for (int i = 0; i < core::kCornerCount; ++i)
        EXPECT_FALSE(form.cornerIndicator(i)->isVisible()) << i;
}

INSTANTIATE_TEST_SUITE_P(AllZones, ZoneToggleTest,
                         testing::Values(ZoneCase{0, 1, 0}, ZoneCase{1, 2, 1}, ZoneCase{2, 8, 2},
                                         ZoneCase{3, 4, 3}, ZoneCase{4, 16, -1}, ZoneCase{5, 32, -1},
                                         ZoneCase{6, 64, -1}, ZoneCase{7, 128, -1}));

TEST_F(MainFormTest, ZoneMaskFollowsEveryToggleTogether) {
    form.zoneToggle(0)->setValue(1);
    form.zoneToggle(2)->setValue(1);
    form.zoneToggle(7)->setValue(1);
    EXPECT_EQ(values.zoneMask, 1u | 8u | 128u);
    form.zoneToggle(2)->setValue(1);  // no change: no click
    EXPECT_EQ(values.zoneMask, 1u | 8u | 128u);
    form.zoneToggle(0)->setValue(0);
    EXPECT_EQ(values.zoneMask, 8u | 128u);
}

TEST_F(MainFormTest, IndicatorsShowOnlyWhileTheWindowIsShown) {
    for (int i = 0; i < core::kCornerCount; ++i)
        form.zoneToggle(i)->setValue(1);
    EXPECT_EQ(values.zoneMask, 15u);
    for (int i = 0; i < core::kCornerCount; ++i)
        EXPECT_FALSE(form.cornerIndicator(i)->isVisible()) << i;

    form.zoneToggle(1)->setValue(0);
    form.zoneToggle(3)->setValue(0);
    form.show();
    form.showTickedIndicators();
    const std::array<bool, 4> expected{true, false, true, false};
    for (int i = 0; i < core::kCornerCount; ++i) {
        EXPECT_EQ(form.cornerIndicator(i)->isVisible(), expected[static_cast<std::size_t>(i)]) << i;
    }

    form.onHideClicked();
    EXPECT_FALSE(form.isVisible());
    for (int i = 0; i < core::kCornerCount; ++i)
        EXPECT_FALSE(form.cornerIndicator(i)->isVisible()) << i;
    EXPECT_EQ(form.zoneToggle(0)->value(), 1) << "hiding keeps the toggles";
}

TEST_F(MainFormTest, IndicatorsAreRedSquaresThatTakeNoInput) {
    form.show();
    form.zoneToggle(0)->setValue(1);
    ui::CornerIndicator* corner = form.cornerIndicator(0);
    const Qt::WindowFlags cornerFlags = corner->windowFlags();
    EXPECT_TRUE(cornerFlags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(cornerFlags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(cornerFlags.testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(cornerFlags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ(corner->focusPolicy(), Qt::NoFocus);
    form.thicknessBox()->setValue(7);
    const QImage image = corner->grab().toImage();
    ASSERT_EQ(image.size(), QSize(7, 7));
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(image.pixelColor(x, y), QColor(Qt::red)) << x << "," << y;
    }
}

TEST_F(MainFormTest, ThicknessSizesAndPlacesAllFourIndicators) {
    EXPECT_EQ(values.zoneThickness, 1) << "the spinner's first value counts from the start";
    form.show();
    form.zoneToggle(0)->setValue(1);
    for (const int t : {5, 1, 20, 13}) {
        form.thicknessBox()->setValue(t);
        EXPECT_EQ(values.zoneThickness, t);
        for (int i = 0; i < core::kCornerCount; ++i) {
            const QRect rect = form.cornerIndicator(i)->geometry();
            EXPECT_EQ(rect.size(), QSize(t, t)) << i;
            EXPECT_EQ(rect, core::cornerRect(i, screenRect(), t)) << i;
        }
    }
    EXPECT_TRUE(form.cornerIndicator(0)->isVisible());
    EXPECT_FALSE(form.cornerIndicator(1)->isVisible()) << "sizing does not show an indicator";
}

TEST(CornerRect, IsFlushWithEachCorner) {
    const QRect screen(0, 0, 1024, 768);
    EXPECT_EQ(core::cornerRect(0, screen, 5), QRect(0, 0, 5, 5));
    EXPECT_EQ(core::cornerRect(1, screen, 5), QRect(1019, 0, 5, 5));
    EXPECT_EQ(core::cornerRect(2, screen, 5), QRect(1019, 763, 5, 5));
    EXPECT_EQ(core::cornerRect(3, screen, 5), QRect(0, 763, 5, 5));
    // A primary monitor right of another one.
    const QRect right(1280, 0, 1920, 1080);
    EXPECT_EQ(core::cornerRect(2, right, 20), QRect(3180, 1060, 20, 20));
}

TEST_F(MainFormTest, SpinnerHoldsTheStoredDefaultAndKeepsToItsRange) {
    QSpinBox* spinner = form.thicknessBox();
    EXPECT_EQ(spinner->minimum(), 1);
    EXPECT_EQ(spinner->maximum(), 20);
    EXPECT_EQ(spinner->toolTip(), QStringLiteral("感度を上げろー"));
    spinner->setValue(5);
    QTest::keyClick(spinner, Qt::Key_Up);
    EXPECT_EQ(values.zoneThickness, 6);
    spinner->setValue(40);
    EXPECT_EQ(values.zoneThickness, 20);
    spinner->setValue(-3);
    EXPECT_EQ(values.zoneThickness, 1);
}

// --- check boxes --------------------------------------------------------------------------------

TEST_F(MainFormTest, ShiftAndScrollLockModesFollowTheirBoxes) {
    struct Case {
        int value;
        bool mode;
    };
    for (const Case c : {Case{1, true}, Case{0, false}, Case{2, true}, Case{0, false}}) {
        form.shiftBox()->setValue(c.value);
        form.scrollLockBox()->setValue(c.value);
        EXPECT_EQ(values.shiftMode, c.mode) << c.value;
        EXPECT_EQ(values.scrollLockMode, c.mode) << c.value;
    }
}

TEST_F(MainFormTest, EveryCheckBoxValueReachesTheControlValues) {
    const std::vector<std::pair<ui::ValueCheckBox*, int*>> boxes{
        {form.shiftBox(), &values.shiftBox},
        {form.scrollLockBox(), &values.scrollLockBox},
        {form.holdMouseBox(), &values.holdMouseBox},
        {form.holdKeyBox(), &values.holdKeyBox},
        {form.discoverBox(), &values.discoverBox},
        {form.muteBox(), &values.muteBox},
        {form.muteRestoreBox(), &values.muteRestoreBox},
        {form.lockBox(), &values.lockBox},
        {form.showAtStartBox(), &values.showAtStartBox},
    };
    for (const auto& [box, value] : boxes) {
        for (const int v : {1, 2, 0, -1}) {
            box->setValue(v);
            EXPECT_EQ(*value, v == -1 ? 1 : v) << box->objectName().toStdString() << " " << v;
        }
        box->setValue(2);
        box->setEnabled(true);
        form.show();
        click(box);
        EXPECT_EQ(*value, 1) << "a click on a greyed box ticks it";
        click(box);
        EXPECT_EQ(*value, 0);
    }
}

TEST_F(MainFormTest, MuteDecidesWhetherAutomaticRestoreCanBeChosen) {
    EXPECT_FALSE(form.muteRestoreBox()->isEnabled());
    EXPECT_FALSE(values.muteRestoreEnabled);
    form.muteBox()->setValue(1);
    EXPECT_TRUE(form.muteRestoreBox()->isEnabled());
    EXPECT_TRUE(values.muteRestoreEnabled);
    form.muteRestoreBox()->setValue(1);
    form.muteBox()->setValue(0);
    EXPECT_FALSE(values.muteRestoreEnabled);
    EXPECT_EQ(values.muteRestoreBox, 1) << "disabling keeps the value";
    form.muteBox()->setValue(2);
    EXPECT_FALSE(values.muteRestoreEnabled) << "only a ticked box enables it";
}

TEST_F(MainFormTest, LockBoxEnabledStateReachesTheControlValues) {
    EXPECT_FALSE(form.lockBox()->isEnabled());
    form.lockBox()->setEnabled(true);
    EXPECT_TRUE(values.lockEnabled);
    form.lockBox()->setEnabled(false);
    EXPECT_FALSE(values.lockEnabled);
}

TEST_F(MainFormTest, ReverseMuteTogglesTheSpeakersMute) {
    form.show();
    auto* button = form.findChild<QPushButton*>(QStringLiteral("cmdReverseMute"));
    ASSERT_NE(button, nullptr);
    click(button);
    EXPECT_TRUE(sound.isMuted);
    click(button);
    EXPECT_FALSE(sound.isMuted);

    sound.scenario = fakes::FakeSoundOutput::Scenario::kRefusedRead;
    sound.isMuted = true;
    click(button);
    EXPECT_EQ(sound.calls.back(), "setMuted 1");
    EXPECT_EQ(sound.count("setMuted 1"), 2) << "an unreadable state counts as not muted";
}

// --- window, lists, commands --------------------------------------------------------------------

TEST_F(MainFormTest, ListToggleWidensTheWindowToShowTheLists) {
    form.show();
    EXPECT_EQ(form.size(), QSize(248, 410));
    EXPECT_FALSE(form.targetList()->isVisible());
    EXPECT_GE(form.targetList()->x(), 248);
    click(form.listToggle());
    EXPECT_EQ(form.width(), 450);
    EXPECT_TRUE(form.targetList()->isVisible());
    EXPECT_TRUE(form.classList()->isVisible());
    EXPECT_TRUE(form.listToggle()->isChecked()) << "the toggle looks pressed";
    click(form.listToggle());
    EXPECT_EQ(form.width(), 248);
    EXPECT_FALSE(form.classList()->isVisible());
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

    form.zoneToggle(0)->setValue(1);
    ASSERT_TRUE(form.cornerIndicator(0)->isVisible());
    form.setWindowState(Qt::WindowMaximized);
    EXPECT_EQ(form.windowState(), Qt::WindowNoState);
    form.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, 5000)) << "minimising hides it";
    EXPECT_EQ(form.windowState(), Qt::WindowNoState);
    EXPECT_FALSE(form.cornerIndicator(0)->isVisible());
    form.show();
    EXPECT_TRUE(form.isVisible()) << "showing brings it back";
    EXPECT_TRUE(QTest::qWaitFor([&] { return screen.skipTaskbar.size() == 2; }, 5000)) << "asked again";
}

TEST_F(MainFormTest, ListsUseTheMonospaceFontTheirTipAndTheRegistryWidth) {
    for (ui::ExtentListView* list : {form.targetList(), form.classList()}) {
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
    EXPECT_EQ(form.targetList()->model(), &registry.targetList());
    EXPECT_EQ(form.classList()->model(), &registry.classList());

    const QString title = QStringLiteral("あいうえお");
    const core::WindowHandle h = windows.open(QStringLiteral("XTerm"), title, {}, 0x1A2B);
    registry.addTargetEntry(title + QStringLiteral("(1A2B)"));
    registry.refreshTargetList();
    // 16 CP932 bytes of 10 × 9 twips each, 15 twips to a pixel, plus 5.
    EXPECT_EQ(form.targetList()->horizontalExtent(), 101);
    (void)h;

    // An entry wider than the list: the list scrolls sideways exactly over the extra width.
    const QString wide = QString(40, QChar(0x3042));
    const core::WindowHandle w = windows.open(QStringLiteral("XTerm"), wide, {}, 0x2000);
    registry.addTargetEntry(wide + QStringLiteral("(2000)"));
    registry.refreshTargetList();
    const int extent = 10 * (80 + 6) * 9 / 15 + 5;
    EXPECT_EQ(form.targetList()->horizontalExtent(), extent);
    form.listToggle()->setValue(1);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QScrollBar* bar = form.targetList()->horizontalScrollBar();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->isVisible(); }, 5000));
    EXPECT_EQ(bar->maximum(), extent - form.targetList()->viewport()->width());

    // A width set while the window is hidden is applied when it shows again.
    form.hide();
    const QString wider = QString(60, QChar(0x3042));
    const core::WindowHandle w2 = windows.open(QStringLiteral("XTerm"), wider, {}, 0x3000);
    registry.addTargetEntry(wider + QStringLiteral("(3000)"));
    registry.refreshTargetList();
    const int widerExtent = 10 * (120 + 6) * 9 / 15 + 5;
    EXPECT_EQ(form.targetList()->horizontalExtent(), widerExtent);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(bar->maximum(), widerExtent - form.targetList()->viewport()->width());
    (void)w;
    (void)w2;
}

TEST_F(MainFormTest, DoubleClickOnAnEntryRemovesItAfterTheQuestion) {
    for (int i = 0; i < 2; ++i) {
        const core::WindowHandle h = windows.open(QStringLiteral("XTerm"), QStringLiteral("t%1").arg(i));
        registry.addTargetEntry(QStringLiteral("t%1(%2)").arg(i).arg(core::handleToHex(h)));
    }
    registry.refreshTargetList();
    form.listToggle()->setValue(1);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    prompter.answers = {core::Answer::Yes};
    ui::ExtentListView* list = form.targetList();
    const QRect item = list->visualRect(registry.targetList().index(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, item.center());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("リストから外しますよ？"));
    EXPECT_EQ(registry.targetList().rowCount(), 1);
    EXPECT_TRUE(registry.targetList().stringList().first().startsWith(QStringLiteral("t0(")));
}

TEST_F(MainFormTest, CommandButtonsRaiseTheirSignals) {
    std::vector<std::string> called;
    const std::array connections{
        QObject::connect(&form, &MainWindow::passwordClicked, [&] { called.push_back("pass"); }),
        QObject::connect(&form, &MainWindow::aboutClicked, [&] { called.push_back("about"); }),
        QObject::connect(&form, &MainWindow::exitClicked, [&] { called.push_back("exit"); }),
        QObject::connect(&form, &MainWindow::loadPictureClicked,
                         [&](int i) { called.push_back("load " + std::to_string(i)); }),
    };
    form.show();
    for (const char* name : {"cmdPass", "cmdAbout", "cmdLoad(1)", "cmdLoad(0)", "cmdExit"}) {
        auto* button = form.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        click(button);
    }
    EXPECT_EQ(called, (std::vector<std::string>{"pass", "about", "load 1", "load 0", "exit"}));

    for (const QMetaObject::Connection& connection : connections)
        QObject::disconnect(connection);
    for (const char* name : {"cmdPass", "cmdAbout", "cmdLoad(0)", "cmdExit"}) {
        click(form.findChild<QPushButton*>(QString::fromLatin1(name)));  // nothing connected: nothing happens
    }
    EXPECT_EQ(called.size(), 5u);
    click(form.findChild<QPushButton*>(QStringLiteral("cmdHide")));
    EXPECT_FALSE(form.isVisible());
}

TEST_F(MainFormTest, ActiveTimerRunsTheCycleTick) {
    EXPECT_TRUE(cycleDriver.running());
    EXPECT_EQ(cycleDriver.timer().objectName(), QStringLiteral("tmrActive"));
    EXPECT_EQ(cycleDriver.timer().interval(), 300);
    EXPECT_FALSE(picking.trackingTimer().isActive());
    EXPECT_EQ(picking.trackingTimer().objectName(), QStringLiteral("tmrTarget"));
    EXPECT_EQ(picking.trackingTimer().interval(), 100);
    ticks = 0;
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 2; }, 5000));
}

// --- the picker on the form ---------------------------------------------------------------------

TEST_F(MainFormTest, DragOnTheReticlePicksAWindow) {
    const core::WindowHandle target = windows.open(QStringLiteral("XTerm"), QStringLiteral("端末"));
    screen.cover(target, QRect(0, 0, 300, 300));
    screen.pointAt(QPoint(10, 10));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    QTest::mousePress(form.pickerBox(), Qt::LeftButton);
    EXPECT_TRUE(picking.trackingTimer().isActive());
    EXPECT_FALSE(cycleDriver.running());
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr) << "the reticle is the pointer";
    EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(15, 16));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.handleText()->text().isEmpty(); }, 5000));
    EXPECT_EQ(form.handleText()->text(), core::handleToHex(target));
    EXPECT_EQ(form.titleText()->text(), QStringLiteral("端末"));
    EXPECT_EQ(screen.framed(), std::vector<core::WindowHandle>{target});

    bool asked = false;
    QTimer::singleShot(0, &form, [&] {
        asked = picking.addTargetDialog().isVisible();
        EXPECT_EQ(picking.addTargetDialog().parentWidget(), &form);
        EXPECT_TRUE(cycleDriver.running()) << "the cycle runs again while the question is open";
        QTest::mouseClick(picking.addTargetDialog().wholeClassButton(), Qt::LeftButton);
    });
    QTest::mouseRelease(form.pickerBox(), Qt::LeftButton);
    EXPECT_TRUE(asked);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(picking.trackingTimer().isActive());
    EXPECT_TRUE(screen.framed().empty());
    EXPECT_EQ(registry.targetList().stringList(),
              QStringList{QStringLiteral("端末(") + core::handleToHex(target) + QLatin1Char(')')});
    EXPECT_TRUE(registry.classNames().contains(QStringLiteral("XTerm")));
    EXPECT_EQ(icon.calls.size(), 1u);
}

TEST_F(MainFormTest, ReticleCursorHasItsHotSpotNearTheCentre) {
    const QCursor cursor = MainWindow::reticleCursor();
    EXPECT_EQ(cursor.hotSpot(), QPoint(15, 16));
    EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
    EXPECT_EQ(form.pickerBox()->toolTip(), QStringLiteral("こいつを標的にD&Dだ。"));
}

}  // namespace
