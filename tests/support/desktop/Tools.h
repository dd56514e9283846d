#pragma once

// The desktop's own command-line tools (xdotool, wmctrl, xset, pactl, ImageMagick), run to their
// end, and where the tests leave their pictures.

#include <QString>
#include <QStringList>
#include <cstdint>

namespace desktoptest {

// Runs a program to its end (at most 10 s) and returns its standard output; exitCode gets its
// status (-1 when it did not finish or could not start).
QString runTool(const QString& program, const QStringList& args, int* exitCode = nullptr);
// The same for a tool that must finish: a test failure when it does not.
QString tool(const QString& program, const QStringList& args);

// "0x..." as the tools take a window.
QString hex(std::uint32_t window);

// $ZEL_TEST_OUTPUT/<subfolder> (under the temporary folder when unset), created on first use.
QString outputDir(const QString& subfolder);
// A picture of the whole screen in <folder>/<name>.png; the file's path, empty on failure.
QString screenshot(const QString& folder, const QString& name);

}  // namespace desktoptest
