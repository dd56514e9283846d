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

#include "audio/mMixer.h"
#include "core/ControlValues.h"
#include "core/CycleFlags.h"
#include "core/TargetRegistry.h"
#include "fakes/FakeMixerDevice.h"
#include "fakes/FakeNotifyIcon.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeWindowServices.h"
#include "picker/forms/frmAddConfirm.h"
#include "ui/QtApp.h"
#include "ui/TriggerZones.h"
#include "ui/frmMain.h"

namespace {

QString OutputDir() {
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
            const core::WindowHandle h = windows.Open(QStringLiteral("XTerm"), title);
            registry.AddTargetEntry(title + QLatin1Char('(') + core::HandleToHex(h) + QLatin1Char(')'));
        }
        registry.SetClassList({QStringLiteral("IEFrame"), QStringLiteral("XTerm")});
        registry.RefreshTargetList();
    }

    static double Ratio() { return QGuiApplication::primaryScreen()->devicePixelRatio(); }

    static QString Shot(const QString& name) {
        return OutputDir() + QStringLiteral("/%1@%2x.png").arg(name).arg(std::lround(Ratio()));
    }

    QApplication& app = uitest::App();  // before any widget
    fakes::FakeWindowServices windows;
    fakes::FakePrompter prompter;
    core::CycleFlags flags;
    core::TargetRegistry registry{windows, prompter, flags};
    fakes::FakeNotifyIcon icon;
    core::TrayIconData trayIconData;
    fakes::FakeMixerDevice device;
    audio::mMixer mixer{device};
    core::ControlValues values;
    ui::frmMain form{{values, windows, registry, prompter, icon, trayIconData, mixer}};
};

TEST_F(MainFormLook, MainWindowCollapsedAndExpanded) {
    form.chkMouse(0)->SetValue(1);
    form.chkMouse(5)->SetValue(1);
    form.udPixel()->setValue(5);
    for (ui::ValueCheckBox* box :
         {form.chkShift(), form.chkScrollLock(), form.chkTrigMouse(), form.chkTrigKey(), form.chkIE(),
          form.chkMute(), form.chkMuteAuto(), form.chkRunup()}) {
        box->SetValue(1);
    }
    form.SetIconPicture(0, QIcon(QStringLiteral(":/cursor/reticle.xpm")));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QImage collapsed = form.grab().toImage();
    ASSERT_TRUE(collapsed.save(Shot(QStringLiteral("main-collapsed"))));
    EXPECT_EQ(collapsed.width(), std::lround(248 * Ratio()));

    QTest::mouseClick(form.chkList(), Qt::LeftButton);
    // One entry is wider than the list: wait for its scroll bar before the picture.
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.lstTarget()->horizontalScrollBar()->isVisible(); }, 5000))
        << form.lstTarget()->HorizontalExtent() << " " << form.lstTarget()->viewport()->width() << " "
        << form.lstTarget()->horizontalScrollBar()->maximum() << " " << registry.lstTarget().rowCount();
    const QImage expanded = form.grab().toImage();
    ASSERT_TRUE(expanded.save(Shot(QStringLiteral("main-expanded"))));
    EXPECT_EQ(expanded.width(), std::lround(450 * Ratio()));
    EXPECT_EQ(form.frameGeometry().width() - form.width(), form.frameGeometry().width() - 450)
        << "the window manager keeps the client size";
}

TEST_F(MainFormLook, AddConfirmation) {
    picker::frmAddConfirm& dialog = form.AddConfirm();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    bool shot = false;
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        shot = dialog.grab().toImage().save(Shot(QStringLiteral("add-confirm")));
        QTest::mouseClick(dialog.cmdClass(), Qt::LeftButton);
    });
    EXPECT_FALSE(dialog.Confirm(QStringLiteral("XTerm")));
    EXPECT_TRUE(shot);
}

// Counts how far the red square reaches from the corner along the screen's edge, in screen pixels.
int RedRun(const QImage& screen, QPoint corner, QPoint step) {
    int run = 0;
    for (QPoint p = corner; screen.rect().contains(p) && screen.pixelColor(p) == QColor(Qt::red); p += step)
        ++run;
    return run;
}

TEST_F(MainFormLook, CornerIndicatorsSitInTheScreenCornersAboveOtherWindows) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (int i = 0; i < ui::kCornerCount; ++i)
        form.chkMouse(i)->SetValue(1);
    for (const int thickness : {5, 12}) {
        form.udPixel()->setValue(thickness);
        QScreen* screen = QGuiApplication::primaryScreen();
        // In screen pixels the square is the thickness, rounded up to whole device-independent pixels.
        const int expected = static_cast<int>(std::ceil(thickness / Ratio()) * Ratio());
        struct Corner {
            QPoint at;
            QPoint inward;
        };
        QImage shot;
        const auto allRed = [&] {
            shot = screen->grabWindow(0).toImage();
            const int w = shot.width() - 1;
            const int h = shot.height() - 1;
            for (const Corner& c : {Corner{{0, 0}, {1, 1}}, Corner{{w, 0}, {-1, 1}}, Corner{{w, h}, {-1, -1}},
                                    Corner{{0, h}, {1, -1}}}) {
                if (RedRun(shot, c.at, {c.inward.x(), 0}) != expected) return false;
                if (RedRun(shot, c.at, {0, c.inward.y()}) != expected) return false;
                if (RedRun(shot, c.at, c.inward) != expected) return false;
            }
            return true;
        };
        EXPECT_TRUE(QTest::qWaitFor(allRed, 5000)) << "thickness " << thickness;
        shot.save(Shot(QStringLiteral("screen-corners-%1px").arg(thickness)));
    }
    form.cmdHide_Click();
    for (int i = 0; i < ui::kCornerCount; ++i)
        EXPECT_FALSE(form.CornerForms(i)->isVisible());
}

}  // namespace
