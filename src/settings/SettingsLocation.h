#pragma once

#include <QString>
#include <functional>

namespace settings {

// Where the settings live. Beside the executable, named after it, where its user may write there
// (the portable way, and the files of the Windows program keep working); otherwise (an installed
// copy in /usr/bin, say) the user's own file in the configuration folder, which starts as a copy of
// the file beside the executable when there is one, so that an administrator can ship defaults.
struct SettingsLocation {
    QString path;      // the file read at start-up and written at shut-down
    QString seedFrom;  // the file to start from while `path` does not exist yet; empty: none
};

// folderWritable: whether the user may create and replace files in a folder.
SettingsLocation settingsLocationFor(const QString& executablePath, const QString& configHome,
                                     const std::function<bool(const QString& folder)>& folderWritable);

// ${XDG_CONFIG_HOME:-$HOME/.config}.
QString configHome();

// The location for this program and user.
SettingsLocation settingsLocation();

// Makes the per-user folder (0700) and, while the user has no file yet, copies the seed into it
// (0600). Failures leave things as they were: the defaults apply, and the write at shut-down says
// why it failed.
void prepareSettingsFile(const SettingsLocation& location);

}  // namespace settings
