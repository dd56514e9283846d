#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QWidget>

#include "lock_forms/DialogTestSupport.h"
#include "platform/qt/QtPrompter.h"

namespace {

using zeltest::whenModal;

struct BoxCase {
    const char* name;
    core::MessageStyle style;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    bool topmost;
    QMessageBox::StandardButton pressed;  // NoButton: closed from the title bar (Escape)
    core::Answer answer;
};

void PrintTo(const BoxCase& c, std::ostream* os) {
    *os << c.name;
}

class QtPrompterBoxes : public testing::TestWithParam<BoxCase> {};

TEST_P(QtPrompterBoxes, ShowsStyleAndReturnsAnswer) {
    const BoxCase& c = GetParam();
    QWidget owner;
    qtplatform::QtPrompter prompter(&owner);
    bool seen = false;
    whenModal<QMessageBox>([&](QMessageBox& box) {
        seen = true;
        EXPECT_EQ(box.text(), QStringLiteral("本文"));
        EXPECT_EQ(box.windowTitle(), QStringLiteral("題名"));
        EXPECT_EQ(box.icon(), c.icon);
        EXPECT_EQ(box.standardButtons(), c.buttons);
        EXPECT_EQ(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint), c.topmost);
        EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
        if (c.pressed == QMessageBox::NoButton) {
            QTest::keyClick(&box, Qt::Key_Escape);
        } else {
            box.button(c.pressed)->click();
        }
    });
    EXPECT_EQ(prompter.showMessage(QStringLiteral("本文"), c.style, QStringLiteral("題名")), c.answer);
    EXPECT_TRUE(seen);
}

constexpr core::Answer kAnswerNo = core::Answer::No;
constexpr core::Answer kAnswerOk = core::Answer::Ok;
constexpr core::Answer kAnswerYes = core::Answer::Yes;

INSTANTIATE_TEST_SUITE_P(
    Cases, QtPrompterBoxes,
    testing::Values(
        BoxCase{"info_ok_system_modal",
                core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Information, true},
                QMessageBox::Information, QMessageBox::Ok, true, QMessageBox::Ok, kAnswerOk},
        BoxCase{"critical_ok", core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Critical},
                QMessageBox::Critical, QMessageBox::Ok, false, QMessageBox::Ok, kAnswerOk},
        BoxCase{"exclamation_ok_escape",
                core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Warning},
                QMessageBox::Warning, QMessageBox::Ok, false, QMessageBox::NoButton, kAnswerOk},
        BoxCase{"question_yes",
                core::MessageStyle{core::MessageButtons::YesNo, core::MessageIcon::Question, true},
                QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, true, QMessageBox::Yes,
                kAnswerYes},
        BoxCase{"question_no", core::MessageStyle{core::MessageButtons::YesNo, core::MessageIcon::Question},
                QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, false, QMessageBox::No, kAnswerNo},
        BoxCase{"question_escape_is_no",
                core::MessageStyle{core::MessageButtons::YesNo, core::MessageIcon::None}, QMessageBox::NoIcon,
                QMessageBox::Yes | QMessageBox::No, false, QMessageBox::NoButton, kAnswerNo}),
    [](const testing::TestParamInfo<BoxCase>& param) { return std::string(param.param.name); });

TEST(QtPrompter, EmptyTitleIsApplicationTitle) {
    qtplatform::QtPrompter prompter;
    QString title;
    whenModal<QMessageBox>([&title](QMessageBox& box) {
        title = box.windowTitle();
        box.accept();
    });
    prompter.showMessage(QStringLiteral("x"), core::MessageStyle{}, QString());
    EXPECT_EQ(title, QStringLiteral("Zelmora2nd"));
}

}  // namespace
