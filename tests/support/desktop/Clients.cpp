#include "support/desktop/Clients.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>

#include "support/desktop/Tools.h"
#include "support/desktop/Wait.h"

namespace desktoptest {

namespace {

// Client programs start slowly on a loaded machine.
constexpr auto kAppearTimeout = 20s;

std::size_t countIf(Observer& view, const std::vector<Window>& windows, bool listed) {
    const std::vector<Window> clients = view.clientList();
    return static_cast<std::size_t>(std::ranges::count_if(windows, [&](Window window) {
        const bool isListed = std::ranges::count(clients, window) > 0;
        return isListed == listed && view.viewable(window) == listed;
    }));
}

}  // namespace

std::unique_ptr<ClientProgram> ClientProgram::xterm(Observer& view, const QString& title,
                                                    const QString& className, const QString& geometry) {
    std::unique_ptr<ClientProgram> program(new ClientProgram(view));
    QStringList args{QStringLiteral("-title"), title, QStringLiteral("-geometry"), geometry};
    if (!className.isEmpty()) args += {QStringLiteral("-class"), className};
    // cat instead of a shell: a shell's prompt may set the title.
    args += {QStringLiteral("-e"), QStringLiteral("cat")};
    if (program->start(QStringLiteral("xterm"), args)) program->findByTitle(title);
    return program;
}

std::unique_ptr<ClientProgram> ClientProgram::xclock(Observer& view, const QString& title,
                                                     const QString& geometry) {
    std::unique_ptr<ClientProgram> program(new ClientProgram(view));
    if (program->start(QStringLiteral("xclock"),
                       {QStringLiteral("-title"), title, QStringLiteral("-geometry"), geometry}))
        program->findByTitle(title);
    return program;
}

std::unique_ptr<ClientProgram> ClientProgram::testClient(Observer& view, const QStringList& args) {
    std::unique_ptr<ClientProgram> program(new ClientProgram(view));
    const bool unmanaged = args.contains(QStringLiteral("--override")) || !view.windowManagerRunning();
    const qsizetype count = args.indexOf(QStringLiteral("--count"));
    if (program->start(QStringLiteral(ZEL_X11_CLIENT), args))
        program->readFromOutput(count >= 0 ? args.value(count + 1).toInt() : 1, unmanaged);
    return program;
}

std::unique_ptr<ClientProgram> ClientProgram::manyWindows(Observer& view, int count, const QString& title,
                                                          const QString& className) {
    auto program = testClient(view, {QStringLiteral("--count"), QString::number(count),
                                     QStringLiteral("--class"), className, QStringLiteral("--title"), title});
    const std::vector<Window> found = program->windows_;
    if (!waitUntil([&] { return countShown(view, found) == found.size(); }, kAppearTimeout))
        program->windows_.clear();
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
                if (view_.pid(client) == pid && view_.title(client) == title && view_.viewable(client) &&
                    view_.managed(client) && view_.settled(client)) {
                    windows_ = {client};
                    return true;
                }
            }
            return false;
        },
        kAppearTimeout);
}

void ClientProgram::readFromOutput(int count, bool unmanaged) {
    QByteArray output;
    waitUntil(
        [&] {
            process_.waitForReadyRead(50);
            output += process_.readAllStandardOutput();
            return output.count('\n') >= count || process_.state() == QProcess::NotRunning;
        },
        kAppearTimeout);
    std::vector<OwnWindow> found;
    for (const QByteArray& line : output.split('\n')) {
        const QList<QByteArray> ids = line.trimmed().split(' ');
        bool ok = false;
        const Window window = ids.front().toUInt(&ok, 16);
        if (ok && window != 0) found.push_back({window, ids.value(1).toUInt(nullptr, 16)});
    }
    if (found.size() != static_cast<std::size_t>(count)) return;
    const bool shown = std::ranges::all_of(found, [&](const OwnWindow& w) {
        return waitUntil(
            [&] {
                return unmanaged ? view_.viewable(w.window)
                                 : view_.managed(w.window) && view_.settled(w.window);
            },
            kAppearTimeout);
    });
    if (!shown) return;
    own_ = found;
    for (const OwnWindow& w : found)
        windows_.push_back(w.window);
}

std::vector<OwnWindow> Programs::client(const QStringList& args, Observer& observer) {
    clients_.push_back(ClientProgram::testClient(observer, args));
    if (clients_.back()->ownWindows().empty())
        ADD_FAILURE() << "the windows of zel-x11-client did not appear";
    return clients_.back()->ownWindows();
}

Window Programs::keep(std::unique_ptr<ClientProgram> program, const QString& title) {
    clients_.push_back(std::move(program));
    if (clients_.back()->id() == 0) ADD_FAILURE() << "no managed window titled " << title.toStdString();
    return clients_.back()->id();
}

Window Programs::xterm(const QString& title, const QString& geometry, Observer& observer) {
    static int serial = 0;
    const QString unique =
        title + QStringLiteral(" #%1.%2").arg(QCoreApplication::applicationPid()).arg(++serial);
    return keep(ClientProgram::xterm(observer, unique, {}, geometry), unique);
}

Window Programs::xclock(const QString& title, const QString& geometry, Observer& observer) {
    static int serial = 0;
    const QString unique =
        title + QStringLiteral(" #%1.c%2").arg(QCoreApplication::applicationPid()).arg(++serial);
    return keep(ClientProgram::xclock(observer, unique, geometry), unique);
}

QProcess* Programs::start(const QString& program, const QStringList& args) {
    auto process = std::make_unique<QProcess>();
    process->start(program, args);
    if (!process->waitForStarted(5000)) {
        ADD_FAILURE() << "cannot start " << program.toStdString();
        return nullptr;
    }
    processes_.push_back(std::move(process));
    return processes_.back().get();
}

void Programs::kill(QProcess* process) {
    process->kill();
    process->waitForFinished(5000);
}

void Programs::killOwnerOf(Window window) {
    for (const auto& client : clients_) {
        if (std::ranges::count(client->windows(), window) > 0) client->kill();
    }
}

void Programs::killAll() {
    for (const auto& client : clients_)
        client->kill();
    for (const auto& process : processes_)
        kill(process.get());
    clients_.clear();
    processes_.clear();
}

bool isShown(Observer& view, Window window) {
    return window != 0 && view.listed(window) && view.viewable(window);
}

bool isConcealed(Observer& view, Window window) {
    return window != 0 && !view.listed(window) && !view.viewable(window);
}

std::size_t countShown(Observer& view, const std::vector<Window>& windows) {
    return countIf(view, windows, true);
}

std::size_t countConcealed(Observer& view, const std::vector<Window>& windows) {
    return countIf(view, windows, false);
}

Placement placementOf(Observer& view, Window window) {
    Placement placement;
    placement.rect = view.rootRect(window);
    placement.listed = view.listed(window);
    placement.viewable = view.viewable(window);
    placement.maximised = view.maximized(window);
    placement.minimised = view.hidden(window) && view.wmState(window) == 3u;
    return placement;
}

Placement settledPlacement(Observer& view, Window window) {
    Placement last = placementOf(view, window);
    waitUntil([&] {
        const Placement now = placementOf(view, window);
        const bool same = now == last;
        last = now;
        return same;
    });
    return last;
}

std::ostream& operator<<(std::ostream& os, const Placement& placement) {
    os << placement.rect;
    if (!placement.listed) os << " unlisted";
    if (!placement.viewable) os << " unmapped";
    if (placement.maximised) os << " maximised";
    if (placement.minimised) os << " minimised";
    return os;
}

bool maximise(Observer& view, Window window) {
    const QRect before = view.rootRect(window);
    runTool(QStringLiteral("wmctrl"),
            {QStringLiteral("-i"), QStringLiteral("-r"), QString::number(window), QStringLiteral("-b"),
             QStringLiteral("add,maximized_vert,maximized_horz")});
    return waitUntil([&] { return view.maximized(window) && view.rootRect(window) != before; });
}

bool minimise(Observer& view, Window window) {
    runTool(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), QString::number(window)});
    // Not "unmapped" as well: mutter keeps iconic windows mapped and does not draw them.
    return waitUntil([&] {
        const Placement p = placementOf(view, window);
        return p.minimised && p.listed;
    });
}

bool moveFrame(Observer& view, Window window, QPoint frameTopLeft) {
    const QRect before = view.rootRect(window);
    runTool(QStringLiteral("wmctrl"),
            {QStringLiteral("-i"), QStringLiteral("-r"), QString::number(window), QStringLiteral("-e"),
             QStringLiteral("0,%1,%2,-1,-1").arg(frameTopLeft.x()).arg(frameTopLeft.y())});
    return waitUntil([&] { return view.rootRect(window).topLeft() != before.topLeft(); });
}

}  // namespace desktoptest
