#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QWidget>

#include "fakes/FakePrompter.h"
#include "lock_forms/DialogTestSupport.h"
#include "lock_forms/FakeDigest.h"
#include "ui/PasswordEntryDialog.h"
#include "ui/PasswordPrompt.h"

namespace {

using fakes::FakePrompter;
using ui::PasswordEntryDialog;
using zeltest::fakeDigest;
using zeltest::whenModal;

const QString kWrong = QStringLiteral("パスワードが違います");

class PasswordPromptTest : public testing::Test {
protected:
    // Runs Check with the user's part played by answer, from inside the dialog's event loop.
    bool checkWith(std::function<void(PasswordEntryDialog&)> answer) {
        whenModal<PasswordEntryDialog>(std::move(answer));
        return prompt.check();
    }
    static std::function<void(PasswordEntryDialog&)> enter(const QString& text) {
        return [text](PasswordEntryDialog& dialog) {
            dialog.passwordEdit()->setText(text);
            dialog.okButton()->click();
        };
    }

    core::ControlValues values;
    FakePrompter prompter;
    QWidget owner;
    ui::PasswordPrompt prompt{values, prompter, &owner, fakeDigest};
};

struct EntryCase {
    const char* name;
    QString stored;
    QString entered;
    bool passes;
};

void PrintTo(const EntryCase& c, std::ostream* os) {
    *os << c.name;
}

class PasswordEntry : public PasswordPromptTest, public testing::WithParamInterface<EntryCase> {};

TEST_P(PasswordEntry, OneAttempt) {
    const EntryCase& c = GetParam();
    values.passwordDigest = c.stored;
    EXPECT_EQ(checkWith(enter(c.entered)), c.passes);
    if (c.passes) {
        EXPECT_TRUE(prompter.shown.empty());
    } else {
        ASSERT_EQ(prompter.shown.size(), 1U);
        EXPECT_EQ(prompter.shown[0].text, kWrong);
        EXPECT_EQ(prompter.shown[0].style,
                  (core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Critical}));
        EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Zelmora2nd"));
    }
    EXPECT_FALSE(prompt.isOpen());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PasswordEntry,
    testing::Values(EntryCase{"right", "DABC", "abc", true}, EntryCase{"wrong", "DABC", "abd", false},
                    // Same digest, different text: the digest is all that is kept.
                    EntryCase{"same_digest_other_text", "DABC", "C-b-A", true},
                    EntryCase{"longer_than_ten_characters", "DAAAAAAAAAAAAAAAAAAAA", "aaaaaaaaaaaaaaaaaaaa",
                              true},
                    EntryCase{"long_text_other_digest", "DABC", "abcabcabcabcabc", false},
                    // The lock ticked with no digest stored: the empty entry has the empty digest.
                    EntryCase{"empty_entry_without_password", "", "", true},
                    EntryCase{"text_entry_without_password", "", "abc", false},
                    EntryCase{"empty_entry_with_password", "DABC", "", false},
                    // The comparison of digests is exact: a digest differing in case is another.
                    EntryCase{"digest_compared_exactly", "dabc", "abc", false}),
    [](const testing::TestParamInfo<EntryCase>& param) { return std::string(param.param.name); });

TEST_F(PasswordPromptTest, ClosedWithoutOkFails) {
    values.passwordDigest = QStringLiteral("DABC");
    EXPECT_FALSE(checkWith([](PasswordEntryDialog& dialog) {
        dialog.passwordEdit()->setText(QStringLiteral("abc"));
        dialog.close();
    }));
    EXPECT_FALSE(checkWith([](PasswordEntryDialog& dialog) {
        dialog.passwordEdit()->setText(QStringLiteral("abc"));
        QTest::keyClick(dialog.passwordEdit(), Qt::Key_Escape);
    }));
    EXPECT_TRUE(prompter.shown.empty());
}

// Each Check loads a fresh dialog: an empty box, and no success carried over from the last one.
TEST_F(PasswordPromptTest, EachCheckStartsAfresh) {
    values.passwordDigest = QStringLiteral("DABC");
    ASSERT_TRUE(checkWith(enter(QStringLiteral("abc"))));
    EXPECT_FALSE(checkWith([](PasswordEntryDialog& dialog) {
        EXPECT_TRUE(dialog.passwordEdit()->text().isEmpty());
        EXPECT_FALSE(dialog.passwordAccepted());
        dialog.reject();
    }));
}

// The digest is read at each Check, so a password changed in the meantime counts at once.
TEST_F(PasswordPromptTest, ReadsCurrentDigest) {
    values.passwordDigest = QStringLiteral("DABC");
    ASSERT_TRUE(checkWith(enter(QStringLiteral("abc"))));
    values.passwordDigest = QStringLiteral("DXYZ");
    EXPECT_FALSE(checkWith(enter(QStringLiteral("abc"))));
    EXPECT_TRUE(checkWith(enter(QStringLiteral("xyz"))));
}

// The user's way: the box has the focus, takes typing and Enter presses "OK".
TEST_F(PasswordPromptTest, TypingAndEnter) {
    values.passwordDigest = QStringLiteral("DABC");
    EXPECT_TRUE(checkWith([](PasswordEntryDialog& dialog) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        ASSERT_EQ(QApplication::focusWidget(), dialog.passwordEdit());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("bca"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }));
}

// While the prompt is open a second request neither opens a dialog nor passes.
TEST_F(PasswordPromptTest, NoSecondPromptWhileOpen) {
    values.passwordDigest = QStringLiteral("DABC");
    bool secondResult = true;
    bool openDuring = false;
    const bool first = checkWith([&](PasswordEntryDialog& dialog) {
        openDuring = prompt.isOpen();
        secondResult = prompt.check();
        EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
        dialog.passwordEdit()->setText(QStringLiteral("abc"));
        dialog.onOkClicked();
    });
    EXPECT_TRUE(first);
    EXPECT_TRUE(openDuring);
    EXPECT_FALSE(secondResult);
    EXPECT_FALSE(prompt.isOpen());
}

TEST_F(PasswordPromptTest, HiddenOwnerBecomesTopmost) {
    values.passwordDigest = QStringLiteral("DABC");
    ASSERT_FALSE(owner.isVisible());
    checkWith([](PasswordEntryDialog& dialog) {
        EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("パスワード"));
        dialog.reject();
    });
    EXPECT_TRUE(owner.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(owner.isVisible());
}

TEST(PassEntDialog, MaskAndDefaultButton) {
    FakePrompter prompter;
    PasswordEntryDialog dialog(QString(), prompter, nullptr, fakeDigest);
    EXPECT_EQ(dialog.passwordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.passwordEdit()->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr,
                                                        dialog.passwordEdit()),
              '*');
    EXPECT_TRUE(dialog.passwordEdit()->text().isEmpty());
    EXPECT_TRUE(dialog.okButton()->isDefault());
}

}  // namespace

namespace {

// With the program's own digest, which depends only on the sum of the character values.
TEST(PasswordPromptWithMakePassHash, TextsOfOneDigestAreInterchangeable) {
    core::ControlValues values;
    values.passwordDigest = lock::makePassHash(QStringLiteral("abc"));
    FakePrompter prompter;
    QWidget owner;
    ui::PasswordPrompt prompt(values, prompter, &owner);
    const struct {
        QString entered;
        bool passes;
    } cases[] = {{QStringLiteral("abc"), true},
                 {QStringLiteral("cba"), true},
                 {QStringLiteral("abd"), false},
                 {QString(), false}};
    for (const auto& c : cases) {
        whenModal<PasswordEntryDialog>([&c](PasswordEntryDialog& dialog) {
            dialog.passwordEdit()->setText(c.entered);
            dialog.onOkClicked();
        });
        EXPECT_EQ(prompt.check(), c.passes) << c.entered.toStdString();
    }
}

// A settings file with the lock ticked and no digest: the empty entry passes.
TEST(PasswordPromptWithMakePassHash, EmptyEntryPassesWithoutDigest) {
    core::ControlValues values;
    values.lockBox = 1;
    FakePrompter prompter;
    QWidget owner;
    ui::PasswordPrompt prompt(values, prompter, &owner);
    whenModal<PasswordEntryDialog>([](PasswordEntryDialog& dialog) { dialog.onOkClicked(); });
    EXPECT_TRUE(prompt.check());
    EXPECT_TRUE(prompter.shown.empty());
}

}  // namespace
