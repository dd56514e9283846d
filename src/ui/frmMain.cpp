#include "ui/frmMain.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QSpinBox>
#include <algorithm>
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
    // Collapsed, as the list toggle starts.
    setFixedSize(Px(kCollapsedWidthTwips), Px(kClientHeightTwips));

    for (auto& corner : CornerForms_)
        corner = std::make_unique<frmCorner>();

    tmrTarget_.setObjectName(QStringLiteral("tmrTarget"));
    tmrTarget_.setInterval(100);
    // Only the picker starts this timer, and the picker is made with the controls.
    connect(&tmrTarget_, &QTimer::timeout, this, [this] {
        if (picker_) picker_->tmrTarget_Timer();
    });
    tmrActive_.setObjectName(QStringLiteral("tmrActive"));
    tmrActive_.setInterval(300);
    connect(&tmrActive_, &QTimer::timeout, this, [this] {
        if (hooks.tmrActive_Timer) hooks.tmrActive_Timer();
    });

    auto& registry = parts_.registry;
    registry.onHorizontalExtent = [this](std::int32_t extent) {
        targetExtent_ = extent;
        if (lstTarget_ != nullptr) lstTarget_->SetHorizontalExtent(extent);
    };
    registry.SetListMetrics(ListFont().pointSizeF(), kTwipsPerPixel);

    tmrActive_.start();
    // The spinner's first value, as its control would start.
    parts_.values.lngPixels = settings::kMinPixels;
    udPixel_Change();
}

frmMain::~frmMain() {
    // The registry may outlive the window.
    parts_.registry.onHorizontalExtent = nullptr;
}

void frmMain::BuildControls() {
    if (built_) return;
    built_ = true;
    BuildPicker();
    BuildTriggerPanel();
    BuildSoundAndLock();
    BuildIconsAndCommands();
    BuildLists();
    addConfirm_ = new picker::frmAddConfirm(this);
    picker_ = std::make_unique<picker::TargetPicker>(
        picker::TargetPicker::Parts{parts_.services, parts_.registry, *addConfirm_, parts_.prompter,
                                    parts_.notifyIcon, parts_.trayIconData, *this});
    // The values first, so that no handler runs for them again.
    ShowValues();
    ConnectControls();
    chkList_Click();
}

std::array<std::pair<ValueCheckBox*, int core::ControlValues::*>, 9> frmMain::CheckBoxes() const {
    using V = core::ControlValues;
    return {{{chkShift_, &V::chkShift},
             {chkScrollLock_, &V::chkScrollLock},
             {chkTrigMouse_, &V::chkTrigMouse},
             {chkTrigKey_, &V::chkTrigKey},
             {chkIE_, &V::chkIE},
             {chkMute_, &V::chkMute},
             {chkMuteAuto_, &V::chkMuteAuto},
             {chkLock_, &V::chkLock},
             {chkRunup_, &V::chkRunup}}};
}

void frmMain::ShowValues() {
    const core::ControlValues& v = parts_.values;
    udPixel_->setValue(v.lngPixels);
    for (int i = 0; i < kZoneToggleCount; ++i)
        chkMouse_[static_cast<std::size_t>(i)]->SetValue(v.chkMouse[static_cast<std::size_t>(i)]);
    for (const auto& [box, value] : CheckBoxes())
        box->SetValue(v.*value);
    chkMuteAuto_->setEnabled(v.chkMuteAutoEnabled);
    chkLock_->setEnabled(v.chkLockEnabled);
    for (int i = 0; i < 2; ++i) {
        const QIcon& picture = iconPictures_[static_cast<std::size_t>(i)];
        if (!picture.isNull()) SetIconPicture(i, picture);
    }
    lstTarget_->SetHorizontalExtent(targetExtent_);
}

void frmMain::ConnectControls() {
    for (int i = 0; i < kZoneToggleCount; ++i) {
        ToggleButton* toggle = chkMouse_[static_cast<std::size_t>(i)];
        connect(toggle, &QPushButton::toggled, this,
                [this, toggle, i] { SetZoneToggle(i, toggle->Value()); });
    }
    connect(udPixel_, &QSpinBox::valueChanged, this, &frmMain::SetPixels);
    connect(chkList_, &QPushButton::toggled, this, &frmMain::chkList_Click);
    for (const auto& [box, value] : CheckBoxes()) {
        connect(box, &QCheckBox::stateChanged, this,
                [this, box = box, value = value] { SetCheckValue(value, box->Value()); });
    }
    // The lock's own dialogs enable and disable its box directly.
    KeepEnabled(chkMuteAuto_, parts_.values.chkMuteAutoEnabled);
    KeepEnabled(chkLock_, parts_.values.chkLockEnabled);

    connect(picTarget_, &PickerBox::pressed, this, [this] { picker_->picTarget_MouseDown(); });
    connect(picTarget_, &PickerBox::released, this, [this] { picker_->picTarget_MouseUp(); });

    auto& registry = parts_.registry;
    connect(lstTarget_, &QListView::doubleClicked, this,
            [&registry](const QModelIndex& index) { registry.lstTarget_DblClick(index.row()); });
    connect(lstClasses_, &QListView::doubleClicked, this,
            [&registry](const QModelIndex& index) { registry.lstClasses_DblClick(index.row()); });
}

void frmMain::KeepEnabled(ValueCheckBox* box, bool& enabled) {
    connect(box, &ValueCheckBox::enabledChanged, this, [&enabled](bool now) { enabled = now; });
}

void frmMain::SetPixels(int pixels) {
    pixels = std::clamp(pixels, settings::kMinPixels, settings::kMaxPixels);
    if (parts_.values.lngPixels == pixels) return;
    parts_.values.lngPixels = pixels;
    // From the spinner itself this sets the value it has: no second change.
    if (built_) udPixel_->setValue(pixels);
    udPixel_Change();
}

void frmMain::SetZoneToggle(int index, int value) {
    value = value != 0 ? 1 : 0;
    int& shown = parts_.values.chkMouse.at(static_cast<std::size_t>(index));
    if (shown == value) return;
    shown = value;
    if (built_) chkMouse_[static_cast<std::size_t>(index)]->SetValue(value);
    chkMouse_Click(index);
}

void frmMain::SetCheckValue(int core::ControlValues::*box, int value) {
    value = ValueCheckBox::ValueFor(value);
    int& shown = parts_.values.*box;
    if (shown == value) return;
    shown = value;
    if (built_) {
        for (const auto& [control, boxValue] : CheckBoxes()) {
            if (boxValue == box) control->SetValue(value);
        }
    }
    CheckBoxClicked(box);
}

void frmMain::CheckBoxClicked(int core::ControlValues::*box) {
    using V = core::ControlValues;
    if (box == &V::chkShift) {
        chkShift_Click();
    } else if (box == &V::chkScrollLock) {
        chkScrollLock_Click();
    } else if (box == &V::chkMute) {
        chkMute_Click();
    }
}

void frmMain::SetLockEnabled(bool enabled) {
    parts_.values.chkLockEnabled = enabled;
    if (built_) chkLock_->setEnabled(enabled);
}

void frmMain::chkMouse_Click(int index) {
    const int value = parts_.values.chkMouse[static_cast<std::size_t>(index)];
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
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    const int size = IndicatorSize();
    for (int i = 0; i < kCornerCount; ++i)
        CornerForms(i)->setGeometry(CornerRect(i, area, size));
}

void frmMain::chkShift_Click() {
    parts_.values.blnShiftMode = parts_.values.chkShift != 0;
}

void frmMain::chkScrollLock_Click() {
    parts_.values.blnScrollMode = parts_.values.chkScrollLock != 0;
}

void frmMain::chkList_Click() {
    if (!built_) return;  // collapsed until the toggle exists
    const bool expanded = chkList_->Value() == 1;
    for (QWidget* widget : {static_cast<QWidget*>(lblTarget_), static_cast<QWidget*>(lstTarget_),
                            static_cast<QWidget*>(lblClasses_), static_cast<QWidget*>(lstClasses_)}) {
        widget->setVisible(expanded);
    }
    setFixedSize(Px(expanded ? kExpandedWidthTwips : kCollapsedWidthTwips), Px(kClientHeightTwips));
}

void frmMain::chkMute_Click() {
    const bool enabled = audio::MuteAutoEnabled(parts_.values.chkMute);
    parts_.values.chkMuteAutoEnabled = enabled;
    if (built_) chkMuteAuto_->setEnabled(enabled);
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
        CornerForms(i)->setVisible(parts_.values.chkMouse[static_cast<std::size_t>(i)] == 1);
}

void frmMain::HideIndicators() {
    for (const auto& corner : CornerForms_)
        corner->hide();
}

void frmMain::SetIconPicture(int index, const QIcon& picture) {
    iconPictures_.at(static_cast<std::size_t>(index)) = picture;
    if (!built_) return;
    QLabel* image = imgIcon_[static_cast<std::size_t>(index)];
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
            // Its children, made here, are polished after it.
            BuildControls();
            FitCaptions();
            break;
        default:
            break;
    }
    return QWidget::event(event);
}

void frmMain::setVisible(bool visible) {
    if (visible) BuildControls();
    QWidget::setVisible(visible);
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
