// Hides one window through the X11 window services, says "hidden", then waits to be killed. The
// save-set test kills it with SIGKILL and expects the X server to map the window again.
//
//   zel-x11-hider WINDOW        (WINDOW in hexadecimal, 0x prefix allowed)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/x11/X11WindowServices.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zel-x11-hider WINDOW\n");
        return 2;
    }
    const auto window = static_cast<core::WindowHandle>(std::strtoul(argv[1], nullptr, 16));
    auto services = core::x11::createX11WindowServices();
    if (!services) {
        return 1;
    }
    core::WindowPlacement placement;
    if (!services->placement(window, placement)) {
        return 1;
    }
    placement.showCmd = core::kShowHide;
    if (!services->setPlacement(window, placement)) {
        return 1;
    }
    std::printf("hidden\n");
    std::fflush(stdout);
    for (;;) {
        pause();
    }
}
