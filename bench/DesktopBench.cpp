// zel-bench-desktop: the whole zelmora2nd as a user runs it, measured from outside on the headless
// desktop (run through bench/run.sh), beside xdotool behave_screen_edge and kdocker:
//   - start-up until the tray icon is viewable in trayer's panel;
//   - idle CPU time, wake-ups and memory over a quiet stretch;
//   - CPU time while the pointer moves without pause (XTEST, in circles in the middle);
//   - pointer into the top-left corner until the last of N windows is off the screen, and pointer
//     out until the last is back (N = 1 and 10 xterms, 100 windows of the light test client), and
//     for the 100 the longest stall of the program's event loop while they come back (pings, see
//     EventLoopProbe);
//   - for 1 xterm and the moving pointer, the same program with the input left to its 300 ms
//     polling (ZEL_NO_INPUT_EVENTS=1) and with every reported motion evaluated (at most once per
//     pass of its event loop), without the pauses of the motion reports (ZEL_MOTION_PAUSE_MS=0).
// The pointer moves through XTEST, as a device does: a warp sends no raw motion.
// Prints one Markdown table on stdout (with the Google Benchmark results of --gbench FILE); the
// progress goes to stderr.
//
//
// --motion measures the moving pointer alone, for the program as it is and for each --variant
// NAME=VALUE (an environment setting, e.g. ZEL_MOTION_PAUSE_MS=0): CPU and wake-ups over --trials
// stretches of 10 s of motion; the corner from rest; the corner reached by a pointer that was
// already moving (a straight line from the middle, a motion every 8 ms, into the corner where it
// stays); and passes of a moving pointer through the corner that stay there 8 to 40 ms, caught or
// not.
//
//   zel-bench-desktop --program PATH --client PATH [--repeats 7] [--idle-seconds 60]
//                     [--gbench FILE] [--no-kdocker] [--logs FOLDER]
//   zel-bench-desktop --program PATH --client PATH --motion [--trials 5] [--repeats 7]
//                     [--variant NAME=VALUE]... [--logs FOLDER]
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <thread>

#include "Comparisons.h"
#include "DesktopWatch.h"
#include "EventLoopProbe.h"
#include "ProgramFolder.h"
#include "Report.h"

namespace bench {

namespace {

constexpr int kMiddleX = 500, kMiddleY = 400;
// The moving pointer: one motion every 8 ms for 10 s, in a circle of 150 pixels around the middle.
constexpr auto kMotionStep = std::chrono::milliseconds(8);
constexpr auto kMotionLength = std::chrono::seconds(10);
constexpr int kMotionRadius = 150;
const char* const kClientClass = "ZelBench";

struct Options {
    std::string program, client, gbench, logs;
    int repeats = 7;
    int idleSeconds = 60;
    bool kdocker = true;
    bool motion = false;
    int trials = 5;
    std::vector<std::string> variants;
};

// N target windows: xterms, or the test client's light windows for many.
class TargetWindows {
public:
    TargetWindows(DesktopWatch& watch, const std::string& client, int count, bool xterms) : watch_(watch) {
        if (xterms) {
            for (int i = 0; i < count; ++i) {
                const std::string geometry =
                    "60x10+" + std::to_string(100 + 20 * i) + "+" + std::to_string(80 + 30 * i);
                pids_.push_back(spawn({"xterm", "-geometry", geometry}));
            }
        } else {
            pids_.push_back(spawn({client, "--count", std::to_string(count), "--class", kClientClass,
                                   "--geometry", "240x120+80+80"}));
        }
        windows_ = watch.waitForClients(xterms ? "XTerm" : kClientClass, static_cast<std::size_t>(count),
                                        std::chrono::seconds(60));
    }
    ~TargetWindows() {
        for (const pid_t pid : pids_)
            Stop(pid);
        watch_.waitForGone(windows_, std::chrono::seconds(10));
    }
    TargetWindows(const TargetWindows&) = delete;
    TargetWindows& operator=(const TargetWindows&) = delete;
    const std::vector<xcb_window_t>& windows() const { return windows_; }

private:
    DesktopWatch& watch_;
    std::vector<pid_t> pids_;
    std::vector<xcb_window_t> windows_;
};

struct Latency {
    Samples withdrawn;    // pointer into the corner → last client window unmapped by the program
    Samples hidden;       // pointer into the corner → last window off the screen (frame gone)
    Samples work;         // first client window unmapped → last window off the screen (no tick phase)
    Samples shown;        // pointer out → last window back on the screen
    Samples stall;        // the program's event loop during the restore: its longest wait to answer
    Samples serverStall;  // the X server's longest round trip over the same time
};

// With probeWindow (a window of the program), the longest stall of the program's event loop from
// the pointer out until the restore has ended (the windows back, then 300 ms for the focus and
// the order) is measured too.
Latency measureLatency(DesktopWatch& watch, const std::vector<xcb_window_t>& windows, int repeats,
                       xcb_window_t probeWindow = XCB_NONE) {
    Latency latency;
    watch.track(windows);
    watch.movePointer(kMiddleX, kMiddleY);
    for (int run = 0; run < repeats; ++run) {
        randomPause(400, 700);
        const auto in = watch.movePointer(0, 0);
        const auto off = watch.waitAllHidden(std::chrono::seconds(10));
        if (off.complete) {
            latency.withdrawn.add(in, off.lastClient);
            latency.hidden.add(in, off.last);
            latency.work.add(off.first, off.last);
        } else {
            ++latency.hidden.failed;
        }
        randomPause(400, 700);
        std::optional<EventLoopProbe> probe;
        if (probeWindow != XCB_NONE) probe.emplace(probeWindow);
        const auto out = watch.movePointer(kMiddleX, kMiddleY);
        const auto on = watch.waitAllShown(std::chrono::seconds(10));
        if (on.complete) {
            latency.shown.add(out, on.last);
        } else {
            ++latency.shown.failed;
        }
        if (probe) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            const auto longest = probe->stop();
            if (longest.count() >= 0) {
                latency.stall.ms.push_back(longest.count());
                latency.serverStall.ms.push_back(probe->longestServerRoundTrip().count());
            } else {
                ++latency.stall.failed;
            }
        }
    }
    return latency;
}

// Shift held → 1 window off the screen, released → back; ScrollLock on (pressed and released) →
// off, off again → back.
struct KeyLatency {
    Samples shiftHidden, shiftShown, scrollHidden, scrollShown;
};

KeyLatency measureKeyLatency(DesktopWatch& watch, const std::vector<xcb_window_t>& windows, int repeats) {
    constexpr std::uint32_t kShiftL = 0xffe1, kScrollLock = 0xff14;
    KeyLatency latency;
    watch.track(windows);
    watch.movePointer(kMiddleX, kMiddleY);
    auto timed = [&](std::uint32_t keysym, bool toggle, Samples& samples, bool hidden) {
        Clock::time_point sent;
        if (!watch.key(keysym, true, sent)) {
            ++samples.failed;
            return;
        }
        if (toggle) {
            Clock::time_point ignored;
            watch.key(keysym, false, ignored);
        }
        const auto change = hidden ? watch.waitAllHidden(std::chrono::seconds(10))
                                   : watch.waitAllShown(std::chrono::seconds(10));
        if (change.complete) {
            samples.add(sent, change.last);
        } else {
            ++samples.failed;
        }
    };
    for (int run = 0; run < repeats; ++run) {
        randomPause(400, 700);
        timed(kShiftL, false, latency.shiftHidden, true);
        randomPause(400, 700);
        Clock::time_point released;
        if (watch.key(kShiftL, false, released)) {
            const auto on = watch.waitAllShown(std::chrono::seconds(10));
            if (on.complete) {
                latency.shiftShown.add(released, on.last);
            } else {
                ++latency.shiftShown.failed;
            }
        }
        randomPause(400, 700);
        timed(kScrollLock, true, latency.scrollHidden, true);
        randomPause(400, 700);
        timed(kScrollLock, true, latency.scrollShown, false);
    }
    return latency;
}

// The program started with one environment variable set: its CPU while the pointer moves, and the
// corner to 1 xterm off the screen and back.
struct Variant {
    IdleProbe moving;
    Latency latency;
};

Variant measureVariant(DesktopWatch& watch, ProgramFolder& folder, const Options& options, const char* name,
                       const char* value, const std::string& log) {
    Variant variant;
    setenv(name, value, 1);
    Samples startup;
    const pid_t program = folder.start(watch, startup, log);
    unsetenv(name);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    variant.moving = IdleProbe(program);
    watch.circle(kMiddleX, kMiddleY, kMotionRadius, kMotionStep, kMotionLength);
    variant.moving.finish();
    {
        TargetWindows windows(watch, options.client, 1, true);
        if (windows.windows().size() == 1) {
            variant.latency = measureLatency(watch, windows.windows(), options.repeats);
        } else {
            variant.latency.hidden.failed = variant.latency.shown.failed = options.repeats;
        }
    }
    Stop(program, std::chrono::seconds(10));
    return variant;
}

void progress(const char* text) {
    std::fprintf(stderr, "bench: %s\n", text);
}

int randomBetween(int low, int high) {
    static std::mt19937 random{std::random_device{}()};
    return std::uniform_int_distribution<int>(low, high)(random);
}

// The points of a straight line from one place to another, `steps` of them, the last one `to`.
std::vector<std::pair<int, int>> line(std::pair<int, int> from, std::pair<int, int> to, int steps) {
    std::vector<std::pair<int, int>> points;
    for (int i = 1; i <= steps; ++i)
        points.emplace_back(from.first + (to.first - from.first) * i / steps,
                            from.second + (to.second - from.second) * i / steps);
    return points;
}

struct MotionFigures {
    std::vector<double> cpu;      // % of one core, one per trial
    std::vector<double> wakeups;  // per trial
    Latency rest;                 // the corner from rest
    Samples moving;               // a moving pointer's last motion into the corner → off the screen
    std::map<int, std::pair<int, int>> passes;  // time in the corner (ms) → caught, tried
};

// From the middle towards the corner in 20 to 45 motions 8 ms apart (0.16–0.36 s, so that where
// the last one falls in the program's pauses varies), the last one into the corner.
std::vector<Clock::time_point> moveIntoCorner(DesktopWatch& watch) {
    return watch.moveAlong(line({kMiddleX, kMiddleY}, {0, 0}, randomBetween(20, 45)), kMotionStep);
}

MotionFigures measureMotion(DesktopWatch& watch, ProgramFolder& folder, const Options& options,
                            const std::string& variant, const std::string& log) {
    MotionFigures figures;
    const auto equals = variant.find('=');
    const std::string name = variant.substr(0, equals);
    if (!variant.empty()) setenv(name.c_str(), variant.substr(equals + 1).c_str(), 1);
    Samples startup;
    watch.movePointer(kMiddleX, kMiddleY);
    const pid_t program = folder.start(watch, startup, log);
    if (!variant.empty()) unsetenv(name.c_str());
    std::this_thread::sleep_for(std::chrono::seconds(3));
    for (int trial = 0; trial < options.trials; ++trial) {
        IdleProbe probe(program);
        watch.circle(kMiddleX, kMiddleY, kMotionRadius, kMotionStep, kMotionLength);
        probe.finish();
        figures.cpu.push_back(probe.cpuPercent());
        figures.wakeups.push_back(static_cast<double>(probe.wakeups()));
        watch.movePointer(kMiddleX, kMiddleY);
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    TargetWindows windows(watch, options.client, 1, true);
    if (windows.windows().size() == 1) {
        figures.rest = measureLatency(watch, windows.windows(), options.repeats);
        for (int run = 0; run < options.repeats; ++run) {
            watch.movePointer(kMiddleX, kMiddleY);
            randomPause(400, 700);
            watch.track(windows.windows());
            const auto sent = moveIntoCorner(watch);
            const auto off = watch.waitAllHidden(std::chrono::seconds(2));
            if (off.complete) {
                figures.moving.add(sent.back(), off.last);
            } else {
                ++figures.moving.failed;
            }
            randomPause(200, 400);
            watch.movePointer(kMiddleX, kMiddleY);
            watch.waitAllShown(std::chrono::seconds(10));
        }
        for (const int dwell : {8, 16, 24, 40}) {
            auto& [caught, tried] = figures.passes[dwell];
            for (int run = 0; run < options.repeats + 3; ++run) {
                watch.movePointer(kMiddleX, kMiddleY);
                randomPause(400, 700);
                watch.track(windows.windows());
                moveIntoCorner(watch);
                std::this_thread::sleep_for(std::chrono::milliseconds(dwell));
                // Out at once; the events of what happened meanwhile are kept for the wait.
                watch.movePointer(kMiddleX, kMiddleY);
                ++tried;
                if (watch.waitAllHidden(std::chrono::milliseconds(500)).complete) {
                    ++caught;
                    watch.waitAllShown(std::chrono::seconds(10));
                }
            }
        }
    }
    Stop(program, std::chrono::seconds(10));
    return figures;
}

std::string medianRange(std::vector<double> values, int decimals, const char* unit) {
    if (values.empty()) return "—";
    std::sort(values.begin(), values.end());
    char text[128];
    std::snprintf(text, sizeof text, "%.*f%s (%.*f–%.*f)", decimals, median(values), unit, decimals,
                  values.front(), decimals, values.back());
    return text;
}

int runMotion(const Options& options, DesktopWatch& watch, const std::string& logs) {
    ProgramFolder folder(options.program);
    std::vector<std::string> variants{""};
    variants.insert(variants.end(), options.variants.begin(), options.variants.end());
    std::printf(
        "| Setting | CPU while moving, %% of one core: median (range) of %d × 10 s | wake-ups in 10 s | "
        "corner from rest (median / max) | corner from a moving pointer (median / max) | passes of a "
        "moving pointer caught, by time in the corner |\n|---|---|---|---|---|---|\n",
        options.trials);
    for (const std::string& variant : variants) {
        const std::string text =
            "the moving pointer, " + (variant.empty() ? std::string("as it is") : variant);
        progress(text.c_str());
        const MotionFigures f = measureMotion(watch, folder, options, variant, logs + "/zelmora2nd.log");
        std::string passes;
        for (const auto& [dwell, counts] : f.passes)
            passes += (passes.empty() ? "" : ", ") + std::to_string(dwell) + " ms " +
                      std::to_string(counts.first) + "/" + std::to_string(counts.second);
        std::printf("| %s | %s | %s | %s | %s | %s |\n", variant.empty() ? "as it is" : variant.c_str(),
                    medianRange(f.cpu, 3, " %").c_str(), medianRange(f.wakeups, 0, "").c_str(),
                    medianMax(f.rest.hidden).c_str(), medianMax(f.moving).c_str(), passes.c_str());
        std::fflush(stdout);
    }
    return 0;
}

// zel-bench-poll, built beside this program.
std::string pollLoopPath() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/zel-bench-poll";
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--no-kdocker") {
            options.kdocker = false;
            continue;
        }
        if (arg == "--motion") {
            options.motion = true;
            continue;
        }
        if (value == nullptr) return false;
        ++i;
        if (arg == "--program") {
            options.program = value;
        } else if (arg == "--client") {
            options.client = value;
        } else if (arg == "--gbench") {
            options.gbench = value;
        } else if (arg == "--logs") {
            options.logs = value;
        } else if (arg == "--repeats") {
            options.repeats = std::max(1, std::atoi(value));
        } else if (arg == "--trials") {
            options.trials = std::max(1, std::atoi(value));
        } else if (arg == "--variant") {
            options.variants.emplace_back(value);
        } else if (arg == "--idle-seconds") {
            options.idleSeconds = std::max(1, std::atoi(value));
        } else {
            return false;
        }
    }
    return !options.program.empty() && !options.client.empty();
}

}  // namespace

int run(const Options& options) {
    auto watch = DesktopWatch::connect();
    if (!watch) {
        std::fprintf(stderr, "zel-bench-desktop: no X server on DISPLAY\n");
        return 1;
    }
    TempFolder scratch;
    const std::string logs = options.logs.empty() ? scratch.path() : options.logs;
    const std::string programLog = logs + "/zelmora2nd.log";
    if (options.motion) return runMotion(options, *watch, logs);
    ProgramFolder folder(options.program);
    watch->movePointer(kMiddleX, kMiddleY);

    progress("start-up until the tray icon shows");
    Samples startup;
    for (int run = 0; run < options.repeats - 1; ++run) {
        const pid_t pid = folder.start(*watch, startup, programLog);
        Stop(pid, std::chrono::seconds(10));
    }

    KdockerFigures kdocker;
    if (options.kdocker) {
        progress("kdocker: command until the window is off the screen");
        kdocker = measureKdocker(*watch, std::max(3, options.repeats / 2), logs);
    }
    progress("xdotool behave_screen_edge: corner until the window is off the screen");
    const Samples xdotoolEdge = measureXdotoolEdge(*watch, options.repeats, logs);

    const pid_t program = folder.start(*watch, startup, programLog);
    const xcb_window_t programIcon = watch->trayIcon();
    const pid_t xdotool = startXdotoolIdle(logs);
    const pid_t pollLoop = startPollLoop(pollLoopPath());
    watch->movePointer(kMiddleX, kMiddleY);
    // Let the start-ups settle (Qt loads fonts and plugins, kdocker its icons) before measuring.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const std::string idleText = "idle CPU over " + std::to_string(options.idleSeconds) + " s";
    progress(idleText.c_str());
    IdleProbe ours(program), edge(xdotool), docker(kdocker.holder), floor(pollLoop);
    std::this_thread::sleep_for(std::chrono::seconds(options.idleSeconds));
    for (IdleProbe* probe : {&ours, &edge, &docker, &floor})
        probe->finish();
    progress("CPU while the pointer moves");
    IdleProbe oursMoving(program), edgeMoving(xdotool), floorMoving(pollLoop);
    const int moves = watch->circle(kMiddleX, kMiddleY, kMotionRadius, kMotionStep, kMotionLength);
    for (IdleProbe* probe : {&oursMoving, &edgeMoving, &floorMoving})
        probe->finish();
    watch->movePointer(kMiddleX, kMiddleY);
    Stop(xdotool);
    Stop(pollLoop);
    Stop(kdocker.heldXterm);
    Stop(kdocker.holder);

    std::vector<std::pair<int, Latency>> latencies;
    progress("Shift and ScrollLock: 1 window off the screen and back");
    KeyLatency keys;
    {
        TargetWindows windows(*watch, options.client, 1, true);
        if (windows.windows().size() == 1)
            keys = measureKeyLatency(*watch, windows.windows(), options.repeats);
    }
    for (const int count : {1, 10, 100}) {
        const std::string text = "concealing and restoring " + std::to_string(count) + " window(s)";
        progress(text.c_str());
        TargetWindows windows(*watch, options.client, count, count <= 10);
        Latency latency;
        if (windows.windows().size() == static_cast<std::size_t>(count)) {
            latency = measureLatency(*watch, windows.windows(), options.repeats,
                                     count == 100 ? programIcon : XCB_NONE);
        } else {
            latency.hidden.failed = latency.shown.failed = options.repeats;
        }
        latencies.emplace_back(count, latency);
    }
    const auto memoryAfter = memoryOf(program);
    const bool endedByTerm = Stop(program, std::chrono::seconds(10));
    reapExited();
    progress("the same with the input polled every 300 ms (ZEL_NO_INPUT_EVENTS=1)");
    const Variant polled = measureVariant(*watch, folder, options, "ZEL_NO_INPUT_EVENTS", "1", programLog);
    progress("the same without the pauses of the motion reports (ZEL_MOTION_PAUSE_MS=0)");
    const Variant unpaused = measureVariant(*watch, folder, options, "ZEL_MOTION_PAUSE_MS", "0", programLog);

    Table table;
    table.Row("Idle CPU, pointer in the middle (% of one core)", ours.cpuCell(), edge.cpuCell(),
              kdocker.holder > 0 ? docker.cpuCell() : "not measured (kdocker missing or it failed)",
              "goal 0.005 %; a bare 300 ms poll loop: " + floor.cpuCell());
    table.Row("Idle wake-ups (context switches, by thread)", ours.wakeupsCell(), edge.wakeupsCell(),
              kdocker.holder > 0 ? docker.wakeupsCell() : "not measured",
              "goal 0; a bare 300 ms poll loop: " + floor.wakeupsCell());
    const std::string motion = std::to_string(moves) + " XTEST moves in " +
                               std::to_string(kMotionLength.count()) + " s (every " +
                               std::to_string(kMotionStep.count()) + " ms)";
    table.Row("CPU while the pointer moves without pause (% of one core)",
              oursMoving.cpuCell() + "; wake-ups " + oursMoving.wakeupsCell(), edgeMoving.cpuCell(), "—",
              "goal 0.5 %; " + motion + "; every motion evaluated: " + unpaused.moving.cpuCell() +
                  "; input polled every 300 ms: " + polled.moving.cpuCell() +
                  "; a bare 300 ms poll loop: " + floorMoving.cpuCell());
    table.Row("Memory at the end of the idle stretch (RSS / PSS)", ours.memoryCell(), edge.memoryCell(),
              kdocker.holder > 0 ? docker.memoryCell() + ", holding one withdrawn xterm" : "not measured",
              "bare poll loop: " + floor.memoryCell());
    table.Row("Memory after the concealment runs (RSS / PSS)", memoryAfter ? memoryText(*memoryAfter) : "—",
              "—", "—", endedByTerm ? "the program ended on SIGTERM" : "the program had to be killed");
    table.Row("Start-up until the tray icon is on the screen (median / max)", medianMax(startup),
              "— (no icon)", "—",
              std::to_string(startup.ms.size()) + " starts, the first one with cold caches");
    for (const auto& [count, latency] : latencies) {
        const std::string what = count <= 10 ? " xterm" : " test-client window";
        const std::string windows = std::to_string(count) + what + (count > 1 ? "s" : "");
        const std::string limit = count == 100 ? "the motion event + 20 ms" : "the motion event + work";
        table.Row("Pointer into the corner → " + windows + " off the screen (median / max)",
                  medianMax(latency.hidden), count == 1 ? medianMax(xdotoolEdge) + " ¹" : "—",
                  count == 1 && kdocker.available
                      ? "cold " + medianMax(kdocker.cold) + ", warm " + medianMax(kdocker.warm) + " ²"
                      : "—",
                  limit + "; all withdrawn " + medianMax(latency.withdrawn) +
                      "; first withdrawn → last off " + medianMax(latency.work));
        table.Row("Pointer out → " + windows + " back (median / max)", medianMax(latency.shown), "—", "—",
                  "the motion event + the window manager");
        if (!latency.stall.ms.empty() || latency.stall.failed > 0) {
            table.Row("Longest stall of the event loop while " + windows + " come back (median / max)",
                      medianMax(latency.stall), "—", "—",
                      "goal 50 ms; a _NET_WM_PING to the tray icon every ms, its longest wait for the "
                      "answer; the X "
                      "server's own longest round trip meanwhile " +
                          medianMax(latency.serverStall));
        }
    }
    table.Row("Shift pressed → 1 xterm off the screen; released → back (median / max)",
              medianMax(keys.shiftHidden) + "; " + medianMax(keys.shiftShown), "—", "—",
              "goal 20 ms; the key event (XKB state) + work");
    table.Row("ScrollLock on → 1 xterm off the screen; off → back (median / max)",
              medianMax(keys.scrollHidden) + "; " + medianMax(keys.scrollShown), "—", "—",
              "goal 20 ms; the indicator change + work");
    for (const auto& [variant, what] :
         {std::pair{&unpaused, "every motion evaluated (ZEL_MOTION_PAUSE_MS=0)"},
          std::pair{&polled, "input polled every 300 ms (ZEL_NO_INPUT_EVENTS=1)"}}) {
        table.Row(
            std::string("Pointer into the corner → 1 xterm off the screen, ") + what + " (median / max)",
            medianMax(variant->latency.hidden), "—", "—",
            "all withdrawn " + medianMax(variant->latency.withdrawn) + "; pointer out → back " +
                medianMax(variant->latency.shown));
    }
    if (!options.gbench.empty()) addCoreRows(table, readBenchmarkJson(options.gbench));
    table.print(stdout);
    std::printf(
        "\n¹ behave_screen_edge runs `xdotool windowunmap WINDOW` on entering the corner: event driven, no "
        "placement saved, one window.\n"
        "² from the kdocker command to the window off the screen; cold: kdocker starts with it, warm: a "
        "running kdocker takes the window over.\n");
    return 0;
}

}  // namespace bench

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench::Options options;
    if (!bench::parseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: zel-bench-desktop --program PATH --client PATH [--repeats N] [--idle-seconds S] "
                     "[--gbench FILE] [--no-kdocker] [--logs FOLDER] [--motion [--trials N] [--variant "
                     "NAME=VALUE]...]\n");
        return 2;
    }
    return bench::run(options);
}
