#include "e2e/support/ProgramUnderTest.h"

#include <signal.h>

#include <QDir>
#include <QFile>
#include <thread>

#include "e2e/support/DesktopInput.h"

namespace e2e {

namespace {

QString BuiltExecutable() {
    return qEnvironmentVariable("ZEL_BINARY_DIR") + QStringLiteral("/src/zelmora2nd");
}

}  // namespace

ProgramUnderTest::ProgramUnderTest(const QStringList& iniLines) {
    QFile::copy(BuiltExecutable(), Executable());
    if (iniLines.isEmpty()) return;
    QFile ini(IniPath());
    if (ini.open(QIODevice::WriteOnly))
        ini.write((iniLines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
}

ProgramUnderTest::~ProgramUnderTest() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString ProgramUnderTest::Executable() const {
    return dir_.filePath(QStringLiteral("zelmora2nd"));
}

QString ProgramUnderTest::IniPath() const {
    return dir_.filePath(QStringLiteral("zelmora2nd.ini"));
}

QString ProgramUnderTest::IniText() const {
    QFile ini(IniPath());
    if (!ini.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(ini.readAll());
}

std::optional<QString> ProgramUnderTest::IniValue(const QString& section, const QString& key) const {
    QString current;
    for (const QString& line : IniText().split(QStringLiteral("\r\n"))) {
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            current = line.mid(1, line.size() - 2);
        } else if (current == section && line.startsWith(key + QChar(u'='))) {
            return line.mid(key.size() + 1);
        }
    }
    return std::nullopt;
}

QStringList ProgramUnderTest::IniSections() const {
    QStringList sections;
    for (const QString& line : IniText().split(QStringLiteral("\r\n"))) {
        if (line.startsWith(u'[') && line.endsWith(u']')) sections.append(line.mid(1, line.size() - 2));
    }
    return sections;
}

bool ProgramUnderTest::Start(const QProcessEnvironment& env) {
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(Folder());
    startedAt_ = std::chrono::steady_clock::now();
    process_.start(Executable(), {});
    return process_.waitForStarted(10000);
}

std::uint32_t ProgramUnderTest::Pid() const {
    return static_cast<std::uint32_t>(process_.processId());
}

bool ProgramUnderTest::Running() const {
    return process_.state() == QProcess::Running;
}

void ProgramUnderTest::Signal(int signalNumber) const {
    if (Running()) ::kill(static_cast<pid_t>(process_.processId()), signalNumber);
}

std::optional<int> ProgramUnderTest::WaitForExit(std::chrono::milliseconds timeout) {
    if (process_.state() != QProcess::NotRunning &&
        !process_.waitForFinished(static_cast<int>(timeout.count()))) {
        return std::nullopt;
    }
    stderr_ += process_.readAllStandardError();
    if (process_.exitStatus() != QProcess::NormalExit) return std::nullopt;
    return process_.exitCode();
}

QString ProgramUnderTest::StandardError() {
    stderr_ += process_.readAllStandardError();
    return QString::fromLocal8Bit(stderr_);
}

Window ProgramUnderTest::WaitForTrayIcon(DesktopView& view, std::chrono::milliseconds timeout) {
    Window icon = 0;
    const bool settled = WaitUntil(
        [&] {
            if (!Running()) return true;
            icon = view.TrayIconOf(Pid());
            const QRect panel = view.Geometry(view.TrayerPanel());
            const QRect screen = view.ScreenRect();
            return icon != 0 && panel.contains(view.Geometry(icon)) && panel.right() == screen.right();
        },
        timeout);
    return settled && Running() ? icon : 0;
}

QPoint ProgramUnderTest::TrayIconCentre(DesktopView& view) {
    const Window icon = view.TrayIconOf(Pid());
    return icon == 0 ? QPoint(-1, -1) : view.Geometry(icon).center();
}

void ProgramUnderTest::ClickTrayIcon(DesktopView& view, int button) {
    // Qt's default double-click interval is 400 ms.
    constexpr auto kPastDoubleClick = std::chrono::milliseconds(500);
    const auto since = std::chrono::steady_clock::now() - lastTrayClick_;
    if (since < kPastDoubleClick) std::this_thread::sleep_for(kPastDoubleClick - since);
    ClickAt(TrayIconCentre(view), button);
    lastTrayClick_ = std::chrono::steady_clock::now();
}

Window ProgramUnderTest::WaitForWindow(DesktopView& view, const QString& title,
                                       std::chrono::milliseconds timeout) {
    Window window = 0;
    WaitUntil([&] { return (window = view.FindWindow(title, Pid())) != 0 || !Running(); }, timeout);
    return window;
}

int ProgramUnderTest::RunAgain(QString* standardError, std::chrono::milliseconds timeout) {
    QProcess again;
    again.setWorkingDirectory(Folder());
    again.start(Executable(), {});
    if (!again.waitForFinished(static_cast<int>(timeout.count()))) {
        again.kill();
        again.waitForFinished();
        return -1;
    }
    if (standardError != nullptr) *standardError = QString::fromLocal8Bit(again.readAllStandardError());
    return again.exitStatus() == QProcess::NormalExit ? again.exitCode() : -1;
}

ClientWindow::ClientWindow(DesktopView& view, const QString& title) : view_(view) {
    process_.start(QStringLiteral("xterm"),
                   {QStringLiteral("-class"), ClassName(), QStringLiteral("-title"), title,
                    QStringLiteral("-geometry"), QStringLiteral("60x10+200+200")});
    if (!process_.waitForStarted(10000)) return;
    const auto pid = static_cast<std::uint32_t>(process_.processId());
    WaitUntil([&] {
        for (const Window client : view_.ClientList()) {
            if (view_.Pid(client) == pid && view_.Title(client) == title && view_.Viewable(client)) {
                window_ = client;
                return true;
            }
        }
        return false;
    });
}

ClientWindow::~ClientWindow() {
    process_.kill();
    process_.waitForFinished(5000);
}

bool ClientWindow::Shown() const {
    return window_ != 0 && view_.Listed(window_) && view_.Viewable(window_);
}

bool ClientWindow::Concealed() const {
    return window_ != 0 && !view_.Listed(window_) && !view_.Viewable(window_);
}

}  // namespace e2e
