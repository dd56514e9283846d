// Shows every dialog of the lock and the about box on the desktop, saves a picture of each to
// $ZEL_TEST_OUTPUT/dialogs and checks that no label, button or box is cut off by the layout.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "fakes/FakePrompter.h"
#include "lock/forms/QtPrompter.h"
#include "lock/forms/frmPassEnt.h"
#include "lock/forms/frmPasswd.h"
#include "lock_forms/DialogTestSupport.h"
#include "lock_forms/FakeDigest.h"
#include "ui/about/frmAbout.h"

namespace {

using fakes::FakePrompter;
using zeltest::FakeDigest;

QString OutputDir() {
    const QByteArray base = qgetenv("ZEL_TEST_OUTPUT");
    const QString dir =
        (base.isEmpty() ? QStringLiteral(ZEL_FALLBACK_TEST_OUTPUT) : QString::fromLocal8Bit(base)) +
        QStringLiteral("/dialogs");
    QDir().mkpath(dir);
    return dir;
}

// "name.png" at scale 1, "name@2x.png" under QT_SCALE_FACTOR=2.
QString ShotPath(const QString& name) {
    const QByteArray scale = qgetenv("QT_SCALE_FACTOR");
    const QString suffix = scale.isEmpty() || scale == "1" ? QString() : QStringLiteral("@") + scale + "x";
    return OutputDir() + QLatin1Char('/') + name + suffix + QStringLiteral(".png");
}

bool IsText(QWidget* widget) {
    return qobject_cast<QLabel*>(widget) != nullptr || qobject_cast<QAbstractButton*>(widget) != nullptr ||
           qobject_cast<QLineEdit*>(widget) != nullptr;
}

void ExpectNothingClipped(QWidget& window, const QString& name) {
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisible() || !IsText(widget)) continue;
        const QRect area(widget->mapTo(&window, QPoint(0, 0)), widget->size());
        const auto* label = qobject_cast<QLabel*>(widget);
        const QSize needed = label != nullptr && label->wordWrap()
                                 ? QSize(0, label->heightForWidth(label->width()))
                                 : widget->minimumSizeHint();
        const std::string what = name.toStdString() + ": " + widget->metaObject()->className() + " \"" +
                                 (label != nullptr ? label->text().toStdString() : std::string()) + "\"";
        EXPECT_TRUE(window.rect().contains(area)) << what;
        EXPECT_GE(widget->width(), needed.width()) << what;
        EXPECT_GE(widget->height(), needed.height()) << what;
    }
}

void Shoot(QWidget& window, const QString& name) {
    if (!window.isVisible()) window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ExpectNothingClipped(window, name);
    const QString path = ShotPath(name);
    EXPECT_TRUE(window.grab().save(path)) << path.toStdString();
    // The window with the window manager's frame and title, once the frame is there.
    if (QTest::qWaitFor([&window] { return window.frameGeometry() != window.geometry(); })) {
        QScreen* screen = window.screen();
        const QRect frame = window.frameGeometry();
        screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
            .save(ShotPath(name + QStringLiteral("-framed")));
    }
    std::printf("%s: %dx%d at %s\n", qPrintable(name), window.width(), window.height(), qPrintable(path));
}

// A message box as the real prompter shows it, captured while it waits for the user.
void ShootMessage(const QString& name, const QString& text, int style) {
    zeltest::WhenModal<QMessageBox>([name](QMessageBox& box) {
        Shoot(box, name);
        box.accept();
    });
    lock::QtPrompter prompter;
    prompter.MsgBox(text, style, core::AppTitle());
}

TEST(DialogScreens, SetDialog) {
    FakePrompter prompter;
    lock::frmPasswd withPassword(QStringLiteral("DXYZ"), prompter, nullptr, FakeDigest);
    Shoot(withPassword, QStringLiteral("frmPasswd"));
    lock::frmPasswd typed(QString(), prompter, nullptr, FakeDigest);
    typed.txtPass(0)->setText(QStringLiteral("abc"));
    Shoot(typed, QStringLiteral("frmPasswd-typed"));
}

TEST(DialogScreens, EntryDialog) {
    FakePrompter prompter;
    lock::frmPassEnt dialog(QStringLiteral("DABC"), prompter, nullptr, FakeDigest);
    dialog.txtPass()->setText(QStringLiteral("secret-password"));
    Shoot(dialog, QStringLiteral("frmPassEnt"));
}

TEST(DialogScreens, AboutBox) {
    FakePrompter prompter;
    ui::frmAbout box({prompter, [](const QUrl&) { return false; }, QString(), QIcon()}, nullptr);
    Shoot(box, QStringLiteral("frmAbout"));
    std::printf("title font: %s, button font: %s\n", qPrintable(QFontInfo(box.lblTitle()->font()).family()),
                qPrintable(QFontInfo(box.cmdMail()->font()).family()));
}

TEST(DialogScreens, MessageBoxes) {
    ShootMessage(QStringLiteral("msg-mismatch"), QStringLiteral("２つのパスワードが不一致ダヨ"),
                 core::mb::kInformation | core::mb::kSystemModal);
    ShootMessage(QStringLiteral("msg-wrong"), QStringLiteral("パスワードが違います"), core::mb::kCritical);
    ShootMessage(QStringLiteral("msg-thanks"), QStringLiteral("どうもありがとうm(__)m"),
                 core::mb::kInformation | core::mb::kSystemModal);
}

}  // namespace
