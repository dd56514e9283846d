#include "ui/MainControls.h"

#include <QMouseEvent>
#include <QScrollBar>

namespace ui {

ValueCheckBox::ValueCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {}

int ValueCheckBox::value() const {
    switch (checkState()) {
        case Qt::Unchecked:
            return 0;
        case Qt::PartiallyChecked:
            return 2;
        case Qt::Checked:
            return 1;
    }
    return 0;
}

void ValueCheckBox::setValue(int value) {
    switch (valueFor(value)) {
        case 0:
            setCheckState(Qt::Unchecked);
            break;
        case 2:
            setCheckState(Qt::PartiallyChecked);
            break;
        default:
            setCheckState(Qt::Checked);
            break;
    }
}

void ValueCheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void ValueCheckBox::changeEvent(QEvent* event) {
    QCheckBox::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) emit enabledChanged(!testAttribute(Qt::WA_ForceDisabled));
}

ToggleButton::ToggleButton(QWidget* parent) : QPushButton(parent) {
    setCheckable(true);
    setAutoDefault(false);
}

PickerBox::PickerBox(QWidget* parent) : QLabel(parent) {}

void PickerBox::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit pressed();
}

void PickerBox::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    emit released();
}

ExtentListView::ExtentListView(QWidget* parent) : QListView(parent) {
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideNone);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void ExtentListView::setHorizontalExtent(int pixels) {
    extent_ = pixels;
    // Laying out the entries measures their text, which loads the list's font (more than half a
    // megabyte of it stays mapped): a hidden list, the program's usual state, waits for its showing.
    if (isVisible()) {
        updateGeometries();
    } else {
        extentPending_ = true;
    }
}

void ExtentListView::showEvent(QShowEvent* event) {
    QListView::showEvent(event);
    if (extentPending_) updateGeometries();
}

void ExtentListView::updateGeometries() {
    QListView::updateGeometries();
    // Like a Windows list box: the set width decides how far the list scrolls, not the entries.
    // The bar is switched on and off here rather than left to "as needed", which would follow the
    // range that QListView computes from the entries and hide the bar again.
    const int range = std::max(0, extent_ - viewport()->width());
    const Qt::ScrollBarPolicy policy = range > 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (horizontalScrollBarPolicy() != policy) setHorizontalScrollBarPolicy(policy);
    horizontalScrollBar()->setRange(0, range);
    horizontalScrollBar()->setPageStep(viewport()->width());
    extentPending_ = false;
}

}  // namespace ui
