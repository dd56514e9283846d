#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <vector>

#include "audio/mMixer.h"
#include "core/ConcealmentCycle.h"
#include "core/ControlValues.h"
#include "core/CycleFlags.h"
#include "core/NotifyIcon.h"
#include "core/TargetEntry.h"
#include "core/TargetRegistry.h"
#include "fakes/FakeMixerDevice.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeWindowServices.h"

namespace coretest {

// Records the pictures the icon was switched to.
class RecordingNotifyIcon final : public core::NotifyIcon {
public:
    void Add(const core::TrayIconData& data) override { added.push_back(data.hIcon); }
    void Modify(const core::TrayIconData& data) override { modified.push_back(data.hIcon); }
    void Delete(const core::TrayIconData&) override { ++deleted; }
    std::vector<core::IconHandle> added;
    std::vector<core::IconHandle> modified;
    int deleted = 0;
};

inline constexpr core::IconHandle kStandbyIcon = 0x501;
inline constexpr core::IconHandle kConcealIcon = 0x502;

// The concealment core with fakes around it, set up like the program's defaults: top-left corner
// zone 5 pixels thick, Shift and ScrollLock watched, both "トリガ" boxes ticked, discovery of
// "IEFrame", mute with automatic restore.
class CoreFixture : public testing::Test {
protected:
    CoreFixture() {
        controls.ZoneMask = core::kZoneTopLeft;
        controls.lngPixels = 5;
        controls.blnShiftMode = true;
        controls.blnScrollMode = true;
        controls.chkTrigMouse = 1;
        controls.chkTrigKey = 1;
        controls.chkIE = 1;
        controls.chkMute = 1;
        controls.chkMuteAuto = 1;
        controls.imgIcon = {kStandbyIcon, kConcealIcon};
        registry.SetClassList({QStringLiteral("IEFrame")});
    }

    // What the picker does for a dropped window.
    void Pick(core::WindowHandle hWnd) {
        registry.AddTargetEntry(core::FormatTargetEntry(windows.GetWindowText(hWnd), hWnd));
        registry.RefreshTargetList();
    }

    core::WindowHandle OpenAndPick(const QString& title, const core::WindowPlacement& placement) {
        const core::WindowHandle hWnd = windows.Open(QStringLiteral("Notepad"), title, placement);
        Pick(hWnd);
        return hWnd;
    }

    QStringList Entries() { return registry.lstTarget().stringList(); }

    void TickWithScrollLock(bool on) {
        windows.scrollLockOn = on;
        cycle.tmrActive_Timer();
    }

    // The placements the window was last given back (the last call that showed it).
    std::vector<fakes::FakeWindowServices::PlacementCall> ShowCallsFor(core::WindowHandle hWnd) const {
        std::vector<fakes::FakeWindowServices::PlacementCall> calls;
        for (const auto& call : windows.placementCalls) {
            if (call.handle == hWnd && call.placement.showCmd != core::kShowHide) calls.push_back(call);
        }
        return calls;
    }

    fakes::FakeWindowServices windows;
    fakes::FakePrompter prompter;
    fakes::FakeMixerDevice mixerDevice;
    audio::mMixer mixer{mixerDevice};
    RecordingNotifyIcon icon;
    core::TrayIconData trayIconData;
    core::ControlValues controls;
    core::CycleFlags flags;
    core::TargetRegistry registry{windows, prompter, flags};
    core::ConcealmentCycle cycle{windows, registry, controls, flags, mixer, icon, trayIconData};
};

}  // namespace coretest
