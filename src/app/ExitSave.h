#pragma once

namespace app {

class MainProgram;

// Writes a started program's settings when the process ends through exit() without the program's
// shut-down: Qt ends the process with exit(1) as soon as it notices that its own X connection
// broke, which may be before the program has noticed it on its own connection. The settings are
// written on a thread of their own, since exit() has already destroyed this thread's thread-local
// objects (the settings file's text conversion keeps its converters in such objects). One program
// at a time; it is forgotten when this object is destroyed.
class ExitSave {
public:
    explicit ExitSave(MainProgram& program);
    ~ExitSave();
    ExitSave(const ExitSave&) = delete;
    ExitSave& operator=(const ExitSave&) = delete;
};

}  // namespace app
