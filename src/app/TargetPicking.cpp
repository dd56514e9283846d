#include "app/TargetPicking.h"

namespace app {

TargetPicking::TargetPicking(const Parts& parts) : parts_(parts) {
    trackingTimer_.setObjectName(QStringLiteral("tmrTarget"));
    trackingTimer_.setInterval(kTrackingIntervalMs);
    // A program started hidden does without the picker until the window's controls are made.
    if (parts_.form.controlsBuilt()) {
        makePicker();
    } else {
        connect(&parts_.form, &ui::MainWindow::controlsMade, this, &TargetPicking::makePicker);
    }
}

TargetPicking::~TargetPicking() = default;

core::TargetPicker& TargetPicking::picker() {
    parts_.form.buildControls();
    return *picker_;
}

ui::AddTargetDialog& TargetPicking::addTargetDialog() {
    parts_.form.buildControls();
    return *addConfirm_;
}

void TargetPicking::makePicker() {
    ui::MainWindow& form = parts_.form;
    addConfirm_ = new ui::AddTargetDialog(&form);
    picker_ = std::make_unique<core::TargetPicker>(core::TargetPicker::Parts{
        parts_.services, parts_.registry, *addConfirm_, parts_.prompter, parts_.trayIcon, *this});
    // Only the picker starts the tracking timer.
    connect(&trackingTimer_, &QTimer::timeout, this, [this] { picker_->trackPointer(); });
    connect(&form, &ui::MainWindow::pickerPressed, this, [this] { picker_->startDrag(); });
    connect(&form, &ui::MainWindow::pickerReleased, this, [this] { picker_->endDrag(); });
}

void TargetPicking::setTrackingTimer(bool enabled) {
    if (enabled) {
        trackingTimer_.start();
    } else {
        trackingTimer_.stop();
    }
}

void TargetPicking::setCycleTimer(bool enabled) {
    if (enabled) {
        parts_.cycle.start();
    } else {
        parts_.cycle.stop();
    }
}

void TargetPicking::setDragPointer(bool reticle) {
    parts_.form.setDragPointer(reticle);
}

void TargetPicking::showTrackedWindow(const QString& handleText, const QString& title) {
    parts_.form.showTrackedWindow(handleText, title);
}

}  // namespace app
