#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>
#include <vector>

#include "fakes/FakePrompter.h"
#include "lock_forms/DialogTestSupport.h"
#include "ui/AboutDialog.h"
#include "ui/Version.h"

namespace {

using fakes::FakePrompter;
using ui::AboutDialog;

class AboutTest : public testing::Test {
protected:
    // The about box with a link opener that records and answers openResult.
    std::unique_ptr<AboutDialog> makeBox(const QString& folder) {
        ui::AboutServices services{prompter,
                                   [this](const QUrl& url) {
                                       opened.push_back(url);
                                       return openResult;
                                   },
                                   folder, QIcon()};
        return std::make_unique<AboutDialog>(services, nullptr);
    }

    FakePrompter prompter;
    std::vector<QUrl> opened;
    bool openResult = true;
    QTemporaryDir programDir;
};

TEST_F(AboutTest, VersionLabelHasThreeNumbers) {
    auto box = makeBox(programDir.path());
    const QString text = box->versionLabel()->text();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Ver\\. \\d+\\.\\d+\\.\\d+$")).match(text).hasMatch())
        << text.toStdString();
    EXPECT_EQ(
        text,
        QStringLiteral("Ver. %1.%2.%3").arg(ui::kVersionMajor).arg(ui::kVersionMinor).arg(ui::kVersionPatch));
    EXPECT_EQ(AboutDialog::versionText(2, 5, 5), QStringLiteral("Ver. 2.5.5"));
    EXPECT_EQ(AboutDialog::versionText(10, 0, 12), QStringLiteral("Ver. 10.0.12"));
}

TEST_F(AboutTest, MailThanksWhetherOrNotLinkOpened) {
    for (const bool result : {true, false}) {
        openResult = result;
        opened.clear();
        prompter.shown.clear();
        auto box = makeBox(programDir.path());
        box->mailButton()->click();

        ASSERT_EQ(opened.size(), 1U);
        const QUrl& link = opened[0];
        EXPECT_EQ(link.scheme(), QStringLiteral("mailto"));
        EXPECT_EQ(link.path(), QStringLiteral("feedback@zelmora2nd.example.org"));
        const QUrlQuery query(link);
        EXPECT_EQ(query.queryItemValue(QStringLiteral("Subject"), QUrl::FullyDecoded),
                  QStringLiteral("Zelmora"));
        EXPECT_EQ(query.queryItemValue(QStringLiteral("BODY"), QUrl::FullyDecoded),
                  QStringLiteral("使ってるよ！"));
        ASSERT_EQ(prompter.shown.size(), 1U);
        EXPECT_EQ(prompter.shown[0].text, QStringLiteral("どうもありがとうm(__)m"));
        EXPECT_EQ(prompter.shown[0].style,
                  (core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Information, true}));
        EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Zelmora2nd"));
    }
}

TEST_F(AboutTest, HelpOpensFileBesideProgram) {
    const QString path = QDir(programDir.path()).filePath(QStringLiteral("Kavro.chm"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    openResult = false;  // no viewer for the file type: still nothing to report
    auto box = makeBox(programDir.path());
    box->helpButton()->click();
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(path));
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(AboutTest, MissingHelpFileIsSilent) {
    auto box = makeBox(programDir.path());
    box->helpButton()->click();
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(AboutTest, CaptionsAndButtons) {
    auto box = makeBox(programDir.path());
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Zelmora2nd."));
    EXPECT_TRUE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(box->titleLabel()->text(), QStringLiteral("Zelmora 2nd."));
    EXPECT_EQ(box->mailButton()->text(), QStringLiteral("使ってるよメールを送ってあげる"));
    EXPECT_EQ(box->helpButton()->text(), QStringLiteral("たーすけてー"));
    EXPECT_EQ(box->closeButton()->text(), QStringLiteral("閉じる"));
    EXPECT_TRUE(box->closeButton()->isDefault());
    EXPECT_FALSE(box->iconLabel()->pixmap().isNull());
    box->show();
    box->closeButton()->click();
    EXPECT_FALSE(box->isVisible());
}

TEST_F(AboutTest, EnterClosesTheBoxWithoutSendingMail) {
    auto box = makeBox(programDir.path());
    box->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(box.get()));
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(box->isVisible());
    EXPECT_TRUE(opened.empty()) << "Enter sent the mail";
    EXPECT_TRUE(prompter.shown.empty());
}

}  // namespace
