#pragma once

#include <QString>
#include <functional>

class QLineEdit;
class QWidget;

namespace ui {

// Turns a password text into its digest: MakePassHash in the program; a test can hand in any digest.
using PassDigest = std::function<QString(const QString&)>;

// A text box whose input shows as '*' whatever the widget style prefers (Fusion and the common
// style pick a bullet when the font has one).
QLineEdit* newPasswordBox(QWidget* parent);

// The width at which a window manager's title bar shows the whole caption beside its buttons (a
// narrower dialog gets "ロック…ワード").
int captionWidth(const QWidget& window);

}  // namespace ui
