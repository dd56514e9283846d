#pragma once

#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <functional>
#include <memory>

#include "app/CycleDriver.h"
#include "app/DecoyIcons.h"
#include "app/TargetPicking.h"
#include "app/ThreadedMuteRetry.h"
#include "app/TrayClicks.h"
#include "core/ConcealmentCycle.h"
#include "core/ControlValues.h"
#include "core/CycleFlags.h"
#include "core/MuteSwitch.h"
#include "core/Prompter.h"
#include "core/SoundOutput.h"
#include "core/TargetRegistry.h"
#include "core/TrayIcon.h"
#include "core/WindowServices.h"
#include "platform/qt/PictureStore.h"
#include "ui/MainWindow.h"
#include "ui/PasswordPrompt.h"

namespace settings {
struct StoredSettings;
}

namespace app {

// The main window's outer size as designed, at its full (expanded) width: start-up centres a
// window of this size when no position is stored. The height is the client area with a 3-pixel
// dialog border above and below and a 19-pixel caption.
inline constexpr int kDesignedWidthTwips = 6840;
inline constexpr int kDesignedHeightTwips = ui::kClientHeightTwips + 2 * 45 + 285;
// The collapsed window's outer width, the width every start shows.
inline constexpr int kCollapsedOuterWidthTwips = 3810;

// The whole program: the main window with every part that lives as long as it (the target
// registry, the concealment cycle with its flags and its timer, the picker, the notification-icon
// record, the password prompt, the decoy icons, the tray's clicks), what the window's commands do,
// its start-up from the settings file (start) and its shut-down (shutDown). The platform services
// are made by main() and handed in, so that tests run the same start-up and shut-down with fakes.
class MainProgram final : public QObject, private TrayClickTarget {
    Q_OBJECT

public:
    struct Platform {
        core::WindowServices& services;
        core::SoundOutput& sound;
        qtplatform::PictureStore& pictures;
        core::TrayIcon& trayIcon;
        core::Prompter& prompter;
        IconFileChooser& iconFiles;
    };

    // settingsPath: the settings file, read at start and written at shutDown.
    MainProgram(const Platform& platform, QString settingsPath);
    ~MainProgram() override;

    // Start-up: the settings into the controls, the icons, the window shown or left hidden as
    // "起動時画面表示" says, the notification icon added. Once; no password is asked.
    void start();
    // Shut-down: the windows concealed at this moment come back, every setting is written, the icon
    // is removed, and onEnd is called. Runs once whatever calls it ("終了", a signal, the session's
    // end, the X connection lost); later calls do nothing. Before start it only calls onEnd.
    void shutDown();
    bool loaded() const { return loaded_; }
    bool unloaded() const { return unloaded_; }

    // The end of the program (main: leave the event loop). Nothing of the program runs after it.
    std::function<void()> onEnd;

    // Writes the settings unless they were written already: the shut-down's write, also the last
    // resort when the process is about to end without a shut-down. Reads no window-system state.
    void saveSettingsOnce();
    // Writes the settings as they are now, and nothing else: the session manager's request to save
    // (a checkpoint, or a log-out that may yet be cancelled). The program goes on.
    void saveSettings();

    // A later start of the program asks for the main window: the tray's right click.
    void openRequest() {
        if (!unloaded_) tray_.openRequest();
    }

    ui::MainWindow& form() { return *form_; }
    CycleDriver& cycleDriver() { return cycleDriver_; }
    TargetPicking& picking() { return picking_; }
    core::ControlValues& values() { return values_; }
    core::CycleFlags& flags() { return flags_; }
    core::TargetRegistry& registry() { return registry_; }
    core::ConcealmentCycle& cycle() { return cycle_; }
    TrayClicks& tray() { return tray_; }
    DecoyIcons& icons() { return decoy_; }
    ui::PasswordPrompt& prompt() { return prompt_; }
    const QString& settingsPath() const { return settingsPath_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectCommands();
    void onPasswordClicked();
    void onAboutClicked();
    void placeWindow(const settings::StoredSettings& stored);
    void applyControls(const settings::StoredSettings& stored);
    void showTrayIcon();
    // The window's top-left in twips relative to the primary screen, as the settings store it.
    QPointF positionTwips() const;

    // TrayClickTarget
    bool modalDialogOpen() override;
    bool mainWindowVisible() override;
    bool promptOpen() override;
    bool checkPassword() override;
    void openMainWindow() override;

    Platform platform_;
    QString settingsPath_;

    core::ControlValues values_;
    core::CycleFlags flags_;
    core::MuteSwitch mute_;
    ThreadedMuteRetry muteRetry_;
    core::TargetRegistry registry_;
    core::ConcealmentCycle cycle_;
    std::unique_ptr<ui::MainWindow> form_;
    CycleDriver cycleDriver_;
    TargetPicking picking_;
    ui::PasswordPrompt prompt_;
    DecoyIcons decoy_;
    TrayClicks tray_;

    bool loaded_ = false;
    bool unloaded_ = false;
    bool settingsSaved_ = false;

    // Where start-up put the window: in pixels (global), and in twips as it will be stored while
    // the window stays there, so that an unmoved window writes back exactly the stored text.
    QPoint placedPixels_;
    QPointF placedTwips_;
    QPoint primaryOrigin_;
    // The window's position at its last move, for a shut-down that cannot ask the window system.
    QPoint lastPosition_;
};

}  // namespace app
