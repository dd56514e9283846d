#pragma once

// Child processes of the desktop benchmark, and what /proc tells about a process: CPU time and memory.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

// Starts argv (looked up in PATH) in `folder` (the current one when empty) with stdin from
// /dev/null and stdout/stderr appended to `log`. -1 when it cannot start.
pid_t spawn(const std::vector<std::string>& argv, const std::string& folder = {},
            const std::string& log = "/dev/null");

// Waits for the child to end; true when it did within `timeout`.
bool waitForExit(pid_t pid, std::chrono::milliseconds timeout);

// SIGTERM, then SIGKILL after `grace`; the child is reaped. True when it ended by the TERM.
bool Stop(pid_t pid, std::chrono::milliseconds grace = std::chrono::seconds(3));

// Reaps children that ended by themselves (kdocker's second starts hand over and exit).
void reapExited();

// CPU time used by a process (all its threads), in milliseconds, and how often its threads were
// switched in: voluntary (it slept and was woken) and involuntary context switches.
struct CpuTime {
    double statMs = 0;   // utime + stime of /proc/PID/stat: whole clock ticks (10 ms)
    double schedMs = 0;  // sum over the threads of /proc/PID/task/*/schedstat: nanoseconds
    long switches = 0;   // sum over the threads of /proc/PID/task/*/status
    std::map<std::string, long> switchesByThread;  // by the thread's name (comm)
};
std::optional<CpuTime> cpuOf(pid_t pid);

// Resident memory: VmRSS of /proc/PID/status and Pss of /proc/PID/smaps_rollup, in KiB.
struct Memory {
    long rssKb = 0;
    long pssKb = 0;
};
std::optional<Memory> memoryOf(pid_t pid);

// A folder of its own under $TMPDIR, removed with its contents on destruction.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace bench
