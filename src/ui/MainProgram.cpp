#include "ui/MainProgram.h"

#include <QApplication>
#include <QEvent>
#include <utility>

#include "lock/forms/PasswordSetting.h"
#include "ui/about/frmAbout.h"

namespace ui {

MainProgram::MainProgram(const Platform& platform, QString settingsPath)
    : platform_(platform),
      settingsPath_(std::move(settingsPath)),
      mixer_(platform.mixerDevice),
      registry_(platform.services, platform.prompter, flags_),
      cycle_(platform.services, registry_, values_, flags_, mixer_, platform.notifyIcon, trayIconData_),
      form_(std::make_unique<frmMain>(frmMain::Parts{values_, platform.services, registry_, platform.prompter,
                                                     platform.notifyIcon, trayIconData_, mixer_})),
      prompt_(values_, platform.prompter, form_.get()),
      decoy_(values_, platform.pictures, platform.iconFiles, platform.prompter,
             [this](int index, const QIcon& picture) { form_->SetIconPicture(index, picture); }),
      tray_(values_, flags_, cycle_, *this) {
    WireHooks();
    form_->installEventFilter(this);
    // Left in place at shut-down (which may run from inside this very handler, in the prompt's event
    // loop): it simply stops acting then.
    platform_.notifyIcon.onMouseEvent = [this](int eventNumber) {
        if (!unloaded_) tray_.Form_MouseMove(eventNumber);
    };
}

MainProgram::~MainProgram() {
    platform_.notifyIcon.onMouseEvent = nullptr;
    form_->removeEventFilter(this);
}

void MainProgram::WireHooks() {
    frmMain::Hooks& hooks = form_->hooks;
    hooks.tmrActive_Timer = [this] { cycle_.tmrActive_Timer(); };
    hooks.cmdPass_Click = [this] {
        lock::RunPasswordSetting(values_, platform_.prompter, form_.get());
        lock::ShowLockState(values_, *form_->chkLock());
    };
    hooks.cmdAbout_Click = [this] {
        ShowAbout({platform_.prompter, {}, {}, platform_.pictures.Icon(PictureStore::kStandbyPicture)},
                  form_.get());
    };
    hooks.cmdExit_Click = [this] { Form_Unload(); };
    hooks.cmdLoad_Click = [this](int index) { decoy_.cmdLoad_Click(index); };
}

bool MainProgram::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_.get() && event->type() == QEvent::Move) lastPosition_ = form_->pos();
    return QObject::eventFilter(watched, event);
}

bool MainProgram::ModalDialogOpen() {
    return QApplication::activeModalWidget() != nullptr;
}

bool MainProgram::MainWindowVisible() {
    return form_->isVisible();
}

bool MainProgram::PromptOpen() {
    return prompt_.IsOpen();
}

bool MainProgram::CheckPassword() {
    return prompt_.Check();
}

void MainProgram::OpenMainWindow() {
    // The prompt runs an event loop of its own, in which the program may have ended.
    if (unloaded_) return;
    // Shown first: a window manager activates only a mapped window. Qt asks for the activation
    // (_NET_ACTIVE_WINDOW) once the window is mapped.
    form_->show();
    form_->raise();
    form_->activateWindow();
    form_->ShowTickedIndicators();
}

}  // namespace ui
