#pragma once

#include <QString>
#include <Qt>
#include <functional>

class QDialog;
class QLineEdit;
class QWidget;

namespace lock {

// Turns a password text into its digest: MakePassHash in the program; a test can hand in any digest.
using PassDigest = std::function<QString(const QString&)>;

// A text box whose input shows as '*' whatever the widget style prefers (Fusion and the common
// style pick a bullet when the font has one).
QLineEdit* NewPasswordBox(QWidget* parent);

// The window flags of the program's dialogs and message boxes: a title and a close button only
// (without CustomizeWindowHint window managers add minimise and maximise buttons).
Qt::WindowFlags DialogFlags();

// DialogFlags, kept above ordinary windows.
void MakeTopmostDialog(QDialog& dialog);

// The width at which a window manager's title bar shows the whole caption beside its buttons (a
// narrower dialog gets "ロック…ワード").
int CaptionWidth(const QWidget& window);

}  // namespace lock
