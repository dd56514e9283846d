#pragma once

#include <QString>

#include "core/NotifyIcon.h"
#include "core/Prompter.h"
#include "core/TargetRegistry.h"
#include "core/WindowServices.h"
#include "picker/AddConfirmer.h"

namespace picker {

// What the picker switches and shows on the main window.
class PickerView {
public:
    PickerView() = default;
    virtual ~PickerView() = default;
    PickerView(const PickerView&) = delete;
    PickerView& operator=(const PickerView&) = delete;

    virtual void SetTrackingTimer(bool enabled) = 0;  // tmrTarget, 100 ms
    virtual void SetCycleTimer(bool enabled) = 0;     // tmrActive, the concealment cycle
    virtual void SetDragPointer(bool reticle) = 0;    // the reticle pointer, or the default one
    // txthWnd and txtText: the window under the pointer.
    virtual void ShowTrackedWindow(const QString& handleText, const QString& title) = 0;
};

// The longest title shown while tracking, in CP932 bytes.
inline constexpr int kTrackedTitleBytes = 49;

// The message when the target list is full.
QString TargetLimitMessage();

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
        core::NotifyIcon& notifyIcon;
        core::TrayIconData& trayIconData;
        PickerView& view;
    };

    explicit TargetPicker(const Parts& parts) : parts_(parts) {}
    TargetPicker(const TargetPicker&) = delete;
    TargetPicker& operator=(const TargetPicker&) = delete;

    // A press of any button on the reticle. A further press while dragging changes nothing.
    void picTarget_MouseDown();
    // One tracking step; nothing outside a drag.
    void tmrTarget_Timer();
    // The release that ends the drag. A release outside a drag, or of a drag that has not framed a
    // window yet (released before the first tracking step), picks nothing.
    void picTarget_MouseUp();

    bool Dragging() const { return dragging_; }
    // The window that carries the frame; 0 for none.
    core::WindowHandle lngTargetWnd() const { return lngTargetWnd_; }
    const QString& txthWnd() const { return txthWnd_; }
    const QString& txtText() const { return txtText_; }

private:
    void PickTrackedWindow();

    Parts parts_;
    bool dragging_ = false;
    core::WindowHandle lngTargetWnd_ = 0;
    QString txthWnd_;
    QString txtText_;
};

}  // namespace picker
