#pragma once

// Settings files for the end-to-end tests.

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <map>
#include <utility>

#include "e2e/support/ProgramUnderTest.h"

namespace e2e {

// A complete settings file for a test: the program starts hidden; the top-left corner (5 pixels)
// conceals the xterms of ClientWindow's class and the concealment holds until the tray icon is
// clicked; Shift and ScrollLock are no triggers (xdotool presses Shift to type capitals); mute on.
// overrides: {"SECTION/key", value}, replacing or adding keys.
inline QStringList testSettings(std::initializer_list<std::pair<QString, QString>> overrides = {}) {
    std::map<QString, std::map<QString, QString>> sections{
        {QStringLiteral("APP"),
         {{QStringLiteral("blnRunup"), QStringLiteral("0")},
          {QStringLiteral("blnIE"), QStringLiteral("1")},
          {QStringLiteral("WinClasses"), ClientWindow::className()},
          {QStringLiteral("blnMute"), QStringLiteral("1")},
          {QStringLiteral("blnMuteAuto"), QStringLiteral("1")}}},
        {QStringLiteral("MOUSE"),
         {{QStringLiteral("MousePosi"), QStringLiteral("1")},
          {QStringLiteral("lngPixels"), QStringLiteral("5")},
          {QStringLiteral("blnTrigMouse"), QStringLiteral("1")}}},
        {QStringLiteral("KEY"),
         {{QStringLiteral("blnShiftMode"), QStringLiteral("0")},
          {QStringLiteral("blnScrollMode"), QStringLiteral("0")},
          {QStringLiteral("blnTrigKey"), QStringLiteral("1")}}},
        {QStringLiteral("LOCK"), {{QStringLiteral("blnLock"), QStringLiteral("0")}}},
    };
    for (const auto& [path, value] : overrides)
        sections[path.section(u'/', 0, 0)][path.section(u'/', 1)] = value;
    // In the order in which the program writes a new file; sections of the overrides come after.
    QStringList order{QStringLiteral("APP"), QStringLiteral("MOUSE"), QStringLiteral("KEY"),
                      QStringLiteral("LOCK")};
    for (const auto& [section, keys] : sections) {
        if (!order.contains(section)) order.append(section);
    }
    QStringList lines;
    for (const QString& section : order) {
        lines.append(QStringLiteral("[%1]").arg(section));
        for (const auto& [key, value] : sections[section])
            lines.append(key + QChar(u'=') + value);
    }
    return lines;
}

}  // namespace e2e
