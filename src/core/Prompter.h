#pragma once

#include <QString>

namespace core {

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Critical, Question, Warning, Information };
enum class Answer { Ok, Yes, No };

// How a message box looks: its buttons, its icon, and whether it stays above every window
// (the program's messages about its own state do, so that they are never lost behind others).
struct MessageStyle {
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    bool aboveAll = false;
    friend bool operator==(const MessageStyle&, const MessageStyle&) = default;
};

// Shows message boxes. Tests script the answers.
class Prompter {
public:
    Prompter() = default;
    virtual ~Prompter() = default;
    Prompter(const Prompter&) = delete;
    Prompter& operator=(const Prompter&) = delete;

    // Shows a modal message box and returns the button pressed. A box closed without a button
    // counts as No (for questions) or OK.
    virtual Answer showMessage(const QString& text, MessageStyle style, const QString& title) = 0;
};

// The application title that message boxes without a title of their own carry.
inline QString appTitle() {
    return QStringLiteral("Zelmora2nd");
}

}  // namespace core
