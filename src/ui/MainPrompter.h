#pragma once

#include <QPointer>
#include <QWidget>

#include "core/Prompter.h"
#include "lock/forms/QtPrompter.h"

namespace ui {

// The program's message boxes (QtPrompter), owned by the main window when no other window of the
// program is active. The main window is made after the parts that show messages, so it is handed
// in later.
class MainPrompter final : public core::Prompter {
public:
    void SetOwner(QWidget* owner) { owner_ = owner; }

    int MsgBox(const QString& text, int style, const QString& title) override {
        return lock::QtPrompter(owner_.data()).MsgBox(text, style, title);
    }

private:
    QPointer<QWidget> owner_;
};

}  // namespace ui
