// The notification icon on a desktop that has no tray when the program starts: the program keeps
// running and the icon docks as soon as a tray appears, and again after the tray restarts.
#include <gtest/gtest.h>

#include <QTest>
#include <csignal>

#include "TrayIconPlace.h"
#include "platform/qt/PictureStore.h"
#include "platform/qt/QtTrayIcon.h"
#include "support/desktop/Parts.h"

namespace {

using qtplatform::PictureStore;
using traytest::dockedInTrayer;
using traytest::Observer;
using traytest::shot;

constexpr int kDockTimeoutMs = 10000;

TEST(TrayLateTest, TheIconDocksWhenATrayAppearsAndAgainAfterItRestarts) {
    Observer observer;
    ASSERT_TRUE(observer.connected());
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable())
        << "this desktop was meant to start without a tray";

    PictureStore store;
    qtplatform::QtTrayIcon icon(store);
    icon.show(PictureStore::kStandbyPicture);
    icon.setPicture(PictureStore::kConcealmentPicture);  // works without a tray as well
    icon.setPicture(PictureStore::kStandbyPicture);
    QCoreApplication::processEvents();
    EXPECT_TRUE(icon.trayIcon().isVisible());
    EXPECT_FALSE(dockedInTrayer(observer));

    // trayer with the desktop script's options, started and killed by the test.
    desktoptest::TrayHost trayer;
    {
        ASSERT_TRUE(trayer.start());
        ASSERT_TRUE(QTest::qWaitFor([&] { return dockedInTrayer(observer); }, kDockTimeoutMs))
            << "the icon did not dock in the tray that came later";
        ASSERT_TRUE(QTest::qWaitFor([&] { return traytest::placed(observer, icon.trayIcon()); }));
        const QRect area = icon.trayIcon().geometry();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return observer.grab(area).shareNear(desktoptest::kStandbyColour) > 0.3; }));
        shot(area).save(traytest::picturePath(QStringLiteral("late-standby")));

        // While the tray is gone, the state changes; the icon comes back with the picture of now.
        trayer.end(SIGKILL);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dockedInTrayer(observer); }));
        icon.setPicture(PictureStore::kConcealmentPicture);
    }
    ASSERT_TRUE(trayer.start());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dockedInTrayer(observer); }, kDockTimeoutMs))
        << "the icon did not come back to the restarted tray";
    ASSERT_TRUE(QTest::qWaitFor([&] { return traytest::placed(observer, icon.trayIcon()); }));
    const QRect area = icon.trayIcon().geometry();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return observer.grab(area).shareNear(desktoptest::kConcealmentColour) > 0.3; }));
    shot(area).save(traytest::picturePath(QStringLiteral("redocked-concealment")));
}

}  // namespace
