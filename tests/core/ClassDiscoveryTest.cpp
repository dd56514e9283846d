// Discovery of target windows by class.
#include <gtest/gtest.h>

#include "CoreFixture.h"
#include "core/ClassDiscovery.h"
#include "text/AnsiText.h"

namespace coretest {
namespace {

using fakes::FakeWindowServices;

class ClassDiscoveryTest : public CoreFixture {
protected:
    QStringListModel list;

    void Discover(const QStringList& classes) {
        for (const auto hWnd : windows.EnumWindows())
            mBrisquel::EnumClassWindowsProc(windows, hWnd, classes, list);
    }
    static QString Entry(const QString& title, core::WindowHandle hWnd) {
        return core::FormatTargetEntry(title, hWnd);
    }
};

TEST_F(ClassDiscoveryTest, AppendsWindowsOfListedClassesInTheOrderOffered) {
    const auto one = windows.Open("XTerm", "one");
    windows.Open("Other", "not me");
    const auto two = windows.Open("XTerm", "");
    windows.Open("xterm", "wrong case");
    Discover({"IEFrame", "XTerm"});
    EXPECT_EQ(list.stringList(), (QStringList{Entry("one", one), Entry("", two)}));
    EXPECT_EQ(list.stringList().at(1), "(" + core::HandleToHex(two) + ")");
}

TEST_F(ClassDiscoveryTest, NoWindowOfTheClassLeavesTheListAlone) {
    windows.Open("XTerm", "one");
    list.setStringList({"kept(1)"});
    Discover({"IEFrame"});
    EXPECT_EQ(list.stringList(), QStringList{"kept(1)"});
}

TEST_F(ClassDiscoveryTest, RewritesAKnownWindowsEntryInPlaceWithItsCurrentTitle) {
    const auto w = windows.Open("XTerm", "old");
    list.setStringList({"first(1)", Entry("old", w), "last(2)"});
    windows.Find(w)->title = "new";
    Discover({"XTerm"});
    EXPECT_EQ(list.stringList(), (QStringList{"first(1)", Entry("new", w), "last(2)"}));
}

TEST_F(ClassDiscoveryTest, AClassListedTwiceEntersAWindowOnce) {
    const auto w = windows.Open("XTerm", "shell");
    windows.Open("Other", "x");
    Discover({"XTerm", "Other2", "XTerm"});
    EXPECT_EQ(list.stringList(), QStringList{Entry("shell", w)});
    EXPECT_EQ(windows.titleCalls, 2);  // the title is read for every window offered
}

TEST_F(ClassDiscoveryTest, AnEntryHoldingAnotherWindowsBracketedHandleCountsAsItsEntry) {
    const auto w = windows.Open("XTerm", "shell", FakeWindowServices::Normal(), 0x1A2);
    list.setStringList({"notes (1A2) and more(1A2B)"});
    Discover({"XTerm"});
    EXPECT_EQ(list.stringList(), QStringList{Entry("shell", w)});
}

TEST_F(ClassDiscoveryTest, TitlesAreCutTo515AnsiBytesAndAtANul) {
    const auto ascii = windows.Open("XTerm", QString(600, u'a'));
    const auto wide = windows.Open("XTerm", QString(300, u'あ'));  // 600 bytes; 257 whole characters fit
    const auto nul = windows.Open("XTerm", QStringLiteral("before") + QChar(u'\0') + QStringLiteral("after"));
    Discover({"XTerm"});
    const QStringList entries = list.stringList();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0], Entry(QString(515, u'a'), ascii));
    EXPECT_EQ(entries[1], Entry(QString(257, u'あ'), wide));
    EXPECT_EQ(entries[2], Entry("before", nul));
}

TEST_F(ClassDiscoveryTest, ClassNamesAreCutTo127AnsiBytes) {
    const auto w = windows.Open(QString(200, u'K'), "long");
    EXPECT_EQ(mBrisquel::GetWindowClassName(windows, w), QString(127, u'K'));
    EXPECT_EQ(mBrisquel::GetWindowClassName(windows, 0xDEAD), QString());
    Discover({QString(127, u'K')});
    EXPECT_EQ(list.stringList(), QStringList{Entry("long", w)});
}

TEST_F(ClassDiscoveryTest, AnEmptyClassNameTakesInNoWindow) {
    windows.Open("", "no WM_CLASS");
    Discover({"IEFrame", ""});
    EXPECT_TRUE(list.stringList().isEmpty());
}

TEST_F(ClassDiscoveryTest, StopsAppendingAtTheLimitButStillRefreshesKnownEntries) {
    for (int i = 0; i < core::kMaxTargets - 2; ++i)
        OpenAndPick(QString::number(i), FakeWindowServices::Normal());
    registry.SetClassList({"XTerm"});
    std::vector<core::WindowHandle> shells;
    for (int i = 0; i < 5; ++i)
        shells.push_back(windows.Open("XTerm", QStringLiteral("shell %1").arg(i)));
    registry.DiscoverClassWindows();
    ASSERT_EQ(registry.TargetCount(), core::kMaxTargets);
    EXPECT_EQ(Entries().at(98), Entry("shell 0", shells[0]));
    EXPECT_EQ(Entries().at(99), Entry("shell 1", shells[1]));

    // Full: a title change is still taken in; a closed window makes room for the next one.
    windows.Find(shells[1])->title = "renamed";
    windows.Close(shells[0]);
    registry.DiscoverClassWindows();
    ASSERT_EQ(registry.TargetCount(), core::kMaxTargets);
    EXPECT_EQ(Entries().at(98), Entry("renamed", shells[1]));
    EXPECT_EQ(Entries().at(99), Entry("shell 2", shells[2]));
}

}  // namespace
}  // namespace coretest
