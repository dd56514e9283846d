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
        int style = 0;
        QString title;
    };

    int MsgBox(const QString& text, int style, const QString& title) override {
        shown.push_back({text, style, title});
        if (whileOpen) whileOpen();  // what happens while the modal box waits for the user
        if (answers.empty()) return defaultAnswer;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<int> answers;                  // the next answers, in order
    int defaultAnswer = core::mb::kAnswerNo;  // once the script has run out
    std::function<void()> whileOpen;
    std::vector<Shown> shown;
};

}  // namespace fakes
