#pragma once

#include <QApplication>

namespace uitest {

// The one QApplication of a test binary, made on first use (widgets need it, the logic does not).
// It is never destroyed: at exit Qt's own globals may go first.
inline QApplication& App() {
    static int argc = 1;
    static char name[] = "zel-test";
    static char* argv[] = {name, nullptr};
    static auto* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace uitest
