#pragma once

#include <xcb/xcb.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRect>
#include <QScreen>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

// Helpers of the tray tests on the headless desktop: where the icon's window sits in the X window
// tree (through a connection of the test's own), pictures of the icon's place on the screen, and
// the pointer driven by xdotool.
namespace traytest {

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

class XTree {
public:
    XTree() : connection_(xcb_connect(nullptr, nullptr)) {}
    ~XTree() { xcb_disconnect(connection_); }
    XTree(const XTree&) = delete;
    XTree& operator=(const XTree&) = delete;

    bool usable() const { return xcb_connection_has_error(connection_) == 0; }

    struct Ancestor {
        xcb_window_t window;
        std::string className;  // the class part of WM_CLASS
    };

    // The window and each of its ancestors below the root, nearest first.
    std::vector<Ancestor> ancestors(xcb_window_t window) const {
        std::vector<Ancestor> ancestors;
        while (window != XCB_WINDOW_NONE) {
            ancestors.push_back({window, classOf(window)});
            Reply<xcb_query_tree_reply_t> tree(
                xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr), &std::free);
            if (!tree || tree->parent == tree->root) break;
            window = tree->parent;
        }
        return ancestors;
    }

    // The window's rectangle in root coordinates; empty when it is gone.
    QRect rootRect(xcb_window_t window) const {
        if (window == 0) return {};
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr), &std::free);
        Reply<xcb_translate_coordinates_reply_t> origin(
            xcb_translate_coordinates_reply(
                connection_, xcb_translate_coordinates(connection_, window, root, 0, 0), nullptr),
            &std::free);
        if (!geometry || !origin) return {};
        return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
    }

    bool exists(xcb_window_t window) const {
        Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window),
                                            nullptr),
            &std::free);
        return attributes != nullptr;
    }

private:
    std::string classOf(xcb_window_t window) const {
        Reply<xcb_get_property_reply_t> property(
            xcb_get_property_reply(
                connection_,
                xcb_get_property(connection_, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr),
            &std::free);
        if (!property) return {};
        const auto* value = static_cast<const char*>(xcb_get_property_value(property.get()));
        const std::string both(value,
                               static_cast<std::size_t>(xcb_get_property_value_length(property.get())));
        const auto split = both.find('\0');
        if (split == std::string::npos) return {};
        const std::string className = both.substr(split + 1);
        return className.substr(0, className.find('\0'));
    }

    xcb_connection_t* connection_;
};

// The X window that Qt made for the tray icon; 0 while it has none (no tray, or hidden).
inline xcb_window_t iconWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0 && widget->isVisible()) {
            return static_cast<xcb_window_t>(widget->winId());
        }
    }
    return 0;
}

// trayer's panel window that holds the icon; 0 while the icon is not docked there.
inline xcb_window_t trayerPanel(const XTree& tree) {
    const xcb_window_t icon = iconWindow();
    if (icon == 0) return 0;
    xcb_window_t panel = 0;
    for (const auto& ancestor : tree.ancestors(icon)) {
        if (ancestor.className == "trayer") panel = ancestor.window;
    }
    return panel;
}

inline bool dockedInTrayer(const XTree& tree) {
    return trayerPanel(tree) != 0;
}

// True once the icon has settled in the tray: trayer first embeds it, then widens its panel and
// moves it to the screen's right edge (the desktop's trayer aligns right). Settled means that the
// X server has the icon where Qt has it, inside the panel, and the panel at the edge.
inline bool placed(const XTree& tree, const QSystemTrayIcon& icon) {
    const QRect area = icon.geometry();
    const QRect panel = tree.rootRect(trayerPanel(tree));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return area.isValid() && area == tree.rootRect(iconWindow()) && panel.contains(area) &&
           screen.contains(panel) && panel.right() == screen.right();
}

inline QImage shot(const QRect& area) {
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Share of the pixels within `tolerance` of `colour` in each channel.
inline double shareNear(const QImage& image, QColor colour, int tolerance = 40) {
    if (image.isNull()) return 0;
    int near = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) <= tolerance &&
                std::abs(pixel.green() - colour.green()) <= tolerance &&
                std::abs(pixel.blue() - colour.blue()) <= tolerance) {
                ++near;
            }
        }
    }
    return static_cast<double>(near) / (image.width() * image.height());
}

inline QString outputDir() {
    const QByteArray base = qgetenv("ZEL_TEST_OUTPUT");
    const QString dir =
        (base.isEmpty() ? QDir::tempPath() : QString::fromLocal8Bit(base)) + QStringLiteral("/tray");
    QDir().mkpath(dir);
    return dir;
}

inline int xdotool(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("xdotool"), arguments);
}

// The colours of the two built-in pictures' backgrounds.
inline const QColor kStandbyColour(0x1f, 0x8a, 0x8a);
inline const QColor kConcealmentColour(0x4a, 0x55, 0x68);

}  // namespace traytest
