#include "streams/JwStream.h"

#include "streams/uBlowfish.h"
#include "streams/uLh5.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace kelani {

namespace {

constexpr std::uint8_t kCompressedMarker = 0x26; // '&'
constexpr std::uint8_t kStoredMarker = 0x20;
constexpr std::uint8_t kEncipheredMarker = 0x2A; // '*'
constexpr std::uint8_t kPlainMarker = 0x20;
constexpr std::uint8_t kSignature[8] = {1, 2, 3, 4, 5, 6, 7, 8};
constexpr std::size_t kMaxKeyLength = 255;
constexpr std::size_t kMaxNameLength = 65535;

unsigned char FoldCase(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20); // à..þ
    switch (c) {
    case 0x9A:
        return 0x8A; // š
    case 0x9C:
        return 0x8C; // œ
    case 0x9E:
        return 0x8E; // ž
    case 0xFF:
        return 0x9F; // ÿ
    default:
        return c;
    }
}

bool HasSignature(std::span<const std::uint8_t> body) {
    return body.size() >= sizeof kSignature && std::memcmp(body.data(), kSignature, sizeof kSignature) == 0;
}

// Little-endian fields of a body held in memory; running past its end means the file is corrupt.
class BodyReader {
public:
    explicit BodyReader(std::span<const std::uint8_t> body) : body_(body) {}

    std::span<const std::uint8_t> Take(std::int64_t count) {
        if (count < 0 || count > static_cast<std::int64_t>(body_.size() - at_)) throw ECorruptFile();
        const auto part = body_.subspan(at_, static_cast<std::size_t>(count));
        at_ += static_cast<std::size_t>(count);
        return part;
    }
    std::uint32_t Unsigned(int bytes) {
        std::uint32_t value = 0;
        const auto part = Take(bytes);
        for (int i = bytes - 1; i >= 0; --i) value = value << 8 | part[static_cast<std::size_t>(i)];
        return value;
    }
    std::int32_t Int32() { return static_cast<std::int32_t>(Unsigned(4)); }

private:
    std::span<const std::uint8_t> body_;
    std::size_t at_ = 0;
};

void AppendLE(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

} // namespace

int CompareEntryNames(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int d = FoldCase(static_cast<unsigned char>(a[i])) - FoldCase(static_cast<unsigned char>(b[i]));
        if (d != 0) return d;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

std::int64_t SingleEntryBodySize(std::string_view name, std::int64_t size) {
    return static_cast<std::int64_t>(sizeof kSignature + 4 + 2 + name.size() + 4) + size;
}

// ---------------------------------------------------------------- TJwStreams

void TJwStreams::SetKey(std::string value) {
    if (value.size() > kMaxKeyLength)
        throw std::invalid_argument("A key holds at most 255 characters, not " +
                                    std::to_string(value.size()));
    key_ = std::move(value);
}

bool TJwStreams::EntryBefore(const Entry& entry, const std::string& name) {
    return CompareEntryNames(entry.name, name) < 0;
}

void TJwStreams::Insert(const std::string& name, std::unique_ptr<TMemoryStream> data) {
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), name, EntryBefore);
    if (at != entries_.end() && CompareEntryNames(at->name, name) == 0) return; // the first one stays
    entries_.insert(at, Entry{name, std::move(data)});
}

void TJwStreams::AddStream(const std::string& Name, TStream& Source) {
    if (Name.empty()) return;
    if (Name.size() > kMaxNameLength)
        throw std::invalid_argument("An entry name holds at most 65535 bytes, not " +
                                    std::to_string(Name.size()));
    auto copy = std::make_unique<TMemoryStream>();
    copy->CopyFrom(Source, 0);
    copy->SetPosition(0);
    Insert(Name, std::move(copy));
}

void TJwStreams::Clear() {
    entries_.clear();
}

void TJwStreams::GetStream(const std::string& Name, TStream& Dest) const {
    if (Name.empty()) return;
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), Name, EntryBefore);
    if (it != entries_.end() && CompareEntryNames(it->name, Name) == 0) it->data->SaveToStream(Dest);
    Dest.SetPosition(0);
}

void TJwStreams::LoadFromFile(const std::filesystem::path& FileName) {
    TFileStream file(FileName, TFileMode::fmOpenRead);
    LoadFromStream(file);
}

std::vector<std::uint8_t> TJwStreams::Body() const {
    std::vector<std::uint8_t> body(std::begin(kSignature), std::end(kSignature));
    AppendLE(body, static_cast<std::uint32_t>(entries_.size()), 4);
    for (const Entry& e : entries_) {
        if (e.data->Size() > std::numeric_limits<std::int32_t>::max())
            throw EWriteError("Entry \"" + e.name + "\" is too large for a container");
        AppendLE(body, static_cast<std::uint32_t>(e.name.size()), 2);
        body.insert(body.end(), e.name.begin(), e.name.end());
        AppendLE(body, static_cast<std::uint32_t>(e.data->Size()), 4);
        body.insert(body.end(), e.data->Bytes().begin(), e.data->Bytes().end());
    }
    return body;
}

void TJwStreams::SaveToStream(TStream& Target) const {
    const bool encipher = encrypted_ && !key_.empty();
    std::vector<std::uint8_t> payload = Body();
    if (compressed_) payload = Lh5Pack(payload);
    if (encipher) BlowfishEncipher(payload, key_);
    const std::uint8_t markers[2] = {compressed_ ? kCompressedMarker : kStoredMarker,
                                     encipher ? kEncipheredMarker : kPlainMarker};
    Target.WriteBuffer(markers, 2);
    Target.WriteBuffer(payload.data(), static_cast<std::int64_t>(payload.size()));
}

void TJwStreams::Corrupt() {
    if (OnCorrupt) OnCorrupt(*this);
    throw ECorruptFile();
}

void TJwStreams::ReadBody(std::span<const std::uint8_t> body) {
    BodyReader in(body);
    in.Take(sizeof kSignature);
    for (std::int32_t count = in.Int32(); count > 0; --count) {
        const auto name = in.Take(in.Unsigned(2));
        const std::int32_t size = in.Int32();
        entries_.push_back(
            Entry{std::string(name.begin(), name.end()), std::make_unique<TMemoryStream>(in.Take(size))});
    }
    // Sorted once at the end, not inserted one by one: a file stored in any order loads in
    // n log n. The stable sort keeps the first of equal names in front, and that one stays.
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const Entry& a, const Entry& b) { return CompareEntryNames(a.name, b.name) < 0; });
    entries_.erase(
        std::unique(entries_.begin(), entries_.end(),
                    [](const Entry& a, const Entry& b) { return CompareEntryNames(a.name, b.name) == 0; }),
        entries_.end());
}

void TJwStreams::LoadFromStream(TStream& Source) {
    Source.SetPosition(0);
    std::uint8_t markers[2] = {0, 0};
    if (Source.Read(markers, 2) != 2) Corrupt();
    std::vector<std::uint8_t> body(static_cast<std::size_t>(Source.Remaining()));
    Source.ReadBuffer(body.data(), static_cast<std::int64_t>(body.size()));
    const bool compressed = markers[0] == kCompressedMarker;
    const bool enciphered = markers[1] == kEncipheredMarker;
    try {
        if (enciphered) BlowfishDecipher(body, key_);
        if (compressed) body = Lh5Unpack(body, maxBodySize_);
    } catch (const std::exception&) {
        Corrupt();
    }
    if (!HasSignature(body)) Corrupt();
    std::vector<Entry> old = std::move(entries_);
    entries_.clear();
    try {
        ReadBody(body);
    } catch (const ECorruptFile&) {
        entries_ = std::move(old);
        Corrupt();
    }
    compressed_ = compressed;
    encrypted_ = enciphered;
}

// ---------------------------------------------------------------- typed helpers

namespace {

template <typename T> void WriteLE(TStream& s, T value) {
    std::uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    if constexpr (std::endian::native == std::endian::big) std::reverse(std::begin(bytes), std::end(bytes));
    s.WriteBuffer(bytes, sizeof(T));
}

template <typename T> T ReadLE(TStream& s) {
    std::uint8_t bytes[sizeof(T)];
    s.ReadBuffer(bytes, sizeof(T));
    if constexpr (std::endian::native == std::endian::big) std::reverse(std::begin(bytes), std::end(bytes));
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    return value;
}

} // namespace

void StreamWriteString(TStream& S, std::string_view Text) {
    if (Text.size() > 65535)
        throw EWriteError("A text of " + std::to_string(Text.size()) +
                          " bytes cannot be stored: at most 65535 bytes fit its length field");
    WriteLE<std::uint16_t>(S, static_cast<std::uint16_t>(Text.size()));
    S.WriteBuffer(Text.data(), static_cast<std::int64_t>(Text.size()));
}

std::string StreamReadString(TStream& S) {
    std::string text(ReadLE<std::uint16_t>(S), '\0');
    S.ReadBuffer(text.data(), static_cast<std::int64_t>(text.size()));
    return text;
}

void StreamWriteInteger(TStream& S, std::int32_t Value) {
    WriteLE(S, Value);
}
std::int32_t StreamReadInteger(TStream& S) {
    return ReadLE<std::int32_t>(S);
}
void StreamWriteSmallInt(TStream& S, std::int16_t Value) {
    WriteLE(S, Value);
}
std::int16_t StreamReadSmallInt(TStream& S) {
    return ReadLE<std::int16_t>(S);
}
void StreamWriteByte(TStream& S, std::uint8_t Value) {
    WriteLE(S, Value);
}
std::uint8_t StreamReadByte(TStream& S) {
    return ReadLE<std::uint8_t>(S);
}
void StreamWriteBoolean(TStream& S, bool Value) {
    StreamWriteByte(S, Value ? 1 : 0);
}
bool StreamReadBoolean(TStream& S) {
    return StreamReadByte(S) == 1;
}
void StreamWriteDouble(TStream& S, double Value) {
    WriteLE(S, Value);
}
double StreamReadDouble(TStream& S) {
    return ReadLE<double>(S);
}

void StreamWriteBlock(TStream& FileStream, const TMemoryStream& MemoryStream) {
    const std::int64_t size = static_cast<std::int64_t>(MemoryStream.Bytes().size());
    if (size > std::numeric_limits<std::int32_t>::max())
        throw EWriteError("A block of this size cannot be stored");
    StreamWriteInteger(FileStream, static_cast<std::int32_t>(size));
    MemoryStream.SaveToStream(FileStream);
}

void StreamReadBlock(TStream& FileStream, TMemoryStream& MemoryStream) {
    const std::int32_t size = StreamReadInteger(FileStream);
    if (size < 0) throw EReadError();
    MemoryStream.Seek(0, TSeekOrigin::soEnd);
    if (size > 0) MemoryStream.CopyFrom(FileStream, size);
    MemoryStream.SetPosition(0);
}

} // namespace kelani
