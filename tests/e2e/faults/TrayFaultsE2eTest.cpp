// The tray host going away under the running program and coming back: the program keeps running
// and concealing without it, and its icon docks again in the new tray, where a click on it works.
// This binary runs on a desktop without a tray (--no-tray): each test runs trayer itself.
#include <gtest/gtest.h>

#include <csignal>
#include <ostream>
#include <string>

#include "e2e/faults/FaultSupport.h"
#include "e2e/support/DesktopInput.h"
#include "e2e/support/DesktopParts.h"
#include "e2e/support/DesktopView.h"
#include "e2e/support/E2eSettings.h"
#include "e2e/support/ProgramUnderTest.h"

namespace {

using namespace e2e;

struct TrayEnd {
    int signalNumber;
    const char* name;
};

void PrintTo(const TrayEnd& c, std::ostream* os) {
    *os << c.name;
}

class TrayFaultsE2eTest : public FaultTest, public testing::WithParamInterface<TrayEnd> {};

TEST_P(TrayFaultsE2eTest, IconDocksAgainInTheNewTray) {
    TrayHost tray;
    ASSERT_TRUE(tray.Start()) << "trayer did not start";
    ClientWindow xterm(view, QStringLiteral("e2e-tray-fault"));
    ASSERT_NE(xterm.Id(), 0u);
    ProgramUnderTest program(TestSettings());
    ASSERT_TRUE(program.Start());
    ASSERT_NE(program.WaitForTrayIcon(view), 0u) << program.StandardError().toStdString();

    tray.End(GetParam().signalNumber);
    ASSERT_FALSE(TrayHost::Present());
    // Without a tray the program conceals (and holds) as before.
    MovePointer({0, 0});
    EXPECT_TRUE(WaitUntil([&] { return xterm.Concealed(); })) << "no concealment without a tray";
    MovePointer(kScreenCentre);
    ASSERT_TRUE(program.Running()) << program.StandardError().toStdString();

    ASSERT_TRUE(tray.Start()) << "trayer did not start again";
    ASSERT_NE(program.WaitForTrayIcon(view), 0u) << "the icon did not dock in the new tray";
    EXPECT_EQ(view.DockedIcons().size(), 1u);
    EXPECT_TRUE(xterm.Concealed()) << "the hold let go meanwhile";
    program.ClickTrayIcon(view, 1);  // the docked icon answers: the hold is released
    EXPECT_TRUE(WaitUntil([&] { return xterm.Shown(); })) << "the click on the new icon did not release";

    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(10s), 0) << program.StandardError().toStdString();
    EXPECT_EQ(view.DockedIcons().size(), 0u) << "the icon stayed in the tray";
}

INSTANTIATE_TEST_SUITE_P(Ends, TrayFaultsE2eTest,
                         testing::Values(TrayEnd{SIGTERM, "Terminated"}, TrayEnd{SIGKILL, "Killed"}),
                         [](const testing::TestParamInfo<TrayEnd>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
