#include <gtest/gtest.h>

#include <QCoreApplication>

#include "platform/qt/QtTranslation.h"

namespace {

bool isJapanese(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x3000) return true;
    }
    return false;
}

// Qt's own texts of the file dialog and the standard buttons come in Japanese, whatever the locale.
TEST(QtTranslationTest, QtsDialogsSpeakJapanese) {
    ASSERT_TRUE(qtplatform::installJapaneseQtTexts(*QCoreApplication::instance()))
        << "Qt's Japanese translation (qt6-translations-l10n) is not installed";
    const struct {
        const char* context;
        const char* text;
    } texts[] = {
        {"QFileDialog", "Look in:"},
        {"QFileDialog", "File &name:"},
        {"QPlatformTheme", "Cancel"},
        {"QPlatformTheme", "Open"},
    };
    for (const auto& t : texts) {
        const QString shown = QCoreApplication::translate(t.context, t.text);
        EXPECT_TRUE(isJapanese(shown)) << t.context << " " << t.text << ": " << shown.toStdString();
    }
}

}  // namespace
