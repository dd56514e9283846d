// The main window's controls: names, captions, positions, and that no text is cut off.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "core/ControlValues.h"
#include "core/CycleFlags.h"
#include "core/MuteSwitch.h"
#include "core/TargetRegistry.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeSoundOutput.h"
#include "fakes/FakeWindowServices.h"
#include "ui/FormLook.h"
#include "ui/MainWindow.h"
#include "ui/QtApp.h"

namespace {

struct Control {
    const char* name;
    QString caption;  // empty: none to check
    QRect twips;      // position in its parent, as in the layout table
};

// The controls whose position the layout table gives, in its twips.
const std::vector<Control>& tableControls() {
    static const std::vector<Control> controls{
        {"fraTarget", QStringLiteral("狙って"), {120, 240, 735, 855}},
        {"picTarget", {}, {120, 240, 495, 495}},
        {"lblhWnd", QStringLiteral("窓ハンドル"), {120, 1200, 810, 180}},
        {"txthWnd", {}, {120, 1440, 855, 270}},
        {"lblText", QStringLiteral("窓文字列"), {1080, 1200, 720, 180}},
        {"txtText", {}, {1080, 1440, 2535, 270}},
        {"fraMousePoint", QStringLiteral("マウス位置"), {120, 1800, 1395, 1215}},
        {"chkMouse(0)", {}, {180, 300, 255, 255}},
        {"chkMouse(5)", {}, {420, 300, 555, 255}},
        {"chkMouse(1)", {}, {960, 300, 255, 255}},
        {"chkMouse(4)", {}, {180, 540, 255, 315}},
        {"chkMouse(6)", {}, {960, 540, 255, 315}},
        {"chkMouse(3)", {}, {180, 840, 255, 255}},
        {"chkMouse(7)", {}, {420, 840, 555, 255}},
        {"chkMouse(2)", {}, {960, 840, 255, 255}},
        {"lblPixel(1)", QStringLiteral("感度"), {1680, 1800, 495, 255}},
        {"lblPixel(0)", QStringLiteral("[Pix]"), {2040, 1800, 360, 180}},
        {"udPixel", {}, {2520, 1755, 720, 270}},  // txtPixel and its up-down together
        {"chkIE", QStringLiteral("自動隠し"), {1680, 2280, 1575, 255}},
        {"fraKavro", QStringLiteral("隠蔽手段"), {120, 3120, 2055, 855}},
        {"chkShift", QStringLiteral("シフトキー"), {240, 240, 1155, 255}},
        {"chkScrollLock", QStringLiteral("ScrollLock"), {240, 480, 1155, 255}},
        {"frmTrigger", QStringLiteral("トリガ"), {2280, 3120, 1335, 855}},
        {"chkTrigMouse", QStringLiteral("マウス"), {240, 240, 855, 255}},
        {"chkTrigKey", QStringLiteral("シフト"), {240, 480, 855, 255}},
        {"fraList", {}, {3240, 2160, 375, 495}},
        {"chkList", QStringLiteral(">"), {60, 170, 255, 255}},
    };
    return controls;
}

// The rest of the window, with the captions their groups name.
const std::vector<std::pair<const char*, QString>>& otherCaptions() {
    static const std::vector<std::pair<const char*, QString>> captions{
        {"chkMute", QStringLiteral("ミュート")},
        {"chkMuteAuto", QStringLiteral("自動復帰")},
        {"cmdReverseMute", QStringLiteral("Mute反転")},
        {"chkLock", QStringLiteral("ロック")},
        {"cmdPass", QStringLiteral("パスワード")},
        {"chkRunup", QStringLiteral("起動時画面表示")},
        {"fraIcon", QStringLiteral("騙しアイコン")},
        {"lblIcon(0)", QStringLiteral("隠蔽待機")},
        {"lblIcon(1)", QStringLiteral("隠蔽中")},
        {"cmdLoad(0)", QStringLiteral("読")},
        {"cmdLoad(1)", QStringLiteral("読")},
        {"cmdHide", QStringLiteral("閉じる")},
        {"cmdExit", QStringLiteral("終了")},
        {"cmdAbout", QStringLiteral("読む")},
        {"lblTarget", QStringLiteral("隠蔽対象窓")},
        {"lblClasses", QStringLiteral("隠蔽対象クラス")},
        {"imgIcon(0)", QString()},
        {"imgIcon(1)", QString()},
    };
    return captions;
}

QString caption(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget)) return frame->title();
    return {};
}

class MainLayoutTest : public testing::Test {
protected:
    QWidget* find(const char* name) {
        form.buildControls();
        return form.findChild<QWidget*>(QString::fromLatin1(name));
    }

    QApplication& app = uitest::app();  // before any widget
    fakes::FakeWindowServices windows;
    fakes::FakePrompter prompter;
    core::CycleFlags flags;
    core::TargetRegistry registry{windows, prompter, flags};
    fakes::FakeSoundOutput sound;
    core::MuteSwitch mute{sound};
    core::ControlValues values;
    ui::MainWindow form{{values, windows, registry, mute}};
};

TEST_F(MainLayoutTest, TableControlsSitWhereTheTableSays) {
    form.ensurePolished();  // as before the first showing, when the captions are fitted
    for (const Control& c : tableControls()) {
        QWidget* widget = find(c.name);
        ASSERT_NE(widget, nullptr) << c.name;
        const QRect& t = c.twips;
        const QRect expected = ui::twipRect(t.x(), t.y(), t.width(), t.height());
        const QRect actual = widget->geometry();
        EXPECT_EQ(actual.topLeft(), expected.topLeft()) << c.name;
        EXPECT_EQ(actual.height(), expected.height()) << c.name;
        // A caption wider in our font than in the original's widens its box, never more than needed.
        const bool grown =
            (qobject_cast<QLabel*>(widget) != nullptr || qobject_cast<QCheckBox*>(widget) != nullptr) &&
            !c.caption.isEmpty();
        if (grown) {
            EXPECT_EQ(actual.width(), std::max(expected.width(), widget->sizeHint().width())) << c.name;
        } else {
            EXPECT_EQ(actual.width(), expected.width()) << c.name;
        }
        if (!c.caption.isEmpty()) {
            EXPECT_EQ(caption(widget), c.caption) << c.name;
        }
    }
    EXPECT_NE(form.findChild<QWidget*>(QStringLiteral("txtPixel")), nullptr);
}

TEST_F(MainLayoutTest, EveryOtherControlIsThereWithItsCaption) {
    for (const auto& [name, expected] : otherCaptions()) {
        QWidget* widget = find(name);
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_EQ(caption(widget), expected) << name;
    }
}

TEST_F(MainLayoutTest, ZoneTogglesAndListToggleArePushButtonsWithTheCheckPicture) {
    for (int i = 0; i < 8; ++i) {
        ui::ToggleButton* toggle = form.zoneToggle(i);
        EXPECT_TRUE(toggle->isCheckable());
        ASSERT_FALSE(toggle->icon().isNull()) << i;
        EXPECT_EQ(toggle->iconSize(), QSize(12, 12));
        // The picture is a red check mark on a clear background; faded while the zone is not ticked.
        const QImage ticked = toggle->icon().pixmap(QSize(12, 12), QIcon::Normal, QIcon::On).toImage();
        EXPECT_EQ(ticked.pixelColor(11, 0), QColor(Qt::red));
        EXPECT_EQ(ticked.pixelColor(0, 0).alpha(), 0);
        const QImage clear = toggle->icon().pixmap(QSize(12, 12), QIcon::Normal, QIcon::Off).toImage();
        EXPECT_EQ(clear.pixelColor(11, 0).red(), 255);
        EXPECT_LT(clear.pixelColor(11, 0).alpha(), 128);
    }
    EXPECT_TRUE(form.listToggle()->isCheckable());
}

TEST_F(MainLayoutTest, NothingIsCutOffOrOutsideTheWindow) {
    form.listToggle()->setValue(1);
    form.show();
    const QRect client = form.rect();
    for (QWidget* widget : form.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&form) || widget->objectName().isEmpty()) continue;
        const QString name = widget->objectName();
        const QRect inForm(widget->mapTo(&form, QPoint(0, 0)), widget->size());
        EXPECT_TRUE(client.contains(inForm)) << name.toStdString();
        EXPECT_TRUE(widget->parentWidget()->rect().contains(widget->geometry())) << name.toStdString();
        if (qobject_cast<QLabel*>(widget) != nullptr || qobject_cast<QCheckBox*>(widget) != nullptr) {
            if (caption(widget).isEmpty()) continue;
            EXPECT_LE(widget->sizeHint().width(), widget->width()) << name.toStdString();
            EXPECT_LE(widget->fontMetrics().height(), widget->height() + 1) << name.toStdString();
        } else if (auto* button = qobject_cast<QPushButton*>(widget);
                   button != nullptr && !button->text().isEmpty()) {
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 6, button->width())
                << name.toStdString();
        } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
            EXPECT_LE(frame->fontMetrics().horizontalAdvance(frame->title()) + 12, frame->width())
                << name.toStdString();
        }
    }
}

// The part of a control that shows something: a caption's own width, or the whole control.
QRect content(const QWidget* widget) {
    QRect rect = widget->geometry();
    const bool captioned =
        qobject_cast<const QLabel*>(widget) != nullptr || qobject_cast<const QCheckBox*>(widget) != nullptr;
    if (captioned && !caption(widget).isEmpty())
        rect.setWidth(std::min(rect.width(), widget->sizeHint().width()));
    return rect;
}

// Rows of the table touch, a pixel over each other (check boxes 255 twips high, 240 apart).
bool overlap(const QRect& a, const QRect& b) {
    const QRect both = a.intersected(b);
    return both.width() > 1 && both.height() > 1;
}

TEST_F(MainLayoutTest, NoTwoControlsOverlap) {
    form.listToggle()->setValue(1);
    form.ensurePolished();
    QList<QWidget*> parents = form.findChildren<QWidget*>();
    parents.append(&form);
    for (QWidget* parent : parents) {
        if (parent->window() != &form || parent->objectName().startsWith(QStringLiteral("qt_"))) continue;
        QList<QWidget*> children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        children.removeIf([](const QWidget* w) {
            return w->objectName().isEmpty() || w->objectName().startsWith(QStringLiteral("qt_")) ||
                   w->isWindow();
        });
        for (qsizetype i = 0; i < children.size(); ++i) {
            for (qsizetype j = i + 1; j < children.size(); ++j) {
                EXPECT_FALSE(overlap(content(children[i]), content(children[j])))
                    << children[i]->objectName().toStdString() << " / "
                    << children[j]->objectName().toStdString();
            }
        }
    }
}

TEST_F(MainLayoutTest, CollapsedWindowHoldsEverythingButTheLists) {
    form.show();
    const QRect client = form.rect();
    EXPECT_EQ(client.width(), 248);
    for (QWidget* widget : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!widget->isVisibleTo(&form)) continue;
        EXPECT_TRUE(client.contains(widget->geometry())) << widget->objectName().toStdString();
    }
}

// Fitting the captions measures text, which maps a few megabytes of fonts for good: a window that
// is never shown (the program started hidden) must not do it on the event loop's first passes.
TEST_F(MainLayoutTest, HiddenWindowIsPolishedOnlyWhenFirstShown) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.testAttribute(Qt::WA_WState_Polished));
    form.show();
    EXPECT_TRUE(form.testAttribute(Qt::WA_WState_Polished));
}

TEST_F(MainLayoutTest, FormsUseAJapaneseFont) {
    const QFontInfo info(form.font());
    EXPECT_EQ(info.pointSize(), 9);
    EXPECT_TRUE(QFontMetrics(form.font()).inFont(QChar(0x96A0))) << "隠 has a glyph";
}

}  // namespace
