#include "core/TargetPicker.h"

#include "core/ClassDiscovery.h"
#include "core/TargetEntry.h"
#include "text/AnsiText.h"

namespace core {

QString targetLimitMessage() {
    return QStringLiteral("100画面がMAXでございますm(__)m");
}

void TargetPicker::startDrag() {
    // A second button pressed during a drag must not forget the framed window: its frame could
    // then never be erased.
    if (dragging_) return;
    dragging_ = true;
    trackedWindow_ = 0;
    parts_.view.setTrackingTimer(true);
    parts_.view.setCycleTimer(false);
    parts_.view.setDragPointer(true);
}

void TargetPicker::trackPointer() {
    if (!dragging_) return;
    const auto pointer = parts_.services.pointerPosition();
    if (!pointer) return;  // the pointer is on another screen: nothing new to track
    const core::WindowHandle h = parts_.services.windowAt(*pointer);
    handleText_ = core::handleToHex(h);
    titleText_ = ansi::cutToBytes(parts_.services.windowTitle(h), kTrackedTitleBytes);
    parts_.view.showTrackedWindow(handleText_, titleText_);
    if (h == trackedWindow_) return;
    // The new window is framed before the old one loses its frame, so one window always shows it.
    if (h != 0) parts_.services.toggleHighlight(h);
    if (trackedWindow_ != 0) parts_.services.toggleHighlight(trackedWindow_);
    trackedWindow_ = h;
}

void TargetPicker::endDrag() {
    if (!dragging_) return;
    dragging_ = false;
    parts_.view.setTrackingTimer(false);
    parts_.view.setCycleTimer(true);
    parts_.view.setDragPointer(false);
    if (trackedWindow_ == 0) return;  // no window was tracked: there is nothing to pick
    parts_.services.toggleHighlight(trackedWindow_);
    pickTrackedWindow();
    parts_.trayIcon.setToolTip(QString());
}

void TargetPicker::pickTrackedWindow() {
    bool ok = false;
    const auto h = static_cast<core::WindowHandle>(handleText_.toUInt(&ok, 16));
    // Cut as discovery compares it, so that a whole class picked here is found again.
    const QString className = core::getWindowClassName(parts_.services, ok ? h : 0);
    const bool windowOnly = parts_.confirmer.confirm(className);
    // A window that vanished before the release has no class; an empty name would make discovery
    // take every window without a class.
    if (!windowOnly && !className.isEmpty()) parts_.registry.addClass(className);
    if (parts_.registry.targetCount() >= core::kMaxTargets) {
        parts_.prompter.showMessage(
            targetLimitMessage(),
            core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Information, true},
            core::appTitle());
        return;
    }
    parts_.registry.addTargetEntry(titleText_ + QLatin1Char('(') + handleText_ + QLatin1Char(')'));
    parts_.registry.refreshTargetList();
}

}  // namespace core
