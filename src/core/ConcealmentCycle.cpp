#include "core/ConcealmentCycle.h"

namespace core {

namespace {

enum Band { kLow = 0, kMiddle = 1, kHigh = 2 };

// Low before high, boundaries inclusive: where the bands overlap, the low band wins.
Band bandOf(std::int64_t value, std::int64_t last, std::int64_t pixels) {
    if (value <= pixels) return kLow;
    if (value >= last - pixels) return kHigh;
    return kMiddle;
}

}  // namespace

std::uint32_t zoneCode(Point pointer, Size screen, std::int32_t pixels) {
    // [column][row]
    static constexpr std::uint32_t kCodes[3][3] = {
        {kZoneTopLeft, kZoneLeft, kZoneBottomLeft},
        {kZoneTop, 0, kZoneBottom},
        {kZoneTopRight, kZoneRight, kZoneBottomRight},
    };
    const Band column = bandOf(pointer.x, std::int64_t{screen.width} - 1, pixels);
    const Band row = bandOf(pointer.y, std::int64_t{screen.height} - 1, pixels);
    return kCodes[column][row];
}

bool bitTest(const std::uint32_t& value, const std::uint32_t& bits) {
    return (value & bits) == bits;
}

ConcealmentCycle::ConcealmentCycle(WindowServices& services, TargetRegistry& registry,
                                   const ControlValues& controls, CycleFlags& flags, MuteSwitch& mute,
                                   TrayIcon& icon)
    : services_(services),
      registry_(registry),
      controls_(controls),
      flags_(flags),
      mute_(mute),
      icon_(icon) {}

void ConcealmentCycle::tick() {
    const bool trigger = readTriggers();
    if (trigger && !flags_.concealed) {
        conceal();
    } else if (!trigger && flags_.concealed && !flags_.held) {
        restore();
    }
    waitingForTargets_ = trigger && !flags_.concealed;
}

bool ConcealmentCycle::readTriggers() {
    InputQuery query;
    Size screen;
    if (controls_.zoneMask != 0) {
        screen = services_.screenSize();
        // Without a known screen size no position is in a zone; the pointer is not read then.
        query.pointer = screen.width > 0 && screen.height > 0;
    }
    query.shift = controls_.shiftMode;
    query.scrollLock = controls_.scrollLockMode;
    if (!query.pointer && !query.shift && !query.scrollLock) return false;

    const InputState input = services_.readInput(query);
    bool trigger = false;
    if (query.pointer && input.pointer &&
        (zoneCode(*input.pointer, screen, controls_.zoneThickness) & controls_.zoneMask) != 0) {
        trigger = true;
        if (controls_.holdMouseBox == 1) flags_.held = true;
    }
    if (query.shift && input.shiftDown) {
        trigger = true;
        if (controls_.holdKeyBox == 1) flags_.held = true;
    }
    if (query.scrollLock && input.scrollLockOn) trigger = true;  // ScrollLock never holds the concealment
    return trigger;
}

void ConcealmentCycle::conceal() {
    if (controls_.discoverBox == 1) registry_.discoverClassWindows();
    // Nothing to conceal: stay in standby; the next tick with the trigger on tries again.
    if (registry_.targetCount() == 0) return;

    registry_.hideTargets();
    showIcon(1);
    mutedByConcealment_ = controls_.muteBox == 1;
    if (mutedByConcealment_) {
        mute_.saveAndMute(flags_.mutedBefore);
    }
    flags_.concealed = true;
}

void ConcealmentCycle::restore() {
    registry_.restoreTargets();
    showIcon(0);
    putMuteBack();
    mutedByConcealment_ = false;
    flags_.concealed = false;
}

void ConcealmentCycle::showIcon(int state) {
    icon_.setPicture(controls_.pictures[static_cast<std::size_t>(state)]);
}

void ConcealmentCycle::restoreAllForShutdown() {
    registry_.restoreTargets();
    // The program is going: the sound that this concealment muted comes back as a release would
    // give it back, or it would stay muted after the program has gone.
    if (flags_.concealed) putMuteBack();
    mutedByConcealment_ = false;
    // The windows must be back before the program goes.
    services_.finishRestores();
}

void ConcealmentCycle::putMuteBack() {
    if (controls_.muteBox == 1 && controls_.muteRestoreBox == 1 && mutedByConcealment_) {
        mute_.putBack(flags_.mutedBefore);
    }
}

}  // namespace core
