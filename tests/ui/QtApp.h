#pragma once

#include <QApplication>

namespace uitest {

// The QApplication of the test binary (made by the environment in QtApp.cpp before the first test,
// removed after the last one). Fixtures take it as their first member, before any widget.
inline QApplication& app() {
    return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

}  // namespace uitest
