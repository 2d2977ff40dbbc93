#include "records/uEndgameFile.h"

#include "streams/JwStream.h"
#include "streams/uJwStreamBase.h"
#include "streams/uLh5.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kelani {
namespace {

constexpr char kMagic[8] = {'K', 'E', 'L', 'A', 'N', 'I', 'E', 'T'};
constexpr uint16_t kVersion = 1;
constexpr size_t kHeaderSize = 32;
// The values are packed in blocks of this many, each on its own; a packed block is never longer
// than kMostPacked.
constexpr size_t kBlock = size_t{1} << 20;
constexpr size_t kMostPacked = 2 * kBlock;

// CRC-32 of IEEE 802.3 (the one of zip and PNG).
constexpr std::array<uint32_t, 256> kCrcTable = [] {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t k = 0; k < size; ++k) crc = kCrcTable[(crc ^ data[k]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

template <class T> void Put(uint8_t* at, T value) {
    for (size_t k = 0; k < sizeof(T); ++k)
        at[k] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * k));
}

template <class T> T Get(const uint8_t* at) {
    uint64_t value = 0;
    for (size_t k = 0; k < sizeof(T); ++k) value |= static_cast<uint64_t>(at[k]) << (8 * k);
    return static_cast<T>(value);
}

// What a header says, once its own checksum, magic and version have passed.
struct THeader {
    int Variante = 0;
    bool UseStirnmulde = false;
    int MaxStones = 0;
    uint64_t Entries = 0;
    uint32_t ValuesCrc = 0;
};

std::array<uint8_t, kHeaderSize> MakeHeader(const TEndgameTable& table) {
    std::array<uint8_t, kHeaderSize> header{};
    std::memcpy(header.data(), kMagic, sizeof kMagic);
    Put<uint16_t>(&header[8], kVersion);
    header[10] = static_cast<uint8_t>(table.Variante());
    header[11] = table.UseStirnmulde() ? 1 : 0;
    header[12] = static_cast<uint8_t>(table.MaxStones());
    Put<uint64_t>(&header[16], table.Values().size());
    const auto* values = reinterpret_cast<const uint8_t*>(table.Values().data());
    Put<uint32_t>(&header[24], Crc32(values, table.Values().size()));
    Put<uint32_t>(&header[28], Crc32(header.data(), 28));
    return header;
}

[[noreturn]] void Refuse(const std::filesystem::path& path, const std::string& reason) {
    throw EEndgameFile("The endgame table " + path.string() + " cannot be used: " + reason + ".");
}

THeader ParseHeader(const std::filesystem::path& path, const uint8_t* header) {
    if (std::memcmp(header, kMagic, sizeof kMagic) != 0) Refuse(path, "it is no endgame table");
    if (Get<uint16_t>(header + 8) != kVersion)
        Refuse(path, "it has format version " + std::to_string(Get<uint16_t>(header + 8)) +
                         ", this program reads " + std::to_string(kVersion));
    if (Crc32(header, 28) != Get<uint32_t>(header + 28)) Refuse(path, "its header is damaged");
    THeader parsed;
    parsed.Variante = header[10];
    parsed.UseStirnmulde = header[11] == 1;
    parsed.MaxStones = header[12];
    parsed.Entries = Get<uint64_t>(header + 16);
    parsed.ValuesCrc = Get<uint32_t>(header + 24);
    if (parsed.Variante < 1 || parsed.Variante > 6 || header[11] > 1 ||
        parsed.MaxStones > kEndgameMaxStones || header[13] != 0 || header[14] != 0 || header[15] != 0 ||
        parsed.Entries != TEndgameTable::EntryCount(parsed.Variante, parsed.MaxStones))
        Refuse(path, "its header is damaged");
    return parsed;
}

// A margin of the stones in the pits lies within their number.
void CheckRanges(const std::filesystem::path& path, const THeader& header,
                 const std::vector<int8_t>& values) {
    const uint64_t moves = static_cast<uint64_t>(TEndgameTable::MovesPerTurn(header.Variante));
    for (int stones = 0; stones <= header.MaxStones; ++stones) {
        const uint64_t begin = TEndgameTable::LayerOffset(stones) * moves;
        const uint64_t end = TEndgameTable::LayerOffset(stones + 1) * moves;
        for (uint64_t k = begin; k < end; ++k)
            if (values[k] > stones || values[k] < -stones) Refuse(path, "a value lies outside its range");
    }
}

} // namespace

std::string EndgameFileName(int variante, bool useStirnmulde) {
    return "endgame-v" + std::to_string(variante) + "-h" + (useStirnmulde ? "1" : "0") + ".kte";
}

void WriteEndgameTable(const std::filesystem::path& path, const TEndgameTable& table) {
    const std::array<uint8_t, kHeaderSize> header = MakeHeader(table);
    std::vector<uint8_t> image(header.begin(), header.end());
    const std::span<const uint8_t> values(reinterpret_cast<const uint8_t*>(table.Values().data()),
                                          table.Values().size());
    try {
        for (size_t begin = 0; begin < values.size(); begin += kBlock) {
            const std::vector<uint8_t> packed =
                Lh5Encode(values.subspan(begin, std::min(kBlock, values.size() - begin)));
            if (packed.size() > kMostPacked)
                throw EEndgameFile("A block of the endgame table packs too badly.");
            std::array<uint8_t, 4> length{};
            Put<uint32_t>(length.data(), static_cast<uint32_t>(packed.size()));
            image.insert(image.end(), length.begin(), length.end());
            image.insert(image.end(), packed.begin(), packed.end());
        }
        SaveFileAtomically(path, image);
    } catch (const EStreamError& e) {
        throw EEndgameFile(e.what());
    }
}

TEndgameTable ReadEndgameTable(const std::filesystem::path& path) {
    try {
        TFileStream file(path, TFileMode::fmOpenRead);
        std::array<uint8_t, kHeaderSize> bytes{};
        if (file.Read(bytes.data(), kHeaderSize) != static_cast<int64_t>(kHeaderSize))
            Refuse(path, "it is too short");
        const THeader header = ParseHeader(path, bytes.data());
        // Block by block, each read only when its length fits the file: a damaged length never
        // makes the reader allocate more than one block beyond what the file holds.
        std::vector<int8_t> values;
        std::vector<uint8_t> packed;
        while (values.size() < header.Entries) {
            std::array<uint8_t, 4> length{};
            if (file.Read(length.data(), 4) != 4) Refuse(path, "it ends too soon");
            const uint32_t size = Get<uint32_t>(length.data());
            if (size == 0 || size > kMostPacked || size > file.Size() - file.Position())
                Refuse(path, "a block of its values is damaged");
            packed.resize(size);
            file.ReadBuffer(packed.data(), size);
            const size_t count = std::min<uint64_t>(kBlock, header.Entries - values.size());
            const std::vector<uint8_t> block = Lh5Decode(packed, static_cast<int64_t>(count));
            values.insert(values.end(), block.begin(), block.end());
        }
        if (file.Position() != file.Size()) Refuse(path, "it goes on after its last value");
        if (Crc32(reinterpret_cast<const uint8_t*>(values.data()), values.size()) != header.ValuesCrc)
            Refuse(path, "its values are damaged (checksum)");
        CheckRanges(path, header, values);
        return TEndgameTable(header.Variante, header.UseStirnmulde, header.MaxStones, std::move(values));
    } catch (const ECorruptFile&) {
        Refuse(path, "a block of its values is damaged");
    } catch (const EStreamError& e) {
        Refuse(path, e.what());
    }
}

std::unique_ptr<TEndgameTable> LoadEndgameTable(const std::filesystem::path& folder, int variante,
                                                bool useStirnmulde) {
    const std::filesystem::path path = folder / EndgameFileName(variante, useStirnmulde);
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return nullptr;
    auto table = std::make_unique<TEndgameTable>(ReadEndgameTable(path));
    if (table->Variante() != variante || table->UseStirnmulde() != useStirnmulde)
        Refuse(path, "it holds another rule set or head-pit option");
    return table;
}

} // namespace kelani
