#include "app/MainProgram.h"

#include <QApplication>
#include <QEvent>
#include <utility>

#include "ui/AboutDialog.h"
#include "ui/PasswordSetting.h"

namespace app {

MainProgram::MainProgram(const Platform& platform, QString settingsPath)
    : platform_(platform),
      settingsPath_(std::move(settingsPath)),
      mute_(platform.sound),
      muteRetry_(platform.sound),
      registry_(platform.services, platform.prompter, flags_),
      cycle_(platform.services, registry_, values_, flags_, mute_, platform.trayIcon),
      form_(std::make_unique<ui::MainWindow>(
          ui::MainWindow::Parts{values_, platform.services, registry_, mute_})),
      cycleDriver_(
          platform.services, [this] { cycle_.tick(); }, [this] { return cycle_.waitingForTargets(); }),
      picking_({platform.services, registry_, platform.prompter, platform.trayIcon, *form_, cycleDriver_}),
      prompt_(values_, platform.prompter, form_.get()),
      decoy_(values_, platform.pictures, platform.iconFiles, platform.prompter,
             [this](int index, const QIcon& picture) { form_->setIconPicture(index, picture); }),
      tray_(values_, flags_, cycle_, *this) {
    mute_.setRetry(&muteRetry_);
    cycleDriver_.start();
    connectCommands();
    form_->installEventFilter(this);
    // Left in place at shut-down (which may run from inside this very handler, in the prompt's event
    // loop): it simply stops acting then.
    platform_.trayIcon.onEvent = [this](core::TrayEvent event) {
        if (unloaded_) return;
        tray_.onTrayEvent(event);
        cycleDriver_.evaluateSoon();  // a click may have released a held concealment
    };
}

MainProgram::~MainProgram() {
    platform_.trayIcon.onEvent = nullptr;
    form_->removeEventFilter(this);
}

void MainProgram::connectCommands() {
    ui::MainWindow* form = form_.get();
    connect(form, &ui::MainWindow::passwordClicked, this, &MainProgram::onPasswordClicked);
    connect(form, &ui::MainWindow::aboutClicked, this, &MainProgram::onAboutClicked);
    connect(form, &ui::MainWindow::exitClicked, this, &MainProgram::shutDown);
    connect(form, &ui::MainWindow::loadPictureClicked, this,
            [this](int index) { decoy_.onLoadPictureClicked(index); });
    connect(form, &ui::MainWindow::triggersChanged, &cycleDriver_, &CycleDriver::evaluateSoon);
}

void MainProgram::onPasswordClicked() {
    ui::runPasswordSetting(values_, platform_.prompter, form_.get());
    ui::showLockState(values_, *form_->lockBox());
}

void MainProgram::onAboutClicked() {
    ui::showAbout(
        {platform_.prompter, {}, {}, platform_.pictures.icon(qtplatform::PictureStore::kStandbyPicture)},
        form_.get());
}

bool MainProgram::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_.get() && event->type() == QEvent::Move) lastPosition_ = form_->pos();
    return QObject::eventFilter(watched, event);
}

bool MainProgram::modalDialogOpen() {
    return QApplication::activeModalWidget() != nullptr;
}

bool MainProgram::mainWindowVisible() {
    return form_->isVisible();
}

bool MainProgram::promptOpen() {
    return prompt_.isOpen();
}

bool MainProgram::checkPassword() {
    return prompt_.check();
}

void MainProgram::openMainWindow() {
    // The prompt runs an event loop of its own, in which the program may have ended.
    if (unloaded_) return;
    // Shown first: a window manager activates only a mapped window. Qt asks for the activation
    // (_NET_ACTIVE_WINDOW) once the window is mapped.
    form_->show();
    form_->raise();
    form_->activateWindow();
    form_->showTickedIndicators();
}

}  // namespace app
