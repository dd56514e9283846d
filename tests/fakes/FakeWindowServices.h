#pragma once

#include <QString>
#include <algorithm>
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

    static core::WindowPlacement Normal(int x = 100, int y = 100, int width = 640, int height = 480) {
        core::WindowPlacement p;
        p.showCmd = core::kShowNormal;
        p.framePosition = {x, y};
        p.clientSize = {width, height};
        p.desktop = 0;
        return p;
    }

    // Opens a window on top of the others; handle 0 picks the next free number.
    core::WindowHandle Open(const QString& className, const QString& title,
                            const core::WindowPlacement& placement = Normal(),
                            core::WindowHandle handle = 0) {
        if (handle == 0) handle = nextHandle_++;
        windows.push_back({handle, className, title, placement, false});
        return handle;
    }

    void Close(core::WindowHandle handle) {
        std::erase_if(windows, [&](const Window& w) { return w.handle == handle; });
    }

    Window* Find(core::WindowHandle handle) {
        const auto it =
            std::find_if(windows.begin(), windows.end(), [&](const Window& w) { return w.handle == handle; });
        return it == windows.end() ? nullptr : &*it;
    }

    bool IsHidden(core::WindowHandle handle) {
        const Window* w = Find(handle);
        return w != nullptr && w->withdrawn;
    }

    // Calls that read or change windows (anything but the screen size and the input reads). A call
    // about many windows counts as the single calls it makes.
    int WindowCalls() const {
        return isWindowCalls + enumCalls + classCalls + titleCalls + getPlacementCalls +
               static_cast<int>(placementCalls.size());
    }

    void ClearRecords() {
        screenSizeCalls = cursorCalls = keyStateCalls = isWindowCalls = enumCalls = classCalls = titleCalls =
            getPlacementCalls = batches = 0;
        inputQueries.clear();
        placementCalls.clear();
        existenceReads.clear();
        placementReads.clear();
    }

    // --- WindowServices ---
    core::Size ScreenSize() override {
        ++screenSizeCalls;
        return screen;
    }
    std::optional<core::Point> GetCursorPos() override {
        ++cursorCalls;
        return pointer;
    }
    int GetKeyState(int virtualKey) override {
        ++keyStateCalls;
        if (virtualKey == core::kVkShift) return shiftDown ? core::kKeyDownBit : 0;
        if (virtualKey == core::kVkScroll) return scrollLockOn ? core::kToggledBit : 0;
        return 0;
    }
    core::InputState ReadInput(core::InputQuery query) override {
        inputQueries.push_back(query);
        core::InputState state;
        if (query.pointer) state.pointer = pointer;
        state.shiftDown = query.shift && shiftDown;
        state.scrollLockOn = query.scrollLock && scrollLockOn;
        return state;
    }
    bool IsWindow(core::WindowHandle window) override {
        ++isWindowCalls;
        return Find(window) != nullptr;
    }
    // Asks IsWindow of each window in turn.
    std::vector<bool> AreWindows(const std::vector<core::WindowHandle>& handles) override {
        existenceReads.push_back(handles);
        return WindowServices::AreWindows(handles);
    }
    std::vector<core::WindowHandle> EnumWindows() override {
        ++enumCalls;
        std::vector<core::WindowHandle> handles;
        for (const Window& w : windows)
            handles.push_back(w.handle);
        return handles;
    }
    QString GetClassName(core::WindowHandle window) override {
        ++classCalls;
        const Window* w = Find(window);
        return w ? w->className : QString();
    }
    QString GetWindowText(core::WindowHandle window) override {
        ++titleCalls;
        const Window* w = Find(window);
        return w ? w->title : QString();
    }
    core::WindowHandle WindowFromPoint(core::Point) override { return 0; }
    bool GetWindowPlacement(core::WindowHandle window, core::WindowPlacement& placement) override {
        ++getPlacementCalls;
        const Window* w = Find(window);
        if (w == nullptr) return false;
        placement = w->placement;
        if (w->withdrawn) placement.showCmd = core::kShowHide;
        return true;
    }
    // Asks GetWindowPlacement and GetClassName of each window in turn.
    std::vector<core::PlacementAndClass> GetWindowPlacementsAndClassNames(
        const std::vector<core::WindowHandle>& handles) override {
        placementReads.push_back(handles);
        return WindowServices::GetWindowPlacementsAndClassNames(handles);
    }
    bool SetWindowPlacement(core::WindowHandle window, const core::WindowPlacement& placement) override {
        placementCalls.push_back({window, placement, 0});
        return Apply(window, placement);
    }
    void SetWindowPlacements(
        const std::vector<std::pair<core::WindowHandle, core::WindowPlacement>>& batch) override {
        ++batches;
        for (const auto& [window, placement] : batch) {
            placementCalls.push_back({window, placement, batches});
            Apply(window, placement);
        }
    }
    void InvertWindowFrame(core::WindowHandle) override {}
    void SetTopmost(core::WindowHandle) override {}
    void SetSkipTaskbar(core::WindowHandle) override {}
    void SetForegroundWindow(core::WindowHandle) override {}

    // --- state the test sets ---
    std::vector<Window> windows;  // bottom to top
    core::Size screen{1024, 768};
    std::optional<core::Point> pointer = core::Point{512, 384};
    bool shiftDown = false;
    bool scrollLockOn = false;

    // --- records ---
    int screenSizeCalls = 0;
    int cursorCalls = 0;
    int keyStateCalls = 0;
    int isWindowCalls = 0;
    int enumCalls = 0;
    int classCalls = 0;
    int titleCalls = 0;
    int getPlacementCalls = 0;
    int batches = 0;
    std::vector<core::InputQuery> inputQueries;
    std::vector<PlacementCall> placementCalls;
    // The windows of each AreWindows and GetWindowPlacementsAndClassNames call.
    std::vector<std::vector<core::WindowHandle>> existenceReads;
    std::vector<std::vector<core::WindowHandle>> placementReads;

private:
    bool Apply(core::WindowHandle window, const core::WindowPlacement& placement) {
        Window* w = Find(window);
        if (w == nullptr) return false;
        if (placement.showCmd == core::kShowHide) {
            w->withdrawn = true;
        } else {
            w->withdrawn = false;
            w->placement = placement;
        }
        return true;
    }

    core::WindowHandle nextHandle_ = 0x1000;
};

}  // namespace fakes
