#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QWidget>

#include "fakes/FakePrompter.h"
#include "lock/forms/PasswordPrompt.h"
#include "lock/forms/frmPassEnt.h"
#include "lock_forms/DialogTestSupport.h"
#include "lock_forms/FakeDigest.h"

namespace {

using fakes::FakePrompter;
using lock::frmPassEnt;
using zeltest::FakeDigest;
using zeltest::WhenModal;

const QString kWrong = QStringLiteral("パスワードが違います");

class PasswordPromptTest : public testing::Test {
protected:
    // Runs Check with the user's part played by answer, from inside the dialog's event loop.
    bool CheckWith(std::function<void(frmPassEnt&)> answer) {
        WhenModal<frmPassEnt>(std::move(answer));
        return prompt.Check();
    }
    static std::function<void(frmPassEnt&)> Enter(const QString& text) {
        return [text](frmPassEnt& dialog) {
            dialog.txtPass()->setText(text);
            dialog.cmdOK()->click();
        };
    }

    core::ControlValues values;
    FakePrompter prompter;
    QWidget owner;
    lock::PasswordPrompt prompt{values, prompter, &owner, FakeDigest};
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
    values.PassHash = c.stored;
    EXPECT_EQ(CheckWith(Enter(c.entered)), c.passes);
    if (c.passes) {
        EXPECT_TRUE(prompter.shown.empty());
    } else {
        ASSERT_EQ(prompter.shown.size(), 1U);
        EXPECT_EQ(prompter.shown[0].text, kWrong);
        EXPECT_EQ(prompter.shown[0].style, core::mb::kOkOnly | core::mb::kCritical);
        EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Zelmora2nd"));
    }
    EXPECT_FALSE(prompt.IsOpen());
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
    values.PassHash = QStringLiteral("DABC");
    EXPECT_FALSE(CheckWith([](frmPassEnt& dialog) {
        dialog.txtPass()->setText(QStringLiteral("abc"));
        dialog.close();
    }));
    EXPECT_FALSE(CheckWith([](frmPassEnt& dialog) {
        dialog.txtPass()->setText(QStringLiteral("abc"));
        QTest::keyClick(dialog.txtPass(), Qt::Key_Escape);
    }));
    EXPECT_TRUE(prompter.shown.empty());
}

// Each Check loads a fresh dialog: an empty box, and no success carried over from the last one.
TEST_F(PasswordPromptTest, EachCheckStartsAfresh) {
    values.PassHash = QStringLiteral("DABC");
    ASSERT_TRUE(CheckWith(Enter(QStringLiteral("abc"))));
    EXPECT_FALSE(CheckWith([](frmPassEnt& dialog) {
        EXPECT_TRUE(dialog.txtPass()->text().isEmpty());
        EXPECT_FALSE(dialog.blnPassOK());
        dialog.reject();
    }));
}

// The digest is read at each Check, so a password changed in the meantime counts at once.
TEST_F(PasswordPromptTest, ReadsCurrentDigest) {
    values.PassHash = QStringLiteral("DABC");
    ASSERT_TRUE(CheckWith(Enter(QStringLiteral("abc"))));
    values.PassHash = QStringLiteral("DXYZ");
    EXPECT_FALSE(CheckWith(Enter(QStringLiteral("abc"))));
    EXPECT_TRUE(CheckWith(Enter(QStringLiteral("xyz"))));
}

// The user's way: the box has the focus, takes typing and Enter presses "OK".
TEST_F(PasswordPromptTest, TypingAndEnter) {
    values.PassHash = QStringLiteral("DABC");
    EXPECT_TRUE(CheckWith([](frmPassEnt& dialog) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        ASSERT_EQ(QApplication::focusWidget(), dialog.txtPass());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("bca"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }));
}

// While the prompt is open a second request neither opens a dialog nor passes.
TEST_F(PasswordPromptTest, NoSecondPromptWhileOpen) {
    values.PassHash = QStringLiteral("DABC");
    bool secondResult = true;
    bool openDuring = false;
    const bool first = CheckWith([&](frmPassEnt& dialog) {
        openDuring = prompt.IsOpen();
        secondResult = prompt.Check();
        EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
        dialog.txtPass()->setText(QStringLiteral("abc"));
        dialog.cmdOK_Click();
    });
    EXPECT_TRUE(first);
    EXPECT_TRUE(openDuring);
    EXPECT_FALSE(secondResult);
    EXPECT_FALSE(prompt.IsOpen());
}

TEST_F(PasswordPromptTest, HiddenOwnerBecomesTopmost) {
    values.PassHash = QStringLiteral("DABC");
    ASSERT_FALSE(owner.isVisible());
    CheckWith([](frmPassEnt& dialog) {
        EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("パスワード"));
        dialog.reject();
    });
    EXPECT_TRUE(owner.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(owner.isVisible());
}

TEST(PassEntDialog, MaskAndDefaultButton) {
    FakePrompter prompter;
    frmPassEnt dialog(QString(), prompter, nullptr, FakeDigest);
    EXPECT_EQ(dialog.txtPass()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.txtPass()->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr,
                                                   dialog.txtPass()),
              '*');
    EXPECT_TRUE(dialog.txtPass()->text().isEmpty());
    EXPECT_TRUE(dialog.cmdOK()->isDefault());
}

}  // namespace

namespace {

// With the program's own digest, which depends only on the sum of the character values.
TEST(PasswordPromptWithMakePassHash, TextsOfOneDigestAreInterchangeable) {
    core::ControlValues values;
    values.PassHash = lock::MakePassHash(QStringLiteral("abc"));
    FakePrompter prompter;
    QWidget owner;
    lock::PasswordPrompt prompt(values, prompter, &owner);
    const struct {
        QString entered;
        bool passes;
    } cases[] = {{QStringLiteral("abc"), true},
                 {QStringLiteral("cba"), true},
                 {QStringLiteral("abd"), false},
                 {QString(), false}};
    for (const auto& c : cases) {
        WhenModal<frmPassEnt>([&c](frmPassEnt& dialog) {
            dialog.txtPass()->setText(c.entered);
            dialog.cmdOK_Click();
        });
        EXPECT_EQ(prompt.Check(), c.passes) << c.entered.toStdString();
    }
}

// A settings file with the lock ticked and no digest: the empty entry passes.
TEST(PasswordPromptWithMakePassHash, EmptyEntryPassesWithoutDigest) {
    core::ControlValues values;
    values.chkLock = 1;
    FakePrompter prompter;
    QWidget owner;
    lock::PasswordPrompt prompt(values, prompter, &owner);
    WhenModal<frmPassEnt>([](frmPassEnt& dialog) { dialog.cmdOK_Click(); });
    EXPECT_TRUE(prompt.Check());
    EXPECT_TRUE(prompter.shown.empty());
}

}  // namespace
