// Endgame table files: a table reads back as written, and every kind of damage is refused with its
// reason, never half trusted.
#include "records/uEndgameFile.h"
#include "tests/records/RecordsTestUtil.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace kelani;
using kelani::test::ReadBytes;
using kelani::test::ScratchFolder;
using kelani::test::WriteBytes;

namespace {

// A table of rule set 3 (two values a position) over three blocks, with random values in range.
TEndgameTable RandomTable() {
    constexpr int kStones = 11;
    std::mt19937 rng(3);
    std::vector<int8_t> values(TEndgameTable::EntryCount(3, kStones));
    for (int stones = 0; stones <= kStones; ++stones)
        for (uint64_t k = TEndgameTable::LayerOffset(stones) * 2;
             k < TEndgameTable::LayerOffset(stones + 1) * 2; ++k)
            values[k] = static_cast<int8_t>(static_cast<int>(rng() % (2 * stones + 1)) - stones);
    return TEndgameTable(3, true, kStones, std::move(values));
}

// The message of the refusal of a file, empty when it was read.
std::string Refusal(const std::string& file) {
    try {
        ReadEndgameTable(file);
        return "";
    } catch (const EEndgameFile& e) {
        return e.what();
    }
}

} // namespace

TEST(EndgameFile, ReadsBackWhatItWroteAndFindsItInAFolder) {
    const ScratchFolder folder("endgame-file");
    const TEndgameTable table = RandomTable();
    WriteEndgameTable(folder.File(EndgameFileName(3, true)), table);
    const std::unique_ptr<TEndgameTable> read = LoadEndgameTable(folder.Path(), 3, true);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Variante(), 3);
    EXPECT_TRUE(read->UseStirnmulde());
    EXPECT_EQ(read->MaxStones(), 11);
    EXPECT_TRUE(read->Values() == table.Values());
    EXPECT_EQ(LoadEndgameTable(folder.Path(), 3, false), nullptr);
}

TEST(EndgameFile, EveryDamageIsRefusedWithItsReason) {
    const ScratchFolder folder("endgame-damage");
    const std::string good = folder.File("good.kte");
    WriteEndgameTable(good, RandomTable());
    const std::vector<uint8_t> bytes = ReadBytes(good);
    const auto damaged = [&](const std::function<void(std::vector<uint8_t>&)>& damage) {
        std::vector<uint8_t> copy = bytes;
        damage(copy);
        WriteBytes(folder.File("bad.kte"), copy);
        return Refusal(folder.File("bad.kte"));
    };
    EXPECT_EQ(Refusal(good), "");
    EXPECT_NE(Refusal(folder.File("missing.kte")).find("cannot be used"), std::string::npos);
    EXPECT_NE(damaged([](auto& b) { b.resize(20); }).find("too short"), std::string::npos);
    EXPECT_NE(damaged([](auto& b) { b[0] = 'X'; }).find("no endgame table"), std::string::npos);
    EXPECT_NE(damaged([](auto& b) { b[8] = 2; }).find("format version 2"), std::string::npos);
    // N, a reserved byte and the count, each behind the header's checksum.
    for (size_t at : {12u, 14u, 17u})
        EXPECT_NE(damaged([at](auto& b) { b[at] ^= 1; }).find("header"), std::string::npos);
    // A block length beyond the file, and one of zero.
    EXPECT_NE(damaged([](auto& b) { b[34] = 0x7F; }).find("block"), std::string::npos);
    EXPECT_NE(damaged([](auto& b) { b[32] = b[33] = b[34] = b[35] = 0; }).find("block"), std::string::npos);
    EXPECT_NE(damaged([](auto& b) { b.resize(b.size() - 100); }).find("cannot be used"), std::string::npos);
    EXPECT_NE(damaged([](auto& b) { b.push_back(0); }).find("goes on"), std::string::npos);
    // A flipped bit in the packed values: the block fails to unpack or the checksum catches it.
    for (size_t at : {100u, 5000u, 400000u}) {
        const std::string refusal = damaged([at](auto& b) { b[at] ^= 0x10; });
        EXPECT_NE(refusal, "") << at;
    }
}

TEST(EndgameFile, ValuesOutOfRangeAndAnotherRuleSetAreRefused) {
    const ScratchFolder folder("endgame-range");
    std::vector<int8_t> values(TEndgameTable::EntryCount(4, 3), 0);
    values[1] = 2; // the first position with one stone cannot be worth two
    WriteEndgameTable(folder.File("range.kte"), TEndgameTable(4, false, 3, values));
    EXPECT_NE(Refusal(folder.File("range.kte")).find("outside its range"), std::string::npos);
    values[1] = 1;
    WriteEndgameTable(folder.File(EndgameFileName(5, false)), TEndgameTable(4, false, 3, values));
    EXPECT_THROW(LoadEndgameTable(folder.Path(), 5, false), EEndgameFile);
}
