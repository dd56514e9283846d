#pragma once

// What every scenario starts from: the headless desktop with its tray and sound server, the
// pointer in the middle of the screen, the sound on, and helpers to start the program, make the
// windows it conceals and end it.

#include <gtest/gtest.h>

#include <QDir>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <map>
#include <memory>
#include <vector>

#include "e2e/support/E2eSettings.h"
#include "e2e/support/ProgramUnderTest.h"
#include "e2e/support/TrayPicture.h"
#include "support/desktop/Clients.h"
#include "support/desktop/Observer.h"

namespace e2e::scenario {

using namespace std::chrono_literals;

// Everything a scenario waits for is one or two ticks (300 ms) of the program away; the margin is
// for a loaded machine.
inline constexpr auto kTimeout = 20s;
// Long enough for three ticks: what has not happened by then does not happen without a cause.
// The program's tick shows nothing on the desktop when it changes nothing, so a check that
// something does not happen watches the X events of the windows concerned for this long; it
// sees every map and unmap, also one undone at once.
inline constexpr auto kQuiet = 1200ms;

inline constexpr QPoint kCentre{512, 384};
// A point inside the top-left corner zone of 5 pixels.
inline constexpr QPoint kCorner{2, 3};

// The class the settings of testSettings() conceal.
inline QString targetClass() {
    return ClientWindow::className();
}

// A picture of the whole screen in $ZEL_TEST_OUTPUT/e2e/scenarios/<name>.png.
inline QString shot(const QString& name) {
    return screenshot(QStringLiteral("scenarios/") + name);
}

class ScenarioTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(view.connected()) << "no X display";
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
        ASSERT_TRUE(trayIconShows(program, view, standbyColour, kTimeout))
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

    // Watches the windows' StructureNotify events from now on (see mappedMeanwhile).
    void watch(const std::vector<Window>& windows) {
        for (const Window window : windows)
            view.watch(window);
    }
    // Whether one of the watched windows was mapped since watch() or within the next kQuiet.
    bool mappedMeanwhile(const std::vector<Window>& windows) {
        return view.waitForEvent(
            0,
            [&](const Event& e) { return isMapNotify(e) && std::ranges::count(windows, eventWindow(e)) > 0; },
            kQuiet);
    }
    // Whether a window titled `title` of the program came up on the screen since the root was
    // watched (SubstructureNotify) or within the next kQuiet. The window manager maps a frame
    // (a child of the root) once the client in it is mapped, so each frame's MapNotify is a moment
    // to look; the last look is at the end.
    bool windowCameMeanwhile(const ProgramUnderTest& program, const QString& title, std::size_t before) {
        const auto count = [&] { return view.windowsOf(program.pid(), title).size(); };
        return view.waitForEvent(
                   0, [&](const Event& e) { return isMapNotify(e) && count() > before; }, kQuiet) ||
               count() > before;
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

    // The placements once the window manager has stopped changing them: no ConfigureNotify of any
    // of the windows for kQuiet. The icon docking in the tray may widen the tray's panel and its
    // reserved strip of the screen, and the window manager then fits maximised windows into the
    // smaller work area.
    std::map<Window, Placement> settledPlacementsOf(const std::vector<Window>& windows) {
        watch(windows);
        const auto isConfigureOfOne = [&](const Event& e) {
            return eventType(e) == XCB_CONFIGURE_NOTIFY && std::ranges::count(windows, eventWindow(e)) > 0;
        };
        const auto deadline = std::chrono::steady_clock::now() + kTimeout;
        while (view.waitForEvent(0, isConfigureOfOne, kQuiet) &&
               std::chrono::steady_clock::now() < deadline) {
        }
        return placementsOf(windows);
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

    Observer view;
};

}  // namespace e2e::scenario
