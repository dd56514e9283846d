#pragma once

#include <QString>
#include <initializer_list>
#include <vector>

#include "core/TrayIcon.h"

namespace fakes {

// Records every operation on the notification icon, keeps what the tray would show, and lets a
// test deliver clicks as the user would make them.
class FakeTrayIcon final : public core::TrayIcon {
public:
    enum class Op { kShow, kSetPicture, kSetToolTip, kHide };
    struct Call {
        Op op;
        core::IconHandle picture = 0;
        QString tip;
    };

    void show(core::IconHandle picture) override {
        calls.push_back({Op::kShow, picture, {}});
        visible = true;
        shown = picture;
    }
    void setPicture(core::IconHandle picture) override {
        calls.push_back({Op::kSetPicture, picture, {}});
        shown = picture;
    }
    void setToolTip(const QString& tip) override { calls.push_back({Op::kSetToolTip, 0, tip}); }
    void hide() override {
        calls.push_back({Op::kHide, 0, {}});
        visible = false;
    }

    // Delivers events to the handler, in order.
    void deliver(std::initializer_list<core::TrayEvent> events) {
        for (const core::TrayEvent event : events) {
            if (onEvent) onEvent(event);
        }
    }
    void leftClick() { deliver({core::TrayEvent::LeftPress, core::TrayEvent::LeftRelease}); }
    void rightClick() { deliver({core::TrayEvent::RightPress, core::TrayEvent::RightRelease}); }
    void doubleClick() {
        deliver({core::TrayEvent::LeftPress, core::TrayEvent::LeftRelease, core::TrayEvent::LeftDoubleClick,
                 core::TrayEvent::LeftRelease});
    }

    std::vector<Call> calls;
    bool visible = false;
    core::IconHandle shown = 0;  // the picture of the last show or setPicture
};

}  // namespace fakes
