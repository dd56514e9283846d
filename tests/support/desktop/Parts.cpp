#include "support/desktop/Parts.h"

#include <poll.h>
#include <signal.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <QFile>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "support/desktop/Observer.h"
#include "support/desktop/Tools.h"
#include "support/desktop/Wait.h"

namespace desktoptest {

namespace {

// The first CARDINAL of a root property of display; 0 when unset or the display does not answer.
std::uint32_t rootCardinal(const QByteArray& display, const char* property) {
    Observer observer(display.constData());
    if (!observer.connected()) return 0;
    const std::vector<std::uint32_t> values = observer.values(observer.root(), property, XCB_ATOM_CARDINAL);
    return values.empty() ? 0 : values.front();
}

// openbox announces itself (_OPENBOX_PID, _NET_SUPPORTING_WM_CHECK) a moment before it handles
// requests: a window mapped in that moment is never managed (seen in 1 of 20 starts). The window
// manager is ready once a probe window of our own is managed; the probe's map is asked again while
// it is not.
bool probeWindowManaged(const QByteArray& display) {
    Observer observer(display.constData());
    if (!observer.connected()) return false;
    xcb_connection_t* c = observer.xcb();
    const xcb_window_t probe = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, observer.root(), 0, 0, 16, 16, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    auto lastMap = std::chrono::steady_clock::time_point{};
    const bool managed = waitUntil(
        [&] {
            if (std::chrono::steady_clock::now() - lastMap > std::chrono::milliseconds(250)) {
                xcb_map_window(c, probe);
                xcb_flush(c);
                lastMap = std::chrono::steady_clock::now();
            }
            return observer.wmState(probe).has_value();
        },
        std::chrono::seconds(15));
    xcb_destroy_window(c, probe);
    xcb_flush(c);
    return managed;
}

void endProcess(QProcess& process, int signalNumber) {
    if (process.state() == QProcess::NotRunning) return;
    ::kill(static_cast<pid_t>(process.processId()), signalNumber);
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

}  // namespace

DesktopPart::~DesktopPart() {
    end(SIGTERM);
}

bool DesktopPart::start() {
    if (running()) return true;
    process_.setProcessEnvironment(environment(home_.path()));
    process_.setStandardOutputFile(home_.filePath(QStringLiteral("output.log")), QIODevice::Append);
    process_.setStandardErrorFile(home_.filePath(QStringLiteral("output.log")), QIODevice::Append);
    process_.start(program(), arguments());
    if (!process_.waitForStarted(10000)) return false;
    paused_ = false;
    waitUntil(
        [this] {
            if (ready()) return true;
            process_.waitForFinished(0);  // lets QProcess notice a part that died while starting
            return !running();
        },
        std::chrono::seconds(15));
    return running() && ready();
}

bool DesktopPart::running() const {
    return process_.state() == QProcess::Running;
}

std::uint32_t DesktopPart::pid() const {
    return static_cast<std::uint32_t>(process_.processId());
}

void DesktopPart::pause() {
    if (!running()) return;
    ::kill(static_cast<pid_t>(process_.processId()), SIGSTOP);
    paused_ = true;
}

void DesktopPart::resume() {
    if (!running()) return;
    ::kill(static_cast<pid_t>(process_.processId()), SIGCONT);
    paused_ = false;
}

void DesktopPart::end(int signalNumber) {
    if (paused_) resume();
    endProcess(process_, signalNumber);
}

QProcessEnvironment DesktopPart::environment(const QString& home) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    return env;
}

bool TrayHost::ready() {
    return Observer().trayHostPresent();
}

QString TrayHost::program() const {
    return QStringLiteral("trayer");
}

QStringList TrayHost::arguments() const {
    return QStringList{QStringLiteral("--edge"),
                       QStringLiteral("top"),
                       QStringLiteral("--align"),
                       QStringLiteral("right"),
                       QStringLiteral("--widthtype"),
                       QStringLiteral("request"),
                       QStringLiteral("--height"),
                       QStringLiteral("24"),
                       QStringLiteral("--SetDockType"),
                       QStringLiteral("true"),
                       QStringLiteral("--SetPartialStrut"),
                       QStringLiteral("true"),
                       QStringLiteral("--transparent"),
                       QStringLiteral("false"),
                       QStringLiteral("--expand"),
                       QStringLiteral("true")};
}

QString SoundServer::program() const {
    return QStringLiteral("pulseaudio");
}

QStringList SoundServer::arguments() const {
    const QString server = qEnvironmentVariable("PULSE_SERVER");
    const QString socket = server.startsWith(QStringLiteral("unix:")) ? server.mid(5) : QString();
    return QStringList{QStringLiteral("-n"),
                       QStringLiteral("--daemonize=no"),
                       QStringLiteral("--exit-idle-time=-1"),
                       QStringLiteral("--system=false"),
                       QStringLiteral("-L"),
                       QStringLiteral("module-null-sink"),
                       QStringLiteral("-L"),
                       QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket};
}

// Without DISPLAY: it would otherwise load X11 modules and publish itself there. Its own runtime
// folder keeps its pid file away from every other sound server.
QProcessEnvironment SoundServer::environment(const QString& home) const {
    QProcessEnvironment env = DesktopPart::environment(home);
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    return env;
}

bool SoundServer::ready() {
    int status = -1;
    runTool(QStringLiteral("pactl"), {QStringLiteral("info")}, &status);
    return status == 0 && runTool(QStringLiteral("pactl"), {QStringLiteral("get-default-sink")})
                              .contains(QStringLiteral("null"));
}

PrivateDesktop::PrivateDesktop() {
    ready_ = startServer() && startWindowManager();
}

PrivateDesktop::~PrivateDesktop() {
    endProcess(windowManager_, SIGTERM);
    endServer(SIGTERM);
}

QString PrivateDesktop::name() const {
    return QStringLiteral(":") + QString::fromLatin1(number_);
}

QProcessEnvironment PrivateDesktop::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), name());
    return env;
}

bool PrivateDesktop::startServer() {
    // -displayfd: the server picks a free display and writes its number once it accepts clients.
    server_.start(QStringLiteral("Xvfb"),
                  {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                   QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                   QStringLiteral("tcp"), QStringLiteral("-noreset")});
    if (!server_.waitForStarted(10000)) return false;
    waitUntil(
        [&] {
            server_.waitForReadyRead(50);
            number_ += server_.readAllStandardOutput();
            return number_.contains('\n') || server_.state() == QProcess::NotRunning;
        },
        std::chrono::seconds(15));
    number_ = number_.trimmed();
    return !number_.isEmpty() && server_.state() == QProcess::Running;
}

bool PrivateDesktop::startWindowManager() {
    const QString rc = home_.filePath(QStringLiteral("openbox-rc.xml"));
    QFile file(rc);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<openbox_config xmlns=\"http://openbox.org/3.4/rc\">\n"
        "  <theme><animateIconify>no</animateIconify></theme>\n"
        "</openbox_config>\n");
    file.close();
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("HOME"), home_.path());
    windowManager_.setProcessEnvironment(env);
    windowManager_.setStandardOutputFile(QProcess::nullDevice());
    windowManager_.setStandardErrorFile(QProcess::nullDevice());
    windowManager_.start(QStringLiteral("openbox"),
                         {QStringLiteral("--sm-disable"), QStringLiteral("--config-file"), rc});
    if (!windowManager_.waitForStarted(10000)) return false;
    const auto pid = static_cast<std::uint32_t>(windowManager_.processId());
    const QByteArray display = name().toLatin1();
    return waitUntil([&] { return rootCardinal(display, "_OPENBOX_PID") == pid; },
                     std::chrono::seconds(15)) &&
           probeWindowManaged(display);
}

void PrivateDesktop::endServer(int signalNumber) {
    if (server_.state() == QProcess::NotRunning) return;
    endProcess(server_, signalNumber);
    // A server that could not clean up leaves its socket and lock file, which would keep the
    // display number taken.
    if (!number_.isEmpty() && !Observer(name().toLatin1().constData()).connected()) {
        QFile::remove(QStringLiteral("/tmp/.X11-unix/X") + QString::fromLatin1(number_));
        QFile::remove(QStringLiteral("/tmp/.X") + QString::fromLatin1(number_) + QStringLiteral("-lock"));
    }
}

// scripts/headless-desktop.sh records each part as "NAME PID START" in $ZEL_DESKTOP_STATE/pids;
// the window manager's name is $ZEL_DESKTOP_WM.
namespace {

// Whether the X server answers a round trip on `connection` within `limit`.
bool serverAnswers(xcb_connection_t* connection, std::chrono::milliseconds limit) {
    const auto cookie = xcb_get_input_focus(connection);
    xcb_flush(connection);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (xcb_poll_for_reply(connection, cookie.sequence, &reply, &error) != 0) {
            std::free(reply);
            std::free(error);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || xcb_connection_has_error(connection) != 0) return false;
        pollfd fd{xcb_get_file_descriptor(connection), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left.count()));
    }
}

}  // namespace

PausedPart::PausedPart(const QString& name, bool xClient) {
    const QString state = qEnvironmentVariable("ZEL_DESKTOP_STATE");
    QFile pids(state + QStringLiteral("/pids"));
    if (state.isEmpty() || name.isEmpty() || !pids.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return;
    }
    int pid = 0;
    while (!pids.atEnd() && pid == 0) {
        const QStringList fields = QString::fromUtf8(pids.readLine()).split(QLatin1Char(' '));
        if (fields.size() >= 2 && fields[0] == name) pid = fields[1].toInt();
    }
    if (pid <= 0) return;
    // Made before the stop: a grabbed server does not take new connections either.
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> x(
        xClient ? xcb_connect(nullptr, nullptr) : nullptr, &xcb_disconnect);
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (::kill(pid, SIGSTOP) != 0) return;
        // Twice: a grab the part sent just before it stopped may still be on its way.
        const auto answersTwice = [&] {
            if (!serverAnswers(x.get(), std::chrono::milliseconds(200))) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            return serverAnswers(x.get(), std::chrono::milliseconds(200));
        };
        if (!x || xcb_connection_has_error(x.get()) != 0 || answersTwice()) {
            pid_ = pid;
            return;
        }
        ::kill(pid, SIGCONT);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

PausedPart::~PausedPart() {
    if (pid_ > 0) {
        ::kill(pid_, SIGCONT);
    }
}

}  // namespace desktoptest
