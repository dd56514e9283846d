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

    void discover(const QStringList& classes) {
        for (const auto handle : windows.topLevelWindows())
            core::enumClassWindowsProc(windows, handle, classes, list);
    }
    static QString entry(const QString& title, core::WindowHandle handle) {
        return core::formatTargetEntry(title, handle);
    }
};

TEST_F(ClassDiscoveryTest, AppendsWindowsOfListedClassesInTheOrderOffered) {
    const auto one = windows.open("XTerm", "one");
    windows.open("Other", "not me");
    const auto two = windows.open("XTerm", "");
    windows.open("xterm", "wrong case");
    discover({"IEFrame", "XTerm"});
    EXPECT_EQ(list.stringList(), (QStringList{entry("one", one), entry("", two)}));
    EXPECT_EQ(list.stringList().at(1), "(" + core::handleToHex(two) + ")");
}

TEST_F(ClassDiscoveryTest, NoWindowOfTheClassLeavesTheListAlone) {
    windows.open("XTerm", "one");
    list.setStringList({"kept(1)"});
    discover({"IEFrame"});
    EXPECT_EQ(list.stringList(), QStringList{"kept(1)"});
}

TEST_F(ClassDiscoveryTest, RewritesAKnownWindowsEntryInPlaceWithItsCurrentTitle) {
    const auto w = windows.open("XTerm", "old");
    list.setStringList({"first(1)", entry("old", w), "last(2)"});
    windows.find(w)->title = "new";
    discover({"XTerm"});
    EXPECT_EQ(list.stringList(), (QStringList{"first(1)", entry("new", w), "last(2)"}));
}

TEST_F(ClassDiscoveryTest, AClassListedTwiceEntersAWindowOnce) {
    const auto w = windows.open("XTerm", "shell");
    windows.open("Other", "x");
    discover({"XTerm", "Other2", "XTerm"});
    EXPECT_EQ(list.stringList(), QStringList{entry("shell", w)});
    EXPECT_EQ(windows.titleCalls, 2);  // the title is read for every window offered
}

TEST_F(ClassDiscoveryTest, AnEntryHoldingAnotherWindowsBracketedHandleCountsAsItsEntry) {
    const auto w = windows.open("XTerm", "shell", FakeWindowServices::normal(), 0x1A2);
    list.setStringList({"notes (1A2) and more(1A2B)"});
    discover({"XTerm"});
    EXPECT_EQ(list.stringList(), QStringList{entry("shell", w)});
}

TEST_F(ClassDiscoveryTest, TitlesAreCutTo515AnsiBytesAndAtANul) {
    const auto ascii = windows.open("XTerm", QString(600, u'a'));
    const auto wide = windows.open("XTerm", QString(300, u'あ'));  // 600 bytes; 257 whole characters fit
    const auto nul = windows.open("XTerm", QStringLiteral("before") + QChar(u'\0') + QStringLiteral("after"));
    discover({"XTerm"});
    const QStringList entries = list.stringList();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0], entry(QString(515, u'a'), ascii));
    EXPECT_EQ(entries[1], entry(QString(257, u'あ'), wide));
    EXPECT_EQ(entries[2], entry("before", nul));
}

TEST_F(ClassDiscoveryTest, ClassNamesAreCutTo127AnsiBytes) {
    const auto w = windows.open(QString(200, u'K'), "long");
    EXPECT_EQ(core::getWindowClassName(windows, w), QString(127, u'K'));
    EXPECT_EQ(core::getWindowClassName(windows, 0xDEAD), QString());
    discover({QString(127, u'K')});
    EXPECT_EQ(list.stringList(), QStringList{entry("long", w)});
}

TEST_F(ClassDiscoveryTest, AnEmptyClassNameTakesInNoWindow) {
    windows.open("", "no WM_CLASS");
    discover({"IEFrame", ""});
    EXPECT_TRUE(list.stringList().isEmpty());
}

TEST_F(ClassDiscoveryTest, StopsAppendingAtTheLimitButStillRefreshesKnownEntries) {
    for (int i = 0; i < core::kMaxTargets - 2; ++i)
        openAndPick(QString::number(i), FakeWindowServices::normal());
    registry.setClassList({"XTerm"});
    std::vector<core::WindowHandle> shells;
    for (int i = 0; i < 5; ++i)
        shells.push_back(windows.open("XTerm", QStringLiteral("shell %1").arg(i)));
    registry.discoverClassWindows();
    ASSERT_EQ(registry.targetCount(), core::kMaxTargets);
    EXPECT_EQ(entries().at(98), entry("shell 0", shells[0]));
    EXPECT_EQ(entries().at(99), entry("shell 1", shells[1]));

    // Full: a title change is still taken in; a closed window makes room for the next one.
    windows.find(shells[1])->title = "renamed";
    windows.close(shells[0]);
    registry.discoverClassWindows();
    ASSERT_EQ(registry.targetCount(), core::kMaxTargets);
    EXPECT_EQ(entries().at(98), entry("renamed", shells[1]));
    EXPECT_EQ(entries().at(99), entry("shell 2", shells[2]));
}

}  // namespace
}  // namespace coretest
