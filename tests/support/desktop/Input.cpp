#include "support/desktop/Input.h"

#include <QStringList>
#include <utility>

#include "support/desktop/Tools.h"
#include "support/desktop/Wait.h"

namespace desktoptest {

namespace {

void xdotool(const QStringList& args) {
    runTool(QStringLiteral("xdotool"), args);
}

// Where the pointer is, read by the X server's answer rather than by a tool.
QPoint pointerPosition(Observer& observer) {
    const core::x11::Owned<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(observer.xcb(), xcb_query_pointer(observer.xcb(), observer.root()), nullptr));
    return reply ? QPoint(reply->root_x, reply->root_y) : QPoint(-1, -1);
}

}  // namespace

void movePointer(QPoint position) {
    // Not "mousemove --sync": it waits for a motion that never comes when the pointer is there
    // already. The pointer stays on the screen, so a place beyond its edge is reached at the edge.
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--"), QString::number(position.x()),
             QString::number(position.y())});
    const QPoint reachable(std::max(position.x(), 0), std::max(position.y(), 0));
    Observer observer;
    waitUntil([&] { return pointerPosition(observer) == reachable; }, 2s);
}

void clickAt(QPoint position, int button) {
    movePointer(position);
    xdotool({QStringLiteral("click"), QString::number(button)});
}

void doubleClickAt(QPoint position) {
    movePointer(position);
    xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
             QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
}

void focusWindow(Window window) {
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
}

void typeText(const QString& text) {
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

void pressKey(const QString& key) {
    xdotool({QStringLiteral("key"), key});
}

void pressButton(int button) {
    xdotool({QStringLiteral("mousedown"), QString::number(button)});
}

void releaseButton(int button) {
    xdotool({QStringLiteral("mouseup"), QString::number(button)});
}

HeldKey::HeldKey(QString key) : key_(std::move(key)) {}

HeldKey::~HeldKey() {
    release();
}

void HeldKey::press() {
    xdotool({QStringLiteral("keydown"), key_});
    down_ = true;
}

void HeldKey::release() {
    if (!down_) return;
    xdotool({QStringLiteral("keyup"), key_});
    down_ = false;
}

}  // namespace desktoptest
