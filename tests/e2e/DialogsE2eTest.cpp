// The real program's dialogs on the headless desktop: the about box, the decoy icon's file dialog
// with a file that is no icon and with a real icon. Each dialog is pictured.
#include <gtest/gtest.h>

#include <QFile>
#include <chrono>
#include <csignal>

#include "e2e/support/E2eSettings.h"
#include "e2e/support/MainWindowLayout.h"
#include "e2e/support/ProgramUnderTest.h"
#include "support/desktop/Observer.h"

namespace {

using namespace e2e;

class DialogsE2eTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(view.connected()) << "no X display";
        movePointer({512, 384});
        ASSERT_TRUE(program.start());
        main = program.waitForWindow(view, mainWindowTitle());
        ASSERT_NE(main, 0u);
    }

    void click(QPoint offset) { clickAt(view.rootRect(main).topLeft() + offset, 1); }

    // Waits for the program's window with that title, pictures it and gives it the keyboard.
    Window dialog(const QString& title, const QString& shot) {
        const Window dialog = program.waitForWindow(view, title);
        if (dialog == 0) return 0;
        focusWindow(dialog);
        screenshot(shot);
        return dialog;
    }

    // Chooses a file in the decoy icon's file dialog of the standby row.
    void chooseStandbyIcon(const QString& path, const QString& shot) {
        click(kCmdLoadStandby);
        ASSERT_NE(dialog(QStringLiteral("騙しアイコン(隠蔽待機)"), shot), 0u) << "no file dialog";
        typeText(path);
        pressKey(QStringLiteral("Return"));
    }

    Observer view;
    ProgramUnderTest program{testSettings({{"APP/blnRunup", "1"}})};
    Window main = 0;
};

TEST_F(DialogsE2eTest, AboutBoxOpensAndCloses) {
    click(kCmdAbout);
    // The about box has the main window's caption: two windows of that title while it is open.
    ASSERT_TRUE(waitUntil([&] { return view.windowsOf(program.pid(), mainWindowTitle()).size() == 2; }))
        << "no about box";
    screenshot(QStringLiteral("about-box"));
    for (const Window window : view.windowsOf(program.pid(), mainWindowTitle())) {
        if (window != main) focusWindow(window);
    }
    pressKey(QStringLiteral("Escape"));
    EXPECT_TRUE(waitUntil([&] { return view.windowsOf(program.pid(), mainWindowTitle()).size() == 1; }));
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(10s), 0);
}

TEST_F(DialogsE2eTest, DecoyIconFileThatIsNoIconIsRefusedAndARealOneIsKept) {
    const QString notAnIcon = program.folder() + QStringLiteral("/notes.ico");
    QFile file(notAnIcon);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();

    chooseStandbyIcon(notAnIcon, QStringLiteral("icon-file-dialog"));
    const Window error = dialog(QStringLiteral("ファイル指定エラー"), QStringLiteral("icon-file-error"));
    ASSERT_NE(error, 0u) << "no message for a file that is no icon";
    pressKey(QStringLiteral("Return"));
    ASSERT_TRUE(
        waitUntil([&] { return view.findWindow(QStringLiteral("ファイル指定エラー"), program.pid()) == 0; }));

    const QString decoy =
        qEnvironmentVariable("ZEL_SOURCE_DIR") + QStringLiteral("/tests/tray/data/decoy.ico");
    chooseStandbyIcon(decoy, QStringLiteral("icon-file-dialog-decoy"));
    ASSERT_TRUE(waitUntil(
        [&] { return view.findWindow(QStringLiteral("騙しアイコン(隠蔽待機)"), program.pid()) == 0; }));
    screenshot(QStringLiteral("decoy-chosen"));
    EXPECT_EQ(view.findWindow(QStringLiteral("ファイル指定エラー"), program.pid()), 0u);

    program.signal(SIGTERM);
    ASSERT_EQ(program.waitForExit(10s), 0);
    EXPECT_EQ(program.iniValue("APP", "Icon0"), decoy);
    EXPECT_EQ(program.iniValue("APP", "Icon1"), QString());
}

}  // namespace
