// The notification icon in trayer on the headless desktop: it docks, shows the picture it was
// given, and the pointer's clicks on it reach the handler as tray events in order.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QStyleHints>
#include <QTest>
#include <algorithm>
#include <memory>
#include <vector>

#include "TrayEventNames.h"
#include "TrayIconPlace.h"
#include "platform/qt/PictureStore.h"
#include "platform/qt/QtTrayIcon.h"
#include "support/desktop/Tools.h"

namespace {

using qtplatform::PictureStore;
using traytest::dockedInTrayer;
using traytest::iconWindow;
using traytest::Observer;
using traytest::shot;

constexpr int kDockTimeoutMs = 10000;

// One icon for all tests of a suite, as the program has one for its whole run: a tray re-arranges
// itself for a while after each icon comes or goes.
class TrayDesktopTest : public testing::Test {
protected:
    struct Shared {
        Observer observer;
        PictureStore store;
        qtplatform::QtTrayIcon icon{store};
    };

    static void SetUpTestSuite() { shared_ = std::make_unique<Shared>(); }
    static void TearDownTestSuite() { shared_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(observer.connected());
        icon.onEvent = [this](core::TrayEvent event) { events.push_back(event); };
        icon.show(PictureStore::kStandbyPicture);
        ASSERT_TRUE(QTest::qWaitFor([this] { return dockedInTrayer(observer); }, kDockTimeoutMs))
            << "the icon did not dock in trayer";
        ASSERT_TRUE(QTest::qWaitFor([this] { return traytest::placed(observer, icon.trayIcon()); }))
            << "the icon did not settle in the tray";
    }
    void TearDown() override {
        icon.onEvent = nullptr;
        icon.setPicture(PictureStore::kStandbyPicture);
    }

    QRect iconArea() const { return icon.trayIcon().geometry(); }

    static inline std::unique_ptr<Shared> shared_;
    Observer& observer = shared_->observer;
    PictureStore& store = shared_->store;
    qtplatform::QtTrayIcon& icon = shared_->icon;
    std::vector<core::TrayEvent> events;
};

TEST_F(TrayDesktopTest, TheIconDocksWithTheStandbyPicture) {
    const QRect area = iconArea();
    EXPECT_GE(area.width(), 16);
    EXPECT_GE(area.height(), 16);
    EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().contains(area));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return observer.grab(area).shareNear(desktoptest::kStandbyColour) > 0.3;
    })) << "the standby picture is not on the screen";
    shot(area).save(traytest::picturePath(QStringLiteral("docked-standby")));
}

TEST_F(TrayDesktopTest, ThePictureFollowsSetPicture) {
    const QRect area = iconArea();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return observer.grab(area).shareNear(desktoptest::kStandbyColour) > 0.3; }));
    const QImage standby = shot(area);
    standby.save(traytest::picturePath(QStringLiteral("standby")));

    icon.setPicture(PictureStore::kConcealmentPicture);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shot(area) != standby; })) << "the picture did not switch";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return observer.grab(area).shareNear(desktoptest::kConcealmentColour) > 0.3; }));
    const QImage concealment = shot(area);
    concealment.save(traytest::picturePath(QStringLiteral("concealment")));
    EXPECT_LT(observer.grab(area).shareNear(desktoptest::kStandbyColour), 0.05);

    // The same picture set again: nothing changes on the screen.
    icon.setPicture(PictureStore::kConcealmentPicture);
    QCoreApplication::processEvents();
    EXPECT_EQ(shot(area), concealment);

    const core::IconHandle decoy = store.loadFile(QStringLiteral(ZEL_TRAY_TEST_DATA "/decoy.ico"));
    ASSERT_NE(decoy, 0u);
    icon.setPicture(decoy);
    ASSERT_TRUE(QTest::qWaitFor([&] { return observer.grab(area).shareNear(0xe0b020) > 0.3; }))
        << "the decoy picture is not on the screen";
    shot(area).save(traytest::picturePath(QStringLiteral("decoy")));

    icon.setPicture(PictureStore::kStandbyPicture);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shot(area) == standby; }))
        << "the standby picture did not come back";
}

TEST_F(TrayDesktopTest, HideTakesTheIconOutOfTheTrayAndShowBringsItBack) {
    const xcb_window_t window = iconWindow();
    icon.hide();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dockedInTrayer(observer) && !observer.exists(window); }))
        << "the icon stayed in the tray";
    icon.show(PictureStore::kConcealmentPicture);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dockedInTrayer(observer); }, kDockTimeoutMs));
}

// Each case clicks on the icon's centre and then clicks the middle button away from the centre
// as a marker: its events (middle press, middle release) come after everything the case's clicks caused, so
// the test waits for them instead of for a time. The marker's distance from the centre also keeps Qt from
// taking the next case's first press for the second half of a double click.
struct ClickCase {
    const char* name;
    QStringList clicks;
    std::vector<core::TrayEvent> events;
};

using enum core::TrayEvent;

const ClickCase kClicks[] = {
    {"left", {"click", "1"}, {LeftPress, LeftRelease}},
    {"right", {"click", "3"}, {RightPress, RightRelease}},
    {"double",
     {"click", "--repeat", "2", "--delay", "40", "1"},
     {LeftPress, LeftRelease, LeftDoubleClick, LeftRelease}},
    {"middle", {"click", "2"}, {MiddlePress, MiddleRelease}},
    {"left_then_right", {"click", "1", "click", "3"}, {LeftPress, LeftRelease, RightPress, RightRelease}},
    // Qt turns the second press into a double click, which it reports only for the left button.
    {"double_right", {"click", "--repeat", "2", "--delay", "40", "3"}, {RightPress, RightRelease}},
};

class TrayClickTest : public TrayDesktopTest, public testing::WithParamInterface<ClickCase> {};

TEST_P(TrayClickTest, ClicksReachTheHandlerAsEventsInOrder) {
    const QRect area = iconArea();
    const int offset = std::min(area.width(), area.height()) / 3;
    ASSERT_GT(offset, QGuiApplication::styleHints()->mouseDoubleClickDistance());
    const QPoint centre = area.center();
    const QPoint marker = centre - QPoint(offset, offset);

    QStringList arguments{"mousemove", QString::number(centre.x()), QString::number(centre.y())};
    arguments += GetParam().clicks;
    arguments += {"mousemove", QString::number(marker.x()), QString::number(marker.y()), "click", "2"};
    int status = -1;
    desktoptest::runTool(QStringLiteral("xdotool"), arguments, &status);
    ASSERT_EQ(status, 0);

    std::vector<core::TrayEvent> expected = GetParam().events;
    expected.insert(expected.end(), {MiddlePress, MiddleRelease});
    const auto markers = std::count(expected.begin(), expected.end(), MiddleRelease);
    const bool markerCame =
        QTest::qWaitFor([&] { return std::count(events.begin(), events.end(), MiddleRelease) >= markers; });
    EXPECT_TRUE(markerCame) << "the marker click did not arrive";
    EXPECT_EQ(events, expected);
}

INSTANTIATE_TEST_SUITE_P(Clicks, TrayClickTest, testing::ValuesIn(kClicks),
                         [](const testing::TestParamInfo<ClickCase>& p) { return p.param.name; });

}  // namespace
