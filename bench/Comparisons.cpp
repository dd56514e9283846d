#include "Comparisons.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

namespace bench {

namespace {

constexpr int kMiddleX = 500, kMiddleY = 400;

// One xterm of the class; its window once the window manager shows it (0 when it never does).
xcb_window_t openXterm(DesktopWatch& watch, const std::string& className, pid_t& pid) {
    pid = spawn({"xterm", "-class", className, "-geometry", "60x10+300+200"});
    if (pid < 0) return 0;
    const auto found = watch.waitForClients(className, 1, std::chrono::seconds(20));
    return found.size() == 1 ? found.front() : 0;
}

void closeXterm(DesktopWatch& watch, pid_t pid, xcb_window_t window) {
    Stop(pid);
    watch.waitForGone({window}, std::chrono::seconds(10));
}

bool haveCommand(const char* name) {
    const std::string check = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(check.c_str()) == 0;
}

// Docks the xterm with a new kdocker command: the time until it is off the screen.
bool dockOnce(DesktopWatch& watch, xcb_window_t window, const std::string& log, Samples& samples,
              pid_t& kdocker) {
    watch.track({window});
    const auto t0 = Clock::now();
    kdocker = spawn({"kdocker", "-q", "-w", hex(window)}, {}, log);
    const auto change = watch.waitAllHidden(std::chrono::seconds(10));
    if (!change.complete) {
        ++samples.failed;
        return false;
    }
    samples.add(t0, change.last);
    return true;
}

}  // namespace

std::string hex(std::uint32_t window) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", window);
    return text;
}

void randomPause(int minMs, int maxMs) {
    static std::mt19937 random{std::random_device{}()};
    std::this_thread::sleep_for(
        std::chrono::milliseconds(std::uniform_int_distribution<int>(minMs, maxMs)(random)));
}

KdockerFigures measureKdocker(DesktopWatch& watch, int repeats, const std::string& logFolder) {
    KdockerFigures figures;
    figures.available = haveCommand("kdocker");
    if (!figures.available) return figures;
    const std::string log = logFolder + "/kdocker.log";
    const std::string cls = "KdBench";
    for (int run = 0; run < repeats; ++run) {
        pid_t xterm = -1, kdocker = -1;
        const xcb_window_t window = openXterm(watch, cls, xterm);
        const bool docked = window != 0 && dockOnce(watch, window, log, figures.cold, kdocker);
        if (!docked && window == 0) ++figures.cold.failed;
        if (docked && run == repeats - 1) {
            figures.holder = kdocker;  // keeps holding this xterm for the idle figures
            figures.heldXterm = xterm;
            break;
        }
        closeXterm(watch, xterm, window);
        Stop(kdocker);
    }
    if (figures.holder < 0) return figures;
    // The running kdocker takes further windows from the commands that hand them over.
    for (int run = 0; run < repeats; ++run) {
        pid_t xterm = -1, handOver = -1;
        const xcb_window_t window = openXterm(watch, cls, xterm);
        if (window == 0 || !dockOnce(watch, window, log, figures.warm, handOver)) {
            if (window == 0) ++figures.warm.failed;
        }
        waitForExit(handOver, std::chrono::seconds(5));
        closeXterm(watch, xterm, window);
    }
    return figures;
}

Samples measureXdotoolEdge(DesktopWatch& watch, int repeats, const std::string& logFolder) {
    Samples samples;
    pid_t xterm = -1;
    const xcb_window_t window = openXterm(watch, "XdBench", xterm);
    if (window == 0) {
        samples.failed = repeats;
        return samples;
    }
    watch.movePointer(kMiddleX, kMiddleY);
    // A quiet time of 500 ms after each run of the command: one unmap per entry into the corner.
    const pid_t edge = spawn({"xdotool", "behave_screen_edge", "--quiesce", "500", "top-left", "exec",
                              "xdotool", "windowunmap", hex(window)},
                             {}, logFolder + "/xdotool.log");
    // xdotool gives no sign when it listens; give it a moment to select the pointer events.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    for (int run = 0; run < repeats; ++run) {
        watch.track({window});
        randomPause(600, 900);
        const auto t0 = watch.movePointer(0, 0);
        const auto hidden = watch.waitAllHidden(std::chrono::seconds(5));
        if (hidden.complete) {
            samples.add(t0, hidden.last);
        } else {
            ++samples.failed;
        }
        watch.movePointer(kMiddleX, kMiddleY);
        watch.map({window});
        if (!watch.waitAllShown(std::chrono::seconds(5)).complete)
            std::fprintf(stderr, "bench: xdotool's xterm did not come back\n");
    }
    Stop(edge);
    closeXterm(watch, xterm, window);
    return samples;
}

pid_t startXdotoolIdle(const std::string& logFolder) {
    return spawn({"xdotool", "behave_screen_edge", "top-left", "exec", "true"}, {},
                 logFolder + "/xdotool.log");
}

pid_t startPollLoop(const std::string& pollLoop) {
    return spawn({pollLoop});
}

}  // namespace bench
