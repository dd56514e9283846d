#pragma once

// Drives the headless desktop as a user would (xdotool), takes screenshots, and waits by polling.

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <thread>

#include "e2e/support/DesktopView.h"

namespace e2e {

using namespace std::chrono_literals;

// Polls `done` with a back-off (5 ms up to 100 ms) until it holds or the timeout passes.
template <typename Done>
bool waitUntil(Done done, std::chrono::milliseconds timeout = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto delay = 5ms;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(delay);
        delay = std::min<std::chrono::milliseconds>(delay * 2, 100ms);
    }
    return true;
}

// Runs a program to its end (at most 10 s) and returns its standard output; exitCode gets its
// status (-1 when it did not finish or could not start).
QString runTool(const QString& program, const QStringList& args, int* exitCode = nullptr);

void movePointer(QPoint position);
// A click of `button` (1 left, 3 right) at the position.
void clickAt(QPoint position, int button = 1);
// A double click of the left button at the position.
void doubleClickAt(QPoint position);
// Gives the window the keyboard focus and waits until it has it.
void focusWindow(Window window);
// Types text into the focused window; key names as xdotool knows them ("Return").
void typeText(const QString& text);
void pressKey(const QString& key);

// $ZEL_TEST_OUTPUT/e2e (the temporary folder when unset), created on first use.
QString outputDir();
// A picture of the whole screen in outputDir()/name.png; the file's path, empty on failure.
QString screenshot(const QString& name);

// The state of the default sink's mute switch ("yes"/"no"), empty without a sound server.
QString sinkMute();

}  // namespace e2e
