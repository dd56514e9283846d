#pragma once

// Shared by the fault tests: a fixture that checks that a test leaves no process behind, and a
// window of our own client that fights being hidden (zel-e2e-stubborn).

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <string>

#include "e2e/support/ProgramUnderTest.h"
#include "support/desktop/Observer.h"

namespace e2e {

inline constexpr QPoint kScreenCentre{512, 384};

// Every test starts with the pointer in the middle of the screen and must end with nothing it
// started still running: the program, its clients, the desktop parts it ran itself. Objects that
// own processes belong in the test body, so that they are gone before TearDown looks.
class FaultTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    Observer view;
};

// A window of zel-e2e-stubborn; the process is killed with the object.
class StubbornWindow {
public:
    enum class Mode { kPlain, kRemap, kDestroy, kOverride };

    StubbornWindow(Observer& view, Mode mode, const QString& className, const QString& title, QRect geometry,
                   const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
    ~StubbornWindow();
    StubbornWindow(const StubbornWindow&) = delete;
    StubbornWindow& operator=(const StubbornWindow&) = delete;

    // The window; 0 when it never appeared.
    Window id() const { return window_; }
    // How many lines the client printed that say `word` ("remapped", "destroyed").
    int said(const QString& word);
    // The client process has ended (a "destroy" window ends itself).
    bool ended();
    // On the screen: viewable, and for a window that a window manager manages, listed as its client.
    bool Shown();
    // Neither viewable nor listed.
    bool hidden();
    // What the client wrote to its standard error, and whether it still runs: for failure messages.
    std::string diagnostics();

private:
    Observer& view_;
    Mode mode_;
    QProcess process_;
    QByteArray output_;
    Window window_ = 0;
};

}  // namespace e2e
