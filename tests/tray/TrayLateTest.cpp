// The notification icon on a desktop that has no tray when the program starts: the program keeps
// running and the icon docks as soon as a tray appears, and again after the tray restarts.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "TrayDesktop.h"
#include "ui/tray/PictureStore.h"
#include "ui/tray/QtNotifyIcon.h"

namespace {

using traytest::DockedInTrayer;
using traytest::OutputDir;
using traytest::ShareNear;
using traytest::Shot;
using ui::PictureStore;

constexpr int kDockTimeoutMs = 10000;

// A trayer of the test's own, started and killed by it, with the desktop script's options.
class Trayer {
public:
    explicit Trayer(const QString& home) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home);
        process_.setProcessEnvironment(environment);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(
            QStringLiteral("trayer"),
            {"--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24", "--SetDockType",
             "true", "--SetPartialStrut", "true", "--transparent", "false", "--expand", "true"});
    }
    ~Trayer() { Kill(); }
    Trayer(const Trayer&) = delete;
    Trayer& operator=(const Trayer&) = delete;

    bool Started() { return process_.waitForStarted(); }
    void Kill() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.kill();
        process_.waitForFinished();
    }

private:
    QProcess process_;
};

core::TrayIconData Record(core::IconHandle picture) {
    core::TrayIconData data;
    data.hIcon = picture;
    return data;
}

TEST(TrayLateTest, TheIconDocksWhenATrayAppearsAndAgainAfterItRestarts) {
    traytest::XTree tree;
    ASSERT_TRUE(tree.Usable());
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable())
        << "this desktop was meant to start without a tray";
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());

    PictureStore store;
    ui::QtNotifyIcon icon(store);
    icon.Add(Record(PictureStore::kStandbyPicture));
    icon.Modify(Record(PictureStore::kConcealmentPicture));  // works without a tray as well
    icon.Modify(Record(PictureStore::kStandbyPicture));
    QCoreApplication::processEvents();
    EXPECT_TRUE(icon.trayIcon().isVisible());
    EXPECT_FALSE(DockedInTrayer(tree));

    {
        Trayer trayer(home.path());
        ASSERT_TRUE(trayer.Started());
        ASSERT_TRUE(QTest::qWaitFor([&] { return DockedInTrayer(tree); }, kDockTimeoutMs))
            << "the icon did not dock in the tray that came later";
        ASSERT_TRUE(QTest::qWaitFor([&] { return traytest::Placed(tree, icon.trayIcon()); }));
        const QRect area = icon.trayIcon().geometry();
        ASSERT_TRUE(QTest::qWaitFor([&] { return ShareNear(Shot(area), traytest::kStandbyColour) > 0.3; }));
        Shot(area).save(OutputDir() + "/late-standby.png");

        // While the tray is gone, the state changes; the icon comes back with the picture of now.
        trayer.Kill();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !DockedInTrayer(tree); }));
        icon.Modify(Record(PictureStore::kConcealmentPicture));
    }
    Trayer again(home.path());
    ASSERT_TRUE(again.Started());
    ASSERT_TRUE(QTest::qWaitFor([&] { return DockedInTrayer(tree); }, kDockTimeoutMs))
        << "the icon did not come back to the restarted tray";
    ASSERT_TRUE(QTest::qWaitFor([&] { return traytest::Placed(tree, icon.trayIcon()); }));
    const QRect area = icon.trayIcon().geometry();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShareNear(Shot(area), traytest::kConcealmentColour) > 0.3; }));
    Shot(area).save(OutputDir() + "/redocked-concealment.png");
}

}  // namespace
