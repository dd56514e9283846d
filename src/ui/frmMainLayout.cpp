// The controls of the main window and where they sit. Positions are twips of the form's client
// area (children of a frame: of the frame), 15 to a pixel.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QSpinBox>

#include "ui/FormLook.h"
#include "ui/TriggerZones.h"
#include "ui/frmMain.h"

namespace ui {

namespace {

template <typename Widget>
Widget* Place(Widget* widget, const char* name, QRect twipsRect) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(twipsRect);
    return widget;
}

// Our fonts are not the original's: a caption a little wider than its box widens the box to the
// right rather than being cut off (FitCaptions). Position and height stay.
constexpr const char* kFitsCaption = "fitsCaption";

template <typename Widget>
Widget* FitsCaption(Widget* widget) {
    widget->setProperty(kFitsCaption, true);
    return widget;
}

QLabel* NewLabel(QWidget* parent, const QString& caption, const char* name, QRect rect) {
    auto* label = Place(new QLabel(caption, parent), name, rect);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return FitsCaption(label);
}

ValueCheckBox* NewCheckBox(QWidget* parent, const QString& caption, const char* name, QRect rect) {
    return FitsCaption(Place(new ValueCheckBox(caption, parent), name, rect));
}

QPushButton* NewButton(QWidget* parent, const QString& caption, const char* name, QRect rect) {
    auto* button = Place(new QPushButton(caption, parent), name, rect);
    button->setAutoDefault(false);
    return button;
}

QGroupBox* NewFrame(QWidget* parent, const QString& caption, const char* name, QRect rect) {
    return Place(new QGroupBox(caption, parent), name, rect);
}

// The zone toggles draw a small screen: corners at the corners, edges along the sides.
struct ZoneToggleSpot {
    int index;
    QRect rect;
};
constexpr std::array<ZoneToggleSpot, kZoneToggleCount> kZoneToggles{{
    {0, TwipRect(180, 300, 255, 255)},
    {5, TwipRect(420, 300, 555, 255)},
    {1, TwipRect(960, 300, 255, 255)},
    {4, TwipRect(180, 540, 255, 315)},
    {6, TwipRect(960, 540, 255, 315)},
    {3, TwipRect(180, 840, 255, 255)},
    {7, TwipRect(420, 840, 555, 255)},
    {2, TwipRect(960, 840, 255, 255)},
}};

}  // namespace

void frmMain::FitCaptions() {
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (!widget->property(kFitsCaption).toBool()) continue;
        widget->ensurePolished();
        const int needed = widget->sizeHint().width();
        if (needed > widget->width()) widget->resize(needed, widget->height());
    }
}

void frmMain::BuildPicker() {
    fraTarget_ = NewFrame(this, QStringLiteral("狙って"), "fraTarget", TwipRect(120, 240, 735, 855));
    picTarget_ = Place(new PickerBox(fraTarget_), "picTarget", TwipRect(120, 240, 495, 495));
    picTarget_->setPixmap(QPixmap::fromImage(BuiltInImage(QStringLiteral(":/cursor/reticle.xpm"), "xpm")));
    picTarget_->setAlignment(Qt::AlignCenter);
    picTarget_->setFrameShape(QFrame::Panel);
    picTarget_->setFrameShadow(QFrame::Sunken);
    picTarget_->setToolTip(QStringLiteral("こいつを標的にD&Dだ。"));

    NewLabel(this, QStringLiteral("窓ハンドル"), "lblhWnd", TwipRect(120, 1200, 810, 180));
    txthWnd_ = Place(new QLineEdit(this), "txthWnd", TwipRect(120, 1440, 855, 270));
    NewLabel(this, QStringLiteral("窓文字列"), "lblText", TwipRect(1080, 1200, 720, 180));
    txtText_ = Place(new QLineEdit(this), "txtText", TwipRect(1080, 1440, 2535, 270));
    for (QLineEdit* box : {txthWnd_, txtText_})
        box->setReadOnly(true);
}

namespace {

QPixmap Faded(const QPixmap& picture) {
    QPixmap faded(picture.size());
    faded.fill(Qt::transparent);
    QPainter painter(&faded);
    painter.setOpacity(0.25);
    painter.drawPixmap(0, 0, picture);
    return faded;
}

}  // namespace

void frmMain::BuildTriggerPanel() {
    auto* fraMousePoint =
        NewFrame(this, QStringLiteral("マウス位置"), "fraMousePoint", TwipRect(120, 1800, 1395, 1215));
    const QPixmap check = QPixmap::fromImage(BuiltInImage(QStringLiteral(":/check/check.xpm"), "xpm"));
    // Every toggle shows the red check; a toggle that is not ticked shows it faded, so that the
    // ticked zones read at a glance (the pressed look alone is faint in most styles).
    QIcon zoneIcon;
    zoneIcon.addPixmap(check, QIcon::Normal, QIcon::On);
    zoneIcon.addPixmap(Faded(check), QIcon::Normal, QIcon::Off);
    for (const ZoneToggleSpot& spot : kZoneToggles) {
        auto* toggle = new ToggleButton(fraMousePoint);
        Place(toggle, "", spot.rect);
        toggle->setObjectName(QStringLiteral("chkMouse(%1)").arg(spot.index));
        toggle->setIcon(zoneIcon);
        toggle->setIconSize(check.size());
        chkMouse_[static_cast<std::size_t>(spot.index)] = toggle;
    }

    NewLabel(this, QStringLiteral("感度"), "lblPixel(1)", TwipRect(1680, 1800, 495, 255));
    NewLabel(this, QStringLiteral("[Pix]"), "lblPixel(0)", TwipRect(2040, 1800, 360, 180));
    // One spin box stands for the text box txtPixel and its up-down buddy udPixel.
    udPixel_ = Place(new QSpinBox(this), "udPixel", TwipRect(2520, 1755, 720, 270));
    udPixel_->setRange(settings::kMinPixels, settings::kMaxPixels);
    udPixel_->setValue(1);
    udPixel_->setKeyboardTracking(false);
    udPixel_->setToolTip(QStringLiteral("感度を上げろー"));
    if (auto* text = udPixel_->findChild<QLineEdit*>()) text->setObjectName(QStringLiteral("txtPixel"));

    chkIE_ = NewCheckBox(this, QStringLiteral("自動隠し"), "chkIE", TwipRect(1680, 2280, 1575, 255));

    auto* fraKavro = NewFrame(this, QStringLiteral("隠蔽手段"), "fraKavro", TwipRect(120, 3120, 2055, 855));
    chkShift_ =
        NewCheckBox(fraKavro, QStringLiteral("シフトキー"), "chkShift", TwipRect(240, 240, 1155, 255));
    chkScrollLock_ =
        NewCheckBox(fraKavro, QStringLiteral("ScrollLock"), "chkScrollLock", TwipRect(240, 480, 1155, 255));

    auto* frmTrigger =
        NewFrame(this, QStringLiteral("トリガ"), "frmTrigger", TwipRect(2280, 3120, 1335, 855));
    chkTrigMouse_ =
        NewCheckBox(frmTrigger, QStringLiteral("マウス"), "chkTrigMouse", TwipRect(240, 240, 855, 255));
    chkTrigKey_ =
        NewCheckBox(frmTrigger, QStringLiteral("シフト"), "chkTrigKey", TwipRect(240, 480, 855, 255));

    auto* fraList = Place(new QFrame(this), "fraList", TwipRect(3240, 2160, 375, 495));
    chkList_ = Place(new ToggleButton(fraList), "chkList", TwipRect(60, 170, 255, 255));
    chkList_->setText(QStringLiteral(">"));
}

void frmMain::BuildSoundAndLock() {
    // Right of the picker: the sound row, then the lock row.
    chkMute_ = NewCheckBox(this, QStringLiteral("ミュート"), "chkMute", TwipRect(1080, 240, 1215, 255));
    chkMuteAuto_ =
        NewCheckBox(this, QStringLiteral("自動復帰"), "chkMuteAuto", TwipRect(1080, 540, 1215, 255));
    chkMuteAuto_->setEnabled(false);
    auto* cmdReverseMute =
        NewButton(this, QStringLiteral("Mute反転"), "cmdReverseMute", TwipRect(2400, 300, 1215, 375));
    connect(cmdReverseMute, &QPushButton::clicked, this, &frmMain::cmdReverseMute_Click);

    chkLock_ = NewCheckBox(this, QStringLiteral("ロック"), "chkLock", TwipRect(1080, 840, 1215, 255));
    chkLock_->setEnabled(false);
    auto* cmdPass = NewButton(this, QStringLiteral("パスワード"), "cmdPass", TwipRect(2400, 780, 1215, 375));
    connect(cmdPass, &QPushButton::clicked, this, [this] {
        if (hooks.cmdPass_Click) hooks.cmdPass_Click();
    });
}

void frmMain::BuildIconsAndCommands() {
    // Two columns, standby and concealment: the state's name above its picture and its "読".
    auto* fraIcon =
        NewFrame(this, QStringLiteral("騙しアイコン"), "fraIcon", TwipRect(120, 4080, 3495, 1080));
    const std::array<QString, 2> captions{QStringLiteral("隠蔽待機"), QStringLiteral("隠蔽中")};
    for (int i = 0; i < 2; ++i) {
        const int x = 240 + i * 1740;
        const QString index = QStringLiteral("(%1)").arg(i);
        auto* label =
            NewLabel(fraIcon, captions[static_cast<std::size_t>(i)], "", TwipRect(x, 240, 900, 180));
        label->setObjectName(QStringLiteral("lblIcon") + index);
        auto* image = Place(new QLabel(fraIcon), "", TwipRect(x, 480, 480, 480));
        image->setObjectName(QStringLiteral("imgIcon") + index);
        image->setAlignment(Qt::AlignCenter);
        imgIcon_[static_cast<std::size_t>(i)] = image;
        auto* load = NewButton(fraIcon, QStringLiteral("読"), "", TwipRect(x + 600, 540, 375, 375));
        load->setObjectName(QStringLiteral("cmdLoad") + index);
        connect(load, &QPushButton::clicked, this, [this, i] {
            if (hooks.cmdLoad_Click) hooks.cmdLoad_Click(i);
        });
    }

    chkRunup_ =
        NewCheckBox(this, QStringLiteral("起動時画面表示"), "chkRunup", TwipRect(120, 5280, 2535, 255));

    auto* cmdAbout = NewButton(this, QStringLiteral("読む"), "cmdAbout", TwipRect(120, 5640, 1095, 375));
    auto* cmdHide = NewButton(this, QStringLiteral("閉じる"), "cmdHide", TwipRect(1320, 5640, 1095, 375));
    auto* cmdExit = NewButton(this, QStringLiteral("終了"), "cmdExit", TwipRect(2520, 5640, 1095, 375));
    connect(cmdAbout, &QPushButton::clicked, this, [this] {
        if (hooks.cmdAbout_Click) hooks.cmdAbout_Click();
    });
    connect(cmdHide, &QPushButton::clicked, this, &frmMain::cmdHide_Click);
    connect(cmdExit, &QPushButton::clicked, this, [this] {
        if (hooks.cmdExit_Click) hooks.cmdExit_Click();
    });
}

void frmMain::BuildLists() {
    constexpr int x = kListsLeftTwips;
    constexpr int width = kExpandedWidthTwips - kListsLeftTwips - 120;
    lblTarget_ = NewLabel(this, QStringLiteral("隠蔽対象窓"), "lblTarget", TwipRect(x, 60, width, 180));
    lstTarget_ = Place(new ExtentListView(this), "lstTarget", TwipRect(x, 300, width, 3675));
    lblClasses_ =
        NewLabel(this, QStringLiteral("隠蔽対象クラス"), "lblClasses", TwipRect(x, 4080, width, 180));
    lstClasses_ = Place(new ExtentListView(this), "lstClasses", TwipRect(x, 4320, width, 1695));
    for (ExtentListView* list : {lstTarget_, lstClasses_}) {
        list->setFont(ListFont());
        list->setToolTip(QStringLiteral("ダブルクリックでリストから外します"));
    }
    lstTarget_->setModel(&parts_.registry.lstTarget());
    lstClasses_->setModel(&parts_.registry.lstClasses());
}

}  // namespace ui
