// The drag-to-target picker against fakes: frames while tracking, what a release adds, and the
// limits.
#include <gtest/gtest.h>

#include <QStringList>

#include "core/CycleFlags.h"
#include "core/Prompter.h"
#include "core/TargetPicker.h"
#include "core/TargetRegistry.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeTrayIcon.h"
#include "fakes/FakeWindowServices.h"
#include "picker/PickerFakes.h"
#include "text/AnsiText.h"

namespace {

using core::WindowHandle;
using pickertest::ScreenWithFrames;

class TargetPickerTest : public testing::Test {
protected:
    TargetPickerTest() {
        a = windows.open(QStringLiteral("XTerm"), QStringLiteral("端末 A"));
        b = windows.open(QStringLiteral("XClock"), QStringLiteral("clock (B)"));
        screen.cover(a, QRect(0, 0, 400, 300));
        screen.cover(b, QRect(500, 0, 300, 300));
        registry.setClassList({QStringLiteral("IEFrame")});
    }

    // A press, one tracking step at each point, and the release.
    void drag(std::initializer_list<QPoint> points) {
        picker.startDrag();
        for (const QPoint& p : points) {
            screen.pointAt(p);
            picker.trackPointer();
        }
        picker.endDrag();
    }

    static QString entry(const QString& title, WindowHandle h) {
        return title + QLatin1Char('(') + QString::number(h, 16).toUpper() + QLatin1Char(')');
    }

    QStringList targets() { return registry.targetList().stringList(); }

    const QPoint overA{100, 100};
    const QPoint overB{600, 100};
    const QPoint overNothing{450, 500};

    fakes::FakeWindowServices windows;
    ScreenWithFrames screen{windows};
    fakes::FakePrompter prompter;
    core::CycleFlags flags;
    core::TargetRegistry registry{screen, prompter, flags};
    pickertest::ScriptedConfirmer confirmer;
    fakes::FakeTrayIcon icon;
    pickertest::RecordingView view;
    core::TargetPicker picker{{screen, registry, confirmer, prompter, icon, view}};
    WindowHandle a = 0;
    WindowHandle b = 0;
};

TEST_F(TargetPickerTest, FramesFollowThePointerAndTheReleasePicksTheLastWindow) {
    picker.startDrag();
    EXPECT_TRUE(view.trackingTimer);
    EXPECT_FALSE(view.cycleTimer);
    EXPECT_TRUE(view.dragPointer);

    screen.pointAt(overA);
    picker.trackPointer();
    EXPECT_EQ(screen.inverted, (std::vector<WindowHandle>{a}));
    screen.pointAt(overB);
    picker.trackPointer();
    // B is framed before A loses its frame.
    EXPECT_EQ(screen.inverted, (std::vector<WindowHandle>{a, b, a}));
    for (int i = 0; i < 3; ++i)
        picker.trackPointer();
    EXPECT_EQ(screen.inverted.size(), 3u) << "resting on one window frames it once";
    EXPECT_EQ(view.shownHandle, QString::number(b, 16).toUpper());
    EXPECT_EQ(view.shownTitle, QStringLiteral("clock (B)"));

    picker.endDrag();
    EXPECT_EQ(screen.inverted, (std::vector<WindowHandle>{a, b, a, b}));
    EXPECT_TRUE(screen.framed().empty());
    EXPECT_FALSE(view.trackingTimer);
    EXPECT_TRUE(view.cycleTimer);
    EXPECT_FALSE(view.dragPointer);
    EXPECT_EQ(picker.trackedWindow(), b) << "the last framed window is kept until the next drag";

    EXPECT_EQ(confirmer.asked, (std::vector<QString>{QStringLiteral("XClock")}));
    EXPECT_EQ(targets(), QStringList{entry(QStringLiteral("clock (B)"), b)});
    EXPECT_EQ(registry.targetCount(), 1);
    EXPECT_EQ(registry.targetTable()[0].handle, b);
    ASSERT_EQ(icon.calls.size(), 1u);
    EXPECT_EQ(icon.calls[0].op, fakes::FakeTrayIcon::Op::kSetToolTip) << "the drag's end clears the tip";
    EXPECT_TRUE(icon.calls[0].tip.isEmpty());
    EXPECT_EQ(registry.classNames(), QStringList{QStringLiteral("IEFrame")}) << "window alone: no class";
}

TEST_F(TargetPickerTest, TimersPointerAndFrameAreBackBeforeTheQuestion) {
    confirmer.whileOpen = [this] {
        EXPECT_FALSE(view.trackingTimer);
        EXPECT_TRUE(view.cycleTimer) << "a trigger may conceal while the question is open";
        EXPECT_FALSE(view.dragPointer);
        EXPECT_TRUE(screen.framed().empty());
    };
    drag({overA});
    EXPECT_EQ(confirmer.asked.size(), 1u);
    EXPECT_EQ(view.log, (std::vector<std::string>{"tracking on", "cycle off", "reticle", "tracking off",
                                                  "cycle on", "default pointer"}));
}

TEST_F(TargetPickerTest, ReleaseBeforeTheFirstStepPicksNothing) {
    drag({});
    EXPECT_TRUE(confirmer.asked.empty());
    EXPECT_TRUE(targets().isEmpty());
    EXPECT_TRUE(screen.inverted.empty());
    EXPECT_TRUE(icon.calls.empty());
    EXPECT_TRUE(view.cycleTimer);

    // Also after an earlier pick: the text boxes still name that window, but this drag tracked nothing.
    drag({overA});
    ASSERT_EQ(targets().size(), 1);
    confirmer.asked.clear();
    windows.close(a);
    registry.refreshTargetList();
    drag({});
    EXPECT_TRUE(confirmer.asked.empty());
    EXPECT_TRUE(targets().isEmpty());
}

TEST_F(TargetPickerTest, ReleaseOverNoWindowPicksNothingAndLeavesNoFrame) {
    drag({overA, overNothing});
    EXPECT_EQ(screen.inverted, (std::vector<WindowHandle>{a, a}));
    EXPECT_EQ(view.shownHandle, QStringLiteral("0"));
    EXPECT_TRUE(confirmer.asked.empty());
    EXPECT_TRUE(targets().isEmpty());
}

TEST_F(TargetPickerTest, SecondPressDuringADragKeepsTheFrameToErase) {
    picker.startDrag();
    screen.pointAt(overA);
    picker.trackPointer();
    picker.startDrag();  // another button
    screen.pointAt(overB);
    picker.trackPointer();
    picker.endDrag();
    picker.endDrag();  // the other button's release: the drag is over already
    EXPECT_TRUE(screen.framed().empty());
    EXPECT_EQ(confirmer.asked.size(), 1u);
    EXPECT_EQ(targets(), QStringList{entry(QStringLiteral("clock (B)"), b)});
}

TEST_F(TargetPickerTest, StepsOutsideADragDoNothing) {
    screen.pointAt(overA);
    picker.trackPointer();
    picker.endDrag();
    EXPECT_TRUE(screen.inverted.empty());
    EXPECT_TRUE(view.log.empty());
}

TEST_F(TargetPickerTest, UnreadablePointerKeepsTheLastTrackedWindow) {
    picker.startDrag();
    screen.pointAt(overA);
    picker.trackPointer();
    windows.pointer.reset();  // the pointer went to another screen
    picker.trackPointer();
    picker.endDrag();
    EXPECT_EQ(targets(), QStringList{entry(QStringLiteral("端末 A"), a)});
}

TEST_F(TargetPickerTest, PickingAListedWindowAddsNoSecondEntryButStillRunsTheClassStep) {
    drag({overB});
    confirmer.answers = {false};
    drag({overB});
    EXPECT_EQ(targets(), QStringList{entry(QStringLiteral("clock (B)"), b)});
    EXPECT_EQ(confirmer.asked.size(), 2u);
    EXPECT_EQ(registry.classNames(), (QStringList{QStringLiteral("IEFrame"), QStringLiteral("XClock")}));
    EXPECT_EQ(icon.calls.size(), 2u);
}

TEST_F(TargetPickerTest, AWindowRenamedSinceItsPickGetsASecondEntry) {
    drag({overB});
    windows.find(b)->title = QStringLiteral("clock (C)");
    drag({overB});
    EXPECT_EQ(targets(),
              (QStringList{entry(QStringLiteral("clock (B)"), b), entry(QStringLiteral("clock (C)"), b)}));
}

TEST_F(TargetPickerTest, ChoosingTheClassAddsItOnce) {
    confirmer.answers = {false, false};
    drag({overA});
    drag({overA});
    EXPECT_EQ(registry.classNames(), (QStringList{QStringLiteral("IEFrame"), QStringLiteral("XTerm")}));
    EXPECT_EQ(registry.classList().stringList(), registry.classNames());
    EXPECT_EQ(targets(), QStringList{entry(QStringLiteral("端末 A"), a)}) << "the window itself is added too";
}

// Discovery compares class names cut to 127 bytes: a longer class is listed cut the same way, so
// that its windows are found again at the next concealment.
TEST_F(TargetPickerTest, ALongClassIsListedAsDiscoveryComparesIt) {
    const QString longClass = QString(200, u'k');
    const WindowHandle c = windows.open(longClass, QStringLiteral("long"));
    screen.cover(c, QRect(0, 400, 300, 300));
    confirmer.answers = {false};
    drag({QPoint(100, 500)});
    ASSERT_EQ(registry.classNames().size(), 2);
    EXPECT_EQ(registry.classNames().back(), QString(127, u'k'));

    registry.targetList().setStringList({});
    registry.discoverClassWindows();
    EXPECT_EQ(targets(), QStringList{entry(QStringLiteral("long"), c)});
}

TEST_F(TargetPickerTest, WindowGoneBeforeTheReleaseAddsNoEmptyClassAndNoEntry) {
    confirmer.answers = {false};
    picker.startDrag();
    screen.pointAt(overA);
    picker.trackPointer();
    windows.close(a);
    picker.endDrag();
    EXPECT_EQ(confirmer.asked, (std::vector<QString>{QString()}));
    EXPECT_EQ(registry.classNames(), QStringList{QStringLiteral("IEFrame")});
    EXPECT_TRUE(targets().isEmpty()) << "the refresh drops the entry of the closed window";
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
        windows.find(a)->title = c.title;
        drag({overA});
        EXPECT_EQ(view.shownTitle, c.shown) << c.title.toStdString();
        EXPECT_LE(ansi::byteLength(view.shownTitle), core::kTrackedTitleBytes);
        EXPECT_TRUE(targets().contains(entry(c.shown, a))) << c.title.toStdString();
    }
    EXPECT_TRUE(
        targets().contains(QStringLiteral("(") + QString::number(a, 16).toUpper() + QLatin1Char(')')));
}

TEST_F(TargetPickerTest, AFullListRefusesTheWindowWithAMessage) {
    QStringList full;
    for (int i = 0; i < core::kMaxTargets; ++i) {
        const WindowHandle h = windows.open(QStringLiteral("Filler"), QStringLiteral("w%1").arg(i));
        full.append(entry(QStringLiteral("w%1").arg(i), h));
    }
    registry.targetList().setStringList(full);
    registry.refreshTargetList();
    ASSERT_EQ(registry.targetCount(), 100);

    confirmer.answers = {false};
    drag({overA});
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("100画面がMAXでございますm(__)m"));
    EXPECT_EQ(prompter.shown[0].style,
              ((core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Information, true})));
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Zelmora2nd"));
    EXPECT_EQ(targets(), full);
    EXPECT_TRUE(registry.classNames().contains(QStringLiteral("XTerm"))) << "the class choice stands";
    EXPECT_EQ(icon.calls.size(), 1u);

    // One window fewer: the next pick is accepted.
    windows.close(registry.targetTable()[0].handle);
    registry.refreshTargetList();
    drag({overA});
    EXPECT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(targets().size(), 100);
    EXPECT_EQ(targets().last(), entry(QStringLiteral("端末 A"), a));
}

}  // namespace
