#pragma once
// Byte streams with the positions and copy semantics of the game's files.
//
// A stream has a size and a position. Read returns fewer bytes at the end; ReadBuffer insists on
// all of them and raises EReadError. A memory stream grows when written past its end. Every
// position and count is a signed 64-bit number; a negative count is refused, never wrapped.
#include "base/uAtomicSave.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kelani {

// Base of the stream library's errors (read, write, open, create).
class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fewer bytes than asked for were there to read ("Stream read error").
class EReadError : public EStreamError {
public:
    EReadError() : EStreamError("Stream read error") {}
    using EStreamError::EStreamError;
};

// A write could not be completed, or a value cannot be stored in its field.
class EWriteError : public EStreamError {
public:
    EWriteError() : EStreamError("Stream write error") {}
    using EStreamError::EStreamError;
};

// A file could not be opened for reading or writing.
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// A file could not be created.
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to count bytes at the position and returns how many were read (0 at the end).
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    // Writes count bytes at the position and returns how many were written.
    virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
    // Moves the position and returns it. A position before the start raises EStreamError.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual std::int64_t Size();
    virtual void SetSize(std::int64_t size) = 0;

    std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
    // Bytes between the position and the end (0 when the position lies beyond the end).
    std::int64_t Remaining();

    // All count bytes or EReadError; nothing is read when fewer are left.
    void ReadBuffer(void* buffer, std::int64_t count);
    // All count bytes or EWriteError.
    void WriteBuffer(const void* buffer, std::int64_t count);
    // Copies count bytes from source's position to this stream's position and returns count.
    // Count 0 copies the whole of source from its beginning. A negative count, or one larger than
    // what source holds after its position, raises EReadError before anything is copied.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::span<const std::uint8_t> bytes) : data_(bytes.begin(), bytes.end()) {}
    explicit TMemoryStream(std::string_view bytes) : data_(bytes.begin(), bytes.end()) {}

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
    void SetSize(std::int64_t size) override;

    // Empties the stream and sets the position to 0.
    void Clear();
    // Replaces the content by the whole of source (from its beginning); position 0 afterwards.
    void LoadFromStream(TStream& source);
    void LoadFromFile(const std::filesystem::path& fileName);
    // Writes the whole content at target's position.
    void SaveToStream(TStream& target) const;

    const std::vector<std::uint8_t>& Bytes() const { return data_; }
    std::vector<std::uint8_t>& Bytes() { return data_; }
    std::span<const std::uint8_t> Span() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
    std::int64_t position_ = 0;
};

enum class TFileMode {
    fmCreate,       // create or truncate, read and write
    fmOpenRead,     // existing file, read only
    fmOpenWrite,    // existing file, write only
    fmOpenReadWrite // existing file, read and write
};

class TFileStream : public TStream {
public:
    // Raises EFOpenError (EFCreateError for fmCreate) naming the file and the system's reason.
    TFileStream(const std::filesystem::path& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t size) override;

    const std::filesystem::path& FileName() const { return fileName_; }

private:
    std::FILE* file_ = nullptr;
    std::filesystem::path fileName_;
};

// The container image written with the base's atomic replace (EFileSaveError on failure).
inline void SaveFileAtomically(const std::filesystem::path& path, const TMemoryStream& image) {
    SaveFileAtomically(path, image.Span());
}

} // namespace kelani
