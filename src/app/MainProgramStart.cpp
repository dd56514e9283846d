// Start-up: the settings file into the main window's controls, in the order in which their
// handlers must run, then the icons, the window and the notification icon.
#include <QGuiApplication>
#include <QList>
#include <QRectF>
#include <QScreen>

#include "app/MainProgram.h"
#include "settings/IniFile.h"
#include "settings/SettingsModel.h"
#include "ui/FormLook.h"

namespace app {

namespace {

QRect primaryScreenRect() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary != nullptr ? primary->geometry() : QRect();
}

QList<QRectF> screenRects() {
    QList<QRectF> rects;
    for (const QScreen* screen : QGuiApplication::screens())
        rects.append(QRectF(screen->geometry()));
    return rects;
}

// The record's tip: a NUL and 63 blanks, the empty tip.

}  // namespace

void MainProgram::start() {
    if (loaded_ || unloaded_) return;
    // The main window is a tool window that asks to stay out of task bars (ui::MainWindow): the program
    // has no task-list entry. It is built collapsed, its corner indicators hidden.
    const QRect primary = primaryScreenRect();
    primaryOrigin_ = primary.topLeft();
    const settings::StoredSettings stored = settings::readStoredSettings(
        settings::IniFile(settingsPath_), QSizeF(primary.size()) * ui::kTwipsPerPixel,
        QSizeF(kDesignedWidthTwips, kDesignedHeightTwips));
    placeWindow(stored);
    applyControls(stored);
    decoy_.loadStored(0, stored.pictureFiles[0]);
    decoy_.loadStored(1, stored.pictureFiles[1]);
    // The corner indicators are above every other window by their window flags (CornerIndicator).

    form_->setCheckValue(&core::ControlValues::showAtStartBox, stored.showAtStartBox);
    if (values_.showAtStartBox == 1) form_->show();  // topmost by its window flags

    showTrayIcon();
    registry_.refreshClassList();
    // Only a complete start-up may be written back.
    loaded_ = true;
    // The triggers as the settings set them, also a pointer that already rests in a zone.
    cycleDriver_.evaluateSoon();
}

// The stored position is the window's top-left relative to the primary screen. A window that
// would lie wholly off every screen (a monitor removed since) is centred on the primary screen
// instead, since a window without a task-bar entry could not be reached there.
void MainProgram::placeWindow(const settings::StoredSettings& stored) {
    const QPointF storedTwips(stored.windowX, stored.windowY);
    const QPointF storedPixels = QPointF(primaryOrigin_) + storedTwips / ui::kTwipsPerPixel;
    const QSizeF windowPixels(ui::px(kCollapsedOuterWidthTwips), ui::px(kDesignedHeightTwips));
    const QPointF placed =
        settings::placeOnScreen(storedPixels, windowPixels, screenRects(), QRectF(primaryScreenRect()));
    placedPixels_ = placed.toPoint();
    placedTwips_ =
        placed == storedPixels ? storedTwips : QPointF(placedPixels_ - primaryOrigin_) * ui::kTwipsPerPixel;
    form_->move(placedPixels_);
    lastPosition_ = placedPixels_;
}

// Setting a control raises its handler only when its value changes: every box starts clear, so
// exactly the handlers of the boxes that become ticked run, in this order. The window's controls
// are not made for this: a program started hidden does without them until the window is shown.
void MainProgram::applyControls(const settings::StoredSettings& stored) {
    using V = core::ControlValues;
    form_->setPixels(stored.zoneThickness);
    for (const int index : settings::zoneTogglesToTick(stored.zoneMask))
        form_->setZoneToggle(index, 1);
    form_->setCheckValue(&V::shiftBox, stored.shiftBox);
    form_->setCheckValue(&V::scrollLockBox, stored.scrollLockBox);
    form_->setCheckValue(&V::holdMouseBox, stored.holdMouseBox);
    form_->setCheckValue(&V::holdKeyBox, stored.holdKeyBox);
    form_->setCheckValue(&V::lockBox, stored.lockBox);
    values_.passwordDigest = stored.passwordDigest;
    // Without a password the box stays disabled, ticked or not.
    form_->setLockEnabled(!values_.passwordDigest.isEmpty());
    form_->setCheckValue(&V::muteBox, stored.muteBox);
    form_->setCheckValue(&V::muteRestoreBox, stored.muteRestoreBox);
    form_->setCheckValue(&V::discoverBox, stored.discoverBox);
    registry_.setClassList(stored.classNames);
}

void MainProgram::showTrayIcon() {
    platform_.trayIcon.show(values_.pictures[0]);
}

}  // namespace app
