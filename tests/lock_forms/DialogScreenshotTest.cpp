// Shows every dialog of the lock and the about box on the desktop, saves a picture of each to
// $ZEL_TEST_OUTPUT/dialogs and checks that no label, button or box is cut off by the layout.
#include <gtest/gtest.h>

#include <algorithm>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "fakes/FakePrompter.h"
#include "lock_forms/DialogTestSupport.h"
#include "lock_forms/FakeDigest.h"
#include "platform/qt/QtPrompter.h"
#include "platform/qt/QtTranslation.h"
#include "ui/AboutDialog.h"
#include "ui/PasswordEntryDialog.h"
#include "ui/SetPasswordDialog.h"

namespace {

using fakes::FakePrompter;
using zeltest::fakeDigest;

QString outputDir() {
    const QByteArray base = qgetenv("ZEL_TEST_OUTPUT");
    const QString dir =
        (base.isEmpty() ? QStringLiteral(ZEL_FALLBACK_TEST_OUTPUT) : QString::fromLocal8Bit(base)) +
        QStringLiteral("/dialogs");
    QDir().mkpath(dir);
    return dir;
}

// "name.png" at scale 1, "name@2x.png" under QT_SCALE_FACTOR=2.
QString shotPath(const QString& name) {
    const QByteArray scale = qgetenv("QT_SCALE_FACTOR");
    const QString suffix = scale.isEmpty() || scale == "1" ? QString() : QStringLiteral("@") + scale + "x";
    return outputDir() + QLatin1Char('/') + name + suffix + QStringLiteral(".png");
}

bool isText(QWidget* widget) {
    return qobject_cast<QLabel*>(widget) != nullptr || qobject_cast<QAbstractButton*>(widget) != nullptr ||
           qobject_cast<QLineEdit*>(widget) != nullptr;
}

void expectNothingClipped(QWidget& window, const QString& name) {
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisible() || !isText(widget)) continue;
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

void shoot(QWidget& window, const QString& name) {
    if (!window.isVisible()) window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    expectNothingClipped(window, name);
    const QString path = shotPath(name);
    EXPECT_TRUE(window.grab().save(path)) << path.toStdString();
    // The window with the window manager's frame and title, once the frame is there.
    if (QTest::qWaitFor([&window] { return window.frameGeometry() != window.geometry(); })) {
        QScreen* screen = window.screen();
        const QRect frame = window.frameGeometry();
        screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
            .save(shotPath(name + QStringLiteral("-framed")));
    }
    std::printf("%s: %dx%d at %s\n", qPrintable(name), window.width(), window.height(), qPrintable(path));
}

// A message box as the real prompter shows it, captured while it waits for the user.
void shootMessage(const QString& name, const QString& text, core::MessageStyle style) {
    zeltest::whenModal<QMessageBox>([name](QMessageBox& box) {
        shoot(box, name);
        box.accept();
    });
    qtplatform::QtPrompter prompter;
    prompter.showMessage(text, style, core::appTitle());
}

TEST(DialogScreens, SetDialog) {
    FakePrompter prompter;
    ui::SetPasswordDialog withPassword(QStringLiteral("DXYZ"), prompter, nullptr, fakeDigest);
    shoot(withPassword, QStringLiteral("frmPasswd"));
    ui::SetPasswordDialog typed(QString(), prompter, nullptr, fakeDigest);
    typed.passwordEdit(0)->setText(QStringLiteral("abc"));
    shoot(typed, QStringLiteral("frmPasswd-typed"));
}

TEST(DialogScreens, EntryDialog) {
    FakePrompter prompter;
    ui::PasswordEntryDialog dialog(QStringLiteral("DABC"), prompter, nullptr, fakeDigest);
    dialog.passwordEdit()->setText(QStringLiteral("secret-password"));
    shoot(dialog, QStringLiteral("frmPassEnt"));
}

TEST(DialogScreens, AboutBox) {
    FakePrompter prompter;
    ui::AboutDialog box({prompter, [](const QUrl&) { return false; }, QString(), QIcon()}, nullptr);
    shoot(box, QStringLiteral("frmAbout"));
    std::printf("title font: %s, button font: %s\n", qPrintable(QFontInfo(box.titleLabel()->font()).family()),
                qPrintable(QFontInfo(box.mailButton()->font()).family()));
}

TEST(DialogScreens, MessageBoxes) {
    shootMessage(QStringLiteral("msg-mismatch"), QStringLiteral("２つのパスワードが不一致ダヨ"),
                 core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Information, true});
    shootMessage(QStringLiteral("msg-wrong"), QStringLiteral("パスワードが違います"),
                 core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Critical});
    shootMessage(QStringLiteral("msg-thanks"), QStringLiteral("どうもありがとうm(__)m"),
                 core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Information, true});
}

// The decoy icon's file dialog is Qt's own: with Qt's Japanese translation its labels and buttons
// speak Japanese like the rest of the program.
TEST(DialogScreens, IconFileDialog) {
    ASSERT_TRUE(qtplatform::installJapaneseQtTexts(*QCoreApplication::instance()))
        << "Qt's Japanese translation (qt6-translations-l10n) is not installed";
    QFileDialog dialog(nullptr, QStringLiteral("騙しアイコン(隠蔽待機)"), QDir::tempPath(),
                       QStringLiteral("アイコン (*.ico *.png)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->isVisible() && !label->text().isEmpty()) texts << label->text();
    }
    for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->isVisible() && !button->text().isEmpty()) texts << button->text();
    }
    ASSERT_FALSE(texts.isEmpty());
    for (const QString& text : texts) {
        const bool japanese =
            std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x3000; });
        EXPECT_TRUE(japanese) << "not translated: " << text.toStdString();
    }
    std::printf("file dialog: %s\n", qPrintable(texts.join(QStringLiteral(" | "))));
    // Qt's layout, not ours: only the picture, without the check for clipped text (its icon-only
    // tool buttons are laid out a pixel or two below their size hint).
    const QString path = shotPath(QStringLiteral("file-dialog"));
    EXPECT_TRUE(dialog.grab().save(path)) << path.toStdString();
    dialog.reject();
}

}  // namespace
