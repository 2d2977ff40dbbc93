#pragma once
// Endgame table files: one table of one rule set and head-pit option per file, laid out as
// endgame-format.txt beside this unit describes. A file is trusted only when every check passes;
// anything else is refused with the reason, never half read.
#include "game/uTEndgameTable.h"

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace kelani {

// A table file that is missing, unreadable, damaged, of another format version or of another
// rule set than asked for; the message names the file and the reason.
struct EEndgameFile : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The name of the table of a rule set and head-pit option within a folder: "endgame-v4-h1.kte".
std::string EndgameFileName(int variante, bool useStirnmulde);

// Writes the table, replacing the file only once the new one is complete. EEndgameFile when it
// cannot be written.
void WriteEndgameTable(const std::filesystem::path& path, const TEndgameTable& table);

// Reads a table and checks it whole: header, format version, sizes, checksums and the range of
// every value. EEndgameFile when any of them fails.
TEndgameTable ReadEndgameTable(const std::filesystem::path& path);

// The table of a rule set and head-pit option from a folder of tables: nullptr when the folder
// has none, EEndgameFile when the file is there but cannot be trusted or is of another rule set.
std::unique_ptr<TEndgameTable> LoadEndgameTable(const std::filesystem::path& folder, int variante,
                                                bool useStirnmulde);

} // namespace kelani
