#include "ui/DialogLook.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QProxyStyle>
#include <QStyleFactory>

namespace ui {

namespace {

// Asks the application style for everything except the password character.
class StarMaskStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

QLineEdit* newPasswordBox(QWidget* parent) {
    auto* box = new QLineEdit(parent);
    // A fresh instance of the application's style as the base (the proxy owns it). QWidget::setStyle
    // does not take ownership: the box owns its style.
    auto* style = new StarMaskStyle(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(box);
    box->setStyle(style);
    box->setEchoMode(QLineEdit::Password);
    return box;
}

int captionWidth(const QWidget& window) {
    // Title bars use a bold face of about the same size; the buttons and the icon take about
    // eight text lines' worth of width.
    QFont bold = window.font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    return metrics.horizontalAdvance(window.windowTitle()) + 8 * metrics.height();
}

}  // namespace ui
