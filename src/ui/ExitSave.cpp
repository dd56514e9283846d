#include "ui/ExitSave.h"

#include <atomic>
#include <cstdlib>
#include <thread>

#include "ui/MainProgram.h"

namespace ui {

namespace {

std::atomic<MainProgram*> gProgram{nullptr};

void SaveAtExit() {
    MainProgram* program = gProgram.exchange(nullptr);
    if (program == nullptr) return;
    std::thread([program] { program->SaveSettingsOnce(); }).join();
}

}  // namespace

ExitSave::ExitSave(MainProgram& program) {
    static const bool registered = std::atexit(SaveAtExit) == 0;
    if (registered) gProgram.store(&program);
}

ExitSave::~ExitSave() {
    gProgram.store(nullptr);
}

}  // namespace ui
