#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "app/CycleDriver.h"
#include "core/Prompter.h"
#include "core/TargetPicker.h"
#include "core/TargetRegistry.h"
#include "core/TrayIcon.h"
#include "core/WindowServices.h"
#include "ui/AddTargetDialog.h"
#include "ui/MainWindow.h"

namespace app {

// The drag-to-target picker on the main window: the picker and its add confirmation, made with the
// window's controls; the reticle's press and release drive it, tmrTarget steps it every 100 ms
// during a drag, and what it tracks shows on the window. A drag stops the concealment cycle.
class TargetPicking final : public QObject, private core::PickerView {
    Q_OBJECT

public:
    static constexpr int kTrackingIntervalMs = 100;

    struct Parts {
        core::WindowServices& services;
        core::TargetRegistry& registry;
        core::Prompter& prompter;
        core::TrayIcon& trayIcon;
        ui::MainWindow& form;  // outlives this
        CycleDriver& cycle;
    };

    explicit TargetPicking(const Parts& parts);
    ~TargetPicking() override;

    // Both made with the window's controls: asking for them makes the controls.
    core::TargetPicker& picker();
    ui::AddTargetDialog& addTargetDialog();
    QTimer& trackingTimer() { return trackingTimer_; }

private:
    void makePicker();

    // PickerView
    void setTrackingTimer(bool enabled) override;
    void setCycleTimer(bool enabled) override;
    void setDragPointer(bool reticle) override;
    void showTrackedWindow(const QString& handleText, const QString& title) override;

    Parts parts_;
    QTimer trackingTimer_;
    // A child of the window, which owns it: its owner for modality and for the window manager.
    ui::AddTargetDialog* addConfirm_ = nullptr;
    std::unique_ptr<core::TargetPicker> picker_;
};

}  // namespace app
