#include "app/CommandLine.h"

#include <QCommandLineParser>

#include "ui/Version.h"

namespace app {

namespace {

struct Parser {
    QCommandLineParser parser;
    QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{QStringList{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and the settings file in use, and exit.")};

    Parser() {
        parser.setApplicationDescription(QStringLiteral(
            "Conceals chosen windows while a trigger is on (the pointer in a screen corner or edge, Shift\n"
            "held, ScrollLock on) and brings them back exactly as they were. It lives in the\n"
            "notification area; everything else is set in its window and kept in its settings file."));
        parser.addOption(help);
        parser.addOption(version);
    }
};

QString versionNumber() {
    return QStringLiteral("%1.%2.%3").arg(ui::kVersionMajor).arg(ui::kVersionMinor).arg(ui::kVersionPatch);
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    Parser p;
    CommandLine result;
    if (!p.parser.parse(arguments)) {
        result.action = CommandLine::Action::Error;
        result.error = p.parser.errorText();
    } else if (!p.parser.positionalArguments().isEmpty()) {
        result.action = CommandLine::Action::Error;
        result.error = QStringLiteral("unexpected argument '%1'").arg(p.parser.positionalArguments().front());
    } else if (p.parser.isSet(p.help)) {
        result.action = CommandLine::Action::ShowHelp;
    } else if (p.parser.isSet(p.version)) {
        result.action = CommandLine::Action::ShowVersion;
    }
    return result;
}

QString helpText(const QString& settingsPath) {
    Parser p;
    QString text = QStringLiteral("Usage: zelmora2nd [options]\n") + p.parser.applicationDescription() +
                   QStringLiteral("\n\nOptions:\n  -h, --help     ") + p.help.description() +
                   QStringLiteral("\n  -v, --version  ") + p.version.description() +
                   QStringLiteral("\n\nSettings file: ") + settingsPath + QStringLiteral("\n");
    return text;
}

QString versionText(const QString& settingsPath) {
    return QStringLiteral("zelmora2nd %1\nSettings file: %2\n").arg(versionNumber(), settingsPath);
}

QString usageLine() {
    return QStringLiteral("Usage: zelmora2nd [--help] [--version]\n");
}

}  // namespace app
