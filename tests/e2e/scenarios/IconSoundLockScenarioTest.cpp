// What the real program does to the sound, shows in the tray and asks for: the mute rules seen
// with pactl on pulseaudio's null sink, decoy icon files seen in trayer's pixels, and the password
// that guards a held concealment.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <ostream>
#include <string>

#include "e2e/scenarios/ScenarioFixture.h"
#include "lock/MakePassHash.h"

namespace e2e::scenario {
namespace {

const std::pair<QString, QString> kNoHold{QStringLiteral("MOUSE/blnTrigMouse"), QStringLiteral("0")};

// Waits until the sink's mute is `expected`, then checks that it stays so.
void ExpectSinkMuteSettles(const QString& expected, const char* when) {
    EXPECT_TRUE(WaitUntil([&] { return SinkMute() == expected; }, kTimeout))
        << when << ": the sink's mute is " << SinkMute().toStdString();
    EXPECT_FALSE(WaitUntil([&] { return SinkMute() != expected; }, kQuiet))
        << when << ": the sink's mute changed to " << SinkMute().toStdString();
}

struct MuteCase {
    const char* name;
    const char* mute;      // blnMute
    const char* muteAuto;  // blnMuteAuto
    bool mutedBefore;
    const char* whileConcealed;  // pactl's answer
    const char* afterRestore;
};

void PrintTo(const MuteCase& c, std::ostream* os) {
    *os << c.name;
}

class MuteScenario : public ScenarioTest, public testing::WithParamInterface<MuteCase> {};

TEST_P(MuteScenario, SinkFollowsTheMuteBoxes) {
    const MuteCase& c = GetParam();
    auto xterm = Xterm(QStringLiteral("e2e-mute"));
    ASSERT_NE(xterm->Id(), 0u);
    ASSERT_TRUE(SetSinkMute(c.mutedBefore));
    ProgramUnderTest program(TestSettings(
        {kNoHold, {QStringLiteral("APP/blnMute"), c.mute}, {QStringLiteral("APP/blnMuteAuto"), c.muteAuto}}));
    StartDocked(program);

    MovePointer(kCorner);
    ASSERT_TRUE(WaitUntil([&] { return IsConcealed(view, xterm->Id()); }, kTimeout));
    ExpectSinkMuteSettles(QString::fromLatin1(c.whileConcealed), "concealed");
    MovePointer(kCentre);
    ASSERT_TRUE(WaitUntil([&] { return IsShown(view, xterm->Id()); }, kTimeout));
    ASSERT_TRUE(TrayIconShows(program, view, details, kStandbyColour, kTimeout));
    ExpectSinkMuteSettles(QString::fromLatin1(c.afterRestore), "restored");
    EndProgram(program);
}

// Mute with its automatic restore on a sound that was on: the typical event covers it.
INSTANTIATE_TEST_SUITE_P(
    Rules, MuteScenario,
    testing::Values(MuteCase{"WithoutAutomaticRestoreStaysMuted", "1", "0", false, "yes", "yes"},
                    MuteCase{"AlreadyMutedStaysMutedAfterRestore", "1", "1", true, "yes", "yes"},
                    MuteCase{"MuteOffLeavesTheSoundOn", "0", "1", false, "no", "no"},
                    MuteCase{"MuteOffLeavesMutedSoundMuted", "0", "1", true, "yes", "yes"}),
    [](const testing::TestParamInfo<MuteCase>& param) { return std::string(param.param.name); });

// Decoy icons of one colour each, made as a user would make them.
class DecoyScenario : public ScenarioTest {
protected:
    static constexpr std::uint32_t kRed = 0xc03030;
    static constexpr std::uint32_t kBlue = 0x3050c0;

    // An .ico file of two sizes (32 and 16 px) filled with colour; its path.
    QString MakeIcon(const QString& name, std::uint32_t colour) {
        const QString path = icons.filePath(name);
        int status = -1;
        RunTool(QStringLiteral("convert"),
                {QStringLiteral("-size"), QStringLiteral("32x32"),
                 QStringLiteral("xc:#%1").arg(colour, 6, 16, QChar(u'0')), QStringLiteral("-define"),
                 QStringLiteral("icon:auto-resize=32,16"), path},
                &status);
        EXPECT_EQ(status, 0) << "convert made no " << name.toStdString();
        return path;
    }

    // Conceals the xterm by the corner and restores it, checking the icon's picture each time.
    void ExpectPicturesThroughACycle(ProgramUnderTest& program, Window xterm, std::uint32_t standby,
                                     std::uint32_t concealment, const QString& shot) {
        MovePointer(kCorner);
        ASSERT_TRUE(WaitUntil([&] { return IsConcealed(view, xterm); }, kTimeout));
        EXPECT_TRUE(TrayIconShows(program, view, details, concealment, kTimeout))
            << "not the concealment picture";
        Shot(shot);
        MovePointer(kCentre);
        ASSERT_TRUE(WaitUntil([&] { return IsShown(view, xterm); }, kTimeout));
        EXPECT_TRUE(TrayIconShows(program, view, details, standby, kTimeout)) << "not the standby picture";
    }

    QTemporaryDir icons;
};

TEST_F(DecoyScenario, DecoyFilesStandInForBothPictures) {
    const QString red = MakeIcon(QStringLiteral("standby.ico"), kRed);
    const QString blue = MakeIcon(QStringLiteral("concealment.ico"), kBlue);
    auto xterm = Xterm(QStringLiteral("e2e-decoy"));
    ASSERT_NE(xterm->Id(), 0u);
    ProgramUnderTest program(
        TestSettings({kNoHold, {QStringLiteral("APP/Icon0"), red}, {QStringLiteral("APP/Icon1"), blue}}));
    StartDocked(program, kRed);
    EXPECT_LT(TrayIconPixels(program, view, details).ShareNear(kStandbyColour), 0.05)
        << "the built-in standby picture shows through";

    ExpectPicturesThroughACycle(program, xterm->Id(), kRed, kBlue, QStringLiteral("decoy-concealment"));
    EXPECT_LT(TrayIconPixels(program, view, details).ShareNear(kBlue), 0.05);
    EndProgram(program);
    EXPECT_EQ(program.IniValue(QStringLiteral("APP"), QStringLiteral("Icon0")), red);
    EXPECT_EQ(program.IniValue(QStringLiteral("APP"), QStringLiteral("Icon1")), blue);
}

TEST_F(DecoyScenario, MissingDecoyFileGivesTheBuiltInPictureAndIsForgotten) {
    const QString red = MakeIcon(QStringLiteral("standby.ico"), kRed);
    const QString missing = icons.filePath(QStringLiteral("deleted.ico"));
    auto xterm = Xterm(QStringLiteral("e2e-decoy-missing"));
    ASSERT_NE(xterm->Id(), 0u);
    ProgramUnderTest program(
        TestSettings({kNoHold, {QStringLiteral("APP/Icon0"), red}, {QStringLiteral("APP/Icon1"), missing}}));
    StartDocked(program, kRed);

    ExpectPicturesThroughACycle(program, xterm->Id(), kRed, kConcealmentColour,
                                QStringLiteral("decoy-missing-concealment"));
    EndProgram(program);
    EXPECT_EQ(program.IniValue(QStringLiteral("APP"), QStringLiteral("Icon0")), red);
    EXPECT_EQ(program.IniValue(QStringLiteral("APP"), QStringLiteral("Icon1")), QString())
        << "the missing file is still named";
}

using LockScenario = ScenarioTest;

TEST_F(LockScenario, HeldConcealmentWaitsForTheRightPassword) {
    auto xterm = Xterm(QStringLiteral("e2e-lock"));
    ASSERT_NE(xterm->Id(), 0u);
    ProgramUnderTest program(TestSettings({{QStringLiteral("LOCK/blnLock"), QStringLiteral("1")},
                                           {QStringLiteral("LOCK/PassHash"), lock::MakePassHash("kagi")}}));
    StartDocked(program);
    MovePointer(kCorner);
    ASSERT_TRUE(WaitUntil([&] { return IsConcealed(view, xterm->Id()); }, kTimeout));
    ASSERT_TRUE(WaitUntil([] { return SinkMute() == QStringLiteral("yes"); }, kTimeout));
    MovePointer(kCentre);

    // The click asks; a second click while the question is open asks nothing more.
    program.ClickTrayIcon(view, 1);
    const Window prompt = program.WaitForWindow(view, PromptTitle(), kTimeout);
    ASSERT_NE(prompt, 0u) << "no password prompt";
    program.ClickTrayIcon(view, 1);
    EXPECT_FALSE(WaitUntil([&] { return view.WindowsOf(program.Pid(), PromptTitle()).size() > 1; }, kQuiet))
        << "a second prompt";

    FocusWindow(prompt);
    TypeText(QStringLiteral("wrong"));
    PressKey(QStringLiteral("Return"));
    const Window message = program.WaitForWindow(view, MessageTitle(), kTimeout);
    ASSERT_NE(message, 0u) << "no message after a wrong password";
    Shot(QStringLiteral("lock-wrong-password"));
    FocusWindow(message);
    PressKey(QStringLiteral("Return"));
    ASSERT_TRUE(WaitUntil([&] { return view.FindWindow(MessageTitle(), program.Pid()) == 0; }, kTimeout));

    // Still held: the window, the picture and the sound stay as they are.
    EXPECT_FALSE(WaitUntil([&] { return !IsConcealed(view, xterm->Id()); }, kQuiet))
        << "a wrong password released the hold";
    EXPECT_GE(TrayIconPixels(program, view, details).ShareNear(kConcealmentColour), 0.3);
    EXPECT_EQ(SinkMute(), QStringLiteral("yes"));

    program.ClickTrayIcon(view, 1);
    const Window again = program.WaitForWindow(view, PromptTitle(), kTimeout);
    ASSERT_NE(again, 0u);
    FocusWindow(again);
    TypeText(QStringLiteral("kagi"));
    PressKey(QStringLiteral("Return"));
    EXPECT_TRUE(WaitUntil([&] { return IsShown(view, xterm->Id()); }, kTimeout))
        << "the right password released nothing";
    EXPECT_TRUE(TrayIconShows(program, view, details, kStandbyColour, kTimeout));
    EXPECT_TRUE(WaitUntil([] { return SinkMute() == QStringLiteral("no"); }, kTimeout));

    // Nothing held: a click asks for nothing.
    program.ClickTrayIcon(view, 1);
    EXPECT_FALSE(WaitUntil([&] { return view.FindWindow(PromptTitle(), program.Pid()) != 0; }, kQuiet))
        << "a prompt without a hold";
    EndProgram(program);
}

}  // namespace
}  // namespace e2e::scenario
