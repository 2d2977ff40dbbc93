#pragma once
// The shell's "open" for files, web pages and mail addresses, in the user's own programs. Tests
// switch it to recording so no browser starts.
#include <QList>
#include <QUrl>

namespace kelani {

// Opens the address in the program the desktop associates with it; false for a missing local
// file, a placeholder address or when no program could.
bool ShellOpen(const QUrl& url);

// An address under the names reserved for examples (the domain "example" and example.com, .net,
// .org): it never leads anywhere, so it stands for a page or mailbox that does not exist yet.
bool IsPlaceholderAddress(const QUrl& url);

// Test seam: while recording, ShellOpen only notes the address and reports whether a program
// could have opened it (`opens`: false plays a desktop without a browser).
void RecordShellOpens(bool recording, bool opens = true);
const QList<QUrl>& ShellOpened();

} // namespace kelani
