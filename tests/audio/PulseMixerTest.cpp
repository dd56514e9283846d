// The libpulse mixer against the headless desktop's pulseaudio, whose null sink is the default sink.
// pactl is the independent witness of what the server holds.
#include <gtest/gtest.h>

#include "PulseTestSupport.h"
#include "audio/MuteActions.h"
#include "audio/PulseMixerDevice.h"
#include "audio/mMixer.h"

namespace {

using pulsetest::DefaultSinkMuted;
using pulsetest::SetDefaultSinkMute;
using pulsetest::Shell;

class PulseMixerTest : public testing::Test {
protected:
    void SetUp() override {
        original_ = DefaultSinkMuted();
        ASSERT_TRUE(original_.has_value()) << "pactl cannot read the default sink";
    }
    void TearDown() override {
        if (original_) SetDefaultSinkMute(*original_);
    }

    void ExpectClosed() {
        EXPECT_EQ(mixer.hMixer(), 0u);
        EXPECT_EQ(mixer.lngMuteCtrlID(), 0u);
        EXPECT_EQ(Shell("pactl list clients").output.find("Zelmora2nd"), std::string::npos)
            << "the connection outlived its use";
    }

    audio::PulseMixerDevice device;
    audio::mMixer mixer{device};

private:
    std::optional<bool> original_;
};

TEST_F(PulseMixerTest, GetMuteReadsTheDefaultSink) {
    for (const bool state : {true, false, true}) {
        ASSERT_TRUE(SetDefaultSinkMute(state));
        bool muted = !state;
        EXPECT_TRUE(mixer.GetMute(muted));
        EXPECT_EQ(muted, state);
        EXPECT_NE(mixer.hMixer(), 0u);
        EXPECT_NE(mixer.lngMuteCtrlID(), 0u);
        mixer.CloseMixer();
        ExpectClosed();
    }
}

TEST_F(PulseMixerTest, SetMuteWritesTheDefaultSink) {
    for (const bool state : {true, true, false, true}) {
        EXPECT_TRUE(mixer.SetMute(state));
        mixer.CloseMixer();
        EXPECT_EQ(DefaultSinkMuted(), state);
        ExpectClosed();
    }
}

TEST_F(PulseMixerTest, ReadAndWriteShareOneConnection) {
    ASSERT_TRUE(SetDefaultSinkMute(false));
    bool muted = true;
    ASSERT_TRUE(mixer.GetMute(muted));
    const auto handle = mixer.hMixer();
    EXPECT_NE(Shell("pactl list clients").output.find("Zelmora2nd"), std::string::npos)
        << "no connection while the handle is held";
    ASSERT_TRUE(mixer.SetMute(!muted));
    EXPECT_EQ(mixer.hMixer(), handle);
    mixer.CloseMixer();
    EXPECT_EQ(DefaultSinkMuted(), true);
    ExpectClosed();
}

TEST_F(PulseMixerTest, TwoTogglesReturnTheMuteToWhereItWas) {
    for (const bool start : {false, true}) {
        ASSERT_TRUE(SetDefaultSinkMute(start));
        audio::ReverseMute(mixer);
        EXPECT_EQ(DefaultSinkMuted(), !start);
        ExpectClosed();
        audio::ReverseMute(mixer);
        EXPECT_EQ(DefaultSinkMuted(), start);
        ExpectClosed();
    }
}

TEST_F(PulseMixerTest, ConcealmentMutesAndRestoringPutsTheFormerStateBack) {
    for (const bool start : {false, true}) {
        ASSERT_TRUE(SetDefaultSinkMute(start));
        bool saved = !start;
        audio::SaveAndMute(mixer, saved);
        EXPECT_EQ(saved, start);
        EXPECT_EQ(DefaultSinkMuted(), true);
        ExpectClosed();
        audio::PutMuteBack(mixer, saved);
        EXPECT_EQ(DefaultSinkMuted(), start);
        ExpectClosed();
    }
}

// The speakers are whatever sink is the default at the moment of each use.
TEST_F(PulseMixerTest, EachUseFollowsTheCurrentDefaultSink) {
    const auto first = Shell("pactl get-default-sink");
    ASSERT_EQ(first.status, 0);
    const std::string firstSink = first.output.substr(0, first.output.find('\n'));
    const auto loaded = Shell("pactl load-module module-null-sink sink_name=zel_second");
    ASSERT_EQ(loaded.status, 0) << loaded.output;
    const std::string module = loaded.output.substr(0, loaded.output.find('\n'));
    ASSERT_TRUE(SetDefaultSinkMute(false, firstSink));
    ASSERT_TRUE(SetDefaultSinkMute(false, "zel_second"));

    ASSERT_EQ(Shell("pactl set-default-sink zel_second").status, 0);
    EXPECT_TRUE(mixer.SetMute(true));
    mixer.CloseMixer();
    EXPECT_EQ(DefaultSinkMuted("zel_second"), true);
    EXPECT_EQ(DefaultSinkMuted(firstSink), false);

    ASSERT_EQ(Shell("pactl set-default-sink " + firstSink).status, 0);
    bool muted = true;
    EXPECT_TRUE(mixer.GetMute(muted));
    mixer.CloseMixer();
    EXPECT_FALSE(muted);
    Shell("pactl unload-module " + module);
    ExpectClosed();
}

}  // namespace
