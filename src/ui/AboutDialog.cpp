#include "ui/AboutDialog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <utility>

#include "ui/Version.h"

namespace ui {

namespace {

const QString kFeedbackAddress = QStringLiteral("feedback@zelmora2nd.example.org");

// A brush-written face where one is installed, else the IPA faces that the desktop has.
QFont titleFont(const QFont& base) {
    QFont font = base;
    font.setFamilies({QStringLiteral("HG正楷書体-PRO"), QStringLiteral("HGSeikaishotaiPRO"),
                      QStringLiteral("IPAexMincho"), QStringLiteral("IPAPMincho"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    font.setPointSizeF(base.pointSizeF() * 2.2);
    return font;
}

QFont buttonFont(const QFont& base) {
    QFont font = base;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    return font;
}

QFrame* newRule(QWidget* parent) {
    auto* rule = new QFrame(parent);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    return rule;
}

}  // namespace

AboutDialog::AboutDialog(AboutServices services, QWidget* owner)
    : QDialog(owner), services_(std::move(services)) {
    setWindowTitle(QStringLiteral("Zelmora2nd."));
    // A title and a close button only (without CustomizeWindowHint window managers add minimise and
    // maximise buttons), above ordinary windows.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    buildControls();
    versionLabel_->setText(versionText(kVersionMajor, kVersionMinor, kVersionPatch));
}

QString AboutDialog::versionText(int major, int minor, int patch) {
    return QStringLiteral("Ver. %1.%2.%3").arg(major).arg(minor).arg(patch);
}

QUrl AboutDialog::mailLink() {
    return QUrl(QStringLiteral("mailto:") + kFeedbackAddress +
                QStringLiteral("?Subject=Zelmora&BODY=使ってるよ！"));
}

void AboutDialog::buildControls() {
    const int iconSide = style()->pixelMetric(QStyle::PM_LargeIconSize) * 3 / 2;
    iconLabel_ = new QLabel(this);
    QPixmap picture = programIcon().pixmap(iconSide, iconSide);
    // An icon drawn only in small sizes is scaled up rather than left as a speck.
    if (!picture.isNull() && picture.deviceIndependentSize().width() < iconSide) {
        const qreal ratio = devicePixelRatioF();
        const int side = qRound(iconSide * ratio);
        picture = picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        picture.setDevicePixelRatio(ratio);
    }
    iconLabel_->setPixmap(picture);
    iconLabel_->setAlignment(Qt::AlignCenter);
    titleLabel_ = new QLabel(QStringLiteral("Zelmora 2nd."), this);
    titleLabel_->setFont(titleFont(font()));
    versionLabel_ = new QLabel(QStringLiteral("Ver."), this);

    // One sentence a line.
    cautionLabel_ = new QLabel(QStringLiteral("このソフトはいろいろな意味で危ないので無料です。\n"
                                              "使いすぎにはくれぐれもご注意ください。"),
                               this);
    copyrightLabel_ =
        new QLabel(QStringLiteral("Copyright (C) 2026 Zelmora2nd for Linux contributors"), this);
    noteLabel_ = new QLabel(QStringLiteral("https://zelmora2nd.example.org/"), this);
    noteLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    mailButton_ = new QPushButton(QStringLiteral("使ってるよメールを送ってあげる"), this);
    helpButton_ = new QPushButton(QStringLiteral("たーすけてー"), this);
    closeButton_ = new QPushButton(QStringLiteral("閉じる"), this);
    for (QPushButton* button : {mailButton_, helpButton_, closeButton_})
        button->setFont(buttonFont(font()));
    // Enter closes the box: the mail and help buttons must not take the default when focused.
    mailButton_->setAutoDefault(false);
    helpButton_->setAutoDefault(false);
    closeButton_->setDefault(true);
    closeButton_->setFocus();
    connect(mailButton_, &QPushButton::clicked, this, &AboutDialog::onMailClicked);
    connect(helpButton_, &QPushButton::clicked, this, &AboutDialog::onHelpClicked);
    connect(closeButton_, &QPushButton::clicked, this, &AboutDialog::onCloseClicked);

    auto* heading = new QGridLayout;
    heading->addWidget(iconLabel_, 0, 0, 2, 1);
    heading->addWidget(titleLabel_, 0, 1);
    heading->addWidget(versionLabel_, 1, 1);
    heading->setColumnStretch(1, 1);
    heading->setHorizontalSpacing(heading->horizontalSpacing() * 2);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mailButton_);
    buttons->addWidget(helpButton_);
    buttons->addStretch();
    buttons->addWidget(closeButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    layout->addWidget(newRule(this));
    layout->addWidget(cautionLabel_);
    layout->addWidget(newRule(this));
    layout->addWidget(copyrightLabel_);
    layout->addWidget(noteLabel_);
    layout->addSpacing(layout->spacing());
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QIcon AboutDialog::programIcon() const {
    if (!services_.icon.isNull()) return services_.icon;
    if (!QApplication::windowIcon().isNull()) return QApplication::windowIcon();
    return style()->standardIcon(QStyle::SP_ComputerIcon);
}

// Opens the help file beside the program with the desktop's handler. Nothing is reported when it
// is missing or nothing can open it.
void AboutDialog::onHelpClicked() {
    const QString path = QDir(services_.programDir).filePath(helpFileName());
    if (QFileInfo::exists(path) && services_.openUrl) services_.openUrl(QUrl::fromLocalFile(path));
}

// The thank-you follows whether or not a mail program took the link.
void AboutDialog::onMailClicked() {
    if (services_.openUrl) services_.openUrl(mailLink());
    services_.prompter.showMessage(
        QStringLiteral("どうもありがとうm(__)m"),
        core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Information, true}, core::appTitle());
}

void AboutDialog::onCloseClicked() {
    accept();
}

void showAbout(AboutServices services, QWidget* owner) {
    if (!services.openUrl) services.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    if (services.programDir.isEmpty()) services.programDir = QCoreApplication::applicationDirPath();
    // On the heap and watched: the owner may take the box with it while it is open.
    QPointer<AboutDialog> box = new AboutDialog(std::move(services), owner);
    box->exec();
    delete box;
}

}  // namespace ui
