#include "ProgramFolder.h"

#include <filesystem>
#include <fstream>

namespace bench {

ProgramFolder::ProgramFolder(const std::string& program) : exe_(folder_.path() + "/zelmora2nd") {
    std::filesystem::copy_file(program, exe_);
    std::ofstream ini(folder_.path() + "/zelmora2nd.ini", std::ios::binary);
    for (const char* line :
         {"[APP]", "blnRunup=0", "blnIE=1", "WinClasses=XTerm,ZelBench", "blnMute=1", "blnMuteAuto=1",
          "[MOUSE]", "MousePosi=1", "lngPixels=5", "blnTrigMouse=0", "[KEY]", "blnShiftMode=1",
          "blnScrollMode=1", "blnTrigKey=0", "[LOCK]", "blnLock=0"})
        ini << line << "\r\n";
}

pid_t ProgramFolder::start(DesktopWatch& watch, Samples& startup, const std::string& log,
                           const std::vector<std::string>& wrapper) {
    std::vector<std::string> argv = wrapper;
    argv.push_back(exe_);
    const auto t0 = Clock::now();
    const pid_t pid = spawn(argv, folder_.path(), log);
    // Under valgrind the start is many times slower.
    const auto timeout = std::chrono::seconds(wrapper.empty() ? 20 : 120);
    const auto docked = pid > 0 ? watch.waitForTrayIcon(pid, timeout) : std::nullopt;
    if (docked) {
        startup.add(t0, *docked);
    } else {
        ++startup.failed;
    }
    return pid;
}

}  // namespace bench
