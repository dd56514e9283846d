// The backend tells, from X events alone, when the pointer, Shift, ScrollLock or the screen may have
// changed: the program can wait for that instead of polling. Input is made through XTEST, as a
// device would make it (a warp sends no device event).
#include <gtest/gtest.h>
#include <poll.h>
#include <xcb/xtest.h>

#include <QRegularExpression>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "x11/ServicesFixture.h"

namespace x11test {
namespace {

using core::Point;
using Clock = std::chrono::steady_clock;

enum class Grab { None, Pointer, Keyboard };

const char* name(Grab grab) {
    switch (grab) {
        case Grab::None:
            return "no grab";
        case Grab::Pointer:
            return "pointer grabbed by another client";
        case Grab::Keyboard:
            return "keyboard grabbed by another client";
    }
    return "";
}

// An active grab held by another client (the observer's connection) while it lives.
class ActiveGrab {
public:
    ActiveGrab(Observer& observer, Grab grab) : observer_(observer), grab_(grab) {
        xcb_connection_t* c = observer_.xcb();
        held_ = grab_ == Grab::None;
        if (grab_ == Grab::Pointer) {
            Owned<xcb_grab_pointer_reply_t> r(xcb_grab_pointer_reply(
                c,
                xcb_grab_pointer(c, 0, observer_.root(), XCB_EVENT_MASK_POINTER_MOTION, XCB_GRAB_MODE_ASYNC,
                                 XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
                nullptr));
            held_ = r && r->status == XCB_GRAB_STATUS_SUCCESS;
        } else if (grab_ == Grab::Keyboard) {
            Owned<xcb_grab_keyboard_reply_t> r(
                xcb_grab_keyboard_reply(c,
                                        xcb_grab_keyboard(c, 0, observer_.root(), XCB_CURRENT_TIME,
                                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                        nullptr));
            held_ = r && r->status == XCB_GRAB_STATUS_SUCCESS;
        }
    }
    ~ActiveGrab() {
        if (grab_ == Grab::Pointer) {
            xcb_ungrab_pointer(observer_.xcb(), XCB_CURRENT_TIME);
        } else if (grab_ == Grab::Keyboard) {
            xcb_ungrab_keyboard(observer_.xcb(), XCB_CURRENT_TIME);
        }
        observer_.sync();
    }
    ActiveGrab(const ActiveGrab&) = delete;
    ActiveGrab& operator=(const ActiveGrab&) = delete;

    bool held() const { return held_; }

private:
    struct Free {
        void operator()(void* p) const { std::free(p); }
    };
    template <typename T>
    using Owned = std::unique_ptr<T, Free>;

    Observer& observer_;
    Grab grab_;
    bool held_ = false;
};

class InputEventsTest : public ServicesTest {
protected:
    void SetUp() override {
        ServicesTest::SetUp();
        ASSERT_TRUE(services->reportsInputChanges()) << "the server lacks XInput 2.1 or XKB";
        services->setInputChangedHandler([this] { ++reports; });
    }

    // Moves the pointer through XTEST from the observer's connection, as a mouse would: the motion
    // is processed after anything that connection asked for before (a grab).
    void fakeMotion(Point p) {
        xcb_test_fake_input(observer.xcb(), XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, observer.root(),
                            static_cast<std::int16_t>(p.x), static_cast<std::int16_t>(p.y), 0);
        xcb_flush(observer.xcb());
    }

    // Once the backend reads the pointer at p, every event of the motion there has been read too
    // (the server sent them before its answer); what follows starts from no report.
    void settlePointerAt(Point p) {
        fakeMotion(p);
        ASSERT_TRUE(waitUntil([&] { return services->pointerPosition() == p; }));
        reports = 0;
    }

    void settleShift(bool down) {
        ASSERT_TRUE(waitUntil([&] { return services->readInput({.shift = true}).shiftDown == down; }));
        reports = 0;
    }

    // Reads the backend's events as the program's event loop does (the descriptor becomes
    // readable, processEvents), until a report came or the deadline passed.
    bool awaitReport(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            services->processEvents();
            if (reports > 0) {
                return true;
            }
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                return false;
            }
            pollfd fd{services->fileDescriptor(), POLLIN, 0};
            poll(&fd, 1, static_cast<int>(left.count()));
        }
    }

    bool scrollLock() { return services->readInput({.scrollLock = true}).scrollLockOn; }

    int reports = 0;
};

TEST_F(InputEventsTest, PointerMotionReportsAlsoWhileAnotherClientGrabs) {
    const Point corners[] = {{0, 0}, {1023, 767}, {512, 0}};
    for (Grab grab : {Grab::None, Grab::Pointer, Grab::Keyboard}) {
        for (const Point& corner : corners) {
            SCOPED_TRACE(testing::Message() << name(grab) << ", to " << corner.x << "," << corner.y);
            settlePointerAt({300, 300});
            ActiveGrab active(observer, grab);
            ASSERT_TRUE(active.held());
            fakeMotion(corner);
            EXPECT_TRUE(awaitReport());
            EXPECT_TRUE(waitUntil([&] { return services->pointerPosition() == corner; }));
        }
    }
}

TEST_F(InputEventsTest, ShiftPressAndReleaseEachReportOtherModifiersDoNot) {
    for (Grab grab : {Grab::None, Grab::Keyboard, Grab::Pointer}) {
        SCOPED_TRACE(name(grab));
        settleShift(false);
        ActiveGrab active(observer, grab);
        ASSERT_TRUE(active.held());
        tool("xdotool", {"keydown", "shift"});
        EXPECT_TRUE(awaitReport());
        EXPECT_TRUE(services->readInput({.shift = true}).shiftDown);

        settleShift(true);
        tool("xdotool", {"keyup", "shift"});
        EXPECT_TRUE(awaitReport());
        EXPECT_FALSE(services->readInput({.shift = true}).shiftDown);
    }

    // Control changes the modifier state but not Shift: once the server shows it held, the backend
    // has read its notification (sent before the answer to the read below) and said nothing.
    settleShift(false);
    auto controlDown = [&] {
        std::unique_ptr<xcb_query_pointer_reply_t, decltype(&std::free)> r(
            xcb_query_pointer_reply(observer.xcb(), xcb_query_pointer(observer.xcb(), observer.root()),
                                    nullptr),
            &std::free);
        return r && (r->mask & XCB_MOD_MASK_CONTROL) != 0;
    };
    tool("xdotool", {"keydown", "ctrl"});
    EXPECT_TRUE(waitUntil(controlDown));
    services->readInput({.shift = true});
    EXPECT_EQ(reports, 0);
    tool("xdotool", {"keyup", "ctrl"});
    EXPECT_TRUE(waitUntil([&] { return !controlDown(); }));
    services->readInput({.shift = true});
    EXPECT_EQ(reports, 0);
}

// Shift is the server's modifier state, not a list of keys: a key that the keymap binds to Shift
// later counts as the Shift keys do.
TEST_F(InputEventsTest, AKeyBoundToShiftLaterReportsToo) {
    constexpr std::uint8_t kSpareKey = 93;  // no symbol on the stock keymap
    struct Keymap {
        ~Keymap() {
            tool("xmodmap", {"-e", "keycode 93 =", "-e", "clear shift", "-e", "add shift = Shift_L Shift_R"});
        }
    } keymap;
    tool("xmodmap", {"-e", "keycode 93 = Shift_L", "-e", "add shift = Shift_L"});
    for (bool down : {true, false}) {
        SCOPED_TRACE(down ? "press" : "release");
        settleShift(!down);
        xcb_test_fake_input(observer.xcb(), down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, kSpareKey,
                            XCB_CURRENT_TIME, observer.root(), 0, 0, 0);
        xcb_flush(observer.xcb());
        EXPECT_TRUE(awaitReport());
        EXPECT_EQ(services->readInput({.shift = true}).shiftDown, down);
    }
}

TEST_F(InputEventsTest, ScrollLockTogglesReportOnTheStockKeymap) {
    ASSERT_FALSE(services->scrollLockFromIndicator());
    for (bool on : {true, false}) {
        ASSERT_TRUE(waitUntil([&] { return scrollLock() != on; }));
        reports = 0;
        tool("xdotool", {"key", "Scroll_Lock"});
        EXPECT_TRUE(awaitReport()) << "turning " << (on ? "on" : "off");
        EXPECT_EQ(scrollLock(), on);
    }
}

TEST_F(InputEventsTest, ScrollLockChangesReportWhereTheKeymapDrivesTheIndicator) {
    struct Keymap {
        ~Keymap() {
            tool("xset", {"-led", "named", "Scroll Lock"});
            tool("xmodmap", {"-e", "remove mod3 = Scroll_Lock"});
        }
    } keymap;
    reports = 0;
    tool("xmodmap", {"-e", "add mod3 = Scroll_Lock"});
    EXPECT_TRUE(awaitReport()) << "the new keymap";
    ASSERT_TRUE(waitUntil([&] { return services->scrollLockFromIndicator(); }));

    // The key, and the indicator set by other means: both are what the user sees.
    const QStringList changes[][2] = {
        {{"xdotool", "key", "Scroll_Lock"}, {"xdotool", "key", "Scroll_Lock"}},
        {{"xset", "led", "named", "Scroll Lock"}, {"xset", "-led", "named", "Scroll Lock"}},
    };
    for (const auto& change : changes) {
        for (bool on : {true, false}) {
            const QStringList& command = change[on ? 0 : 1];
            SCOPED_TRACE(command.join(' ').toStdString());
            ASSERT_TRUE(waitUntil([&] { return scrollLock() != on; }));
            reports = 0;
            tool(command.front(), command.mid(1));
            EXPECT_TRUE(awaitReport());
            EXPECT_EQ(scrollLock(), on);
        }
    }
}

TEST_F(InputEventsTest, ScreenSizeChangesReport) {
    // Xvfb changes its screen size when its one output is given another mode.
    struct Mode {
        ~Mode() {
            tool("xrandr", {"--output", "screen", "--mode", "1024x768", "--fb", "1024x768"});
            tool("xrandr", {"--delmode", "screen", "800x600"});
            tool("xrandr", {"--rmmode", "800x600"});
        }
    } mode;
    tool("xrandr", {"--newmode", "800x600", "40", "800", "840", "968", "1056", "600", "601", "605", "628"});
    tool("xrandr", {"--addmode", "screen", "800x600"});
    const core::Size sizes[] = {{800, 600}, {1024, 768}};
    for (const core::Size& size : sizes) {
        SCOPED_TRACE(testing::Message() << size.width << "x" << size.height);
        services->screenSize();
        reports = 0;
        const QString text = QStringLiteral("%1x%2").arg(size.width).arg(size.height);
        tool("xrandr", {"--output", "screen", "--mode", text, "--fb", text});
        EXPECT_TRUE(awaitReport());
        EXPECT_TRUE(waitUntil([&] { return services->screenSize() == size; }));
    }
}

// ZEL_NO_INPUT_EVENTS=1 leaves the program to its polling tick: the backend says it reports nothing,
// and indeed reports nothing, while the reads go on answering.
TEST_F(InputEventsTest, NoInputEventsSwitchTurnsReportingOff) {
    struct Case {
        const char* value;
        bool reports;
    };
    const Case cases[] = {{"1", false}, {"0", true}, {"", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "ZEL_NO_INPUT_EVENTS=\"" << c.value << "\"");
        ::setenv("ZEL_NO_INPUT_EVENTS", c.value, 1);
        auto other = core::x11::X11WindowServices::connect();
        ::unsetenv("ZEL_NO_INPUT_EVENTS");
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(other->reportsInputChanges(), c.reports);
        if (c.reports) {
            continue;
        }
        int otherReports = 0;
        other->setInputChangedHandler([&] { ++otherReports; });
        const Point target{5, 5};
        fakeMotion(target);
        EXPECT_TRUE(waitUntil([&] { return other->pointerPosition() == target; }));
        tool("xdotool", {"key", "shift"});
        tool("xdotool", {"key", "Scroll_Lock"});
        EXPECT_TRUE(waitUntil([&] { return other->readInput({.scrollLock = true}).scrollLockOn; }));
        tool("xdotool", {"key", "Scroll_Lock"});
        EXPECT_TRUE(waitUntil([&] { return !other->readInput({.scrollLock = true}).scrollLockOn; }));
        other->processEvents();
        EXPECT_EQ(otherReports, 0);
    }
}

// A measurement, not a check: how long after an XTEST motion into the top-left corner the handler
// runs, read as the program's event loop reads (poll on the descriptor, then processEvents).
TEST_F(InputEventsTest, MeasureMotionToReportLatency) {
    constexpr int kTrials = 15;
    auto measure = [&](Grab grab) {
        std::vector<double> micros;
        for (int i = 0; i < kTrials; ++i) {
            settlePointerAt({512, 384});
            ActiveGrab active(observer, grab);
            const auto start = Clock::now();
            fakeMotion({0, 0});
            if (!awaitReport()) {
                continue;
            }
            micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        }
        std::ranges::sort(micros);
        if (micros.empty()) {
            std::printf("[ latency ] XTEST motion -> report, %s: no report\n", name(grab));
            return;
        }
        std::printf("[ latency ] XTEST motion -> report, %s: %zu/%d trials, median %.0f us, max %.0f us\n",
                    name(grab), micros.size(), kTrials, micros[micros.size() / 2], micros.back());
    };
    measure(Grab::None);
    measure(Grab::Pointer);

    // xdotool moves through XTEST; a warp moves the pointer without a device event. Once the backend
    // reads the pointer in the corner, any event of the move has been read too.
    auto reportedAfter = [&](const char* how, auto move) {
        settlePointerAt({512, 384});
        move();
        waitUntil([&] { return services->pointerPosition() == Point{0, 0}; });
        std::printf("[ latency ] %s into the corner: %s\n", how, reports > 0 ? "reported" : "not reported");
    };
    reportedAfter("xdotool mousemove", [&] { tool("xdotool", {"mousemove", "0", "0"}); });
    reportedAfter("XWarpPointer", [&] {
        xcb_warp_pointer(observer.xcb(), XCB_NONE, observer.root(), 0, 0, 0, 0, 0, 0);
        observer.sync();
    });
}

// A measurement, not a check: the CPU time the backend spends on one motion event, from reading it
// off the socket to the handler, as a mouse moving without pause would cost it.
TEST_F(InputEventsTest, MeasureCpuPerMotionEvent) {
    constexpr int kMotions = 2000;
    settlePointerAt({100, 100});
    for (int i = 1; i <= kMotions; ++i) {
        fakeMotion({100 + i % 2, 100});
    }
    observer.sync();
    auto threadCpu = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
    };
    std::chrono::nanoseconds cpu{0};
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (reports < kMotions && Clock::now() < deadline) {
        pollfd fd{services->fileDescriptor(), POLLIN, 0};
        poll(&fd, 1, 100);
        const auto before = threadCpu();
        services->processEvents();
        cpu += threadCpu() - before;
    }
    std::printf("[ cpu ] %d of %d motion events reported, %.2f us of CPU each\n", reports, kMotions,
                std::chrono::duration<double, std::micro>(cpu).count() / std::max(reports, 1));
}

}  // namespace
}  // namespace x11test
