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
#include "e2e/support/E2eSettings.h"
#include "e2e/support/MainWindowLayout.h"
#include "e2e/support/ProgramUnderTest.h"
#include "support/desktop/Clients.h"
#include "support/desktop/Input.h"
#include "support/desktop/Observer.h"
#include "support/desktop/Parts.h"

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
    StubbornWindow own(view, Mode::kPlain, ClientWindow::className(), QStringLiteral("e2e-kill-own"),
                       kStubbornPlace);
    ASSERT_NE(normal.id(), 0u);
    ASSERT_NE(iconic.id(), 0u);
    ASSERT_NE(own.id(), 0u);
    ASSERT_TRUE(minimise(view, iconic.id())) << "the xterm was not minimised";

    ProgramUnderTest program(testSettings());
    const QByteArray settingsBefore = FileBytes(program.iniPath());
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForTrayIcon(view), 0u) << program.standardError().toStdString();
    movePointer({0, 0});
    ASSERT_TRUE(waitUntil([&] { return normal.concealed() && iconic.concealed() && own.hidden(); }))
        << "the corner did not conceal all three";
    movePointer(kScreenCentre);

    program.signal(SIGKILL);
    EXPECT_FALSE(program.waitForExit(10s).has_value()) << "the program ended normally after SIGKILL";
    EXPECT_FALSE(program.running());

    // Mapped again by the server and managed again by the window manager.
    EXPECT_TRUE(waitUntil([&] { return normal.Shown(); })) << "the normal xterm stayed hidden";
    EXPECT_TRUE(waitUntil([&] { return iconic.Shown(); })) << "the minimised xterm stayed hidden";
    EXPECT_TRUE(waitUntil([&] { return own.Shown(); })) << "the client window stayed hidden";
    EXPECT_EQ(FileBytes(program.iniPath()), settingsBefore) << "a killed program writes nothing";
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
    bool afterConcealment(StubbornWindow& window, int concealments) {
        switch (GetParam().mode) {
            case Mode::kRemap:
                return window.said(QStringLiteral("remapped")) >= concealments && window.Shown();
            case Mode::kDestroy:
                return window.ended() && view.rootRect(window.id()).isEmpty();
            case Mode::kOverride:
            case Mode::kPlain:
                return !view.viewable(window.id());
        }
        return false;
    }

    // After a restore: everything that still exists is back where it was.
    bool restored(StubbornWindow& window, const QRect& place) {
        if (GetParam().mode == Mode::kDestroy) return view.rootRect(window.id()).isEmpty();
        return window.Shown() && view.rootRect(window.id()) == place;
    }

    // A drag from the reticle onto the window, released once the picker has framed it, and "this
    // window alone" in the add confirmation.
    void pick(ProgramUnderTest& program, const QRect& place) {
        const Window main = program.waitForWindow(view, mainWindowTitle());
        ASSERT_NE(main, 0u);
        movePointer(view.rootRect(main).topLeft() + kPicTarget);
        pressButton(1);
        movePointer(kScreenCentre);
        movePointer(place.center());
        const QRect topBar(place.topLeft(), QSize(place.width(), 5));
        const bool framed = waitUntil([&] {
            for (const Window w : view.allWindows()) {
                if (view.rootRect(w) == topBar && view.viewable(w)) return true;
            }
            return false;
        });
        releaseButton(1);
        ASSERT_TRUE(framed) << "the picker did not frame the window";
        const QString confirmation = QStringLiteral("追加方法の確認");
        const Window question = program.waitForWindow(view, confirmation);
        ASSERT_NE(question, 0u) << "no add confirmation";
        focusWindow(question);
        pressKey(QStringLiteral("Return"));  // "指定ウィンドウのみ": this window alone
        ASSERT_TRUE(waitUntil([&] { return view.findWindow(confirmation, program.pid()) == 0; }));
        movePointer(kScreenCentre);
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
    ASSERT_NE(xterm.id(), 0u);
    ASSERT_NE(stubborn.id(), 0u);
    const QRect xtermPlace = view.rootRect(xterm.id());
    const QRect stubbornPlace = view.rootRect(stubborn.id());
    const QString classes =
        c.picked ? ClientWindow::className() : ClientWindow::className() + u',' + kStubbornClass;
    ProgramUnderTest program(
        testSettings({{"APP/WinClasses", classes}, {"APP/blnRunup", c.picked ? "1" : "0"}}));
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForTrayIcon(view), 0u) << program.standardError().toStdString();
    if (c.picked) pick(program, stubbornPlace);

    movePointer({0, 0});
    ASSERT_TRUE(waitUntil([&] { return xterm.concealed(); })) << "the corner did not conceal";
    EXPECT_TRUE(waitUntil([&] { return afterConcealment(stubborn, 1); }));
    movePointer(kScreenCentre);
    ASSERT_TRUE(program.running()) << program.standardError().toStdString();
    if (c.mode == Mode::kRemap) {
        EXPECT_EQ(view.rootRect(stubborn.id()), stubbornPlace) << "the window that came back moved";
    }

    program.clickTrayIcon(view, 1);  // releases the hold
    EXPECT_TRUE(waitUntil([&] { return xterm.Shown(); })) << "the release did not restore";
    EXPECT_EQ(view.rootRect(xterm.id()), xtermPlace);
    EXPECT_TRUE(waitUntil([&] { return restored(stubborn, stubbornPlace); }));

    // A second round: the cycle works on, the destroyed window's entry is dropped.
    movePointer({0, 0});
    ASSERT_TRUE(waitUntil([&] { return xterm.concealed(); })) << "no second concealment";
    EXPECT_TRUE(waitUntil([&] { return afterConcealment(stubborn, 2); }));
    movePointer(kScreenCentre);

    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(10s), 0) << program.standardError().toStdString();
    EXPECT_TRUE(waitUntil([&] { return xterm.Shown(); })) << "the xterm stayed hidden after the end";
    EXPECT_EQ(view.rootRect(xterm.id()), xtermPlace) << "the xterm came back elsewhere";
    EXPECT_TRUE(waitUntil([&] { return restored(stubborn, stubbornPlace); }))
        << "the stubborn window after the end";
    EXPECT_EQ(program.iniValue("APP", "WinClasses"), classes);
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
void movePointerOn(const PrivateDesktop& desktop, QPoint position) {
    Observer view(desktop.name().toLatin1().constData());
    movePointer(view, position);
}

TEST_P(LostServerE2eTest, EndsWithItsSettingsWrittenWhileWindowsAreConcealed) {
    PrivateDesktop desktop;
    ASSERT_TRUE(desktop.ready());
    Observer privateView(desktop.name().toLatin1().constData());
    ASSERT_TRUE(privateView.connected());
    StubbornWindow target(privateView, Mode::kPlain, ClientWindow::className(),
                          QStringLiteral("e2e-lost-server"), kStubbornPlace, desktop.environment());
    ASSERT_NE(target.id(), 0u) << target.diagnostics() << " on " << desktop.name().toStdString() << ", "
                               << privateView.findWindow(QStringLiteral("e2e-lost-server"), 0, false);
    ProgramUnderTest program(testSettings({{"APP/blnRunup", "1"}, {"MOUSE/lngPixels", "7"}}));
    ASSERT_TRUE(program.start(desktop.environment()));
    ASSERT_TRUE(waitUntil([&] { return privateView.findWindow(mainWindowTitle(), program.pid()) != 0; }))
        << "the program did not start on the private display";
    movePointerOn(desktop, {0, 0});
    ASSERT_TRUE(waitUntil([&] { return target.hidden(); })) << "the corner did not conceal";

    desktop.endServer(GetParam().signalNumber);
    const std::optional<int> exitCode = program.waitForExit(20s);
    ASSERT_TRUE(exitCode.has_value()) << "the program hung or crashed";
    EXPECT_EQ(*exitCode, 1);
    // The program's own message, or Qt's when Qt's connection noticed the loss first.
    const QString said = program.standardError();
    EXPECT_TRUE(said.contains(QStringLiteral("X server")) || said.contains(QStringLiteral("X11 server")))
        << said.toStdString();
    EXPECT_EQ(program.iniSections().join(u','), QStringLiteral("APP,MOUSE,KEY,LOCK"));
    EXPECT_EQ(program.iniText().count(QLatin1Char('=')), 17) << "all the settings were written";
    EXPECT_EQ(program.iniValue("MOUSE", "lngPixels"), QStringLiteral("7"));
}

INSTANTIATE_TEST_SUITE_P(Ends, LostServerE2eTest,
                         testing::Values(ServerEnd{SIGTERM, "Terminated"}, ServerEnd{SIGKILL, "Killed"}),
                         [](const testing::TestParamInfo<ServerEnd>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
