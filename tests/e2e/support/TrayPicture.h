#pragma once

// What the program's tray icon shows, told by the main colour of its picture: the built-in
// standby and concealment pictures (kStandbyColour, kConcealmentColour) or a decoy of one colour
// that a test made.

#include <chrono>
#include <cstdint>

#include "e2e/support/ProgramUnderTest.h"

namespace e2e {

// The pixels of the program's docked tray icon; empty while it is not docked.
inline ScreenPixels trayIconPixels(ProgramUnderTest& program, Observer& view) {
    const Window icon = view.trayIconOf(program.pid());
    return icon == 0 ? ScreenPixels{} : view.grab(view.rootRect(icon));
}

// Waits until at least `share` of the icon's pixels are near `colour`.
inline bool trayIconShows(ProgramUnderTest& program, Observer& view, std::uint32_t colour,
                          std::chrono::milliseconds timeout = std::chrono::seconds(10), double share = 0.3) {
    return waitUntil([&] { return trayIconPixels(program, view).shareNear(colour) >= share; }, timeout);
}

}  // namespace e2e
