#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>

#include "fakes/FakePrompter.h"
#include "lock_forms/DialogTestSupport.h"
#include "lock_forms/FakeDigest.h"
#include "ui/SetPasswordDialog.h"

namespace {

using fakes::FakePrompter;
using ui::SetPasswordDialog;
using zeltest::fakeDigest;

const QString kPlaceholder = QStringLiteral("K#W8&QF27T");
const QString kMismatch = QStringLiteral("２つのパスワードが不一致ダヨ");

struct SetCase {
    const char* name;
    QString storedHash;
    QString first;
    QString second;
    bool closes;
    QString hashAfter;
};

void PrintTo(const SetCase& c, std::ostream* os) {
    *os << c.name;
}

class PasswdSetRules : public testing::TestWithParam<SetCase> {};

// "設定" with the given texts in the two boxes.
TEST_P(PasswdSetRules, SetButton) {
    const SetCase& c = GetParam();
    FakePrompter prompter;
    SetPasswordDialog dialog(c.storedHash, prompter, nullptr, fakeDigest);
    dialog.show();
    dialog.passwordEdit(0)->setText(c.first);
    dialog.passwordEdit(1)->setText(c.second);

    dialog.setButton()->click();

    EXPECT_EQ(dialog.isVisible(), !c.closes);
    EXPECT_EQ(dialog.passwordDigest(), c.hashAfter);
    if (c.closes) {
        EXPECT_TRUE(prompter.shown.empty());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    } else {
        ASSERT_EQ(prompter.shown.size(), 1U);
        EXPECT_EQ(prompter.shown[0].text, kMismatch);
        EXPECT_EQ(prompter.shown[0].style,
                  (core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Information, true}));
        EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Zelmora2nd"));
        // Nothing is cleared: the user corrects one box.
        EXPECT_EQ(dialog.passwordEdit(0)->text(), c.first);
        EXPECT_EQ(dialog.passwordEdit(1)->text(), c.second);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PasswdSetRules,
    testing::Values(
        SetCase{"placeholder_in_both_keeps_password", "DXYZ", kPlaceholder, kPlaceholder, true, "DXYZ"},
        SetCase{"placeholder_typed_without_password_keeps_none", "", kPlaceholder, kPlaceholder, true, ""},
        SetCase{"placeholder_and_other_text_mismatch", "DXYZ", kPlaceholder, "abc", false, "DXYZ"},
        SetCase{"other_text_and_placeholder_mismatch", "DXYZ", "abc", kPlaceholder, false, "DXYZ"},
        SetCase{"different_texts_mismatch", "", "abc", "abd", false, ""},
        SetCase{"comparison_is_case_sensitive", "DXYZ", "abc", "ABC", false, "DXYZ"},
        SetCase{"equal_texts_store_digest", "", "cab", "cab", true, "DABC"},
        SetCase{"equal_texts_replace_digest", "DXYZ", "q", "q", true, "DQ"},
        SetCase{"two_empty_boxes_clear", "DXYZ", "", "", true, ""},
        SetCase{"text_with_empty_digest_clears", "DXYZ", "123", "123", true, ""},
        SetCase{"one_empty_box_mismatch", "DXYZ", "", "abc", false, "DXYZ"}),
    [](const testing::TestParamInfo<SetCase>& param) { return std::string(param.param.name); });

TEST(PasswdDialog, CloseKeepsDigestWhateverTheBoxesHold) {
    FakePrompter prompter;
    SetPasswordDialog dialog(QStringLiteral("DXYZ"), prompter, nullptr, fakeDigest);
    dialog.show();
    dialog.passwordEdit(0)->setText(QStringLiteral("new"));
    dialog.passwordEdit(1)->setText(QStringLiteral("new"));
    dialog.closeButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.passwordDigest(), QStringLiteral("DXYZ"));
    EXPECT_TRUE(prompter.shown.empty());
}

TEST(PasswdDialog, BoxesShowPlaceholderOnlyWhilePasswordSet) {
    FakePrompter prompter;
    SetPasswordDialog withPassword(QStringLiteral("DXYZ"), prompter, nullptr, fakeDigest);
    SetPasswordDialog without(QString(), prompter, nullptr, fakeDigest);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(withPassword.passwordEdit(i)->text(), kPlaceholder);
        EXPECT_TRUE(without.passwordEdit(i)->text().isEmpty());
    }
}

TEST(PasswdDialog, BoxesMaskWithStarsAndTakeTenCharacters) {
    FakePrompter prompter;
    SetPasswordDialog dialog(QString(), prompter, nullptr, fakeDigest);
    for (int i = 0; i < 2; ++i) {
        QLineEdit* box = dialog.passwordEdit(i);
        EXPECT_EQ(box->echoMode(), QLineEdit::Password);
        EXPECT_EQ(box->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, box), '*');
        box->setText(QStringLiteral("0123456789abc"));
        EXPECT_EQ(box->text(), QStringLiteral("0123456789"));
    }
}

// Typing straight away replaces the placeholder in the first box; Tab moves on and selects the
// second box's placeholder, so typing replaces that too; Enter presses "設定".
TEST(PasswdDialog, TypingReplacesPlaceholderAndEnterSets) {
    FakePrompter prompter;
    SetPasswordDialog dialog(QStringLiteral("DXYZ"), prompter, nullptr, fakeDigest);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    ASSERT_EQ(QApplication::focusWidget(), dialog.passwordEdit(0));

    QTest::keyClicks(dialog.passwordEdit(0), QStringLiteral("hello"));
    QTest::keyClick(dialog.passwordEdit(0), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), dialog.passwordEdit(1));
    QTest::keyClicks(dialog.passwordEdit(1), QStringLiteral("hello"));
    EXPECT_EQ(dialog.passwordEdit(0)->text(), QStringLiteral("hello"));
    EXPECT_EQ(dialog.passwordEdit(1)->text(), QStringLiteral("hello"));

    QTest::keyClick(dialog.passwordEdit(1), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.passwordDigest(), QStringLiteral("DEHLLO"));
}

// Focus that arrives other than by Tab (here: set by the program) selects the whole text as well.
TEST(PasswdDialog, AnyFocusSelectsWholeText) {
    FakePrompter prompter;
    SetPasswordDialog dialog(QStringLiteral("DXYZ"), prompter, nullptr, fakeDigest);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.setButton()->setFocus(Qt::OtherFocusReason);
    dialog.passwordEdit(1)->deselect();
    dialog.passwordEdit(1)->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(dialog.passwordEdit(1)->selectedText(), kPlaceholder);
}

TEST(PasswdDialog, TabOrderAndDefaultButton) {
    FakePrompter prompter;
    SetPasswordDialog dialog(QString(), prompter, nullptr, fakeDigest);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const std::vector<QWidget*> order{dialog.passwordEdit(0), dialog.passwordEdit(1), dialog.setButton(),
                                      dialog.closeButton(), dialog.passwordEdit(0)};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        ASSERT_EQ(QApplication::focusWidget(), order[i]) << i;
        QTest::keyClick(order[i], Qt::Key_Tab);
    }
    EXPECT_EQ(QApplication::focusWidget(), order.back());
    EXPECT_TRUE(dialog.setButton()->isDefault());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ロックパスワード"));
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

}  // namespace
