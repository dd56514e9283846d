// Shut-down: the concealed windows back, the settings written, the icon removed, the end.
#include "settings/IniFile.h"
#include "settings/SettingsModel.h"
#include "ui/FormLook.h"
#include "ui/MainProgram.h"

namespace ui {

void MainProgram::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    // No tick, drag step or tray event runs from here on, also not in the event loops of dialogs
    // that are still open.
    form_->tmrActive().stop();
    form_->tmrTarget().stop();

    if (loaded_) {
        lastPosition_ = form_->pos();
        cycle_.RestoreAllForShutdown();
        SaveSettingsOnce();
        platform_.notifyIcon.Delete(trayIconData_);
    }
    form_->HideIndicators();
    form_->hide();
    if (onEnd) onEnd();
}

void MainProgram::SaveSettingsOnce() {
    // Before start-up nothing was read: writing would replace the user's settings with defaults.
    if (!loaded_ || settingsSaved_) return;
    settingsSaved_ = true;
    settings::WriteStoredSettings(
        settings::IniFile(settingsPath_),
        settings::CollectStoredSettings(values_, PositionTwips(), values_.lngPixels, registry_.ClassList()));
}

QPointF MainProgram::PositionTwips() const {
    if (lastPosition_ == placedPixels_) return placedTwips_;
    return QPointF(lastPosition_ - primaryOrigin_) * kTwipsPerPixel;
}

}  // namespace ui
