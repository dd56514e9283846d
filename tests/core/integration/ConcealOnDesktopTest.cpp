// The concealment cycle on the headless desktop: real xterm and xclock windows under openbox, the
// X11 backend, the pulseaudio null sink; only the tray icon and the message boxes are fakes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "DesktopTools.h"
#include "audio/PulseMixerDevice.h"
#include "audio/mMixer.h"
#include "core/ConcealmentCycle.h"
#include "core/TargetRegistry.h"
#include "core/x11/X11WindowServices.h"
#include "fakes/FakePrompter.h"

namespace coretest {
namespace {

using namespace desktop;

class RecordingIcon final : public core::NotifyIcon {
public:
    void Add(const core::TrayIconData&) override {}
    void Modify(const core::TrayIconData& data) override { shown.push_back(data.hIcon); }
    void Delete(const core::TrayIconData&) override {}
    std::vector<core::IconHandle> shown;
};

class ConcealOnDesktopTest : public testing::Test {
protected:
    void SetUp() override {
        services = core::x11::CreateX11WindowServices();
        ASSERT_NE(services, nullptr) << "no X11 window services on " << qgetenv("DISPLAY").constData();
        registry = std::make_unique<core::TargetRegistry>(*services, prompter, flags);
        cycle = std::make_unique<core::ConcealmentCycle>(*services, *registry, controls, flags, mixer, icon,
                                                         trayIconData);
        controls.ZoneMask = core::kZoneTopLeft;
        controls.lngPixels = 5;
        controls.imgIcon = {1, 2};
        Command("xdotool", {"mousemove", "500", "400"});
    }

    void TearDown() override {
        if (cycle) cycle->RestoreAllForShutdown();
        Command("xdotool", {"keyup", "shift"});
        Command("xdotool", {"mousemove", "500", "400"});
    }

    void Pick(std::uint32_t window) {
        registry->AddTargetEntry(core::FormatTargetEntry(services->GetWindowText(window), window));
        registry->RefreshTargetList();
    }

    // Ticks until the cycle reaches the state (the backend may see a key a moment after xdotool).
    bool TickUntilConcealed(bool concealed) {
        return WaitUntil([&] {
            cycle->tmrActive_Timer();
            return flags.blnHideFlg == concealed;
        });
    }

    static bool AllGone(const std::vector<std::uint32_t>& windows) {
        return WaitUntil([&] {
            const auto list = ClientList();
            for (const auto w : windows) {
                if (std::find(list.begin(), list.end(), w) != list.end() || Look(w).viewable) return false;
            }
            return true;
        });
    }

    std::unique_ptr<core::WindowServices> services;
    fakes::FakePrompter prompter;
    audio::PulseMixerDevice mixerDevice;
    audio::mMixer mixer{mixerDevice};
    RecordingIcon icon;
    core::TrayIconData trayIconData;
    core::ControlValues controls;
    core::CycleFlags flags;
    std::unique_ptr<core::TargetRegistry> registry;
    std::unique_ptr<core::ConcealmentCycle> cycle;
    Clients clients;
};

TEST_F(ConcealOnDesktopTest, PointerZoneHidesEveryXtermOfTheClassAndBringsEachBackAsItWas) {
    controls.chkIE = 1;
    registry->SetClassList({"XTerm", "XClock"});
    const std::uint32_t normal = clients.Xterm("zel normal", "60x20+40+60");
    const std::uint32_t moved = clients.Xterm("zel moved");
    const std::uint32_t maximised = clients.Xterm("zel maximised");
    const std::uint32_t minimised = clients.Xterm("zel minimised", "50x10+200+300");
    const std::uint32_t clock = clients.Xclock("zel clock");
    for (const auto w : {normal, moved, maximised, minimised, clock})
        ASSERT_NE(w, 0u);
    Command("wmctrl", {"-i", "-r", Hex(moved), "-e", "0,380,240,-1,-1"});
    Command("wmctrl", {"-i", "-r", Hex(maximised), "-b", "add,maximized_vert,maximized_horz"});
    Command("xdotool", {"windowminimize", Hex(minimised)});
    ASSERT_TRUE(WaitUntil([&] { return Look(maximised).maximized && Look(minimised).iconic; }));
    const std::vector<std::uint32_t> all{normal, moved, maximised, minimised, clock};
    std::vector<Facts> before;
    for (const auto w : all)
        before.push_back(Settled(w));

    Command("xdotool", {"mousemove", "2", "3"});
    cycle->tmrActive_Timer();
    EXPECT_TRUE(flags.blnHideFlg);
    EXPECT_EQ(registry->TargetCount(), 5);  // every window of the two classes, found by WM_CLASS
    for (const auto w : all) {
        EXPECT_EQ(registry->lstTarget().stringList().filter("(" + core::HandleToHex(w) + ")").size(), 1);
    }
    EXPECT_TRUE(AllGone(all));
    EXPECT_EQ(icon.shown, std::vector<core::IconHandle>{2});

    Command("xdotool", {"mousemove", "500", "400"});
    cycle->tmrActive_Timer();
    EXPECT_FALSE(flags.blnHideFlg);
    for (std::size_t i = 0; i < all.size(); ++i) {
        WaitUntil([&] { return Look(all[i]) == before[i]; });
        EXPECT_EQ(Look(all[i]), before[i]) << "window " << i;
    }
    EXPECT_EQ(icon.shown, (std::vector<core::IconHandle>{2, 1}));
}

TEST_F(ConcealOnDesktopTest, ScrollLockConcealsWhileOn) {
    controls.blnScrollMode = true;
    const std::uint32_t w = clients.Xterm("zel scroll");
    ASSERT_NE(w, 0u);
    Pick(w);
    const Facts before = Settled(w);

    Command("xdotool", {"key", "Scroll_Lock"});
    ASSERT_TRUE(TickUntilConcealed(true));
    EXPECT_TRUE(AllGone({w}));
    Command("xdotool", {"key", "Scroll_Lock"});
    ASSERT_TRUE(TickUntilConcealed(false));
    EXPECT_TRUE(WaitUntil([&] { return Look(w) == before; })) << Look(w) << " vs " << before;
}

TEST_F(ConcealOnDesktopTest, ShiftConcealsWhileHeldAndTheLatchHoldsAfterwards) {
    controls.blnShiftMode = true;
    const std::uint32_t w = clients.Xterm("zel shift");
    ASSERT_NE(w, 0u);
    Pick(w);
    const Facts before = Settled(w);

    Command("xdotool", {"keydown", "shift"});
    ASSERT_TRUE(TickUntilConcealed(true));
    EXPECT_TRUE(AllGone({w}));
    Command("xdotool", {"keyup", "shift"});
    ASSERT_TRUE(TickUntilConcealed(false));
    EXPECT_TRUE(WaitUntil([&] { return Look(w) == before; })) << Look(w) << " vs " << before;

    controls.chkTrigKey = 1;
    Command("xdotool", {"keydown", "shift"});
    ASSERT_TRUE(TickUntilConcealed(true));
    Command("xdotool", {"keyup", "shift"});
    for (int i = 0; i < 3; ++i)
        cycle->tmrActive_Timer();
    EXPECT_TRUE(flags.blnHideFlg);
    EXPECT_FALSE(Listed(w));
    cycle->ReleaseLatch();
    cycle->tmrActive_Timer();
    EXPECT_FALSE(flags.blnHideFlg);
    EXPECT_TRUE(WaitUntil([&] { return Look(w) == before; })) << Look(w) << " vs " << before;
}

TEST_F(ConcealOnDesktopTest, TheNullSinkIsMutedWhileConcealedAndPutBackAfterwards) {
    controls.chkMute = 1;
    controls.chkMuteAuto = 1;
    const std::uint32_t w = clients.Xterm("zel mute");
    ASSERT_NE(w, 0u);
    Pick(w);

    for (const bool mutedBefore : {false, true}) {
        SCOPED_TRACE(mutedBefore ? "muted before" : "sound on before");
        SetSinkMute(mutedBefore);
        Command("xdotool", {"mousemove", "0", "0"});
        cycle->tmrActive_Timer();
        ASSERT_TRUE(flags.blnHideFlg);
        EXPECT_TRUE(SinkMuted());
        Command("xdotool", {"mousemove", "500", "400"});
        cycle->tmrActive_Timer();
        ASSERT_FALSE(flags.blnHideFlg);
        EXPECT_EQ(SinkMuted(), mutedBefore);
    }

    controls.chkMuteAuto = 0;
    SetSinkMute(false);
    Command("xdotool", {"mousemove", "0", "0"});
    cycle->tmrActive_Timer();
    Command("xdotool", {"mousemove", "500", "400"});
    cycle->tmrActive_Timer();
    EXPECT_TRUE(SinkMuted());
    SetSinkMute(false);
}

TEST_F(ConcealOnDesktopTest, AWindowClosedWhileConcealedIsDroppedAndTheOthersComeBack) {
    const std::uint32_t first = clients.Xterm("zel first");
    const std::uint32_t second = clients.Xterm("zel second", "40x10+300+300");
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    Pick(first);
    Pick(second);
    const Facts before = Settled(second);

    Command("xdotool", {"mousemove", "0", "0"});
    cycle->tmrActive_Timer();
    ASSERT_TRUE(AllGone({first, second}));
    clients.Kill(0);
    ASSERT_TRUE(WaitUntil([&] { return !services->IsWindow(first); }));
    Command("xdotool", {"mousemove", "500", "400"});
    cycle->tmrActive_Timer();
    EXPECT_FALSE(flags.blnHideFlg);
    EXPECT_TRUE(WaitUntil([&] { return Look(second) == before; })) << Look(second) << " vs " << before;
    registry->RefreshTargetList();
    EXPECT_EQ(registry->TargetCount(), 1);
}

}  // namespace
}  // namespace coretest

// QProcess wants an application object.
class QtApplication : public testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "core_integration_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QCoreApplication> app_;
};

[[maybe_unused]] static testing::Environment* const kQtApplication =
    testing::AddGlobalTestEnvironment(new QtApplication);
