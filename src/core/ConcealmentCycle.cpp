#include "core/ConcealmentCycle.h"

namespace core {

namespace {

enum Band { kLow = 0, kMiddle = 1, kHigh = 2 };

// Low before high, boundaries inclusive: where the bands overlap, the low band wins.
Band BandOf(std::int64_t value, std::int64_t last, std::int64_t pixels) {
    if (value <= pixels) return kLow;
    if (value >= last - pixels) return kHigh;
    return kMiddle;
}

}  // namespace

std::uint32_t ZoneCode(Point pointer, Size screen, std::int32_t pixels) {
    // [column][row]
    static constexpr std::uint32_t kCodes[3][3] = {
        {kZoneTopLeft, kZoneLeft, kZoneBottomLeft},
        {kZoneTop, 0, kZoneBottom},
        {kZoneTopRight, kZoneRight, kZoneBottomRight},
    };
    const Band column = BandOf(pointer.x, std::int64_t{screen.width} - 1, pixels);
    const Band row = BandOf(pointer.y, std::int64_t{screen.height} - 1, pixels);
    return kCodes[column][row];
}

bool BitTest(const std::uint32_t& value, const std::uint32_t& bits) {
    return (value & bits) == bits;
}

ConcealmentCycle::ConcealmentCycle(WindowServices& services, TargetRegistry& registry,
                                   const ControlValues& controls, CycleFlags& flags, audio::mMixer& mixer,
                                   NotifyIcon& icon, TrayIconData& trayIconData)
    : services_(services),
      registry_(registry),
      controls_(controls),
      flags_(flags),
      mixer_(mixer),
      icon_(icon),
      trayIconData_(trayIconData) {}

void ConcealmentCycle::tmrActive_Timer() {
    const bool trigger = ReadTriggers();
    if (trigger && !flags_.blnHideFlg) {
        Conceal();
    } else if (!trigger && flags_.blnHideFlg && !flags_.blnTrigLatch) {
        Restore();
    }
}

bool ConcealmentCycle::ReadTriggers() {
    InputQuery query;
    Size screen;
    if (controls_.ZoneMask != 0) {
        screen = services_.ScreenSize();
        // Without a known screen size no position is in a zone; the pointer is not read then.
        query.pointer = screen.width > 0 && screen.height > 0;
    }
    query.shift = controls_.blnShiftMode;
    query.scrollLock = controls_.blnScrollMode;
    if (!query.pointer && !query.shift && !query.scrollLock) return false;

    const InputState input = services_.ReadInput(query);
    bool trigger = false;
    if (query.pointer && input.pointer &&
        (ZoneCode(*input.pointer, screen, controls_.lngPixels) & controls_.ZoneMask) != 0) {
        trigger = true;
        if (controls_.chkTrigMouse == 1) flags_.blnTrigLatch = true;
    }
    if (query.shift && input.shiftDown) {
        trigger = true;
        if (controls_.chkTrigKey == 1) flags_.blnTrigLatch = true;
    }
    if (query.scrollLock && input.scrollLockOn) trigger = true;  // ScrollLock never holds the concealment
    return trigger;
}

void ConcealmentCycle::Conceal() {
    if (controls_.chkIE == 1) registry_.DiscoverClassWindows();
    // Nothing to conceal: stay in standby; the next tick with the trigger on tries again.
    if (registry_.TargetCount() == 0) return;

    registry_.HideTargets();
    ShowIcon(1);
    mutedByConcealment_ = controls_.chkMute == 1;
    if (mutedByConcealment_) {
        mixer_.GetMute(flags_.blnMuteSaved);
        mixer_.SetMute(true);
        mixer_.CloseMixer();
    }
    flags_.blnHideFlg = true;
}

void ConcealmentCycle::Restore() {
    registry_.RestoreTargets();
    ShowIcon(0);
    if (controls_.chkMute == 1 && controls_.chkMuteAuto == 1 && mutedByConcealment_) {
        mixer_.SetMute(flags_.blnMuteSaved);
        mixer_.CloseMixer();
    }
    mutedByConcealment_ = false;
    flags_.blnHideFlg = false;
}

void ConcealmentCycle::ShowIcon(int state) {
    trayIconData_.hIcon = controls_.imgIcon[static_cast<std::size_t>(state)];
    icon_.Modify(trayIconData_);
}

void ConcealmentCycle::RestoreAllForShutdown() {
    registry_.RestoreTargets();
}

}  // namespace core
