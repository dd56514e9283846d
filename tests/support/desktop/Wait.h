#pragma once

// The one poll of the desktop tests, for states that no event announces (a sound server's mute, a
// file, a process list) or that several events make up together.

#include <algorithm>
#include <chrono>
#include <thread>

namespace desktoptest {

using namespace std::chrono_literals;

// Client programs and the window manager are slow on a loaded machine: the usual time limit.
inline constexpr std::chrono::milliseconds kWaitLimit = 10s;

// Checks `done` with a back-off (5 ms up to 100 ms: a check may run a tool) until it holds or `timeout` has
// passed; whether it held. It is checked once more after the last pause, so a state reached at the deadline
// counts.
template <typename Done>
bool waitUntil(Done done, std::chrono::milliseconds timeout = kWaitLimit) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto delay = 5ms;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(delay);
        delay = std::min<std::chrono::milliseconds>(delay * 2, 100ms);
    }
    return true;
}

}  // namespace desktoptest
