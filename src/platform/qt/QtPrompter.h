#pragma once

#include "core/Prompter.h"

class QWidget;

namespace qtplatform {

// The program's message boxes, as QMessageBox. The style bits choose the icon (16 critical,
// 32 question, 48 exclamation, 64 information) and the buttons (0 OK, 4 Yes and No); a
// system-modal box (4096) also stays above every ordinary window. The box opens over the window
// that is active or modal at that moment, else over the fallback owner given here.
class QtPrompter : public core::Prompter {
public:
    explicit QtPrompter(QWidget* fallbackOwner = nullptr) : fallbackOwner_(fallbackOwner) {}

    core::Answer showMessage(const QString& text, core::MessageStyle style, const QString& title) override;

private:
    QWidget* owner() const;

    QWidget* fallbackOwner_;
};

}  // namespace qtplatform
