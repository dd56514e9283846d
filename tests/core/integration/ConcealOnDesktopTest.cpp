// The concealment cycle on the headless desktop: real xterm and xclock windows under openbox, the
// X11 backend, the pulseaudio null sink; only the tray icon and the message boxes are fakes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "core/ConcealmentCycle.h"
#include "core/MuteSwitch.h"
#include "core/TargetRegistry.h"
#include "fakes/FakePrompter.h"
#include "platform/pulse/PulseSoundOutput.h"
#include "platform/x11/X11WindowServices.h"
#include "support/desktop/Clients.h"
#include "support/desktop/Observer.h"
#include "support/desktop/Sound.h"
#include "support/desktop/Tools.h"
#include "support/desktop/Wait.h"

namespace coretest {
namespace {

using namespace desktoptest;

class RecordingIcon final : public core::TrayIcon {
public:
    void show(core::IconHandle) override {}
    void setPicture(core::IconHandle picture) override { shown.push_back(picture); }
    void setToolTip(const QString&) override {}
    void hide() override {}
    std::vector<core::IconHandle> shown;
};

class ConcealOnDesktopTest : public testing::Test {
protected:
    void SetUp() override {
        services = core::x11::createX11WindowServices();
        ASSERT_NE(services, nullptr) << "no X11 window services on " << qgetenv("DISPLAY").constData();
        registry = std::make_unique<core::TargetRegistry>(*services, prompter, flags);
        cycle = std::make_unique<core::ConcealmentCycle>(*services, *registry, controls, flags, mute, icon);
        controls.zoneMask = core::kZoneTopLeft;
        controls.zoneThickness = 5;
        controls.pictures = {1, 2};
        tool("xdotool", {"mousemove", "500", "400"});
    }

    void TearDown() override {
        if (cycle) cycle->restoreAllForShutdown();
        tool("xdotool", {"keyup", "shift"});
        tool("xdotool", {"mousemove", "500", "400"});
    }

    void pick(std::uint32_t window) {
        registry->addTargetEntry(core::formatTargetEntry(services->windowTitle(window), window));
        registry->refreshTargetList();
    }

    // Ticks until the cycle reaches the state (the backend may see a key a moment after xdotool);
    // windows brought back are let finish their way back, as the program's event loop does.
    bool tickUntilConcealed(bool concealed) {
        const bool reached = waitUntil([&] {
            cycle->tick();
            return flags.concealed == concealed;
        });
        services->finishRestores();
        return reached;
    }

    bool allGone(const std::vector<std::uint32_t>& windows) {
        return waitUntil([&] { return countConcealed(observer, windows) == windows.size(); });
    }

    std::unique_ptr<core::WindowServices> services;
    fakes::FakePrompter prompter;
    pulse::PulseSoundOutput sound;
    core::MuteSwitch mute{sound};
    RecordingIcon icon;
    core::ControlValues controls;
    core::CycleFlags flags;
    std::unique_ptr<core::TargetRegistry> registry;
    std::unique_ptr<core::ConcealmentCycle> cycle;
    Observer observer;
    Programs programs;
};

TEST_F(ConcealOnDesktopTest, PointerZoneHidesEveryXtermOfTheClassAndBringsEachBackAsItWas) {
    controls.discoverBox = 1;
    registry->setClassList({"XTerm", "XClock"});
    const std::uint32_t normal = programs.xterm("zel normal", "60x20+40+60", observer);
    const std::uint32_t moved = programs.xterm("zel moved", "60x20+100+100", observer);
    const std::uint32_t maximised = programs.xterm("zel maximised", "60x20+100+100", observer);
    const std::uint32_t minimised = programs.xterm("zel minimised", "50x10+200+300", observer);
    const std::uint32_t clock = programs.xclock("zel clock", "120x120+600+300", observer);
    for (const auto w : {normal, moved, maximised, minimised, clock})
        ASSERT_NE(w, 0u);
    tool("wmctrl", {"-i", "-r", hex(moved), "-e", "0,380,240,-1,-1"});
    tool("wmctrl", {"-i", "-r", hex(maximised), "-b", "add,maximized_vert,maximized_horz"});
    tool("xdotool", {"windowminimize", hex(minimised)});
    ASSERT_TRUE(waitUntil([&] {
        return placementOf(observer, maximised).maximised && placementOf(observer, minimised).minimised;
    }));
    const std::vector<std::uint32_t> all{normal, moved, maximised, minimised, clock};
    std::vector<Placement> before;
    for (const auto w : all)
        before.push_back(settledPlacement(observer, w));

    tool("xdotool", {"mousemove", "2", "3"});
    cycle->tick();
    EXPECT_TRUE(flags.concealed);
    EXPECT_EQ(registry->targetCount(), 5);  // every window of the two classes, found by WM_CLASS
    for (const auto w : all) {
        EXPECT_EQ(registry->targetList().stringList().filter("(" + core::handleToHex(w) + ")").size(), 1);
    }
    EXPECT_TRUE(allGone(all));
    EXPECT_EQ(icon.shown, std::vector<core::IconHandle>{2});

    tool("xdotool", {"mousemove", "500", "400"});
    cycle->tick();
    services->finishRestores();
    EXPECT_FALSE(flags.concealed);
    for (std::size_t i = 0; i < all.size(); ++i) {
        waitUntil([&] { return placementOf(observer, all[i]) == before[i]; });
        EXPECT_EQ(placementOf(observer, all[i]), before[i]) << "window " << i;
    }
    EXPECT_EQ(icon.shown, (std::vector<core::IconHandle>{2, 1}));
}

TEST_F(ConcealOnDesktopTest, ScrollLockConcealsWhileOn) {
    controls.scrollLockMode = true;
    const std::uint32_t w = programs.xterm("zel scroll", "60x20+100+100", observer);
    ASSERT_NE(w, 0u);
    pick(w);
    const Placement before = settledPlacement(observer, w);

    tool("xdotool", {"key", "Scroll_Lock"});
    ASSERT_TRUE(tickUntilConcealed(true));
    EXPECT_TRUE(allGone({w}));
    tool("xdotool", {"key", "Scroll_Lock"});
    ASSERT_TRUE(tickUntilConcealed(false));
    EXPECT_TRUE(waitUntil([&] { return placementOf(observer, w) == before; }))
        << placementOf(observer, w) << " vs " << before;
}

TEST_F(ConcealOnDesktopTest, ShiftConcealsWhileHeldAndTheLatchHoldsAfterwards) {
    controls.shiftMode = true;
    const std::uint32_t w = programs.xterm("zel shift", "60x20+100+100", observer);
    ASSERT_NE(w, 0u);
    pick(w);
    const Placement before = settledPlacement(observer, w);

    tool("xdotool", {"keydown", "shift"});
    ASSERT_TRUE(tickUntilConcealed(true));
    EXPECT_TRUE(allGone({w}));
    tool("xdotool", {"keyup", "shift"});
    ASSERT_TRUE(tickUntilConcealed(false));
    EXPECT_TRUE(waitUntil([&] { return placementOf(observer, w) == before; }))
        << placementOf(observer, w) << " vs " << before;

    controls.holdKeyBox = 1;
    tool("xdotool", {"keydown", "shift"});
    ASSERT_TRUE(tickUntilConcealed(true));
    tool("xdotool", {"keyup", "shift"});
    for (int i = 0; i < 3; ++i)
        cycle->tick();
    EXPECT_TRUE(flags.concealed);
    EXPECT_FALSE(observer.listed(w));
    cycle->releaseLatch();
    cycle->tick();
    services->finishRestores();
    EXPECT_FALSE(flags.concealed);
    EXPECT_TRUE(waitUntil([&] { return placementOf(observer, w) == before; }))
        << placementOf(observer, w) << " vs " << before;
}

TEST_F(ConcealOnDesktopTest, TheNullSinkIsMutedWhileConcealedAndPutBackAfterwards) {
    controls.muteBox = 1;
    controls.muteRestoreBox = 1;
    const std::uint32_t w = programs.xterm("zel mute", "60x20+100+100", observer);
    ASSERT_NE(w, 0u);
    pick(w);

    for (const bool mutedBefore : {false, true}) {
        SCOPED_TRACE(mutedBefore ? "muted before" : "sound on before");
        setSinkMute(mutedBefore);
        tool("xdotool", {"mousemove", "0", "0"});
        cycle->tick();
        ASSERT_TRUE(flags.concealed);
        EXPECT_EQ(sinkMute(), QStringLiteral("yes"));
        tool("xdotool", {"mousemove", "500", "400"});
        cycle->tick();
        ASSERT_FALSE(flags.concealed);
        EXPECT_EQ(sinkMute(), mutedBefore ? QStringLiteral("yes") : QStringLiteral("no"));
    }

    controls.muteRestoreBox = 0;
    setSinkMute(false);
    tool("xdotool", {"mousemove", "0", "0"});
    cycle->tick();
    tool("xdotool", {"mousemove", "500", "400"});
    cycle->tick();
    EXPECT_EQ(sinkMute(), QStringLiteral("yes"));
    setSinkMute(false);
}

TEST_F(ConcealOnDesktopTest, AWindowClosedWhileConcealedIsDroppedAndTheOthersComeBack) {
    const std::uint32_t first = programs.xterm("zel first", "60x20+100+100", observer);
    const std::uint32_t second = programs.xterm("zel second", "40x10+300+300", observer);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    pick(first);
    pick(second);
    const Placement before = settledPlacement(observer, second);

    tool("xdotool", {"mousemove", "0", "0"});
    cycle->tick();
    ASSERT_TRUE(allGone({first, second}));
    programs.killOwnerOf(first);
    ASSERT_TRUE(waitUntil([&] { return !services->existing({first}).front(); }));
    tool("xdotool", {"mousemove", "500", "400"});
    cycle->tick();
    services->finishRestores();
    EXPECT_FALSE(flags.concealed);
    EXPECT_TRUE(waitUntil([&] { return placementOf(observer, second) == before; }))
        << placementOf(observer, second) << " vs " << before;
    registry->refreshTargetList();
    EXPECT_EQ(registry->targetCount(), 1);
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
