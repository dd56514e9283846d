#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "core/MuteSwitch.h"
#include "fakes/FakeSoundOutput.h"

namespace {

using core::MuteSwitch;
using fakes::FakeSoundOutput;
using Scenario = FakeSoundOutput::Scenario;
using testing::ElementsAre;

// ---- The three uses, in each way the sound server can fail.

struct Case {
    const char* name;
    Scenario scenario;
    bool switchBefore;
    bool savedBefore;  // mutedBefore before the concealment
    bool savedAfter;   // mutedBefore after saveAndMute: left alone when it cannot be read
    bool switchAfterMute;
    bool putBackWorks;
    bool switchAfterReverse;  // an unreadable switch counts as not muted: the button mutes
};

const Case kCases[] = {
    {"working_unmuted", Scenario::kWorking, false, true, false, true, true, true},
    {"working_muted", Scenario::kWorking, true, false, true, true, true, false},
    {"no_server", Scenario::kNoServer, false, true, true, false, false, false},
    {"refused_read", Scenario::kRefusedRead, true, false, false, true, true, true},
    {"refused_write", Scenario::kRefusedWrite, false, true, false, false, false, false},
};

class MuteSwitchTest : public testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        output.scenario = GetParam().scenario;
        output.isMuted = GetParam().switchBefore;
    }

    FakeSoundOutput output;
    MuteSwitch mute{output};
};

TEST_P(MuteSwitchTest, ConcealmentSavesTheStateThenMutes) {
    bool saved = GetParam().savedBefore;
    mute.saveAndMute(saved);
    EXPECT_EQ(saved, GetParam().savedAfter);
    EXPECT_EQ(output.isMuted, GetParam().switchAfterMute);
    EXPECT_THAT(output.calls, ElementsAre("muted", "setMuted 1")) << "read first, then set";
}

TEST_P(MuteSwitchTest, RestoringWritesTheSavedStateBack) {
    for (const bool saved : {true, false}) {
        output.calls.clear();
        const bool before = output.isMuted;
        EXPECT_EQ(mute.putBack(saved), GetParam().putBackWorks);
        EXPECT_EQ(output.isMuted, GetParam().putBackWorks ? saved : before);
        EXPECT_THAT(output.calls, ElementsAre(saved ? "setMuted 1" : "setMuted 0")) << "no read";
    }
}

TEST_P(MuteSwitchTest, TheButtonInvertsTheSwitch) {
    mute.reverse();
    EXPECT_EQ(output.isMuted, GetParam().switchAfterReverse);
    EXPECT_EQ(output.count("muted"), 1);
    EXPECT_EQ(output.count("setMuted"), 1);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, MuteSwitchTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& param) {
                             return std::string(param.param.name);
                         });

TEST(MuteRestoreChoiceTest, OnlyATickedMuteBoxLetsAutomaticRestoreBeChosen) {
    EXPECT_FALSE(MuteSwitch::restoreChoosable(0));
    EXPECT_TRUE(MuteSwitch::restoreChoosable(1));
    EXPECT_FALSE(MuteSwitch::restoreChoosable(2)) << "greyed counts as not ticked";
}

}  // namespace
