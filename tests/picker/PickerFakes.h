#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/WindowServices.h"
#include "fakes/FakeWindowServices.h"
#include "picker/AddConfirmer.h"
#include "picker/TargetPicker.h"

namespace pickertest {

// The fake window system with a screen layout: which window lies under which point, and a record of
// the frames drawn and erased. Everything else is the shared fake's.
class ScreenWithFrames final : public core::WindowServices {
public:
    explicit ScreenWithFrames(fakes::FakeWindowServices& windows) : windows_(windows) {}

    // `window` covers `area`; later areas lie above earlier ones.
    void Cover(core::WindowHandle window, QRect area) { areas_.emplace_back(window, area); }
    void PointAt(QPoint point) { windows_.pointer = core::Point{point.x(), point.y()}; }

    std::vector<core::WindowHandle> inverted;     // every InvertWindowFrame, in order
    std::vector<core::WindowHandle> skipTaskbar;  // every SetSkipTaskbar, in order

    // Windows that carry a frame now (inverted an odd number of times).
    std::vector<core::WindowHandle> Framed() const {
        std::vector<core::WindowHandle> framed;
        for (core::WindowHandle w : inverted) {
            const auto it = std::find(framed.begin(), framed.end(), w);
            if (it == framed.end()) {
                framed.push_back(w);
            } else {
                framed.erase(it);
            }
        }
        return framed;
    }

    core::WindowHandle WindowFromPoint(core::Point point) override {
        for (auto it = areas_.rbegin(); it != areas_.rend(); ++it) {
            if (it->second.contains(point.x, point.y) && windows_.IsWindow(it->first)) return it->first;
        }
        return 0;
    }
    void InvertWindowFrame(core::WindowHandle window) override {
        if (window != 0 && windows_.IsWindow(window)) inverted.push_back(window);
    }

    core::Size ScreenSize() override { return windows_.ScreenSize(); }
    std::optional<core::Point> GetCursorPos() override { return windows_.GetCursorPos(); }
    int GetKeyState(int virtualKey) override { return windows_.GetKeyState(virtualKey); }
    core::InputState ReadInput(core::InputQuery query) override { return windows_.ReadInput(query); }
    bool IsWindow(core::WindowHandle window) override { return windows_.IsWindow(window); }
    std::vector<core::WindowHandle> EnumWindows() override { return windows_.EnumWindows(); }
    QString GetClassName(core::WindowHandle window) override { return windows_.GetClassName(window); }
    QString GetWindowText(core::WindowHandle window) override { return windows_.GetWindowText(window); }
    bool GetWindowPlacement(core::WindowHandle window, core::WindowPlacement& placement) override {
        return windows_.GetWindowPlacement(window, placement);
    }
    bool SetWindowPlacement(core::WindowHandle window, const core::WindowPlacement& placement) override {
        return windows_.SetWindowPlacement(window, placement);
    }
    void SetWindowPlacements(
        const std::vector<std::pair<core::WindowHandle, core::WindowPlacement>>& batch) override {
        windows_.SetWindowPlacements(batch);
    }
    void SetTopmost(core::WindowHandle window) override { windows_.SetTopmost(window); }
    void SetSkipTaskbar(core::WindowHandle window) override { skipTaskbar.push_back(window); }
    void SetForegroundWindow(core::WindowHandle window) override { windows_.SetForegroundWindow(window); }

private:
    fakes::FakeWindowServices& windows_;
    std::vector<std::pair<core::WindowHandle, QRect>> areas_;
};

// Answers the add confirmation from a script; records the class names asked about.
class ScriptedConfirmer final : public picker::AddConfirmer {
public:
    bool Confirm(const QString& className) override {
        asked.push_back(className);
        if (whileOpen) whileOpen();
        if (answers.empty()) return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<bool> answers;  // true: the window alone; false: its whole class
    std::vector<QString> asked;
    std::function<void()> whileOpen;  // runs while the question is open
};

// Records what the picker switched and showed, as lines of text in order.
class RecordingView final : public picker::PickerView {
public:
    void SetTrackingTimer(bool enabled) override {
        trackingTimer = enabled;
        log.push_back(enabled ? "tracking on" : "tracking off");
    }
    void SetCycleTimer(bool enabled) override {
        cycleTimer = enabled;
        log.push_back(enabled ? "cycle on" : "cycle off");
    }
    void SetDragPointer(bool reticle) override {
        dragPointer = reticle;
        log.push_back(reticle ? "reticle" : "default pointer");
    }
    void ShowTrackedWindow(const QString& handleText, const QString& title) override {
        shownHandle = handleText;
        shownTitle = title;
    }

    bool trackingTimer = false;
    bool cycleTimer = true;
    bool dragPointer = false;
    QString shownHandle;
    QString shownTitle;
    std::vector<std::string> log;
};

}  // namespace pickertest
