// The main window, its corner indicators and the add confirmation on a real X server (Xvfb and
// openbox). Screenshots go to $ZEL_TEST_OUTPUT/ui for a person to look at; the indicators are
// checked on the screen's own pixels. Run once at scale 1 and once with QT_SCALE_FACTOR=2.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <cmath>

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
#include "ui/AddTargetDialog.h"
#include "ui/MainWindow.h"
#include "ui/QtApp.h"

namespace {

QString outputDir() {
    const QString root = qEnvironmentVariable("ZEL_TEST_OUTPUT", QDir::tempPath());
    QDir dir(root + QStringLiteral("/ui"));
    dir.mkpath(QStringLiteral("."));
    return dir.path();
}

class MainFormLook : public testing::Test {
protected:
    MainFormLook() {
        // Some entries for the lists, one of them wider than the list.
        const QStringList titles{QStringLiteral("端末"), QStringLiteral("メモ帳 - 報告書 (下書き).txt"),
                                 QStringLiteral("xclock")};
        for (const QString& title : titles) {
            const core::WindowHandle h = windows.open(QStringLiteral("XTerm"), title);
            registry.addTargetEntry(title + QLatin1Char('(') + core::handleToHex(h) + QLatin1Char(')'));
        }
        registry.setClassList({QStringLiteral("IEFrame"), QStringLiteral("XTerm")});
        registry.refreshTargetList();
    }

    static double ratio() { return QGuiApplication::primaryScreen()->devicePixelRatio(); }

    static QString shot(const QString& name) {
        return outputDir() + QStringLiteral("/%1@%2x.png").arg(name).arg(std::lround(ratio()));
    }

    QApplication& app = uitest::app();  // before any widget
    fakes::FakeWindowServices windows;
    fakes::FakePrompter prompter;
    core::CycleFlags flags;
    core::TargetRegistry registry{windows, prompter, flags};
    fakes::FakeTrayIcon icon;
    fakes::FakeSoundOutput sound;
    core::MuteSwitch mute{sound};
    core::ControlValues values;
    ui::MainWindow form{{values, windows, registry, mute}};
    app::CycleDriver cycleDriver{windows, [] {}};
    app::TargetPicking picking{{windows, registry, prompter, icon, form, cycleDriver}};
};

TEST_F(MainFormLook, MainWindowCollapsedAndExpanded) {
    form.zoneToggle(0)->setValue(1);
    form.zoneToggle(5)->setValue(1);
    form.thicknessBox()->setValue(5);
    for (ui::ValueCheckBox* box :
         {form.shiftBox(), form.scrollLockBox(), form.holdMouseBox(), form.holdKeyBox(), form.discoverBox(),
          form.muteBox(), form.muteRestoreBox(), form.showAtStartBox()}) {
        box->setValue(1);
    }
    form.setIconPicture(0, QIcon(QStringLiteral(":/cursor/reticle.xpm")));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QImage collapsed = form.grab().toImage();
    ASSERT_TRUE(collapsed.save(shot(QStringLiteral("main-collapsed"))));
    EXPECT_EQ(collapsed.width(), std::lround(248 * ratio()));

    QTest::mouseClick(form.listToggle(), Qt::LeftButton);
    // One entry is wider than the list: wait for its scroll bar before the picture.
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.targetList()->horizontalScrollBar()->isVisible(); }, 5000))
        << form.targetList()->horizontalExtent() << " " << form.targetList()->viewport()->width() << " "
        << form.targetList()->horizontalScrollBar()->maximum() << " " << registry.targetList().rowCount();
    const QImage expanded = form.grab().toImage();
    ASSERT_TRUE(expanded.save(shot(QStringLiteral("main-expanded"))));
    EXPECT_EQ(expanded.width(), std::lround(450 * ratio()));
    EXPECT_EQ(form.frameGeometry().width() - form.width(), form.frameGeometry().width() - 450)
        << "the window manager keeps the client size";
}

TEST_F(MainFormLook, AddConfirmation) {
    ui::AddTargetDialog& dialog = picking.addTargetDialog();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    bool saved = false;
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        saved = dialog.grab().toImage().save(shot(QStringLiteral("add-confirm")));
        QTest::mouseClick(dialog.wholeClassButton(), Qt::LeftButton);
    });
    EXPECT_FALSE(dialog.confirm(QStringLiteral("XTerm")));
    EXPECT_TRUE(saved);
}

// Counts how far the red square reaches from the corner along the screen's edge, in screen pixels.
int redRun(const QImage& screen, QPoint corner, QPoint step) {
    int run = 0;
    for (QPoint p = corner; screen.rect().contains(p) && screen.pixelColor(p) == QColor(Qt::red); p += step)
        ++run;
    return run;
}

TEST_F(MainFormLook, CornerIndicatorsSitInTheScreenCornersAboveOtherWindows) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (int i = 0; i < core::kCornerCount; ++i)
        form.zoneToggle(i)->setValue(1);
    for (const int thickness : {5, 12}) {
        form.thicknessBox()->setValue(thickness);
        QScreen* screen = QGuiApplication::primaryScreen();
        // In screen pixels the square is the thickness, rounded up to whole device-independent pixels.
        const int expected = static_cast<int>(std::ceil(thickness / ratio()) * ratio());
        struct Corner {
            QPoint at;
            QPoint inward;
        };
        QImage screenShot;
        const auto allRed = [&] {
            screenShot = screen->grabWindow(0).toImage();
            const int w = screenShot.width() - 1;
            const int h = screenShot.height() - 1;
            for (const Corner& c : {Corner{{0, 0}, {1, 1}}, Corner{{w, 0}, {-1, 1}}, Corner{{w, h}, {-1, -1}},
                                    Corner{{0, h}, {1, -1}}}) {
                if (redRun(screenShot, c.at, {c.inward.x(), 0}) != expected) return false;
                if (redRun(screenShot, c.at, {0, c.inward.y()}) != expected) return false;
                if (redRun(screenShot, c.at, c.inward) != expected) return false;
            }
            return true;
        };
        EXPECT_TRUE(QTest::qWaitFor(allRed, 5000)) << "thickness " << thickness;
        screenShot.save(shot(QStringLiteral("screen-corners-%1px").arg(thickness)));
    }
    form.onHideClicked();
    for (int i = 0; i < core::kCornerCount; ++i)
        EXPECT_FALSE(form.cornerIndicator(i)->isVisible());
}

}  // namespace
