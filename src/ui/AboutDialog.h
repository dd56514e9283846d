#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>
#include <QUrl>
#include <functional>

#include "core/Prompter.h"

class QLabel;
class QPushButton;

namespace ui {

// Opens a link or a file with the desktop's handler (QDesktopServices::openUrl in the program).
using UrlOpener = std::function<bool(const QUrl&)>;

struct AboutServices {
    core::Prompter& prompter;
    UrlOpener openUrl;
    QString programDir;  // the folder that holds the help file; the executable's folder in the program
    QIcon icon;          // the program's picture; empty: the application's icon, else a standard one
};

// The about box "Zelmora2nd.": name, version, a caution, the notice line and address, the help
// file and a feedback mail.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    AboutDialog(AboutServices services, QWidget* owner);

    // "Ver. " and three plain decimal numbers.
    static QString versionText(int major, int minor, int patch);
    static QString helpFileName() { return QStringLiteral("Kavro.chm"); }
    static QUrl mailLink();

    QLabel* titleLabel() const { return titleLabel_; }
    QLabel* versionLabel() const { return versionLabel_; }
    QLabel* cautionLabel() const { return cautionLabel_; }
    QLabel* copyrightLabel() const { return copyrightLabel_; }
    QLabel* noteLabel() const { return noteLabel_; }
    QLabel* iconLabel() const { return iconLabel_; }
    QPushButton* mailButton() const { return mailButton_; }
    QPushButton* helpButton() const { return helpButton_; }
    QPushButton* closeButton() const { return closeButton_; }

    void onHelpClicked();
    void onMailClicked();
    void onCloseClicked();

private:
    void buildControls();
    QIcon programIcon() const;

    AboutServices services_;

    QLabel* titleLabel_ = nullptr;
    QLabel* versionLabel_ = nullptr;
    QLabel* cautionLabel_ = nullptr;
    QLabel* copyrightLabel_ = nullptr;
    QLabel* noteLabel_ = nullptr;
    QLabel* iconLabel_ = nullptr;
    QPushButton* mailButton_ = nullptr;
    QPushButton* helpButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

// The main window's "読む" button (onAboutClicked): shows the about box modally over the owner.
// Empty services.openUrl: QDesktopServices::openUrl; empty services.programDir: the executable's folder.
void showAbout(AboutServices services, QWidget* owner);

}  // namespace ui
