#pragma once

#include <QDialog>
#include <QString>

#include "core/AddConfirmer.h"

class QLabel;
class QPushButton;

namespace ui {

// "追加方法の確認": asks whether the picked window is concealed alone ("指定ウィンドウのみ",
// the default) or with every window of its class ("類似ウィンドウごと"). One object serves the
// whole run and keeps the last answer.
class AddTargetDialog : public QDialog, public core::AddConfirmer {
    Q_OBJECT

public:
    explicit AddTargetDialog(QWidget* owner);

    bool confirm(const QString& className) override;

    bool windowOnly() const { return windowOnly_; }

    QLabel* messageLabel() const { return messageLabel_; }
    QPushButton* windowOnlyButton() const { return windowOnlyButton_; }
    QPushButton* wholeClassButton() const { return wholeClassButton_; }

    void onWindowOnlyClicked();
    void onWholeClassClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool windowOnly_ = false;
    QLabel* messageLabel_ = nullptr;
    QPushButton* windowOnlyButton_ = nullptr;
    QPushButton* wholeClassButton_ = nullptr;
};

}  // namespace ui
