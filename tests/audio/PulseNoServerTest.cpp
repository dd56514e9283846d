// The libpulse mixer without a usable sound server: none at all (the desktop runs without sound),
// one that is stopped (SIGSTOP), one that dies in the middle of a use. Every procedure must report
// false, leave its argument and the sound alone, and never hang or crash the program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "PulseTestSupport.h"
#include "audio/MuteActions.h"
#include "audio/PulseMixerDevice.h"
#include "audio/mMixer.h"

namespace {

using pulsetest::OwnPulseServer;
using pulsetest::Shell;

class NoServerTest : public testing::Test {
protected:
    void ExpectClosed() {
        EXPECT_EQ(mixer.hMixer(), 0u);
        EXPECT_EQ(mixer.lngMuteCtrlID(), 0u);
    }

    // Every procedure and every caller reports failure and leaves arguments and state alone.
    void ExpectEverythingFails() {
        EXPECT_FALSE(mixer.OpenMixer());
        mixer.CloseMixer();
        EXPECT_FALSE(mixer.FindMuteControl());
        mixer.CloseMixer();
        for (const bool before : {false, true}) {
            bool muted = before;
            EXPECT_FALSE(mixer.GetMute(muted));
            EXPECT_EQ(muted, before);
            mixer.CloseMixer();
            EXPECT_FALSE(mixer.SetMute(before));
            mixer.CloseMixer();
            ExpectClosed();

            bool saved = before;
            audio::SaveAndMute(mixer, saved);
            EXPECT_EQ(saved, before);
            ExpectClosed();
            audio::PutMuteBack(mixer, saved);
            ExpectClosed();
        }
        audio::ReverseMute(mixer);
        ExpectClosed();
    }

    audio::PulseMixerDevice device;
    audio::mMixer mixer{device};
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

TEST_F(NoServerTest, WithoutAServerEverythingReportsFalse) {
    ASSERT_NE(Shell("pactl info").status, 0) << "this desktop was meant to run without sound";
    ExpectEverythingFails();
    EXPECT_FALSE(mixer.OpenMixer());
    EXPECT_EQ(mixer.hMixer(), 0u) << "no server is no mixer device: no handle";
}

TEST_F(NoServerTest, AStoppedServerIsGivenUpAndLeftAsItWas) {
    OwnPulseServer server;
    ASSERT_TRUE(server.WaitReady());
    ServerAddress address(server.address());
    bool muted = true;
    ASSERT_TRUE(mixer.GetMute(muted)) << "the test's own server does not work";
    mixer.CloseMixer();
    ASSERT_FALSE(muted);

    server.Stop();
    // The server's listen queue still has room, so the connection waits for an answer that does
    // not come. The handle of that connection stays held: the rest of the use fails on it at once
    // instead of waiting again.
    EXPECT_FALSE(mixer.OpenMixer());
    EXPECT_NE(mixer.hMixer(), 0u);
    EXPECT_TRUE(mixer.OpenMixer());
    EXPECT_FALSE(mixer.FindMuteControl());
    bool untouched = true;
    EXPECT_FALSE(mixer.GetMute(untouched));
    EXPECT_TRUE(untouched);
    EXPECT_FALSE(mixer.SetMute(true));
    mixer.CloseMixer();
    ExpectClosed();

    // Then every use, whether it waits or (once the queue is full) is refused at once.
    ExpectEverythingFails();

    server.Continue();
    EXPECT_EQ(Shell("PULSE_SERVER=" + server.address() + " pactl get-sink-mute @DEFAULT_SINK@").output,
              "Mute: no\n");
    EXPECT_TRUE(mixer.GetMute(muted)) << "the server works again after it continues";
    mixer.CloseMixer();
}

TEST_F(NoServerTest, AServerThatStopsInTheMiddleOfAUseIsGivenUp) {
    OwnPulseServer server;
    ASSERT_TRUE(server.WaitReady());
    ServerAddress address(server.address());
    bool muted = true;
    ASSERT_TRUE(mixer.GetMute(muted));
    server.Stop();
    EXPECT_FALSE(mixer.SetMute(true));
    EXPECT_FALSE(mixer.GetMute(muted));
    EXPECT_FALSE(muted);
    mixer.CloseMixer();
    ExpectClosed();
}

TEST_F(NoServerTest, AServerThatDiesInTheMiddleOfAUseIsGivenUp) {
    bool muted = true;
    {
        OwnPulseServer server;
        ASSERT_TRUE(server.WaitReady());
        ServerAddress address(server.address());
        ASSERT_TRUE(mixer.GetMute(muted));
    }  // killed here, with our connection open
    EXPECT_FALSE(mixer.SetMute(true));
    muted = true;
    EXPECT_FALSE(mixer.GetMute(muted));
    EXPECT_TRUE(muted);
    mixer.CloseMixer();
    ExpectClosed();
}

}  // namespace
