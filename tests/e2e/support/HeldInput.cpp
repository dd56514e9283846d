#include "e2e/support/HeldInput.h"

#include <utility>

#include "e2e/support/DesktopInput.h"

namespace e2e {

void pressButton(int button) {
    runTool(QStringLiteral("xdotool"), {QStringLiteral("mousedown"), QString::number(button)});
}

void releaseButton(int button) {
    runTool(QStringLiteral("xdotool"), {QStringLiteral("mouseup"), QString::number(button)});
}

HeldKey::HeldKey(QString key) : key_(std::move(key)) {}

HeldKey::~HeldKey() {
    release();
}

void HeldKey::press() {
    runTool(QStringLiteral("xdotool"), {QStringLiteral("keydown"), key_});
    down_ = true;
}

void HeldKey::release() {
    if (!down_) return;
    runTool(QStringLiteral("xdotool"), {QStringLiteral("keyup"), key_});
    down_ = false;
}

}  // namespace e2e
