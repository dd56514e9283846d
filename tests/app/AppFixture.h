#pragma once

// The whole program with fakes for the platform (windows, sound, tray, message boxes, file dialog)
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

#include "app/DecoyIcons.h"
#include "app/MainProgram.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeSoundOutput.h"
#include "fakes/FakeTrayIcon.h"
#include "fakes/FakeWindowServices.h"
#include "platform/qt/PictureStore.h"
#include "settings/TestFiles.h"
#include "ui/QtApp.h"

namespace apptest {

// Answers the file dialog from a script and records what it was asked.
class FakeIconFileChooser final : public app::IconFileChooser {
public:
    std::optional<QString> chooseIconFile(const QString& title, const QString& filter) override {
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
inline QString decoyIconFile() {
    return QStringLiteral(ZEL_TRAY_TEST_DATA "/decoy.ico");
}

class AppFixture : public testing::Test {
protected:
    // Builds the program (after the test has written the settings file) and runs the start-up.
    app::MainProgram& start() {
        program = std::make_unique<app::MainProgram>(
            app::MainProgram::Platform{windows, sound, pictures, icon, prompter, chooser}, iniPath());
        program->onEnd = [this] { ++ends; };
        program->start();
        return *program;
    }

    QString iniPath() const { return dir.filePath(QStringLiteral("zelmora2nd.ini")); }
    QString filePath(const QString& name) const { return dir.filePath(name); }

    // The settings file from lines of ASCII text, CR LF as the program writes them.
    void writeIni(const QStringList& lines) const { testfiles::writeBytes(iniPath(), joined(lines)); }
    std::string iniBytes() const { return testfiles::readBytes(iniPath()); }
    static std::string joined(const QStringList& lines) {
        return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toStdString();
    }

    QPushButton* button(const char* name) const {
        program->form().buildControls();
        return program->form().findChild<QPushButton*>(QString::fromLatin1(name));
    }

    static QRect primary() { return QGuiApplication::primaryScreen()->geometry(); }

    QApplication& app = uitest::app();  // before any widget
    QTemporaryDir dir;
    fakes::FakeWindowServices windows;
    fakes::FakeSoundOutput sound;
    qtplatform::PictureStore pictures;
    fakes::FakeTrayIcon icon;
    fakes::FakePrompter prompter;
    FakeIconFileChooser chooser;
    std::unique_ptr<app::MainProgram> program;
    int ends = 0;
};

}  // namespace apptest
