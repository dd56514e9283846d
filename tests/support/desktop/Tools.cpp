#include "support/desktop/Tools.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace desktoptest {

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

QString tool(const QString& program, const QStringList& args) {
    int status = 0;
    const QString output = runTool(program, args, &status);
    if (status == -1)
        ADD_FAILURE() << program.toStdString() << " " << args.join(' ').toStdString() << " did not finish";
    return output;
}

QString hex(std::uint32_t window) {
    return QStringLiteral("0x") + QString::number(window, 16);
}

QString outputDir(const QString& subfolder) {
    const QString base = qEnvironmentVariableIsEmpty("ZEL_TEST_OUTPUT")
                             ? QDir::tempPath()
                             : qEnvironmentVariable("ZEL_TEST_OUTPUT");
    const QString dir = base + QChar(u'/') + subfolder;
    QDir().mkpath(dir);
    return dir;
}

QString screenshot(const QString& folder, const QString& name) {
    const QString path = folder + QChar(u'/') + name + QStringLiteral(".png");
    QDir().mkpath(QFileInfo(path).path());
    int status = -1;
    runTool(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path}, &status);
    return status == 0 ? path : QString();
}

}  // namespace desktoptest
