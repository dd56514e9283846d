#pragma once

#include <QPointer>
#include <QWidget>

#include "core/Prompter.h"
#include "platform/qt/QtPrompter.h"

namespace app {

// The program's message boxes (QtPrompter), owned by the main window when no other window of the
// program is active. The main window is made after the parts that show messages, so it is handed
// in later.
class MainPrompter final : public core::Prompter {
public:
    void setOwner(QWidget* owner) { owner_ = owner; }

    core::Answer showMessage(const QString& text, core::MessageStyle style, const QString& title) override {
        return qtplatform::QtPrompter(owner_.data()).showMessage(text, style, title);
    }

private:
    QPointer<QWidget> owner_;
};

}  // namespace app
