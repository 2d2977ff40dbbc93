#pragma once
// The profile (INI) file the game keeps its settings in, with the Windows semantics the settings
// rely on: section and key names match without regard to letter case, every read goes to the file
// (so two objects on one file always agree), every write edits the one key line in place and keeps
// every other line byte for byte, and the first write creates the section or the file.
// Qt-free: names and values are the file's single-byte Windows-1252 text.
#include "base/uAtomicSave.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kelani {

// A write the system refused; the message is "nach <file> kann nicht geschrieben werden", the
// file and the reason are those of the failed save.
struct EIniFileException : EFileSaveError {
    explicit EIniFileException(const EFileSaveError& failed)
        : EFileSaveError(failed.FileName(), failed.Failure(),
                         "nach " + failed.FileName().string() + " kann nicht geschrieben werden") {}
};

// The toolkit's integer conversion: optional sign, then decimal digits, or hexadecimal digits after
// "$" or "0x"/"0X"; blanks around the number are allowed. False for anything else or overflow.
bool TryStrToInt(std::string_view text, int& value);

class TIniFile {
public:
    explicit TIniFile(std::string fileName);

    const std::string& FileName() const { return fileName_; }

    // Reads never fail: a missing file, section or key yields the default. Values are trimmed of
    // blanks; everything else is returned as stored.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // Decimal, or hexadecimal with "$" or "0x"; any other text yields the default.
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    // An integer read with the default 1 or 0; true for every value but 0.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    bool SectionExists(std::string_view section) const;

    // Edits the key's line in place (the first one when the key is there twice), else appends the
    // key at the end of its section, else appends the section at the end of the file. The file is
    // replaced as saved games are (SaveFileAtomically): as a whole once the new text is complete,
    // through a link, keeping its permissions, never when it is read-only.
    // Throws EIniFileException when the file cannot be written.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

private:
    std::vector<std::string> ReadLines() const;
    void WriteLines(const std::vector<std::string>& lines) const;

    std::string fileName_;
};

} // namespace kelani
