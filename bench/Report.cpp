#include "Report.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>

namespace bench {

void Samples::add(Clock::time_point from, Clock::time_point to) {
    ms.push_back(std::chrono::duration<double, std::milli>(to - from).count());
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double max(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string medianMax(const Samples& samples) {
    if (samples.ms.empty())
        return samples.failed > 0 ? "failed (" + std::to_string(samples.failed) + " runs)" : "—";
    const int decimals = max(samples.ms) < 10 ? 1 : 0;
    std::string text = fixed(median(samples.ms), decimals) + " / " + fixed(max(samples.ms), decimals) + " ms";
    if (samples.failed > 0) text += " (" + std::to_string(samples.failed) + " runs failed)";
    return text;
}

IdleProbe::IdleProbe(pid_t pid) : pid_(pid), start_(Clock::now()) {
    const auto cpu = cpuOf(pid);
    valid_ = cpu.has_value();
    if (cpu) first_ = *cpu;
}

void IdleProbe::finish() {
    if (!valid_) return;
    end_ = Clock::now();
    const auto cpu = cpuOf(pid_);
    const auto memory = memoryOf(pid_);
    valid_ = cpu.has_value() && memory.has_value();
    if (cpu) last_ = *cpu;
    if (memory) memory_ = *memory;
}

double IdleProbe::cpuPercent() const {
    const double wallMs = std::chrono::duration<double, std::milli>(end_ - start_).count();
    return wallMs > 0 ? 100.0 * (last_.schedMs - first_.schedMs) / wallMs : 0;
}

std::string IdleProbe::cpuCell() const {
    if (!valid_) return "not running";
    const double seconds = std::chrono::duration<double>(end_ - start_).count();
    // schedstat counts nanoseconds; utime + stime whole clock ticks (shown for comparison).
    return fixed(cpuPercent(), 3) + " % (" + fixed(last_.schedMs - first_.schedMs, 1) + " ms in " +
           fixed(seconds, 0) + " s; utime+stime " + fixed(last_.statMs - first_.statMs, 0) + " ms)";
}

std::string IdleProbe::wakeupsCell() const {
    if (!valid_) return "not running";
    const double seconds = std::chrono::duration<double>(end_ - start_).count();
    const long count = last_.switches - first_.switches;
    std::string text = fixed(seconds > 0 ? static_cast<double>(count) * 60 / seconds : 0, 1) + " a minute (" +
                       std::to_string(count) + " in " + fixed(seconds, 0) + " s";
    std::string threads;
    for (const auto& [name, switches] : last_.switchesByThread) {
        const auto before = first_.switchesByThread.find(name);
        const long delta = switches - (before == first_.switchesByThread.end() ? 0 : before->second);
        if (delta != 0) threads += (threads.empty() ? ": " : ", ") + name + " " + std::to_string(delta);
    }
    return text + threads + ")";
}

std::string memoryText(const Memory& memory) {
    return fixed(static_cast<double>(memory.rssKb) / 1024.0, 1) + " MB / " +
           fixed(static_cast<double>(memory.pssKb) / 1024.0, 1) + " MB";
}

std::string IdleProbe::memoryCell() const {
    return valid_ ? memoryText(memory_) : "not running";
}

void Table::Row(const std::string& what, const std::string& ours, const std::string& xdotool,
                const std::string& kdocker, const std::string& note) {
    rows_.push_back({what, ours, xdotool, kdocker, note});
}

void Table::print(std::FILE* out) const {
    std::fprintf(out, "| Measurement | zelmora2nd | xdotool behave_screen_edge | kdocker | Limit, notes |\n");
    std::fprintf(out, "|---|---|---|---|---|\n");
    for (const auto& row : rows_) {
        std::fprintf(out, "|");
        for (const auto& cell : row)
            std::fprintf(out, " %s |", cell.c_str());
        std::fprintf(out, "\n");
    }
}

BenchmarkResults readBenchmarkJson(const std::string& path) {
    BenchmarkResults results;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return results;
    const QJsonArray benchmarks =
        QJsonDocument::fromJson(file.readAll()).object().value("benchmarks").toArray();
    for (const QJsonValue& entry : benchmarks) {
        const QJsonObject object = entry.toObject();
        if (object.value("error_occurred").toBool()) continue;
        auto& fields = results[object.value("name").toString().toStdString()];
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (it.value().isDouble()) fields[it.key().toStdString()] = it.value().toDouble();
        }
    }
    return results;
}

namespace {

// The first result whose name starts with `prefix`; nullptr when none.
const std::map<std::string, double>* find(const BenchmarkResults& results, const std::string& prefix) {
    for (const auto& [name, fields] : results) {
        if (name.rfind(prefix, 0) == 0) return &fields;
    }
    return nullptr;
}

double field(const std::map<std::string, double>& fields, const std::string& key) {
    const auto it = fields.find(key);
    return it == fields.end() ? 0 : it->second;
}

// "1.2 / 3.4 ms" from the counters NAME_ms and NAME_max_ms.
std::string medianMaxOf(const std::map<std::string, double>& fields, const std::string& name) {
    return fixed(field(fields, name + "_ms"), 1) + " / " + fixed(field(fields, name + "_max_ms"), 1) + " ms";
}

}  // namespace

void addCoreRows(Table& table, const BenchmarkResults& results) {
    const auto* idle = find(results, "BM_CycleIdleTick");
    if (idle == nullptr) {
        table.Row("Core: one idle tick", "not measured (no Google Benchmark results)", "—", "—", "");
    } else {
        // Times in microseconds, as the benchmark declares; 200 ticks a minute.
        const double cpuUs = field(*idle, "cpu_time");
        table.Row(
            "Core: one evaluation of the cycle with nothing to conceal, on the X11 backend (CPU / wall)",
            fixed(cpuUs, 1) + " µs / " + fixed(field(*idle, "real_time"), 1) + " µs, " +
                fixed(field(*idle, "round_trips"), 1) + " round trip",
            "—", "—",
            "once per pass of the event loop that had input changes, none while idle; where the input "
            "is polled, × 200 a minute = " +
                fixed(cpuUs * 200 / 1000, 2) + " ms CPU a minute (" + fixed(cpuUs * 200 / 60e6 * 100, 4) +
                " % of a core)");
    }
    if (const auto* steps = find(results, "BM_ConcealSteps/100")) {
        std::string text;
        for (const char* name : {"enumerate", "discover", "hide", "restore"}) {
            if (!text.empty()) text += "; ";
            text += std::string(name) + " " + fixed(field(*steps, std::string(name) + "_ms"), 1) + " ms, " +
                    fixed(field(*steps, std::string(name) + "_trips"), 0) + " reply waits";
        }
        table.Row("Core: the 100-window concealment step by step", text, "—", "—",
                  "discover = enumerate + class and title of each window + table refresh; hide = placements "
                  "read + withdraw; a reply wait is shorter than a round trip where requests go in batches");
    }
    for (const int count : {1, 10, 100}) {
        const auto* cycle = find(results, "BM_CycleConcealRestore/" + std::to_string(count) + "/");
        if (cycle == nullptr) continue;
        const std::string windows = std::to_string(count) + (count == 1 ? " window" : " windows");
        table.Row(
            "Core: evaluation that sees the trigger → " + windows +
                " withdrawn / off the screen (median / max)",
            medianMaxOf(*cycle, "withdrawn") + "; " + medianMaxOf(*cycle, "hidden"), "—", "—",
            (count == 100 ? "limit 20 ms; " : std::string()) + "the evaluation itself " +
                fixed(field(*cycle, "conceal_tick_ms"), 1) + " ms and " +
                fixed(field(*cycle, "conceal_round_trips"), 0) +
                " reply waits (discovery, placements, withdraw); off the screen: the window manager has let "
                "go");
        table.Row(
            "Core: evaluation after the pointer left → " + windows + " back (median / max)",
            medianMaxOf(*cycle, "shown"), "—", "—",
            "the evaluation itself " + fixed(field(*cycle, "restore_tick_ms"), 1) + " ms and " +
                fixed(field(*cycle, "restore_round_trips"), 0) +
                " reply waits (placements read, map; the window manager takes them after the call returned)");
    }
}

}  // namespace bench
