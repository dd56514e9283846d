#pragma once

#include <cstdint>

#include "core/ControlValues.h"
#include "core/CycleFlags.h"
#include "core/MuteSwitch.h"
#include "core/TargetRegistry.h"
#include "core/TrayIcon.h"
#include "core/WindowServices.h"

namespace core {

// Zone codes: corners and edges of the primary screen.
inline constexpr std::uint32_t kZoneTopLeft = 1;
inline constexpr std::uint32_t kZoneTopRight = 2;
inline constexpr std::uint32_t kZoneBottomLeft = 4;
inline constexpr std::uint32_t kZoneBottomRight = 8;
inline constexpr std::uint32_t kZoneLeft = 16;
inline constexpr std::uint32_t kZoneTop = 32;
inline constexpr std::uint32_t kZoneRight = 64;
inline constexpr std::uint32_t kZoneBottom = 128;

// The zone code of a pointer position on a screen of the given size with zones `pixels` thick; 0 in
// the inner area. The column is decided first (left before right), then the row (top before
// bottom); the boundary values belong to the outer zones, and positions off the screen fall into
// the outer column or row.
std::uint32_t zoneCode(Point pointer, Size screen, std::int32_t pixels);

// True when every bit of `bits` is set in `value`.
bool bitTest(const std::uint32_t& value, const std::uint32_t& bits);

// The concealment cycle: at each tick, reads the triggers and conceals or restores the targets.
// The program calls tick when a trigger input may have changed, and on a tick while it waits for
// targets (waitingForTargets); pausing the cycle (during a drag of the picker) is not calling it.
class ConcealmentCycle {
public:
    ConcealmentCycle(WindowServices& services, TargetRegistry& registry, const ControlValues& controls,
                     CycleFlags& flags, MuteSwitch& mute, TrayIcon& icon);
    ConcealmentCycle(const ConcealmentCycle&) = delete;
    ConcealmentCycle& operator=(const ConcealmentCycle&) = delete;

    // Reads the triggers and conceals or restores: the same decision whenever it is made.
    void tick();
    // At the last tick a trigger was on but nothing could be concealed (no target found yet): the
    // next tick tries again, whether any input changes or not.
    bool waitingForTargets() const { return waitingForTargets_; }

    // The tray icon's left click releases a held concealment.
    void releaseLatch() { flags_.held = false; }

    // At shut-down: the windows concealed at this moment get their saved placement back. Windows
    // shown again earlier are left where they are now. The sound that this concealment muted gets
    // its former state back when "自動復帰" is ticked, as at a release. Icon and flags stay.
    void restoreAllForShutdown();

private:
    bool readTriggers();
    void conceal();
    void restore();
    // Puts back the mute state saved by this concealment, where "ミュート" and "自動復帰" ask for it.
    void putMuteBack();
    void showIcon(int state);

    WindowServices& services_;
    TargetRegistry& registry_;
    const ControlValues& controls_;
    CycleFlags& flags_;
    MuteSwitch& mute_;
    TrayIcon& icon_;
    // The current concealment muted the sound (and read mutedBefore); only then may a restore
    // write mutedBefore back.
    bool mutedByConcealment_ = false;
    bool waitingForTargets_ = false;
};

}  // namespace core
