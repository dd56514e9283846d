#include "x11/X11TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QRegularExpression>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace x11test {

namespace {

template <typename T>
struct Freed {
    T* p;
    explicit Freed(T* pointer) : p(pointer) {}
    ~Freed() { std::free(p); }
    Freed(const Freed&) = delete;
    Freed& operator=(const Freed&) = delete;
    T* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

}  // namespace

QString tool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << program.toStdString() << " " << args.join(' ').toStdString() << " did not finish";
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QString hex(Window window) {
    return QStringLiteral("0x") + QString::number(window, 16);
}

std::ostream& operator<<(std::ostream& os, const Rect& r) {
    return os << r.width << "x" << r.height << "+" << r.x << "+" << r.y;
}

Observer::Observer(const char* display) {
    int screenNumber = 0;
    connection_ = xcb_connect(display, &screenNumber);
    if (xcb_connection_has_error(connection_) != 0) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber; ++i) {
        xcb_screen_next(&it);
    }
    root_ = it.data->root;
}

Observer::~Observer() {
    if (connection_ != nullptr) {
        xcb_disconnect(connection_);
    }
}

xcb_atom_t Observer::atom(const char* name) {
    Freed r(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
}

void Observer::sync() {
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

std::vector<std::uint32_t> Observer::values(Window window, const char* property, xcb_atom_t type) {
    Freed r(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, atom(property), type, 0, 4096), nullptr));
    if (!r || r->format != 32) {
        return {};
    }
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(r.p));
    return {data, data + xcb_get_property_value_length(r.p) / 4};
}

bool Observer::windowManagerRunning() {
    return !values(root_, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW).empty();
}

std::vector<Window> Observer::clientList() {
    return values(root_, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW);
}

std::vector<Window> Observer::stackingList() {
    return values(root_, "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW);
}

Window Observer::activeWindow() {
    const auto v = values(root_, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW);
    return v.empty() ? Window{0} : v[0];
}

bool Observer::listed(Window window) {
    return std::ranges::count(clientList(), window) > 0;
}

bool Observer::exists(Window window) {
    Freed r(xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window),
                                            nullptr));
    return static_cast<bool>(r);
}

std::uint8_t Observer::mapState(Window window) {
    Freed r(xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window),
                                            nullptr));
    return r ? r->map_state : std::uint8_t{XCB_MAP_STATE_UNMAPPED};
}

std::optional<std::uint32_t> Observer::wmState(Window window) {
    const auto v = values(window, "WM_STATE", atom("WM_STATE"));
    return v.empty() ? std::nullopt : std::optional<std::uint32_t>(v[0]);
}

bool Observer::managed(Window window) {
    const auto state = wmState(window);
    return state && (*state == 1 || *state == 3) && listed(window);
}

bool Observer::settled(Window window) {
    const Rect origin = frameOrigin(window);
    const Rect frame = frameRect(window);
    return !managed(window) || (origin.x == frame.x && origin.y == frame.y);
}

bool Observer::maximized(Window window) {
    const auto states = values(window, "_NET_WM_STATE", XCB_ATOM_ATOM);
    return std::ranges::count(states, atom("_NET_WM_STATE_MAXIMIZED_VERT")) > 0 &&
           std::ranges::count(states, atom("_NET_WM_STATE_MAXIMIZED_HORZ")) > 0;
}

bool Observer::hidden(Window window) {
    return std::ranges::count(values(window, "_NET_WM_STATE", XCB_ATOM_ATOM), atom("_NET_WM_STATE_HIDDEN")) >
           0;
}

std::optional<std::uint32_t> Observer::desktop(Window window) {
    const auto v = values(window, "_NET_WM_DESKTOP", XCB_ATOM_CARDINAL);
    return v.empty() ? std::nullopt : std::optional<std::uint32_t>(v[0]);
}

Rect Observer::rootRect(Window window) {
    Freed g(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
    Freed t(xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr));
    if (!g || !t) {
        return {};
    }
    return {t->dst_x, t->dst_y, g->width, g->height};
}

Window Observer::parent(Window window) {
    Freed r(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
    return r ? r->parent : Window{0};
}

std::vector<Window> Observer::children(Window window) {
    Freed r(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
    if (!r) {
        return {};
    }
    const xcb_window_t* c = xcb_query_tree_children(r.p);
    return {c, c + xcb_query_tree_children_length(r.p)};
}

Rect Observer::frameRect(Window window) {
    Window top = window;
    for (Window up = parent(top); up != 0 && up != root_; up = parent(top)) {
        top = up;
    }
    Freed g(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, top), nullptr));
    if (!g) {
        return {};
    }
    return {g->x, g->y, g->width + 2 * g->border_width, g->height + 2 * g->border_width};
}

Rect Observer::frameOrigin(Window client) {
    const Rect r = rootRect(client);
    const auto extents = values(client, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL);
    const int left = extents.size() == 4 ? static_cast<int>(extents[0]) : 0;
    const int top = extents.size() == 4 ? static_cast<int>(extents[2]) : 0;
    return {r.x - left, r.y - top, r.width, r.height};
}

std::string Observer::text(Window window, const char* property, xcb_atom_t type) {
    Freed r(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, atom(property), type, 0, 4096), nullptr));
    if (!r || r->format != 8) {
        return {};
    }
    return {static_cast<const char*>(xcb_get_property_value(r.p)),
            static_cast<std::size_t>(xcb_get_property_value_length(r.p))};
}

Window Observer::findManaged(const QString& title) {
    const std::string wanted = title.toStdString();
    for (Window window : clientList()) {
        if (text(window, "_NET_WM_NAME", atom("UTF8_STRING")) == wanted ||
            text(window, "WM_NAME", XCB_GET_PROPERTY_TYPE_ANY) == wanted) {
            return window;
        }
    }
    return 0;
}

std::vector<Window> Observer::overrideRedirectWindows() {
    Freed tree(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
    std::vector<Window> result;
    if (!tree) {
        return result;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.p);
    for (int i = 0; i < xcb_query_tree_children_length(tree.p); ++i) {
        Freed a(xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, children[i]), nullptr));
        if (a && a->override_redirect != 0 && a->map_state == XCB_MAP_STATE_VIEWABLE) {
            result.push_back(children[i]);
        }
    }
    return result;
}

std::uint32_t Observer::pixel(int x, int y) {
    Freed r(xcb_get_image_reply(
        connection_,
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), 1, 1, ~0u),
        nullptr));
    if (!r || xcb_get_image_data_length(r.p) < 3) {
        return 0;
    }
    const std::uint8_t* d = xcb_get_image_data(r.p);  // 24-bit TrueColor: B, G, R, pad
    return (std::uint32_t{d[2]} << 16) | (std::uint32_t{d[1]} << 8) | d[0];
}

Programs::~Programs() {
    killAll();
}

void Programs::killAll() {
    for (auto& process : processes_) {
        process->kill();
        process->waitForFinished(5000);
    }
    processes_.clear();
}

QProcess* Programs::start(const QString& program, const QStringList& args) {
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::SeparateChannels);
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

std::vector<Programs::OwnWindow> Programs::client(const QStringList& args, Observer& observer) {
    QProcess* process = start(QStringLiteral(ZEL_X11_CLIENT), args);
    const bool override = args.contains(QStringLiteral("--override")) || !observer.windowManagerRunning();
    int count = 1;
    if (const auto i = args.indexOf(QStringLiteral("--count")); i >= 0) {
        count = args.at(i + 1).toInt();
    }
    std::vector<OwnWindow> windows;
    while (process != nullptr && static_cast<int>(windows.size()) < count) {
        if (!process->canReadLine() && !process->waitForReadyRead(10000)) {
            ADD_FAILURE() << "zel-x11-client said nothing";
            return {};
        }
        while (process->canReadLine()) {
            const QStringList ids = QString::fromLatin1(process->readLine()).split(' ');
            windows.push_back({ids.value(0).toUInt(nullptr, 16), ids.value(1).trimmed().toUInt(nullptr, 16)});
        }
    }
    for (const OwnWindow& w : windows) {
        const bool ready = waitUntil([&] {
            return override ? observer.viewable(w.window)
                            : observer.managed(w.window) && observer.settled(w.window);
        });
        if (!ready) {
            ADD_FAILURE() << "window " << hex(w.window).toStdString() << " was not shown";
            return {};
        }
    }
    return windows;
}

// Titles are made unique: a window of an earlier test that is still going away must not be found.
QString Programs::uniqueTitle(const QString& title) {
    static int serial = 0;
    return title + QStringLiteral(" #%1.%2").arg(QCoreApplication::applicationPid()).arg(++serial);
}

Window Programs::byTitle(const QString& title, Observer& observer) {
    Window window = 0;
    const bool found = waitUntil(
        [&] {
            window = observer.findManaged(title);
            return window != 0 && observer.managed(window) && observer.viewable(window) &&
                   observer.settled(window);
        },
        std::chrono::seconds(10));
    if (!found) {
        ADD_FAILURE() << "no managed window titled " << title.toStdString();
        return 0;
    }
    return window;
}

Window Programs::xterm(const QString& requested, const QString& geometry, Observer& observer) {
    const QString title = uniqueTitle(requested);
    start("xterm", {"-geometry", geometry, "-title", title, "-xrm", "XTerm*allowTitleOps: false", "-e",
                    "sleep", "600"});
    return byTitle(title, observer);
}

Window Programs::xclock(const QString& requested, const QString& geometry, Observer& observer) {
    const QString title = uniqueTitle(requested);
    start("xclock", {"-geometry", geometry, "-title", title});
    return byTitle(title, observer);
}

}  // namespace x11test
