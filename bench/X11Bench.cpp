// Costs of the X11 window services on a real desktop (run through bench/run-x11.sh):
//   - the reads of one idle tick of the concealment cycle, in time and in round trips;
//   - hiding and restoring 1, 10 and 100 real windows managed by openbox, as one batch and, for
//     comparison, one call per window.
#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/x11/X11WindowServices.h"

namespace {

using core::WindowPlacement;
using core::x11::X11WindowServices;
using Batch = std::vector<std::pair<core::WindowHandle, WindowPlacement>>;
using Clock = std::chrono::steady_clock;

X11WindowServices* services = nullptr;

// Real top-level windows on a connection of their own, as another program would have them.
class Windows {
public:
    explicit Windows(int count) {
        int screenNumber = 0;
        c_ = xcb_connect(nullptr, &screenNumber);
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c_));
        for (int i = 0; i < screenNumber; ++i) {
            xcb_screen_next(&it);
        }
        for (int i = 0; i < count; ++i) {
            const xcb_window_t w = xcb_generate_id(c_);
            const std::uint32_t background = 0x808080u + static_cast<std::uint32_t>(i);
            xcb_create_window(
                c_, XCB_COPY_FROM_PARENT, w, it.data->root, static_cast<std::int16_t>(20 + 5 * (i % 50)),
                static_cast<std::int16_t>(20 + 4 * (i % 50)), 300, 200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, &background);
            const std::string name = "bench window " + std::to_string(i);
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                                static_cast<std::uint32_t>(name.size()), name.data());
            xcb_map_window(c_, w);
            windows_.push_back(w);
        }
        xcb_flush(c_);
    }
    ~Windows() { xcb_disconnect(c_); }
    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;

    // Waits until the window manager shows every window, and reads their placements.
    bool managed(Batch& shown) {
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        for (xcb_window_t w : windows_) {
            WindowPlacement p;
            while (!services->placement(w, p) || p.showCmd != core::kShowNormal || p.desktop < 0) {
                if (Clock::now() > deadline) {
                    return false;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            shown.emplace_back(w, p);
        }
        return true;
    }

    // Waits (untimed) until the window manager has let every hidden window go (WM_STATE deleted),
    // as it has long done by the next tick of the concealment cycle.
    void released() {
        const xcb_atom_t wmState = atom("WM_STATE");
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        for (xcb_window_t w : windows_) {
            while (Clock::now() < deadline) {
                auto* r =
                    xcb_get_property_reply(c_, xcb_get_property(c_, 0, w, wmState, wmState, 0, 1), nullptr);
                const bool gone = r == nullptr || r->type == XCB_ATOM_NONE;
                std::free(r);
                if (gone) {
                    break;
                }
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        }
    }

private:
    xcb_atom_t atom(const char* name) {
        auto* r = xcb_intern_atom_reply(
            c_, xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r != nullptr ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(r);
        return a;
    }

    xcb_connection_t* c_ = nullptr;
    std::vector<xcb_window_t> windows_;
};

Batch withdrawnCopy(const Batch& shown) {
    Batch hidden = shown;
    for (auto& entry : hidden) {
        entry.second.showCmd = core::kShowHide;
    }
    return hidden;
}

double millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void BM_IdleTick(benchmark::State& state) {
    const core::InputQuery all{.pointer = true, .shift = true, .scrollLock = true};
    services->screenSize();
    services->readInput(all);
    const auto before = services->roundTrips();
    for (auto _ : state) {
        benchmark::DoNotOptimize(services->screenSize());
        benchmark::DoNotOptimize(services->readInput(all));
    }
    state.counters["round_trips"] = benchmark::Counter(static_cast<double>(services->roundTrips() - before),
                                                       benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_IdleTick)->Unit(benchmark::kMicrosecond);

// The same reads through the single-value calls: one round trip each for the pointer and Shift.
void BM_IdleTickSeparateCalls(benchmark::State& state) {
    services->screenSize();
    const auto before = services->roundTrips();
    for (auto _ : state) {
        benchmark::DoNotOptimize(services->screenSize());
        benchmark::DoNotOptimize(services->pointerPosition());
        benchmark::DoNotOptimize(services->readInput({.shift = true}));
        benchmark::DoNotOptimize(services->readInput({.scrollLock = true}));
    }
    state.counters["round_trips"] = benchmark::Counter(static_cast<double>(services->roundTrips() - before),
                                                       benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_IdleTickSeparateCalls)->Unit(benchmark::kMicrosecond);

// One concealment and one restore of N windows, timed apart (hide_ms, restore_ms); the restore
// includes the wait for the window manager to manage them again (finishRestores), and
// restore_call_ms is the part spent inside the calls, which a program's event loop waits for. The
// time between them is not counted.
void hideRestore(benchmark::State& state, bool batched) {
    Windows windows(static_cast<int>(state.range(0)));
    Batch shown;
    if (!windows.managed(shown)) {
        state.SkipWithError("the windows were not managed");
        return;
    }
    const Batch hidden = withdrawnCopy(shown);
    auto apply = [batched](const Batch& batch) {
        if (batched) {
            services->setPlacements(batch);
        } else {
            for (const auto& [w, p] : batch) {
                services->setPlacement(w, p);
            }
        }
    };
    double hideMs = 0, restoreMs = 0, restoreCallMs = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        apply(hidden);
        const auto t1 = Clock::now();
        windows.released();
        const auto t2 = Clock::now();
        apply(shown);
        const auto t3 = Clock::now();
        services->finishRestores();
        const auto t4 = Clock::now();
        hideMs += millis(t1 - t0);
        restoreCallMs += millis(t3 - t2);
        restoreMs += millis(t4 - t2);
    }
    state.counters["hide_ms"] = benchmark::Counter(hideMs, benchmark::Counter::kAvgIterations);
    state.counters["restore_ms"] = benchmark::Counter(restoreMs, benchmark::Counter::kAvgIterations);
    state.counters["restore_call_ms"] = benchmark::Counter(restoreCallMs, benchmark::Counter::kAvgIterations);
}

void BM_HideRestoreBatch(benchmark::State& state) {
    hideRestore(state, true);
}
BENCHMARK(BM_HideRestoreBatch)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HideRestoreOneByOne(benchmark::State& state) {
    hideRestore(state, false);
}
BENCHMARK(BM_HideRestoreOneByOne)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    auto owned = X11WindowServices::connect();
    if (!owned) {
        std::fprintf(stderr, "no X server on DISPLAY\n");
        return 1;
    }
    services = owned.get();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
