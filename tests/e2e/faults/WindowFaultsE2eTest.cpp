// Faults around the windows the program conceals: the program killed with SIGKILL while it holds
// windows concealed (the X server's save-set gives them back), target windows that fight being
// hidden (one maps itself again, one destroys itself, one is override-redirect), and the X server
// going away while windows are concealed.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <csignal>
#include <optional>
#include <ostream>
#include <string>

#include "e2e/faults/FaultSupport.h"
#include "e2e/support/DesktopInput.h"
#include "e2e/support/DesktopParts.h"
#include "e2e/support/DesktopView.h"
#include "e2e/support/E2eSettings.h"
#include "e2e/support/HeldInput.h"
#include "e2e/support/MainWindowLayout.h"
#include "e2e/support/ProgramUnderTest.h"

namespace {

using namespace e2e;
using Mode = StubbornWindow::Mode;

const QString kStubbornClass = QStringLiteral("ZelStubborn");
constexpr QRect kStubbornPlace{420, 320, 240, 160};

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

using WindowFaultsE2eTest = FaultTest;

TEST_F(WindowFaultsE2eTest, KilledWhileConcealedTheServerGivesEveryWindowBack) {
    ClientWindow normal(view, QStringLiteral("e2e-kill-normal"));
    ClientWindow iconic(view, QStringLiteral("e2e-kill-iconic"));
    StubbornWindow own(view, Mode::kPlain, ClientWindow::ClassName(), QStringLiteral("e2e-kill-own"),
                       kStubbornPlace);
    ASSERT_NE(normal.Id(), 0u);
    ASSERT_NE(iconic.Id(), 0u);
    ASSERT_NE(own.Id(), 0u);
    RunTool(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), QString::number(iconic.Id())});
    ASSERT_TRUE(WaitUntil([&] { return !view.Viewable(iconic.Id()) && view.Listed(iconic.Id()); }))
        << "the xterm was not minimised";

    ProgramUnderTest program(TestSettings());
    const QByteArray settingsBefore = FileBytes(program.IniPath());
    ASSERT_TRUE(program.Start());
    ASSERT_NE(program.WaitForTrayIcon(view), 0u) << program.StandardError().toStdString();
    MovePointer({0, 0});
    ASSERT_TRUE(WaitUntil([&] { return normal.Concealed() && iconic.Concealed() && own.Hidden(); }))
        << "the corner did not conceal all three";
    MovePointer(kScreenCentre);

    program.Signal(SIGKILL);
    EXPECT_FALSE(program.WaitForExit(10s).has_value()) << "the program ended normally after SIGKILL";
    EXPECT_FALSE(program.Running());

    // Mapped again by the server and managed again by the window manager.
    EXPECT_TRUE(WaitUntil([&] { return normal.Shown(); })) << "the normal xterm stayed hidden";
    EXPECT_TRUE(WaitUntil([&] { return iconic.Shown(); })) << "the minimised xterm stayed hidden";
    EXPECT_TRUE(WaitUntil([&] { return own.Shown(); })) << "the client window stayed hidden";
    EXPECT_EQ(FileBytes(program.IniPath()), settingsBefore) << "a killed program writes nothing";
}

struct StubbornCase {
    Mode mode;
    // Becomes a target by a drag of the picker onto it, not by its class: a window that no window
    // manager manages is in no window manager's list, which the discovery by class may go by.
    bool picked;
    const char* name;
};

void PrintTo(const StubbornCase& c, std::ostream* os) {
    *os << c.name;
}

class StubbornWindowE2eTest : public FaultTest, public testing::WithParamInterface<StubbornCase> {
protected:
    // What the program's concealment leaves of the stubborn window: the remapper is back on the
    // screen, the destroyer gone, the override-redirect window unmapped.
    bool AfterConcealment(StubbornWindow& window, int concealments) {
        switch (GetParam().mode) {
            case Mode::kRemap:
                return window.Said(QStringLiteral("remapped")) >= concealments && window.Shown();
            case Mode::kDestroy:
                return window.Ended() && view.Geometry(window.Id()).isEmpty();
            case Mode::kOverride:
            case Mode::kPlain:
                return !view.Viewable(window.Id());
        }
        return false;
    }

    // After a restore: everything that still exists is back where it was.
    bool Restored(StubbornWindow& window, const QRect& place) {
        if (GetParam().mode == Mode::kDestroy) return view.Geometry(window.Id()).isEmpty();
        return window.Shown() && view.Geometry(window.Id()) == place;
    }

    // A drag from the reticle onto the window, released once the picker has framed it, and "this
    // window alone" in the add confirmation.
    void Pick(ProgramUnderTest& program, const QRect& place) {
        const Window main = program.WaitForWindow(view, MainWindowTitle());
        ASSERT_NE(main, 0u);
        MovePointer(view.Geometry(main).topLeft() + kPicTarget);
        PressButton(1);
        MovePointer(kScreenCentre);
        MovePointer(place.center());
        const QRect topBar(place.topLeft(), QSize(place.width(), 5));
        const bool framed = WaitUntil([&] {
            for (const Window w : view.AllWindows()) {
                if (view.Geometry(w) == topBar && view.Viewable(w)) return true;
            }
            return false;
        });
        ReleaseButton(1);
        ASSERT_TRUE(framed) << "the picker did not frame the window";
        const QString confirmation = QStringLiteral("追加方法の確認");
        const Window question = program.WaitForWindow(view, confirmation);
        ASSERT_NE(question, 0u) << "no add confirmation";
        FocusWindow(question);
        PressKey(QStringLiteral("Return"));  // "指定ウィンドウのみ": this window alone
        ASSERT_TRUE(WaitUntil([&] { return view.FindWindow(confirmation, program.Pid()) == 0; }));
        MovePointer(kScreenCentre);
    }
};

// The concealment holds (hold after a corner trigger) until the tray icon is clicked; the window
// that fights is concealed along with an ordinary xterm, twice, and the program ends on SIGTERM
// while concealed.
TEST_P(StubbornWindowE2eTest, ProgramStaysSaneAndNothingStaysHidden) {
    const StubbornCase& c = GetParam();
    ClientWindow xterm(view, QStringLiteral("e2e-beside-stubborn"));
    // Clear of the main window, which the picker needs on the screen.
    const QRect place = c.picked ? QRect(700, 480, 240, 160) : kStubbornPlace;
    StubbornWindow stubborn(view, c.mode, kStubbornClass, QStringLiteral("e2e-stubborn"), place);
    ASSERT_NE(xterm.Id(), 0u);
    ASSERT_NE(stubborn.Id(), 0u);
    const QRect xtermPlace = view.Geometry(xterm.Id());
    const QRect stubbornPlace = view.Geometry(stubborn.Id());
    const QString classes =
        c.picked ? ClientWindow::ClassName() : ClientWindow::ClassName() + u',' + kStubbornClass;
    ProgramUnderTest program(
        TestSettings({{"APP/WinClasses", classes}, {"APP/blnRunup", c.picked ? "1" : "0"}}));
    ASSERT_TRUE(program.Start());
    ASSERT_NE(program.WaitForTrayIcon(view), 0u) << program.StandardError().toStdString();
    if (c.picked) Pick(program, stubbornPlace);

    MovePointer({0, 0});
    ASSERT_TRUE(WaitUntil([&] { return xterm.Concealed(); })) << "the corner did not conceal";
    EXPECT_TRUE(WaitUntil([&] { return AfterConcealment(stubborn, 1); }));
    MovePointer(kScreenCentre);
    ASSERT_TRUE(program.Running()) << program.StandardError().toStdString();
    if (c.mode == Mode::kRemap) {
        EXPECT_EQ(view.Geometry(stubborn.Id()), stubbornPlace) << "the window that came back moved";
    }

    program.ClickTrayIcon(view, 1);  // releases the hold
    EXPECT_TRUE(WaitUntil([&] { return xterm.Shown(); })) << "the release did not restore";
    EXPECT_EQ(view.Geometry(xterm.Id()), xtermPlace);
    EXPECT_TRUE(WaitUntil([&] { return Restored(stubborn, stubbornPlace); }));

    // A second round: the cycle works on, the destroyed window's entry is dropped.
    MovePointer({0, 0});
    ASSERT_TRUE(WaitUntil([&] { return xterm.Concealed(); })) << "no second concealment";
    EXPECT_TRUE(WaitUntil([&] { return AfterConcealment(stubborn, 2); }));
    MovePointer(kScreenCentre);

    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(10s), 0) << program.StandardError().toStdString();
    EXPECT_TRUE(WaitUntil([&] { return xterm.Shown(); })) << "the xterm stayed hidden after the end";
    EXPECT_EQ(view.Geometry(xterm.Id()), xtermPlace) << "the xterm came back elsewhere";
    EXPECT_TRUE(WaitUntil([&] { return Restored(stubborn, stubbornPlace); }))
        << "the stubborn window after the end";
    EXPECT_EQ(program.IniValue("APP", "WinClasses"), classes);
}

INSTANTIATE_TEST_SUITE_P(Windows, StubbornWindowE2eTest,
                         testing::Values(StubbornCase{Mode::kRemap, false, "MapsItselfAgain"},
                                         StubbornCase{Mode::kDestroy, false, "DestroysItself"},
                                         StubbornCase{Mode::kOverride, true, "OverrideRedirect"}),
                         [](const testing::TestParamInfo<StubbornCase>& param) {
                             return std::string(param.param.name);
                         });

struct ServerEnd {
    int signalNumber;
    const char* name;
};

void PrintTo(const ServerEnd& c, std::ostream* os) {
    *os << c.name;
}

class LostServerE2eTest : public FaultTest, public testing::WithParamInterface<ServerEnd> {};

// The pointer is moved on the private display, not on the test's own.
void MovePointerOn(const PrivateDesktop& desktop, QPoint position) {
    QProcess xdotool;
    xdotool.setProcessEnvironment(desktop.Environment());
    xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--"),
                                              QString::number(position.x()), QString::number(position.y())});
    xdotool.waitForFinished(10000);
}

TEST_P(LostServerE2eTest, EndsWithItsSettingsWrittenWhileWindowsAreConcealed) {
    PrivateDesktop desktop;
    ASSERT_TRUE(desktop.Ready());
    DesktopView privateView(desktop.Name().toLatin1().constData());
    ASSERT_TRUE(privateView.Connected());
    StubbornWindow target(privateView, Mode::kPlain, ClientWindow::ClassName(),
                          QStringLiteral("e2e-lost-server"), kStubbornPlace, desktop.Environment());
    ASSERT_NE(target.Id(), 0u) << target.Diagnostics() << " on " << desktop.Name().toStdString() << ", "
                               << privateView.FindWindow(QStringLiteral("e2e-lost-server"), 0, false);
    ProgramUnderTest program(TestSettings({{"APP/blnRunup", "1"}, {"MOUSE/lngPixels", "7"}}));
    ASSERT_TRUE(program.Start(desktop.Environment()));
    ASSERT_TRUE(WaitUntil([&] { return privateView.FindWindow(MainWindowTitle(), program.Pid()) != 0; }))
        << "the program did not start on the private display";
    MovePointerOn(desktop, {0, 0});
    ASSERT_TRUE(WaitUntil([&] { return target.Hidden(); })) << "the corner did not conceal";

    desktop.EndServer(GetParam().signalNumber);
    const std::optional<int> exitCode = program.WaitForExit(20s);
    ASSERT_TRUE(exitCode.has_value()) << "the program hung or crashed";
    EXPECT_EQ(*exitCode, 1);
    // The program's own message, or Qt's when Qt's connection noticed the loss first.
    const QString said = program.StandardError();
    EXPECT_TRUE(said.contains(QStringLiteral("X server")) || said.contains(QStringLiteral("X11 server")))
        << said.toStdString();
    EXPECT_EQ(program.IniSections().join(u','), QStringLiteral("APP,MOUSE,KEY,LOCK"));
    EXPECT_EQ(program.IniText().count(QLatin1Char('=')), 17) << "all the settings were written";
    EXPECT_EQ(program.IniValue("MOUSE", "lngPixels"), QStringLiteral("7"));
}

INSTANTIATE_TEST_SUITE_P(Ends, LostServerE2eTest,
                         testing::Values(ServerEnd{SIGTERM, "Terminated"}, ServerEnd{SIGKILL, "Killed"}),
                         [](const testing::TestParamInfo<ServerEnd>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
