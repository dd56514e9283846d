#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/x11/X11WindowServices.h"
#include "support/desktop/Clients.h"
#include "support/desktop/Observer.h"
#include "support/desktop/Tools.h"
#include "support/desktop/Wait.h"

namespace x11test {

using namespace desktoptest;

// The backend under test on the desktop's display, an independent observer and the test's programs.
class ServicesTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(observer.connected()) << "no X display";
        services = core::x11::X11WindowServices::connect();
        ASSERT_NE(services, nullptr);
        clientsBefore = observer.clientList();
        overridesBefore = observer.overrideRedirectWindows();
    }

    // The next test starts on a clean desktop: the window manager has let go of this test's
    // windows (it refuses to manage a new window while an UnmapNotify for the same, reused, ID is
    // still queued). The programs go first: closing our connection first would have the server map
    // the windows still hidden while their program dies, which confuses openbox.
    void TearDown() override {
        programs.killAll();
        EXPECT_TRUE(waitUntil([&] {
            return observer.clientList() == clientsBefore &&
                   observer.overrideRedirectWindows() == overridesBefore;
        })) << "windows left: "
            << testing::PrintToString(observer.clientList()) << " override-redirect "
            << testing::PrintToString(observer.overrideRedirectWindows());
        services.reset();
    }

    // The backend's placement of the window once it has settled and two reads in a row agree (the
    // window manager applies requests after they return).
    core::WindowPlacement settledPlacement(Window window) {
        core::WindowPlacement last;
        services->placement(window, last);
        waitUntil([&] {
            core::WindowPlacement now;
            services->placement(window, now);
            const bool same = now == last && observer.settled(window);
            last = now;
            return same;
        });
        return last;
    }

    Observer observer;
    Programs programs;
    std::unique_ptr<core::x11::X11WindowServices> services;
    std::vector<Window> clientsBefore;
    std::vector<Window> overridesBefore;
};

}  // namespace x11test

namespace core {
inline void PrintTo(const WindowPlacement& p, std::ostream* os) {
    *os << "{showCmd " << p.showCmd << ", flags " << p.flags << ", frame " << p.framePosition.x << ","
        << p.framePosition.y << ", client " << p.clientSize.width << "x" << p.clientSize.height
        << ", desktop " << p.desktop << "}";
}
}  // namespace core
