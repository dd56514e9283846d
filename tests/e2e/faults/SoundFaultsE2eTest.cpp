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
#include "e2e/support/DesktopInput.h"
#include "e2e/support/DesktopParts.h"
#include "e2e/support/DesktopView.h"
#include "e2e/support/E2eSettings.h"
#include "e2e/support/ProgramUnderTest.h"

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
    void CycleWithin(const ClientWindow& xterm, const QRect& place) {
        MovePointer({0, 0});
        EXPECT_TRUE(WaitUntil([&] { return xterm.Concealed(); }, kPromptly)) << "not concealed in time";
        MovePointer(kScreenCentre);
        EXPECT_TRUE(WaitUntil([&] { return xterm.Shown(); }, kPromptly)) << "not restored in time";
        EXPECT_EQ(view.Geometry(xterm.Id()), place);
    }

    // A concealment mutes the sink and the restore unmutes it.
    void ExpectMuteCycle(const ClientWindow& xterm) {
        ASSERT_EQ(SinkMute(), QStringLiteral("no"));
        MovePointer({0, 0});
        ASSERT_TRUE(WaitUntil([&] { return xterm.Concealed(); }));
        EXPECT_TRUE(WaitUntil([] { return SinkMute() == QStringLiteral("yes"); })) << "not muted";
        MovePointer(kScreenCentre);
        ASSERT_TRUE(WaitUntil([&] { return xterm.Shown(); }));
        EXPECT_TRUE(WaitUntil([] { return SinkMute() == QStringLiteral("no"); })) << "not unmuted";
    }
};

TEST_P(SoundFaultsE2eTest, ConcealmentGoesOnAndMutingComesBack) {
    SoundServer sound;
    ASSERT_TRUE(sound.Start()) << "pulseaudio did not start";
    ClientWindow xterm(view, QStringLiteral("e2e-sound-fault"));
    ASSERT_NE(xterm.Id(), 0u);
    const QRect place = view.Geometry(xterm.Id());
    ProgramUnderTest program(TestSettings({{"MOUSE/blnTrigMouse", "0"}}));
    ASSERT_TRUE(program.Start());
    ASSERT_NE(program.WaitForTrayIcon(view), 0u) << program.StandardError().toStdString();
    ExpectMuteCycle(xterm);

    switch (GetParam().failure) {
        case Failure::kHung:
            sound.Pause();
            break;
        case Failure::kKilled:
            sound.End(SIGKILL);
            break;
        case Failure::kEnded:
            sound.End(SIGTERM);
            break;
    }
    // Twice: a program stuck on the server in the first concealment would miss the rest.
    CycleWithin(xterm, place);
    CycleWithin(xterm, place);
    ASSERT_TRUE(program.Running()) << program.StandardError().toStdString();

    if (GetParam().failure == Failure::kHung) {
        sound.Resume();
    } else {
        ASSERT_TRUE(sound.Start()) << "pulseaudio did not start again";
    }
    ExpectMuteCycle(xterm);

    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(10s), 0) << program.StandardError().toStdString();
    EXPECT_EQ(SinkMute(), QStringLiteral("no"));
}

INSTANTIATE_TEST_SUITE_P(Failures, SoundFaultsE2eTest,
                         testing::Values(SoundCase{Failure::kHung, "Hung"},
                                         SoundCase{Failure::kKilled, "Killed"},
                                         SoundCase{Failure::kEnded, "Ended"}),
                         [](const testing::TestParamInfo<SoundCase>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
