#pragma once
// Shared set-up of the window tests: one QApplication, a temporary program folder holding copies of
// the real graphics containers, sped-up waits and pre-answered message boxes.
#include "app/lngDialogs.h"
#include "components/uFolders.h"
#include "components/uWait.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kelani::testing {

inline QApplication& App() {
    static int argc = 1;
    static char arg0[] = "kelani_gui_test";
    static char* argv[] = {arg0, nullptr};
    // Never destroyed: Qt's input devices must not be torn down after the test runner's exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Every test gets a fresh program folder with the containers of the build copied in.
class GuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(folder_.isValid());
        const QDir built(QStringLiteral(KELANI_PROGRAM_DIR));
        for (const QString& name : built.entryList({QStringLiteral("*.gfx")}, QDir::Files))
            QFile::copy(built.filePath(name), folder_.filePath(name));
        SetProgramFolderForTests(folder_.path());
        SetWaitSpeedUp(50);
        ResetMessageSeam();
        SetDialogLanguage(QStringLiteral("german"));
    }
    void TearDown() override {
        ResetMessageSeam();
        CutWaitsShort(false);
        SetWaitSpeedUp(1);
        SetProgramFolderForTests(QString());
    }

    QString Folder() const { return folder_.path(); }
    QString FilePath(const QString& name) const { return folder_.filePath(name); }
    void WriteSettings(const QByteArray& text) const {
        QFile file(FilePath(QStringLiteral("settings.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    // A quiet game window: no sound, no animation, `language`; `more` adds keys of the section.
    void WriteQuietSettings(const QByteArray& language = "german", const QByteArray& more = {}) const {
        WriteSettings("[settings]\nlanguage=" + language + "\nsound=0\nhandani=0\nstoneani=0\nnoani=1\n" +
                      more);
    }
    QByteArray ReadSettings() const {
        QFile file(FilePath(QStringLiteral("settings.ini")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir folder_;
};

} // namespace kelani::testing
