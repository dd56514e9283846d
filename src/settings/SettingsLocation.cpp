#include "settings/SettingsLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include "settings/IniFile.h"

namespace settings {

SettingsLocation settingsLocationFor(const QString& executablePath, const QString& configHomePath,
                                     const std::function<bool(const QString& folder)>& folderWritable) {
    const QString beside = settingsFilePathFor(executablePath);
    if (folderWritable(QFileInfo(beside).absolutePath())) return {beside, {}};
    const QString own = QDir(configHomePath).filePath(QStringLiteral("zelmora2nd/zelmora2nd.ini"));
    return {own, QFileInfo::exists(beside) ? beside : QString()};
}

QString configHome() {
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    // Desktops ignore a relative XDG_CONFIG_HOME: so does the program.
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return xdg;
    return QDir(QDir::homePath()).filePath(QStringLiteral(".config"));
}

SettingsLocation settingsLocation() {
    return settingsLocationFor(executablePath(), configHome(), [](const QString& folder) {
        return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
    });
}

void prepareSettingsFile(const SettingsLocation& location) {
    const QFileInfo target(location.path);
    const QString folder = target.absolutePath();
    if (!QDir(folder).exists() && QDir().mkpath(folder)) {
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    if (location.seedFrom.isEmpty() || target.exists()) return;
    if (QFile::copy(location.seedFrom, location.path)) {
        QFile::setPermissions(location.path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

}  // namespace settings
