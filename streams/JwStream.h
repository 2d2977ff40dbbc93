#pragma once
// The named-stream container behind the game's data files (graphics containers, saved games,
// highscore tables), and the typed helpers the record files are written with.
//
// Container image (all integers little-endian):
//   byte 0   compression marker: '&' (0x26) compressed, ' ' (0x20) stored
//   byte 1   cipher marker:      '*' (0x2A) enciphered, ' ' (0x20) plain
//   byte 2.. payload = body, -lh5- compressed when '&', then Blowfish enciphered when '*'
// Body:
//   8 bytes  signature 01 02 03 04 05 06 07 08
//   int32    entry count
//   per entry: uint16 name length n, n name bytes, int32 data size s, s data bytes
// Entries are written sorted by name, case-insensitively; a name occurs once.
#include "streams/uJwStreamBase.h"
#include "streams/uLh5.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelani {

// A container (or a compressed stream) that fails its checks.
class ECorruptFile : public std::runtime_error {
public:
    ECorruptFile() : std::runtime_error("File is corrupt.") {}
    using std::runtime_error::runtime_error;
};

class TJwStreams {
public:
    using TNotifyEvent = std::function<void(TJwStreams& Sender)>;

    // Empty, Compressed true, Encrypted false, empty Key.
    TJwStreams() = default;

    // SaveToStream compresses the body.
    bool Compressed() const { return compressed_; }
    void SetCompressed(bool value) { compressed_ = value; }
    // SaveToStream enciphers the (compressed) body when Key is not empty.
    bool Encrypted() const { return encrypted_; }
    void SetEncrypted(bool value) { encrypted_ = value; }
    // Cipher key of 0 to 255 bytes; a longer key raises std::invalid_argument (its length is
    // stored in one byte by the key schedule and would wrap).
    const std::string& Key() const { return key_; }
    void SetKey(std::string value);
    // The largest compressed body LoadFromStream unpacks (at most kLh5MaxSize, the default); a
    // body announcing more is corrupt and refused before it is decoded. Readers that know how
    // much their files hold set less, so a small damaged file cannot make them unpack megabytes.
    std::int64_t MaxBodySize() const { return maxBodySize_; }
    void SetMaxBodySize(std::int64_t value) { maxBodySize_ = value; }
    // Called just before ECorruptFile is raised by LoadFromStream.
    TNotifyEvent OnCorrupt;

    // Copies the whole of source (from its beginning, whatever its position) under name. An empty
    // name does nothing; an existing entry of the same name (case-insensitively) is kept.
    void AddStream(const std::string& Name, TStream& Source);
    void Clear();
    // Appends entry Name to Dest at Dest's position (nothing when it does not exist), then sets
    // Dest's position to 0. An empty Name does nothing at all.
    void GetStream(const std::string& Name, TStream& Dest) const;
    // Opens the file read-only (EFOpenError when it cannot) and loads it.
    void LoadFromFile(const std::filesystem::path& FileName);
    // Replaces all entries by those stored in Source (read from its beginning to its end) and
    // sets Compressed and Encrypted from the markers. Corrupt data (failed signature, cipher or
    // decompression, entry fields running past the end, negative sizes) calls OnCorrupt and raises
    // ECorruptFile "File is corrupt."; a failed load leaves entries and properties as they were.
    void LoadFromStream(TStream& Source);
    // Writes the container at Target's position.
    void SaveToStream(TStream& Target) const;

    // Entries in stored order, for listing tools.
    int Count() const { return static_cast<int>(entries_.size()); }
    const std::string& Names(int index) const { return entries_.at(index).name; }
    const TMemoryStream& Streams(int index) const { return *entries_.at(index).data; }

private:
    struct Entry {
        std::string name;
        std::unique_ptr<TMemoryStream> data;
    };
    static bool EntryBefore(const Entry& entry, const std::string& name);
    void Insert(const std::string& name, std::unique_ptr<TMemoryStream> data);
    [[noreturn]] void Corrupt();
    std::vector<std::uint8_t> Body() const;
    void ReadBody(std::span<const std::uint8_t> body);

    std::vector<Entry> entries_;
    bool compressed_ = true;
    bool encrypted_ = false;
    std::string key_;
    std::int64_t maxBodySize_ = kLh5MaxSize;
};

// The body size of a container that holds one entry of size bytes under name.
std::int64_t SingleEntryBodySize(std::string_view name, std::int64_t size);

// Case-insensitive order of entry names (Windows-1252 letters folded to upper case).
int CompareEntryNames(std::string_view a, std::string_view b);

// Typed helpers: little-endian, no alignment. Reading past the end raises EReadError.
// Texts: uint16 length n, then n bytes. A text longer than 65535 bytes raises EWriteError and
// writes nothing.
void StreamWriteString(TStream& S, std::string_view Text);
std::string StreamReadString(TStream& S);
void StreamWriteInteger(TStream& S, std::int32_t Value);
std::int32_t StreamReadInteger(TStream& S);
void StreamWriteSmallInt(TStream& S, std::int16_t Value);
std::int16_t StreamReadSmallInt(TStream& S);
void StreamWriteByte(TStream& S, std::uint8_t Value);
std::uint8_t StreamReadByte(TStream& S);
// One byte, 1 for true; reading yields true only for the byte 1.
void StreamWriteBoolean(TStream& S, bool Value);
bool StreamReadBoolean(TStream& S);
void StreamWriteDouble(TStream& S, double Value);
double StreamReadDouble(TStream& S);
// int32 size of the memory stream, then its whole content.
void StreamWriteBlock(TStream& FileStream, const TMemoryStream& MemoryStream);
// Reads an int32 size n and appends the next n bytes to MemoryStream, then rewinds it. A negative
// n or one running past the end raises EReadError without reading.
void StreamReadBlock(TStream& FileStream, TMemoryStream& MemoryStream);

} // namespace kelani
