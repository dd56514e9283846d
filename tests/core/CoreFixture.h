#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <vector>

#include "core/ConcealmentCycle.h"
#include "core/ControlValues.h"
#include "core/CycleFlags.h"
#include "core/MuteSwitch.h"
#include "core/TargetEntry.h"
#include "core/TargetRegistry.h"
#include "core/TrayIcon.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeSoundOutput.h"
#include "fakes/FakeWindowServices.h"

namespace coretest {

// Records the pictures the icon was switched to.
class RecordingTrayIcon final : public core::TrayIcon {
public:
    void show(core::IconHandle picture) override { added.push_back(picture); }
    void setPicture(core::IconHandle picture) override { modified.push_back(picture); }
    void setToolTip(const QString&) override {}
    void hide() override { ++deleted; }
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
        controls.zoneMask = core::kZoneTopLeft;
        controls.zoneThickness = 5;
        controls.shiftMode = true;
        controls.scrollLockMode = true;
        controls.holdMouseBox = 1;
        controls.holdKeyBox = 1;
        controls.discoverBox = 1;
        controls.muteBox = 1;
        controls.muteRestoreBox = 1;
        controls.pictures = {kStandbyIcon, kConcealIcon};
        registry.setClassList({QStringLiteral("IEFrame")});
    }

    // What the picker does for a dropped window.
    void pick(core::WindowHandle handle) {
        registry.addTargetEntry(core::formatTargetEntry(windows.windowTitle(handle), handle));
        registry.refreshTargetList();
    }

    core::WindowHandle openAndPick(const QString& title, const core::WindowPlacement& placement) {
        const core::WindowHandle handle = windows.open(QStringLiteral("Notepad"), title, placement);
        pick(handle);
        return handle;
    }

    QStringList entries() { return registry.targetList().stringList(); }

    void tickWithScrollLock(bool on) {
        windows.scrollLockOn = on;
        cycle.tick();
    }

    // The placements the window was last given back (the last call that showed it).
    std::vector<fakes::FakeWindowServices::PlacementCall> showCallsFor(core::WindowHandle handle) const {
        std::vector<fakes::FakeWindowServices::PlacementCall> calls;
        for (const auto& call : windows.placementCalls) {
            if (call.handle == handle && call.placement.showCmd != core::kShowHide) calls.push_back(call);
        }
        return calls;
    }

    fakes::FakeWindowServices windows;
    fakes::FakePrompter prompter;
    fakes::FakeSoundOutput sound;
    core::MuteSwitch mute{sound};
    RecordingTrayIcon icon;
    core::ControlValues controls;
    core::CycleFlags flags;
    core::TargetRegistry registry{windows, prompter, flags};
    core::ConcealmentCycle cycle{windows, registry, controls, flags, mute, icon};
};

}  // namespace coretest
