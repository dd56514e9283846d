#pragma once

// The programs the desktop benchmark compares with: kdocker, xdotool's screen-edge behaviour, and a
// bare 300 ms poll loop as the floor of what polling the pointer costs.

#include <sys/types.h>

#include <string>

#include "DesktopWatch.h"
#include "Report.h"

namespace bench {

struct KdockerFigures {
    bool available = false;
    Samples cold;          // kdocker not running: the command starts it, it docks the window
    Samples warm;          // kdocker running: a second command hands the window over to it
    pid_t holder = -1;     // the kdocker left running, holding one withdrawn xterm
    pid_t heldXterm = -1;  // that xterm
};

// Times from the kdocker command to the xterm off the screen; leaves one kdocker holding one xterm.
KdockerFigures measureKdocker(DesktopWatch& watch, int repeats, const std::string& logFolder);

// Pointer into the top-left corner until the xterm is off the screen, with
// `xdotool behave_screen_edge top-left exec xdotool windowunmap WINDOW` (event driven, no tick).
Samples measureXdotoolEdge(DesktopWatch& watch, int repeats, const std::string& logFolder);

// `xdotool behave_screen_edge top-left exec true`, idle.
pid_t startXdotoolIdle(const std::string& logFolder);

// zel-bench-poll: every 300 ms the pointer (query_pointer) and the keyboard indicators (XKB).
pid_t startPollLoop(const std::string& pollLoop);

// A random pause, so that the next trigger falls at a random moment of the program's tick.
void randomPause(int minMs, int maxMs);

std::string hex(std::uint32_t window);

}  // namespace bench
