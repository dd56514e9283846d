// The tray host going away under the running program and coming back: the program keeps running
// and concealing without it, and its icon docks again in the new tray, where a click on it works.
// This binary runs on a desktop without a tray (--no-tray): each test runs trayer itself.
#include <gtest/gtest.h>

#include <csignal>
#include <ostream>
#include <string>

#include "e2e/faults/FaultSupport.h"
#include "e2e/support/E2eSettings.h"
#include "e2e/support/ProgramUnderTest.h"
#include "support/desktop/Observer.h"
#include "support/desktop/Parts.h"

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
    ASSERT_TRUE(tray.start()) << "trayer did not start";
    ClientWindow xterm(view, QStringLiteral("e2e-tray-fault"));
    ASSERT_NE(xterm.id(), 0u);
    ProgramUnderTest program(testSettings());
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForTrayIcon(view), 0u) << program.standardError().toStdString();

    tray.end(GetParam().signalNumber);
    ASSERT_FALSE(view.trayHostPresent());
    // Without a tray the program conceals (and holds) as before.
    movePointer({0, 0});
    EXPECT_TRUE(waitUntil([&] { return xterm.concealed(); })) << "no concealment without a tray";
    movePointer(kScreenCentre);
    ASSERT_TRUE(program.running()) << program.standardError().toStdString();

    ASSERT_TRUE(tray.start()) << "trayer did not start again";
    ASSERT_NE(program.waitForTrayIcon(view), 0u) << "the icon did not dock in the new tray";
    EXPECT_EQ(view.dockedIcons().size(), 1u);
    EXPECT_TRUE(xterm.concealed()) << "the hold let go meanwhile";
    program.clickTrayIcon(view, 1);  // the docked icon answers: the hold is released
    EXPECT_TRUE(waitUntil([&] { return xterm.Shown(); })) << "the click on the new icon did not release";

    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(10s), 0) << program.standardError().toStdString();
    EXPECT_EQ(view.dockedIcons().size(), 0u) << "the icon stayed in the tray";
}

INSTANTIATE_TEST_SUITE_P(Ends, TrayFaultsE2eTest,
                         testing::Values(TrayEnd{SIGTERM, "Terminated"}, TrayEnd{SIGKILL, "Killed"}),
                         [](const testing::TestParamInfo<TrayEnd>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
