#include "ui/about/frmAbout.h"

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

#include "ui/about/Version.h"

namespace ui {

namespace {

const QString kFeedbackAddress = QStringLiteral("feedback@zelmora2nd.example.org");

// A brush-written face where one is installed, else the IPA faces that the desktop has.
QFont TitleFont(const QFont& base) {
    QFont font = base;
    font.setFamilies({QStringLiteral("HG正楷書体-PRO"), QStringLiteral("HGSeikaishotaiPRO"),
                      QStringLiteral("IPAexMincho"), QStringLiteral("IPAPMincho"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    font.setPointSizeF(base.pointSizeF() * 2.2);
    return font;
}

QFont ButtonFont(const QFont& base) {
    QFont font = base;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    return font;
}

QFrame* NewRule(QWidget* parent) {
    auto* rule = new QFrame(parent);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    return rule;
}

}  // namespace

frmAbout::frmAbout(AboutServices services, QWidget* owner) : QDialog(owner), services_(std::move(services)) {
    setWindowTitle(QStringLiteral("Zelmora2nd."));
    // A title and a close button only (without CustomizeWindowHint window managers add minimise and
    // maximise buttons), above ordinary windows.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    BuildControls();
    lblVer_->setText(VersionText(kVersionMajor, kVersionMinor, kVersionPatch));
}

QString frmAbout::VersionText(int major, int minor, int patch) {
    return QStringLiteral("Ver. %1.%2.%3").arg(major).arg(minor).arg(patch);
}

QUrl frmAbout::MailLink() {
    return QUrl(QStringLiteral("mailto:") + kFeedbackAddress +
                QStringLiteral("?Subject=Zelmora&BODY=使ってるよ！"));
}

void frmAbout::BuildControls() {
    const int iconSide = style()->pixelMetric(QStyle::PM_LargeIconSize) * 3 / 2;
    picIcon_ = new QLabel(this);
    QPixmap picture = ProgramIcon().pixmap(iconSide, iconSide);
    // An icon drawn only in small sizes is scaled up rather than left as a speck.
    if (!picture.isNull() && picture.deviceIndependentSize().width() < iconSide) {
        const qreal ratio = devicePixelRatioF();
        const int side = qRound(iconSide * ratio);
        picture = picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        picture.setDevicePixelRatio(ratio);
    }
    picIcon_->setPixmap(picture);
    picIcon_->setAlignment(Qt::AlignCenter);
    lblTitle_ = new QLabel(QStringLiteral("Zelmora 2nd."), this);
    lblTitle_->setFont(TitleFont(font()));
    lblVer_ = new QLabel(QStringLiteral("Ver."), this);

    // One sentence a line.
    lblCoution_ = new QLabel(QStringLiteral("このソフトはいろいろな意味で危ないので無料です。\n"
                                            "使いすぎにはくれぐれもご注意ください。"),
                             this);
    lblCpy_ = new QLabel(QStringLiteral("Copyright (C) 2026 Zelmora2nd for Linux contributors"), this);
    Label2_ = new QLabel(QStringLiteral("https://zelmora2nd.example.org/"), this);
    Label2_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    cmdMail_ = new QPushButton(QStringLiteral("使ってるよメールを送ってあげる"), this);
    cmdHelp_ = new QPushButton(QStringLiteral("たーすけてー"), this);
    cmdClose_ = new QPushButton(QStringLiteral("閉じる"), this);
    for (QPushButton* button : {cmdMail_, cmdHelp_, cmdClose_})
        button->setFont(ButtonFont(font()));
    // Enter closes the box: the mail and help buttons must not take the default when focused.
    cmdMail_->setAutoDefault(false);
    cmdHelp_->setAutoDefault(false);
    cmdClose_->setDefault(true);
    cmdClose_->setFocus();
    connect(cmdMail_, &QPushButton::clicked, this, &frmAbout::cmdMail_Click);
    connect(cmdHelp_, &QPushButton::clicked, this, &frmAbout::cmdHelp_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &frmAbout::cmdClose_Click);

    auto* heading = new QGridLayout;
    heading->addWidget(picIcon_, 0, 0, 2, 1);
    heading->addWidget(lblTitle_, 0, 1);
    heading->addWidget(lblVer_, 1, 1);
    heading->setColumnStretch(1, 1);
    heading->setHorizontalSpacing(heading->horizontalSpacing() * 2);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdMail_);
    buttons->addWidget(cmdHelp_);
    buttons->addStretch();
    buttons->addWidget(cmdClose_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    layout->addWidget(NewRule(this));
    layout->addWidget(lblCoution_);
    layout->addWidget(NewRule(this));
    layout->addWidget(lblCpy_);
    layout->addWidget(Label2_);
    layout->addSpacing(layout->spacing());
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QIcon frmAbout::ProgramIcon() const {
    if (!services_.icon.isNull()) return services_.icon;
    if (!QApplication::windowIcon().isNull()) return QApplication::windowIcon();
    return style()->standardIcon(QStyle::SP_ComputerIcon);
}

// Opens the help file beside the program with the desktop's handler. Nothing is reported when it
// is missing or nothing can open it.
void frmAbout::cmdHelp_Click() {
    const QString path = QDir(services_.programDir).filePath(HelpFileName());
    if (QFileInfo::exists(path) && services_.openUrl) services_.openUrl(QUrl::fromLocalFile(path));
}

// The thank-you follows whether or not a mail program took the link.
void frmAbout::cmdMail_Click() {
    if (services_.openUrl) services_.openUrl(MailLink());
    services_.prompter.MsgBox(QStringLiteral("どうもありがとうm(__)m"),
                              core::mb::kOkOnly | core::mb::kInformation | core::mb::kSystemModal,
                              core::AppTitle());
}

void frmAbout::cmdClose_Click() {
    accept();
}

void ShowAbout(AboutServices services, QWidget* owner) {
    if (!services.openUrl) services.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    if (services.programDir.isEmpty()) services.programDir = QCoreApplication::applicationDirPath();
    // On the heap and watched: the owner may take the box with it while it is open.
    QPointer<frmAbout> box = new frmAbout(std::move(services), owner);
    box->exec();
    delete box;
}

}  // namespace ui
