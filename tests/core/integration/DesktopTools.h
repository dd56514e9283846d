#pragma once

// Looks at and drives the headless desktop with its own tools (xdotool, wmctrl, xprop, xwininfo,
// pactl), independently of the program's X11 backend, so the tests see what a user would see.

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <ostream>
#include <thread>
#include <vector>

namespace coretest::desktop {

inline QString command(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << program.toStdString() << " " << args.join(' ').toStdString() << " did not finish";
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// Polls `done` with a short back-off until it holds or the timeout passes.
template <typename Done>
bool waitUntil(Done done, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto delay = std::chrono::milliseconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(delay);
        delay = std::min(delay * 2, std::chrono::milliseconds(100));
    }
    return true;
}

inline QString hex(std::uint32_t window) {
    return QStringLiteral("0x") + QString::number(window, 16);
}

inline std::vector<std::uint32_t> clientList() {
    std::vector<std::uint32_t> windows;
    const QString out = command("xprop", {"-root", "-notype", "_NET_CLIENT_LIST"});
    static const QRegularExpression hex(QStringLiteral("0x[0-9a-fA-F]+"));
    for (auto it = hex.globalMatch(out); it.hasNext();)
        windows.push_back(it.next().captured().toUInt(nullptr, 16));
    return windows;
}

inline bool listed(std::uint32_t window) {
    const auto list = clientList();
    return std::find(list.begin(), list.end(), window) != list.end();
}

// What a user sees of a client window.
struct Facts {
    bool listed = false;  // in _NET_CLIENT_LIST
    bool viewable = false;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool maximized = false;  // both ways
    bool iconic = false;     // WM_STATE Iconic
    bool operator==(const Facts&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Facts& f) {
    return os << "{listed " << f.listed << ", viewable " << f.viewable << ", " << f.x << "," << f.y << " "
              << f.width << "x" << f.height << ", maximized " << f.maximized << ", iconic " << f.iconic
              << "}";
}

inline int field(const QString& text, const QString& label) {
    const QRegularExpression re(QRegularExpression::escape(label) + QStringLiteral(":\\s*(-?\\d+)"));
    return re.match(text).captured(1).toInt();
}

inline Facts look(std::uint32_t window) {
    Facts f;
    f.listed = listed(window);
    const QString info = command("xwininfo", {"-id", hex(window)});
    f.viewable = info.contains(QStringLiteral("IsViewable"));
    f.x = field(info, "Absolute upper-left X");
    f.y = field(info, "Absolute upper-left Y");
    f.width = field(info, "Width");
    f.height = field(info, "Height");
    const QString props = command("xprop", {"-id", hex(window), "_NET_WM_STATE", "WM_STATE"});
    f.maximized =
        props.contains("_NET_WM_STATE_MAXIMIZED_VERT") && props.contains("_NET_WM_STATE_MAXIMIZED_HORZ");
    f.iconic = props.contains(QStringLiteral("window state: Iconic"));
    return f;
}

// Waits until two looks in a row agree, and returns that look.
inline Facts settled(std::uint32_t window) {
    Facts last = look(window);
    waitUntil([&] {
        const Facts now = look(window);
        const bool same = now == last;
        last = now;
        return same;
    });
    return last;
}

// Client programs started for a test and ended with it.
class Clients {
public:
    ~Clients() {
        for (auto& p : processes_) {
            p->kill();
            p->waitForFinished(5000);
        }
    }

    // Starts the program with a unique title and returns its managed top-level window (0 on failure).
    std::uint32_t start(const QString& program, QStringList args, const QString& title) {
        auto process = std::make_unique<QProcess>();
        process->start(program, QStringList{"-title", title} + args);  // xterm's -e takes the rest
        if (!process->waitForStarted(5000)) return 0;
        processes_.push_back(std::move(process));
        const QString found = command(
            "timeout", {"10", "xdotool", "search", "--sync", "--limit", "1", "--name", "^" + title + "$"});
        const std::uint32_t window = found.trimmed().toUInt();
        if (window == 0 || !waitUntil([&] { return listed(window) && look(window).viewable; })) return 0;
        return window;
    }

    std::uint32_t xterm(const QString& title, const QString& geometry = "60x20+100+100") {
        return start("xterm",
                     {"-geometry", geometry, "-xrm", "XTerm*allowTitleOps: false", "-e", "sleep", "600"},
                     title);
    }
    std::uint32_t xclock(const QString& title) {
        return start("xclock", {"-geometry", "120x120+600+300"}, title);
    }

    // Ends the index-th program started.
    void kill(int index) {
        processes_.at(static_cast<std::size_t>(index))->kill();
        processes_.at(static_cast<std::size_t>(index))->waitForFinished(5000);
    }

private:
    std::vector<std::unique_ptr<QProcess>> processes_;
};

inline bool sinkMuted() {
    return command("pactl", {"get-sink-mute", "@DEFAULT_SINK@"}).contains(QStringLiteral("yes"));
}
inline void setSinkMute(bool muted) {
    command("pactl", {"set-sink-mute", "@DEFAULT_SINK@", muted ? "1" : "0"});
}

}  // namespace coretest::desktop
