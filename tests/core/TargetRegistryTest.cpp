// The target list and its table, the class list, and removal by double-click.
#include <gtest/gtest.h>

#include "CoreFixture.h"
#include "core/ListModel.h"

namespace coretest {
namespace {

constexpr core::Answer kAnswerNo = core::Answer::No;
constexpr core::Answer kAnswerYes = core::Answer::Yes;
using fakes::FakeWindowServices;

const QString kQuestion = QStringLiteral("リストから外しますよ？");
const QString kQuestionWhileConcealed =
    QStringLiteral("リストから外しますよ？\r\n隠蔽中のウィンドウは表示されます。");

class TargetRegistryTest : public CoreFixture {};

TEST_F(TargetRegistryTest, RefreshPrunesClosedWindowsAndMirrorsTheListWithItsExtent) {
    std::vector<std::int32_t> extents;
    registry.onHorizontalExtent = [&](std::int32_t extent) { extents.push_back(extent); };
    const auto a = windows.open("A", "first", FakeWindowServices::normal(), 0x1A2B);
    const auto b = windows.open("A", "second", FakeWindowServices::normal(), 0x2000);
    const auto c = windows.open("A", QStringLiteral("報告書下書"), FakeWindowServices::normal(), 0x3000);
    pick(a);
    pick(b);
    pick(c);
    windows.close(b);
    extents.clear();

    registry.refreshTargetList();

    EXPECT_EQ(entries(), (QStringList{"first(1A2B)", QStringLiteral("報告書下書(3000)")}));
    ASSERT_EQ(registry.targetCount(), 2);
    EXPECT_EQ(registry.targetTable()[1].title, QStringLiteral("報告書下書"));
    EXPECT_EQ(registry.targetTable()[1].handle, c);
    EXPECT_EQ(extents, std::vector<std::int32_t>{101});  // 16 CP932 bytes at 9 points

    windows.close(a);
    windows.close(c);
    registry.refreshTargetList();
    EXPECT_EQ(registry.targetCount(), 0);
    EXPECT_EQ(extents.back(), 5);
}

TEST_F(TargetRegistryTest, AnEntryNamingNoWindowIsPruned) {
    registry.addTargetEntry(QStringLiteral("typed by hand"));
    registry.addTargetEntry(QStringLiteral("x(ZZ)"));
    registry.refreshTargetList();
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_EQ(registry.targetCount(), 0);
}

TEST_F(TargetRegistryTest, ClassListIsNeverEmptyAndLstClassesMirrorsIt) {
    registry.setClassList({});
    EXPECT_EQ(registry.classNames(), QStringList{QString()});
    registry.setClassList({"IEFrame", "XTerm"});
    EXPECT_FALSE(registry.addClass("XTerm"));
    EXPECT_TRUE(registry.addClass("xterm"));  // names are compared exactly
    EXPECT_EQ(registry.classNames(), (QStringList{"IEFrame", "XTerm", "xterm"}));
    EXPECT_EQ(registry.classList().stringList(), registry.classNames());
}

TEST_F(TargetRegistryTest, RemovingATargetWhileStandingByAsksOneLineAndOnlyRemovesTheEntry) {
    const auto a = openAndPick("a", FakeWindowServices::normal());
    const auto b = openAndPick("b", FakeWindowServices::normal());
    prompter.answers = {kAnswerNo, kAnswerYes};

    registry.onTargetDoubleClicked(0);
    EXPECT_EQ(registry.targetCount(), 2);
    registry.onTargetDoubleClicked(0);

    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[1].text, kQuestion);
    EXPECT_EQ(prompter.shown[1].style,
              (core::MessageStyle{core::MessageButtons::YesNo, core::MessageIcon::None, true}));
    EXPECT_EQ(prompter.shown[1].title, QStringLiteral("Zelmora"));
    EXPECT_EQ(registry.targetCount(), 1);
    EXPECT_EQ(registry.targetTable()[0].handle, b);
    EXPECT_TRUE(windows.placementCalls.empty());
    (void)a;
}

TEST_F(TargetRegistryTest, RemovingATargetWhileConcealedShowsThatWindowOnly) {
    const auto a = openAndPick("a", FakeWindowServices::normal(10, 20, 300, 200));
    const auto b = openAndPick("b", FakeWindowServices::normal(30, 40, 500, 400));
    tickWithScrollLock(true);
    ASSERT_TRUE(flags.concealed);
    windows.clearRecords();
    prompter.answers = {kAnswerYes};

    registry.onTargetDoubleClicked(1);

    EXPECT_EQ(prompter.shown.at(0).text, kQuestionWhileConcealed);
    ASSERT_EQ(windows.placementCalls.size(), 1u);
    EXPECT_EQ(windows.placementCalls[0].handle, b);
    EXPECT_EQ(windows.placementCalls[0].placement, FakeWindowServices::normal(30, 40, 500, 400));
    EXPECT_FALSE(windows.isHidden(b));
    EXPECT_TRUE(windows.isHidden(a));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("a(%1)").arg(core::handleToHex(a))});
}

TEST_F(TargetRegistryTest, RemovalTakesTheChosenEntryEvenWhenTheListChangedDuringTheQuestion) {
    const auto a = openAndPick("a", FakeWindowServices::normal());
    const auto b = openAndPick("b", FakeWindowServices::normal());
    const auto c = openAndPick("c", FakeWindowServices::normal());
    prompter.answers = {kAnswerYes};
    // While the box is open a concealment prunes "a", whose window has closed: "c" moves to row 1.
    prompter.whileOpen = [&] {
        windows.close(a);
        registry.refreshTargetList();
    };

    registry.onTargetDoubleClicked(2);  // "c"

    EXPECT_EQ(entries(), QStringList{QStringLiteral("b(%1)").arg(core::handleToHex(b))});
    (void)c;
}

TEST_F(TargetRegistryTest, DoubleClickWithoutASelectionDoesNothing) {
    openAndPick("a", FakeWindowServices::normal());
    registry.setClassList({"A", "B"});
    registry.onTargetDoubleClicked(-1);
    registry.onTargetDoubleClicked(1);
    registry.onClassDoubleClicked(-1);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(registry.targetCount(), 1);
    EXPECT_EQ(registry.classNames().size(), 2);
}

struct ClassRemovalCase {
    QStringList before;
    int selected;
    core::Answer answer;
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
        registry.setClassList(c.before);
        prompter.shown.clear();
        prompter.answers = {c.answer};
        registry.onClassDoubleClicked(c.selected);
        EXPECT_EQ(registry.classNames(), c.after) << c.before.join(',').toStdString() << " @" << c.selected;
        EXPECT_EQ(registry.classList().stringList(), c.after);
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text, kQuestion);
        EXPECT_EQ(prompter.shown[0].style,
                  (core::MessageStyle{core::MessageButtons::YesNo, core::MessageIcon::None, true}));
        EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Zelmora"));
    }
}

TEST_F(TargetRegistryTest, TheLastClassCannotBeRemoved) {
    registry.setClassList({"IEFrame"});
    prompter.defaultAnswer = kAnswerYes;
    registry.onClassDoubleClicked(0);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("最後のひとつは消しちゃイヤ。"));
    EXPECT_EQ(prompter.shown[0].style,
              (core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Information, true}));
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Zelmora2nd"));
    EXPECT_EQ(registry.classNames(), QStringList{"IEFrame"});
}

TEST_F(TargetRegistryTest, RemovingAClassLeavesTheWindowsItBroughtIn) {
    registry.setClassList({"IEFrame", "XTerm"});
    windows.open("XTerm", "shell");
    registry.discoverClassWindows();
    ASSERT_EQ(registry.targetCount(), 1);
    prompter.answers = {kAnswerYes};
    registry.onClassDoubleClicked(1);
    EXPECT_EQ(registry.classNames(), QStringList{"IEFrame"});
    EXPECT_EQ(registry.targetCount(), 1);
}

TEST_F(TargetRegistryTest, ThePickerCannotGrowTheListPastItsLimit) {
    for (int i = 0; i < core::kMaxTargets; ++i)
        openAndPick(QString::number(i), FakeWindowServices::normal());
    const auto extra = windows.open("Notepad", "extra");
    EXPECT_FALSE(registry.addTargetEntry(core::formatTargetEntry("extra", extra)));
    EXPECT_FALSE(registry.addTargetEntry(entries().at(0)));
    EXPECT_EQ(registry.targetCount(), core::kMaxTargets);
}

}  // namespace
}  // namespace coretest
