#pragma once

namespace core {

// The concealment cycle's flags. The main window owns them for the whole run; the cycle writes
// them, the registry and the tray handler read them (the tray handler releases the latch through
// ConcealmentCycle::releaseLatch).
struct CycleFlags {
    bool concealed = false;    // the targets are concealed
    bool held = false;         // a concealment is held until the user releases it at the tray icon
    bool mutedBefore = false;  // the speakers' mute state read just before a concealment muted them
};

}  // namespace core
