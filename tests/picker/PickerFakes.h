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

#include "core/AddConfirmer.h"
#include "core/TargetPicker.h"
#include "core/WindowServices.h"
#include "fakes/FakeWindowServices.h"

namespace pickertest {

// The fake window system with a screen layout: which window lies under which point, and a record of
// the frames drawn and erased. Everything else is the shared fake's.
class ScreenWithFrames final : public core::WindowServices {
public:
    explicit ScreenWithFrames(fakes::FakeWindowServices& windows) : windows_(windows) {}

    // `window` covers `area`; later areas lie above earlier ones.
    void cover(core::WindowHandle window, QRect area) { areas_.emplace_back(window, area); }
    void pointAt(QPoint point) { windows_.pointer = core::Point{point.x(), point.y()}; }

    std::vector<core::WindowHandle> inverted;     // every InvertWindowFrame, in order
    std::vector<core::WindowHandle> skipTaskbar;  // every SetSkipTaskbar, in order

    // Windows that carry a frame now (inverted an odd number of times).
    std::vector<core::WindowHandle> framed() const {
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

    core::WindowHandle windowAt(core::Point point) override {
        for (auto it = areas_.rbegin(); it != areas_.rend(); ++it) {
            if (it->second.contains(point.x, point.y) && windows_.exists(it->first)) return it->first;
        }
        return 0;
    }
    void toggleHighlight(core::WindowHandle window) override {
        if (window != 0 && windows_.exists(window)) inverted.push_back(window);
    }

    core::Size screenSize() override { return windows_.screenSize(); }
    std::optional<core::Point> pointerPosition() override { return windows_.pointerPosition(); }
    core::InputState readInput(core::InputQuery query) override { return windows_.readInput(query); }
    std::vector<bool> existing(const std::vector<core::WindowHandle>& windows) override {
        return windows_.existing(windows);
    }
    std::vector<core::WindowHandle> topLevelWindows() override { return windows_.topLevelWindows(); }
    QString className(core::WindowHandle window) override { return windows_.className(window); }
    QString windowTitle(core::WindowHandle window) override { return windows_.windowTitle(window); }
    std::vector<std::pair<QString, QString>> classNamesAndTitles(
        const std::vector<core::WindowHandle>& windows) override {
        return windows_.classNamesAndTitles(windows);
    }
    std::vector<core::PlacementAndClass> placementsAndClassNames(
        const std::vector<core::WindowHandle>& windows) override {
        return windows_.placementsAndClassNames(windows);
    }
    bool setPlacement(core::WindowHandle window, const core::WindowPlacement& placement) override {
        return windows_.setPlacement(window, placement);
    }
    void setPlacements(
        const std::vector<std::pair<core::WindowHandle, core::WindowPlacement>>& batch) override {
        windows_.setPlacements(batch);
    }
    void setSkipTaskbar(core::WindowHandle window) override { skipTaskbar.push_back(window); }

private:
    fakes::FakeWindowServices& windows_;
    std::vector<std::pair<core::WindowHandle, QRect>> areas_;
};

// Answers the add confirmation from a script; records the class names asked about.
class ScriptedConfirmer final : public core::AddConfirmer {
public:
    bool confirm(const QString& className) override {
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
class RecordingView final : public core::PickerView {
public:
    void setTrackingTimer(bool enabled) override {
        trackingTimer = enabled;
        log.push_back(enabled ? "tracking on" : "tracking off");
    }
    void setCycleTimer(bool enabled) override {
        cycleTimer = enabled;
        log.push_back(enabled ? "cycle on" : "cycle off");
    }
    void setDragPointer(bool reticle) override {
        dragPointer = reticle;
        log.push_back(reticle ? "reticle" : "default pointer");
    }
    void showTrackedWindow(const QString& handleText, const QString& title) override {
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
