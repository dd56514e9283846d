#pragma once

#include <QString>
#include <algorithm>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "core/WindowServices.h"

namespace fakes {

// An in-memory window system. Windows are kept bottom to top; each has a class, a title, a
// placement and may be withdrawn (hidden). Handles are chosen by the test or counted up, and a
// closed window's handle can be given to a new window. Every call is recorded for the test to look at.
class FakeWindowServices final : public core::WindowServices {
public:
    struct Window {
        core::WindowHandle handle = 0;
        QString className;
        QString title;
        core::WindowPlacement placement;  // showCmd: the state while shown
        bool withdrawn = false;
    };

    // One window touched by SetWindowPlacement or by a batch (batch = its number, from 1; 0 for a
    // single call).
    struct PlacementCall {
        core::WindowHandle handle = 0;
        core::WindowPlacement placement;
        int batch = 0;
    };

    static core::WindowPlacement normal(int x = 100, int y = 100, int width = 640, int height = 480) {
        core::WindowPlacement p;
        p.showCmd = core::kShowNormal;
        p.framePosition = {x, y};
        p.clientSize = {width, height};
        p.desktop = 0;
        return p;
    }

    // Opens a window on top of the others; handle 0 picks the next free number.
    core::WindowHandle open(const QString& className, const QString& title,
                            const core::WindowPlacement& placement = normal(),
                            core::WindowHandle handle = 0) {
        if (handle == 0) handle = nextHandle_++;
        windows.push_back({handle, className, title, placement, false});
        return handle;
    }

    void close(core::WindowHandle handle) {
        std::erase_if(windows, [&](const Window& w) { return w.handle == handle; });
    }

    Window* find(core::WindowHandle handle) {
        const auto it =
            std::find_if(windows.begin(), windows.end(), [&](const Window& w) { return w.handle == handle; });
        return it == windows.end() ? nullptr : &*it;
    }

    bool isHidden(core::WindowHandle handle) {
        const Window* w = find(handle);
        return w != nullptr && w->withdrawn;
    }

    // Calls that read or change windows (anything but the screen size and the input reads). A call
    // about many windows counts as the single calls it makes.
    int windowCalls() const {
        return isWindowCalls + enumCalls + classCalls + titleCalls + getPlacementCalls +
               static_cast<int>(placementCalls.size());
    }

    void clearRecords() {
        screenSizeCalls = cursorCalls = isWindowCalls = enumCalls = classCalls = titleCalls =
            getPlacementCalls = batches = 0;
        inputQueries.clear();
        placementCalls.clear();
        existenceReads.clear();
        placementReads.clear();
    }

    // --- WindowServices ---
    core::Size screenSize() override {
        ++screenSizeCalls;
        return screen;
    }
    std::optional<core::Point> pointerPosition() override {
        ++cursorCalls;
        return pointer;
    }
    core::InputState readInput(core::InputQuery query) override {
        inputQueries.push_back(query);
        core::InputState state;
        if (query.pointer) {
            state.pointer = pointer;
            lastPointerRead = pointer;
        }
        state.shiftDown = query.shift && shiftDown;
        state.scrollLockOn = query.scrollLock && scrollLockOn;
        return state;
    }
    // Single-window reads: the batch calls below are made of them.
    bool exists(core::WindowHandle window) {
        ++isWindowCalls;
        return find(window) != nullptr;
    }
    // Asks about each window in turn.
    std::vector<bool> existing(const std::vector<core::WindowHandle>& handles) override {
        existenceReads.push_back(handles);
        std::vector<bool> open;
        for (const core::WindowHandle handle : handles)
            open.push_back(exists(handle));
        return open;
    }
    std::vector<core::WindowHandle> topLevelWindows() override {
        ++enumCalls;
        std::vector<core::WindowHandle> handles;
        for (const Window& w : windows)
            handles.push_back(w.handle);
        return handles;
    }
    QString className(core::WindowHandle window) override {
        ++classCalls;
        const Window* w = find(window);
        return w ? w->className : QString();
    }
    QString windowTitle(core::WindowHandle window) override {
        ++titleCalls;
        const Window* w = find(window);
        return w ? w->title : QString();
    }
    std::vector<std::pair<QString, QString>> classNamesAndTitles(
        const std::vector<core::WindowHandle>& handles) override {
        std::vector<std::pair<QString, QString>> texts;
        for (const core::WindowHandle handle : handles) {
            QString name = className(handle);
            texts.emplace_back(std::move(name), windowTitle(handle));
        }
        return texts;
    }
    core::WindowHandle windowAt(core::Point) override { return 0; }
    bool placement(core::WindowHandle window, core::WindowPlacement& placement) {
        ++getPlacementCalls;
        const Window* w = find(window);
        if (w == nullptr) return false;
        placement = w->placement;
        if (w->withdrawn) placement.showCmd = core::kShowHide;
        return true;
    }
    // Asks placement and class of each window in turn.
    std::vector<core::PlacementAndClass> placementsAndClassNames(
        const std::vector<core::WindowHandle>& handles) override {
        placementReads.push_back(handles);
        std::vector<core::PlacementAndClass> readings(handles.size());
        for (std::size_t i = 0; i < handles.size(); ++i) {
            core::WindowPlacement read;
            if (!placement(handles[i], read)) continue;
            readings[i].placement = read;
            readings[i].className = className(handles[i]);
        }
        return readings;
    }
    bool setPlacement(core::WindowHandle window, const core::WindowPlacement& placement) override {
        placementCalls.push_back({window, placement, 0});
        return apply(window, placement);
    }
    void setPlacements(
        const std::vector<std::pair<core::WindowHandle, core::WindowPlacement>>& batch) override {
        ++batches;
        for (const auto& [window, placement] : batch) {
            placementCalls.push_back({window, placement, batches});
            apply(window, placement);
        }
    }
    void toggleHighlight(core::WindowHandle) override {}
    void setSkipTaskbar(core::WindowHandle) override {}

    // --- state the test sets ---
    std::vector<Window> windows;  // bottom to top
    // Whether the fake reports input changes, and the handler it reports them to (reportChange).
    bool reportsChanges = false;
    std::function<void()> inputChanged;
    bool reportsInputChanges() const override { return reportsChanges; }
    void setInputChangedHandler(std::function<void()> handler) override { inputChanged = std::move(handler); }
    // A trigger input has changed, as the window system would report it.
    void reportChange() {
        if (reportsChanges && inputChanged) inputChanged();
    }
    // The pointer moves, reported as a motion unless the motion reports are paused.
    void movePointer(core::Point to) {
        pointer = to;
        if (!motionPaused) reportChange();
    }
    // Paused and resumed as the X11 backend does: resumed only when two reads in a row, the last
    // before the pause (or the last refusal) and the last since, found the pointer at one place.
    bool motionPaused = false;
    void pausePointerMotionReports() override {
        motionPaused = true;
        pausedAt_ = lastPointerRead;
    }
    bool resumePointerMotionReports() override {
        if (lastPointerRead != pausedAt_) {
            pausedAt_ = lastPointerRead;
            return false;
        }
        motionPaused = false;
        return true;
    }

    core::Size screen{1024, 768};
    std::optional<core::Point> pointer = core::Point{512, 384};
    bool shiftDown = false;
    bool scrollLockOn = false;

    // --- records ---
    int screenSizeCalls = 0;
    int cursorCalls = 0;
    int isWindowCalls = 0;
    int enumCalls = 0;
    int classCalls = 0;
    int titleCalls = 0;
    int getPlacementCalls = 0;
    int batches = 0;
    std::vector<core::InputQuery> inputQueries;
    std::optional<core::Point> lastPointerRead;
    std::vector<PlacementCall> placementCalls;
    // The windows of each AreWindows and GetWindowPlacementsAndClassNames call.
    std::vector<std::vector<core::WindowHandle>> existenceReads;
    std::vector<std::vector<core::WindowHandle>> placementReads;

private:
    bool apply(core::WindowHandle window, const core::WindowPlacement& placement) {
        Window* w = find(window);
        if (w == nullptr) return false;
        if (placement.showCmd == core::kShowHide) {
            w->withdrawn = true;
        } else {
            w->withdrawn = false;
            w->placement = placement;
        }
        return true;
    }

    std::optional<core::Point> pausedAt_;
    core::WindowHandle nextHandle_ = 0x1000;
};

}  // namespace fakes
