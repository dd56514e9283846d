// The shut-down signals reach the event loop as calls, and their former handling comes back.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <csignal>
#include <vector>

#include "app/ShutdownSignals.h"
#include "ui/QtApp.h"

namespace {

std::vector<int> receivedWithin(const std::vector<int>& sent, std::vector<int>& received) {
    for (const int signalNumber : sent)
        std::raise(signalNumber);
    QDeadlineTimer deadline(5000);
    while (received.size() < sent.size() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return received;
}

TEST(ShutdownSignalsTest, EachSignalArrivesOnTheEventLoop) {
    uitest::app();
    std::vector<int> received;
    app::ShutdownSignals signalsHandler([&received](int signalNumber) { received.push_back(signalNumber); });
    ASSERT_TRUE(signalsHandler.installed());
    EXPECT_EQ(receivedWithin({SIGTERM, SIGINT, SIGHUP}, received),
              (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
}

TEST(ShutdownSignalsTest, NothingRunsInsideTheHandler) {
    uitest::app();
    std::vector<int> received;
    app::ShutdownSignals signalsHandler([&received](int signalNumber) { received.push_back(signalNumber); });
    std::raise(SIGTERM);
    EXPECT_TRUE(received.empty()) << "the call waits for the event loop";
    QCoreApplication::processEvents();
    QDeadlineTimer deadline(5000);
    while (received.empty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    EXPECT_EQ(received, std::vector<int>{SIGTERM});
}

TEST(ShutdownSignalsTest, FormerHandlingComesBack) {
    uitest::app();
    struct sigaction before {};
    sigaction(SIGTERM, nullptr, &before);
    {
        app::ShutdownSignals signalsHandler([](int) {});
        struct sigaction during {};
        sigaction(SIGTERM, nullptr, &during);
        EXPECT_NE(during.sa_handler, before.sa_handler);
        app::ShutdownSignals second([](int) {});
        EXPECT_FALSE(second.installed()) << "one instance at a time";
    }
    struct sigaction after {};
    sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

}  // namespace
