#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "core/Prompter.h"

namespace fakes {

// Answers message boxes from a script and records what was shown.
class FakePrompter final : public core::Prompter {
public:
    struct Shown {
        QString text;
        core::MessageStyle style;
        QString title;
    };

    core::Answer showMessage(const QString& text, core::MessageStyle style, const QString& title) override {
        shown.push_back({text, style, title});
        if (whileOpen) whileOpen();  // what happens while the modal box waits for the user
        if (answers.empty()) return defaultAnswer;
        const core::Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<core::Answer> answers;               // the next answers, in order
    core::Answer defaultAnswer = core::Answer::No;  // once the script has run out
    std::function<void()> whileOpen;
    std::vector<Shown> shown;
};

}  // namespace fakes
