#include "e2e/support/DesktopInput.h"

#include <QDir>
#include <QProcess>

namespace e2e {

QString RunTool(const QString& program, const QStringList& args, int* exitCode) {
    QProcess process;
    process.start(program, args);
    const bool finished = process.waitForFinished(10000);
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    if (exitCode != nullptr) {
        *exitCode = finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

namespace {

void Xdotool(const QStringList& args) {
    RunTool(QStringLiteral("xdotool"), args);
}

QPoint PointerPosition() {
    const QString out = RunTool(QStringLiteral("xdotool"), {QStringLiteral("getmouselocation")});
    const QStringList fields = out.split(u' ');
    if (fields.size() < 2) return {-1, -1};
    return {fields[0].section(u':', 1).toInt(), fields[1].section(u':', 1).toInt()};
}

}  // namespace

void MovePointer(QPoint position) {
    // Not "mousemove --sync": it waits for a motion that never comes when the pointer is there
    // already. The pointer stays on the screen, so a place beyond its edge is reached at the edge.
    Xdotool({QStringLiteral("mousemove"), QStringLiteral("--"), QString::number(position.x()),
             QString::number(position.y())});
    const QPoint reachable(std::max(position.x(), 0), std::max(position.y(), 0));
    WaitUntil([&] { return PointerPosition() == reachable; }, 2s);
}

void ClickAt(QPoint position, int button) {
    MovePointer(position);
    Xdotool({QStringLiteral("click"), QString::number(button)});
}

void DoubleClickAt(QPoint position) {
    MovePointer(position);
    Xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
             QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
}

void FocusWindow(Window window) {
    Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
}

void TypeText(const QString& text) {
    Xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

void PressKey(const QString& key) {
    Xdotool({QStringLiteral("key"), key});
}

QString OutputDir() {
    const QString base = qEnvironmentVariableIsEmpty("ZEL_TEST_OUTPUT")
                             ? QDir::tempPath()
                             : qEnvironmentVariable("ZEL_TEST_OUTPUT");
    const QString dir = base + QStringLiteral("/e2e");
    QDir().mkpath(dir);
    return dir;
}

QString Screenshot(const QString& name) {
    const QString path = OutputDir() + QChar(u'/') + name + QStringLiteral(".png");
    int status = -1;
    RunTool(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path}, &status);
    return status == 0 ? path : QString();
}

QString SinkMute() {
    int status = -1;
    const QString out = RunTool(QStringLiteral("pactl"),
                                {QStringLiteral("get-sink-mute"), QStringLiteral("@DEFAULT_SINK@")}, &status);
    if (status != 0) return {};
    return out.section(u':', 1).trimmed();
}

}  // namespace e2e
