#pragma once

#include <QString>
#include <initializer_list>
#include <vector>

#include "core/NotifyIcon.h"

namespace fakes {

// Records every operation on the notification icon with the record as it was passed, keeps what
// the tray would show, and lets a test deliver mouse events as the user would make them.
class FakeNotifyIcon final : public core::NotifyIcon {
public:
    enum class Op { kAdd, kModify, kDelete };
    struct Call {
        Op op;
        core::TrayIconData data;
    };

    void Add(const core::TrayIconData& data) override {
        calls.push_back({Op::kAdd, data});
        visible = true;
        shown = data.hIcon;
    }
    void Modify(const core::TrayIconData& data) override {
        calls.push_back({Op::kModify, data});
        shown = data.hIcon;
    }
    void Delete(const core::TrayIconData& data) override {
        calls.push_back({Op::kDelete, data});
        visible = false;
    }

    // Delivers event numbers to the handler, in order (e.g. {513, 514} for a left click).
    void Deliver(std::initializer_list<int> eventNumbers) {
        for (const int eventNumber : eventNumbers) {
            if (onMouseEvent) onMouseEvent(eventNumber);
        }
    }
    void LeftClick() { Deliver({core::kIconLeftDown, core::kIconLeftUp}); }
    void RightClick() { Deliver({core::kIconRightDown, core::kIconRightUp}); }
    void DoubleClick() {
        Deliver({core::kIconLeftDown, core::kIconLeftUp, core::kIconLeftDoubleClick, core::kIconLeftUp});
    }

    std::vector<Call> calls;
    bool visible = false;
    core::IconHandle shown = 0;  // the picture of the last add or modify
};

}  // namespace fakes
