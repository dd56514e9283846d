// zel-bench-idle: where the idle zelmora2nd spends its CPU time (run through bench/profile-idle.sh).
// With the pointer in the middle of the screen and nothing to conceal, it reports
//   - per thread: wake-ups (voluntary context switches) and CPU time over the stretch, and the same
//     per minute, beside a bare 300 ms poll loop (zel-bench-poll) as the floor;
//   - the system calls made meanwhile, each with its time and thread, and their counts (strace),
//     over a second stretch of the same length;
//   - with --callgrind: the instructions run in user space meanwhile (valgrind's callgrind, switched
//     on only after the start-up), with the functions that run them.
//
// With --moving, the pointer moves without pause during the stretches (XTEST, every 8 ms).
//
//   zel-bench-idle --program PATH [--seconds 30] [--callgrind] [--moving] [--logs FOLDER]
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "Comparisons.h"
#include "DesktopWatch.h"
#include "ProgramFolder.h"
#include "Report.h"

namespace bench {

namespace {

struct ThreadSample {
    std::string name;
    long wakeups = 0;  // voluntary context switches: the thread slept and was woken
    double cpuMs = 0;
};

std::string firstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

std::map<std::string, ThreadSample> threads(pid_t pid) {
    std::map<std::string, ThreadSample> threads;
    std::error_code ignored;
    for (const auto& task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ignored)) {
        const std::string base = task.path().string();
        ThreadSample& sample = threads[task.path().filename().string()];
        sample.name = firstLine(base + "/comm");
        sample.cpuMs = std::strtod(firstLine(base + "/schedstat").c_str(), nullptr) / 1e6;
        std::ifstream status(base + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0) sample.wakeups = std::atol(line.c_str() + 24);
        }
    }
    return threads;
}

void printThreads(const char* who, const std::map<std::string, ThreadSample>& before,
                  const std::map<std::string, ThreadSample>& after, int seconds) {
    const double minutes = seconds / 60.0;
    long wakeups = 0;
    double cpuMs = 0;
    for (const auto& [id, end] : after) {
        const auto start = before.find(id);
        if (start == before.end()) continue;
        const long w = end.wakeups - start->second.wakeups;
        const double ms = end.cpuMs - start->second.cpuMs;
        wakeups += w;
        cpuMs += ms;
        std::printf("| %s | %s | %ld | %.2f |\n", who, end.name.c_str(), w, ms);
    }
    std::printf("| %s | all: per minute | %.1f | %.2f |\n", who, static_cast<double>(wakeups) / minutes,
                cpuMs / minutes);
}

void section(const std::string& title) {
    std::printf("\n### %s\n\n", title.c_str());
    std::fflush(stdout);
}

// Runs a shell command and shows its output as a block.
void show(const std::string& command) {
    std::printf("```\n");
    std::fflush(stdout);
    if (std::system(command.c_str()) != 0) std::printf("(%s failed)\n", command.c_str());
    std::printf("```\n");
    std::fflush(stdout);
}

void profileCallgrind(DesktopWatch& watch, ProgramFolder& folder, int seconds, const std::string& logs) {
    section("User-space instructions over " + std::to_string(seconds) + " s (callgrind)");
    const std::string out = logs + "/callgrind.out";
    Samples ignored;
    const pid_t pid =
        folder.start(watch, ignored, logs + "/valgrind.log",
                     {"valgrind", "--tool=callgrind", "--instr-atstart=no", "--callgrind-out-file=" + out});
    if (ignored.ms.empty()) {
        std::printf("The program did not start under valgrind (see %s/valgrind.log).\n", logs.c_str());
        Stop(pid);
        return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(5));
    const std::string control = "callgrind_control " + std::to_string(pid);
    if (std::system((control + " -i on >/dev/null 2>&1").c_str()) != 0)
        std::printf("callgrind_control -i failed\n");
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    if (std::system((control + " -d >/dev/null 2>&1").c_str()) != 0)
        std::printf("callgrind_control -d failed\n");
    Stop(pid, std::chrono::seconds(20));
    show("callgrind_annotate --inclusive=yes " + out +
         ".1 2>/dev/null | grep -E 'PROGRAM TOTALS|^ *[0-9,]+ \\(' "
         "| head -25 | cut -c1-160");
}

}  // namespace

// Waits out a stretch: idle, or with the pointer moving without pause (XTEST, every 8 ms, in circles
// in the middle of the screen).
void stretch(DesktopWatch& watch, int seconds, bool moving) {
    if (moving) {
        watch.circle(500, 400, 150, std::chrono::milliseconds(8), std::chrono::seconds(seconds));
    } else {
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
    }
}

int runIdleProfile(const std::string& program, int seconds, bool callgrind, bool moving,
                   const std::string& logs) {
    auto watch = DesktopWatch::connect();
    if (!watch) {
        std::fprintf(stderr, "zel-bench-idle: no X server on DISPLAY\n");
        return 1;
    }
    watch->movePointer(500, 400);
    ProgramFolder folder(program);
    Samples startup;
    const pid_t pid = folder.start(*watch, startup, logs + "/zelmora2nd.log");
    const pid_t floor = startPollLoop(std::filesystem::read_symlink("/proc/self/exe").parent_path().string() +
                                      "/zel-bench-poll");
    if (startup.ms.empty()) {
        std::fprintf(stderr, "zel-bench-idle: the program did not start\n");
        Stop(floor);
        Stop(pid);
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(5));

    section("Wake-ups and CPU time over " + std::to_string(seconds) + " s, pointer " +
            (moving ? "moving in the middle" : "in the middle"));
    std::printf("| Process | Thread | Wake-ups | CPU ms |\n|---|---|---|---|\n");
    const auto ours = threads(pid), bare = threads(floor);
    stretch(*watch, seconds, moving);
    printThreads("zelmora2nd", ours, threads(pid), seconds);
    printThreads("bare poll loop", bare, threads(floor), seconds);
    Stop(floor);

    // Every call with its time and thread (the first 40 lines), then the counts: what ends each sleep.
    section("System calls over " + std::to_string(seconds) + " s (strace -f -tt -C)");
    const std::string straceOut = logs + "/strace.txt";
    const pid_t strace = spawn({"strace", "-f", "-tt", "-C", "-o", straceOut, "-p", std::to_string(pid)});
    stretch(*watch, seconds, moving);
    kill(strace, SIGINT);
    waitForExit(strace, std::chrono::seconds(10));
    show("head -40 " + straceOut + "; echo ...; grep -A30 '% time' " + straceOut +
         " || echo 'no system call ended (the threads slept throughout)'");
    Stop(pid, std::chrono::seconds(10));

    if (callgrind) profileCallgrind(*watch, folder, seconds, logs);
    return 0;
}

}  // namespace bench

int main(int argc, char** argv) {
    std::string program, logs = "/tmp";
    int seconds = 30;
    bool callgrind = false, moving = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--callgrind") {
            callgrind = true;
        } else if (arg == "--moving") {
            moving = true;
        } else if (arg == "--program" && i + 1 < argc) {
            program = argv[++i];
        } else if (arg == "--seconds" && i + 1 < argc) {
            seconds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--logs" && i + 1 < argc) {
            logs = argv[++i];
        } else {
            program.clear();
            break;
        }
    }
    if (program.empty()) {
        std::fprintf(
            stderr,
            "usage: zel-bench-idle --program PATH [--seconds 30] [--callgrind] [--moving] [--logs FOLDER]\n");
        return 2;
    }
    return bench::runIdleProfile(program, seconds, callgrind, moving, logs);
}
