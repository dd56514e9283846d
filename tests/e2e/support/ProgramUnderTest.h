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
#include <optional>

#include "e2e/support/DesktopView.h"

namespace e2e {

// Texts of the program's windows.
inline QString MainWindowTitle() {
    return QStringLiteral("Zelmora2nd.");
}
inline QString PromptTitle() {
    return QStringLiteral("パスワード");
}
inline QString MessageTitle() {
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

    QString Folder() const { return dir_.path(); }
    QString Executable() const;
    QString IniPath() const;
    // The settings file as text (ASCII content), empty when missing.
    QString IniText() const;
    // The value of key in section of the written file; empty optional when missing.
    std::optional<QString> IniValue(const QString& section, const QString& key) const;
    // The section names in file order.
    QStringList IniSections() const;

    // Starts the program; env: the environment (the test's own when empty).
    bool Start(const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
    std::uint32_t Pid() const;
    bool Running() const;
    void Signal(int signalNumber) const;
    // The exit code once the program has ended by itself; empty on timeout or a crash.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
    QString StandardError();
    std::chrono::steady_clock::time_point StartedAt() const { return startedAt_; }

    // Waits until the program's tray icon is docked in trayer and settled at its place (trayer
    // first embeds an icon, then widens its panel and moves it to the screen's edge); 0 on timeout.
    Window WaitForTrayIcon(DesktopView& view, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // The centre of the docked tray icon, in root coordinates; (-1, -1) when not docked.
    QPoint TrayIconCentre(DesktopView& view);
    // Clicks the tray icon with button (1 left, 3 right). Two clicks on one spot within the
    // double-click interval are a double click, which a right button does not report at all: a
    // click waits until that interval has passed since the previous one.
    void ClickTrayIcon(DesktopView& view, int button);
    // The program's viewable window with that title; 0 when none appears in time.
    Window WaitForWindow(DesktopView& view, const QString& title,
                         std::chrono::milliseconds timeout = std::chrono::seconds(10));

    // Runs another start of the same executable to its end; its exit code (-1 on timeout).
    int RunAgain(QString* standardError = nullptr,
                 std::chrono::milliseconds timeout = std::chrono::seconds(15));

private:
    QTemporaryDir dir_;
    QProcess process_;
    QByteArray stderr_;
    std::chrono::steady_clock::time_point startedAt_;
    std::chrono::steady_clock::time_point lastTrayClick_;
};

// An xterm of the class "ZelE2e" with a title of its own, for the program to conceal. Ends with the
// test.
class ClientWindow {
public:
    static QString ClassName() { return QStringLiteral("ZelE2e"); }

    ClientWindow(DesktopView& view, const QString& title);
    ~ClientWindow();
    ClientWindow(const ClientWindow&) = delete;
    ClientWindow& operator=(const ClientWindow&) = delete;

    // The client window; 0 when it never appeared.
    Window Id() const { return window_; }
    // Managed by the window manager and on the screen.
    bool Shown() const;
    // Withdrawn: neither managed nor viewable.
    bool Concealed() const;

private:
    DesktopView& view_;
    QProcess process_;
    Window window_ = 0;
};

}  // namespace e2e
