// zelmora2nd: builds the real services (X11, libpulse, the tray icon, Qt's dialogs), runs the
// start-up, then the event loop until the shut-down has run.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include <malloc.h>

#include "app/CommandLine.h"
#include "app/DecoyIcons.h"
#include "app/ExitSave.h"
#include "app/MainProgram.h"
#include "app/MainPrompter.h"
#include "app/ShutdownSignals.h"
#include "app/SingleInstance.h"
#include "platform/pulse/PulseSoundOutput.h"
#include "platform/qt/PictureStore.h"
#include "platform/qt/QtTranslation.h"
#include "platform/qt/QtTrayIcon.h"
#include "platform/x11/X11WindowServices.h"
#include "settings/IniFile.h"
#include "settings/SettingsLocation.h"

namespace {

const char* displayName() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr ? display : "";
}

// A second start on the same settings file and display opens the running program's window.
int handOverToRunningProgram(app::SingleInstance& instance) {
    if (instance.askToShow(std::chrono::seconds(5))) {
        std::fprintf(stderr, "zelmora2nd: already running; its window opens.\n");
    } else {
        std::fprintf(stderr, "zelmora2nd: already running (it did not answer).\n");
    }
    return 0;
}

// --help and --version answer without a display; anything else on the command line is an error.
// Gives the exit status when the program must end here.
std::optional<int> answerCommandLine(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const app::CommandLine command = app::parseCommandLine(arguments);
    switch (command.action) {
        case app::CommandLine::Action::Run:
            return std::nullopt;
        case app::CommandLine::Action::ShowHelp:
            std::fputs(app::helpText(settings::settingsLocation().path).toLocal8Bit().constData(), stdout);
            return 0;
        case app::CommandLine::Action::ShowVersion:
            std::fputs(app::versionText(settings::settingsLocation().path).toLocal8Bit().constData(), stdout);
            return 0;
        case app::CommandLine::Action::Error:
            std::fprintf(stderr, "zelmora2nd: %s\n%s", command.error.toLocal8Bit().constData(),
                         app::usageLine().toLocal8Bit().constData());
            return 2;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (const std::optional<int> status = answerCommandLine(argc, argv)) return *status;
    // The program works on X11 (X11 programs under XWayland too): its own windows must be X11
    // windows as well.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
    std::unique_ptr<core::x11::X11WindowServices> services = core::x11::createX11WindowServices();
    if (!services) {
        std::fprintf(stderr,
                     "zelmora2nd: cannot connect to the X server (DISPLAY=\"%s\"). Zelmora2nd needs an X11 "
                     "session.\n",
                     displayName());
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QGuiApplication::setDesktopFileName(QStringLiteral("zelmora2nd"));
    qtplatform::installJapaneseQtTexts(app);

    const settings::SettingsLocation location = settings::settingsLocation();
    settings::prepareSettingsFile(location);
    const QString settingsPath = location.path;
    if (const std::optional<QString> problem = settings::IniFile(settingsPath).readProblem()) {
        std::fprintf(stderr,
                     "zelmora2nd: the settings file %s cannot be read (%s): the defaults are used, and the "
                     "file is left as it is.\n",
                     QFile::encodeName(settingsPath).constData(), problem->toLocal8Bit().constData());
    }
    app::SingleInstance instance(settingsPath, QString::fromLocal8Bit(displayName()),
                                 app::SingleInstance::defaultRuntimeDir());
    if (!instance.tryLock()) return handOverToRunningProgram(instance);
    instance.listen();

    pulse::PulseSoundOutput sound;
    qtplatform::PictureStore pictures;
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("zelmora2nd"),
                                                 pictures.icon(qtplatform::PictureStore::kStandbyPicture)));
    qtplatform::QtTrayIcon trayIcon(pictures);
    app::MainPrompter prompter;
    app::QtIconFileChooser iconFiles;
    app::MainProgram program({*services, sound, pictures, trayIcon, prompter, iconFiles}, settingsPath);
    prompter.setOwner(&program.form());
    iconFiles.setOwner(&program.form());

    int exitCode = 0;
    program.onEnd = [&exitCode] { QCoreApplication::exit(exitCode); };
    const auto shutDown = [&program] { program.shutDown(); };

    // The X server gone: nothing can be restored any more (the server maps the windows we withdrew
    // when our connection closes), but the settings are still written, at once: Qt ends the process
    // as soon as it notices the loss on its own connection, before a queued call would run.
    services->setConnectionLostHandler([&app, &exitCode, &program, shutDown] {
        std::fprintf(stderr, "zelmora2nd: the connection to the X server was lost.\n");
        exitCode = 1;
        program.saveSettingsOnce();
        QMetaObject::invokeMethod(&app, shutDown, Qt::QueuedConnection);
    });
    QSocketNotifier xEvents(services->fileDescriptor(), QSocketNotifier::Read);
    QObject::connect(&xEvents, &QSocketNotifier::activated, &app, [&services, &xEvents] {
        services->processEvents();
        // A closed connection stays readable: stop watching it.
        if (services->connectionLost()) xEvents.setEnabled(false);
    });
    // A restore waiting for the window manager moves on when the wait ends, also without events.
    QTimer restoreStep;
    restoreStep.setSingleShot(true);
    restoreStep.setTimerType(Qt::PreciseTimer);
    QObject::connect(&restoreStep, &QTimer::timeout, &app, [&services] {
        if (!services->connectionLost()) services->processEvents();
    });
    // Events that arrived while a call waited for its reply wait in xcb's queue, where the socket no
    // longer shows them: they are handled before the event loop sleeps.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &xEvents,
                     [&services, &restoreStep] {
                         if (services->connectionLost()) return;
                         services->processEvents();
                         if (const auto wait = services->timeUntilNextStep()) {
                             restoreStep.start(*wait);
                         } else {
                             restoreStep.stop();
                         }
                     });

    app::ShutdownSignals shutdownSignals([shutDown](int) { shutDown(); });
    // The session manager asks for a save at a checkpoint and before a log-out, which may yet be
    // cancelled: the settings are written and the program goes on. The session's real end quits
    // the application (aboutToQuit).
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [&program](QSessionManager&) { program.saveSettings(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, shutDown);
    instance.onShowRequest = [&program] { program.openRequest(); };

    program.start();
    // Start-up frees much of what it used, but glibc keeps freed pages in the process until asked:
    // they go back once the tray icon has docked and the first events have passed.
    QTimer::singleShot(std::chrono::seconds(2), &app, [] { malloc_trim(0); });
    const app::ExitSave exitSave(program);  // Qt may end the process through exit()
    if (!program.unloaded()) app.exec();
    program.shutDown();
    return exitCode;
}
