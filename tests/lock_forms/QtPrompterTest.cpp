#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QWidget>

#include "lock/forms/QtPrompter.h"
#include "lock_forms/DialogTestSupport.h"

namespace {

using zeltest::WhenModal;

struct BoxCase {
    const char* name;
    int style;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    bool topmost;
    QMessageBox::StandardButton pressed;  // NoButton: closed from the title bar (Escape)
    int answer;
};

void PrintTo(const BoxCase& c, std::ostream* os) {
    *os << c.name;
}

class QtPrompterBoxes : public testing::TestWithParam<BoxCase> {};

TEST_P(QtPrompterBoxes, ShowsStyleAndReturnsAnswer) {
    const BoxCase& c = GetParam();
    QWidget owner;
    lock::QtPrompter prompter(&owner);
    bool seen = false;
    WhenModal<QMessageBox>([&](QMessageBox& box) {
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
    EXPECT_EQ(prompter.MsgBox(QStringLiteral("本文"), c.style, QStringLiteral("題名")), c.answer);
    EXPECT_TRUE(seen);
}

using core::mb::kAnswerNo;
using core::mb::kAnswerOk;
using core::mb::kAnswerYes;
constexpr int kQuestion = 32;

INSTANTIATE_TEST_SUITE_P(
    Cases, QtPrompterBoxes,
    testing::Values(BoxCase{"info_ok_system_modal", 64 | 4096, QMessageBox::Information, QMessageBox::Ok,
                            true, QMessageBox::Ok, kAnswerOk},
                    BoxCase{"critical_ok", 16, QMessageBox::Critical, QMessageBox::Ok, false, QMessageBox::Ok,
                            kAnswerOk},
                    BoxCase{"exclamation_ok_escape", 48, QMessageBox::Warning, QMessageBox::Ok, false,
                            QMessageBox::NoButton, kAnswerOk},
                    BoxCase{"question_yes", kQuestion | 4 | 4096, QMessageBox::Question,
                            QMessageBox::Yes | QMessageBox::No, true, QMessageBox::Yes, kAnswerYes},
                    BoxCase{"question_no", kQuestion | 4, QMessageBox::Question,
                            QMessageBox::Yes | QMessageBox::No, false, QMessageBox::No, kAnswerNo},
                    BoxCase{"question_escape_is_no", 4, QMessageBox::NoIcon,
                            QMessageBox::Yes | QMessageBox::No, false, QMessageBox::NoButton, kAnswerNo}),
    [](const testing::TestParamInfo<BoxCase>& param) { return std::string(param.param.name); });

TEST(QtPrompter, EmptyTitleIsApplicationTitle) {
    lock::QtPrompter prompter;
    QString title;
    WhenModal<QMessageBox>([&title](QMessageBox& box) {
        title = box.windowTitle();
        box.accept();
    });
    prompter.MsgBox(QStringLiteral("x"), 0, QString());
    EXPECT_EQ(title, QStringLiteral("Zelmora2nd"));
}

}  // namespace
