#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace zeltest {

// Once a modal dialog of type T is open (the caller is about to enter its exec()), hands it to
// action from the dialog's own event loop; the action must end the dialog. Polls the event loop a bounded
// number of times; a dialog that never opens is a test failure, and whatever modal window is open then is
// closed so that the test cannot hang.
template <class T>
void whenModal(std::function<void(T&)> action, int attemptsLeft = 500) {
    QTimer::singleShot(attemptsLeft == 500 ? 0 : 10, [action = std::move(action), attemptsLeft]() mutable {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            action(*dialog);
            // Every action ends the dialog. One still open (the code under test kept it, or a failed
            // assertion ended the action early) is closed so that the test goes on.
            if (dialog->isVisible()) {
                if (!testing::Test::HasFatalFailure()) ADD_FAILURE() << "the dialog stayed open";
                dialog->close();
            }
        } else if (attemptsLeft > 0) {
            whenModal<T>(std::move(action), attemptsLeft - 1);
        } else {
            ADD_FAILURE() << "the expected modal dialog never opened";
            if (QWidget* other = QApplication::activeModalWidget()) other->close();
        }
    });
}

}  // namespace zeltest
