#pragma once

// The whole program with fakes for the platform (windows, mixer, tray, message boxes, file dialog)
// and a real settings file in a temporary folder, under the offscreen platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fakes/FakeMixerDevice.h"
#include "fakes/FakeNotifyIcon.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeWindowServices.h"
#include "settings/TestFiles.h"
#include "ui/DecoyIcons.h"
#include "ui/MainProgram.h"
#include "ui/QtApp.h"
#include "ui/tray/PictureStore.h"

namespace apptest {

// Answers the file dialog from a script and records what it was asked.
class FakeIconFileChooser final : public ui::IconFileChooser {
public:
    std::optional<QString> ChooseIconFile(const QString& title, const QString& filter) override {
        asked.push_back({title, filter});
        if (answers.empty()) return std::nullopt;
        std::optional<QString> answer = answers.front();
        answers.pop_front();
        return answer;
    }

    struct Question {
        QString title;
        QString filter;
    };
    std::deque<std::optional<QString>> answers;  // nullopt: the user cancels
    std::vector<Question> asked;
};

// A decoy icon file of the tray tests.
inline QString DecoyIconFile() {
    return QStringLiteral(ZEL_TRAY_TEST_DATA "/decoy.ico");
}

class AppFixture : public testing::Test {
protected:
    // Builds the program (after the test has written the settings file) and runs the start-up.
    ui::MainProgram& Start() {
        program = std::make_unique<ui::MainProgram>(
            ui::MainProgram::Platform{windows, device, pictures, icon, prompter, chooser}, IniPath());
        program->onEnd = [this] { ++ends; };
        program->Form_Load();
        return *program;
    }

    QString IniPath() const { return dir.filePath(QStringLiteral("zelmora2nd.ini")); }
    QString FilePath(const QString& name) const { return dir.filePath(name); }

    // The settings file from lines of ASCII text, CR LF as the program writes them.
    void WriteIni(const QStringList& lines) const { testfiles::writeBytes(IniPath(), Joined(lines)); }
    std::string IniBytes() const { return testfiles::readBytes(IniPath()); }
    static std::string Joined(const QStringList& lines) {
        return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toStdString();
    }

    QPushButton* Button(const char* name) const {
        program->Form().BuildControls();
        return program->Form().findChild<QPushButton*>(QString::fromLatin1(name));
    }

    static QRect Primary() { return QGuiApplication::primaryScreen()->geometry(); }

    QApplication& app = uitest::App();  // before any widget
    QTemporaryDir dir;
    fakes::FakeWindowServices windows;
    fakes::FakeMixerDevice device;
    ui::PictureStore pictures;
    fakes::FakeNotifyIcon icon;
    fakes::FakePrompter prompter;
    FakeIconFileChooser chooser;
    std::unique_ptr<ui::MainProgram> program;
    int ends = 0;
};

}  // namespace apptest
