// The controls of the main window and where they sit. Positions are twips of the form's client
// area (children of a frame: of the frame), 15 to a pixel.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QSpinBox>

#include "core/TriggerZones.h"
#include "platform/qt/BuiltInImage.h"
#include "ui/FormLook.h"
#include "ui/MainWindow.h"

namespace ui {

namespace {

template <typename Widget>
Widget* place(Widget* widget, const char* name, QRect twipsRect) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(twipsRect);
    return widget;
}

// Our fonts are not the original's: a caption a little wider than its box widens the box to the
// right rather than being cut off (FitCaptions). Position and height stay.
constexpr const char* kFitsCaption = "fitsCaption";

template <typename Widget>
Widget* fitsCaption(Widget* widget) {
    widget->setProperty(kFitsCaption, true);
    return widget;
}

QLabel* newLabel(QWidget* parent, const QString& caption, const char* name, QRect rect) {
    auto* label = place(new QLabel(caption, parent), name, rect);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return fitsCaption(label);
}

ValueCheckBox* newCheckBox(QWidget* parent, const QString& caption, const char* name, QRect rect) {
    return fitsCaption(place(new ValueCheckBox(caption, parent), name, rect));
}

QPushButton* newButton(QWidget* parent, const QString& caption, const char* name, QRect rect) {
    auto* button = place(new QPushButton(caption, parent), name, rect);
    button->setAutoDefault(false);
    return button;
}

QGroupBox* newFrame(QWidget* parent, const QString& caption, const char* name, QRect rect) {
    return place(new QGroupBox(caption, parent), name, rect);
}

// The zone toggles draw a small screen: corners at the corners, edges along the sides.
struct ZoneToggleSpot {
    int index;
    QRect rect;
};
constexpr std::array<ZoneToggleSpot, core::kZoneToggleCount> kZoneToggles{{
    {0, twipRect(180, 300, 255, 255)},
    {5, twipRect(420, 300, 555, 255)},
    {1, twipRect(960, 300, 255, 255)},
    {4, twipRect(180, 540, 255, 315)},
    {6, twipRect(960, 540, 255, 315)},
    {3, twipRect(180, 840, 255, 255)},
    {7, twipRect(420, 840, 555, 255)},
    {2, twipRect(960, 840, 255, 255)},
}};

}  // namespace

void MainWindow::fitCaptions() {
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (!widget->property(kFitsCaption).toBool()) continue;
        widget->ensurePolished();
        const int needed = widget->sizeHint().width();
        if (needed > widget->width()) widget->resize(needed, widget->height());
    }
}

void MainWindow::buildPicker() {
    pickerFrame_ = newFrame(this, QStringLiteral("狙って"), "fraTarget", twipRect(120, 240, 735, 855));
    pickerBox_ = place(new PickerBox(pickerFrame_), "picTarget", twipRect(120, 240, 495, 495));
    pickerBox_->setPixmap(
        QPixmap::fromImage(qtplatform::builtInImage(QStringLiteral(":/cursor/reticle.xpm"), "xpm")));
    pickerBox_->setAlignment(Qt::AlignCenter);
    pickerBox_->setFrameShape(QFrame::Panel);
    pickerBox_->setFrameShadow(QFrame::Sunken);
    pickerBox_->setToolTip(QStringLiteral("こいつを標的にD&Dだ。"));

    newLabel(this, QStringLiteral("窓ハンドル"), "lblhWnd", twipRect(120, 1200, 810, 180));
    handleText_ = place(new QLineEdit(this), "txthWnd", twipRect(120, 1440, 855, 270));
    newLabel(this, QStringLiteral("窓文字列"), "lblText", twipRect(1080, 1200, 720, 180));
    titleText_ = place(new QLineEdit(this), "txtText", twipRect(1080, 1440, 2535, 270));
    for (QLineEdit* box : {handleText_, titleText_})
        box->setReadOnly(true);
}

namespace {

QPixmap faded(const QPixmap& picture) {
    QPixmap faded(picture.size());
    faded.fill(Qt::transparent);
    QPainter painter(&faded);
    painter.setOpacity(0.25);
    painter.drawPixmap(0, 0, picture);
    return faded;
}

}  // namespace

void MainWindow::buildTriggerPanel() {
    auto* fraMousePoint =
        newFrame(this, QStringLiteral("マウス位置"), "fraMousePoint", twipRect(120, 1800, 1395, 1215));
    const QPixmap check =
        QPixmap::fromImage(qtplatform::builtInImage(QStringLiteral(":/check/check.xpm"), "xpm"));
    // Every toggle shows the red check; a toggle that is not ticked shows it faded, so that the
    // ticked zones read at a glance (the pressed look alone is faint in most styles).
    QIcon zoneIcon;
    zoneIcon.addPixmap(check, QIcon::Normal, QIcon::On);
    zoneIcon.addPixmap(faded(check), QIcon::Normal, QIcon::Off);
    for (const ZoneToggleSpot& spot : kZoneToggles) {
        auto* toggle = new ToggleButton(fraMousePoint);
        place(toggle, "", spot.rect);
        toggle->setObjectName(QStringLiteral("chkMouse(%1)").arg(spot.index));
        toggle->setIcon(zoneIcon);
        toggle->setIconSize(check.size());
        zoneToggles_[static_cast<std::size_t>(spot.index)] = toggle;
    }

    newLabel(this, QStringLiteral("感度"), "lblPixel(1)", twipRect(1680, 1800, 495, 255));
    newLabel(this, QStringLiteral("[Pix]"), "lblPixel(0)", twipRect(2040, 1800, 360, 180));
    // One spin box stands for the text box txtPixel and its up-down buddy thicknessBox.
    thicknessBox_ = place(new QSpinBox(this), "udPixel", twipRect(2520, 1755, 720, 270));
    thicknessBox_->setRange(settings::kMinPixels, settings::kMaxPixels);
    thicknessBox_->setValue(1);
    thicknessBox_->setKeyboardTracking(false);
    thicknessBox_->setToolTip(QStringLiteral("感度を上げろー"));
    if (auto* text = thicknessBox_->findChild<QLineEdit*>()) text->setObjectName(QStringLiteral("txtPixel"));

    discoverBox_ = newCheckBox(this, QStringLiteral("自動隠し"), "chkIE", twipRect(1680, 2280, 1575, 255));

    auto* fraKavro = newFrame(this, QStringLiteral("隠蔽手段"), "fraKavro", twipRect(120, 3120, 2055, 855));
    shiftBox_ =
        newCheckBox(fraKavro, QStringLiteral("シフトキー"), "chkShift", twipRect(240, 240, 1155, 255));
    scrollLockBox_ =
        newCheckBox(fraKavro, QStringLiteral("ScrollLock"), "chkScrollLock", twipRect(240, 480, 1155, 255));

    auto* frmTrigger =
        newFrame(this, QStringLiteral("トリガ"), "frmTrigger", twipRect(2280, 3120, 1335, 855));
    holdMouseBox_ =
        newCheckBox(frmTrigger, QStringLiteral("マウス"), "chkTrigMouse", twipRect(240, 240, 855, 255));
    holdKeyBox_ =
        newCheckBox(frmTrigger, QStringLiteral("シフト"), "chkTrigKey", twipRect(240, 480, 855, 255));

    auto* fraList = place(new QFrame(this), "fraList", twipRect(3240, 2160, 375, 495));
    listToggle_ = place(new ToggleButton(fraList), "chkList", twipRect(60, 170, 255, 255));
    listToggle_->setText(QStringLiteral(">"));
}

void MainWindow::buildSoundAndLock() {
    // Right of the picker: the sound row, then the lock row.
    muteBox_ = newCheckBox(this, QStringLiteral("ミュート"), "chkMute", twipRect(1080, 240, 1215, 255));
    muteRestoreBox_ =
        newCheckBox(this, QStringLiteral("自動復帰"), "chkMuteAuto", twipRect(1080, 540, 1215, 255));
    muteRestoreBox_->setEnabled(false);
    auto* reverseMuteButton =
        newButton(this, QStringLiteral("Mute反転"), "cmdReverseMute", twipRect(2400, 300, 1215, 375));
    connect(reverseMuteButton, &QPushButton::clicked, this, &MainWindow::onReverseMuteClicked);

    lockBox_ = newCheckBox(this, QStringLiteral("ロック"), "chkLock", twipRect(1080, 840, 1215, 255));
    lockBox_->setEnabled(false);
    auto* passwordButton =
        newButton(this, QStringLiteral("パスワード"), "cmdPass", twipRect(2400, 780, 1215, 375));
    connect(passwordButton, &QPushButton::clicked, this, &MainWindow::passwordClicked);
}

void MainWindow::buildIconsAndCommands() {
    // Two columns, standby and concealment: the state's name above its picture and its "読".
    auto* pictureFrame =
        newFrame(this, QStringLiteral("騙しアイコン"), "fraIcon", twipRect(120, 4080, 3495, 1080));
    const std::array<QString, 2> captions{QStringLiteral("隠蔽待機"), QStringLiteral("隠蔽中")};
    for (int i = 0; i < 2; ++i) {
        const int x = 240 + i * 1740;
        const QString index = QStringLiteral("(%1)").arg(i);
        auto* label =
            newLabel(pictureFrame, captions[static_cast<std::size_t>(i)], "", twipRect(x, 240, 900, 180));
        label->setObjectName(QStringLiteral("lblIcon") + index);
        auto* image = place(new QLabel(pictureFrame), "", twipRect(x, 480, 480, 480));
        image->setObjectName(QStringLiteral("imgIcon") + index);
        image->setAlignment(Qt::AlignCenter);
        pictureLabels_[static_cast<std::size_t>(i)] = image;
        auto* load = newButton(pictureFrame, QStringLiteral("読"), "", twipRect(x + 600, 540, 375, 375));
        load->setObjectName(QStringLiteral("cmdLoad") + index);
        connect(load, &QPushButton::clicked, this, [this, i] { emit loadPictureClicked(i); });
    }

    showAtStartBox_ =
        newCheckBox(this, QStringLiteral("起動時画面表示"), "chkRunup", twipRect(120, 5280, 2535, 255));

    auto* aboutButton = newButton(this, QStringLiteral("読む"), "cmdAbout", twipRect(120, 5640, 1095, 375));
    auto* hideButton = newButton(this, QStringLiteral("閉じる"), "cmdHide", twipRect(1320, 5640, 1095, 375));
    auto* exitButton = newButton(this, QStringLiteral("終了"), "cmdExit", twipRect(2520, 5640, 1095, 375));
    connect(aboutButton, &QPushButton::clicked, this, &MainWindow::aboutClicked);
    connect(hideButton, &QPushButton::clicked, this, &MainWindow::onHideClicked);
    connect(exitButton, &QPushButton::clicked, this, &MainWindow::exitClicked);
}

void MainWindow::buildLists() {
    constexpr int x = kListsLeftTwips;
    constexpr int width = kExpandedWidthTwips - kListsLeftTwips - 120;
    targetListLabel_ = newLabel(this, QStringLiteral("隠蔽対象窓"), "lblTarget", twipRect(x, 60, width, 180));
    targetList_ = place(new ExtentListView(this), "lstTarget", twipRect(x, 300, width, 3675));
    classListLabel_ =
        newLabel(this, QStringLiteral("隠蔽対象クラス"), "lblClasses", twipRect(x, 4080, width, 180));
    classList_ = place(new ExtentListView(this), "lstClasses", twipRect(x, 4320, width, 1695));
    for (ExtentListView* list : {targetList_, classList_}) {
        list->setFont(listFont());
        list->setToolTip(QStringLiteral("ダブルクリックでリストから外します"));
    }
    targetList_->setModel(&parts_.registry.targetList());
    classList_->setModel(&parts_.registry.classList());
}

}  // namespace ui
