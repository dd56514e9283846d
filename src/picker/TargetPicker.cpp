#include "picker/TargetPicker.h"

#include "core/TargetEntry.h"
#include "text/AnsiText.h"

namespace picker {

QString TargetLimitMessage() {
    return QStringLiteral("100画面がMAXでございますm(__)m");
}

void TargetPicker::picTarget_MouseDown() {
    // A second button pressed during a drag must not forget the framed window: its frame could
    // then never be erased.
    if (dragging_) return;
    dragging_ = true;
    lngTargetWnd_ = 0;
    parts_.view.SetTrackingTimer(true);
    parts_.view.SetCycleTimer(false);
    parts_.view.SetDragPointer(true);
}

void TargetPicker::tmrTarget_Timer() {
    if (!dragging_) return;
    const auto pointer = parts_.services.GetCursorPos();
    if (!pointer) return;  // the pointer is on another screen: nothing new to track
    const core::WindowHandle h = parts_.services.WindowFromPoint(*pointer);
    txthWnd_ = core::HandleToHex(h);
    txtText_ = ansi::cutToBytes(parts_.services.GetWindowText(h), kTrackedTitleBytes);
    parts_.view.ShowTrackedWindow(txthWnd_, txtText_);
    if (h == lngTargetWnd_) return;
    // The new window is framed before the old one loses its frame, so one window always shows it.
    if (h != 0) parts_.services.InvertWindowFrame(h);
    if (lngTargetWnd_ != 0) parts_.services.InvertWindowFrame(lngTargetWnd_);
    lngTargetWnd_ = h;
}

void TargetPicker::picTarget_MouseUp() {
    if (!dragging_) return;
    dragging_ = false;
    parts_.view.SetTrackingTimer(false);
    parts_.view.SetCycleTimer(true);
    parts_.view.SetDragPointer(false);
    if (lngTargetWnd_ == 0) return;  // no window was tracked: there is nothing to pick
    parts_.services.InvertWindowFrame(lngTargetWnd_);
    parts_.trayIconData.szTip.clear();
    PickTrackedWindow();
    parts_.notifyIcon.Modify(parts_.trayIconData);
}

void TargetPicker::PickTrackedWindow() {
    bool ok = false;
    const auto h = static_cast<core::WindowHandle>(txthWnd_.toUInt(&ok, 16));
    const QString className = parts_.services.GetClassName(ok ? h : 0);
    const bool windowOnly = parts_.confirmer.Confirm(className);
    // A window that vanished before the release has no class; an empty name would make discovery
    // take every window without a class.
    if (!windowOnly && !className.isEmpty()) parts_.registry.AddClass(className);
    if (parts_.registry.TargetCount() >= core::kMaxTargets) {
        parts_.prompter.MsgBox(TargetLimitMessage(), core::mb::kInformation | core::mb::kSystemModal,
                               core::AppTitle());
        return;
    }
    parts_.registry.AddTargetEntry(txtText_ + QLatin1Char('(') + txthWnd_ + QLatin1Char(')'));
    parts_.registry.RefreshTargetList();
}

}  // namespace picker
