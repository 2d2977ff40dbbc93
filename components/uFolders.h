#pragma once
// Where the program is and where it keeps its data: the program folder beside the executable
// (containers, help pages) and the data folder (settings.ini, highscores, saved games).
#include <QString>
#include <string>

namespace kelani {

// The folder of the executable: the containers and the help pages are read from here, and in a
// run-in-place copy settings.ini and the highscore files live here too.
QString ProgramFolder();

// Where settings.ini, the highscore files and saved games are kept: the program folder for a
// portable copy (KeepsDataBeside), otherwise the user's application data folder.
QString DataFolder();

// The data folder in the file system's encoding, for the Qt-free profile and record code.
std::string SettingsFolder();

// True when a program in `programFolder` keeps its data beside it: a writable folder outside the
// system's program folders (/usr, /opt, /snap, ...). An installed copy never writes there, even
// when run by root.
bool KeepsDataBeside(const QString& programFolder);

// Test hook: point both folders at a temporary folder (an empty string restores the default).
void SetProgramFolderForTests(const QString& folder);

} // namespace kelani
