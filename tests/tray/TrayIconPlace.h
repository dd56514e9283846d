#pragma once

// Where the test's own tray icon sits: the X window that Qt made for it, its place in trayer's
// panel (seen through the desktop test support's observer) and pictures of it as Qt grabs them.

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>

#include "support/desktop/Observer.h"
#include "support/desktop/Tools.h"

namespace traytest {

using desktoptest::Observer;
using desktoptest::Window;

// The X window that Qt made for the tray icon; 0 while it has none (no tray, or hidden).
inline Window iconWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0 && widget->isVisible()) {
            return static_cast<Window>(widget->winId());
        }
    }
    return 0;
}

// trayer's panel window that holds the icon; 0 while the icon is not docked there.
inline Window trayerPanel(Observer& observer) {
    const Window icon = iconWindow();
    if (icon == 0) return 0;
    Window panel = 0;
    for (const Window ancestor : observer.ancestors(icon)) {
        if (observer.className(ancestor) == QStringLiteral("trayer")) panel = ancestor;
    }
    return panel;
}

inline bool dockedInTrayer(Observer& observer) {
    return trayerPanel(observer) != 0;
}

// True once the icon has settled in the tray: trayer first embeds it, then widens its panel and
// moves it to the screen's right edge (the desktop's trayer aligns right). Settled means that the
// X server has the icon where Qt has it, inside the panel, and the panel at the edge.
inline bool placed(Observer& observer, const QSystemTrayIcon& icon) {
    const QRect area = icon.geometry();
    const QRect panel = observer.rootRect(trayerPanel(observer));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return area.isValid() && area == observer.rootRect(iconWindow()) && panel.contains(area) &&
           screen.contains(panel) && panel.right() == screen.right();
}

// The icon's place on the screen as Qt grabs it, to be saved and compared whole.
inline QImage shot(const QRect& area) {
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Where a picture of the tray tests is kept: $ZEL_TEST_OUTPUT/tray/<name>.png.
inline QString picturePath(const QString& name) {
    return desktoptest::outputDir(QStringLiteral("tray")) + QChar(u'/') + name + QStringLiteral(".png");
}

}  // namespace traytest
