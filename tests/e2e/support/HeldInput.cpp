#include "e2e/support/HeldInput.h"

#include <utility>

#include "e2e/support/DesktopInput.h"

namespace e2e {

void PressButton(int button) {
    RunTool(QStringLiteral("xdotool"), {QStringLiteral("mousedown"), QString::number(button)});
}

void ReleaseButton(int button) {
    RunTool(QStringLiteral("xdotool"), {QStringLiteral("mouseup"), QString::number(button)});
}

HeldKey::HeldKey(QString key) : key_(std::move(key)) {}

HeldKey::~HeldKey() {
    Release();
}

void HeldKey::Press() {
    RunTool(QStringLiteral("xdotool"), {QStringLiteral("keydown"), key_});
    down_ = true;
}

void HeldKey::Release() {
    if (!down_) return;
    RunTool(QStringLiteral("xdotool"), {QStringLiteral("keyup"), key_});
    down_ = false;
}

}  // namespace e2e
