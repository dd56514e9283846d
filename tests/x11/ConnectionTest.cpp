// A broken connection to the X server: every call fails at once, the owner learns of it once.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <string>

#include "x11/ServicesFixture.h"

namespace x11test {
namespace {

using core::x11::X11WindowServices;

// Every call of the interface, on a window that existed; none may block or succeed.
void ExpectEveryCallFails(X11WindowServices& services, Window window) {
    EXPECT_EQ(services.ScreenSize(), core::Size{});
    EXPECT_EQ(services.GetCursorPos(), std::nullopt);
    EXPECT_EQ(services.GetKeyState(core::kVkShift), 0);
    EXPECT_EQ(services.GetKeyState(core::kVkScroll), 0);
    const core::InputState state = services.ReadInput({.pointer = true, .shift = true, .scrollLock = true});
    EXPECT_EQ(state.pointer, std::nullopt);
    EXPECT_FALSE(state.shiftDown);
    EXPECT_FALSE(state.scrollLockOn);
    EXPECT_FALSE(services.IsWindow(window));
    EXPECT_TRUE(services.EnumWindows().empty());
    EXPECT_EQ(services.GetClassName(window), QString());
    EXPECT_EQ(services.GetWindowText(window), QString());
    EXPECT_EQ(services.WindowFromPoint({10, 10}), 0u);
    core::WindowPlacement placement;
    EXPECT_FALSE(services.GetWindowPlacement(window, placement));
    EXPECT_FALSE(services.SetWindowPlacement(window, placement));
    placement.showCmd = core::kShowNormal;
    EXPECT_FALSE(services.SetWindowPlacement(window, placement));
    services.SetWindowPlacements({{window, placement}});
    services.InvertWindowFrame(window);
    services.SetTopmost(window);
    services.SetSkipTaskbar(window);
    services.SetForegroundWindow(window);
    services.processEvents();
    EXPECT_TRUE(services.connectionLost());
}

TEST(ConnectionTest, KilledServerMakesEveryCallFail) {
    // An X server of our own, so that killing it spares the desktop. -noreset: the server must not
    // start over when the observer below disconnects.
    QProcess xvfb;
    struct Stop {
        QProcess& p;
        ~Stop() {
            p.kill();
            p.waitForFinished(5000);
        }
    } stop{xvfb};
    xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp", "-noreset"});
    ASSERT_TRUE(xvfb.waitForStarted(5000));
    ASSERT_TRUE(WaitUntil([&] { return xvfb.canReadLine() || xvfb.waitForReadyRead(100); },
                          std::chrono::seconds(15)));
    const QString number = QString::fromLatin1(xvfb.readLine()).trimmed();
    const std::string display = ":" + number.toStdString();

    Window window = 0;
    {
        Observer own(display.c_str());
        ASSERT_TRUE(own.connected());
        window = own.root();
    }
    auto services = X11WindowServices::Connect(display.c_str());
    ASSERT_NE(services, nullptr);
    int lost = 0;
    services->setConnectionLostHandler([&] { ++lost; });
    ASSERT_TRUE(services->IsWindow(window));
    ASSERT_EQ(services->ScreenSize(), (core::Size{640, 480}));

    xvfb.kill();
    xvfb.waitForFinished(5000);
    ExpectEveryCallFails(*services, window);
    EXPECT_EQ(lost, 1);
    ExpectEveryCallFails(*services, window);
    EXPECT_EQ(lost, 1) << "the owner hears of the loss once";
    services.reset();
    // A killed server leaves its socket behind; nothing answers on it any more.
    QFile::remove(QStringLiteral("/tmp/.X11-unix/X") + number);
    QFile::remove(QStringLiteral("/tmp/.X%1-lock").arg(number));
}

TEST(ConnectionTest, ConnectionClosedByTheServerMakesEveryCallFail) {
    Observer observer;
    ASSERT_TRUE(observer.connected());
    Programs programs;
    const auto own = programs.client({}, observer);
    ASSERT_EQ(own.size(), 1u);
    auto services = X11WindowServices::Connect();
    ASSERT_NE(services, nullptr);
    int lost = 0;
    services->setConnectionLostHandler([&] { ++lost; });

    // The highlight's bars belong to our connection: killing their client closes it.
    const auto before = observer.overrideRedirectWindows();
    services->InvertWindowFrame(own[0].window);
    Window bar = 0;
    ASSERT_TRUE(WaitUntil([&] {
        for (Window w : observer.overrideRedirectWindows()) {
            if (std::ranges::count(before, w) == 0) {
                bar = w;
            }
        }
        return bar != 0;
    }));
    xcb_kill_client(observer.xcb(), bar);
    observer.sync();

    ExpectEveryCallFails(*services, own[0].window);
    EXPECT_EQ(lost, 1);
    EXPECT_TRUE(observer.exists(own[0].window)) << "the desktop goes on";
}

TEST(ConnectionTest, NoServerGivesNoServices) {
    EXPECT_EQ(X11WindowServices::Connect(":987654"), nullptr);
}

}  // namespace
}  // namespace x11test
