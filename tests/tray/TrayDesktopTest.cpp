// The notification icon in trayer on the headless desktop: it docks, shows the picture of the
// record, and the pointer's clicks on it reach the handler as event numbers in order.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QStyleHints>
#include <QTest>
#include <algorithm>
#include <memory>
#include <vector>

#include "TrayDesktop.h"
#include "ui/tray/PictureStore.h"
#include "ui/tray/QtNotifyIcon.h"

namespace {

using traytest::DockedInTrayer;
using traytest::IconWindow;
using traytest::OutputDir;
using traytest::ShareNear;
using traytest::Shot;
using traytest::Xdotool;
using ui::PictureStore;

constexpr int kDockTimeoutMs = 10000;

// One icon for all tests of a suite, as the program has one for its whole run: a tray re-arranges
// itself for a while after each icon comes or goes.
class TrayDesktopTest : public testing::Test {
protected:
    struct Shared {
        traytest::XTree tree;
        PictureStore store;
        ui::QtNotifyIcon icon{store};
    };

    static void SetUpTestSuite() { shared_ = std::make_unique<Shared>(); }
    static void TearDownTestSuite() { shared_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(tree.Usable());
        icon.onMouseEvent = [this](int eventNumber) { events.push_back(eventNumber); };
        icon.Add(Record(PictureStore::kStandbyPicture));
        ASSERT_TRUE(QTest::qWaitFor([this] { return DockedInTrayer(tree); }, kDockTimeoutMs))
            << "the icon did not dock in trayer";
        ASSERT_TRUE(QTest::qWaitFor([this] { return traytest::Placed(tree, icon.trayIcon()); }))
            << "the icon did not settle in the tray";
    }
    void TearDown() override {
        icon.onMouseEvent = nullptr;
        icon.Modify(Record(PictureStore::kStandbyPicture));
    }

    static core::TrayIconData Record(core::IconHandle picture) {
        core::TrayIconData data;
        data.hIcon = picture;
        return data;
    }
    QRect Area() const { return icon.trayIcon().geometry(); }

    static inline std::unique_ptr<Shared> shared_;
    traytest::XTree& tree = shared_->tree;
    PictureStore& store = shared_->store;
    ui::QtNotifyIcon& icon = shared_->icon;
    std::vector<int> events;
};

TEST_F(TrayDesktopTest, TheIconDocksWithTheStandbyPicture) {
    const QRect area = Area();
    EXPECT_GE(area.width(), 16);
    EXPECT_GE(area.height(), 16);
    EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().contains(area));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShareNear(Shot(area), traytest::kStandbyColour) > 0.3; }))
        << "the standby picture is not on the screen";
    Shot(area).save(OutputDir() + "/docked-standby.png");
}

TEST_F(TrayDesktopTest, ThePictureFollowsTheRecord) {
    const QRect area = Area();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShareNear(Shot(area), traytest::kStandbyColour) > 0.3; }));
    const QImage standby = Shot(area);
    standby.save(OutputDir() + "/standby.png");

    icon.Modify(Record(PictureStore::kConcealmentPicture));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Shot(area) != standby; })) << "the picture did not switch";
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShareNear(Shot(area), traytest::kConcealmentColour) > 0.3; }));
    const QImage concealment = Shot(area);
    concealment.save(OutputDir() + "/concealment.png");
    EXPECT_LT(ShareNear(concealment, traytest::kStandbyColour), 0.05);

    // The record sent again (as after a drag of the picker): nothing changes on the screen.
    icon.Modify(Record(PictureStore::kConcealmentPicture));
    QCoreApplication::processEvents();
    EXPECT_EQ(Shot(area), concealment);

    const core::IconHandle decoy = store.LoadFile(QStringLiteral(ZEL_TRAY_TEST_DATA "/decoy.ico"));
    ASSERT_NE(decoy, 0u);
    icon.Modify(Record(decoy));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShareNear(Shot(area), QColor(0xe0, 0xb0, 0x20)) > 0.3; }))
        << "the decoy picture is not on the screen";
    Shot(area).save(OutputDir() + "/decoy.png");

    icon.Modify(Record(PictureStore::kStandbyPicture));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Shot(area) == standby; }))
        << "the standby picture did not come back";
}

TEST_F(TrayDesktopTest, DeleteTakesTheIconOutOfTheTrayAndAddBringsItBack) {
    const xcb_window_t window = IconWindow();
    icon.Delete(Record(PictureStore::kStandbyPicture));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !DockedInTrayer(tree) && !tree.Exists(window); }))
        << "the icon stayed in the tray";
    icon.Add(Record(PictureStore::kConcealmentPicture));
    EXPECT_TRUE(QTest::qWaitFor([&] { return DockedInTrayer(tree); }, kDockTimeoutMs));
}

// Each case clicks on the icon's centre and then clicks the middle button away from the centre
// as a marker: its events (519 520) come after everything the case's clicks caused, so the test
// waits for them instead of for a time. The marker's distance from the centre also keeps Qt from
// taking the next case's first press for the second half of a double click.
struct ClickCase {
    const char* name;
    QStringList clicks;
    std::vector<int> events;
};

const ClickCase kClicks[] = {
    {"left", {"click", "1"}, {513, 514}},
    {"right", {"click", "3"}, {516, 517}},
    {"double", {"click", "--repeat", "2", "--delay", "40", "1"}, {513, 514, 515, 514}},
    {"middle", {"click", "2"}, {519, 520}},
    {"left_then_right", {"click", "1", "click", "3"}, {513, 514, 516, 517}},
    // Qt turns the second press into a double click, which it reports only for the left button.
    {"double_right", {"click", "--repeat", "2", "--delay", "40", "3"}, {516, 517}},
};

class TrayClickTest : public TrayDesktopTest, public testing::WithParamInterface<ClickCase> {};

TEST_P(TrayClickTest, ClicksReachTheHandlerAsEventNumbersInOrder) {
    const QRect area = Area();
    const int offset = std::min(area.width(), area.height()) / 3;
    ASSERT_GT(offset, QGuiApplication::styleHints()->mouseDoubleClickDistance());
    const QPoint centre = area.center();
    const QPoint marker = centre - QPoint(offset, offset);

    QStringList arguments{"mousemove", QString::number(centre.x()), QString::number(centre.y())};
    arguments += GetParam().clicks;
    arguments += {"mousemove", QString::number(marker.x()), QString::number(marker.y()), "click", "2"};
    ASSERT_EQ(Xdotool(arguments), 0);

    std::vector<int> expected = GetParam().events;
    expected.insert(expected.end(), {519, 520});
    const auto markers = std::count(expected.begin(), expected.end(), 520);
    const bool markerCame =
        QTest::qWaitFor([&] { return std::count(events.begin(), events.end(), 520) >= markers; });
    EXPECT_TRUE(markerCame) << "the marker click did not arrive";
    EXPECT_EQ(events, expected);
}

INSTANTIATE_TEST_SUITE_P(Clicks, TrayClickTest, testing::ValuesIn(kClicks),
                         [](const testing::TestParamInfo<ClickCase>& p) { return p.param.name; });

}  // namespace
