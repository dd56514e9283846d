// The triggers of the real program as they happen, moved and pressed through XTEST like real
// devices: a pass through the corner far shorter than any polling interval, Shift pressed and
// released, the pointer moved while another program holds a pointer grab, and the polling that
// takes over where the X server does not report input changes.
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <QProcessEnvironment>
#include <chrono>
#include <csignal>
#include <cstdint>

#include "e2e/support/E2eSettings.h"
#include "e2e/support/ProgramUnderTest.h"
#include "support/desktop/Input.h"
#include "support/desktop/Observer.h"

namespace {

using namespace e2e;
using namespace std::chrono_literals;

constexpr QPoint kCentre{512, 384};

class TriggerE2eTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(view.connected()) << "no X display";
        movePointer(kCentre);
    }
    void TearDown() override { movePointer(kCentre); }

    Observer view;
};

// In and out of the corner within a few milliseconds: concealed (and held) all the same.
TEST_F(TriggerE2eTest, ABriefPassThroughTheCornerConceals) {
    ClientWindow xterm(view, QStringLiteral("e2e-brief-pass"));
    ProgramUnderTest program(testSettings());
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForTrayIcon(view), 0u) << program.standardError().toStdString();

    movePointer({0, 0});
    movePointer(kCentre);
    EXPECT_TRUE(waitUntil([&] { return xterm.concealed(); })) << "the pass went unnoticed";
    program.clickTrayIcon(view, 1);
    EXPECT_TRUE(waitUntil([&] { return xterm.Shown(); }));
}

// Shift without the hold: pressing conceals, releasing restores.
TEST_F(TriggerE2eTest, ShiftPressedConcealsAndReleasedRestores) {
    ClientWindow xterm(view, QStringLiteral("e2e-shift"));
    ProgramUnderTest program(testSettings({{"KEY/blnShiftMode", "1"}, {"KEY/blnTrigKey", "0"}}));
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForTrayIcon(view), 0u) << program.standardError().toStdString();

    HeldKey shift(QStringLiteral("shift"));
    shift.press();
    EXPECT_TRUE(waitUntil([&] { return xterm.concealed(); })) << "Shift did not conceal";
    shift.release();
    EXPECT_TRUE(waitUntil([&] { return xterm.Shown(); })) << "releasing Shift did not restore";
}

// Another program holds the pointer (a drag, a menu): the corner still conceals.
TEST_F(TriggerE2eTest, TheCornerConcealsWhileAnotherProgramGrabsThePointer) {
    ClientWindow xterm(view, QStringLiteral("e2e-grab"));
    ProgramUnderTest program(testSettings());
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForTrayIcon(view), 0u) << program.standardError().toStdString();

    Observer grabber;
    xcb_connection_t* c = grabber.xcb();
    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t values[] = {1};  // override-redirect: mapped at once, no window manager
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, grabber.root(), 600, 500, 40, 40, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(c, window);
    grabber.sync();
    ASSERT_TRUE(waitUntil([&] { return grabber.viewable(window); }));
    const core::x11::Owned<xcb_grab_pointer_reply_t> grab(xcb_grab_pointer_reply(
        c,
        xcb_grab_pointer(c, 0, window, XCB_EVENT_MASK_POINTER_MOTION, XCB_GRAB_MODE_ASYNC,
                         XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
        nullptr));
    ASSERT_TRUE(grab && grab->status == XCB_GRAB_STATUS_SUCCESS);

    movePointer({0, 0});
    EXPECT_TRUE(waitUntil([&] { return xterm.concealed(); })) << "the grab hid the motion";
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    xcb_destroy_window(c, window);
    grabber.sync();
    movePointer(kCentre);
    program.clickTrayIcon(view, 1);
    EXPECT_TRUE(waitUntil([&] { return xterm.Shown(); }));
}

// Without reported input changes (switched off here, as on a server without XInput 2.1 or XKB) the
// triggers are polled, and the program says so.
TEST_F(TriggerE2eTest, WithoutReportedChangesTheCornerStillConceals) {
    ClientWindow xterm(view, QStringLiteral("e2e-polled"));
    ProgramUnderTest program(testSettings());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZEL_NO_INPUT_EVENTS"), QStringLiteral("1"));
    ASSERT_TRUE(program.start(env));
    ASSERT_NE(program.waitForTrayIcon(view), 0u) << program.standardError().toStdString();

    movePointer({0, 0});
    EXPECT_TRUE(waitUntil([&] { return xterm.concealed(); })) << "the polling did not conceal";
    movePointer(kCentre);
    program.clickTrayIcon(view, 1);
    EXPECT_TRUE(waitUntil([&] { return xterm.Shown(); }));
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(10s), 0);
    EXPECT_TRUE(program.standardError().contains(QStringLiteral("every 300 ms")))
        << program.standardError().toStdString();
}

}  // namespace
