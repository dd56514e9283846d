#include "Processes.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace bench {

namespace {

pid_t spawnWith(const std::vector<std::string>& argv, posix_spawn_file_actions_t& actions) {
    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        std::fprintf(stderr, "bench: cannot start %s\n", argv[0].c_str());
        return -1;
    }
    return pid;
}

// The text of a /proc file; empty when the process is gone.
std::string readAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The value of a "Key:   123 kB" (or "Key:\t123") line.
long kbField(const std::string& text, const std::string& key) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 && line[key.size()] == ':')
            return std::strtol(line.c_str() + key.size() + 1, nullptr, 10);
    }
    return -1;
}

}  // namespace

pid_t spawn(const std::vector<std::string>& argv, const std::string& folder, const std::string& log) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    return spawnWith(argv, actions);
}

bool waitForExit(pid_t pid, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (true) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || done < 0) return true;
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool Stop(pid_t pid, std::chrono::milliseconds grace) {
    if (pid <= 0) return true;
    kill(pid, SIGTERM);
    if (waitForExit(pid, grace)) return true;
    kill(pid, SIGKILL);
    waitForExit(pid, std::chrono::seconds(5));
    return false;
}

void reapExited() {
    int status = 0;
    while (waitpid(-1, &status, WNOHANG) > 0) {
    }
}

std::optional<CpuTime> cpuOf(pid_t pid) {
    const std::string base = "/proc/" + std::to_string(pid);
    const std::string stat = readAll(base + "/stat");
    const auto nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) return std::nullopt;
    // Fields after the command name: state is field 3, utime 14, stime 15.
    std::istringstream fields(stat.substr(nameEnd + 2));
    std::string field;
    double utime = 0, stime = 0;
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14) utime = std::stod(field);
        if (index == 15) stime = std::stod(field);
    }
    CpuTime cpu;
    cpu.statMs = (utime + stime) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    std::error_code gone;
    for (const auto& task : std::filesystem::directory_iterator(base + "/task", gone)) {
        const std::string path = task.path().string();
        const std::string sched = readAll(path + "/schedstat");
        cpu.schedMs += std::strtod(sched.c_str(), nullptr) / 1e6;
        const std::string status = readAll(path + "/status");
        const long switches = std::max(0L, kbField(status, "voluntary_ctxt_switches")) +
                              std::max(0L, kbField(status, "nonvoluntary_ctxt_switches"));
        std::string name = readAll(path + "/comm");
        if (!name.empty() && name.back() == '\n') name.pop_back();
        cpu.switches += switches;
        cpu.switchesByThread[name] += switches;
    }
    return cpu;
}

std::optional<Memory> memoryOf(pid_t pid) {
    const std::string base = "/proc/" + std::to_string(pid);
    const std::string status = readAll(base + "/status");
    if (status.empty()) return std::nullopt;
    Memory memory;
    memory.rssKb = kbField(status, "VmRSS");
    memory.pssKb = kbField(readAll(base + "/smaps_rollup"), "Pss");
    return memory;
}

TempFolder::TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/zel-bench.XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace bench
