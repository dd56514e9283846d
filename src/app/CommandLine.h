#pragma once

#include <QString>
#include <QStringList>

namespace app {

// What the command line asks for. The program takes no options of its own: everything comes from
// its settings file. --help and --version answer and end the program; anything else is an error.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Error };
    Action action = Action::Run;
    QString error;  // for Action::Error: what was wrong, for one line on stderr
};

// arguments: the whole command line, the program's name first.
CommandLine parseCommandLine(const QStringList& arguments);

// The text of --help; settingsPath: the settings file this run would use.
QString helpText(const QString& settingsPath);
// The text of --version.
QString versionText(const QString& settingsPath);
// The line after an error: how to ask for help.
QString usageLine();

}  // namespace app
