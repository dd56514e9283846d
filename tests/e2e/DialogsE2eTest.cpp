// The real program's dialogs on the headless desktop: the about box, the decoy icon's file dialog
// with a file that is no icon and with a real icon. Each dialog is pictured.
#include <gtest/gtest.h>

#include <QFile>
#include <chrono>
#include <csignal>

#include "e2e/support/DesktopInput.h"
#include "e2e/support/DesktopView.h"
#include "e2e/support/E2eSettings.h"
#include "e2e/support/MainWindowLayout.h"
#include "e2e/support/ProgramUnderTest.h"

namespace {

using namespace e2e;

class DialogsE2eTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(view.Connected()) << "no X display";
        MovePointer({512, 384});
        ASSERT_TRUE(program.Start());
        main = program.WaitForWindow(view, MainWindowTitle());
        ASSERT_NE(main, 0u);
    }

    void Click(QPoint offset) { ClickAt(view.Geometry(main).topLeft() + offset, 1); }

    // Waits for the program's window with that title, pictures it and gives it the keyboard.
    Window Dialog(const QString& title, const QString& shot) {
        const Window dialog = program.WaitForWindow(view, title);
        if (dialog == 0) return 0;
        FocusWindow(dialog);
        Screenshot(shot);
        return dialog;
    }

    // Chooses a file in the decoy icon's file dialog of the standby row.
    void ChooseStandbyIcon(const QString& path, const QString& shot) {
        Click(kCmdLoadStandby);
        ASSERT_NE(Dialog(QStringLiteral("騙しアイコン(隠蔽待機)"), shot), 0u) << "no file dialog";
        TypeText(path);
        PressKey(QStringLiteral("Return"));
    }

    DesktopView view;
    ProgramUnderTest program{TestSettings({{"APP/blnRunup", "1"}})};
    Window main = 0;
};

TEST_F(DialogsE2eTest, AboutBoxOpensAndCloses) {
    Click(kCmdAbout);
    // The about box has the main window's caption: two windows of that title while it is open.
    ASSERT_TRUE(WaitUntil([&] { return view.WindowsOf(program.Pid(), MainWindowTitle()).size() == 2; }))
        << "no about box";
    Screenshot(QStringLiteral("about-box"));
    for (const Window window : view.WindowsOf(program.Pid(), MainWindowTitle())) {
        if (window != main) FocusWindow(window);
    }
    PressKey(QStringLiteral("Escape"));
    EXPECT_TRUE(WaitUntil([&] { return view.WindowsOf(program.Pid(), MainWindowTitle()).size() == 1; }));
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(10s), 0);
}

TEST_F(DialogsE2eTest, DecoyIconFileThatIsNoIconIsRefusedAndARealOneIsKept) {
    const QString notAnIcon = program.Folder() + QStringLiteral("/notes.ico");
    QFile file(notAnIcon);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();

    ChooseStandbyIcon(notAnIcon, QStringLiteral("icon-file-dialog"));
    const Window error = Dialog(QStringLiteral("ファイル指定エラー"), QStringLiteral("icon-file-error"));
    ASSERT_NE(error, 0u) << "no message for a file that is no icon";
    PressKey(QStringLiteral("Return"));
    ASSERT_TRUE(
        WaitUntil([&] { return view.FindWindow(QStringLiteral("ファイル指定エラー"), program.Pid()) == 0; }));

    const QString decoy =
        qEnvironmentVariable("ZEL_SOURCE_DIR") + QStringLiteral("/tests/tray/data/decoy.ico");
    ChooseStandbyIcon(decoy, QStringLiteral("icon-file-dialog-decoy"));
    ASSERT_TRUE(WaitUntil(
        [&] { return view.FindWindow(QStringLiteral("騙しアイコン(隠蔽待機)"), program.Pid()) == 0; }));
    Screenshot(QStringLiteral("decoy-chosen"));
    EXPECT_EQ(view.FindWindow(QStringLiteral("ファイル指定エラー"), program.Pid()), 0u);

    program.Signal(SIGTERM);
    ASSERT_EQ(program.WaitForExit(10s), 0);
    EXPECT_EQ(program.IniValue("APP", "Icon0"), decoy);
    EXPECT_EQ(program.IniValue("APP", "Icon1"), QString());
}

}  // namespace
