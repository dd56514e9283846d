// The add confirmation dialog under the offscreen platform: its text, its answers and its looks.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "core/AddConfirmer.h"
#include "ui/AddTargetDialog.h"
#include "ui/FormLook.h"
#include "ui/QtApp.h"

namespace {

using ui::AddTargetDialog;

TEST(AddConfirmMessage, IsBuiltWithCrLfAndFullWidthMarks) {
    const QString expected = QStringLiteral("指定のウィンドウのみを隠蔽しますか") + QChar(0xFF1F) +
                             QStringLiteral("\r\nまたは、類似ウィンドウを隠蔽しますか") + QChar(0xFF1F) +
                             QStringLiteral("\r\n\r\n") + QChar(0x3000) + QStringLiteral("クラス名") +
                             QChar(0xFF1A);
    EXPECT_EQ(core::addConfirmMessage(QStringLiteral("XTerm")), expected + QStringLiteral("XTerm"));
    EXPECT_EQ(core::addConfirmMessage(QString()), expected) << "a vanished window has no class";
}

class AddConfirmDialog : public testing::Test {
protected:
    // Runs Confirm and does `act` on the open dialog.
    bool confirmWith(const std::function<void()>& act, const QString& className = QStringLiteral("XTerm")) {
        bool acted = false;
        QTimer::singleShot(0, &dialog, [&] {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_TRUE(dialog.isModal());
            act();
            acted = true;
            if (dialog.isVisible()) dialog.close();  // the test's action left it open: close it
        });
        const bool answer = dialog.confirm(className);
        EXPECT_TRUE(acted);
        return answer;
    }

    void pressEnter() {
        QWidget* focus = dialog.focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_EQ(focus, dialog.windowOnlyButton()) << "the window-only button has the focus";
        QTest::keyClick(focus, Qt::Key_Return);
    }

    QApplication& app = uitest::app();  // before any widget
    AddTargetDialog dialog{nullptr};
};

TEST_F(AddConfirmDialog, ClosedBeforeAnyAnswerReturnsFalse) {
    EXPECT_FALSE(dialog.windowOnly());
    EXPECT_FALSE(confirmWith([this] { dialog.close(); }));
}

TEST_F(AddConfirmDialog, AnswersAndTheirMemory) {
    // Each use starts from what the previous one left; closing without an answer keeps it.
    struct Step {
        const char* action;
        bool expected;
    };
    const std::vector<Step> steps{
        {"window", true}, {"close", true},  {"class", false},  {"close", false},
        {"enter", true},  {"class", false}, {"escape", false}, {"enter", true},
    };
    for (const Step& step : steps) {
        const std::string action = step.action;
        const bool answer = confirmWith([&] {
            if (action == "window") QTest::mouseClick(dialog.windowOnlyButton(), Qt::LeftButton);
            if (action == "class") QTest::mouseClick(dialog.wholeClassButton(), Qt::LeftButton);
            if (action == "close") dialog.close();
            if (action == "enter") pressEnter();
            if (action == "escape") {
                QTest::keyClick(&dialog, Qt::Key_Escape);
                EXPECT_TRUE(dialog.isVisible()) << "Escape does not answer the question";
            }
        });
        EXPECT_EQ(answer, step.expected) << action;
        EXPECT_EQ(dialog.windowOnly(), step.expected) << action;
    }
}

TEST_F(AddConfirmDialog, ShowsTheClassOfTheCurrentPick) {
    for (const QString& name : {QStringLiteral("XTerm"), QStringLiteral("Navigator"), QString()}) {
        QString shown;
        confirmWith([&] { shown = dialog.messageLabel()->text(); }, name);
        const QStringList lines = shown.split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), 4);
        EXPECT_EQ(lines[3], QChar(0x3000) + QStringLiteral("クラス名") + QChar(0xFF1A) + name);
        EXPECT_TRUE(lines[2].isEmpty());
    }
}

TEST_F(AddConfirmDialog, LayoutCaptionAndStacking) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("追加方法の確認"));
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(dialog.size(), QSize(263, 97));
    EXPECT_EQ(dialog.messageLabel()->geometry(), QRect(8, 8, 241, 57));
    EXPECT_EQ(dialog.windowOnlyButton()->geometry(), QRect(8, 64, 121, 25));
    EXPECT_EQ(dialog.wholeClassButton()->geometry(), QRect(136, 64, 121, 25));
    EXPECT_EQ(dialog.windowOnlyButton()->text(), QStringLiteral("指定ウィンドウのみ"));
    EXPECT_EQ(dialog.wholeClassButton()->text(), QStringLiteral("類似ウィンドウごと"));
    EXPECT_TRUE(dialog.windowOnlyButton()->isDefault());

    // Nothing is cut off: the four lines fit the label and the captions fit their buttons.
    confirmWith([&] {
        QLabel* label = dialog.messageLabel();
        EXPECT_LE(label->sizeHint().width(), label->width());
        EXPECT_LE(label->sizeHint().height(), label->height());
        for (QPushButton* button : {dialog.windowOnlyButton(), dialog.wholeClassButton()}) {
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 8, button->width());
        }
    });
}

}  // namespace
