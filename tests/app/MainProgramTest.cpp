// The running program's commands with the real forms under the offscreen platform: the tray's
// clicks through the password prompt, the decoy icons, the about box.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/AppFixture.h"
#include "core/TargetEntry.h"
#include "lock/MakePassHash.h"
#include "lock/forms/frmPassEnt.h"
#include "lock_forms/DialogTestSupport.h"
#include "ui/about/frmAbout.h"

namespace {

using apptest::AppFixture;

class MainProgramTest : public AppFixture {
protected:
    // A locked program, hidden at start-up, whose password is "pw".
    ui::MainProgram& StartLocked() {
        WriteIni({QStringLiteral("[APP]"), QStringLiteral("blnRunup=0"), QStringLiteral("[LOCK]"),
                  QStringLiteral("blnLock=1"),
                  QStringLiteral("PassHash=") + lock::MakePassHash(QStringLiteral("pw"))});
        return Start();
    }

    // The next password prompt gets text and "OK".
    static void AnswerPrompt(const QString& text) {
        zeltest::WhenModal<lock::frmPassEnt>([text](lock::frmPassEnt& prompt) {
            prompt.txtPass()->setText(text);
            prompt.cmdOK()->click();
        });
    }
};

TEST_F(MainProgramTest, RightClickShowsTheWindowWithTheTickedCorners) {
    WriteIni({QStringLiteral("[APP]"), QStringLiteral("blnRunup=0"), QStringLiteral("[MOUSE]"),
              QStringLiteral("MousePosi=9")});
    ui::MainProgram& p = Start();
    ASSERT_FALSE(p.Form().isVisible());

    icon.RightClick();
    EXPECT_TRUE(p.Form().isVisible());
    const std::array<bool, 4> shown{true, false, true, false};  // top-left and bottom-right
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(p.Form().CornerForms(i)->isVisible(), shown[static_cast<std::size_t>(i)]) << i;

    Button("cmdHide")->click();
    EXPECT_FALSE(p.Form().isVisible());
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(p.Form().CornerForms(i)->isVisible()) << i;
}

TEST_F(MainProgramTest, LockedRightClickOpensOnlyWithThePassword) {
    ui::MainProgram& p = StartLocked();
    AnswerPrompt(QStringLiteral("wrong"));
    icon.RightClick();
    EXPECT_FALSE(p.Form().isVisible());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("パスワードが違います"));

    AnswerPrompt(QStringLiteral("pw"));
    icon.RightClick();
    EXPECT_TRUE(p.Form().isVisible());
    EXPECT_FALSE(p.Prompt().IsOpen());
}

TEST_F(MainProgramTest, LockedLeftClickReleasesTheHoldWithThePassword) {
    ui::MainProgram& p = StartLocked();
    p.Flags().blnTrigLatch = true;
    AnswerPrompt(QStringLiteral("wrong"));
    icon.LeftClick();
    EXPECT_TRUE(p.Flags().blnTrigLatch);
    AnswerPrompt(QStringLiteral("pw"));
    icon.DoubleClick();  // one prompt: the second release finds the flag clear
    EXPECT_FALSE(p.Flags().blnTrigLatch);
    EXPECT_FALSE(p.Form().isVisible());
}

TEST_F(MainProgramTest, TrayEventsWhileADialogIsModalAreIgnored) {
    WriteIni({QStringLiteral("[APP]"), QStringLiteral("blnRunup=0")});
    ui::MainProgram& p = Start();
    QDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    p.Flags().blnTrigLatch = true;

    icon.RightClick();
    icon.LeftClick();
    EXPECT_FALSE(p.Form().isVisible());
    EXPECT_TRUE(p.Flags().blnTrigLatch);
    EXPECT_FALSE(p.Tray().blnTrayArmed());

    dialog.close();
    icon.RightClick();
    EXPECT_TRUE(p.Form().isVisible());
}

TEST_F(MainProgramTest, SecondStartsRequestTakesThePasswordToo) {
    ui::MainProgram& p = StartLocked();
    AnswerPrompt(QStringLiteral("pw"));
    p.OpenRequest();
    EXPECT_TRUE(p.Form().isVisible());
}

TEST_F(MainProgramTest, NoTrayEventAfterTheShutdown) {
    WriteIni({QStringLiteral("[APP]"), QStringLiteral("blnRunup=0")});
    ui::MainProgram& p = Start();
    p.Form_Unload();
    icon.RightClick();
    p.OpenRequest();
    EXPECT_FALSE(p.Form().isVisible());
}

// --- decoy icons ---------------------------------------------------------------------------------

TEST_F(MainProgramTest, CancelledFileDialogChangesNothing) {
    ui::MainProgram& p = Start();
    chooser.answers = {std::nullopt};
    Button("cmdLoad(1)")->click();
    ASSERT_EQ(chooser.asked.size(), 1u);
    EXPECT_EQ(chooser.asked[0].title, QStringLiteral("騙しアイコン(隠蔽中)"));
    EXPECT_EQ(chooser.asked[0].filter, QStringLiteral("アイコン (*.ico)"));
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(p.Values().imgIcon[1], ui::PictureStore::kConcealmentPicture);
    EXPECT_TRUE(p.Values().IconPath[1].isEmpty());
}

TEST_F(MainProgramTest, FileWithoutAPictureGivesTheMessageAndChangesNothing) {
    testfiles::writeBytes(FilePath(QStringLiteral("text.ico")), "not a picture");
    ui::MainProgram& p = Start();
    const qint64 before = p.Form().imgIcon(0)->pixmap().cacheKey();
    chooser.answers = {FilePath(QStringLiteral("text.ico")), FilePath(QStringLiteral("missing.ico"))};
    Button("cmdLoad(0)")->click();
    Button("cmdLoad(0)")->click();
    EXPECT_EQ(chooser.asked[0].title, QStringLiteral("騙しアイコン(隠蔽待機)"));
    ASSERT_EQ(prompter.shown.size(), 2u);
    for (const auto& shown : prompter.shown) {
        EXPECT_EQ(shown.text, QStringLiteral("アイコンファイルを正しく指定してください。"));
        EXPECT_EQ(shown.style, core::mb::kExclamation);
        EXPECT_EQ(shown.title, QStringLiteral("ファイル指定エラー"));
    }
    EXPECT_EQ(p.Values().imgIcon[0], ui::PictureStore::kStandbyPicture);
    EXPECT_TRUE(p.Values().IconPath[0].isEmpty());
    EXPECT_EQ(p.Form().imgIcon(0)->pixmap().cacheKey(), before);
}

TEST_F(MainProgramTest, NewDecoyShowsInTheWindowAtOnceAndInTheTrayAtTheNextChange) {
    WriteIni({QStringLiteral("[APP]"), QStringLiteral("blnMute=0"), QStringLiteral("blnIE=0")});
    ui::MainProgram& p = Start();
    const qint64 before = p.Form().imgIcon(0)->pixmap().cacheKey();
    chooser.answers = {apptest::DecoyIconFile()};
    Button("cmdLoad(0)")->click();

    const core::IconHandle decoy = p.Values().imgIcon[0];
    EXPECT_NE(decoy, ui::PictureStore::kStandbyPicture);
    EXPECT_EQ(p.Values().IconPath[0], apptest::DecoyIconFile());
    EXPECT_NE(p.Form().imgIcon(0)->pixmap().cacheKey(), before);
    EXPECT_EQ(icon.shown, ui::PictureStore::kStandbyPicture) << "the tray keeps its picture";
    EXPECT_EQ(icon.calls.size(), 1u);

    // A concealment and its end switch the tray to the new standby picture.
    const core::WindowHandle target = windows.Open(QStringLiteral("XTerm"), QStringLiteral("t"));
    p.Registry().AddTargetEntry(core::FormatTargetEntry(QStringLiteral("t"), target));
    p.Registry().RefreshTargetList();
    windows.shiftDown = true;
    p.Cycle().tmrActive_Timer();
    EXPECT_EQ(icon.shown, ui::PictureStore::kConcealmentPicture);
    windows.shiftDown = false;
    p.Flags().blnTrigLatch = false;
    p.Cycle().tmrActive_Timer();
    EXPECT_EQ(icon.shown, decoy);

    p.Form_Unload();
    EXPECT_NE(IniBytes().find("Icon0=" + apptest::DecoyIconFile().toStdString()), std::string::npos);
}

// --- about box -----------------------------------------------------------------------------------

TEST_F(MainProgramTest, AboutBoxOpensOverTheMainWindow) {
    ui::MainProgram& p = Start();
    bool opened = false;
    zeltest::WhenModal<ui::frmAbout>([&](ui::frmAbout& box) {
        opened = true;
        EXPECT_EQ(box.parentWidget(), &p.Form());
        EXPECT_FALSE(box.picIcon()->pixmap().isNull());
        box.cmdClose()->click();
    });
    Button("cmdAbout")->click();
    EXPECT_TRUE(opened);
}

}  // namespace
