#pragma once
// Replacing a file so that a reader sees either the old or the new complete file. Saved games,
// highscore tables, settings.ini and the tools' containers are all written this way.
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>

namespace kelani {

// Why a file could not be saved, so that the player can be told in his language.
enum class TSaveFailure {
    ReadOnly,      // the file may not be written: it is not replaced
    FolderRefuses, // no new file can be made in its folder (missing, read-only, no room)
    IsFolder,      // the name is a folder
    WriteFailed,   // writing the new contents failed (a full disk, an I/O error)
    Other,         // a link that cannot be followed, permissions that cannot be kept, ...
};

// A save that did not happen; the old file is untouched. The text (English, with the system's
// reason) is for logs and tools; windows build their own from FileName and Failure.
class EFileSaveError : public std::runtime_error {
public:
    EFileSaveError(std::filesystem::path fileName, TSaveFailure failure, const std::string& text)
        : std::runtime_error(text), fileName_(std::move(fileName)), failure_(failure) {}

    // The name the save was asked for (a link's own name, not its target's).
    const std::filesystem::path& FileName() const { return fileName_; }
    TSaveFailure Failure() const { return failure_; }

private:
    std::filesystem::path fileName_;
    TSaveFailure failure_;
};

// Replaces the file at path by bytes: the bytes go to a temporary file of a fresh name in the
// same folder (created exclusively, never through a link planted under that name), are flushed
// to the disk, and the temporary file is renamed over path. A symbolic link is written through
// (its target is replaced, a dangling link creates its target); the replaced file's permissions
// are kept, and a file the user may not write (for root: one without any write bit) is refused.
// On any failure the old file stays untouched, the temporary file is removed and EFileSaveError
// is raised.
void SaveFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

} // namespace kelani
