#include "e2e/support/ClientPrograms.h"

#include <algorithm>

#include "e2e/support/DesktopInput.h"

namespace e2e {

namespace {

// Client programs start slowly on a loaded machine.
constexpr auto kAppearTimeout = std::chrono::seconds(20);

QString lightClient() {
    return qEnvironmentVariable("ZEL_BINARY_DIR") + QStringLiteral("/tests/x11/zel-x11-client");
}

std::size_t countIf(DesktopView& view, const std::vector<Window>& windows, bool listed) {
    const std::vector<Window> clients = view.clientList();
    return static_cast<std::size_t>(std::count_if(windows.begin(), windows.end(), [&](Window window) {
        const bool isListed = std::find(clients.begin(), clients.end(), window) != clients.end();
        return isListed == listed && view.viewable(window) == listed;
    }));
}

}  // namespace

std::unique_ptr<ClientProgram> ClientProgram::xterm(DesktopView& view, const QString& title,
                                                    const QString& className, const QString& geometry) {
    std::unique_ptr<ClientProgram> program(new ClientProgram(view));
    // cat instead of a shell: a shell's prompt may set the title.
    if (program->start(QStringLiteral("xterm"), {QStringLiteral("-class"), className,
                                                 QStringLiteral("-title"), title, QStringLiteral("-geometry"),
                                                 geometry, QStringLiteral("-e"), QStringLiteral("cat")})) {
        program->findByTitle(title);
    }
    return program;
}

std::unique_ptr<ClientProgram> ClientProgram::XClock(DesktopView& view, const QString& title,
                                                     const QString& geometry) {
    std::unique_ptr<ClientProgram> program(new ClientProgram(view));
    if (program->start(QStringLiteral("xclock"),
                       {QStringLiteral("-title"), title, QStringLiteral("-geometry"), geometry})) {
        program->findByTitle(title);
    }
    return program;
}

std::unique_ptr<ClientProgram> ClientProgram::manyWindows(DesktopView& view, int count, const QString& title,
                                                          const QString& className) {
    std::unique_ptr<ClientProgram> program(new ClientProgram(view));
    if (program->start(lightClient(),
                       {QStringLiteral("--count"), QString::number(count), QStringLiteral("--class"),
                        className, QStringLiteral("--title"), title})) {
        program->readFromOutput(count);
    }
    return program;
}

ClientProgram::~ClientProgram() {
    kill();
}

bool ClientProgram::start(const QString& program, const QStringList& args) {
    process_.start(program, args);
    return process_.waitForStarted(10000);
}

void ClientProgram::kill() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
}

void ClientProgram::findByTitle(const QString& title) {
    const auto pid = static_cast<std::uint32_t>(process_.processId());
    waitUntil(
        [&] {
            for (const Window client : view_.clientList()) {
                if (view_.pid(client) == pid && view_.title(client) == title && view_.viewable(client)) {
                    windows_ = {client};
                    return true;
                }
            }
            return false;
        },
        kAppearTimeout);
}

void ClientProgram::readFromOutput(int count) {
    QByteArray output;
    waitUntil(
        [&] {
            process_.waitForReadyRead(50);
            output += process_.readAllStandardOutput();
            return output.count('\n') >= count || process_.state() == QProcess::NotRunning;
        },
        kAppearTimeout);
    std::vector<Window> found;
    for (const QByteArray& line : output.split('\n')) {
        bool ok = false;
        const Window window = line.split(' ').front().toUInt(&ok, 16);
        if (ok && window != 0) found.push_back(window);
    }
    if (found.size() != static_cast<std::size_t>(count)) return;
    if (waitUntil([&] { return countShown(view_, found) == found.size(); }, kAppearTimeout)) windows_ = found;
}

bool isShown(DesktopView& view, Window window) {
    return window != 0 && view.listed(window) && view.viewable(window);
}

bool isConcealed(DesktopView& view, Window window) {
    return window != 0 && !view.listed(window) && !view.viewable(window);
}

std::size_t countShown(DesktopView& view, const std::vector<Window>& windows) {
    return countIf(view, windows, true);
}

std::size_t countConcealed(DesktopView& view, const std::vector<Window>& windows) {
    return countIf(view, windows, false);
}

Placement placementOf(DesktopView& view, Window window) {
    Placement placement;
    placement.rect = view.geometry(window);
    placement.maximised = view.hasNetState(window, "_NET_WM_STATE_MAXIMIZED_VERT") &&
                          view.hasNetState(window, "_NET_WM_STATE_MAXIMIZED_HORZ");
    placement.minimised =
        view.listed(window) && view.hasNetState(window, "_NET_WM_STATE_HIDDEN") && !view.viewable(window);
    return placement;
}

std::ostream& operator<<(std::ostream& os, const Placement& placement) {
    const QRect& r = placement.rect;
    os << r.width() << "x" << r.height() << "+" << r.x() << "+" << r.y();
    if (placement.maximised) os << " maximised";
    if (placement.minimised) os << " minimised";
    return os;
}

bool maximise(DesktopView& view, Window window) {
    const QRect before = view.geometry(window);
    runTool(QStringLiteral("wmctrl"),
            {QStringLiteral("-i"), QStringLiteral("-r"), QString::number(window), QStringLiteral("-b"),
             QStringLiteral("add,maximized_vert,maximized_horz")});
    return waitUntil([&] { return placementOf(view, window).maximised && view.geometry(window) != before; });
}

bool minimise(DesktopView& view, Window window) {
    runTool(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), QString::number(window)});
    return waitUntil([&] { return placementOf(view, window).minimised; });
}

bool moveFrame(DesktopView& view, Window window, QPoint frameTopLeft) {
    const QRect before = view.geometry(window);
    runTool(QStringLiteral("wmctrl"),
            {QStringLiteral("-i"), QStringLiteral("-r"), QString::number(window), QStringLiteral("-e"),
             QStringLiteral("0,%1,%2,-1,-1").arg(frameTopLeft.x()).arg(frameTopLeft.y())});
    return waitUntil([&] { return view.geometry(window).topLeft() != before.topLeft(); });
}

}  // namespace e2e
