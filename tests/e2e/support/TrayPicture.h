#pragma once

// What the program's tray icon shows, told by the main colour of its picture: the built-in
// standby and concealment pictures (drawn by resources/icons/make-icons.sh) or a decoy of one
// colour that a test made.

#include <chrono>
#include <cstdint>

#include "e2e/support/DesktopDetails.h"
#include "e2e/support/DesktopInput.h"
#include "e2e/support/DesktopView.h"
#include "e2e/support/ProgramUnderTest.h"

namespace e2e {

inline constexpr std::uint32_t kStandbyColour = 0x1f8a8a;      // teal behind the open eye
inline constexpr std::uint32_t kConcealmentColour = 0x4a5568;  // slate behind the shut eye

// The pixels of the program's docked tray icon; empty while it is not docked.
inline ScreenPixels trayIconPixels(ProgramUnderTest& program, DesktopView& view, DesktopDetails& details) {
    const Window icon = view.trayIconOf(program.pid());
    return icon == 0 ? ScreenPixels{} : details.grab(view.geometry(icon));
}

// Waits until at least `share` of the icon's pixels are near `colour`.
inline bool trayIconShows(ProgramUnderTest& program, DesktopView& view, DesktopDetails& details,
                          std::uint32_t colour, std::chrono::milliseconds timeout = std::chrono::seconds(10),
                          double share = 0.3) {
    return waitUntil([&] { return trayIconPixels(program, view, details).shareNear(colour) >= share; },
                     timeout);
}

}  // namespace e2e
