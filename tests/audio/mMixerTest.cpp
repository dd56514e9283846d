#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/MuteActions.h"
#include "audio/mMixer.h"
#include "fakes/FakeMixerDevice.h"

namespace {

using audio::mMixer;
using fakes::FakeMixerDevice;
using Scenario = FakeMixerDevice::Scenario;
using testing::ElementsAre;
using testing::IsEmpty;

class MixerTest : public testing::Test {
protected:
    void ExpectClosed() {
        EXPECT_EQ(mixer.hMixer(), 0u);
        EXPECT_EQ(mixer.lngMuteCtrlID(), 0u);
        EXPECT_THAT(device.openHandles, IsEmpty()) << "the device was left open";
    }

    FakeMixerDevice device;
    mMixer mixer{device};
};

// ---- One use of the mixer in each way the device can fail.

struct ScenarioCase {
    const char* name;
    Scenario scenario;
    bool readWorks;   // GetMute, first call of a use
    bool writeWorks;  // SetMute, first call of a use
    bool toggleAlwaysMutes;
};

const ScenarioCase kScenarios[] = {
    {"working", Scenario::kWorking, true, true, false},
    {"no_mixer", Scenario::kNoMixer, false, false, false},
    // The read fails on the capability query, the write then works on the held handle.
    {"no_capabilities", Scenario::kNoCapabilities, false, false, true},
    {"no_speakers_line", Scenario::kNoSpeakersLine, false, false, false},
    {"no_mute_control", Scenario::kNoMuteControl, false, false, false},
    // An unreadable switch counts as not muted, so each toggle mutes.
    {"refused_read", Scenario::kRefusedRead, false, true, true},
    {"refused_write", Scenario::kRefusedWrite, true, false, false},
};

class MixerScenarioTest : public MixerTest, public testing::WithParamInterface<ScenarioCase> {
protected:
    void SetUp() override { device.scenario = GetParam().scenario; }
};

TEST_P(MixerScenarioTest, GetMuteReportsTheSwitchOrLeavesItsArgumentAlone) {
    for (const bool before : {false, true}) {
        for (const std::uint32_t value : {0u, 1u, 0xFFFFFFFFu}) {
            device.muteValue = value;
            bool muted = before;
            EXPECT_EQ(mixer.GetMute(muted), GetParam().readWorks);
            EXPECT_EQ(muted, GetParam().readWorks ? value != 0 : before) << "switch " << value;
            EXPECT_EQ(device.muteValue, value) << "a read changed the switch";
            mixer.CloseMixer();
            ExpectClosed();
        }
    }
}

TEST_P(MixerScenarioTest, SetMuteWritesOneOrZeroOrChangesNothing) {
    for (const bool wanted : {true, false, true}) {
        const std::uint32_t before = device.muteValue;
        EXPECT_EQ(mixer.SetMute(wanted), GetParam().writeWorks);
        EXPECT_EQ(device.muteValue, GetParam().writeWorks ? (wanted ? 1u : 0u) : before);
        mixer.CloseMixer();
        ExpectClosed();
    }
}

TEST_P(MixerScenarioTest, ToggleTwiceReturnsToTheStartAndLeavesTheMixerClosed) {
    for (const std::uint32_t start : {0u, 1u}) {
        device.muteValue = start;
        audio::ReverseMute(mixer);
        ExpectClosed();
        audio::ReverseMute(mixer);
        ExpectClosed();
        EXPECT_EQ(device.muteValue, GetParam().toggleAlwaysMutes ? 1u : start);
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, MixerScenarioTest, testing::ValuesIn(kScenarios),
                         [](const testing::TestParamInfo<ScenarioCase>& p) { return p.param.name; });

// ---- The open/look-up/close cycle.

TEST_F(MixerTest, OneUseOpensLooksUpOnceActsAndCloses) {
    device.muteValue = 1;
    bool muted = false;
    ASSERT_TRUE(mixer.GetMute(muted));
    EXPECT_EQ(mixer.hMixer(), device.handleToGive);
    EXPECT_EQ(mixer.lngMuteCtrlID(), device.controlToGive);
    ASSERT_TRUE(mixer.SetMute(false));
    mixer.CloseMixer();
    EXPECT_THAT(device.calls, ElementsAre("Open", "GetSpeakersLine 81", "GetMuteControl 81 33",
                                          "GetControlValue 81 49", "SetControlValue 81 49 0", "Close 81"));
    ExpectClosed();
}

TEST_F(MixerTest, TheNextUseOpensAndLooksUpAgain) {
    bool muted = false;
    mixer.GetMute(muted);
    mixer.CloseMixer();
    device.calls.clear();
    device.handleToGive = 0x52;
    device.controlToGive = 0x32;
    ASSERT_TRUE(mixer.SetMute(true));
    EXPECT_THAT(device.calls,
                ElementsAre("Open", "GetSpeakersLine 82", "GetMuteControl 82 33", "SetControlValue 82 50 1"));
    EXPECT_EQ(device.muteValue, 1u);
}

TEST_F(MixerTest, AHeldHandleIsNotOpenedAgain) {
    ASSERT_TRUE(mixer.OpenMixer());
    ASSERT_TRUE(mixer.OpenMixer());
    EXPECT_EQ(device.Count("Open"), 1);
}

TEST_F(MixerTest, ACapabilityFailureKeepsTheHandleUntilClosed) {
    device.scenario = Scenario::kNoCapabilities;
    EXPECT_FALSE(mixer.OpenMixer());
    EXPECT_EQ(mixer.hMixer(), device.handleToGive);
    EXPECT_EQ(mixer.lngMuteCtrlID(), 0u);
    EXPECT_TRUE(mixer.OpenMixer()) << "a held handle counts as open";
    EXPECT_EQ(device.Count("Open"), 1);
    mixer.CloseMixer();
    EXPECT_THAT(device.calls, ElementsAre("Open", "Close 81"));
    ExpectClosed();
}

TEST_F(MixerTest, AfterACapabilityFailureTheRestOfTheUseWorksOnTheHeldHandle) {
    device.scenario = Scenario::kNoCapabilities;
    bool muted = true;
    EXPECT_FALSE(mixer.GetMute(muted));
    EXPECT_TRUE(muted);
    EXPECT_TRUE(mixer.SetMute(true));
    EXPECT_EQ(device.muteValue, 1u);
    mixer.CloseMixer();
    EXPECT_THAT(device.calls, ElementsAre("Open", "GetSpeakersLine 81", "GetMuteControl 81 33",
                                          "SetControlValue 81 49 1", "Close 81"));
    ExpectClosed();
}

TEST_F(MixerTest, CloseWithoutAHandleTouchesNoDevice) {
    mixer.CloseMixer();
    EXPECT_THAT(device.calls, IsEmpty());
    device.scenario = Scenario::kNoMixer;
    bool muted = true;
    EXPECT_FALSE(mixer.GetMute(muted));
    mixer.CloseMixer();
    EXPECT_THAT(device.calls, ElementsAre("Open"));
    EXPECT_TRUE(muted);
}

TEST_F(MixerTest, AControlWithIdZeroIsLookedUpAtEveryCall) {
    device.controlToGive = 0;
    bool muted = false;
    EXPECT_TRUE(mixer.FindMuteControl());
    EXPECT_TRUE(mixer.FindMuteControl());
    EXPECT_TRUE(mixer.GetMute(muted));
    EXPECT_EQ(device.Count("GetMuteControl"), 3);
    EXPECT_EQ(device.Count("Open"), 1);
}

// ---- The callers: concealment, restoring and the toggle button.

struct CallerCase {
    const char* name;
    Scenario scenario;
    std::uint32_t switchBefore;
    bool savedBefore;
    bool savedAfter;  // blnMuteSaved after SaveAndMute
    std::uint32_t switchAfterMute;
};

const CallerCase kCallerCases[] = {
    {"sound_on", Scenario::kWorking, 0, true, false, 1},
    {"already_muted", Scenario::kWorking, 1, false, true, 1},
    {"no_mixer_keeps_saved_false", Scenario::kNoMixer, 0, false, false, 0},
    {"no_mixer_keeps_saved_true", Scenario::kNoMixer, 0, true, true, 0},
    {"refused_read_still_mutes", Scenario::kRefusedRead, 0, true, true, 1},
    {"no_capabilities_still_mutes", Scenario::kNoCapabilities, 0, true, true, 1},
    {"refused_write_saves_only", Scenario::kRefusedWrite, 0, true, false, 0},
};

class CallerTest : public MixerTest, public testing::WithParamInterface<CallerCase> {};

TEST_P(CallerTest, ConcealmentSavesMutesAndCloses) {
    const auto& c = GetParam();
    device.scenario = c.scenario;
    device.muteValue = c.switchBefore;
    bool saved = c.savedBefore;
    audio::SaveAndMute(mixer, saved);
    EXPECT_EQ(saved, c.savedAfter);
    EXPECT_EQ(device.muteValue, c.switchAfterMute);
    ExpectClosed();

    // Restoring writes the saved state back where the device lets it.
    audio::PutMuteBack(mixer, saved);
    const bool writable = c.scenario == Scenario::kWorking || c.scenario == Scenario::kRefusedRead;
    EXPECT_EQ(device.muteValue, writable ? (saved ? 1u : 0u) : c.switchAfterMute);
    ExpectClosed();
}

INSTANTIATE_TEST_SUITE_P(Cases, CallerTest, testing::ValuesIn(kCallerCases),
                         [](const testing::TestParamInfo<CallerCase>& p) { return p.param.name; });

TEST_F(MixerTest, ReverseMuteInvertsTheSwitchInOneUse) {
    device.muteValue = 1;
    audio::ReverseMute(mixer);
    EXPECT_EQ(device.muteValue, 0u);
    EXPECT_THAT(device.calls, ElementsAre("Open", "GetSpeakersLine 81", "GetMuteControl 81 33",
                                          "GetControlValue 81 49", "SetControlValue 81 49 0", "Close 81"));
    ExpectClosed();
}

TEST_F(MixerTest, ReverseMuteWithAnUnreadableSwitchTriesToMute) {
    device.scenario = Scenario::kRefusedRead;
    device.muteValue = 1;  // muted, but nobody can tell
    audio::ReverseMute(mixer);
    EXPECT_EQ(device.muteValue, 1u);
    EXPECT_EQ(device.calls.at(device.calls.size() - 2), "SetControlValue 81 49 1");
    ExpectClosed();
}

TEST(MuteAutoEnabledTest, OnlyATickedMuteBoxEnablesAutomaticRestore) {
    struct Case {
        int chkMute;
        bool enabled;
    };
    for (const Case c : {Case{0, false}, Case{1, true}, Case{2, false}}) {
        EXPECT_EQ(audio::MuteAutoEnabled(c.chkMute), c.enabled) << "chkMute " << c.chkMute;
    }
}

}  // namespace
