#pragma once
// The one codec between the files' Windows-1252 bytes and Qt's strings.
#include <QString>
#include <string>

namespace kelani {

// The files hold Windows-1252 bytes; Qt holds Unicode.
QString FromCp1252(const std::string& bytes);
std::string ToCp1252(const QString& text);
// The text of an error: UTF-8 where it holds file paths, Windows-1252 where it comes from the files.
QString ErrorText(const char* what);

} // namespace kelani
