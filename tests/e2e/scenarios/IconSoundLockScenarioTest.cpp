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
void expectSinkMuteSettles(const QString& expected, const char* when) {
    EXPECT_TRUE(waitUntil([&] { return sinkMute() == expected; }, kTimeout))
        << when << ": the sink's mute is " << sinkMute().toStdString();
    EXPECT_FALSE(waitUntil([&] { return sinkMute() != expected; }, kQuiet))
        << when << ": the sink's mute changed to " << sinkMute().toStdString();
}

struct MuteCase {
    const char* name;
    const char* mute;      // muteOn
    const char* muteAuto;  // muteRestore
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
    auto xterm = openXterm(QStringLiteral("e2e-mute"));
    ASSERT_NE(xterm->id(), 0u);
    ASSERT_TRUE(setSinkMute(c.mutedBefore));
    ProgramUnderTest program(testSettings(
        {kNoHold, {QStringLiteral("APP/blnMute"), c.mute}, {QStringLiteral("APP/blnMuteAuto"), c.muteAuto}}));
    startDocked(program);

    movePointer(kCorner);
    ASSERT_TRUE(waitUntil([&] { return isConcealed(view, xterm->id()); }, kTimeout));
    expectSinkMuteSettles(QString::fromLatin1(c.whileConcealed), "concealed");
    movePointer(kCentre);
    ASSERT_TRUE(waitUntil([&] { return isShown(view, xterm->id()); }, kTimeout));
    ASSERT_TRUE(trayIconShows(program, view, kStandbyColour, kTimeout));
    expectSinkMuteSettles(QString::fromLatin1(c.afterRestore), "restored");
    endProgram(program);
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
    QString makeIcon(const QString& name, std::uint32_t colour) {
        const QString path = icons.filePath(name);
        int status = -1;
        runTool(QStringLiteral("convert"),
                {QStringLiteral("-size"), QStringLiteral("32x32"),
                 QStringLiteral("xc:#%1").arg(colour, 6, 16, QChar(u'0')), QStringLiteral("-define"),
                 QStringLiteral("icon:auto-resize=32,16"), path},
                &status);
        EXPECT_EQ(status, 0) << "convert made no " << name.toStdString();
        return path;
    }

    // Conceals the xterm by the corner and restores it, checking the icon's picture each time.
    void expectPicturesThroughACycle(ProgramUnderTest& program, Window xterm, std::uint32_t standby,
                                     std::uint32_t concealment, const QString& shotName) {
        movePointer(kCorner);
        ASSERT_TRUE(waitUntil([&] { return isConcealed(view, xterm); }, kTimeout));
        EXPECT_TRUE(trayIconShows(program, view, concealment, kTimeout)) << "not the concealment picture";
        shot(shotName);
        movePointer(kCentre);
        ASSERT_TRUE(waitUntil([&] { return isShown(view, xterm); }, kTimeout));
        EXPECT_TRUE(trayIconShows(program, view, standby, kTimeout)) << "not the standby picture";
    }

    QTemporaryDir icons;
};

TEST_F(DecoyScenario, DecoyFilesStandInForBothPictures) {
    const QString red = makeIcon(QStringLiteral("standby.ico"), kRed);
    const QString blue = makeIcon(QStringLiteral("concealment.ico"), kBlue);
    auto xterm = openXterm(QStringLiteral("e2e-decoy"));
    ASSERT_NE(xterm->id(), 0u);
    ProgramUnderTest program(
        testSettings({kNoHold, {QStringLiteral("APP/Icon0"), red}, {QStringLiteral("APP/Icon1"), blue}}));
    startDocked(program, kRed);
    EXPECT_LT(trayIconPixels(program, view).shareNear(kStandbyColour), 0.05)
        << "the built-in standby picture shows through";

    expectPicturesThroughACycle(program, xterm->id(), kRed, kBlue, QStringLiteral("decoy-concealment"));
    EXPECT_LT(trayIconPixels(program, view).shareNear(kBlue), 0.05);
    endProgram(program);
    EXPECT_EQ(program.iniValue(QStringLiteral("APP"), QStringLiteral("Icon0")), red);
    EXPECT_EQ(program.iniValue(QStringLiteral("APP"), QStringLiteral("Icon1")), blue);
}

TEST_F(DecoyScenario, MissingDecoyFileGivesTheBuiltInPictureAndIsForgotten) {
    const QString red = makeIcon(QStringLiteral("standby.ico"), kRed);
    const QString missing = icons.filePath(QStringLiteral("deleted.ico"));
    auto xterm = openXterm(QStringLiteral("e2e-decoy-missing"));
    ASSERT_NE(xterm->id(), 0u);
    ProgramUnderTest program(
        testSettings({kNoHold, {QStringLiteral("APP/Icon0"), red}, {QStringLiteral("APP/Icon1"), missing}}));
    startDocked(program, kRed);

    expectPicturesThroughACycle(program, xterm->id(), kRed, kConcealmentColour,
                                QStringLiteral("decoy-missing-concealment"));
    endProgram(program);
    EXPECT_EQ(program.iniValue(QStringLiteral("APP"), QStringLiteral("Icon0")), red);
    EXPECT_EQ(program.iniValue(QStringLiteral("APP"), QStringLiteral("Icon1")), QString())
        << "the missing file is still named";
}

using LockScenario = ScenarioTest;

TEST_F(LockScenario, HeldConcealmentWaitsForTheRightPassword) {
    auto xterm = openXterm(QStringLiteral("e2e-lock"));
    ASSERT_NE(xterm->id(), 0u);
    ProgramUnderTest program(testSettings({{QStringLiteral("LOCK/blnLock"), QStringLiteral("1")},
                                           {QStringLiteral("LOCK/PassHash"), lock::makePassHash("kagi")}}));
    startDocked(program);
    movePointer(kCorner);
    ASSERT_TRUE(waitUntil([&] { return isConcealed(view, xterm->id()); }, kTimeout));
    ASSERT_TRUE(waitUntil([] { return sinkMute() == QStringLiteral("yes"); }, kTimeout));
    view.watch(xterm->id());  // from here until the right password, nothing maps it
    movePointer(kCentre);

    // The click asks; a second click while the question is open asks nothing more.
    program.clickTrayIcon(view, 1);
    const Window prompt = program.waitForWindow(view, promptTitle(), kTimeout);
    ASSERT_NE(prompt, 0u) << "no password prompt";
    view.watch(view.root(), XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
    program.clickTrayIcon(view, 1);
    EXPECT_FALSE(windowCameMeanwhile(program, promptTitle(), 1)) << "a second prompt";

    focusWindow(prompt);
    typeText(QStringLiteral("wrong"));
    pressKey(QStringLiteral("Return"));
    const Window message = program.waitForWindow(view, messageTitle(), kTimeout);
    ASSERT_NE(message, 0u) << "no message after a wrong password";
    shot(QStringLiteral("lock-wrong-password"));
    focusWindow(message);
    pressKey(QStringLiteral("Return"));
    ASSERT_TRUE(waitUntil([&] { return view.findWindow(messageTitle(), program.pid()) == 0; }, kTimeout));

    // Still held: the window, the picture and the sound stay as they are.
    EXPECT_FALSE(mappedMeanwhile({xterm->id()})) << "a wrong password released the hold";
    EXPECT_TRUE(isConcealed(view, xterm->id()));
    EXPECT_GE(trayIconPixels(program, view).shareNear(kConcealmentColour), 0.3);
    EXPECT_EQ(sinkMute(), QStringLiteral("yes"));

    program.clickTrayIcon(view, 1);
    const Window again = program.waitForWindow(view, promptTitle(), kTimeout);
    ASSERT_NE(again, 0u);
    focusWindow(again);
    typeText(QStringLiteral("kagi"));
    pressKey(QStringLiteral("Return"));
    EXPECT_TRUE(waitUntil([&] { return isShown(view, xterm->id()); }, kTimeout))
        << "the right password released nothing";
    EXPECT_TRUE(trayIconShows(program, view, kStandbyColour, kTimeout));
    EXPECT_TRUE(waitUntil([] { return sinkMute() == QStringLiteral("no"); }, kTimeout));

    // Nothing held: a click asks for nothing.
    view.watch(view.root(), XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
    ASSERT_TRUE(waitUntil([&] { return view.findWindow(promptTitle(), program.pid()) == 0; }, kTimeout));
    program.clickTrayIcon(view, 1);
    EXPECT_FALSE(windowCameMeanwhile(program, promptTitle(), 0)) << "a prompt without a hold";
    endProgram(program);
}

}  // namespace
}  // namespace e2e::scenario
