// The drag-to-target picker against fakes: frames while tracking, what a release adds, and the
// limits.
#include <gtest/gtest.h>

#include <QStringList>

#include "core/CycleFlags.h"
#include "core/Prompter.h"
#include "core/TargetRegistry.h"
#include "fakes/FakeNotifyIcon.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeWindowServices.h"
#include "picker/PickerFakes.h"
#include "picker/TargetPicker.h"
#include "text/AnsiText.h"

namespace {

using core::WindowHandle;
using pickertest::ScreenWithFrames;

class TargetPickerTest : public testing::Test {
protected:
    TargetPickerTest() {
        a = windows.Open(QStringLiteral("XTerm"), QStringLiteral("端末 A"));
        b = windows.Open(QStringLiteral("XClock"), QStringLiteral("clock (B)"));
        screen.Cover(a, QRect(0, 0, 400, 300));
        screen.Cover(b, QRect(500, 0, 300, 300));
        registry.SetClassList({QStringLiteral("IEFrame")});
    }

    // A press, one tracking step at each point, and the release.
    void Drag(std::initializer_list<QPoint> points) {
        picker.picTarget_MouseDown();
        for (const QPoint& p : points) {
            screen.PointAt(p);
            picker.tmrTarget_Timer();
        }
        picker.picTarget_MouseUp();
    }

    static QString Entry(const QString& title, WindowHandle h) {
        return title + QLatin1Char('(') + QString::number(h, 16).toUpper() + QLatin1Char(')');
    }

    QStringList Targets() { return registry.lstTarget().stringList(); }

    const QPoint overA{100, 100};
    const QPoint overB{600, 100};
    const QPoint overNothing{450, 500};

    fakes::FakeWindowServices windows;
    ScreenWithFrames screen{windows};
    fakes::FakePrompter prompter;
    core::CycleFlags flags;
    core::TargetRegistry registry{screen, prompter, flags};
    pickertest::ScriptedConfirmer confirmer;
    fakes::FakeNotifyIcon icon;
    core::TrayIconData trayIconData;
    pickertest::RecordingView view;
    picker::TargetPicker picker{{screen, registry, confirmer, prompter, icon, trayIconData, view}};
    WindowHandle a = 0;
    WindowHandle b = 0;
};

TEST_F(TargetPickerTest, FramesFollowThePointerAndTheReleasePicksTheLastWindow) {
    trayIconData.szTip = QStringLiteral("stale tip");
    picker.picTarget_MouseDown();
    EXPECT_TRUE(view.trackingTimer);
    EXPECT_FALSE(view.cycleTimer);
    EXPECT_TRUE(view.dragPointer);

    screen.PointAt(overA);
    picker.tmrTarget_Timer();
    EXPECT_EQ(screen.inverted, (std::vector<WindowHandle>{a}));
    screen.PointAt(overB);
    picker.tmrTarget_Timer();
    // B is framed before A loses its frame.
    EXPECT_EQ(screen.inverted, (std::vector<WindowHandle>{a, b, a}));
    for (int i = 0; i < 3; ++i)
        picker.tmrTarget_Timer();
    EXPECT_EQ(screen.inverted.size(), 3u) << "resting on one window frames it once";
    EXPECT_EQ(view.shownHandle, QString::number(b, 16).toUpper());
    EXPECT_EQ(view.shownTitle, QStringLiteral("clock (B)"));

    picker.picTarget_MouseUp();
    EXPECT_EQ(screen.inverted, (std::vector<WindowHandle>{a, b, a, b}));
    EXPECT_TRUE(screen.Framed().empty());
    EXPECT_FALSE(view.trackingTimer);
    EXPECT_TRUE(view.cycleTimer);
    EXPECT_FALSE(view.dragPointer);
    EXPECT_EQ(picker.lngTargetWnd(), b) << "the last framed window is kept until the next drag";

    EXPECT_EQ(confirmer.asked, (std::vector<QString>{QStringLiteral("XClock")}));
    EXPECT_EQ(Targets(), QStringList{Entry(QStringLiteral("clock (B)"), b)});
    EXPECT_EQ(registry.TargetCount(), 1);
    EXPECT_EQ(registry.TargetTable()[0].hWnd, b);
    ASSERT_EQ(icon.calls.size(), 1u);
    EXPECT_EQ(icon.calls[0].op, fakes::FakeNotifyIcon::Op::kModify);
    EXPECT_TRUE(icon.calls[0].data.szTip.isEmpty());
    EXPECT_EQ(registry.ClassList(), QStringList{QStringLiteral("IEFrame")}) << "window alone: no class";
}

TEST_F(TargetPickerTest, TimersPointerAndFrameAreBackBeforeTheQuestion) {
    confirmer.whileOpen = [this] {
        EXPECT_FALSE(view.trackingTimer);
        EXPECT_TRUE(view.cycleTimer) << "a trigger may conceal while the question is open";
        EXPECT_FALSE(view.dragPointer);
        EXPECT_TRUE(screen.Framed().empty());
    };
    Drag({overA});
    EXPECT_EQ(confirmer.asked.size(), 1u);
    EXPECT_EQ(view.log, (std::vector<std::string>{"tracking on", "cycle off", "reticle", "tracking off",
                                                  "cycle on", "default pointer"}));
}

TEST_F(TargetPickerTest, ReleaseBeforeTheFirstStepPicksNothing) {
    Drag({});
    EXPECT_TRUE(confirmer.asked.empty());
    EXPECT_TRUE(Targets().isEmpty());
    EXPECT_TRUE(screen.inverted.empty());
    EXPECT_TRUE(icon.calls.empty());
    EXPECT_TRUE(view.cycleTimer);

    // Also after an earlier pick: the text boxes still name that window, but this drag tracked nothing.
    Drag({overA});
    ASSERT_EQ(Targets().size(), 1);
    confirmer.asked.clear();
    windows.Close(a);
    registry.RefreshTargetList();
    Drag({});
    EXPECT_TRUE(confirmer.asked.empty());
    EXPECT_TRUE(Targets().isEmpty());
}

TEST_F(TargetPickerTest, ReleaseOverNoWindowPicksNothingAndLeavesNoFrame) {
    Drag({overA, overNothing});
    EXPECT_EQ(screen.inverted, (std::vector<WindowHandle>{a, a}));
    EXPECT_EQ(view.shownHandle, QStringLiteral("0"));
    EXPECT_TRUE(confirmer.asked.empty());
    EXPECT_TRUE(Targets().isEmpty());
}

TEST_F(TargetPickerTest, SecondPressDuringADragKeepsTheFrameToErase) {
    picker.picTarget_MouseDown();
    screen.PointAt(overA);
    picker.tmrTarget_Timer();
    picker.picTarget_MouseDown();  // another button
    screen.PointAt(overB);
    picker.tmrTarget_Timer();
    picker.picTarget_MouseUp();
    picker.picTarget_MouseUp();  // the other button's release: the drag is over already
    EXPECT_TRUE(screen.Framed().empty());
    EXPECT_EQ(confirmer.asked.size(), 1u);
    EXPECT_EQ(Targets(), QStringList{Entry(QStringLiteral("clock (B)"), b)});
}

TEST_F(TargetPickerTest, StepsOutsideADragDoNothing) {
    screen.PointAt(overA);
    picker.tmrTarget_Timer();
    picker.picTarget_MouseUp();
    EXPECT_TRUE(screen.inverted.empty());
    EXPECT_TRUE(view.log.empty());
}

TEST_F(TargetPickerTest, UnreadablePointerKeepsTheLastTrackedWindow) {
    picker.picTarget_MouseDown();
    screen.PointAt(overA);
    picker.tmrTarget_Timer();
    windows.pointer.reset();  // the pointer went to another screen
    picker.tmrTarget_Timer();
    picker.picTarget_MouseUp();
    EXPECT_EQ(Targets(), QStringList{Entry(QStringLiteral("端末 A"), a)});
}

TEST_F(TargetPickerTest, PickingAListedWindowAddsNoSecondEntryButStillRunsTheClassStep) {
    Drag({overB});
    confirmer.answers = {false};
    Drag({overB});
    EXPECT_EQ(Targets(), QStringList{Entry(QStringLiteral("clock (B)"), b)});
    EXPECT_EQ(confirmer.asked.size(), 2u);
    EXPECT_EQ(registry.ClassList(), (QStringList{QStringLiteral("IEFrame"), QStringLiteral("XClock")}));
    EXPECT_EQ(icon.calls.size(), 2u);
}

TEST_F(TargetPickerTest, AWindowRenamedSinceItsPickGetsASecondEntry) {
    Drag({overB});
    windows.Find(b)->title = QStringLiteral("clock (C)");
    Drag({overB});
    EXPECT_EQ(Targets(),
              (QStringList{Entry(QStringLiteral("clock (B)"), b), Entry(QStringLiteral("clock (C)"), b)}));
}

TEST_F(TargetPickerTest, ChoosingTheClassAddsItOnce) {
    confirmer.answers = {false, false};
    Drag({overA});
    Drag({overA});
    EXPECT_EQ(registry.ClassList(), (QStringList{QStringLiteral("IEFrame"), QStringLiteral("XTerm")}));
    EXPECT_EQ(registry.lstClasses().stringList(), registry.ClassList());
    EXPECT_EQ(Targets(), QStringList{Entry(QStringLiteral("端末 A"), a)}) << "the window itself is added too";
}

TEST_F(TargetPickerTest, WindowGoneBeforeTheReleaseAddsNoEmptyClassAndNoEntry) {
    confirmer.answers = {false};
    picker.picTarget_MouseDown();
    screen.PointAt(overA);
    picker.tmrTarget_Timer();
    windows.Close(a);
    picker.picTarget_MouseUp();
    EXPECT_EQ(confirmer.asked, (std::vector<QString>{QString()}));
    EXPECT_EQ(registry.ClassList(), QStringList{QStringLiteral("IEFrame")});
    EXPECT_TRUE(Targets().isEmpty()) << "the refresh drops the entry of the closed window";
}

TEST_F(TargetPickerTest, TitlesAreCutTo49AnsiBytes) {
    struct Case {
        QString title;
        QString shown;
    };
    const QString wide = QString(30, QChar(0x3042));  // あ: 2 bytes each
    const std::vector<Case> cases{
        {QString(60, QLatin1Char('x')), QString(49, QLatin1Char('x'))},
        {wide, QString(24, QChar(0x3042))},
        {QStringLiteral("a") + wide, QStringLiteral("a") + QString(24, QChar(0x3042))},
        {QString(), QString()},
    };
    for (const Case& c : cases) {
        windows.Find(a)->title = c.title;
        Drag({overA});
        EXPECT_EQ(view.shownTitle, c.shown) << c.title.toStdString();
        EXPECT_LE(ansi::byteLength(view.shownTitle), picker::kTrackedTitleBytes);
        EXPECT_TRUE(Targets().contains(Entry(c.shown, a))) << c.title.toStdString();
    }
    EXPECT_TRUE(
        Targets().contains(QStringLiteral("(") + QString::number(a, 16).toUpper() + QLatin1Char(')')));
}

TEST_F(TargetPickerTest, AFullListRefusesTheWindowWithAMessage) {
    QStringList full;
    for (int i = 0; i < core::kMaxTargets; ++i) {
        const WindowHandle h = windows.Open(QStringLiteral("Filler"), QStringLiteral("w%1").arg(i));
        full.append(Entry(QStringLiteral("w%1").arg(i), h));
    }
    registry.lstTarget().setStringList(full);
    registry.RefreshTargetList();
    ASSERT_EQ(registry.TargetCount(), 100);

    confirmer.answers = {false};
    Drag({overA});
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("100画面がMAXでございますm(__)m"));
    EXPECT_EQ(prompter.shown[0].style, 4160);
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Zelmora2nd"));
    EXPECT_EQ(Targets(), full);
    EXPECT_TRUE(registry.ClassList().contains(QStringLiteral("XTerm"))) << "the class choice stands";
    EXPECT_EQ(icon.calls.size(), 1u);

    // One window fewer: the next pick is accepted.
    windows.Close(registry.TargetTable()[0].hWnd);
    registry.RefreshTargetList();
    Drag({overA});
    EXPECT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(Targets().size(), 100);
    EXPECT_EQ(Targets().last(), Entry(QStringLiteral("端末 A"), a));
}

}  // namespace
