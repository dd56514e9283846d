// The picker on a real desktop: xdotool presses the pointer on the reticle, drags it over an xterm
// and lets go; the X11 window services track and frame the window, the add confirmation is answered
// with real keyboard and pointer input. Screenshots of the frame go to $ZEL_TEST_OUTPUT/ui.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/CycleDriver.h"
#include "app/TargetPicking.h"
#include "core/ControlValues.h"
#include "core/CycleFlags.h"
#include "core/MuteSwitch.h"
#include "core/TargetRegistry.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeSoundOutput.h"
#include "fakes/FakeTrayIcon.h"
#include "fakes/FakeWindowServices.h"
#include "platform/x11/X11WindowServices.h"
#include "ui/AddTargetDialog.h"
#include "ui/MainWindow.h"
#include "ui/QtApp.h"

namespace {

const QString kTitle = QStringLiteral("ZelPickTarget");

QString runTool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(10000)) return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

void xdotool(const QStringList& args) {
    EXPECT_EQ(QProcess::execute(QStringLiteral("xdotool"), args), 0) << args.join(' ').toStdString();
}

void moveTo(QPoint p) {
    xdotool({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
}

// A client window's rectangle on the screen, read with xwininfo.
QRect clientRect(core::WindowHandle window) {
    const QString info =
        runTool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    const auto number = [&](const char* label) {
        const QRegularExpression re(QString::fromLatin1(label) + QStringLiteral(":\\s+(-?\\d+)"));
        return re.match(info).captured(1).toInt();
    };
    return QRect(number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"),
                 number("Height"));
}

// The window manager's frame around a client: _NET_FRAME_EXTENTS (left, right, top, bottom).
QMargins FrameExtents(core::WindowHandle window) {
    const QString prop = runTool(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window),
                                                           QStringLiteral("_NET_FRAME_EXTENTS")});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("=\\s*(\\d+),\\s*(\\d+),\\s*(\\d+),\\s*(\\d+)")).match(prop);
    if (!m.hasMatch()) return {};
    return QMargins(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(2).toInt(),
                    m.captured(4).toInt());
}

QImage screenShot() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

// Pixels of the 5-pixel band along the inside of `rect` that differ between the two pictures, and
// the band's size.
std::pair<int, int> bandDifference(const QImage& a, const QImage& b, const QRect& rect) {
    int differing = 0;
    int total = 0;
    const QRect inner = rect.adjusted(5, 5, -5, -5);
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (inner.contains(x, y) || !a.rect().contains(x, y)) continue;
            ++total;
            if (a.pixel(x, y) != b.pixel(x, y)) ++differing;
        }
    }
    return {differing, total};
}

int countInBand(const QImage& image, const QRect& rect, QRgb colour) {
    int count = 0;
    const QRect inner = rect.adjusted(5, 5, -5, -5);
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (!inner.contains(x, y) && image.rect().contains(x, y) && image.pixel(x, y) == colour) ++count;
        }
    }
    return count;
}

QString output(const QString& name) {
    QDir dir(qEnvironmentVariable("ZEL_TEST_OUTPUT", QDir::tempPath()) + QStringLiteral("/ui"));
    dir.mkpath(QStringLiteral("."));
    return dir.filePath(name);
}

class PickerDrag : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(services, nullptr) << "no X server";
        cycleDriver.start();
        xterm.start(QStringLiteral("xterm"), {QStringLiteral("-title"), kTitle, QStringLiteral("-geometry"),
                                              QStringLiteral("50x12+520+200")});
        ASSERT_TRUE(xterm.waitForStarted());
        ASSERT_TRUE(QTest::qWaitFor([&] { return findXterm() != 0; }, 10000)) << "xterm did not appear";
        target = findXterm();
        ASSERT_TRUE(QTest::qWaitFor([&] { return FrameExtents(target).top() > 0; }, 10000)) << "not managed";
        client = clientRect(target);
        outer = client.marginsAdded(FrameExtents(target));

        form.move(20, 40);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    void TearDown() override {
        xterm.kill();
        xterm.waitForFinished(5000);
    }

    core::WindowHandle findXterm() {
        for (core::WindowHandle w : services->topLevelWindows()) {
            if (services->windowTitle(w) == kTitle) return w;
        }
        return 0;
    }

    QPoint reticleCentre() { return form.pickerBox()->mapToGlobal(form.pickerBox()->rect().center()); }

    // Presses on the reticle and moves onto `point`; returns once the form shows that window.
    void pressAndTrack(QPoint point, core::WindowHandle expected) {
        moveTo(reticleCentre());
        xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
        ASSERT_TRUE(QTest::qWaitFor([&] { return picking.trackingTimer().isActive(); }, 5000))
            << "the drag did not start";
        EXPECT_FALSE(cycleDriver.running());
        // The reticle is the pointer, held by a grab wherever the pointer goes.
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(15, 16));
        EXPECT_EQ(QWidget::mouseGrabber(), form.pickerBox());
        moveTo(point);
        // trackedWindow starts at 0 with each drag: the text boxes may still show the last one.
        ASSERT_TRUE(QTest::qWaitFor([&] { return picking.picker().trackedWindow() == expected; }, 5000))
            << form.handleText()->text().toStdString() << "\n"
            << runTool(QStringLiteral("xwininfo"), {QStringLiteral("-children"), QStringLiteral("-id"),
                                                    QStringLiteral("0x") + form.handleText()->text()})
                   .toStdString()
            << "at point: " << services->windowAt({point.x(), point.y()}) << " target " << expected
            << " outer " << outer.x() << "," << outer.y() << " " << outer.width() << "x" << outer.height();
    }

    // Lets go of the button; `answer` runs once the question is shown (and, for keys, has the focus).
    void releaseAndAnswer(const std::function<void()>& answer, bool needsFocus) {
        ui::AddTargetDialog& dialog = picking.addTargetDialog();
        QTimer poll;
        bool shown = false;
        bool answered = false;
        QElapsedTimer sinceShown;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!shown && dialog.isVisible()) sinceShown.start();
            shown = shown || dialog.isVisible();
            // The question runs its own modal loop inside this wait: never leave it open for good.
            if (shown && dialog.isVisible() && sinceShown.elapsed() > 20000) {
                ADD_FAILURE() << "the question was never answered";
                dialog.reject();
                return;
            }
            if (answered || !dialog.isVisible() || (needsFocus && !dialog.isActiveWindow())) return;
            answered = true;
            answer();
        });
        poll.start(20);
        xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown; }, 10000)) << "no question";
        ASSERT_TRUE(QTest::qWaitFor([&] { return answered && !dialog.isVisible(); }, 30000))
            << "not answered";
        EXPECT_FALSE(picking.trackingTimer().isActive());
        EXPECT_TRUE(cycleDriver.running());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the default pointer is back";
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    }

    QApplication& app = uitest::app();  // before any widget
    std::unique_ptr<core::WindowServices> services = core::x11::createX11WindowServices();
    fakes::FakeWindowServices noServer;  // only so that the members below can be built; SetUp fails
    core::WindowServices& live = services ? *services : noServer;
    fakes::FakePrompter prompter;
    core::CycleFlags flags;
    core::TargetRegistry registry{live, prompter, flags};
    fakes::FakeTrayIcon icon;
    fakes::FakeSoundOutput sound;
    core::MuteSwitch mute{sound};
    core::ControlValues values;
    ui::MainWindow form{{values, live, registry, mute}};
    app::CycleDriver cycleDriver{live, [] {}};
    app::TargetPicking picking{{live, registry, prompter, icon, form, cycleDriver}};
    QProcess xterm;
    core::WindowHandle target = 0;
    QRect client;  // the xterm's own window
    QRect outer;   // with the window manager's frame
};

TEST_F(PickerDrag, DropOnTheTitleBarPicksTheWindowAndFramesItMeanwhile) {
    const QImage before = screenShot();
    const QPoint titleBar(outer.center().x(), (outer.top() + client.top()) / 2);
    pressAndTrack(titleBar, target);
    EXPECT_EQ(form.titleText()->text(), kTitle);

    // The frame covers the band along the inside of the xterm's outer rectangle.
    QImage during;
    const auto framed = [&] {
        during = screenShot();
        const auto [differing, total] = bandDifference(before, during, outer);
        return differing > total * 9 / 10;
    };
    EXPECT_TRUE(QTest::qWaitFor(framed, 5000)) << "no frame around the xterm";
    during.save(output(QStringLiteral("picker-frame.png")));
    const QRgb frameColour = during.pixel(outer.left() + 2, outer.center().y());
    const int inBandBefore = countInBand(before, outer, frameColour);
    EXPECT_GT(countInBand(during, outer, frameColour), inBandBefore);

    releaseAndAnswer([] { xdotool({QStringLiteral("key"), QStringLiteral("Return")}); }, true);
    const QString entry = kTitle + QLatin1Char('(') + core::handleToHex(target) + QLatin1Char(')');
    EXPECT_EQ(registry.targetList().stringList(), QStringList{entry});
    EXPECT_FALSE(registry.classNames().contains(QStringLiteral("XTerm"))) << "Enter: the window alone";

    // The frame is gone (the xterm itself may look different now: it may have the focus).
    QImage after;
    const auto erased = [&] {
        after = screenShot();
        return countInBand(after, outer, frameColour) <= inBandBefore;
    };
    EXPECT_TRUE(QTest::qWaitFor(erased, 5000)) << "the frame stayed";
    after.save(output(QStringLiteral("picker-after.png")));

    // The same window again, this time with its whole class.
    pressAndTrack(titleBar, target);
    releaseAndAnswer(
        [&] {
            QPushButton* wholeClassButton = picking.addTargetDialog().wholeClassButton();
            moveTo(wholeClassButton->mapToGlobal(wholeClassButton->rect().center()));
            xdotool({QStringLiteral("click"), QStringLiteral("1")});
        },
        true);  // the button is where the form says once the window manager has placed and focused it
    EXPECT_EQ(registry.targetList().stringList(), QStringList{entry}) << "no second entry";
    EXPECT_TRUE(registry.classList().stringList().contains(QStringLiteral("XTerm")));
    EXPECT_EQ(icon.calls.size(), 2u);
}

TEST_F(PickerDrag, DropInsideTheXtermPicksItsInnerWindow) {
    pressAndTrack(client.center(), services->windowAt({client.center().x(), client.center().y()}));
    const auto inner = static_cast<core::WindowHandle>(form.handleText()->text().toUInt(nullptr, 16));
    EXPECT_NE(inner, target) << "xterm's text area is a child window of its own";
    QString question;
    releaseAndAnswer(
        [&] {
            question = picking.addTargetDialog().messageLabel()->text();
            xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        },
        true);
    EXPECT_TRUE(question.endsWith(QChar(0xFF1A) + services->className(inner)));
    EXPECT_EQ(registry.targetList().stringList(),
              QStringList{services->windowTitle(inner) + QLatin1Char('(') + core::handleToHex(inner) +
                          QLatin1Char(')')});
}

TEST_F(PickerDrag, QuickClickOnTheReticlePicksNothing) {
    moveTo(reticleCentre());
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !picking.trackingTimer().isActive() && cycleDriver.running(); }, 5000));
    QTest::qWait(0);
    EXPECT_FALSE(picking.addTargetDialog().isVisible());
    EXPECT_TRUE(registry.targetList().stringList().isEmpty());
}

}  // namespace
