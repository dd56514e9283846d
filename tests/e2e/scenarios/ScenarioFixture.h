#pragma once

// What every scenario starts from: the headless desktop with its tray and sound server, the
// pointer in the middle of the screen, the sound on, and helpers to start the program, make the
// windows it conceals and end it.

#include <gtest/gtest.h>

#include <QDir>
#include <QString>
#include <QStringList>
#include <chrono>
#include <csignal>
#include <map>
#include <memory>
#include <vector>

#include "e2e/support/ClientPrograms.h"
#include "e2e/support/DesktopDetails.h"
#include "e2e/support/DesktopInput.h"
#include "e2e/support/DesktopView.h"
#include "e2e/support/E2eSettings.h"
#include "e2e/support/ProgramUnderTest.h"
#include "e2e/support/TrayPicture.h"

namespace e2e::scenario {

using namespace std::chrono_literals;

// Everything a scenario waits for is one or two ticks (300 ms) of the program away; the margin is
// for a loaded machine.
inline constexpr auto kTimeout = 20s;
// Long enough for three ticks: what has not happened by then does not happen without a cause.
inline constexpr auto kQuiet = 1200ms;

inline constexpr QPoint kCentre{512, 384};
// A point inside the top-left corner zone of 5 pixels.
inline constexpr QPoint kCorner{2, 3};

// The class the settings of TestSettings() conceal.
inline QString TargetClass() {
    return ClientWindow::ClassName();
}

// Sets the default sink's mute switch; true when the sound server did it.
inline bool SetSinkMute(bool muted) {
    int status = -1;
    RunTool(QStringLiteral("pactl"),
            {QStringLiteral("set-sink-mute"), QStringLiteral("@DEFAULT_SINK@"),
             muted ? QStringLiteral("1") : QStringLiteral("0")},
            &status);
    return status == 0;
}

// A picture of the whole screen in $ZEL_TEST_OUTPUT/e2e/scenarios/<name>.png.
inline QString Shot(const QString& name) {
    QDir().mkpath(OutputDir() + QStringLiteral("/scenarios"));
    return Screenshot(QStringLiteral("scenarios/") + name);
}

class ScenarioTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(view.Connected() && details.Connected()) << "no X display";
        ASSERT_NE(view.TrayerPanel(), 0u) << "no trayer";
        MovePointer(kCentre);
        ASSERT_TRUE(SetSinkMute(false)) << "no sound server";
        ASSERT_EQ(SinkMute(), QStringLiteral("no"));
    }

    void TearDown() override { MovePointer(kCentre); }

    // Starts the program and waits for its icon in the tray, with the standby picture.
    void StartDocked(ProgramUnderTest& program, std::uint32_t standbyColour = kStandbyColour) {
        ASSERT_TRUE(program.Start());
        ASSERT_NE(program.WaitForTrayIcon(view, kTimeout), 0u) << program.StandardError().toStdString();
        ASSERT_TRUE(TrayIconShows(program, view, details, standbyColour, kTimeout))
            << "the icon does not show the standby picture";
    }

    // Ends the program as a session ends it; it gives back what it holds and writes its settings.
    void EndProgram(ProgramUnderTest& program) {
        MovePointer(kCentre);
        program.Signal(SIGTERM);
        EXPECT_EQ(program.WaitForExit(kTimeout), 0) << program.StandardError().toStdString();
    }

    // An xterm of the target class; the test stops when it does not appear.
    std::unique_ptr<ClientProgram> Xterm(const QString& title,
                                         const QString& geometry = QStringLiteral("50x8+200+200")) {
        auto xterm = ClientProgram::Xterm(view, title, TargetClass(), geometry);
        EXPECT_NE(xterm->Id(), 0u) << "xterm " << title.toStdString() << " did not appear";
        return xterm;
    }

    bool AllConcealed(const std::vector<Window>& windows) {
        return CountConcealed(view, windows) == windows.size();
    }
    bool AllShown(const std::vector<Window>& windows) { return CountShown(view, windows) == windows.size(); }

    std::map<Window, Placement> PlacementsOf(const std::vector<Window>& windows) {
        std::map<Window, Placement> placements;
        for (const Window window : windows)
            placements[window] = PlacementOf(view, window);
        return placements;
    }

    // Waits until every window has its placement of `before` again, then checks each.
    void ExpectPlacedAsBefore(const std::map<Window, Placement>& before) {
        EXPECT_TRUE(WaitUntil(
            [&] {
                for (const auto& [window, placement] : before) {
                    if (PlacementOf(view, window) != placement) return false;
                }
                return true;
            },
            kTimeout))
            << "not every window came back as it was";
        for (const auto& [window, placement] : before)
            EXPECT_EQ(PlacementOf(view, window), placement) << "window " << window;
    }

    DesktopView view;
    DesktopDetails details;
};

}  // namespace e2e::scenario
