#pragma once

#include <QString>

namespace core {

// Message box styles and answers, with the values of the classic message box API, so that the
// logic reads like the behaviour it implements.
namespace mb {
inline constexpr int kOkOnly = 0;
inline constexpr int kYesNo = 4;
inline constexpr int kCritical = 16;
inline constexpr int kExclamation = 48;
inline constexpr int kInformation = 64;
inline constexpr int kSystemModal = 4096;

inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
}  // namespace mb

// Shows message boxes. Tests script the answers.
class Prompter {
public:
    Prompter() = default;
    virtual ~Prompter() = default;
    Prompter(const Prompter&) = delete;
    Prompter& operator=(const Prompter&) = delete;

    // Shows a modal message box and returns the button pressed (mb::kAnswer...). A box closed
    // without a button counts as No (for questions) or OK.
    virtual int MsgBox(const QString& text, int style, const QString& title) = 0;
};

// The application title that message boxes without a title of their own carry.
inline QString AppTitle() {
    return QStringLiteral("Zelmora2nd");
}

}  // namespace core
