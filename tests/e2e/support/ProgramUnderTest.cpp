#include "e2e/support/ProgramUnderTest.h"

#include <signal.h>

#include <QDir>
#include <QFile>
#include <thread>

namespace e2e {

namespace {

QString builtExecutable() {
    return qEnvironmentVariable("ZEL_BINARY_DIR") + QStringLiteral("/src/zelmora2nd");
}

}  // namespace

ProgramUnderTest::ProgramUnderTest(const QStringList& iniLines) {
    QFile::copy(builtExecutable(), executable());
    if (iniLines.isEmpty()) return;
    QFile ini(iniPath());
    if (ini.open(QIODevice::WriteOnly))
        ini.write((iniLines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
}

ProgramUnderTest::~ProgramUnderTest() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString ProgramUnderTest::executable() const {
    return dir_.filePath(QStringLiteral("zelmora2nd"));
}

QString ProgramUnderTest::iniPath() const {
    return dir_.filePath(QStringLiteral("zelmora2nd.ini"));
}

QString ProgramUnderTest::iniText() const {
    QFile ini(iniPath());
    if (!ini.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(ini.readAll());
}

std::optional<QString> ProgramUnderTest::iniValue(const QString& section, const QString& key) const {
    QString current;
    for (const QString& line : iniText().split(QStringLiteral("\r\n"))) {
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            current = line.mid(1, line.size() - 2);
        } else if (current == section && line.startsWith(key + QChar(u'='))) {
            return line.mid(key.size() + 1);
        }
    }
    return std::nullopt;
}

QStringList ProgramUnderTest::iniSections() const {
    QStringList sections;
    for (const QString& line : iniText().split(QStringLiteral("\r\n"))) {
        if (line.startsWith(u'[') && line.endsWith(u']')) sections.append(line.mid(1, line.size() - 2));
    }
    return sections;
}

QString ProgramUnderTest::userIniPath() const {
    return configHome_.filePath(QStringLiteral("zelmora2nd/zelmora2nd.ini"));
}

QProcessEnvironment ProgramUnderTest::withOwnConfigHome(QProcessEnvironment env) const {
    if (!env.contains(QStringLiteral("XDG_CONFIG_HOME")))
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome_.path());
    return env;
}

bool ProgramUnderTest::start(const QProcessEnvironment& env) {
    process_.setProcessEnvironment(withOwnConfigHome(env));
    process_.setWorkingDirectory(folder());
    startedAt_ = std::chrono::steady_clock::now();
    process_.start(executable(), {});
    return process_.waitForStarted(10000);
}

std::uint32_t ProgramUnderTest::pid() const {
    return static_cast<std::uint32_t>(process_.processId());
}

bool ProgramUnderTest::running() const {
    return process_.state() == QProcess::Running;
}

void ProgramUnderTest::signal(int signalNumber) const {
    if (running()) ::kill(static_cast<pid_t>(process_.processId()), signalNumber);
}

std::optional<int> ProgramUnderTest::waitForExit(std::chrono::milliseconds timeout) {
    if (process_.state() != QProcess::NotRunning &&
        !process_.waitForFinished(static_cast<int>(timeout.count()))) {
        return std::nullopt;
    }
    stderr_ += process_.readAllStandardError();
    if (process_.exitStatus() != QProcess::NormalExit) return std::nullopt;
    return process_.exitCode();
}

QString ProgramUnderTest::standardError() {
    stderr_ += process_.readAllStandardError();
    return QString::fromLocal8Bit(stderr_);
}

Window ProgramUnderTest::waitForTrayIcon(Observer& view, std::chrono::milliseconds timeout) {
    Window icon = 0;
    const bool settled = waitUntil(
        [&] {
            if (!running()) return true;
            icon = view.trayIconOf(pid());
            const QRect panel = view.rootRect(view.trayerPanel());
            const QRect screen = view.screenRect();
            return icon != 0 && panel.contains(view.rootRect(icon)) && panel.right() == screen.right();
        },
        timeout);
    return settled && running() ? icon : 0;
}

QPoint ProgramUnderTest::trayIconCentre(Observer& view) {
    const Window icon = view.trayIconOf(pid());
    return icon == 0 ? QPoint(-1, -1) : view.rootRect(icon).center();
}

void ProgramUnderTest::clickTrayIcon(Observer& view, int button) {
    // Two presses on one spot within the double-click interval make a double click, which the
    // program takes as something else than two clicks (and a right button reports not at all): the
    // only wait of a click is for that interval (Qt's default, 400 ms) to pass since the previous
    // click, with a margin. The presses' X timestamps are at least this far apart: this click starts later.
    constexpr auto kPastDoubleClick = std::chrono::milliseconds(500);
    const auto since = std::chrono::steady_clock::now() - lastTrayClick_;
    if (since < kPastDoubleClick) std::this_thread::sleep_for(kPastDoubleClick - since);
    clickAt(trayIconCentre(view), button);
    lastTrayClick_ = std::chrono::steady_clock::now();
}

Window ProgramUnderTest::waitForWindow(Observer& view, const QString& title,
                                       std::chrono::milliseconds timeout) {
    Window window = 0;
    waitUntil([&] { return (window = view.findWindow(title, pid())) != 0 || !running(); }, timeout);
    return window;
}

int ProgramUnderTest::runAgain(QString* standardError, std::chrono::milliseconds timeout) {
    QProcess again;
    again.setProcessEnvironment(withOwnConfigHome(QProcessEnvironment::systemEnvironment()));
    again.setWorkingDirectory(folder());
    again.start(executable(), {});
    if (!again.waitForFinished(static_cast<int>(timeout.count()))) {
        again.kill();
        again.waitForFinished();
        return -1;
    }
    if (standardError != nullptr) *standardError = QString::fromLocal8Bit(again.readAllStandardError());
    return again.exitStatus() == QProcess::NormalExit ? again.exitCode() : -1;
}

ClientWindow::ClientWindow(Observer& view, const QString& title)
    : view_(view), xterm_(ClientProgram::xterm(view, title, className())) {}

}  // namespace e2e
