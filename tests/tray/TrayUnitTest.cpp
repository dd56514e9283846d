// The notification icon's logic without a tray: the pictures, the calls' effect on the icon and
// the mapping of Qt's activations to tray events. Runs on the offscreen platform.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <functional>
#include <vector>

#include "TrayEventNames.h"
#include "platform/qt/PictureStore.h"
#include "platform/qt/QtTrayIcon.h"
#include "platform/qt/TrayEvents.h"

namespace {

using qtplatform::PictureStore;
using testing::Contains;
using testing::ElementsAreArray;

QString dataFile(const char* name) {
    return QStringLiteral(ZEL_TRAY_TEST_DATA "/") + QLatin1String(name);
}

QImage picture(const QIcon& icon, int size) {
    return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

// ---- Pictures.

TEST(PictureStoreTest, TheBuiltInPicturesAreTwoDistinctPicturesInEverySize) {
    PictureStore store;
    const QIcon standby = store.icon(PictureStore::kStandbyPicture);
    const QIcon concealment = store.icon(PictureStore::kConcealmentPicture);
    ASSERT_FALSE(standby.isNull());
    ASSERT_FALSE(concealment.isNull());
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        EXPECT_THAT(standby.availableSizes(), Contains(QSize(size, size)));
        EXPECT_THAT(concealment.availableSizes(), Contains(QSize(size, size)));
        EXPECT_NE(picture(standby, size), picture(concealment, size)) << size;
    }
    EXPECT_TRUE(store.icon(0).isNull());
    EXPECT_TRUE(store.icon(3).isNull());
}

struct FileCase {
    const char* name;
    std::function<QString(const QDir&)> make;  // makes the file, gives its path
    bool loads;
};

QString Write(const QDir& dir, const char* name, const QByteArray& bytes) {
    QFile file(dir.filePath(QLatin1String(name)));
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    return file.fileName();
}

QString savedImage(const QDir& dir, const char* name, const char* format) {
    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(Qt::red);
    const QString path = dir.filePath(QLatin1String(name));
    image.save(path, format);
    return path;
}

const FileCase kFileCases[] = {
    {"icon_file", [](const QDir&) { return dataFile("decoy.ico"); }, true},
    {"png_named_ico", [](const QDir& d) { return savedImage(d, "png.ico", "PNG"); }, true},
    {"bitmap", [](const QDir& d) { return savedImage(d, "picture.bmp", "BMP"); }, true},
    {"missing", [](const QDir& d) { return d.filePath(QStringLiteral("nothing.ico")); }, false},
    {"empty_path", [](const QDir&) { return QString(); }, false},
    {"empty_file", [](const QDir& d) { return Write(d, "empty.ico", QByteArray()); }, false},
    {"text_named_ico", [](const QDir& d) { return Write(d, "notes.ico", "not a picture\n"); }, false},
    {"folder", [](const QDir& d) { return d.path(); }, false},
};

class PictureFileTest : public testing::TestWithParam<FileCase> {};

TEST_P(PictureFileTest, LoadsPicturesAndRefusesEverythingElse) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    PictureStore store;
    const QString path = GetParam().make(QDir(dir.path()));
    const core::IconHandle handle = store.loadFile(path);
    if (GetParam().loads) {
        EXPECT_GT(handle, PictureStore::kConcealmentPicture);
        EXPECT_FALSE(store.icon(handle).isNull());
    } else {
        EXPECT_EQ(handle, 0u);
        EXPECT_TRUE(store.icon(PictureStore::kConcealmentPicture + 1).isNull()) << "a failed load was kept";
    }
}

INSTANTIATE_TEST_SUITE_P(Files, PictureFileTest, testing::ValuesIn(kFileCases),
                         [](const testing::TestParamInfo<FileCase>& p) { return p.param.name; });

TEST(PictureStoreTest, AnIconFileKeepsAllItsSizes) {
    PictureStore store;
    const QIcon icon = store.icon(store.loadFile(dataFile("decoy.ico")));
    EXPECT_THAT(icon.availableSizes(), Contains(QSize(16, 16)));
    EXPECT_THAT(icon.availableSizes(), Contains(QSize(32, 32)));
}

TEST(PictureStoreTest, HandlesAreNeverReusedAndBuiltInPicturesStay) {
    PictureStore store;
    const core::IconHandle first = store.loadFile(dataFile("decoy.ico"));
    const core::IconHandle second = store.loadFile(dataFile("decoy.ico"));
    EXPECT_NE(first, second);
    store.release(first);
    EXPECT_TRUE(store.icon(first).isNull());
    EXPECT_FALSE(store.icon(second).isNull());
    const core::IconHandle third = store.loadFile(dataFile("decoy.ico"));
    EXPECT_NE(third, first);
    EXPECT_NE(third, second);
    store.release(PictureStore::kStandbyPicture);
    store.release(PictureStore::kConcealmentPicture);
    EXPECT_FALSE(store.icon(PictureStore::kStandbyPicture).isNull());
    EXPECT_FALSE(store.icon(PictureStore::kConcealmentPicture).isNull());
}

// ---- The icon as its calls drive it.

class TrayIconTest : public testing::Test {
protected:
    qint64 shownKey() const { return icon.trayIcon().icon().cacheKey(); }

    PictureStore store;
    qtplatform::QtTrayIcon icon{store};
};

TEST_F(TrayIconTest, ShowShowsSetPictureSwitchesHideHides) {
    EXPECT_FALSE(icon.trayIcon().isVisible());
    icon.show(PictureStore::kStandbyPicture);
    EXPECT_TRUE(icon.trayIcon().isVisible());
    EXPECT_EQ(shownKey(), store.icon(PictureStore::kStandbyPicture).cacheKey());

    icon.setPicture(PictureStore::kConcealmentPicture);
    EXPECT_EQ(shownKey(), store.icon(PictureStore::kConcealmentPicture).cacheKey());
    EXPECT_TRUE(icon.trayIcon().toolTip().isEmpty());

    icon.hide();
    EXPECT_FALSE(icon.trayIcon().isVisible());
}

TEST_F(TrayIconTest, ThePictureSetAgainLeavesTheIconAsItIs) {
    const core::IconHandle decoy = store.loadFile(dataFile("decoy.ico"));
    icon.show(decoy);
    const qint64 before = shownKey();
    icon.setPicture(decoy);
    EXPECT_EQ(shownKey(), before);
    EXPECT_TRUE(icon.trayIcon().toolTip().isEmpty());
    EXPECT_TRUE(icon.trayIcon().isVisible());
}

TEST_F(TrayIconTest, AHandleWithoutAPictureShowsABlankIcon) {
    icon.show(0);
    EXPECT_TRUE(icon.trayIcon().isVisible());
    EXPECT_FALSE(icon.trayIcon().icon().isNull());
    icon.setPicture(99);
    EXPECT_FALSE(icon.trayIcon().icon().isNull());
    icon.setPicture(PictureStore::kStandbyPicture);
    EXPECT_EQ(shownKey(), store.icon(PictureStore::kStandbyPicture).cacheKey());
}

TEST_F(TrayIconTest, TheToolTipChangesOnlyTheTipAndAnEmptyOneClearsIt) {
    icon.show(PictureStore::kStandbyPicture);
    icon.setToolTip(QStringLiteral("a window"));
    EXPECT_EQ(icon.trayIcon().toolTip(), QStringLiteral("a window"));
    EXPECT_EQ(shownKey(), store.icon(PictureStore::kStandbyPicture).cacheKey());
    EXPECT_TRUE(icon.trayIcon().isVisible());
    icon.setToolTip(QString());
    EXPECT_TRUE(icon.trayIcon().toolTip().isEmpty());
    EXPECT_EQ(shownKey(), store.icon(PictureStore::kStandbyPicture).cacheKey());
}

using core::TrayEvent;

struct ActivationCase {
    const char* name;
    std::vector<QSystemTrayIcon::ActivationReason> reasons;
    std::vector<TrayEvent> events;
};

const ActivationCase kActivations[] = {
    {"left_click", {QSystemTrayIcon::Trigger}, {TrayEvent::LeftPress, TrayEvent::LeftRelease}},
    {"right_click", {QSystemTrayIcon::Context}, {TrayEvent::RightPress, TrayEvent::RightRelease}},
    {"double_click",
     {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick},
     {TrayEvent::LeftPress, TrayEvent::LeftRelease, TrayEvent::LeftDoubleClick, TrayEvent::LeftRelease}},
    {"middle_click", {QSystemTrayIcon::MiddleClick}, {TrayEvent::MiddlePress, TrayEvent::MiddleRelease}},
    {"unknown", {QSystemTrayIcon::Unknown}, {}},
};

class ActivationTest : public TrayIconTest, public testing::WithParamInterface<ActivationCase> {};

TEST_P(ActivationTest, EachActivationReachesTheHandlerAsEventsInOrder) {
    std::vector<TrayEvent> received;
    icon.onEvent = [&received](TrayEvent event) { received.push_back(event); };
    icon.show(PictureStore::kStandbyPicture);
    auto& tray = const_cast<QSystemTrayIcon&>(icon.trayIcon());
    for (const auto reason : GetParam().reasons)
        emit tray.activated(reason);
    EXPECT_THAT(received, ElementsAreArray(GetParam().events));
}

INSTANTIATE_TEST_SUITE_P(Activations, ActivationTest, testing::ValuesIn(kActivations),
                         [](const testing::TestParamInfo<ActivationCase>& p) { return p.param.name; });

TEST_F(TrayIconTest, AnActivationWithoutAHandlerIsDropped) {
    icon.show(PictureStore::kStandbyPicture);
    emit const_cast<QSystemTrayIcon&>(icon.trayIcon()).activated(QSystemTrayIcon::Trigger);
    SUCCEED();
}

}  // namespace
