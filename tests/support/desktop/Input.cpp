#include "support/desktop/Input.h"

#include <xcb/xtest.h>

#include <QStringList>
#include <algorithm>
#include <cstdint>
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
    Observer observer;
    movePointer(observer, position);
}

void movePointer(Observer& observer, QPoint position) {
    // Through XTEST, as a real pointer device moves: the server sends the motion events (raw ones
    // too) that a program watching the pointer sees. xdotool's "mousemove" warps the pointer, which
    // sends none of them. The pointer stays on the screen, so a place beyond its edge is reached at
    // the edge.
    const QPoint reachable(std::max(position.x(), 0), std::max(position.y(), 0));
    xcb_test_fake_input(observer.xcb(), XCB_MOTION_NOTIFY, 0 /* absolute */, XCB_CURRENT_TIME,
                        observer.root(), static_cast<std::int16_t>(reachable.x()),
                        static_cast<std::int16_t>(reachable.y()), 0);
    observer.sync();
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
