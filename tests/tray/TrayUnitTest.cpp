// The notification icon's logic without a tray: the pictures, the record's effect on the icon and
// the mapping of Qt's activations to event numbers. Runs on the offscreen platform.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <functional>
#include <vector>

#include "ui/tray/PictureStore.h"
#include "ui/tray/QtNotifyIcon.h"
#include "ui/tray/TrayEvents.h"

namespace {

using testing::Contains;
using testing::ElementsAreArray;
using ui::PictureStore;

QString DataFile(const char* name) {
    return QStringLiteral(ZEL_TRAY_TEST_DATA "/") + QLatin1String(name);
}

QImage Picture(const QIcon& icon, int size) {
    return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

// ---- Pictures.

TEST(PictureStoreTest, TheBuiltInPicturesAreTwoDistinctPicturesInEverySize) {
    PictureStore store;
    const QIcon standby = store.Icon(PictureStore::kStandbyPicture);
    const QIcon concealment = store.Icon(PictureStore::kConcealmentPicture);
    ASSERT_FALSE(standby.isNull());
    ASSERT_FALSE(concealment.isNull());
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        EXPECT_THAT(standby.availableSizes(), Contains(QSize(size, size)));
        EXPECT_THAT(concealment.availableSizes(), Contains(QSize(size, size)));
        EXPECT_NE(Picture(standby, size), Picture(concealment, size)) << size;
    }
    EXPECT_TRUE(store.Icon(0).isNull());
    EXPECT_TRUE(store.Icon(3).isNull());
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

QString SavedImage(const QDir& dir, const char* name, const char* format) {
    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(Qt::red);
    const QString path = dir.filePath(QLatin1String(name));
    image.save(path, format);
    return path;
}

const FileCase kFileCases[] = {
    {"icon_file", [](const QDir&) { return DataFile("decoy.ico"); }, true},
    {"png_named_ico", [](const QDir& d) { return SavedImage(d, "png.ico", "PNG"); }, true},
    {"bitmap", [](const QDir& d) { return SavedImage(d, "picture.bmp", "BMP"); }, true},
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
    const core::IconHandle handle = store.LoadFile(path);
    if (GetParam().loads) {
        EXPECT_GT(handle, PictureStore::kConcealmentPicture);
        EXPECT_FALSE(store.Icon(handle).isNull());
    } else {
        EXPECT_EQ(handle, 0u);
        EXPECT_TRUE(store.Icon(PictureStore::kConcealmentPicture + 1).isNull()) << "a failed load was kept";
    }
}

INSTANTIATE_TEST_SUITE_P(Files, PictureFileTest, testing::ValuesIn(kFileCases),
                         [](const testing::TestParamInfo<FileCase>& p) { return p.param.name; });

TEST(PictureStoreTest, AnIconFileKeepsAllItsSizes) {
    PictureStore store;
    const QIcon icon = store.Icon(store.LoadFile(DataFile("decoy.ico")));
    EXPECT_THAT(icon.availableSizes(), Contains(QSize(16, 16)));
    EXPECT_THAT(icon.availableSizes(), Contains(QSize(32, 32)));
}

TEST(PictureStoreTest, HandlesAreNeverReusedAndBuiltInPicturesStay) {
    PictureStore store;
    const core::IconHandle first = store.LoadFile(DataFile("decoy.ico"));
    const core::IconHandle second = store.LoadFile(DataFile("decoy.ico"));
    EXPECT_NE(first, second);
    store.Release(first);
    EXPECT_TRUE(store.Icon(first).isNull());
    EXPECT_FALSE(store.Icon(second).isNull());
    const core::IconHandle third = store.LoadFile(DataFile("decoy.ico"));
    EXPECT_NE(third, first);
    EXPECT_NE(third, second);
    store.Release(PictureStore::kStandbyPicture);
    store.Release(PictureStore::kConcealmentPicture);
    EXPECT_FALSE(store.Icon(PictureStore::kStandbyPicture).isNull());
    EXPECT_FALSE(store.Icon(PictureStore::kConcealmentPicture).isNull());
}

// ---- The icon as the record drives it.

class NotifyIconTest : public testing::Test {
protected:
    core::TrayIconData Record(core::IconHandle picture) {
        core::TrayIconData data;
        data.hIcon = picture;
        data.szTip = QString(QChar(u'\0')) + QString(63, QLatin1Char(' '));  // the program's empty tip
        return data;
    }
    qint64 Shown() const { return icon.trayIcon().icon().cacheKey(); }

    PictureStore store;
    ui::QtNotifyIcon icon{store};
};

TEST_F(NotifyIconTest, AddShowsModifySwitchesDeleteHides) {
    EXPECT_FALSE(icon.trayIcon().isVisible());
    icon.Add(Record(PictureStore::kStandbyPicture));
    EXPECT_TRUE(icon.trayIcon().isVisible());
    EXPECT_EQ(Shown(), store.Icon(PictureStore::kStandbyPicture).cacheKey());

    icon.Modify(Record(PictureStore::kConcealmentPicture));
    EXPECT_EQ(Shown(), store.Icon(PictureStore::kConcealmentPicture).cacheKey());
    EXPECT_TRUE(icon.trayIcon().toolTip().isEmpty());

    icon.Delete(Record(PictureStore::kConcealmentPicture));
    EXPECT_FALSE(icon.trayIcon().isVisible());
}

TEST_F(NotifyIconTest, ARecordSentAgainLeavesTheIconAsItIs) {
    const core::IconHandle decoy = store.LoadFile(DataFile("decoy.ico"));
    icon.Add(Record(decoy));
    const qint64 before = Shown();
    icon.Modify(Record(decoy));
    EXPECT_EQ(Shown(), before);
    EXPECT_TRUE(icon.trayIcon().toolTip().isEmpty());
    EXPECT_TRUE(icon.trayIcon().isVisible());
}

TEST_F(NotifyIconTest, AHandleWithoutAPictureShowsABlankIcon) {
    icon.Add(Record(0));
    EXPECT_TRUE(icon.trayIcon().isVisible());
    EXPECT_FALSE(icon.trayIcon().icon().isNull());
    icon.Modify(Record(99));
    EXPECT_FALSE(icon.trayIcon().icon().isNull());
    icon.Modify(Record(PictureStore::kStandbyPicture));
    EXPECT_EQ(Shown(), store.Icon(PictureStore::kStandbyPicture).cacheKey());
}

TEST_F(NotifyIconTest, ARecordWithoutTheIconFlagKeepsThePicture) {
    icon.Add(Record(PictureStore::kStandbyPicture));
    core::TrayIconData tipOnly = Record(PictureStore::kConcealmentPicture);
    tipOnly.uFlags = 4;
    icon.Modify(tipOnly);
    EXPECT_EQ(Shown(), store.Icon(PictureStore::kStandbyPicture).cacheKey());
}

struct ActivationCase {
    const char* name;
    std::vector<QSystemTrayIcon::ActivationReason> reasons;
    std::vector<int> events;
};

const ActivationCase kActivations[] = {
    {"left_click", {QSystemTrayIcon::Trigger}, {513, 514}},
    {"right_click", {QSystemTrayIcon::Context}, {516, 517}},
    {"double_click", {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick}, {513, 514, 515, 514}},
    {"middle_click", {QSystemTrayIcon::MiddleClick}, {519, 520}},
    {"unknown", {QSystemTrayIcon::Unknown}, {}},
};

class ActivationTest : public NotifyIconTest, public testing::WithParamInterface<ActivationCase> {};

TEST_P(ActivationTest, EachActivationReachesTheHandlerAsEventNumbersInOrder) {
    std::vector<int> received;
    icon.onMouseEvent = [&received](int eventNumber) { received.push_back(eventNumber); };
    icon.Add(Record(PictureStore::kStandbyPicture));
    auto& tray = const_cast<QSystemTrayIcon&>(icon.trayIcon());
    for (const auto reason : GetParam().reasons)
        emit tray.activated(reason);
    EXPECT_THAT(received, ElementsAreArray(GetParam().events));
}

INSTANTIATE_TEST_SUITE_P(Activations, ActivationTest, testing::ValuesIn(kActivations),
                         [](const testing::TestParamInfo<ActivationCase>& p) { return p.param.name; });

TEST_F(NotifyIconTest, AnActivationWithoutAHandlerIsDropped) {
    icon.Add(Record(PictureStore::kStandbyPicture));
    emit const_cast<QSystemTrayIcon&>(icon.trayIcon()).activated(QSystemTrayIcon::Trigger);
    SUCCEED();
}

}  // namespace
