// The triggers of the real program as they happen, moved and pressed through XTEST like real
// devices: a pass through the corner far shorter than any polling interval, Shift pressed and
// released, the pointer moved while another program holds a pointer grab, and the polling that
// takes over where the X server does not report input changes; and the tray icon answering while a
// hundred windows are on their way back.
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <QProcessEnvironment>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <memory>
#include <thread>

#include "e2e/support/E2eSettings.h"
#include "e2e/support/ProgramUnderTest.h"
#include "support/desktop/Input.h"
#include "support/desktop/Observer.h"
#include "support/desktop/Parts.h"
#include "support/desktop/Tools.h"

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

// In and out of the corner within a few tens of milliseconds: concealed (and held) all the same.
TEST_F(TriggerE2eTest, ABriefPassThroughTheCornerConceals) {
    ClientWindow xterm(view, QStringLiteral("e2e-brief-pass"));
    ProgramUnderTest program(testSettings());
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForTrayIcon(view), 0u) << program.standardError().toStdString();

    // 20 ms in the corner, well inside the 300 ms of a polling tick: the program reads the pointer
    // when the motion is reported, and on a loaded machine it may take a few ms to get to it.
    movePointer({0, 0});
    std::this_thread::sleep_for(20ms);
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

// A hundred windows on their way back while the window manager does not answer (paused here, as a
// busy one): the program keeps answering, and the pointer back in the corner conceals them again.
//   - The answer: a _NET_WM_PING to the tray icon's window comes back (Qt answers it in the
//     program's event loop) before the restore gives up waiting, after half a second, and hands the
//     windows their placements (_NET_MOVERESIZE_WINDOW messages). A program waiting inside the
//     restore would do it the other way round. (A click cannot be the probe: a paused openbox holds
//     every click on the windows it manages, the tray's panel included.)
//   - Concealed again: once the window manager goes on it shows the windows it was asked to; the
//     program withdraws them again, and none stays on the screen.
class HundredWindowsTest : public TriggerE2eTest {
protected:
    void SetUp() override {
        TriggerE2eTest::SetUp();
        windows =
            ClientProgram::manyWindows(view, 100, QStringLiteral("e2e-hundred"), ClientWindow::className());
        ASSERT_EQ(windows->windows().size(), 100u);
        ASSERT_TRUE(program.start());
        trayIcon = program.waitForTrayIcon(view);
        ASSERT_NE(trayIcon, 0u) << program.standardError().toStdString();
        movePointer({0, 0});
        ASSERT_TRUE(waitUntil([&] { return concealed() == 100u; }));
    }

    std::size_t concealed() { return countConcealed(view, windows->windows()); }
    void expectConcealedAgainWhileComingBack();

    void ping(Window window) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = view.atom("WM_PROTOCOLS");
        event.data.data32[0] = view.atom("_NET_WM_PING");
        event.data.data32[1] = XCB_CURRENT_TIME;
        event.data.data32[2] = window;
        xcb_send_event(view.xcb(), 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
        view.sync();
    }

    std::unique_ptr<ClientProgram> windows;
    ProgramUnderTest program{testSettings({{"MOUSE/blnTrigMouse", "0"}})};
    Window trayIcon = 0;
};

TEST_F(HundredWindowsTest, TheProgramAnswersWhileTheyComeBack) {
    const xcb_atom_t moveResize = view.atom("_NET_MOVERESIZE_WINDOW");
    const xcb_atom_t pingAtom = view.atom("_NET_WM_PING");
    bool answered = false;
    {
        PausedWindowManager wm;
        ASSERT_TRUE(wm.paused());
        // Qt sends the answer to the root for StructureNotify; the requests to the window manager go
        // for SubstructureNotify.
        view.watch(view.root(), XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
        movePointer(kCentre);
        ping(trayIcon);
        ASSERT_TRUE(view.waitForEvent(
            0,
            [&](const Event& event) {
                if (eventType(event) != XCB_CLIENT_MESSAGE) return false;
                const auto& message = reinterpret_cast<const xcb_client_message_event_t&>(event);
                answered = message.data.data32[0] == pingAtom && message.data.data32[2] == trayIcon;
                return answered || message.type == moveResize;
            },
            10s))
            << "the program did neither";
    }
    EXPECT_TRUE(answered) << "the restore went on before the program answered";
    EXPECT_TRUE(waitUntil([&] { return countShown(view, windows->windows()) == 100u; }));
}

// The restore goes on without the window manager at two points: it waits to give the focus back to
// the window that had it, or (when another window had the focus) it has ended, leaving the windows'
// maps with the window manager.
void HundredWindowsTest::expectConcealedAgainWhileComingBack() {
    const xcb_atom_t moveResize = view.atom("_NET_MOVERESIZE_WINDOW");
    {
        PausedWindowManager wm;
        ASSERT_TRUE(wm.paused());
        view.watch(view.root(), XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
        movePointer(kCentre);
        // Their maps wait in the window manager; the program has given up waiting and sent their
        // placements.
        ASSERT_TRUE(view.waitForEvent(
            0,
            [&](const Event& event) {
                return eventType(event) == XCB_CLIENT_MESSAGE &&
                       reinterpret_cast<const xcb_client_message_event_t&>(event).type == moveResize;
            },
            10s));
        movePointer({0, 0});
    }
    EXPECT_TRUE(waitUntil([&] { return concealed() == 100u; }));
    // Any that the window manager shows late is withdrawn again at once: none stays.
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(concealed(), 100u) << "windows left on the screen after the concealment";
    movePointer(kCentre);
    EXPECT_TRUE(waitUntil([&] { return countShown(view, windows->windows()) == 100u; }));
}

TEST_F(HundredWindowsTest, ThePointerBackInTheCornerConcealsThemAgain) {
    expectConcealedAgainWhileComingBack();
}

TEST_F(HundredWindowsTest, ThePointerBackInTheCornerConcealsThemAgainAfterTheRestoreGaveUp) {
    movePointer(kCentre);
    ASSERT_TRUE(waitUntil([&] { return countShown(view, windows->windows()) == 100u; }));
    const auto other =
        ClientProgram::xterm(view, QStringLiteral("e2e-not-a-target"), QStringLiteral("ZelOther"));
    ASSERT_NE(other->id(), 0u);
    tool("wmctrl", {"-i", "-a", hex(other->id())});
    ASSERT_TRUE(waitUntil([&] { return view.activeWindow() == other->id(); }));
    movePointer({0, 0});
    ASSERT_TRUE(waitUntil([&] { return concealed() == 100u; }));
    expectConcealedAgainWhileComingBack();
}

}  // namespace
