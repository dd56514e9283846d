#pragma once

#include <Qt>

class QDialog;

namespace qtplatform {

// The window flags of the program's dialogs and message boxes: a title and a close button only
// (without CustomizeWindowHint window managers add minimise and maximise buttons).
Qt::WindowFlags dialogFlags();

// dialogFlags, kept above ordinary windows.
void makeTopmostDialog(QDialog& dialog);

}  // namespace qtplatform
