#include "ui/MainWindow.h"
#include "platform/qt/BuiltInImage.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "core/TriggerZones.h"
#include "ui/FormLook.h"

namespace ui {

MainWindow::MainWindow(const Parts& parts)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      parts_(parts) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Zelmora2nd."));
    setFont(formFont());
    // Collapsed, as the list toggle starts.
    setFixedSize(px(kCollapsedWidthTwips), px(kClientHeightTwips));

    for (auto& corner : cornerIndicators_)
        corner = std::make_unique<CornerIndicator>();

    auto& registry = parts_.registry;
    registry.onHorizontalExtent = [this](std::int32_t extent) {
        targetExtent_ = extent;
        if (targetList_ != nullptr) targetList_->setHorizontalExtent(extent);
    };
    registry.setListMetrics(listFont().pointSizeF(), kTwipsPerPixel);

    // The spinner's first value, as its control would start.
    parts_.values.zoneThickness = settings::kMinPixels;
    onThicknessChanged();
}

MainWindow::~MainWindow() {
    // The registry may outlive the window.
    parts_.registry.onHorizontalExtent = nullptr;
}

void MainWindow::buildControls() {
    if (built_) return;
    built_ = true;
    buildPicker();
    buildTriggerPanel();
    buildSoundAndLock();
    buildIconsAndCommands();
    buildLists();
    // The values first, so that no handler runs for them again.
    showValues();
    connectControls();
    onListToggled();
    emit controlsMade();
}

std::array<std::pair<ValueCheckBox*, int core::ControlValues::*>, 9> MainWindow::checkBoxes() const {
    using V = core::ControlValues;
    return {{{shiftBox_, &V::shiftBox},
             {scrollLockBox_, &V::scrollLockBox},
             {holdMouseBox_, &V::holdMouseBox},
             {holdKeyBox_, &V::holdKeyBox},
             {discoverBox_, &V::discoverBox},
             {muteBox_, &V::muteBox},
             {muteRestoreBox_, &V::muteRestoreBox},
             {lockBox_, &V::lockBox},
             {showAtStartBox_, &V::showAtStartBox}}};
}

void MainWindow::showValues() {
    const core::ControlValues& v = parts_.values;
    thicknessBox_->setValue(v.zoneThickness);
    for (int i = 0; i < core::kZoneToggleCount; ++i)
        zoneToggles_[static_cast<std::size_t>(i)]->setValue(v.zoneToggles[static_cast<std::size_t>(i)]);
    for (const auto& [box, value] : checkBoxes())
        box->setValue(v.*value);
    muteRestoreBox_->setEnabled(v.muteRestoreEnabled);
    lockBox_->setEnabled(v.lockEnabled);
    for (int i = 0; i < 2; ++i) {
        const QIcon& picture = iconPictures_[static_cast<std::size_t>(i)];
        if (!picture.isNull()) setIconPicture(i, picture);
    }
    targetList_->setHorizontalExtent(targetExtent_);
}

void MainWindow::connectControls() {
    for (int i = 0; i < core::kZoneToggleCount; ++i) {
        ToggleButton* toggle = zoneToggles_[static_cast<std::size_t>(i)];
        connect(toggle, &QPushButton::toggled, this,
                [this, toggle, i] { setZoneToggle(i, toggle->value()); });
    }
    connect(thicknessBox_, &QSpinBox::valueChanged, this, &MainWindow::setPixels);
    connect(listToggle_, &QPushButton::toggled, this, &MainWindow::onListToggled);
    for (const auto& [box, value] : checkBoxes()) {
        connect(box, &QCheckBox::stateChanged, this,
                [this, box = box, value = value] { setCheckValue(value, box->value()); });
    }
    // The lock's own dialogs enable and disable its box directly.
    keepEnabled(muteRestoreBox_, parts_.values.muteRestoreEnabled);
    keepEnabled(lockBox_, parts_.values.lockEnabled);

    connect(pickerBox_, &PickerBox::pressed, this, &MainWindow::pickerPressed);
    connect(pickerBox_, &PickerBox::released, this, &MainWindow::pickerReleased);

    auto& registry = parts_.registry;
    connect(targetList_, &QListView::doubleClicked, this,
            [&registry](const QModelIndex& index) { registry.onTargetDoubleClicked(index.row()); });
    connect(classList_, &QListView::doubleClicked, this,
            [&registry](const QModelIndex& index) { registry.onClassDoubleClicked(index.row()); });
}

void MainWindow::keepEnabled(ValueCheckBox* box, bool& enabled) {
    connect(box, &ValueCheckBox::enabledChanged, this, [&enabled](bool now) { enabled = now; });
}

void MainWindow::setPixels(int pixels) {
    pixels = std::clamp(pixels, settings::kMinPixels, settings::kMaxPixels);
    if (parts_.values.zoneThickness == pixels) return;
    parts_.values.zoneThickness = pixels;
    // From the spinner itself this sets the value it has: no second change.
    if (built_) thicknessBox_->setValue(pixels);
    onThicknessChanged();
}

void MainWindow::setZoneToggle(int index, int value) {
    value = value != 0 ? 1 : 0;
    int& shown = parts_.values.zoneToggles.at(static_cast<std::size_t>(index));
    if (shown == value) return;
    shown = value;
    if (built_) zoneToggles_[static_cast<std::size_t>(index)]->setValue(value);
    onZoneToggled(index);
}

void MainWindow::setCheckValue(int core::ControlValues::*box, int value) {
    value = ValueCheckBox::valueFor(value);
    int& shown = parts_.values.*box;
    if (shown == value) return;
    shown = value;
    if (built_) {
        for (const auto& [control, boxValue] : checkBoxes()) {
            if (boxValue == box) control->setValue(value);
        }
    }
    checkBoxClicked(box);
}

void MainWindow::checkBoxClicked(int core::ControlValues::*box) {
    using V = core::ControlValues;
    if (box == &V::shiftBox) {
        onShiftToggled();
    } else if (box == &V::scrollLockBox) {
        onScrollLockToggled();
    } else if (box == &V::muteBox) {
        onMuteToggled();
    }
    emit triggersChanged();
}

void MainWindow::setLockEnabled(bool enabled) {
    parts_.values.lockEnabled = enabled;
    if (built_) lockBox_->setEnabled(enabled);
}

void MainWindow::onZoneToggled(int index) {
    const int value = parts_.values.zoneToggles[static_cast<std::size_t>(index)];
    parts_.values.zoneMask ^= core::zoneBit(index);
    if (index < core::kCornerCount) cornerIndicator(index)->setVisible(value == 1 && isVisible());
    emit triggersChanged();
}

int MainWindow::indicatorSize() const {
    // zoneThickness are pixels of the screen; Qt places windows in device-independent pixels.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    return std::max(1, static_cast<int>(std::ceil(parts_.values.zoneThickness / ratio)));
}

void MainWindow::onThicknessChanged() {
    emit triggersChanged();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    const int size = indicatorSize();
    for (int i = 0; i < core::kCornerCount; ++i)
        cornerIndicator(i)->setGeometry(core::cornerRect(i, area, size));
}

void MainWindow::onShiftToggled() {
    parts_.values.shiftMode = parts_.values.shiftBox != 0;
}

void MainWindow::onScrollLockToggled() {
    parts_.values.scrollLockMode = parts_.values.scrollLockBox != 0;
}

void MainWindow::onListToggled() {
    if (!built_) return;  // collapsed until the toggle exists
    const bool expanded = listToggle_->value() == 1;
    for (QWidget* widget : {static_cast<QWidget*>(targetListLabel_), static_cast<QWidget*>(targetList_),
                            static_cast<QWidget*>(classListLabel_), static_cast<QWidget*>(classList_)}) {
        widget->setVisible(expanded);
    }
    setFixedSize(px(expanded ? kExpandedWidthTwips : kCollapsedWidthTwips), px(kClientHeightTwips));
}

void MainWindow::onMuteToggled() {
    const bool enabled = core::MuteSwitch::restoreChoosable(parts_.values.muteBox);
    parts_.values.muteRestoreEnabled = enabled;
    if (built_) muteRestoreBox_->setEnabled(enabled);
}

void MainWindow::onReverseMuteClicked() {
    parts_.mute.reverse();
}

void MainWindow::onHideClicked() {
    hide();
    hideIndicators();
}

void MainWindow::showTickedIndicators() {
    for (int i = 0; i < core::kCornerCount; ++i)
        cornerIndicator(i)->setVisible(parts_.values.zoneToggles[static_cast<std::size_t>(i)] == 1);
}

void MainWindow::hideIndicators() {
    for (const auto& corner : cornerIndicators_)
        corner->hide();
}

void MainWindow::setIconPicture(int index, const QIcon& picture) {
    iconPictures_.at(static_cast<std::size_t>(index)) = picture;
    if (!built_) return;
    QLabel* image = pictureLabels_[static_cast<std::size_t>(index)];
    image->setPixmap(picture.pixmap(image->size()));
}

QCursor MainWindow::reticleCursor() {
    return QCursor(
        QPixmap::fromImage(qtplatform::builtInImage(QStringLiteral(":/cursor/reticle.xpm"), "xpm")), 15, 16);
}

bool MainWindow::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::PolishRequest:
            // Qt polishes every new widget on the event loop's next pass. This window waits for its
            // first showing (show() polishes it) or for an explicit ensurePolished().
            return true;
        case QEvent::Polish:
            // Its children, made here, are polished after it.
            buildControls();
            fitCaptions();
            break;
        default:
            break;
    }
    return QWidget::event(event);
}

void MainWindow::setVisible(bool visible) {
    if (visible) buildControls();
    QWidget::setVisible(visible);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The window has no close button and is not closed from its title bar: "閉じる" hides it and
    // "終了" ends the program.
    event->ignore();
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // No task-bar entry. Asked at every showing: a window manager forgets the state of a window
    // that was hidden. Once the window is mapped, so that the manager takes the request.
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) parts_.services.setSkipTaskbar(static_cast<core::WindowHandle>(winId()));
    });
}

void MainWindow::changeEvent(QEvent* event) {
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
        QTimer::singleShot(0, this, &MainWindow::onHideClicked);
    }
}

void MainWindow::setDragPointer(bool reticle) {
    // The grab keeps the reticle as the pointer over other programs' windows too.
    if (reticle) {
        pickerBox_->grabMouse(reticleCursor());
    } else {
        pickerBox_->releaseMouse();
    }
}

void MainWindow::showTrackedWindow(const QString& handle, const QString& title) {
    handleText_->setText(handle);
    titleText_->setText(title);
}

}  // namespace ui
