// The speakers on the headless desktop's sound server (pulseaudio, or PipeWire's pulse server),
// whose null sink is the default sink. pactl is the independent witness of what the server holds.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "PulseTestSupport.h"
#include "core/MuteSwitch.h"
#include "platform/pulse/PulseSoundOutput.h"
#include "support/desktop/Parts.h"

namespace {

using pulsetest::defaultSinkMuted;
using pulsetest::setDefaultSinkMute;
using pulsetest::shell;

class PulseSoundTest : public testing::Test {
protected:
    void SetUp() override {
        original_ = defaultSinkMuted();
        ASSERT_TRUE(original_.has_value()) << "pactl cannot read the default sink";
    }
    void TearDown() override {
        if (original_) setDefaultSinkMute(*original_);
    }

    static void expectNoConnection() {
        EXPECT_EQ(shell("pactl list clients").output.find("Zelmora2nd"), std::string::npos)
            << "the connection outlived its call";
    }

    pulse::PulseSoundOutput output;
    core::MuteSwitch mute{output};

private:
    std::optional<bool> original_;
};

TEST_F(PulseSoundTest, ReadsAndWritesTheDefaultSinkInCallsOfTheirOwn) {
    for (const bool state : {true, false, true}) {
        ASSERT_TRUE(setDefaultSinkMute(state));
        EXPECT_EQ(output.muted(), state);
        expectNoConnection();
    }
    for (const bool state : {true, true, false, true}) {
        EXPECT_TRUE(output.setMuted(state));
        EXPECT_EQ(defaultSinkMuted(), state);
        expectNoConnection();
    }
}

TEST_F(PulseSoundTest, TwoTogglesReturnTheMuteToWhereItWas) {
    for (const bool start : {false, true}) {
        ASSERT_TRUE(setDefaultSinkMute(start));
        mute.reverse();
        EXPECT_EQ(defaultSinkMuted(), !start);
        mute.reverse();
        EXPECT_EQ(defaultSinkMuted(), start);
        expectNoConnection();
    }
}

TEST_F(PulseSoundTest, ConcealmentMutesAndRestoringPutsTheFormerStateBack) {
    for (const bool start : {false, true}) {
        ASSERT_TRUE(setDefaultSinkMute(start));
        bool saved = !start;
        mute.saveAndMute(saved);
        EXPECT_EQ(saved, start);
        EXPECT_EQ(defaultSinkMuted(), true);
        EXPECT_TRUE(mute.putBack(saved));
        EXPECT_EQ(defaultSinkMuted(), start);
        expectNoConnection();
    }
}

// The speakers are whatever sink is the default at the moment of each call.
TEST_F(PulseSoundTest, EachCallFollowsTheCurrentDefaultSink) {
    const auto first = shell("pactl get-default-sink");
    ASSERT_EQ(first.status, 0);
    const std::string firstSink = first.output.substr(0, first.output.find('\n'));
    const auto loaded = shell("pactl load-module module-null-sink sink_name=zel_second");
    ASSERT_EQ(loaded.status, 0) << loaded.output;
    const std::string module = loaded.output.substr(0, loaded.output.find('\n'));
    ASSERT_TRUE(setDefaultSinkMute(false, firstSink));
    ASSERT_TRUE(setDefaultSinkMute(false, "zel_second"));

    ASSERT_EQ(shell("pactl set-default-sink zel_second").status, 0);
    EXPECT_TRUE(output.setMuted(true));
    EXPECT_EQ(defaultSinkMuted("zel_second"), true);
    EXPECT_EQ(defaultSinkMuted(firstSink), false);

    ASSERT_EQ(shell("pactl set-default-sink " + firstSink).status, 0);
    EXPECT_EQ(output.muted(), false);
    shell("pactl unload-module " + module);
    expectNoConnection();
}

// A server that hangs (stopped) is given up at the call's deadline, far sooner than libpulse's own
// 30 s, and the sound is left alone; once it goes on, the next use works.
TEST_F(PulseSoundTest, AHungServerIsGivenUpAtTheDeadlineAndUsedAgainWhenItGoesOn) {
    using namespace std::chrono_literals;
    ASSERT_TRUE(setDefaultSinkMute(false));
    {
        desktoptest::PausedSoundServer hung;
        ASSERT_TRUE(hung.paused()) << "the desktop's sound server was not found";
        const auto began = std::chrono::steady_clock::now();
        bool saved = true;
        mute.saveAndMute(saved);
        EXPECT_TRUE(saved) << "a state that could not be read was saved";
        EXPECT_FALSE(mute.putBack(false));
        EXPECT_LT(std::chrono::steady_clock::now() - began, 10s) << "waited for the hung server";
    }
    EXPECT_EQ(defaultSinkMuted(), false) << "the sound was changed";
    std::this_thread::sleep_for(pulse::PulseSoundOutput::kSameUse);  // a use of its own
    EXPECT_TRUE(output.setMuted(true));
    EXPECT_EQ(defaultSinkMuted(), true);
}

}  // namespace
