// On a status-notifier host (here xfce4-panel's tray), which asks an item for its menu instead of
// telling it of a right click: the icon's menu opens the main window, through the password prompt
// when the settings are locked. Talks to the item over D-Bus as the host does.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <chrono>

#include "e2e/support/E2eSettings.h"
#include "e2e/support/ProgramUnderTest.h"
#include "lock/MakePassHash.h"
#include "support/desktop/Observer.h"
#include "support/desktop/Tools.h"
#include "support/desktop/Wait.h"

namespace {

using namespace e2e;
using namespace std::chrono_literals;

QString dbus(const QStringList& args) {
    return runTool(QStringLiteral("dbus-send"),
                   QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply")} + args);
}

// The registered items ("SERVICE/PATH"), as the watcher lists them.
QStringList registeredItems() {
    const QString reply =
        dbus({QStringLiteral("--dest=org.kde.StatusNotifierWatcher"),
              QStringLiteral("/StatusNotifierWatcher"), QStringLiteral("org.freedesktop.DBus.Properties.Get"),
              QStringLiteral("string:org.kde.StatusNotifierWatcher"),
              QStringLiteral("string:RegisteredStatusNotifierItems")});
    QStringList items;
    for (const QRegularExpressionMatch& m :
         QRegularExpression(QStringLiteral("string \"([^\"]+)\"")).globalMatch(reply))
        items << m.captured(1);
    return items;
}

// Clicks the entry with `label` in the menu of the item, as the host does when the user picks it.
bool clickMenuEntry(const QString& item, const QString& label) {
    const QString service = item.section(u'/', 0, 0);
    const QString path = u'/' + item.section(u'/', 1);
    const QString menuReply = dbus(
        {QStringLiteral("--dest=") + service, path, QStringLiteral("org.freedesktop.DBus.Properties.Get"),
         QStringLiteral("string:org.kde.StatusNotifierItem"), QStringLiteral("string:Menu")});
    const QString menu =
        QRegularExpression(QStringLiteral("object path \"([^\"]+)\"")).match(menuReply).captured(1);
    if (menu.isEmpty() || menu == QStringLiteral("/NO_DBUSMENU")) return false;
    const QString layout =
        dbus({QStringLiteral("--dest=") + service, menu, QStringLiteral("com.canonical.dbusmenu.GetLayout"),
              QStringLiteral("int32:0"), QStringLiteral("int32:-1"), QStringLiteral("array:string:")});
    // Each entry: "int32 ID" and, further on, its properties with "label".
    const qsizetype at = layout.indexOf(QStringLiteral("string \"") + label + u'"');
    if (at < 0) return false;
    const QRegularExpression idPattern(QStringLiteral("int32 (\\d+)"));
    QString id;
    for (const QRegularExpressionMatch& m : idPattern.globalMatch(layout.left(at)))
        id = m.captured(1);
    if (id.isEmpty()) return false;
    int status = -1;
    runTool(
        QStringLiteral("dbus-send"),
        {QStringLiteral("--session"), QStringLiteral("--print-reply"), QStringLiteral("--dest=") + service,
         menu, QStringLiteral("com.canonical.dbusmenu.Event"), QStringLiteral("int32:") + id,
         QStringLiteral("string:clicked"), QStringLiteral("variant:int32:0"), QStringLiteral("uint32:0")},
        &status);
    return status == 0;
}

struct MenuCase {
    const char* name;
    bool locked;
};

class TrayMenuE2eTest : public testing::TestWithParam<MenuCase> {
protected:
    Observer view;
};

TEST_P(TrayMenuE2eTest, TheMenuEntryOpensTheMainWindow) {
    ASSERT_TRUE(view.connected()) << "no X display";
    ProgramUnderTest program(GetParam().locked
                                 ? testSettings({{"LOCK/blnLock", "1"},
                                                 {"LOCK/PassHash", lock::makePassHash(QStringLiteral("pw"))}})
                                 : testSettings());
    ASSERT_TRUE(program.start());
    QStringList items;
    ASSERT_TRUE(waitUntil([&] { return !(items = registeredItems()).isEmpty(); }))
        << "no status-notifier item registered: " << program.standardError().toStdString();
    EXPECT_EQ(view.findWindow(mainWindowTitle()), 0u) << "the window shows before the click";

    // The label as D-Bus menus spell the access key.
    ASSERT_TRUE(clickMenuEntry(items.first(), QStringLiteral("設定画面を開く(_O)"))) << "no such menu entry";
    const QString expected = GetParam().locked ? promptTitle() : mainWindowTitle();
    EXPECT_NE(program.waitForWindow(view, expected), 0u) << expected.toStdString() << " did not open";
}

INSTANTIATE_TEST_SUITE_P(States, TrayMenuE2eTest,
                         testing::Values(MenuCase{"Unlocked", false}, MenuCase{"Locked", true}),
                         [](const testing::TestParamInfo<MenuCase>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
