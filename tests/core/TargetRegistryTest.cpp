// The target list and its table, the class list, and removal by double-click.
#include <gtest/gtest.h>

#include "CoreFixture.h"
#include "core/ListModel.h"

namespace coretest {
namespace {

using core::mb::kAnswerNo;
using core::mb::kAnswerYes;
using fakes::FakeWindowServices;

const QString kQuestion = QStringLiteral("リストから外しますよ？");
const QString kQuestionWhileConcealed =
    QStringLiteral("リストから外しますよ？\r\n隠蔽中のウィンドウは表示されます。");

class TargetRegistryTest : public CoreFixture {};

TEST_F(TargetRegistryTest, RefreshPrunesClosedWindowsAndMirrorsTheListWithItsExtent) {
    std::vector<std::int32_t> extents;
    registry.onHorizontalExtent = [&](std::int32_t extent) { extents.push_back(extent); };
    const auto a = windows.Open("A", "first", FakeWindowServices::Normal(), 0x1A2B);
    const auto b = windows.Open("A", "second", FakeWindowServices::Normal(), 0x2000);
    const auto c = windows.Open("A", QStringLiteral("報告書下書"), FakeWindowServices::Normal(), 0x3000);
    Pick(a);
    Pick(b);
    Pick(c);
    windows.Close(b);
    extents.clear();

    registry.RefreshTargetList();

    EXPECT_EQ(Entries(), (QStringList{"first(1A2B)", QStringLiteral("報告書下書(3000)")}));
    ASSERT_EQ(registry.TargetCount(), 2);
    EXPECT_EQ(registry.TargetTable()[1].Title, QStringLiteral("報告書下書"));
    EXPECT_EQ(registry.TargetTable()[1].hWnd, c);
    EXPECT_EQ(extents, std::vector<std::int32_t>{101});  // 16 CP932 bytes at 9 points

    windows.Close(a);
    windows.Close(c);
    registry.RefreshTargetList();
    EXPECT_EQ(registry.TargetCount(), 0);
    EXPECT_EQ(extents.back(), 5);
}

TEST_F(TargetRegistryTest, AnEntryNamingNoWindowIsPruned) {
    registry.AddTargetEntry(QStringLiteral("typed by hand"));
    registry.AddTargetEntry(QStringLiteral("x(ZZ)"));
    registry.RefreshTargetList();
    EXPECT_TRUE(Entries().isEmpty());
    EXPECT_EQ(registry.TargetCount(), 0);
}

TEST_F(TargetRegistryTest, ClassListIsNeverEmptyAndLstClassesMirrorsIt) {
    registry.SetClassList({});
    EXPECT_EQ(registry.ClassList(), QStringList{QString()});
    registry.SetClassList({"IEFrame", "XTerm"});
    EXPECT_FALSE(registry.AddClass("XTerm"));
    EXPECT_TRUE(registry.AddClass("xterm"));  // names are compared exactly
    EXPECT_EQ(registry.ClassList(), (QStringList{"IEFrame", "XTerm", "xterm"}));
    EXPECT_EQ(registry.lstClasses().stringList(), registry.ClassList());
}

TEST_F(TargetRegistryTest, RemovingATargetWhileStandingByAsksOneLineAndOnlyRemovesTheEntry) {
    const auto a = OpenAndPick("a", FakeWindowServices::Normal());
    const auto b = OpenAndPick("b", FakeWindowServices::Normal());
    prompter.answers = {kAnswerNo, kAnswerYes};

    registry.lstTarget_DblClick(0);
    EXPECT_EQ(registry.TargetCount(), 2);
    registry.lstTarget_DblClick(0);

    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[1].text, kQuestion);
    EXPECT_EQ(prompter.shown[1].style, 4100);
    EXPECT_EQ(prompter.shown[1].title, QStringLiteral("Zelmora"));
    EXPECT_EQ(registry.TargetCount(), 1);
    EXPECT_EQ(registry.TargetTable()[0].hWnd, b);
    EXPECT_TRUE(windows.placementCalls.empty());
    (void)a;
}

TEST_F(TargetRegistryTest, RemovingATargetWhileConcealedShowsThatWindowOnly) {
    const auto a = OpenAndPick("a", FakeWindowServices::Normal(10, 20, 300, 200));
    const auto b = OpenAndPick("b", FakeWindowServices::Normal(30, 40, 500, 400));
    TickWithScrollLock(true);
    ASSERT_TRUE(flags.blnHideFlg);
    windows.ClearRecords();
    prompter.answers = {kAnswerYes};

    registry.lstTarget_DblClick(1);

    EXPECT_EQ(prompter.shown.at(0).text, kQuestionWhileConcealed);
    ASSERT_EQ(windows.placementCalls.size(), 1u);
    EXPECT_EQ(windows.placementCalls[0].handle, b);
    EXPECT_EQ(windows.placementCalls[0].placement, FakeWindowServices::Normal(30, 40, 500, 400));
    EXPECT_FALSE(windows.IsHidden(b));
    EXPECT_TRUE(windows.IsHidden(a));
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("a(%1)").arg(core::HandleToHex(a))});
}

TEST_F(TargetRegistryTest, RemovalTakesTheChosenEntryEvenWhenTheListChangedDuringTheQuestion) {
    const auto a = OpenAndPick("a", FakeWindowServices::Normal());
    const auto b = OpenAndPick("b", FakeWindowServices::Normal());
    const auto c = OpenAndPick("c", FakeWindowServices::Normal());
    prompter.answers = {kAnswerYes};
    // While the box is open a concealment prunes "a", whose window has closed: "c" moves to row 1.
    prompter.whileOpen = [&] {
        windows.Close(a);
        registry.RefreshTargetList();
    };

    registry.lstTarget_DblClick(2);  // "c"

    EXPECT_EQ(Entries(), QStringList{QStringLiteral("b(%1)").arg(core::HandleToHex(b))});
    (void)c;
}

TEST_F(TargetRegistryTest, DoubleClickWithoutASelectionDoesNothing) {
    OpenAndPick("a", FakeWindowServices::Normal());
    registry.SetClassList({"A", "B"});
    registry.lstTarget_DblClick(-1);
    registry.lstTarget_DblClick(1);
    registry.lstClasses_DblClick(-1);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(registry.TargetCount(), 1);
    EXPECT_EQ(registry.ClassList().size(), 2);
}

struct ClassRemovalCase {
    QStringList before;
    int selected;
    int answer;
    QStringList after;
};

TEST_F(TargetRegistryTest, RemovingAClass) {
    const ClassRemovalCase cases[] = {
        {{"A", "B"}, 0, kAnswerYes, {"B"}},
        {{"A", "B"}, 1, kAnswerYes, {"A"}},  // the array's last element
        {{"A", "B"}, 0, kAnswerNo, {"A", "B"}},
        {{"A", "B", "C"}, 1, kAnswerYes, {"A", "C"}},
        // A name listed twice: the selected element goes, nothing else moves.
        {{"A", "X", "A", "Y"}, 0, kAnswerYes, {"X", "A", "Y"}},
        {{"A", "X", "A", "Y"}, 2, kAnswerYes, {"A", "X", "Y"}},
        {{"A", "A"}, 1, kAnswerYes, {"A"}},
    };
    for (const ClassRemovalCase& c : cases) {
        registry.SetClassList(c.before);
        prompter.shown.clear();
        prompter.answers = {c.answer};
        registry.lstClasses_DblClick(c.selected);
        EXPECT_EQ(registry.ClassList(), c.after) << c.before.join(',').toStdString() << " @" << c.selected;
        EXPECT_EQ(registry.lstClasses().stringList(), c.after);
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text, kQuestion);
        EXPECT_EQ(prompter.shown[0].style, 4100);
        EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Zelmora"));
    }
}

TEST_F(TargetRegistryTest, TheLastClassCannotBeRemoved) {
    registry.SetClassList({"IEFrame"});
    prompter.defaultAnswer = kAnswerYes;
    registry.lstClasses_DblClick(0);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("最後のひとつは消しちゃイヤ。"));
    EXPECT_EQ(prompter.shown[0].style, 4160);
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Zelmora2nd"));
    EXPECT_EQ(registry.ClassList(), QStringList{"IEFrame"});
}

TEST_F(TargetRegistryTest, RemovingAClassLeavesTheWindowsItBroughtIn) {
    registry.SetClassList({"IEFrame", "XTerm"});
    windows.Open("XTerm", "shell");
    registry.DiscoverClassWindows();
    ASSERT_EQ(registry.TargetCount(), 1);
    prompter.answers = {kAnswerYes};
    registry.lstClasses_DblClick(1);
    EXPECT_EQ(registry.ClassList(), QStringList{"IEFrame"});
    EXPECT_EQ(registry.TargetCount(), 1);
}

TEST_F(TargetRegistryTest, ThePickerCannotGrowTheListPastItsLimit) {
    for (int i = 0; i < core::kMaxTargets; ++i)
        OpenAndPick(QString::number(i), FakeWindowServices::Normal());
    const auto extra = windows.Open("Notepad", "extra");
    EXPECT_FALSE(registry.AddTargetEntry(core::FormatTargetEntry("extra", extra)));
    EXPECT_FALSE(registry.AddTargetEntry(Entries().at(0)));
    EXPECT_EQ(registry.TargetCount(), core::kMaxTargets);
}

}  // namespace
}  // namespace coretest
