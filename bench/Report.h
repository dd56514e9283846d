#pragma once

// Figures of the desktop benchmark and the one table it prints (Markdown, for the README).

#include <sys/types.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "Processes.h"

namespace bench {

// Repeated latencies in milliseconds; `failed` runs that never finished.
struct Samples {
    std::vector<double> ms;
    int failed = 0;
    void add(Clock::time_point from, Clock::time_point to);
};
double median(std::vector<double> values);
double max(const std::vector<double>& values);
// "152 / 298 ms" (median / max), with the failed runs named; "not measured" when empty.
std::string medianMax(const Samples& samples);

// CPU time and wake-ups of a process over a stretch (idle, or the pointer moving), and its memory
// at the end.
class IdleProbe {
public:
    IdleProbe() = default;
    explicit IdleProbe(pid_t pid);
    void finish();
    // "0.045 % (27 ms in 60 s)", or why not.
    std::string cpuCell() const;
    // "45.1 MB / 30.2 MB" (RSS / PSS).
    std::string memoryCell() const;
    // "2.0 a minute (2 in 60 s: zelmora2nd 2)": context switches, with the threads that had them.
    std::string wakeupsCell() const;
    double cpuPercent() const;
    // Context switches over the stretch.
    long wakeups() const { return valid_ ? last_.switches - first_.switches : 0; }

private:
    pid_t pid_ = -1;
    Clock::time_point start_, end_;
    CpuTime first_, last_;
    Memory memory_;
    bool valid_ = false;
};
std::string memoryText(const Memory& memory);

// One row per measurement; the columns are the programs compared.
class Table {
public:
    void Row(const std::string& what, const std::string& ours, const std::string& xdotool,
             const std::string& kdocker, const std::string& note);
    void print(std::FILE* out) const;

private:
    std::vector<std::vector<std::string>> rows_;
};

// The results of a Google Benchmark JSON file: benchmark name → field or counter → value
// (times in the benchmark's own unit, as printed).
using BenchmarkResults = std::map<std::string, std::map<std::string, double>>;
BenchmarkResults readBenchmarkJson(const std::string& path);

// The rows of the core benchmark (zel_cycle_bench): the idle tick, and the ticks that conceal and
// restore 1, 10 and 100 windows.
void addCoreRows(Table& table, const BenchmarkResults& results);

// Formats a number with the given decimals.
std::string fixed(double value, int decimals);

}  // namespace bench
