#include "ui/frmMain.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QSpinBox>
#include <cmath>

#include "audio/MuteActions.h"
#include "picker/forms/frmAddConfirm.h"
#include "ui/FormLook.h"
#include "ui/TriggerZones.h"

namespace ui {

frmMain::frmMain(const Parts& parts)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      parts_(parts) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Zelmora2nd."));
    setFont(FormFont());

    BuildPicker();
    BuildTriggerPanel();
    BuildSoundAndLock();
    BuildIconsAndCommands();
    BuildLists();

    for (auto& corner : CornerForms_)
        corner = std::make_unique<frmCorner>();
    addConfirm_ = new picker::frmAddConfirm(this);
    picker_ = std::make_unique<picker::TargetPicker>(
        picker::TargetPicker::Parts{parts_.services, parts_.registry, *addConfirm_, parts_.prompter,
                                    parts_.notifyIcon, parts_.trayIconData, *this});

    tmrActive_.setObjectName(QStringLiteral("tmrActive"));
    tmrActive_.setInterval(300);
    ConnectControls();
    tmrActive_.start();

    chkList_Click();
    // The spinner's first value reaches lngPixels and the indicators now: setting the same value
    // again at start-up raises no change.
    udPixel_Change();
}

frmMain::~frmMain() {
    // The registry may outlive the window.
    parts_.registry.onHorizontalExtent = nullptr;
}

void frmMain::ConnectControls() {
    for (int i = 0; i < kZoneToggleCount; ++i) {
        connect(chkMouse(i), &QPushButton::toggled, this, [this, i] { chkMouse_Click(i); });
    }
    connect(udPixel_, &QSpinBox::valueChanged, this, &frmMain::udPixel_Change);
    connect(chkList_, &QPushButton::toggled, this, &frmMain::chkList_Click);
    connect(chkShift_, &QCheckBox::stateChanged, this, &frmMain::chkShift_Click);
    connect(chkScrollLock_, &QCheckBox::stateChanged, this, &frmMain::chkScrollLock_Click);
    connect(chkMute_, &QCheckBox::stateChanged, this, &frmMain::chkMute_Click);

    core::ControlValues& v = parts_.values;
    KeepValue(chkShift_, v.chkShift);
    KeepValue(chkScrollLock_, v.chkScrollLock);
    KeepValue(chkTrigMouse_, v.chkTrigMouse);
    KeepValue(chkTrigKey_, v.chkTrigKey);
    KeepValue(chkIE_, v.chkIE);
    KeepValue(chkMute_, v.chkMute);
    KeepValue(chkMuteAuto_, v.chkMuteAuto);
    KeepValue(chkLock_, v.chkLock);
    KeepValue(chkRunup_, v.chkRunup);
    KeepEnabled(chkMuteAuto_, v.chkMuteAutoEnabled);
    KeepEnabled(chkLock_, v.chkLockEnabled);

    connect(picTarget_, &PickerBox::pressed, this, [this] { picker_->picTarget_MouseDown(); });
    connect(picTarget_, &PickerBox::released, this, [this] { picker_->picTarget_MouseUp(); });
    connect(&tmrTarget_, &QTimer::timeout, this, [this] { picker_->tmrTarget_Timer(); });
    connect(&tmrActive_, &QTimer::timeout, this, [this] {
        if (hooks.tmrActive_Timer) hooks.tmrActive_Timer();
    });

    auto& registry = parts_.registry;
    registry.onHorizontalExtent = [this](std::int32_t extent) { lstTarget_->SetHorizontalExtent(extent); };
    registry.SetListMetrics(ListFont().pointSizeF(), kTwipsPerPixel);
    connect(lstTarget_, &QListView::doubleClicked, this,
            [&registry](const QModelIndex& index) { registry.lstTarget_DblClick(index.row()); });
    connect(lstClasses_, &QListView::doubleClicked, this,
            [&registry](const QModelIndex& index) { registry.lstClasses_DblClick(index.row()); });
}

void frmMain::KeepValue(ValueCheckBox* box, int& value) {
    value = box->Value();
    connect(box, &QCheckBox::stateChanged, this, [box, &value] { value = box->Value(); });
}

void frmMain::KeepEnabled(ValueCheckBox* box, bool& enabled) {
    enabled = !box->testAttribute(Qt::WA_ForceDisabled);
    connect(box, &ValueCheckBox::enabledChanged, this, [&enabled](bool now) { enabled = now; });
}

void frmMain::chkMouse_Click(int index) {
    const int value = chkMouse(index)->Value();
    parts_.values.chkMouse[static_cast<std::size_t>(index)] = value;
    parts_.values.ZoneMask ^= ZoneBit(index);
    if (index < kCornerCount) CornerForms(index)->setVisible(value == 1 && isVisible());
}

int frmMain::IndicatorSize() const {
    // lngPixels are pixels of the screen; Qt places windows in device-independent pixels.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    return std::max(1, static_cast<int>(std::ceil(parts_.values.lngPixels / ratio)));
}

void frmMain::udPixel_Change() {
    parts_.values.lngPixels = udPixel_->value();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    const int size = IndicatorSize();
    for (int i = 0; i < kCornerCount; ++i)
        CornerForms(i)->setGeometry(CornerRect(i, area, size));
}

void frmMain::chkShift_Click() {
    parts_.values.blnShiftMode = chkShift_->Value() != 0;
}

void frmMain::chkScrollLock_Click() {
    parts_.values.blnScrollMode = chkScrollLock_->Value() != 0;
}

void frmMain::chkList_Click() {
    const bool expanded = chkList_->Value() == 1;
    for (QWidget* widget : {static_cast<QWidget*>(lblTarget_), static_cast<QWidget*>(lstTarget_),
                            static_cast<QWidget*>(lblClasses_), static_cast<QWidget*>(lstClasses_)}) {
        widget->setVisible(expanded);
    }
    setFixedSize(Px(expanded ? kExpandedWidthTwips : kCollapsedWidthTwips), Px(kClientHeightTwips));
}

void frmMain::chkMute_Click() {
    chkMuteAuto_->setEnabled(audio::MuteAutoEnabled(chkMute_->Value()));
}

void frmMain::cmdReverseMute_Click() {
    audio::ReverseMute(parts_.mixer);
}

void frmMain::cmdHide_Click() {
    hide();
    HideIndicators();
}

void frmMain::ShowTickedIndicators() {
    for (int i = 0; i < kCornerCount; ++i)
        CornerForms(i)->setVisible(chkMouse(i)->Value() == 1);
}

void frmMain::HideIndicators() {
    for (const auto& corner : CornerForms_)
        corner->hide();
}

void frmMain::SetIconPicture(int index, const QIcon& picture) {
    QLabel* image = imgIcon(index);
    image->setPixmap(picture.pixmap(image->size()));
}

QCursor frmMain::ReticleCursor() {
    return QCursor(QPixmap::fromImage(BuiltInImage(QStringLiteral(":/cursor/reticle.xpm"), "xpm")), 15, 16);
}

bool frmMain::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::PolishRequest:
            // Qt polishes every new widget on the event loop's next pass. This window waits for its
            // first showing (show() polishes it) or for an explicit ensurePolished().
            return true;
        case QEvent::Polish:
            FitCaptions();
            break;
        default:
            break;
    }
    return QWidget::event(event);
}

void frmMain::closeEvent(QCloseEvent* event) {
    // The window has no close button and is not closed from its title bar: "閉じる" hides it and
    // "終了" ends the program.
    event->ignore();
}

void frmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // No task-bar entry. Asked at every showing: a window manager forgets the state of a window
    // that was hidden. Once the window is mapped, so that the manager takes the request.
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) parts_.services.SetSkipTaskbar(static_cast<core::WindowHandle>(winId()));
    });
}

void frmMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    // Some window managers (openbox) show minimise and maximise buttons whatever the window asks
    // for. The window keeps its size; minimising it is hiding it, as "閉じる" does, so that the
    // tray can bring it back (a window without a task-bar entry could not be restored otherwise).
    const Qt::WindowStates state = windowState();
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        setWindowState(state & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    }
    if (state & Qt::WindowMinimized) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        QTimer::singleShot(0, this, &frmMain::cmdHide_Click);
    }
}

void frmMain::SetTrackingTimer(bool enabled) {
    if (enabled) {
        tmrTarget_.start();
    } else {
        tmrTarget_.stop();
    }
}

void frmMain::SetCycleTimer(bool enabled) {
    if (enabled) {
        tmrActive_.start();
    } else {
        tmrActive_.stop();
    }
}

void frmMain::SetDragPointer(bool reticle) {
    // The grab keeps the reticle as the pointer over other programs' windows too.
    if (reticle) {
        picTarget_->grabMouse(ReticleCursor());
    } else {
        picTarget_->releaseMouse();
    }
}

void frmMain::ShowTrackedWindow(const QString& handleText, const QString& title) {
    txthWnd_->setText(handleText);
    txtText_->setText(title);
}

}  // namespace ui
