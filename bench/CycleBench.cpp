// The concealment cycle on a real desktop (run through bench/run.sh): core::ConcealmentCycle with
// core::TargetRegistry and the X11 window services; the mixer, the tray icon and the message boxes
// are the fakes of the unit tests, so the figures are the window work alone.
//   - BM_CycleIdleTick: one tick with the pointer in the middle of the screen and every trigger
//     watched (pointer, Shift, ScrollLock): what the program pays three times a second.
//   - BM_CycleConcealRestore/N: the tick that sees the pointer in the top-left corner (discovery
//     by class, placements read, N windows withdrawn) until an outside client sees the last client
//     window unmapped (withdrawn_ms) and the last frame gone, the window manager having let the
//     windows go (hidden_ms); then the tick after the pointer left until the last window is back
//     in a mapped frame (shown_ms). The watching client reads its events after the tick returned.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "DesktopWatch.h"
#include "Processes.h"
#include "Report.h"
#include "core/ConcealmentCycle.h"
#include "core/MuteSwitch.h"
#include "core/TargetRegistry.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeSoundOutput.h"
#include "fakes/FakeTrayIcon.h"
#include "platform/x11/X11WindowServices.h"

namespace {

using bench::Clock;
using bench::max;
using bench::median;

constexpr int kMiddleX = 500, kMiddleY = 400;
const char* const kClass = "ZelCycleBench";

core::x11::X11WindowServices* services = nullptr;
bench::DesktopWatch* watch = nullptr;

// The cycle as the main window builds it, with the settings' defaults: the top-left corner, 5
// pixels, Shift and ScrollLock watched, discovery by class, mute with automatic restore.
struct Cycle {
    Cycle() {
        registry.setClassList({QString::fromLatin1(kClass)});
        controls.zoneMask = core::kZoneTopLeft;
        controls.zoneThickness = 5;
        controls.shiftMode = true;
        controls.scrollLockMode = true;
        controls.discoverBox = 1;
        controls.muteBox = 1;
        controls.muteRestoreBox = 1;
        controls.pictures = {1, 2};
    }

    fakes::FakePrompter prompter;
    core::CycleFlags flags;
    core::TargetRegistry registry{*services, prompter, flags};
    core::ControlValues controls;
    fakes::FakeSoundOutput device;
    core::MuteSwitch mixer{device};
    fakes::FakeTrayIcon icon;
    core::ConcealmentCycle cycle{*services, registry, controls, flags, mixer, icon};
};

// N windows of the test client, managed by the window manager; ended with the object.
class ClientWindows {
public:
    explicit ClientWindows(int count) {
        pid_ = bench::spawn({ZEL_X11_CLIENT, "--count", std::to_string(count), "--class", kClass,
                             "--geometry", "240x120+60+60"});
        if (pid_ < 0) return;
        windows_ = watch->waitForClients(kClass, static_cast<std::size_t>(count), std::chrono::seconds(30));
    }
    ~ClientWindows() {
        bench::Stop(pid_);
        watch->waitForGone(windows_, std::chrono::seconds(10));
    }
    ClientWindows(const ClientWindows&) = delete;
    ClientWindows& operator=(const ClientWindows&) = delete;
    const std::vector<xcb_window_t>& windows() const { return windows_; }

private:
    pid_t pid_ = -1;
    std::vector<xcb_window_t> windows_;
};

// The program ticks every 300 ms, so a restore never follows a concealment sooner (nor the other
// way round); meanwhile the window manager finishes its part (placing, stacking, frames), which
// would otherwise be charged to the next step.
void settleForATick() {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

double millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void BM_CycleIdleTick(benchmark::State& state) {
    watch->movePointer(kMiddleX, kMiddleY);
    Cycle c;
    c.cycle.tick();
    const auto before = services->roundTrips();
    for (auto _ : state)
        c.cycle.tick();
    if (c.flags.concealed) state.SkipWithError("the idle tick concealed");
    state.counters["round_trips"] = benchmark::Counter(static_cast<double>(services->roundTrips() - before),
                                                       benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_CycleIdleTick)->Unit(benchmark::kMicrosecond);

void BM_CycleConcealRestore(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    ClientWindows windows(count);
    if (windows.windows().size() != static_cast<std::size_t>(count)) {
        state.SkipWithError("the client windows did not appear");
        return;
    }
    watch->track(windows.windows());
    watch->movePointer(kMiddleX, kMiddleY);
    Cycle c;
    std::vector<double> concealTick, withdrawn, hidden, restoreTick, shown;
    double concealTrips = 0, restoreTrips = 0;  // of the last iteration
    for (auto _ : state) {
        watch->movePointer(0, 0);
        const auto trips0 = services->roundTrips();
        const auto t0 = Clock::now();
        c.cycle.tick();
        const auto t1 = Clock::now();
        concealTrips = static_cast<double>(services->roundTrips() - trips0);
        const auto off = watch->waitAllHidden(std::chrono::seconds(5));
        settleForATick();
        watch->movePointer(kMiddleX, kMiddleY);
        const auto trips2 = services->roundTrips();
        const auto t2 = Clock::now();
        c.cycle.tick();
        const auto t3 = Clock::now();
        restoreTrips = static_cast<double>(services->roundTrips() - trips2);
        const auto on = watch->waitAllShown(std::chrono::seconds(5));
        services->finishRestores();
        settleForATick();
        if (!off.complete || !on.complete) {
            state.SkipWithError("the windows did not leave or come back");
            break;
        }
        concealTick.push_back(millis(t1 - t0));
        withdrawn.push_back(millis(std::max(off.lastClient, t1) - t0));
        hidden.push_back(millis(std::max(off.last, t1) - t0));
        restoreTick.push_back(millis(t3 - t2));
        shown.push_back(millis(std::max(on.last, t3) - t2));
        state.SetIterationTime((hidden.back() + shown.back()) / 1000.0);
    }
    state.counters["conceal_tick_ms"] = median(concealTick);
    state.counters["withdrawn_ms"] = median(withdrawn);
    state.counters["withdrawn_max_ms"] = max(withdrawn);
    state.counters["hidden_ms"] = median(hidden);
    state.counters["hidden_max_ms"] = max(hidden);
    state.counters["restore_tick_ms"] = median(restoreTick);
    state.counters["shown_ms"] = median(shown);
    state.counters["shown_max_ms"] = max(shown);
    state.counters["conceal_round_trips"] = concealTrips;
    state.counters["restore_round_trips"] = restoreTrips;
}
BENCHMARK(BM_CycleConcealRestore)
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Iterations(15)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Where the concealment of N windows spends its time and its waits for the X server, step by
// step through the registry's own calls: the window list alone, the pruning of the target list
// (RefreshTargetList), discovery by class (a pruning, the list, each window's class and title, the
// refresh of the table), then reading the placements and withdrawing (HideTargets), and the restore
// (RestoreTargets). Counters: NAME_ms (median) and NAME_trips
// (replies waited for; requests go in batches, so a wait is often shorter than a round trip).
void BM_ConcealSteps(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    ClientWindows windows(count);
    if (windows.windows().size() != static_cast<std::size_t>(count)) {
        state.SkipWithError("the client windows did not appear");
        return;
    }
    watch->track(windows.windows());
    Cycle c;
    std::map<std::string, std::vector<double>> ms;
    std::map<std::string, double> trips;
    auto step = [&](const char* name, const auto& call) {
        const auto before = services->roundTrips();
        const auto t0 = Clock::now();
        call();
        ms[name].push_back(millis(Clock::now() - t0));
        trips[name] = static_cast<double>(services->roundTrips() - before);
    };
    for (auto _ : state) {
        step("enumerate", [&] { benchmark::DoNotOptimize(services->topLevelWindows()); });
        step("prune", [&] { c.registry.refreshTargetList(); });
        step("discover", [&] { c.registry.discoverClassWindows(); });
        step("hide", [&] { c.registry.hideTargets(); });
        const bool off = watch->waitAllHidden(std::chrono::seconds(5)).complete;
        settleForATick();
        step("restore", [&] { c.registry.restoreTargets(); });
        const bool on = watch->waitAllShown(std::chrono::seconds(5)).complete;
        settleForATick();
        if (!off || !on) {
            state.SkipWithError("the windows did not leave or come back");
            break;
        }
    }
    for (const auto& [name, values] : ms) {
        state.counters[name + "_ms"] = median(values);
        state.counters[name + "_trips"] = trips[name];
    }
}
BENCHMARK(BM_ConcealSteps)->Arg(100)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    auto ownedServices = core::x11::X11WindowServices::connect();
    auto ownedWatch = bench::DesktopWatch::connect();
    if (!ownedServices || !ownedWatch) {
        std::fprintf(stderr, "no X server on DISPLAY\n");
        return 1;
    }
    services = ownedServices.get();
    watch = ownedWatch.get();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
