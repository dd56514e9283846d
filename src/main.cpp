// zelmora2nd: builds the real services (X11, libpulse, the tray icon, Qt's dialogs), runs the
// start-up, then the event loop until the shut-down has run.
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <malloc.h>

#include "audio/PulseMixerDevice.h"
#include "core/x11/X11WindowServices.h"
#include "settings/IniFile.h"
#include "ui/DecoyIcons.h"
#include "ui/ExitSave.h"
#include "ui/MainProgram.h"
#include "ui/MainPrompter.h"
#include "ui/ShutdownSignals.h"
#include "ui/SingleInstance.h"
#include "ui/tray/PictureStore.h"
#include "ui/tray/QtNotifyIcon.h"

namespace {

const char* DisplayName() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr ? display : "";
}

// A second start on the same settings file and display opens the running program's window.
int HandOverToRunningProgram(ui::SingleInstance& instance) {
    if (instance.AskToShow(std::chrono::seconds(5))) {
        std::fprintf(stderr, "zelmora2nd: already running; its window opens.\n");
    } else {
        std::fprintf(stderr, "zelmora2nd: already running (it did not answer).\n");
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    // The program works on X11 (X11 programs under XWayland too): its own windows must be X11
    // windows as well.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
    std::unique_ptr<core::x11::X11WindowServices> services = core::x11::CreateX11WindowServices();
    if (!services) {
        std::fprintf(stderr,
                     "zelmora2nd: cannot connect to the X server (DISPLAY=\"%s\"). Zelmora2nd needs an X11 "
                     "session.\n",
                     DisplayName());
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QGuiApplication::setDesktopFileName(QStringLiteral("zelmora2nd"));

    const QString settingsPath = settings::SettingsFilePath();
    ui::SingleInstance instance(settingsPath, QString::fromLocal8Bit(DisplayName()),
                                ui::SingleInstance::DefaultRuntimeDir());
    if (!instance.TryLock()) return HandOverToRunningProgram(instance);
    instance.Listen();

    audio::PulseMixerDevice mixerDevice;
    ui::PictureStore pictures;
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("zelmora2nd"), pictures.Icon(ui::PictureStore::kStandbyPicture)));
    ui::QtNotifyIcon notifyIcon(pictures);
    ui::MainPrompter prompter;
    ui::QtIconFileChooser iconFiles;
    ui::MainProgram program({*services, mixerDevice, pictures, notifyIcon, prompter, iconFiles},
                            settingsPath);
    prompter.SetOwner(&program.Form());
    iconFiles.SetOwner(&program.Form());

    int exitCode = 0;
    program.onEnd = [&exitCode] { QCoreApplication::exit(exitCode); };
    const auto shutDown = [&program] { program.Form_Unload(); };

    // The X server gone: nothing can be restored any more (the server maps the windows we withdrew
    // when our connection closes), but the settings are still written, at once: Qt ends the process
    // as soon as it notices the loss on its own connection, before a queued call would run.
    services->setConnectionLostHandler([&app, &exitCode, &program, shutDown] {
        std::fprintf(stderr, "zelmora2nd: the connection to the X server was lost.\n");
        exitCode = 1;
        program.SaveSettingsOnce();
        QMetaObject::invokeMethod(&app, shutDown, Qt::QueuedConnection);
    });
    QSocketNotifier xEvents(services->fileDescriptor(), QSocketNotifier::Read);
    QObject::connect(&xEvents, &QSocketNotifier::activated, &app, [&services, &xEvents] {
        services->processEvents();
        // A closed connection stays readable: stop watching it.
        if (services->connectionLost()) xEvents.setEnabled(false);
    });

    ui::ShutdownSignals shutdownSignals([shutDown](int) { shutDown(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [shutDown](QSessionManager&) { shutDown(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, shutDown);
    instance.onShowRequest = [&program] { program.OpenRequest(); };

    program.Form_Load();
    // Start-up frees much of what it used, but glibc keeps freed pages in the process until asked:
    // they go back once the tray icon has docked and the first events have passed.
    QTimer::singleShot(std::chrono::seconds(2), &app, [] { malloc_trim(0); });
    const ui::ExitSave exitSave(program);  // Qt may end the process through exit()
    if (!program.Unloaded()) app.exec();
    program.Form_Unload();
    return exitCode;
}
