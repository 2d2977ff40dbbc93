// The -lh5- codec: everything we write must be read back by Debian's liblhasa (an independent
// -lh5- decoder), and our decoder must reject malformed streams with ECorruptFile.
#include "streams/JwStream.h"
#include "streams/uLh5.h"

#include "tests/streams/test_jwstream_util.h"

#include <gtest/gtest.h>
#include <lha_decoder.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

using namespace kelani;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Feed {
    const Bytes* stream;
    std::size_t at = 0;
};

std::size_t ReadFeed(void* buf, std::size_t len, void* user) {
    Feed& feed = *static_cast<Feed*>(user);
    const std::size_t n = std::min(len, feed.stream->size() - feed.at);
    std::memcpy(buf, feed.stream->data() + feed.at, n);
    feed.at += n;
    return n;
}

// Decodes a raw -lh5- stream with liblhasa.
Bytes LhasaDecode(const Bytes& stream, std::size_t size) {
    char name[] = "-lh5-";
    Feed feed{&stream};
    LHADecoder* decoder = lha_decoder_new(lha_decoder_for_name(name), ReadFeed, &feed, size);
    Bytes out(size);
    std::size_t done = 0;
    while (done < size) {
        const std::size_t n = lha_decoder_read(decoder, out.data() + done, size - done);
        if (n == 0) break;
        done += n;
    }
    lha_decoder_free(decoder);
    out.resize(done);
    return out;
}

// A 24-bit bitmap-like picture: smooth gradients, edges and a little noise, like the game's art.
Bytes Picture(int width, int height, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool stone =
                (x - width / 2) * (x - width / 2) + (y - height / 2) * (y - height / 2) < width * height / 8;
            b.push_back(static_cast<std::uint8_t>(stone ? 255 : x * 255 / width));
            b.push_back(static_cast<std::uint8_t>(stone ? 0 : y * 255 / height + rng() % 3));
            b.push_back(static_cast<std::uint8_t>(stone ? 0 : 128));
        }
    return b;
}

Bytes Text(std::size_t n) {
    static const char* words[] = {"Mulde ", "Stirnmulde ", "Steine ", "Spieler ",
                                  "Runde ", "Variante ",   "\n"};
    std::mt19937 rng(5);
    std::string s;
    while (s.size() < n) s += words[rng() % 7];
    return Bytes(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
}

Bytes FileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Real files of the system: licence texts (always there on Debian) and any icons that are installed.
std::vector<std::filesystem::path> SystemFiles() {
    std::vector<std::filesystem::path> files;
    for (const char* folder : {"/usr/share/common-licenses", "/usr/share/icons/Adwaita/256x256/legacy"}) {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(folder, ec))
            if (e.is_regular_file() && files.size() < 24) files.push_back(e.path());
    }
    return files;
}

void ExpectBothDecoders(const Bytes& data, const std::string& what) {
    const Bytes stream = Lh5Encode(data);
    EXPECT_EQ(Lh5Decode(stream, static_cast<std::int64_t>(data.size())), data) << what;
    EXPECT_EQ(LhasaDecode(stream, data.size()), data) << what;
}

// MSB-first bit writer for hand-built streams.
class Bits {
public:
    Bits& Put(int count, unsigned value) {
        for (int i = count - 1; i >= 0; --i) {
            if (bit_ == 0) bytes_.push_back(0);
            if (value >> i & 1) bytes_.back() |= static_cast<std::uint8_t>(0x80 >> bit_);
            bit_ = (bit_ + 1) % 8;
        }
        return *this;
    }
    const Bytes& Get() const { return bytes_; }

private:
    Bytes bytes_;
    int bit_ = 0;
};

// Block header whose tables all hold one symbol: every code then takes no bits.
Bits SingleSymbolBlock(unsigned count, unsigned c, unsigned p) {
    Bits b;
    b.Put(16, count).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, c).Put(4, 0).Put(4, p);
    return b;
}

void ExpectCorrupt(const Bytes& stream, std::int64_t size) {
    try {
        Lh5Decode(stream, size);
        FAIL() << "accepted";
    } catch (const ECorruptFile& e) {
        EXPECT_STREQ(e.what(), "Compressed file is corrupt");
    }
}

} // namespace

TEST(Lh5, SmallAndDegenerateInputsDecodeWithLhasa) {
    ExpectBothDecoders({}, "empty");
    EXPECT_TRUE(Lh5Encode({}).empty());
    ExpectBothDecoders({'x'}, "one byte");
    ExpectBothDecoders({0, 0}, "two bytes");
    ExpectBothDecoders({'a', 'b', 'a'}, "three bytes");
    ExpectBothDecoders(Bytes(1000, 'z'), "run");
    ExpectBothDecoders(Bytes(300000, 0), "long run over many maximal matches");
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    ExpectBothDecoders(all, "every byte once");
}

TEST(Lh5, LengthAndDistanceLimitsDecodeWithLhasa) {
    for (std::size_t period : {1u, 2u, 3u, 255u, 256u, 257u, 8191u, 8192u, 8193u}) {
        Bytes data = test::RandomBytes(period, static_cast<unsigned>(period));
        while (data.size() < 3 * period + 600) data.push_back(data[data.size() - period]);
        ExpectBothDecoders(data, "period " + std::to_string(period));
    }
}

TEST(Lh5, RandomTextAndPicturesOverManyBlocksDecodeWithLhasa) {
    ExpectBothDecoders(test::RandomBytes(70000, 1), "random 70000");
    ExpectBothDecoders(Text(250000), "text");
    ExpectBothDecoders(Picture(720, 520, 3), "picture 720x520");
    Bytes mixed = test::RandomBytes(20000, 9);
    const Bytes text = Text(40000);
    mixed.insert(mixed.end(), text.begin(), text.end());
    ExpectBothDecoders(mixed, "random then text");
    for (std::size_t n = 0; n < 80; ++n)
        ExpectBothDecoders(test::RandomBytes(n, static_cast<unsigned>(n)), "short random");
}

TEST(Lh5, SystemFilesDecodeWithLhasa) {
    const auto files = SystemFiles();
    ASSERT_FALSE(files.empty());
    for (const auto& f : files) ExpectBothDecoders(FileBytes(f), f.string());
}

#ifdef KELANI_WITH_PICTURES
// The game's own pictures as the art tool packs them (painted only where the Qt part is built).
TEST(Lh5, TheGamesPicturesDecodeWithLhasa) {
    int pictures = 0;
    for (const char* name : {"game.gfx", "steine.gfx", "mulden.gfx", "holz.gfx"}) {
        const std::filesystem::path file = std::filesystem::path(KELANI_PROGRAM_DIR) / name;
        ASSERT_TRUE(std::filesystem::exists(file)) << file << " has not been painted in this build";
        TJwStreams container;
        container.LoadFromFile(file);
        for (int i = 0; i < container.Count(); ++i, ++pictures)
            ExpectBothDecoders(container.Streams(i).Bytes(), std::string(name) + "/" + container.Names(i));
    }
    EXPECT_GT(pictures, 0);
}
#endif

TEST(Lh5, CompressesLikeAnLzssCoder) {
    EXPECT_LT(Lh5Encode(Bytes(100000, 'a')).size(), 200u);
    EXPECT_LT(Lh5Encode(Text(100000)).size(), 100000u / 3);
    EXPECT_LT(Lh5Encode(test::RandomBytes(10000, 4)).size(),
              10000u + 200u); // incompressible data barely grows
}

TEST(Lh5, StreamFormLeadsWithTheLength) {
    const Bytes data = Text(5000);
    TMemoryStream source(data), packed, unpacked;
    source.SetPosition(0);
    Lh5Compress(source, packed);
    EXPECT_EQ(packed.Bytes()[0] | packed.Bytes()[1] << 8, 5000);
    EXPECT_EQ(Bytes(packed.Bytes().begin() + 4, packed.Bytes().end()), Lh5Encode(data));
    packed.SetPosition(0);
    Lh5Decompress(packed, unpacked);
    EXPECT_EQ(unpacked.Bytes(), data);

    TMemoryStream partial(data), tail;
    partial.SetPosition(1000); // the compressor reads from the current position
    Lh5Compress(partial, tail);
    tail.SetPosition(0);
    TMemoryStream back;
    Lh5Decompress(tail, back);
    EXPECT_EQ(back.Bytes(), Bytes(data.begin() + 1000, data.end()));
}

TEST(Lh5, HandBuiltSingleSymbolBlocksAndZeroFill) {
    // Three blocks of one symbol each: literal 'A' x3, then a match of 5 at distance 1, then 'B'.
    Bits b = SingleSymbolBlock(3, 'A', 0);
    b.Put(16, 1).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, 256 + 5 - 3).Put(4, 0).Put(4, 0);
    b.Put(16, 1).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, 'B').Put(4, 0).Put(4, 0);
    EXPECT_EQ(Lh5Decode(b.Get(), 9), (Bytes{'A', 'A', 'A', 'A', 'A', 'A', 'A', 'A', 'B'}));
    // Position code 3 adds two extra bits: distance 1 + (4 + 2) = 7.
    Bits far = SingleSymbolBlock(7, 'C', 0);
    far.Put(16, 1).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, 256).Put(4, 0).Put(4, 3).Put(2, 2);
    EXPECT_EQ(Lh5Decode(far.Get(), 10), Bytes(10, 'C'));
    // A block of zero codes is skipped; what the count leaves undecoded is never read.
    Bits empty;
    empty.Put(16, 0).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, 0).Put(4, 0).Put(4, 0);
    empty.Put(16, 2).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, 'q').Put(4, 0).Put(4, 0);
    EXPECT_EQ(Lh5Decode(empty.Get(), 2), (Bytes{'q', 'q'}));
    EXPECT_TRUE(Lh5Decode({}, 0).empty());
}

TEST(Lh5, MalformedStreamsAreCorrupt) {
    ExpectCorrupt({}, -1);
    ExpectCorrupt({}, 1000000); // nothing but the zero fill: runs past the input
    Bits before = SingleSymbolBlock(1, 256, 0);
    ExpectCorrupt(before.Get(), 3); // a match before the start of the output
    Bits badSymbol;
    badSymbol.Put(16, 1).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, 510);
    ExpectCorrupt(badSymbol.Get(), 1);
    Bits tooMany;
    tooMany.Put(16, 1).Put(5, 20);
    ExpectCorrupt(tooMany.Get(), 1);
    Bits incomplete; // code-length table with one code of length 1: half the codes undefined
    incomplete.Put(16, 1).Put(5, 1).Put(3, 1);
    ExpectCorrupt(incomplete.Get(), 1);
    Bits tooLong; // a length of 17 bits
    tooLong.Put(16, 1).Put(5, 1).Put(3, 7).Put(11, 0x7FE);
    ExpectCorrupt(tooLong.Get(), 1);
    Bits zeroRunPast; // code lengths 1 for the symbols 2 and 3, then a zero run past 510 codes
    zeroRunPast.Put(16, 1).Put(5, 4).Put(3, 0).Put(3, 0).Put(3, 1).Put(2, 0).Put(3, 1);
    zeroRunPast.Put(9, 510).Put(1, 0).Put(9, 511);
    ExpectCorrupt(zeroRunPast.Get(), 1);
}

TEST(Lh5, AnnouncedSizeAboveTheBoundIsRefusedBeforeDecoding) {
    // 845 bytes that really unpack to 2 GB: one literal, then 128 blocks of 65535 matches of
    // 256 bytes whose single-symbol tables make every code zero bits long.
    Bits bomb = SingleSymbolBlock(1, 1, 0);
    for (int i = 0; i < 128; ++i)
        bomb.Put(16, 65535).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, 509).Put(4, 0).Put(4, 0);
    ExpectCorrupt(bomb.Get(), 0x7FFFFFFF);
    ExpectCorrupt(bomb.Get(), kLh5MaxSize + 1);
    // Within the bound the output ends where the announced size says, whatever the stream holds.
    const Bytes out = Lh5Decode(bomb.Get(), 1 << 20);
    EXPECT_EQ(out, Bytes(1 << 20, 1));
    EXPECT_THROW(Lh5Encode(Bytes(static_cast<std::size_t>(kLh5MaxSize) + 1)), EWriteError);
}

TEST(Lh5, DamagedStreamsNeverCrash) {
    const Bytes data = Text(3000);
    const Bytes stream = Lh5Encode(data);
    for (std::size_t i = 0; i < stream.size(); i += 3) {
        Bytes damaged = stream;
        damaged[i] ^= 0x5A;
        try {
            EXPECT_EQ(Lh5Decode(damaged, 3000).size(), 3000u);
        } catch (const ECorruptFile&) {
        }
        try {
            Lh5Decode(Bytes(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(i)), 3000);
        } catch (const ECorruptFile&) {
        }
    }
}
