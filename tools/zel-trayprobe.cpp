// Shows one Qt tray icon and tells where it went, for the checks of the headless desktop's trays.
//   zel-trayprobe [SECONDS]
// Prints "available" or "unavailable" (whether Qt sees a tray) at once, then "geometry X Y W H"
// once the icon has a place on the screen, which an XEmbed tray gives it; a StatusNotifierItem
// host gives none (there the icon shows in the watcher's RegisteredStatusNotifierItems, under a
// name that holds this process's PID). Ends after SECONDS (10 by default).
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    QPixmap picture(22, 22);
    picture.fill(Qt::red);
    QSystemTrayIcon icon{QIcon(picture)};
    icon.setToolTip(QStringLiteral("zel-trayprobe"));
    icon.show();
    std::printf("%s\n", QSystemTrayIcon::isSystemTrayAvailable() ? "available" : "unavailable");
    std::fflush(stdout);

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const QRect place = icon.geometry();
        if (place.width() <= 0 || place.height() <= 0) return;
        std::printf("geometry %d %d %d %d\n", place.x(), place.y(), place.width(), place.height());
        std::fflush(stdout);
        poll.stop();
    });
    poll.start(20);
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
