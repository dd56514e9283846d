// Start-up: the settings file into the main window's controls, in the order in which their
// handlers must run, then the icons, the window and the notification icon.
#include <QGuiApplication>
#include <QList>
#include <QRectF>
#include <QScreen>

#include "settings/IniFile.h"
#include "settings/SettingsModel.h"
#include "ui/FormLook.h"
#include "ui/MainProgram.h"

namespace ui {

namespace {

QRect PrimaryScreenRect() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary != nullptr ? primary->geometry() : QRect();
}

QList<QRectF> ScreenRects() {
    QList<QRectF> rects;
    for (const QScreen* screen : QGuiApplication::screens())
        rects.append(QRectF(screen->geometry()));
    return rects;
}

// The record's tip: a NUL and 63 blanks, the empty tip.
QString EmptyTip() {
    return QString(QChar(u'\0')) + QString(63, QChar(u' '));
}

}  // namespace

void MainProgram::Form_Load() {
    if (loaded_ || unloaded_) return;
    // The main window is a tool window that asks to stay out of task bars (frmMain): the program
    // has no task-list entry. It is built collapsed, its corner indicators hidden.
    const QRect primary = PrimaryScreenRect();
    primaryOrigin_ = primary.topLeft();
    const settings::StoredSettings stored = settings::ReadStoredSettings(
        settings::IniFile(settingsPath_), QSizeF(primary.size()) * kTwipsPerPixel,
        QSizeF(kDesignedWidthTwips, kDesignedHeightTwips));
    PlaceWindow(stored);
    ApplyControls(stored);
    decoy_.LoadStored(0, stored.IconPath[0]);
    decoy_.LoadStored(1, stored.IconPath[1]);
    // The corner indicators are above every other window by their window flags (frmCorner).

    form_->SetCheckValue(&core::ControlValues::chkRunup, stored.chkRunup);
    if (values_.chkRunup == 1) form_->show();  // topmost by its window flags

    AddNotifyIcon();
    registry_.RefreshClassList();
    // Only a complete start-up may be written back.
    loaded_ = true;
}

// The stored position is the window's top-left relative to the primary screen. A window that
// would lie wholly off every screen (a monitor removed since) is centred on the primary screen
// instead, since a window without a task-bar entry could not be reached there.
void MainProgram::PlaceWindow(const settings::StoredSettings& stored) {
    const QPointF storedTwips(stored.FormSetX, stored.FormSetY);
    const QPointF storedPixels = QPointF(primaryOrigin_) + storedTwips / kTwipsPerPixel;
    const QSizeF windowPixels(Px(kCollapsedOuterWidthTwips), Px(kDesignedHeightTwips));
    const QPointF placed =
        settings::PlaceOnScreen(storedPixels, windowPixels, ScreenRects(), QRectF(PrimaryScreenRect()));
    placedPixels_ = placed.toPoint();
    placedTwips_ =
        placed == storedPixels ? storedTwips : QPointF(placedPixels_ - primaryOrigin_) * kTwipsPerPixel;
    form_->move(placedPixels_);
    lastPosition_ = placedPixels_;
}

// Setting a control raises its handler only when its value changes: every box starts clear, so
// exactly the handlers of the boxes that become ticked run, in this order. The window's controls
// are not made for this: a program started hidden does without them until the window is shown.
void MainProgram::ApplyControls(const settings::StoredSettings& stored) {
    using V = core::ControlValues;
    form_->SetPixels(stored.lngPixels);
    for (const int index : settings::ZoneTogglesToTick(stored.MousePosi))
        form_->SetZoneToggle(index, 1);
    form_->SetCheckValue(&V::chkShift, stored.chkShift);
    form_->SetCheckValue(&V::chkScrollLock, stored.chkScrollLock);
    form_->SetCheckValue(&V::chkTrigMouse, stored.chkTrigMouse);
    form_->SetCheckValue(&V::chkTrigKey, stored.chkTrigKey);
    form_->SetCheckValue(&V::chkLock, stored.chkLock);
    values_.PassHash = stored.PassHash;
    // Without a password the box stays disabled, ticked or not.
    form_->SetLockEnabled(!values_.PassHash.isEmpty());
    form_->SetCheckValue(&V::chkMute, stored.chkMute);
    form_->SetCheckValue(&V::chkMuteAuto, stored.chkMuteAuto);
    form_->SetCheckValue(&V::chkIE, stored.chkIE);
    registry_.SetClassList(stored.ClassList);
}

void MainProgram::AddNotifyIcon() {
    trayIconData_.cbSize = 88;
    trayIconData_.hWnd = static_cast<core::WindowHandle>(form_->winId());
    trayIconData_.uID = 1;
    trayIconData_.uFlags = 7;
    trayIconData_.uCallbackMessage = 0x200;
    trayIconData_.hIcon = values_.imgIcon[0];
    trayIconData_.szTip = EmptyTip();
    platform_.notifyIcon.Add(trayIconData_);
}

}  // namespace ui
