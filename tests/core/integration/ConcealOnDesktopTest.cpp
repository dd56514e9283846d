// The concealment cycle on the headless desktop: real xterm and xclock windows under openbox, the
// X11 backend, the pulseaudio null sink; only the tray icon and the message boxes are fakes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "DesktopTools.h"
#include "core/ConcealmentCycle.h"
#include "core/MuteSwitch.h"
#include "core/TargetRegistry.h"
#include "fakes/FakePrompter.h"
#include "platform/pulse/PulseSoundOutput.h"
#include "platform/x11/X11WindowServices.h"

namespace coretest {
namespace {

using namespace desktop;

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
        command("xdotool", {"mousemove", "500", "400"});
    }

    void TearDown() override {
        if (cycle) cycle->restoreAllForShutdown();
        command("xdotool", {"keyup", "shift"});
        command("xdotool", {"mousemove", "500", "400"});
    }

    void pick(std::uint32_t window) {
        registry->addTargetEntry(core::formatTargetEntry(services->windowTitle(window), window));
        registry->refreshTargetList();
    }

    // Ticks until the cycle reaches the state (the backend may see a key a moment after xdotool).
    bool tickUntilConcealed(bool concealed) {
        return waitUntil([&] {
            cycle->tick();
            return flags.concealed == concealed;
        });
    }

    static bool allGone(const std::vector<std::uint32_t>& windows) {
        return waitUntil([&] {
            const auto list = clientList();
            for (const auto w : windows) {
                if (std::find(list.begin(), list.end(), w) != list.end() || look(w).viewable) return false;
            }
            return true;
        });
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
    Clients clients;
};

TEST_F(ConcealOnDesktopTest, PointerZoneHidesEveryXtermOfTheClassAndBringsEachBackAsItWas) {
    controls.discoverBox = 1;
    registry->setClassList({"XTerm", "XClock"});
    const std::uint32_t normal = clients.xterm("zel normal", "60x20+40+60");
    const std::uint32_t moved = clients.xterm("zel moved");
    const std::uint32_t maximised = clients.xterm("zel maximised");
    const std::uint32_t minimised = clients.xterm("zel minimised", "50x10+200+300");
    const std::uint32_t clock = clients.xclock("zel clock");
    for (const auto w : {normal, moved, maximised, minimised, clock})
        ASSERT_NE(w, 0u);
    command("wmctrl", {"-i", "-r", hex(moved), "-e", "0,380,240,-1,-1"});
    command("wmctrl", {"-i", "-r", hex(maximised), "-b", "add,maximized_vert,maximized_horz"});
    command("xdotool", {"windowminimize", hex(minimised)});
    ASSERT_TRUE(waitUntil([&] { return look(maximised).maximized && look(minimised).iconic; }));
    const std::vector<std::uint32_t> all{normal, moved, maximised, minimised, clock};
    std::vector<Facts> before;
    for (const auto w : all)
        before.push_back(settled(w));

    command("xdotool", {"mousemove", "2", "3"});
    cycle->tick();
    EXPECT_TRUE(flags.concealed);
    EXPECT_EQ(registry->targetCount(), 5);  // every window of the two classes, found by WM_CLASS
    for (const auto w : all) {
        EXPECT_EQ(registry->targetList().stringList().filter("(" + core::handleToHex(w) + ")").size(), 1);
    }
    EXPECT_TRUE(allGone(all));
    EXPECT_EQ(icon.shown, std::vector<core::IconHandle>{2});

    command("xdotool", {"mousemove", "500", "400"});
    cycle->tick();
    EXPECT_FALSE(flags.concealed);
    for (std::size_t i = 0; i < all.size(); ++i) {
        waitUntil([&] { return look(all[i]) == before[i]; });
        EXPECT_EQ(look(all[i]), before[i]) << "window " << i;
    }
    EXPECT_EQ(icon.shown, (std::vector<core::IconHandle>{2, 1}));
}

TEST_F(ConcealOnDesktopTest, ScrollLockConcealsWhileOn) {
    controls.scrollLockMode = true;
    const std::uint32_t w = clients.xterm("zel scroll");
    ASSERT_NE(w, 0u);
    pick(w);
    const Facts before = settled(w);

    command("xdotool", {"key", "Scroll_Lock"});
    ASSERT_TRUE(tickUntilConcealed(true));
    EXPECT_TRUE(allGone({w}));
    command("xdotool", {"key", "Scroll_Lock"});
    ASSERT_TRUE(tickUntilConcealed(false));
    EXPECT_TRUE(waitUntil([&] { return look(w) == before; })) << look(w) << " vs " << before;
}

TEST_F(ConcealOnDesktopTest, ShiftConcealsWhileHeldAndTheLatchHoldsAfterwards) {
    controls.shiftMode = true;
    const std::uint32_t w = clients.xterm("zel shift");
    ASSERT_NE(w, 0u);
    pick(w);
    const Facts before = settled(w);

    command("xdotool", {"keydown", "shift"});
    ASSERT_TRUE(tickUntilConcealed(true));
    EXPECT_TRUE(allGone({w}));
    command("xdotool", {"keyup", "shift"});
    ASSERT_TRUE(tickUntilConcealed(false));
    EXPECT_TRUE(waitUntil([&] { return look(w) == before; })) << look(w) << " vs " << before;

    controls.holdKeyBox = 1;
    command("xdotool", {"keydown", "shift"});
    ASSERT_TRUE(tickUntilConcealed(true));
    command("xdotool", {"keyup", "shift"});
    for (int i = 0; i < 3; ++i)
        cycle->tick();
    EXPECT_TRUE(flags.concealed);
    EXPECT_FALSE(listed(w));
    cycle->releaseLatch();
    cycle->tick();
    EXPECT_FALSE(flags.concealed);
    EXPECT_TRUE(waitUntil([&] { return look(w) == before; })) << look(w) << " vs " << before;
}

TEST_F(ConcealOnDesktopTest, TheNullSinkIsMutedWhileConcealedAndPutBackAfterwards) {
    controls.muteBox = 1;
    controls.muteRestoreBox = 1;
    const std::uint32_t w = clients.xterm("zel mute");
    ASSERT_NE(w, 0u);
    pick(w);

    for (const bool mutedBefore : {false, true}) {
        SCOPED_TRACE(mutedBefore ? "muted before" : "sound on before");
        setSinkMute(mutedBefore);
        command("xdotool", {"mousemove", "0", "0"});
        cycle->tick();
        ASSERT_TRUE(flags.concealed);
        EXPECT_TRUE(sinkMuted());
        command("xdotool", {"mousemove", "500", "400"});
        cycle->tick();
        ASSERT_FALSE(flags.concealed);
        EXPECT_EQ(sinkMuted(), mutedBefore);
    }

    controls.muteRestoreBox = 0;
    setSinkMute(false);
    command("xdotool", {"mousemove", "0", "0"});
    cycle->tick();
    command("xdotool", {"mousemove", "500", "400"});
    cycle->tick();
    EXPECT_TRUE(sinkMuted());
    setSinkMute(false);
}

TEST_F(ConcealOnDesktopTest, AWindowClosedWhileConcealedIsDroppedAndTheOthersComeBack) {
    const std::uint32_t first = clients.xterm("zel first");
    const std::uint32_t second = clients.xterm("zel second", "40x10+300+300");
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    pick(first);
    pick(second);
    const Facts before = settled(second);

    command("xdotool", {"mousemove", "0", "0"});
    cycle->tick();
    ASSERT_TRUE(allGone({first, second}));
    clients.kill(0);
    ASSERT_TRUE(waitUntil([&] { return !services->existing({first}).front(); }));
    command("xdotool", {"mousemove", "500", "400"});
    cycle->tick();
    EXPECT_FALSE(flags.concealed);
    EXPECT_TRUE(waitUntil([&] { return look(second) == before; })) << look(second) << " vs " << before;
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
