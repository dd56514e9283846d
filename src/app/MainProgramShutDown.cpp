// Shut-down: the concealed windows back, the settings written, the icon removed, the end.
#include "app/MainProgram.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "settings/IniFile.h"
#include "settings/SettingsModel.h"
#include "ui/FormLook.h"

namespace app {

void MainProgram::shutDown() {
    if (unloaded_) return;
    unloaded_ = true;
    // No tick, drag step or tray event runs from here on, also not in the event loops of dialogs
    // that are still open.
    cycleDriver_.end();
    picking_.trackingTimer().stop();

    if (loaded_) {
        lastPosition_ = form_->pos();
        cycle_.restoreAllForShutdown();
        saveSettingsOnce();
        platform_.trayIcon.hide();
    }
    form_->hideIndicators();
    form_->hide();
    if (onEnd) onEnd();
}

void MainProgram::saveSettingsOnce() {
    if (!loaded_ || settingsSaved_) return;
    settingsSaved_ = true;
    saveSettings();
}

void MainProgram::saveSettings() {
    // Before start-up nothing was read: writing would replace the user's settings with defaults.
    if (!loaded_) return;
    errno = 0;
    const bool written = settings::writeStoredSettings(
        settings::IniFile(settingsPath_),
        settings::collectStoredSettings(values_, positionTwips(), values_.zoneThickness,
                                        registry_.classNames()));
    if (!written) {
        // The user's file is left as it was; say so, as the changes of this run are lost.
        const int error = errno;
        std::fprintf(stderr, "zelmora2nd: the settings were not written to %s: %s\n",
                     QFile::encodeName(settingsPath_).constData(),
                     error != 0 ? std::strerror(error) : "the file cannot be replaced");
    }
}

QPointF MainProgram::positionTwips() const {
    if (lastPosition_ == placedPixels_) return placedTwips_;
    return QPointF(lastPosition_ - primaryOrigin_) * ui::kTwipsPerPixel;
}

}  // namespace app
