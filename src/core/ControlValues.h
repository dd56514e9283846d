#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "core/TrayIcon.h"

namespace core {

// The values of the main window's controls that the logic reads, and the variables that the
// controls' handlers keep in step with them. The form writes them; the concealment cycle, the tray
// handler and start-up/shut-down read them. A test sets them directly.
struct ControlValues {
    // Check box values: 0 clear, 1 ticked, 2 greyed.
    int shiftBox = 0;        // "シフトキー": Shift is a trigger
    int scrollLockBox = 0;   // "ScrollLock": ScrollLock is a trigger
    int holdMouseBox = 0;    // "マウス" in "トリガ": a mouse-zone trigger holds the concealment
    int holdKeyBox = 0;      // "シフト" in "トリガ": a Shift trigger holds the concealment
    int discoverBox = 0;     // "自動隠し": discover windows of the listed classes before concealing
    int muteBox = 0;         // "ミュート": mute the speakers at concealment
    int muteRestoreBox = 0;  // "自動復帰": put the former mute state back at restore
    bool muteRestoreEnabled = false;
    int lockBox = 0;  // "ロック": the tray actions ask for the password
    bool lockEnabled = false;
    int showAtStartBox = 0;            // "起動時画面表示": show the main window at start-up
    std::array<int, 8> zoneToggles{};  // zone toggles, index order of the panel (see zone tables)

    // Kept in step by the trigger panel's handlers.
    std::uint32_t zoneMask = 0;      // zone codes that trigger; 0: the pointer is not watched
    std::int32_t zoneThickness = 0;  // zone thickness in pixels
    bool shiftMode = false;
    bool scrollLockMode = false;

    // The current standby (0) and concealment (1) pictures, and their decoy files ("" = built-in).
    std::array<IconHandle, 2> pictures{};
    std::array<QString, 2> pictureFiles;

    // Digest of the lock password; empty when none is set.
    QString passwordDigest;
};

}  // namespace core
