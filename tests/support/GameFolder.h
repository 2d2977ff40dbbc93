#pragma once
// A fresh program folder for one test, holding copies of the built graphics containers, with the
// program's waits sped up: what any test of the board needs, with or without a window.
#include "components/uFolders.h"
#include "components/uWait.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kelani::testing {

class TGameFolder {
public:
    TGameFolder() {
        EXPECT_TRUE(folder_.isValid());
        const QDir built(QStringLiteral(KELANI_PROGRAM_DIR));
        for (const QString& name : built.entryList({QStringLiteral("*.gfx")}, QDir::Files))
            QFile::copy(built.filePath(name), folder_.filePath(name));
        SetProgramFolderForTests(folder_.path());
        SetWaitSpeedUp(50);
        // The game builds no endgame tables of its own in tests: those that want them put a small
        // one into the folder.
        qputenv("KELANI_TABLE_STONES", "0");
    }
    ~TGameFolder() {
        CutWaitsShort(false);
        SetWaitSpeedUp(1);
        SetProgramFolderForTests(QString());
    }
    TGameFolder(const TGameFolder&) = delete;
    TGameFolder& operator=(const TGameFolder&) = delete;

    QString Folder() const { return folder_.path(); }
    QString FilePath(const QString& name) const { return folder_.filePath(name); }
    void WriteSettings(const QByteArray& text) const {
        QFile file(FilePath(QStringLiteral("settings.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    // A quiet game: no sound, no animation, `language`; `more` adds keys of the section.
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
