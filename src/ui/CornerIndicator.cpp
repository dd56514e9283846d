#include "ui/CornerIndicator.h"

#include <QPainter>

namespace ui {

// Not managed by the window manager: a manager would keep the square off a panel's reserved area
// (openbox moves it below a tray in the corner), and it must sit exactly in the corner. Unmanaged
// windows are stacked above the managed ones when they are shown.
CornerIndicator::CornerIndicator()
    : QWidget(nullptr, Qt::Tool | Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint |
                           Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint) {
    setObjectName(QStringLiteral("frmCorner"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setEnabled(false);
}

void CornerIndicator::paintEvent(QPaintEvent* /*event*/) {
    // The red box always fills the whole indicator, whatever its size.
    QPainter painter(this);
    painter.fillRect(rect(), Qt::red);
}

}  // namespace ui
