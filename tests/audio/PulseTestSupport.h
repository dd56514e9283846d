#pragma once

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/desktop/Wait.h"

extern char** environ;

// Helpers of the sound integration tests: pactl as the independent witness of the server's state,
// and a pulseaudio of the test's own that it can stop and kill.
namespace pulsetest {

struct CommandResult {
    int status = -1;
    std::string output;
};

inline CommandResult shell(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        result.output += buffer;
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The mute of the default sink as pactl reports it; empty when pactl cannot tell.
inline std::optional<bool> defaultSinkMuted(const std::string& sink = "@DEFAULT_SINK@") {
    const auto result = shell("pactl get-sink-mute " + sink);
    if (result.status != 0) return std::nullopt;
    if (result.output.find("Mute: yes") != std::string::npos) return true;
    if (result.output.find("Mute: no") != std::string::npos) return false;
    return std::nullopt;
}

inline bool setDefaultSinkMute(bool muted, const std::string& sink = "@DEFAULT_SINK@") {
    return shell("pactl set-sink-mute " + sink + (muted ? " 1" : " 0")).status == 0;
}

using desktoptest::waitUntil;

// A pulseaudio with a null sink on a socket of its own, in a folder of its own; killed (and
// reaped) when the object goes.
class OwnPulseServer {
public:
    OwnPulseServer() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zel-pulse.XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) return;
        dir_ = pattern;
        std::filesystem::create_directories(dir_ / "home");
        std::filesystem::create_directories(dir_ / "runtime");
        std::filesystem::permissions(dir_ / "runtime", std::filesystem::perms::owner_all);
        server_ = "unix:" + (dir_ / "pulse").string();
        start();
    }
    ~OwnPulseServer() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);  // works on a stopped process too
            waitpid(pid_, nullptr, 0);
        }
        std::error_code ignored;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
    }
    OwnPulseServer(const OwnPulseServer&) = delete;
    OwnPulseServer& operator=(const OwnPulseServer&) = delete;

    // The PULSE_SERVER value that reaches this server.
    const std::string& address() const { return server_; }
    // True once pactl gets an answer from it.
    bool waitReady() {
        return pid_ > 0 &&
               waitUntil(
                   [this] {
                       int status = 0;
                       if (waitpid(pid_, &status, WNOHANG) == pid_) {
                           pid_ = -1;
                           return true;  // died: stop waiting, reported below
                       }
                       return shell("PULSE_SERVER=" + server_ + " pactl info").status == 0;
                   },
                   std::chrono::seconds(15)) &&
               pid_ > 0;
    }
    void stop() { kill(pid_, SIGSTOP); }
    void resume() { kill(pid_, SIGCONT); }

private:
    void start() {
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            // Without DISPLAY it loads no X11 modules; its home and runtime folder are its own.
            if (entry.starts_with("DISPLAY=") || entry.starts_with("HOME=") ||
                entry.starts_with("XDG_CONFIG_HOME=") || entry.starts_with("XDG_RUNTIME_DIR=") ||
                entry.starts_with("PULSE_SERVER=") || entry.starts_with("PULSE_COOKIE=")) {
                continue;
            }
            env.push_back(entry);
        }
        env.push_back("HOME=" + (dir_ / "home").string());
        env.push_back("XDG_CONFIG_HOME=" + (dir_ / "home").string());
        env.push_back("XDG_RUNTIME_DIR=" + (dir_ / "runtime").string());
        env.push_back("PULSE_COOKIE=" + (dir_ / "cookie").string());
        const std::vector<std::string> args = {
            "pulseaudio",
            "-n",
            "--daemonize=no",
            "--exit-idle-time=-1",
            "--system=false",
            "-L",
            "module-null-sink",
            "-L",
            "module-native-protocol-unix auth-anonymous=1 socket=" + (dir_ / "pulse").string(),
            "--log-target=file:" + (dir_ / "pulseaudio.log").string()};
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        pid_t pid = 0;
        if (posix_spawnp(&pid, "pulseaudio", nullptr, nullptr, argv.data(), envp.data()) == 0) pid_ = pid;
    }

    std::filesystem::path dir_;
    std::string server_;
    pid_t pid_ = -1;
};

}  // namespace pulsetest
