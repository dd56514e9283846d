#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

#include "app/CommandLine.h"

namespace {

using Action = app::CommandLine::Action;

struct ParseCase {
    QStringList arguments;
    Action action;
};

TEST(CommandLineTest, OnlyHelpAndVersionAreOptions) {
    const ParseCase cases[] = {
        {{"zelmora2nd"}, Action::Run},
        {{"zelmora2nd", "--help"}, Action::ShowHelp},
        {{"zelmora2nd", "-h"}, Action::ShowHelp},
        {{"zelmora2nd", "--version"}, Action::ShowVersion},
        {{"zelmora2nd", "-v"}, Action::ShowVersion},
        {{"zelmora2nd", "--help", "--version"}, Action::ShowHelp},
        {{"zelmora2nd", "--bogus"}, Action::Error},
        {{"zelmora2nd", "-x"}, Action::Error},
        {{"zelmora2nd", "file.ini"}, Action::Error},
        {{"zelmora2nd", "--version=2"}, Action::Error},
    };
    for (const ParseCase& c : cases) {
        const app::CommandLine parsed = app::parseCommandLine(c.arguments);
        EXPECT_EQ(parsed.action, c.action) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(parsed.error.isEmpty(), c.action != Action::Error) << c.arguments.join(' ').toStdString();
    }
}

// The program itself, without any display: it answers and ends before it looks for an X server.
struct RunCase {
    const char* argument;
    int status;
    const char* stdoutHas;
    const char* stderrHas;
};

TEST(CommandLineTest, TheProgramAnswersWithoutADisplay) {
    const RunCase cases[] = {
        {"--help", 0, "Settings file: ", ""},
        {"--version", 0, "zelmora2nd ", ""},
        {"--bogus", 2, "", "Usage: zelmora2nd"},
    };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.argument);
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(ZEL_PROGRAM), {QString::fromLatin1(c.argument)});
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), c.status);
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_TRUE(out.contains(QString::fromLatin1(c.stdoutHas))) << out.toStdString();
        EXPECT_TRUE(err.contains(QString::fromLatin1(c.stderrHas))) << err.toStdString();
        if (c.status == 0) {
            EXPECT_TRUE(out.contains(QStringLiteral("zelmora2nd.ini"))) << "the settings path";
        }
    }
}

}  // namespace
