// Blowfish against published known answers and against OpenSSL, plus the container's block
// layout (little-endian words), padding and weak-key rule.
#include "streams/JwStream.h"
#include "streams/uBlowfish.h"

#include "tests/streams/test_jwstream_util.h"

#include <gtest/gtest.h>
#include <openssl/blowfish.h>

#include <random>

using namespace kelani;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FromHex(const std::string& hex) {
    Bytes b;
    for (std::size_t i = 0; i < hex.size(); i += 2)
        b.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return b;
}

std::uint32_t Word(const std::string& hex) {
    return static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16));
}

std::string KeyOf(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

// OpenSSL reads each block as two big-endian words; ours are little-endian, so every word's four
// bytes are reversed before and after.
Bytes OpenSslEcb(const Bytes& data, const std::string& key, int direction) {
    BF_KEY schedule;
    BF_set_key(&schedule, static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(key.data()));
    Bytes out = data;
    for (std::size_t at = 0; at + 8 <= out.size(); at += 8) {
        std::reverse(out.begin() + static_cast<std::ptrdiff_t>(at),
                     out.begin() + static_cast<std::ptrdiff_t>(at + 4));
        std::reverse(out.begin() + static_cast<std::ptrdiff_t>(at + 4),
                     out.begin() + static_cast<std::ptrdiff_t>(at + 8));
        BF_ecb_encrypt(&out[at], &out[at], &schedule, direction);
        std::reverse(out.begin() + static_cast<std::ptrdiff_t>(at),
                     out.begin() + static_cast<std::ptrdiff_t>(at + 4));
        std::reverse(out.begin() + static_cast<std::ptrdiff_t>(at + 4),
                     out.begin() + static_cast<std::ptrdiff_t>(at + 8));
    }
    return out;
}

struct Vector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// Eric Young's Blowfish test vectors (as published on Bruce Schneier's site, "vectors.txt").
const Vector kEricYoung[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    // Variable key lengths: prefixes of F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677.
    {"F0", "FEDCBA9876543210", "F9AD597C49DB005E"},
    {"F0E1", "FEDCBA9876543210", "E91D21C1D961A6D6"},
    {"F0E1D2", "FEDCBA9876543210", "E9C2B70A1BC65CF3"},
    {"F0E1D2C3", "FEDCBA9876543210", "BE1E639408640F05"},
};

} // namespace

TEST(Blowfish, EricYoungKnownAnswers) {
    for (const Vector& v : kEricYoung) {
        const TBlowfish bf(KeyOf(FromHex(v.key)));
        const std::string plain = v.plain, cipher = v.cipher;
        std::uint32_t l = Word(plain.substr(0, 8)), r = Word(plain.substr(8));
        bf.EncryptBlock(l, r);
        EXPECT_EQ(l, Word(cipher.substr(0, 8))) << v.key;
        EXPECT_EQ(r, Word(cipher.substr(8))) << v.key;
        bf.DecryptBlock(l, r);
        EXPECT_EQ(l, Word(plain.substr(0, 8)));
        EXPECT_EQ(r, Word(plain.substr(8)));
    }
}

TEST(Blowfish, AgreesWithOpenSslForKeysOfEveryLength) {
    for (std::size_t len = 1; len <= 255; len += 7) {
        Bytes keyBytes = test::RandomBytes(len, static_cast<unsigned>(len));
        const std::string key = KeyOf(keyBytes);
        Bytes payload = test::RandomBytes(40 + len % 9, static_cast<unsigned>(len) + 1000);
        Bytes ours = payload;
        BlowfishEncipher(ours, key);
        Bytes padded = payload;
        const std::size_t pad = 8 - (payload.size() + 1) % 8;
        padded.insert(padded.end(), pad, 0x01);
        padded.push_back(static_cast<std::uint8_t>(pad));
        EXPECT_EQ(ours, OpenSslEcb(padded, key, BF_ENCRYPT)) << "key length " << len;
        BlowfishDecipher(ours, key);
        EXPECT_EQ(ours, payload);
    }
}

TEST(Blowfish, PaddingLengths) {
    const std::string key = "Hq5Tn0WcLr8YsBk3VmZx6";
    for (std::size_t n = 1; n <= 24; ++n) {
        Bytes payload = test::RandomBytes(n, static_cast<unsigned>(n));
        BlowfishEncipher(payload, key);
        EXPECT_EQ(payload.size() % 8, 0u);
        const std::size_t expected = n % 8 == 7 ? n + 9 : n % 8 == 0 ? n + 8 : n + 8 - (n + 1) % 8 + 1;
        EXPECT_EQ(payload.size(), expected) << n;
    }
    Bytes twelve = test::RandomBytes(12, 12);
    Bytes enciphered = twelve;
    BlowfishEncipher(enciphered, key);
    const Bytes plain = OpenSslEcb(enciphered, key, BF_DECRYPT);
    Bytes expected = twelve;
    expected.insert(expected.end(), {1, 1, 1, 3});
    EXPECT_EQ(plain, expected);
}

TEST(Blowfish, EmptyPayloadStaysEmptyAndBadInputIsRefused) {
    Bytes empty;
    BlowfishEncipher(empty, "key");
    EXPECT_TRUE(empty.empty());
    BlowfishDecipher(empty, "key");
    EXPECT_TRUE(empty.empty());
    Bytes some = {1, 2, 3};
    EXPECT_THROW(BlowfishDecipher(some, ""), std::invalid_argument);
    EXPECT_THROW(TBlowfish(std::string(256, 'k')), std::invalid_argument);
    Bytes badPad = OpenSslEcb({0, 0, 0, 0, 0, 0, 0, 9}, "key", BF_ENCRYPT); // claims 9 padding bytes
    EXPECT_THROW(BlowfishDecipher(badPad, "key"), std::invalid_argument);
}

TEST(Blowfish, ContainerPayloadLengthsGrowByTheDesignedPadding) {
    // Stored container images: 2 marker bytes, then the enciphered body.
    auto imageSize = [](std::size_t dataBytes, const std::string& key) {
        TJwStreams c;
        c.SetCompressed(false);
        c.SetEncrypted(true);
        c.SetKey(key);
        TMemoryStream data(std::string(dataBytes, 'd'));
        c.AddStream("e", data);
        TMemoryStream out;
        c.SaveToStream(out);
        return out.Bytes().size() - 2;
    };
    // Body = 12 + 2 + 1 + 4 + data bytes = 19 + data.
    EXPECT_EQ(imageSize(4, "k"), 23u + 9u); // 23 = 7 mod 8: a whole extra block
    EXPECT_EQ(imageSize(5, "k"), 24u + 8u); // 24 = 0 mod 8
    EXPECT_EQ(imageSize(13, "k"), 32u + 8u);
}

TEST(Blowfish, WeakKeyLeavesThePayloadAsItIs) {
    const std::string weak = "weak50582"; // found by search: an S-box holds one value twice
    BF_KEY schedule;
    BF_set_key(&schedule, static_cast<int>(weak.size()), reinterpret_cast<const unsigned char*>(weak.data()));
    bool duplicate = false;
    for (int box = 0; box < 4; ++box) {
        std::vector<BF_LONG> values(schedule.S + 256 * box, schedule.S + 256 * (box + 1));
        std::sort(values.begin(), values.end());
        duplicate |= std::adjacent_find(values.begin(), values.end()) != values.end();
    }
    ASSERT_TRUE(duplicate) << "OpenSSL must agree that the key is weak";
    EXPECT_TRUE(TBlowfish(weak).Weak());
    EXPECT_FALSE(TBlowfish("weak50583").Weak());

    const Bytes payload = test::RandomBytes(21, 21);
    Bytes same = payload;
    BlowfishEncipher(same, weak);
    EXPECT_EQ(same, payload);
    BlowfishDecipher(same, weak);
    EXPECT_EQ(same, payload);

    TJwStreams c;
    c.SetCompressed(false);
    c.SetEncrypted(true);
    c.SetKey(weak);
    TMemoryStream data(std::string_view("abc"));
    c.AddStream("hs", data);
    TMemoryStream image;
    c.SaveToStream(image);
    EXPECT_EQ(image.Bytes()[1], 0x2A); // the marker says enciphered all the same
    EXPECT_EQ(image.Bytes()[2], 0x01); // but the signature is in the clear
    TJwStreams reader;
    reader.SetKey(weak);
    reader.LoadFromStream(image);
    TMemoryStream back;
    reader.GetStream("hs", back);
    EXPECT_EQ(back.Bytes(), (Bytes{'a', 'b', 'c'}));
    EXPECT_TRUE(reader.Encrypted());
    reader.SetKey("another key");
    EXPECT_THROW(reader.LoadFromStream(image), ECorruptFile);
}
