// The speakers without a usable sound server: none at all (the desktop runs without sound), one
// that is stopped (SIGSTOP), one that dies between two calls. Every call must report failure,
// leave the sound alone, and never hang or crash the program.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "PulseTestSupport.h"
#include "core/MuteSwitch.h"
#include "platform/pulse/PulseSoundOutput.h"

namespace {

using namespace std::chrono_literals;
using pulsetest::OwnPulseServer;
using pulsetest::shell;

constexpr auto kDeadline = 300ms;

class NoServerTest : public testing::Test {
protected:
    // Every call and every use reports failure and leaves the saved state alone.
    void expectEverythingFails() {
        for (const bool before : {false, true}) {
            EXPECT_EQ(output.muted(), std::nullopt);
            EXPECT_FALSE(output.setMuted(before));
            bool saved = before;
            mute.saveAndMute(saved);
            EXPECT_EQ(saved, before);
            EXPECT_FALSE(mute.putBack(saved));
        }
        mute.reverse();
    }

    pulse::PulseSoundOutput output{kDeadline};
    core::MuteSwitch mute{output};
};

// Points libpulse at another server for the length of a test.
class ServerAddress {
public:
    explicit ServerAddress(const std::string& address) {
        if (const char* old = std::getenv("PULSE_SERVER")) old_ = old;
        setenv("PULSE_SERVER", address.c_str(), 1);
    }
    ~ServerAddress() { setenv("PULSE_SERVER", old_.c_str(), 1); }
    ServerAddress(const ServerAddress&) = delete;
    ServerAddress& operator=(const ServerAddress&) = delete;

private:
    std::string old_;
};

TEST_F(NoServerTest, WithoutAServerEverythingReportsFailure) {
    ASSERT_NE(shell("pactl info").status, 0) << "this desktop was meant to run without sound";
    expectEverythingFails();
}

TEST_F(NoServerTest, AStoppedServerIsGivenUpWaitedForOnceAndUsedAgainWhenItAnswers) {
    OwnPulseServer server;
    ASSERT_TRUE(server.waitReady());
    ServerAddress address(server.address());
    ASSERT_EQ(output.muted(), false) << "the test's own server does not work";

    server.stop();
    // The server's listen queue still has room, so the first call waits for an answer that does
    // not come, up to its deadline; the call right after it fails at once instead of waiting again.
    bool saved = true;
    mute.saveAndMute(saved);
    EXPECT_TRUE(saved);
    expectEverythingFails();

    server.resume();
    EXPECT_EQ(shell("PULSE_SERVER=" + server.address() + " pactl get-sink-mute @DEFAULT_SINK@").output,
              "Mute: no\n");
    std::this_thread::sleep_for(pulse::PulseSoundOutput::kSameUse);  // a use of its own
    EXPECT_EQ(output.muted(), false) << "the server works again after it continues";
}

// A retry in the background that meets the stopped server must not fail the concealment's mute
// that comes right after the server continues.
TEST_F(NoServerTest, ATimeoutInAnotherThreadDoesNotFailTheNextCall) {
    OwnPulseServer server;
    ASSERT_TRUE(server.waitReady());
    ServerAddress address(server.address());
    ASSERT_EQ(output.muted(), false) << "the test's own server does not work";

    server.stop();
    std::thread([this] { EXPECT_FALSE(output.setMuted(false)); }).join();
    server.resume();
    EXPECT_TRUE(output.setMuted(true));
    EXPECT_EQ(output.muted(), true);
    EXPECT_TRUE(output.setMuted(false));
}

TEST_F(NoServerTest, AServerThatDiesBetweenTwoCallsIsGivenUp) {
    {
        OwnPulseServer server;
        ASSERT_TRUE(server.waitReady());
        ServerAddress address(server.address());
        ASSERT_EQ(output.muted(), false);
    }  // killed here
    expectEverythingFails();
}

}  // namespace
