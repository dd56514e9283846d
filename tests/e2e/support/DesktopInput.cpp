#include "e2e/support/DesktopInput.h"

#include <QDir>
#include <QProcess>

namespace e2e {

QString runTool(const QString& program, const QStringList& args, int* exitCode) {
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

void xdotool(const QStringList& args) {
    runTool(QStringLiteral("xdotool"), args);
}

QPoint pointerPosition() {
    const QString out = runTool(QStringLiteral("xdotool"), {QStringLiteral("getmouselocation")});
    const QStringList fields = out.split(u' ');
    if (fields.size() < 2) return {-1, -1};
    return {fields[0].section(u':', 1).toInt(), fields[1].section(u':', 1).toInt()};
}

}  // namespace

void movePointer(QPoint position) {
    // Not "mousemove --sync": it waits for a motion that never comes when the pointer is there
    // already. The pointer stays on the screen, so a place beyond its edge is reached at the edge.
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--"), QString::number(position.x()),
             QString::number(position.y())});
    const QPoint reachable(std::max(position.x(), 0), std::max(position.y(), 0));
    waitUntil([&] { return pointerPosition() == reachable; }, 2s);
}

void clickAt(QPoint position, int button) {
    movePointer(position);
    xdotool({QStringLiteral("click"), QString::number(button)});
}

void doubleClickAt(QPoint position) {
    movePointer(position);
    xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
             QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
}

void focusWindow(Window window) {
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
}

void typeText(const QString& text) {
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

void pressKey(const QString& key) {
    xdotool({QStringLiteral("key"), key});
}

QString outputDir() {
    const QString base = qEnvironmentVariableIsEmpty("ZEL_TEST_OUTPUT")
                             ? QDir::tempPath()
                             : qEnvironmentVariable("ZEL_TEST_OUTPUT");
    const QString dir = base + QStringLiteral("/e2e");
    QDir().mkpath(dir);
    return dir;
}

QString screenshot(const QString& name) {
    const QString path = outputDir() + QChar(u'/') + name + QStringLiteral(".png");
    int status = -1;
    runTool(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path}, &status);
    return status == 0 ? path : QString();
}

QString sinkMute() {
    int status = -1;
    const QString out = runTool(QStringLiteral("pactl"),
                                {QStringLiteral("get-sink-mute"), QStringLiteral("@DEFAULT_SINK@")}, &status);
    if (status != 0) return {};
    return out.section(u':', 1).trimmed();
}

}  // namespace e2e
