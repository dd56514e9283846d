#include "e2e/faults/FaultSupport.h"

#include "e2e/support/Leftovers.h"

namespace e2e {

void FaultTest::SetUp() {
    adoptOrphans();
    ASSERT_TRUE(view.connected()) << "no X display";
    movePointer(kScreenCentre);
}

void FaultTest::TearDown() {
    QStringList left;
    const bool none = waitUntil(
        [&] {
            left = liveDescendants();
            return left.isEmpty();
        },
        10s);
    EXPECT_TRUE(none) << "still running after the test: " << left.join(QStringLiteral(", ")).toStdString();
    movePointer(kScreenCentre);
}

namespace {

QString modeName(StubbornWindow::Mode mode) {
    switch (mode) {
        case StubbornWindow::Mode::kPlain:
            return QStringLiteral("plain");
        case StubbornWindow::Mode::kRemap:
            return QStringLiteral("remap");
        case StubbornWindow::Mode::kDestroy:
            return QStringLiteral("destroy");
        case StubbornWindow::Mode::kOverride:
            return QStringLiteral("override");
    }
    return {};
}

}  // namespace

StubbornWindow::StubbornWindow(Observer& view, Mode mode, const QString& className, const QString& title,
                               QRect geometry, const QProcessEnvironment& env)
    : view_(view), mode_(mode) {
    process_.setProcessEnvironment(env);
    process_.start(
        QStringLiteral(ZEL_E2E_STUBBORN),
        {QStringLiteral("--class"), className, QStringLiteral("--title"), title, QStringLiteral("--geometry"),
         QStringLiteral("%1x%2+%3+%4")
             .arg(geometry.width())
             .arg(geometry.height())
             .arg(geometry.x())
             .arg(geometry.y()),
         QStringLiteral("--mode"), modeName(mode)});
    if (!process_.waitForStarted(10000)) return;
    waitUntil([&] {
        process_.waitForReadyRead(20);
        output_ += process_.readAllStandardOutput();
        const qsizetype end = output_.indexOf('\n');
        if (end > 0) window_ = output_.left(end).trimmed().toUInt(nullptr, 16);
        return end > 0 || process_.state() == QProcess::NotRunning;
    });
    // Managed windows are reported once the window manager has them.
    if (mode != Mode::kOverride && window_ != 0) waitUntil([&] { return Shown(); });
}

StubbornWindow::~StubbornWindow() {
    process_.kill();
    process_.waitForFinished(5000);
}

int StubbornWindow::said(const QString& word) {
    process_.waitForReadyRead(0);  // takes in what the client printed meanwhile
    output_ += process_.readAllStandardOutput();
    return static_cast<int>(QString::fromLatin1(output_).split(u'\n').count(word));
}

bool StubbornWindow::ended() {
    process_.waitForFinished(0);
    return process_.state() == QProcess::NotRunning;
}

bool StubbornWindow::Shown() {
    if (window_ == 0 || !view_.viewable(window_)) return false;
    return mode_ == Mode::kOverride || view_.listed(window_);
}

std::string StubbornWindow::diagnostics() {
    return "zel-e2e-stubborn " + std::string(ended() ? "ended" : "runs") +
           ", said: " + QString::fromLocal8Bit(process_.readAllStandardError()).toStdString();
}

bool StubbornWindow::hidden() {
    return window_ != 0 && !view_.viewable(window_) && !view_.listed(window_);
}

}  // namespace e2e
