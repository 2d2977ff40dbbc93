// Damaged containers: every failure is the designed ECorruptFile (or the stream library's error),
// never a crash, and a failed load keeps the entries the container held before.
#include "streams/JwStream.h"

#include <gtest/gtest.h>

using namespace kelani;

namespace {

constexpr const char* kKey = "Rv3mQ8wTz5JpLdHsYbNcE";

std::vector<std::uint8_t> SmallImage(bool compressed, const std::string& key) {
    TJwStreams c;
    c.SetCompressed(compressed);
    c.SetEncrypted(!key.empty());
    c.SetKey(key);
    TMemoryStream a(std::string_view("abcabcabcabc")), b(std::string_view("\x01\x02"));
    c.AddStream("his", a);
    c.AddStream("x", b);
    TMemoryStream out;
    c.SaveToStream(out);
    return out.Bytes();
}

// A container holding one entry "old", so a failed load can be seen to keep it.
struct Probe {
    TJwStreams c;
    int corruptCalls = 0;
    explicit Probe(const std::string& key) {
        TMemoryStream old(std::string_view("kept"));
        c.AddStream("old", old);
        c.SetKey(key);
        c.OnCorrupt = [this](TJwStreams& sender) {
            EXPECT_EQ(&sender, &c);
            ++corruptCalls;
        };
    }
    // True when the load succeeded; on failure checks the designed error and the kept entries.
    bool Load(const std::vector<std::uint8_t>& image) {
        TMemoryStream in(image);
        try {
            c.LoadFromStream(in);
            return true;
        } catch (const ECorruptFile& e) {
            EXPECT_STREQ(e.what(), "File is corrupt.");
            EXPECT_EQ(corruptCalls, 1);
            corruptCalls = 0;
            TMemoryStream kept;
            c.GetStream("old", kept);
            EXPECT_EQ(kept.Size(), 4);
            return false;
        }
    }
};

struct Damage {
    bool compressed;
    std::string key;
};

class JwStreamDamage : public ::testing::TestWithParam<Damage> {};

} // namespace

TEST_P(JwStreamDamage, EveryFlippedByteLoadsOrIsReportedCorrupt) {
    const auto image = SmallImage(GetParam().compressed, GetParam().key);
    for (std::size_t i = 0; i < image.size(); ++i) {
        for (std::uint8_t flip : {0x01, 0x80, 0xFF}) {
            auto damaged = image;
            damaged[i] ^= flip;
            Probe probe(GetParam().key);
            if (probe.Load(damaged)) probe.c.Clear(); // a flipped marker or data byte may still load
        }
    }
}

TEST_P(JwStreamDamage, EveryTruncationLoadsOrIsReportedCorrupt) {
    const auto image = SmallImage(GetParam().compressed, GetParam().key);
    for (std::size_t n = 0; n < image.size(); ++n) {
        Probe probe(GetParam().key);
        probe.Load(std::vector<std::uint8_t>(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(n)));
    }
}

INSTANTIATE_TEST_SUITE_P(AllModes, JwStreamDamage,
                         ::testing::Values(Damage{false, ""}, Damage{true, ""}, Damage{false, kKey},
                                           Damage{true, kKey}));

TEST(JwStreamCorrupt, WrongOrEmptyKeyIsCorruptAndKeepsTheEntries) {
    const auto image = SmallImage(true, kKey);
    for (const std::string key : {"", "wrong key", "Rv3mQ8wTz5JpLdHsYbNcF"}) {
        Probe probe(key);
        probe.c.SetCompressed(false);
        EXPECT_FALSE(probe.Load(image)) << key;
        EXPECT_FALSE(probe.c.Compressed()); // properties stay as they were, too
        EXPECT_FALSE(probe.c.Encrypted());
    }
}

TEST(JwStreamCorrupt, StoredBodyWithoutSignature) {
    Probe probe("");
    EXPECT_FALSE(probe.Load({0x20, 0x20, 1, 2, 3, 4, 5, 6, 7, 9, 0, 0, 0, 0}));
    EXPECT_FALSE(probe.Load({0x20, 0x20, 1, 2, 3}));
    EXPECT_FALSE(probe.Load({0x20, 0x20}));
    EXPECT_FALSE(probe.Load({0x20}));
    EXPECT_FALSE(probe.Load({}));
}

TEST(JwStreamCorrupt, FieldsRunningPastTheEndAndNegativeSizes) {
    const std::vector<std::uint8_t> head = {0x20, 0x20, 1, 2, 3, 4, 5, 6, 7, 8};
    auto with = [&](std::initializer_list<std::uint8_t> rest) {
        auto image = head;
        image.insert(image.end(), rest);
        return image;
    };
    Probe probe("");
    EXPECT_FALSE(probe.Load(with({0, 0, 0})));                                       // count cut off
    EXPECT_FALSE(probe.Load(with({1, 0, 0, 0})));                                    // no entry at all
    EXPECT_FALSE(probe.Load(with({1, 0, 0, 0, 5, 0, 'a', 'b'})));                    // name cut off
    EXPECT_FALSE(probe.Load(with({1, 0, 0, 0, 1, 0, 'a', 3, 0})));                   // size cut off
    EXPECT_FALSE(probe.Load(with({1, 0, 0, 0, 1, 0, 'a', 3, 0, 0, 0, 'x'})));        // data cut off
    EXPECT_FALSE(probe.Load(with({1, 0, 0, 0, 1, 0, 'a', 0xFF, 0xFF, 0xFF, 0xFF}))); // negative size
    EXPECT_FALSE(probe.Load(with({0xFF, 0xFF, 0xFF, 0x7F, 1, 0, 'a', 0, 0, 0, 0}))); // count too large
    EXPECT_TRUE(probe.Load(with({0xFF, 0xFF, 0xFF, 0xFF})));                         // negative count: none
    EXPECT_EQ(probe.c.Count(), 0);
}

TEST(JwStreamCorrupt, RepeatedNameInAFileKeepsTheFirst) {
    Probe probe("");
    const std::vector<std::uint8_t> image = {0x20, 0x20, 1, 2, 3, 4, 5,   6, 7, 8,   2, 0, 0, 0, 1,
                                             0,    'a',  1, 0, 0, 0, '1', 1, 0, 'A', 1, 0, 0, 0, '2'};
    ASSERT_TRUE(probe.Load(image));
    ASSERT_EQ(probe.c.Count(), 1);
    EXPECT_EQ(probe.c.Streams(0).Bytes(), std::vector<std::uint8_t>{'1'});
}

TEST(JwStreamCorrupt, CompressedLengthNegativeOrBeyondTheData) {
    Probe probe("");
    EXPECT_FALSE(probe.Load({0x26, 0x20, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_FALSE(probe.Load({0x26, 0x20, 0x00, 0x00, 0x00, 0x40})); // 1 GiB from nothing
    EXPECT_FALSE(probe.Load({0x26, 0x20, 0x01}));
}

// A reader that knows how much its files hold refuses a longer body before unpacking it; the bound
// of a container of one entry is its body exactly.
TEST(JwStreamCorrupt, ABodyBeyondTheReadersBoundIsCorrupt) {
    TJwStreams one;
    TMemoryStream data(std::string(1000, 'x'));
    one.AddStream("his", data);
    TMemoryStream image;
    one.SaveToStream(image);
    Probe probe("");
    probe.c.SetMaxBodySize(SingleEntryBodySize("his", 1000) - 1);
    EXPECT_FALSE(probe.Load(image.Bytes()));
    probe.c.SetMaxBodySize(SingleEntryBodySize("his", 1000));
    EXPECT_TRUE(probe.Load(image.Bytes()));
}

TEST(JwStreamCorrupt, EntriesStoredInDescendingOrderLoadSortedAndAreFound) {
    // Stored back to front with a repeated name: the first one stored is the one kept.
    std::vector<std::uint8_t> image = {0x20, 0x20, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0};
    const int count = 2000;
    for (int i = count; i >= 0; --i) {
        const std::string name = "e" + std::to_string(10000 + (i == 0 ? 1 : i));
        image.insert(image.end(), {static_cast<std::uint8_t>(name.size()), 0});
        image.insert(image.end(), name.begin(), name.end());
        image.insert(image.end(), {1, 0, 0, 0, static_cast<std::uint8_t>(i == 0 ? 'x' : 'k')});
    }
    image[10] = static_cast<std::uint8_t>((count + 1) & 0xFF);
    image[11] = static_cast<std::uint8_t>((count + 1) >> 8);
    Probe probe("");
    ASSERT_TRUE(probe.Load(image));
    ASSERT_EQ(probe.c.Count(), count);
    for (int i = 1; i < count; ++i) ASSERT_LT(CompareEntryNames(probe.c.Names(i - 1), probe.c.Names(i)), 0);
    TMemoryStream first;
    probe.c.GetStream("E10001", first);
    EXPECT_EQ(first.Bytes(), std::vector<std::uint8_t>{'k'});
}
