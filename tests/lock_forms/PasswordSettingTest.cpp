#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QWidget>

#include "fakes/FakePrompter.h"
#include "lock_forms/DialogTestSupport.h"
#include "lock_forms/FakeDigest.h"
#include "ui/PasswordSetting.h"
#include "ui/SetPasswordDialog.h"

namespace {

using fakes::FakePrompter;
using ui::SetPasswordDialog;
using zeltest::fakeDigest;
using zeltest::whenModal;

struct FlowCase {
    const char* name;
    // Before the button.
    QString hash;
    int lockBox;
    bool enabled;
    // What the user does in the dialog: texts for both boxes and "設定", or "閉じる" when null.
    const char* typed;
    // After the dialog.
    QString hashAfter;
    int chkLockAfter;
    bool enabledAfter;
};

void PrintTo(const FlowCase& c, std::ostream* os) {
    *os << c.name;
}

class PasswordButtonFlow : public testing::TestWithParam<FlowCase> {};

// The main window's "パスワード" button, with the real modal dialog.
TEST_P(PasswordButtonFlow, UpdatesDigestAndLockBox) {
    const FlowCase& c = GetParam();
    core::ControlValues values;
    values.passwordDigest = c.hash;
    values.lockBox = c.lockBox;
    values.lockEnabled = c.enabled;
    FakePrompter prompter;
    QWidget owner;

    whenModal<SetPasswordDialog>([&c](SetPasswordDialog& dialog) {
        if (c.typed == nullptr) {
            dialog.onCloseClicked();
            return;
        }
        dialog.passwordEdit(0)->setText(QString::fromUtf8(c.typed));
        dialog.passwordEdit(1)->setText(QString::fromUtf8(c.typed));
        dialog.onSetClicked();
    });
    ui::runPasswordSetting(values, prompter, &owner, fakeDigest);

    EXPECT_EQ(values.passwordDigest, c.hashAfter);
    EXPECT_EQ(values.lockBox, c.chkLockAfter);
    EXPECT_EQ(values.lockEnabled, c.enabledAfter);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PasswordButtonFlow,
    testing::Values(
        // A first password enables the lock box; it stays clear until the user ticks it.
        FlowCase{"first_password_enables_box", "", 0, false, "abc", "DABC", 0, true},
        FlowCase{"changed_password_keeps_ticked_lock", "DXYZ", 1, true, "q", "DQ", 1, true},
        FlowCase{"two_empty_boxes_clear_and_disable", "DXYZ", 1, true, "", "", 0, false},
        FlowCase{"empty_digest_is_no_password", "DXYZ", 1, true, "123", "", 0, false},
        FlowCase{"placeholder_keeps_password_and_lock", "DXYZ", 1, true, "K#W8&QF27T", "DXYZ", 1, true},
        FlowCase{"close_keeps_everything", "DXYZ", 1, true, nullptr, "DXYZ", 1, true},
        // A settings file with the lock ticked and no digest: any close of the dialog clears it.
        FlowCase{"close_clears_lock_without_password", "", 1, false, nullptr, "", 0, false},
        FlowCase{"placeholder_without_password_keeps_none", "", 0, false, "K#W8&QF27T", "", 0, false}),
    [](const testing::TestParamInfo<FlowCase>& param) { return std::string(param.param.name); });

TEST(PasswordButtonFlow, MismatchKeepsDialogOpenUntilCorrected) {
    core::ControlValues values;
    FakePrompter prompter;
    QWidget owner;
    whenModal<SetPasswordDialog>([&prompter](SetPasswordDialog& dialog) {
        dialog.passwordEdit(0)->setText(QStringLiteral("abc"));
        dialog.passwordEdit(1)->setText(QStringLiteral("abd"));
        dialog.onSetClicked();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(prompter.shown.size(), 1U);
        dialog.passwordEdit(1)->setText(QStringLiteral("abc"));
        dialog.onSetClicked();
    });
    ui::runPasswordSetting(values, prompter, &owner, fakeDigest);
    EXPECT_EQ(values.passwordDigest, QStringLiteral("DABC"));
    EXPECT_TRUE(values.lockEnabled);
    EXPECT_EQ(prompter.shown.size(), 1U);
}

TEST(ShowLockState, CheckBoxFollowsValues) {
    QCheckBox box;
    box.setTristate(true);
    core::ControlValues values;
    const struct {
        int value;
        bool enabled;
        Qt::CheckState state;
    } cases[] = {{0, false, Qt::Unchecked},
                 {1, true, Qt::Checked},
                 {1, false, Qt::Checked},
                 {2, true, Qt::PartiallyChecked},
                 {0, true, Qt::Unchecked}};
    for (const auto& c : cases) {
        values.lockBox = c.value;
        values.lockEnabled = c.enabled;
        ui::showLockState(values, box);
        EXPECT_EQ(box.checkState(), c.state) << c.value;
        EXPECT_EQ(box.isEnabled(), c.enabled) << c.value;
    }
}

}  // namespace

namespace {

// With the program's own digest: what the button leaves in the values.
class PasswordButtonWithMakePassHash : public testing::Test {
protected:
    void setBoth(const QString& text) {
        whenModal<SetPasswordDialog>([text](SetPasswordDialog& dialog) {
            dialog.passwordEdit(0)->setText(text);
            dialog.passwordEdit(1)->setText(text);
            dialog.onSetClicked();
        });
        ui::runPasswordSetting(values, prompter, &owner);
    }

    core::ControlValues values;
    FakePrompter prompter;
    QWidget owner;
};

TEST_F(PasswordButtonWithMakePassHash, StoresDigestOfText) {
    setBoth(QStringLiteral("abc"));
    EXPECT_EQ(values.passwordDigest, QStringLiteral("IBGUQSZKYOGA"));
    EXPECT_TRUE(values.lockEnabled);
}

// Characters summing to 3 have the empty digest: the same as no password at all.
TEST_F(PasswordButtonWithMakePassHash, PasswordWithEmptyDigestIsNoPassword) {
    values.passwordDigest = QStringLiteral("IBGUQSZKYOGA");
    values.lockBox = 1;
    values.lockEnabled = true;
    setBoth(QString(QChar(1)) + QChar(2));
    EXPECT_TRUE(values.passwordDigest.isEmpty());
    EXPECT_EQ(values.lockBox, 0);
    EXPECT_FALSE(values.lockEnabled);
}

}  // namespace
