#pragma once
// The small platform layer the game's Windows design expects: tick count, the message-pumping
// wait that every animation and pause goes through, the program folder, and the one codec
// between the files' Windows-1252 bytes and Qt's strings.
#include <QString>
#include <cstdint>
#include <string>

namespace kelani {

// Milliseconds from a steady clock (the design's tick count).
int64_t TickCount();

// Waits until TickCount() reaches `tick`, processing window messages and sleeping 1 ms per pass;
// always makes at least one pass, so paint and key events are delivered even for a past tick.
void WaitUntil(int64_t tick);

// Waits `ms` milliseconds from now the same way.
void WaitFor(int ms);

// The program is closing: from now on every wait makes its one pass and returns, so a running
// animation ends at once instead of playing on unseen. Passing false lets waits wait again.
void CutWaitsShort(bool cut = true);

// Test hook: waits finish after 1/factor of their time (factor >= 1). The number and order of
// passes that callers make stays the same; only the time between them shrinks.
void SetWaitSpeedUp(int factor);
int WaitSpeedUp();

// The folder of the executable: the containers and the help pages are read from here, and in a
// run-in-place copy settings.ini and the highscore files live here too.
QString ProgramFolder();

// Where settings.ini, the highscore files and saved games are kept: the program folder for a
// portable copy (KeepsDataBeside), otherwise the user's application data folder.
QString DataFolder();

// True when a program in `programFolder` keeps its data beside it: a writable folder outside the
// system's program folders (/usr, /opt, /snap, ...). An installed copy never writes there, even
// when run by root.
bool KeepsDataBeside(const QString& programFolder);

// The application's title, the caption of plain message boxes; the application's display name
// until set. Qt's display name is not used for it because X11 window titles would carry it as a
// suffix.
void SetApplicationTitle(const QString& title);
QString ApplicationTitle();

// Test hook: point both folders at a temporary folder (an empty string restores the default).
void SetProgramFolderForTests(const QString& folder);

// The files hold Windows-1252 bytes; Qt holds Unicode.
QString FromCp1252(const std::string& bytes);
std::string ToCp1252(const QString& text);
// The text of an error: UTF-8 where it holds file paths, Windows-1252 where it comes from the files.
QString ErrorText(const char* what);

} // namespace kelani
