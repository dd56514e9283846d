#pragma once

#include <QString>

#include "core/AddConfirmer.h"
#include "core/Prompter.h"
#include "core/TargetRegistry.h"
#include "core/TrayIcon.h"
#include "core/WindowServices.h"

namespace core {

// What the picker switches and shows on the main window.
class PickerView {
public:
    PickerView() = default;
    virtual ~PickerView() = default;
    PickerView(const PickerView&) = delete;
    PickerView& operator=(const PickerView&) = delete;

    virtual void setTrackingTimer(bool enabled) = 0;  // trackingTimer, 100 ms
    virtual void setCycleTimer(bool enabled) = 0;     // cycleTimer, the concealment cycle
    virtual void setDragPointer(bool reticle) = 0;    // the reticle pointer, or the default one
    // handleText and titleText: the window under the pointer.
    virtual void showTrackedWindow(const QString& handleText, const QString& title) = 0;
};

// The longest title shown while tracking, in CP932 bytes.
inline constexpr int kTrackedTitleBytes = 49;

// The message when the target list is full.
QString targetLimitMessage();

// The drag-to-target picker: a press on the reticle starts a drag, a 100 ms step follows the window
// under the pointer and frames it, the release asks whether to take the window alone or its whole
// class and adds the window to the target list.
class TargetPicker {
public:
    struct Parts {
        core::WindowServices& services;
        core::TargetRegistry& registry;
        AddConfirmer& confirmer;
        core::Prompter& prompter;
        core::TrayIcon& trayIcon;
        PickerView& view;
    };

    explicit TargetPicker(const Parts& parts) : parts_(parts) {}
    TargetPicker(const TargetPicker&) = delete;
    TargetPicker& operator=(const TargetPicker&) = delete;

    // A press of any button on the reticle. A further press while dragging changes nothing.
    void startDrag();
    // One tracking step; nothing outside a drag.
    void trackPointer();
    // The release that ends the drag. A release outside a drag, or of a drag that has not framed a
    // window yet (released before the first tracking step), picks nothing.
    void endDrag();

    bool dragging() const { return dragging_; }
    // The window that carries the frame; 0 for none.
    core::WindowHandle trackedWindow() const { return trackedWindow_; }
    const QString& handleText() const { return handleText_; }
    const QString& titleText() const { return titleText_; }

private:
    void pickTrackedWindow();

    Parts parts_;
    bool dragging_ = false;
    core::WindowHandle trackedWindow_ = 0;
    QString handleText_;
    QString titleText_;
};

}  // namespace core
