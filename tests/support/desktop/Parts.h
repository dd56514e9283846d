#pragma once

// Parts of the headless desktop that a test runs itself, so that it can hang, kill, end and start
// them again under the program: the tray host (trayer), the sound server (pulseaudio) and a whole
// X display with its window manager. They start with the command lines of
// scripts/headless-desktop.sh; a test binary that runs its own tray host or sound server runs on a
// desktop started without it (--no-tray, --no-sound).

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>

namespace desktoptest {

class DesktopPart {
public:
    // Stops the part (a paused part is resumed first, so that it can end).
    virtual ~DesktopPart();
    DesktopPart(const DesktopPart&) = delete;
    DesktopPart& operator=(const DesktopPart&) = delete;

    // Starts the part (again, after it ended) and waits (at most 15 s) for its sign of readiness;
    // false when it did not come or the part died.
    bool start();
    bool running() const;
    std::uint32_t pid() const;
    // SIGSTOP: the part hangs with its sockets and windows open, as a server that stopped answering.
    void pause();
    void resume();
    // Sends signalNumber and waits until the part has ended (SIGKILL after 5 s).
    void end(int signalNumber);

protected:
    DesktopPart() = default;
    virtual QString program() const = 0;
    virtual QStringList arguments() const = 0;
    // The test's environment with HOME set to a private folder, which stays the same across starts.
    virtual QProcessEnvironment environment(const QString& home) const;
    virtual bool ready() = 0;

private:
    QTemporaryDir home_;
    QProcess process_;
    bool paused_ = false;
};

// trayer, docked at the top right like the headless desktop's; ready when it owns the tray
// selection of $DISPLAY.
class TrayHost final : public DesktopPart {
public:
private:
    QString program() const override;
    QStringList arguments() const override;
    bool ready() override;
};

// pulseaudio with a null sink as the default sink, listening where $PULSE_SERVER points (the
// headless desktop started with --no-sound points it at a socket where nothing listens); ready
// when pactl answers. Started again, it listens on the same socket, so the program under test
// finds the new server with the environment it started with.
class SoundServer final : public DesktopPart {
private:
    QString program() const override;
    QStringList arguments() const override;
    QProcessEnvironment environment(const QString& home) const override;
    bool ready() override;
};

// An X display of the test's own (Xvfb, 1024x768) with openbox, which a test can take away under
// a program. Stopped at destruction.
class PrivateDesktop {
public:
    PrivateDesktop();
    ~PrivateDesktop();
    PrivateDesktop(const PrivateDesktop&) = delete;
    PrivateDesktop& operator=(const PrivateDesktop&) = delete;

    // The X server answers and the window manager runs.
    bool ready() const { return ready_; }
    QString name() const;  // ":N"
    // The test's environment with DISPLAY set to this display.
    QProcessEnvironment environment() const;
    // Ends the X server with signalNumber and waits until it is gone; a killed server's socket and
    // lock file are removed.
    void endServer(int signalNumber);

private:
    bool startServer();
    bool startWindowManager();

    QTemporaryDir home_;
    QProcess server_;
    QProcess windowManager_;
    QByteArray number_;
    bool ready_ = false;
};

// A part of the headless desktop stopped (SIGSTOP) for the object's life: it answers nothing, as a
// program busy elsewhere, and catches up when it goes on (SIGCONT).
class PausedPart {
public:
    // `name` as $ZEL_DESKTOP_STATE/pids records it: "openbox", "pulseaudio", "pipewire-pulse" ...
    // With `xClient`, the part is never left stopped while it holds a grab of the X server (xfwm4
    // grabs it while it frames a window), which would stop every other client with it: then it
    // goes on for a moment and is stopped again.
    explicit PausedPart(const QString& name, bool xClient = false);
    ~PausedPart();
    PausedPart(const PausedPart&) = delete;
    PausedPart& operator=(const PausedPart&) = delete;

    // False when the desktop has no such part.
    bool paused() const { return pid_ > 0; }

private:
    int pid_ = 0;
};

// The desktop's window manager, paused.
class PausedWindowManager : public PausedPart {
public:
    PausedWindowManager() : PausedPart(qEnvironmentVariable("ZEL_DESKTOP_WM"), true) {}
};

// The process that serves the pulse protocol on the desktop: pulseaudio, or PipeWire's
// pipewire-pulse; paused.
class PausedSoundServer : public PausedPart {
public:
    PausedSoundServer()
        : PausedPart(qEnvironmentVariable("ZEL_DESKTOP_SOUND") == QStringLiteral("pipewire")
                         ? QStringLiteral("pipewire-pulse")
                         : qEnvironmentVariable("ZEL_DESKTOP_SOUND")) {}
};

}  // namespace desktoptest
