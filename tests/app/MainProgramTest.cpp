// The running program's commands with the real forms under the offscreen platform: the tray's
// clicks through the password prompt, the decoy icons, the about box, the concealment cycle's timer
// and the picker on the main window.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/AppFixture.h"
#include "core/TargetEntry.h"
#include "lock/MakePassHash.h"
#include "lock_forms/DialogTestSupport.h"
#include "ui/AboutDialog.h"
#include "ui/PasswordEntryDialog.h"

namespace {

using apptest::AppFixture;

class MainProgramTest : public AppFixture {
protected:
    // A locked program, hidden at start-up, whose password is "pw".
    app::MainProgram& startLocked() {
        writeIni({QStringLiteral("[APP]"), QStringLiteral("blnRunup=0"), QStringLiteral("[LOCK]"),
                  QStringLiteral("blnLock=1"),
                  QStringLiteral("PassHash=") + lock::makePassHash(QStringLiteral("pw"))});
        return start();
    }

    // The next password prompt gets text and "OK".
    static void answerPrompt(const QString& text) {
        zeltest::whenModal<ui::PasswordEntryDialog>([text](ui::PasswordEntryDialog& prompt) {
            prompt.passwordEdit()->setText(text);
            prompt.okButton()->click();
        });
    }
};

TEST_F(MainProgramTest, RightClickShowsTheWindowWithTheTickedCorners) {
    writeIni({QStringLiteral("[APP]"), QStringLiteral("blnRunup=0"), QStringLiteral("[MOUSE]"),
              QStringLiteral("MousePosi=9")});
    app::MainProgram& p = start();
    ASSERT_FALSE(p.form().isVisible());

    icon.rightClick();
    EXPECT_TRUE(p.form().isVisible());
    const std::array<bool, 4> shown{true, false, true, false};  // top-left and bottom-right
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(p.form().cornerIndicator(i)->isVisible(), shown[static_cast<std::size_t>(i)]) << i;

    button("cmdHide")->click();
    EXPECT_FALSE(p.form().isVisible());
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(p.form().cornerIndicator(i)->isVisible()) << i;
}

TEST_F(MainProgramTest, LockedRightClickOpensOnlyWithThePassword) {
    app::MainProgram& p = startLocked();
    answerPrompt(QStringLiteral("wrong"));
    icon.rightClick();
    EXPECT_FALSE(p.form().isVisible());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("パスワードが違います"));

    answerPrompt(QStringLiteral("pw"));
    icon.rightClick();
    EXPECT_TRUE(p.form().isVisible());
    EXPECT_FALSE(p.prompt().isOpen());
}

TEST_F(MainProgramTest, LockedLeftClickReleasesTheHoldWithThePassword) {
    app::MainProgram& p = startLocked();
    p.flags().held = true;
    answerPrompt(QStringLiteral("wrong"));
    icon.leftClick();
    EXPECT_TRUE(p.flags().held);
    answerPrompt(QStringLiteral("pw"));
    icon.doubleClick();  // one prompt: the second release finds the flag clear
    EXPECT_FALSE(p.flags().held);
    EXPECT_FALSE(p.form().isVisible());
}

TEST_F(MainProgramTest, TrayEventsWhileADialogIsModalAreIgnored) {
    writeIni({QStringLiteral("[APP]"), QStringLiteral("blnRunup=0")});
    app::MainProgram& p = start();
    QDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    p.flags().held = true;

    icon.rightClick();
    icon.leftClick();
    EXPECT_FALSE(p.form().isVisible());
    EXPECT_TRUE(p.flags().held);
    EXPECT_FALSE(p.tray().trayArmed());

    dialog.close();
    icon.rightClick();
    EXPECT_TRUE(p.form().isVisible());
}

TEST_F(MainProgramTest, SecondStartsRequestTakesThePasswordToo) {
    app::MainProgram& p = startLocked();
    answerPrompt(QStringLiteral("pw"));
    p.openRequest();
    EXPECT_TRUE(p.form().isVisible());
}

TEST_F(MainProgramTest, NoTrayEventAfterTheShutdown) {
    writeIni({QStringLiteral("[APP]"), QStringLiteral("blnRunup=0")});
    app::MainProgram& p = start();
    p.shutDown();
    icon.rightClick();
    p.openRequest();
    EXPECT_FALSE(p.form().isVisible());
}

// --- decoy icons ---------------------------------------------------------------------------------

TEST_F(MainProgramTest, CancelledFileDialogChangesNothing) {
    app::MainProgram& p = start();
    chooser.answers = {std::nullopt};
    button("cmdLoad(1)")->click();
    ASSERT_EQ(chooser.asked.size(), 1u);
    EXPECT_EQ(chooser.asked[0].title, QStringLiteral("騙しアイコン(隠蔽中)"));
    EXPECT_EQ(chooser.asked[0].filter, QStringLiteral("アイコン (*.ico)"));
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(p.values().pictures[1], qtplatform::PictureStore::kConcealmentPicture);
    EXPECT_TRUE(p.values().pictureFiles[1].isEmpty());
}

TEST_F(MainProgramTest, FileWithoutAPictureGivesTheMessageAndChangesNothing) {
    testfiles::writeBytes(filePath(QStringLiteral("text.ico")), "not a picture");
    app::MainProgram& p = start();
    const qint64 before = p.form().pictureLabel(0)->pixmap().cacheKey();
    chooser.answers = {filePath(QStringLiteral("text.ico")), filePath(QStringLiteral("missing.ico"))};
    button("cmdLoad(0)")->click();
    button("cmdLoad(0)")->click();
    EXPECT_EQ(chooser.asked[0].title, QStringLiteral("騙しアイコン(隠蔽待機)"));
    ASSERT_EQ(prompter.shown.size(), 2u);
    for (const auto& shown : prompter.shown) {
        EXPECT_EQ(shown.text, QStringLiteral("アイコンファイルを正しく指定してください。"));
        EXPECT_EQ(shown.style, (core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Warning}));
        EXPECT_EQ(shown.title, QStringLiteral("ファイル指定エラー"));
    }
    EXPECT_EQ(p.values().pictures[0], qtplatform::PictureStore::kStandbyPicture);
    EXPECT_TRUE(p.values().pictureFiles[0].isEmpty());
    EXPECT_EQ(p.form().pictureLabel(0)->pixmap().cacheKey(), before);
}

TEST_F(MainProgramTest, NewDecoyShowsInTheWindowAtOnceAndInTheTrayAtTheNextChange) {
    writeIni({QStringLiteral("[APP]"), QStringLiteral("blnMute=0"), QStringLiteral("blnIE=0")});
    app::MainProgram& p = start();
    const qint64 before = p.form().pictureLabel(0)->pixmap().cacheKey();
    chooser.answers = {apptest::decoyIconFile()};
    button("cmdLoad(0)")->click();

    const core::IconHandle decoy = p.values().pictures[0];
    EXPECT_NE(decoy, qtplatform::PictureStore::kStandbyPicture);
    EXPECT_EQ(p.values().pictureFiles[0], apptest::decoyIconFile());
    EXPECT_NE(p.form().pictureLabel(0)->pixmap().cacheKey(), before);
    EXPECT_EQ(icon.shown, qtplatform::PictureStore::kStandbyPicture) << "the tray keeps its picture";
    EXPECT_EQ(icon.calls.size(), 1u);

    // A concealment and its end switch the tray to the new standby picture.
    const core::WindowHandle target = windows.open(QStringLiteral("XTerm"), QStringLiteral("t"));
    p.registry().addTargetEntry(core::formatTargetEntry(QStringLiteral("t"), target));
    p.registry().refreshTargetList();
    windows.shiftDown = true;
    p.cycle().tick();
    EXPECT_EQ(icon.shown, qtplatform::PictureStore::kConcealmentPicture);
    windows.shiftDown = false;
    p.flags().held = false;
    p.cycle().tick();
    EXPECT_EQ(icon.shown, decoy);

    p.shutDown();
    EXPECT_NE(iniBytes().find("Icon0=" + apptest::decoyIconFile().toStdString()), std::string::npos);
}

// --- about box -----------------------------------------------------------------------------------

TEST_F(MainProgramTest, AboutBoxOpensOverTheMainWindow) {
    app::MainProgram& p = start();
    bool opened = false;
    zeltest::whenModal<ui::AboutDialog>([&](ui::AboutDialog& box) {
        opened = true;
        EXPECT_EQ(box.parentWidget(), &p.form());
        EXPECT_FALSE(box.iconLabel()->pixmap().isNull());
        box.closeButton()->click();
    });
    button("cmdAbout")->click();
    EXPECT_TRUE(opened);
}

// --- the concealment cycle's timer and the picker ------------------------------------------------

TEST_F(MainProgramTest, CycleTimerTicksTheProgramsCycle) {
    writeIni({QStringLiteral("[APP]"), QStringLiteral("blnMute=0"), QStringLiteral("blnIE=0")});
    app::MainProgram& p = start();
    const QTimer& timer = p.cycleDriver().timer();
    EXPECT_EQ(timer.objectName(), QStringLiteral("tmrActive"));
    EXPECT_EQ(timer.interval(), 300);
    EXPECT_TRUE(timer.isActive());

    const core::WindowHandle target = windows.open(QStringLiteral("XTerm"), QStringLiteral("t"));
    p.registry().addTargetEntry(core::formatTargetEntry(QStringLiteral("t"), target));
    p.registry().refreshTargetList();
    windows.shiftDown = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return p.flags().held; }, 5000)) << "no tick conceals";
    EXPECT_EQ(icon.shown, qtplatform::PictureStore::kConcealmentPicture);
    p.shutDown();
}

// A drag on the reticle stops the cycle until the release, and the shut-down stops every timer
// even in the middle of a drag.
TEST_F(MainProgramTest, ReticleDragStopsTheCycleTimerUntilTheRelease) {
    app::MainProgram& p = start();
    ui::MainWindow& form = p.form();
    form.show();
    QTimer& tracking = p.picking().trackingTimer();
    EXPECT_EQ(tracking.objectName(), QStringLiteral("tmrTarget"));
    EXPECT_EQ(tracking.interval(), 100);
    EXPECT_EQ(p.picking().addTargetDialog().parentWidget(), &form);

    QTest::mousePress(form.pickerBox(), Qt::LeftButton);
    EXPECT_TRUE(tracking.isActive());
    EXPECT_FALSE(p.cycleDriver().running());
    // No window under the pointer of the fake services: the step shows window 0, and the release
    // picks nothing.
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.handleText()->text() == QStringLiteral("0"); }, 5000))
        << "no tracking step";
    QTest::mouseRelease(form.pickerBox(), Qt::LeftButton);
    EXPECT_FALSE(tracking.isActive());
    EXPECT_TRUE(p.cycleDriver().running());

    QTest::mousePress(form.pickerBox(), Qt::LeftButton);
    ASSERT_TRUE(tracking.isActive());
    p.shutDown();
    EXPECT_FALSE(tracking.isActive());
    EXPECT_FALSE(p.cycleDriver().running());
    QTest::mouseRelease(form.pickerBox(), Qt::LeftButton);
    EXPECT_FALSE(p.cycleDriver().running()) << "a drag ended after the shut-down brought the cycle back";
}

}  // namespace
