#pragma once

// The real zelmora2nd as a process: a copy of the built binary in a folder of its own, with the
// settings file the test gives it (the program reads <its folder>/zelmora2nd.ini).

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

#include "support/desktop/Clients.h"
#include "support/desktop/Input.h"
#include "support/desktop/Observer.h"
#include "support/desktop/Sound.h"
#include "support/desktop/Tools.h"
#include "support/desktop/Wait.h"

namespace e2e {

using namespace desktoptest;

// $ZEL_TEST_OUTPUT/e2e, created on first use.
inline QString outputDir() {
    return desktoptest::outputDir(QStringLiteral("e2e"));
}
// A picture of the whole screen in outputDir()/name.png; the file's path, empty on failure.
inline QString screenshot(const QString& name) {
    return desktoptest::screenshot(outputDir(), name);
}

// Texts of the program's windows.
inline QString mainWindowTitle() {
    return QStringLiteral("Zelmora2nd.");
}
inline QString promptTitle() {
    return QStringLiteral("パスワード");
}
inline QString messageTitle() {
    return QStringLiteral("Zelmora2nd");
}

class ProgramUnderTest {
public:
    // iniLines (ASCII, joined with CR LF) become the settings file; none: no file at all.
    explicit ProgramUnderTest(const QStringList& iniLines = {});
    // A program still running is killed.
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    QString folder() const { return dir_.path(); }
    QString executable() const;
    QString iniPath() const;
    // The user's own settings file, used where the program's folder is not writable: the program
    // runs with a configuration folder of its own, never the tester's.
    QString userIniPath() const;
    // The settings file as text (ASCII content), empty when missing.
    QString iniText() const;
    // The value of key in section of the written file; empty optional when missing.
    std::optional<QString> iniValue(const QString& section, const QString& key) const;
    // The section names in file order.
    QStringList iniSections() const;

    // Starts the program; env: the environment (the test's own when empty).
    bool start(const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
    std::uint32_t pid() const;
    bool running() const;
    void signal(int signalNumber) const;
    // The exit code once the program has ended by itself; empty on timeout or a crash.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    QString standardError();
    std::chrono::steady_clock::time_point startedAt() const { return startedAt_; }

    // Waits until the program's tray icon is docked in trayer and settled at its place (trayer
    // first embeds an icon, then widens its panel and moves it to the screen's edge); 0 on timeout.
    Window waitForTrayIcon(Observer& view, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // The centre of the docked tray icon, in root coordinates; (-1, -1) when not docked.
    QPoint trayIconCentre(Observer& view);
    // Clicks the tray icon with button (1 left, 3 right). Two clicks on one spot within the
    // double-click interval are a double click, which a right button does not report at all: a
    // click waits until that interval has passed since the previous one.
    void clickTrayIcon(Observer& view, int button);
    // The program's viewable window with that title; 0 when none appears in time.
    Window waitForWindow(Observer& view, const QString& title,
                         std::chrono::milliseconds timeout = std::chrono::seconds(10));

    // Runs another start of the same executable to its end; its exit code (-1 on timeout).
    int runAgain(QString* standardError = nullptr,
                 std::chrono::milliseconds timeout = std::chrono::seconds(15));

private:
    QProcessEnvironment withOwnConfigHome(QProcessEnvironment env) const;

    QTemporaryDir dir_;
    QTemporaryDir configHome_;
    QProcess process_;
    QByteArray stderr_;
    std::chrono::steady_clock::time_point startedAt_;
    std::chrono::steady_clock::time_point lastTrayClick_;
};

// An xterm of the class "ZelE2e" with a title of its own, for the program to conceal. Ends with the
// test.
class ClientWindow {
public:
    static QString className() { return QStringLiteral("ZelE2e"); }

    ClientWindow(Observer& view, const QString& title);

    // The client window; 0 when it never appeared.
    Window id() const { return xterm_->id(); }
    // Managed by the window manager and on the screen.
    bool Shown() const { return isShown(view_, id()); }
    // Withdrawn: neither managed nor viewable.
    bool concealed() const { return isConcealed(view_, id()); }

private:
    Observer& view_;
    std::unique_ptr<ClientProgram> xterm_;
};

}  // namespace e2e
