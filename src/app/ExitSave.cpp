#include "app/ExitSave.h"

#include <atomic>
#include <cstdlib>
#include <thread>

#include "app/MainProgram.h"

namespace app {

namespace {

std::atomic<MainProgram*> gProgram{nullptr};

void saveAtExit() {
    MainProgram* program = gProgram.exchange(nullptr);
    if (program == nullptr) return;
    std::thread([program] { program->saveSettingsOnce(); }).join();
}

}  // namespace

ExitSave::ExitSave(MainProgram& program) {
    static const bool registered = std::atexit(saveAtExit) == 0;
    if (registered) gProgram.store(&program);
}

ExitSave::~ExitSave() {
    gProgram.store(nullptr);
}

}  // namespace app
