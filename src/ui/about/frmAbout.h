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
class frmAbout : public QDialog {
    Q_OBJECT

public:
    frmAbout(AboutServices services, QWidget* owner);

    // "Ver. " and three plain decimal numbers.
    static QString VersionText(int major, int minor, int patch);
    static QString HelpFileName() { return QStringLiteral("Kavro.chm"); }
    static QUrl MailLink();

    QLabel* lblTitle() const { return lblTitle_; }
    QLabel* lblVer() const { return lblVer_; }
    QLabel* lblCoution() const { return lblCoution_; }
    QLabel* lblCpy() const { return lblCpy_; }
    QLabel* Label2() const { return Label2_; }
    QLabel* picIcon() const { return picIcon_; }
    QPushButton* cmdMail() const { return cmdMail_; }
    QPushButton* cmdHelp() const { return cmdHelp_; }
    QPushButton* cmdClose() const { return cmdClose_; }

    void cmdHelp_Click();
    void cmdMail_Click();
    void cmdClose_Click();

private:
    void BuildControls();
    QIcon ProgramIcon() const;

    AboutServices services_;

    QLabel* lblTitle_ = nullptr;
    QLabel* lblVer_ = nullptr;
    QLabel* lblCoution_ = nullptr;
    QLabel* lblCpy_ = nullptr;
    QLabel* Label2_ = nullptr;
    QLabel* picIcon_ = nullptr;
    QPushButton* cmdMail_ = nullptr;
    QPushButton* cmdHelp_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};

// The main window's "読む" button (cmdAbout_Click): shows the about box modally over the owner.
// Empty services.openUrl: QDesktopServices::openUrl; empty services.programDir: the executable's folder.
void ShowAbout(AboutServices services, QWidget* owner);

}  // namespace ui
