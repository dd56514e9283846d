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

// The class the settings of testSettings() conceal.
inline QString targetClass() {
    return ClientWindow::className();
}

// Sets the default sink's mute switch; true when the sound server did it.
inline bool setSinkMute(bool muted) {
    int status = -1;
    runTool(QStringLiteral("pactl"),
            {QStringLiteral("set-sink-mute"), QStringLiteral("@DEFAULT_SINK@"),
             muted ? QStringLiteral("1") : QStringLiteral("0")},
            &status);
    return status == 0;
}

// A picture of the whole screen in $ZEL_TEST_OUTPUT/e2e/scenarios/<name>.png.
inline QString shot(const QString& name) {
    QDir().mkpath(outputDir() + QStringLiteral("/scenarios"));
    return screenshot(QStringLiteral("scenarios/") + name);
}

class ScenarioTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(view.connected() && details.connected()) << "no X display";
        ASSERT_NE(view.trayerPanel(), 0u) << "no trayer";
        movePointer(kCentre);
        ASSERT_TRUE(setSinkMute(false)) << "no sound server";
        ASSERT_EQ(sinkMute(), QStringLiteral("no"));
    }

    void TearDown() override { movePointer(kCentre); }

    // Starts the program and waits for its icon in the tray, with the standby picture.
    void startDocked(ProgramUnderTest& program, std::uint32_t standbyColour = kStandbyColour) {
        ASSERT_TRUE(program.start());
        ASSERT_NE(program.waitForTrayIcon(view, kTimeout), 0u) << program.standardError().toStdString();
        ASSERT_TRUE(trayIconShows(program, view, details, standbyColour, kTimeout))
            << "the icon does not show the standby picture";
    }

    // Ends the program as a session ends it; it gives back what it holds and writes its settings.
    void endProgram(ProgramUnderTest& program) {
        movePointer(kCentre);
        program.signal(SIGTERM);
        EXPECT_EQ(program.waitForExit(kTimeout), 0) << program.standardError().toStdString();
    }

    // An xterm of the target class; the test stops when it does not appear.
    std::unique_ptr<ClientProgram> openXterm(const QString& title,
                                             const QString& geometry = QStringLiteral("50x8+200+200")) {
        auto xterm = ClientProgram::xterm(view, title, targetClass(), geometry);
        EXPECT_NE(xterm->id(), 0u) << "xterm " << title.toStdString() << " did not appear";
        return xterm;
    }

    bool allConcealed(const std::vector<Window>& windows) {
        return countConcealed(view, windows) == windows.size();
    }
    bool allShown(const std::vector<Window>& windows) { return countShown(view, windows) == windows.size(); }

    std::map<Window, Placement> placementsOf(const std::vector<Window>& windows) {
        std::map<Window, Placement> placements;
        for (const Window window : windows)
            placements[window] = placementOf(view, window);
        return placements;
    }

    // Waits until every window has its placement of `before` again, then checks each.
    void expectPlacedAsBefore(const std::map<Window, Placement>& before) {
        EXPECT_TRUE(waitUntil(
            [&] {
                for (const auto& [window, placement] : before) {
                    if (placementOf(view, window) != placement) return false;
                }
                return true;
            },
            kTimeout))
            << "not every window came back as it was";
        for (const auto& [window, placement] : before)
            EXPECT_EQ(placementOf(view, window), placement) << "window " << window;
    }

    DesktopView view;
    DesktopDetails details;
};

}  // namespace e2e::scenario
