#include "e2e/support/ClientPrograms.h"

#include <algorithm>

#include "e2e/support/DesktopInput.h"

namespace e2e {

namespace {

// Client programs start slowly on a loaded machine.
constexpr auto kAppearTimeout = std::chrono::seconds(20);

QString LightClient() {
    return qEnvironmentVariable("ZEL_BINARY_DIR") + QStringLiteral("/tests/x11/zel-x11-client");
}

std::size_t CountIf(DesktopView& view, const std::vector<Window>& windows, bool listed) {
    const std::vector<Window> clients = view.ClientList();
    return static_cast<std::size_t>(std::count_if(windows.begin(), windows.end(), [&](Window window) {
        const bool isListed = std::find(clients.begin(), clients.end(), window) != clients.end();
        return isListed == listed && view.Viewable(window) == listed;
    }));
}

}  // namespace

std::unique_ptr<ClientProgram> ClientProgram::Xterm(DesktopView& view, const QString& title,
                                                    const QString& className, const QString& geometry) {
    std::unique_ptr<ClientProgram> program(new ClientProgram(view));
    // cat instead of a shell: a shell's prompt may set the title.
    if (program->Start(QStringLiteral("xterm"), {QStringLiteral("-class"), className,
                                                 QStringLiteral("-title"), title, QStringLiteral("-geometry"),
                                                 geometry, QStringLiteral("-e"), QStringLiteral("cat")})) {
        program->FindByTitle(title);
    }
    return program;
}

std::unique_ptr<ClientProgram> ClientProgram::XClock(DesktopView& view, const QString& title,
                                                     const QString& geometry) {
    std::unique_ptr<ClientProgram> program(new ClientProgram(view));
    if (program->Start(QStringLiteral("xclock"),
                       {QStringLiteral("-title"), title, QStringLiteral("-geometry"), geometry})) {
        program->FindByTitle(title);
    }
    return program;
}

std::unique_ptr<ClientProgram> ClientProgram::ManyWindows(DesktopView& view, int count, const QString& title,
                                                          const QString& className) {
    std::unique_ptr<ClientProgram> program(new ClientProgram(view));
    if (program->Start(LightClient(),
                       {QStringLiteral("--count"), QString::number(count), QStringLiteral("--class"),
                        className, QStringLiteral("--title"), title})) {
        program->ReadFromOutput(count);
    }
    return program;
}

ClientProgram::~ClientProgram() {
    Kill();
}

bool ClientProgram::Start(const QString& program, const QStringList& args) {
    process_.start(program, args);
    return process_.waitForStarted(10000);
}

void ClientProgram::Kill() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
}

void ClientProgram::FindByTitle(const QString& title) {
    const auto pid = static_cast<std::uint32_t>(process_.processId());
    WaitUntil(
        [&] {
            for (const Window client : view_.ClientList()) {
                if (view_.Pid(client) == pid && view_.Title(client) == title && view_.Viewable(client)) {
                    windows_ = {client};
                    return true;
                }
            }
            return false;
        },
        kAppearTimeout);
}

void ClientProgram::ReadFromOutput(int count) {
    QByteArray output;
    WaitUntil(
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
    if (WaitUntil([&] { return CountShown(view_, found) == found.size(); }, kAppearTimeout)) windows_ = found;
}

bool IsShown(DesktopView& view, Window window) {
    return window != 0 && view.Listed(window) && view.Viewable(window);
}

bool IsConcealed(DesktopView& view, Window window) {
    return window != 0 && !view.Listed(window) && !view.Viewable(window);
}

std::size_t CountShown(DesktopView& view, const std::vector<Window>& windows) {
    return CountIf(view, windows, true);
}

std::size_t CountConcealed(DesktopView& view, const std::vector<Window>& windows) {
    return CountIf(view, windows, false);
}

Placement PlacementOf(DesktopView& view, Window window) {
    Placement placement;
    placement.rect = view.Geometry(window);
    placement.maximised = view.HasNetState(window, "_NET_WM_STATE_MAXIMIZED_VERT") &&
                          view.HasNetState(window, "_NET_WM_STATE_MAXIMIZED_HORZ");
    placement.minimised =
        view.Listed(window) && view.HasNetState(window, "_NET_WM_STATE_HIDDEN") && !view.Viewable(window);
    return placement;
}

std::ostream& operator<<(std::ostream& os, const Placement& placement) {
    const QRect& r = placement.rect;
    os << r.width() << "x" << r.height() << "+" << r.x() << "+" << r.y();
    if (placement.maximised) os << " maximised";
    if (placement.minimised) os << " minimised";
    return os;
}

bool Maximise(DesktopView& view, Window window) {
    const QRect before = view.Geometry(window);
    RunTool(QStringLiteral("wmctrl"),
            {QStringLiteral("-i"), QStringLiteral("-r"), QString::number(window), QStringLiteral("-b"),
             QStringLiteral("add,maximized_vert,maximized_horz")});
    return WaitUntil([&] { return PlacementOf(view, window).maximised && view.Geometry(window) != before; });
}

bool Minimise(DesktopView& view, Window window) {
    RunTool(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), QString::number(window)});
    return WaitUntil([&] { return PlacementOf(view, window).minimised; });
}

bool MoveFrame(DesktopView& view, Window window, QPoint frameTopLeft) {
    const QRect before = view.Geometry(window);
    RunTool(QStringLiteral("wmctrl"),
            {QStringLiteral("-i"), QStringLiteral("-r"), QString::number(window), QStringLiteral("-e"),
             QStringLiteral("0,%1,%2,-1,-1").arg(frameTopLeft.x()).arg(frameTopLeft.y())});
    return WaitUntil([&] { return view.Geometry(window).topLeft() != before.topLeft(); });
}

}  // namespace e2e
