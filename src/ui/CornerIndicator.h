#pragma once

#include <QWidget>

namespace ui {

// A corner indicator: a small red square above every other window, flush with a corner of the
// primary screen, that takes no pointer or keyboard input. It shows where a corner zone lies and
// how thick it is.
class CornerIndicator : public QWidget {
    Q_OBJECT

public:
    CornerIndicator();

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace ui
