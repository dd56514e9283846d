// The notification icon on a desktop that has no tray when the program starts: the program keeps
// running and the icon docks as soon as a tray appears, and again after the tray restarts.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "TrayDesktop.h"
#include "platform/qt/PictureStore.h"
#include "platform/qt/QtTrayIcon.h"

namespace {

using qtplatform::PictureStore;
using traytest::dockedInTrayer;
using traytest::outputDir;
using traytest::shareNear;
using traytest::shot;

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
    ~Trayer() { kill(); }
    Trayer(const Trayer&) = delete;
    Trayer& operator=(const Trayer&) = delete;

    bool started() { return process_.waitForStarted(); }
    void kill() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.kill();
        process_.waitForFinished();
    }

private:
    QProcess process_;
};

TEST(TrayLateTest, TheIconDocksWhenATrayAppearsAndAgainAfterItRestarts) {
    traytest::XTree tree;
    ASSERT_TRUE(tree.usable());
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable())
        << "this desktop was meant to start without a tray";
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());

    PictureStore store;
    qtplatform::QtTrayIcon icon(store);
    icon.show(PictureStore::kStandbyPicture);
    icon.setPicture(PictureStore::kConcealmentPicture);  // works without a tray as well
    icon.setPicture(PictureStore::kStandbyPicture);
    QCoreApplication::processEvents();
    EXPECT_TRUE(icon.trayIcon().isVisible());
    EXPECT_FALSE(dockedInTrayer(tree));

    {
        Trayer trayer(home.path());
        ASSERT_TRUE(trayer.started());
        ASSERT_TRUE(QTest::qWaitFor([&] { return dockedInTrayer(tree); }, kDockTimeoutMs))
            << "the icon did not dock in the tray that came later";
        ASSERT_TRUE(QTest::qWaitFor([&] { return traytest::placed(tree, icon.trayIcon()); }));
        const QRect area = icon.trayIcon().geometry();
        ASSERT_TRUE(QTest::qWaitFor([&] { return shareNear(shot(area), traytest::kStandbyColour) > 0.3; }));
        shot(area).save(outputDir() + "/late-standby.png");

        // While the tray is gone, the state changes; the icon comes back with the picture of now.
        trayer.kill();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dockedInTrayer(tree); }));
        icon.setPicture(PictureStore::kConcealmentPicture);
    }
    Trayer again(home.path());
    ASSERT_TRUE(again.started());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dockedInTrayer(tree); }, kDockTimeoutMs))
        << "the icon did not come back to the restarted tray";
    ASSERT_TRUE(QTest::qWaitFor([&] { return traytest::placed(tree, icon.trayIcon()); }));
    const QRect area = icon.trayIcon().geometry();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shareNear(shot(area), traytest::kConcealmentColour) > 0.3; }));
    shot(area).save(outputDir() + "/redocked-concealment.png");
}

}  // namespace
