// The sound server failing under the running program: hung (SIGSTOP), killed, or ended, then back
// again. Concealment and restore must go on promptly meanwhile (every use of the server carries a
// short deadline; a plain libpulse connect to a hung server waits 30 s), and muting works again
// once the server is back. This binary runs on a desktop without a sound server of its own
// (--no-sound): each test starts pulseaudio itself where the desktop's $PULSE_SERVER points.
#include <gtest/gtest.h>

#include <csignal>
#include <ostream>
#include <string>

#include "e2e/faults/FaultSupport.h"
#include "e2e/support/E2eSettings.h"
#include "e2e/support/ProgramUnderTest.h"
#include "support/desktop/Observer.h"
#include "support/desktop/Parts.h"

namespace {

using namespace e2e;

enum class Failure { kHung, kKilled, kEnded };

struct SoundCase {
    Failure failure;
    const char* name;
};

void PrintTo(const SoundCase& c, std::ostream* os) {
    *os << c.name;
}

// Far below libpulse's own 30 s, far above a tick (300 ms), the server's deadline (1 s per use) and
// a loaded machine's delays: a program that waits for the hung server misses it.
constexpr auto kPromptly = 5s;

class SoundFaultsE2eTest : public FaultTest, public testing::WithParamInterface<SoundCase> {
protected:
    // One concealment and restore by the top-left corner (no hold), each within kPromptly; the
    // xterm comes back where it was.
    void cycleWithin(const ClientWindow& xterm, const QRect& place) {
        movePointer({0, 0});
        EXPECT_TRUE(waitUntil([&] { return xterm.concealed(); }, kPromptly)) << "not concealed in time";
        movePointer(kScreenCentre);
        EXPECT_TRUE(waitUntil([&] { return xterm.Shown(); }, kPromptly)) << "not restored in time";
        EXPECT_EQ(view.rootRect(xterm.id()), place);
    }

    // A concealment mutes the sink and the restore unmutes it.
    void expectMuteCycle(const ClientWindow& xterm) {
        ASSERT_EQ(sinkMute(), QStringLiteral("no"));
        movePointer({0, 0});
        ASSERT_TRUE(waitUntil([&] { return xterm.concealed(); }));
        EXPECT_TRUE(waitUntil([] { return sinkMute() == QStringLiteral("yes"); })) << "not muted";
        movePointer(kScreenCentre);
        ASSERT_TRUE(waitUntil([&] { return xterm.Shown(); }));
        EXPECT_TRUE(waitUntil([] { return sinkMute() == QStringLiteral("no"); })) << "not unmuted";
    }
};

TEST_P(SoundFaultsE2eTest, ConcealmentGoesOnAndMutingComesBack) {
    SoundServer sound;
    ASSERT_TRUE(sound.start()) << "pulseaudio did not start";
    ClientWindow xterm(view, QStringLiteral("e2e-sound-fault"));
    ASSERT_NE(xterm.id(), 0u);
    const QRect place = view.rootRect(xterm.id());
    ProgramUnderTest program(testSettings({{"MOUSE/blnTrigMouse", "0"}}));
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForTrayIcon(view), 0u) << program.standardError().toStdString();
    expectMuteCycle(xterm);

    switch (GetParam().failure) {
        case Failure::kHung:
            sound.pause();
            break;
        case Failure::kKilled:
            sound.end(SIGKILL);
            break;
        case Failure::kEnded:
            sound.end(SIGTERM);
            break;
    }
    // Twice: a program stuck on the server in the first concealment would miss the rest.
    cycleWithin(xterm, place);
    cycleWithin(xterm, place);
    ASSERT_TRUE(program.running()) << program.standardError().toStdString();

    if (GetParam().failure == Failure::kHung) {
        sound.resume();
    } else {
        ASSERT_TRUE(sound.start()) << "pulseaudio did not start again";
    }
    expectMuteCycle(xterm);

    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(10s), 0) << program.standardError().toStdString();
    EXPECT_EQ(sinkMute(), QStringLiteral("no"));
}

// A server hung at the release cannot take the give-back of the mute; once it answers again, the
// speakers get their former state without another concealment.
TEST_F(SoundFaultsE2eTest, AGiveBackThatAHungServerMissedIsMadeOnceItAnswers) {
    SoundServer sound;
    ASSERT_TRUE(sound.start()) << "pulseaudio did not start";
    ClientWindow xterm(view, QStringLiteral("e2e-sound-late"));
    ASSERT_NE(xterm.id(), 0u);
    ProgramUnderTest program(testSettings({{"MOUSE/blnTrigMouse", "0"}}));
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForTrayIcon(view), 0u) << program.standardError().toStdString();
    movePointer({0, 0});
    ASSERT_TRUE(waitUntil([&] { return xterm.concealed(); }));
    ASSERT_TRUE(waitUntil([] { return sinkMute() == QStringLiteral("yes"); })) << "not muted";

    sound.pause();
    movePointer(kScreenCentre);
    EXPECT_TRUE(waitUntil([&] { return xterm.Shown(); }, kPromptly)) << "not restored in time";
    waitUntil([] { return false; }, 2s);  // a few tries meet the hung server
    sound.resume();
    EXPECT_TRUE(waitUntil([] { return sinkMute() == QStringLiteral("no"); }, 20s)) << "left muted";
    EXPECT_TRUE(program.running()) << program.standardError().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Failures, SoundFaultsE2eTest,
                         testing::Values(SoundCase{Failure::kHung, "Hung"},
                                         SoundCase{Failure::kKilled, "Killed"},
                                         SoundCase{Failure::kEnded, "Ended"}),
                         [](const testing::TestParamInfo<SoundCase>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
