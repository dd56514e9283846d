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
void expectEveryCallFails(X11WindowServices& services, Window window) {
    EXPECT_EQ(services.screenSize(), core::Size{});
    EXPECT_EQ(services.pointerPosition(), std::nullopt);
    const core::InputState input = services.readInput({.shift = true, .scrollLock = true});
    EXPECT_FALSE(input.shiftDown);
    EXPECT_FALSE(input.scrollLockOn);
    const core::InputState state = services.readInput({.pointer = true, .shift = true, .scrollLock = true});
    EXPECT_EQ(state.pointer, std::nullopt);
    EXPECT_FALSE(state.shiftDown);
    EXPECT_FALSE(state.scrollLockOn);
    EXPECT_FALSE(services.exists(window));
    EXPECT_TRUE(services.topLevelWindows().empty());
    EXPECT_EQ(services.className(window), QString());
    EXPECT_EQ(services.windowTitle(window), QString());
    EXPECT_EQ(services.windowAt({10, 10}), 0u);
    core::WindowPlacement placement;
    EXPECT_FALSE(services.placement(window, placement));
    EXPECT_FALSE(services.setPlacement(window, placement));
    placement.showCmd = core::kShowNormal;
    EXPECT_FALSE(services.setPlacement(window, placement));
    services.setPlacements({{window, placement}});
    services.toggleHighlight(window);
    services.setTopmost(window);
    services.setSkipTaskbar(window);
    services.activate(window);
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
    ASSERT_TRUE(waitUntil([&] { return xvfb.canReadLine() || xvfb.waitForReadyRead(100); },
                          std::chrono::seconds(15)));
    const QString number = QString::fromLatin1(xvfb.readLine()).trimmed();
    const std::string display = ":" + number.toStdString();

    Window window = 0;
    {
        Observer own(display.c_str());
        ASSERT_TRUE(own.connected());
        window = own.root();
    }
    auto services = X11WindowServices::connect(display.c_str());
    ASSERT_NE(services, nullptr);
    int lost = 0;
    services->setConnectionLostHandler([&] { ++lost; });
    ASSERT_TRUE(services->exists(window));
    ASSERT_EQ(services->screenSize(), (core::Size{640, 480}));

    xvfb.kill();
    xvfb.waitForFinished(5000);
    expectEveryCallFails(*services, window);
    EXPECT_EQ(lost, 1);
    expectEveryCallFails(*services, window);
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
    auto services = X11WindowServices::connect();
    ASSERT_NE(services, nullptr);
    int lost = 0;
    services->setConnectionLostHandler([&] { ++lost; });

    // The highlight's bars belong to our connection: killing their client closes it.
    const auto before = observer.overrideRedirectWindows();
    services->toggleHighlight(own[0].window);
    Window bar = 0;
    ASSERT_TRUE(waitUntil([&] {
        for (Window w : observer.overrideRedirectWindows()) {
            if (std::ranges::count(before, w) == 0) {
                bar = w;
            }
        }
        return bar != 0;
    }));
    xcb_kill_client(observer.xcb(), bar);
    observer.sync();

    expectEveryCallFails(*services, own[0].window);
    EXPECT_EQ(lost, 1);
    EXPECT_TRUE(observer.exists(own[0].window)) << "the desktop goes on";
}

TEST(ConnectionTest, NoServerGivesNoServices) {
    EXPECT_EQ(X11WindowServices::connect(":987654"), nullptr);
}

}  // namespace
}  // namespace x11test
