#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>

// The kinds of controls of the main window that plain Qt widgets do not quite give.
namespace ui {

// A check box whose value is 0 (clear), 1 (ticked) or 2 (greyed). Greyed comes only from a stored
// value; a click makes the box ticked, a click on a ticked box clears it.
class ValueCheckBox : public QCheckBox {
    Q_OBJECT

public:
    ValueCheckBox(const QString& caption, QWidget* parent);

    int value() const;
    // Values other than 0, 1 and 2 count as 1, as a stored "-1" means ticked.
    void setValue(int value);
    // The value the box takes when set to `value`.
    static int valueFor(int value) { return value == 0 || value == 2 ? value : 1; }

signals:
    // The box's own enabled state changed (not that of a parent).
    void enabledChanged(bool enabled);

protected:
    void nextCheckState() override;
    void changeEvent(QEvent* event) override;
};

// A check box drawn as a push button (a graphical check box): it looks pressed while ticked.
// Values 0 and 1; toggled() fires only when the value changes.
class ToggleButton : public QPushButton {
    Q_OBJECT

public:
    explicit ToggleButton(QWidget* parent);

    int value() const { return isChecked() ? 1 : 0; }
    void setValue(int value) { setChecked(value != 0); }
};

// The reticle box: reports a press and the release of that press, of any button. While the button
// is held Qt delivers the release here wherever the pointer is.
class PickerBox : public QLabel {
    Q_OBJECT

public:
    explicit PickerBox(QWidget* parent);

signals:
    void pressed();
    void released();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A list box whose horizontal scroll width is set from outside, in pixels: the list scrolls
// sideways only when that width is wider than the list.
class ExtentListView : public QListView {
    Q_OBJECT

public:
    explicit ExtentListView(QWidget* parent);

    void setHorizontalExtent(int pixels);
    int horizontalExtent() const { return extent_; }

protected:
    void updateGeometries() override;
    void showEvent(QShowEvent* event) override;

private:
    int extent_ = 0;
    // A width set while the list was hidden, not applied yet.
    bool extentPending_ = false;
};

}  // namespace ui
