#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "DesktopWatch.h"
#include "Processes.h"
#include "Report.h"

namespace bench {

// The program copied into a folder of its own with the settings file it reads beside it: start
// hidden; the top-left corner (5 pixels) conceals xterms and the test client's windows, and leaving
// it restores them; mute with automatic restore; Shift and ScrollLock watched as by default.
class ProgramFolder {
public:
    explicit ProgramFolder(const std::string& program);

    const std::string& folder() const { return folder_.path(); }
    const std::string& executable() const { return exe_; }

    // Starts the program (behind `wrapper`, e.g. valgrind, when given); the time from the start
    // until its tray icon is on the screen goes into `startup`.
    pid_t start(DesktopWatch& watch, Samples& startup, const std::string& log,
                const std::vector<std::string>& wrapper = {});

private:
    TempFolder folder_;
    std::string exe_;
};

}  // namespace bench
