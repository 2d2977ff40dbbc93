#include "streams/JwStream.h"

#include "tests/streams/test_jwstream_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace kelani;

namespace {

std::vector<std::uint8_t> Hex(std::initializer_list<int> bytes) {
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> Image(const TJwStreams& c) {
    TMemoryStream out;
    c.SaveToStream(out);
    return out.Bytes();
}

std::string Entry(const TJwStreams& c, const std::string& name) {
    TMemoryStream out;
    c.GetStream(name, out);
    return std::string(out.Bytes().begin(), out.Bytes().end());
}

void Add(TJwStreams& c, const std::string& name, std::string_view data) {
    TMemoryStream s(data);
    c.AddStream(name, s);
}

TJwStreams Loaded(const std::vector<std::uint8_t>& image, const std::string& key = "") {
    TJwStreams c;
    c.SetKey(key);
    TMemoryStream in(image);
    c.LoadFromStream(in);
    return c;
}

std::string RandomBytes(std::size_t n, unsigned seed) {
    const auto bytes = test::RandomBytes(n, seed);
    return std::string(bytes.begin(), bytes.end());
}

class TempFolder {
public:
    TempFolder() {
        path_ = std::filesystem::temp_directory_path() /
                ("kelani-jwstream-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace

// ---------------------------------------------------------------- stored format

TEST(JwStreamFormat, EmptyStoredPlainContainerIs14Bytes) {
    TJwStreams c;
    c.SetCompressed(false);
    EXPECT_EQ(Image(c), Hex({0x20, 0x20, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0}));
}

TEST(JwStreamFormat, OneEntryHsWithAbc) {
    TJwStreams c;
    c.SetCompressed(false);
    Add(c, "hs", "abc");
    EXPECT_EQ(Image(c), Hex({0x20, 0x20, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x01, 0x00, 0x00,
                             0x00, 0x02, 0x00, 0x68, 0x73, 0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63}));
}

TEST(JwStreamFormat, EntriesAreWrittenSortedIgnoringCase) {
    TJwStreams c;
    c.SetCompressed(false);
    Add(c, "b", "2");
    Add(c, "C", "3");
    Add(c, "a", "1");
    Add(c, "\xE4pfel", "4"); // Windows-1252 a-umlaut sorts after the ASCII letters
    ASSERT_EQ(c.Count(), 4);
    EXPECT_EQ(c.Names(0), "a");
    EXPECT_EQ(c.Names(1), "b");
    EXPECT_EQ(c.Names(2), "C");
    EXPECT_EQ(c.Names(3), "\xE4pfel");
    const auto image = Image(c);
    EXPECT_EQ(image[16], 'a'); // first name right after its length field
}

TEST(JwStreamFormat, EncryptedWithEmptyKeyWritesPlainMarker) {
    TJwStreams c;
    c.SetEncrypted(true);
    c.SetCompressed(false);
    Add(c, "x", "y");
    const auto image = Image(c);
    EXPECT_EQ(image[0], 0x20);
    EXPECT_EQ(image[1], 0x20);
    EXPECT_EQ(image[2], 1); // the signature, not enciphered
}

TEST(JwStreamFormat, MarkersOfACompressedEncipheredImage) {
    TJwStreams c;
    c.SetEncrypted(true);
    c.SetKey("k");
    Add(c, "x", "y");
    const auto image = Image(c);
    EXPECT_EQ(image[0], 0x26);
    EXPECT_EQ(image[1], 0x2A);
    EXPECT_EQ((image.size() - 2) % 8, 0u);
}

TEST(JwStreamFormat, UnknownCompressionMarkerIsReadAsStored) {
    auto image = Hex({0x20, 0x20, 1, 2, 3, 4, 5, 6, 7, 8, 1, 0, 0, 0, 1, 0, 'q', 1, 0, 0, 0, 'z'});
    image[0] = 'X';
    image[1] = 'Y';
    TJwStreams c = Loaded(image);
    EXPECT_FALSE(c.Compressed());
    EXPECT_FALSE(c.Encrypted());
    EXPECT_EQ(Entry(c, "Q"), "z");
}

// ---------------------------------------------------------------- entries

TEST(JwStreamEntries, RepeatedNameKeepsTheFirstAndLookupIgnoresCase) {
    TJwStreams c;
    Add(c, "bg.jpg", "first");
    Add(c, "Bg.JPG", "second");
    EXPECT_EQ(c.Count(), 1);
    EXPECT_EQ(c.Names(0), "bg.jpg");
    EXPECT_EQ(Entry(c, "BG.jpg"), "first");
}

TEST(JwStreamEntries, EmptyNameIsIgnoredAndTooLongNameRefused) {
    TJwStreams c;
    Add(c, "", "data");
    EXPECT_EQ(c.Count(), 0);
    EXPECT_THROW(Add(c, std::string(65536, 'n'), "data"), std::invalid_argument);
    Add(c, std::string(65535, 'n'), "data");
    EXPECT_EQ(Entry(Loaded(Image(c)), std::string(65535, 'N')), "data");
}

TEST(JwStreamEntries, AddStreamCopiesFromTheBeginningWhateverThePosition) {
    TJwStreams c;
    TMemoryStream source(std::string_view("hello"));
    source.SetPosition(3);
    c.AddStream("h", source);
    EXPECT_EQ(Entry(c, "h"), "hello");
}

TEST(JwStreamEntries, GetStreamAppendsAtThePositionAndRewinds) {
    TJwStreams c;
    Add(c, "e", "XY");
    TMemoryStream dest(std::string_view("abc"));
    dest.SetPosition(3);
    c.GetStream("e", dest);
    EXPECT_EQ(std::string(dest.Bytes().begin(), dest.Bytes().end()), "abcXY");
    EXPECT_EQ(dest.Position(), 0);

    dest.SetPosition(2);
    c.GetStream("missing", dest);
    EXPECT_EQ(dest.Size(), 5);
    EXPECT_EQ(dest.Position(), 0);

    dest.SetPosition(2);
    c.GetStream("", dest); // does nothing at all
    EXPECT_EQ(dest.Position(), 2);
}

TEST(JwStreamEntries, ClearRemovesEverything) {
    TJwStreams c;
    Add(c, "a", "1");
    c.Clear();
    EXPECT_EQ(c.Count(), 0);
    EXPECT_EQ(Entry(c, "a"), "");
}

TEST(JwStreamEntries, KeyLongerThan255IsRefused) {
    TJwStreams c;
    EXPECT_NO_THROW(c.SetKey(std::string(255, 'k')));
    EXPECT_THROW(c.SetKey(std::string(256, 'k')), std::invalid_argument);
    EXPECT_EQ(c.Key(), std::string(255, 'k'));
}

// ---------------------------------------------------------------- round trips

struct Mode {
    bool compressed;
    std::string key;
};

class JwStreamRoundTrip : public ::testing::TestWithParam<Mode> {
protected:
    TJwStreams Make() const {
        TJwStreams c;
        c.SetCompressed(GetParam().compressed);
        c.SetEncrypted(!GetParam().key.empty());
        c.SetKey(GetParam().key);
        return c;
    }
};

TEST_P(JwStreamRoundTrip, EmptyContainer) {
    TJwStreams loaded = Loaded(Image(Make()), GetParam().key);
    EXPECT_EQ(loaded.Count(), 0);
    EXPECT_EQ(loaded.Compressed(), GetParam().compressed);
    EXPECT_EQ(loaded.Encrypted(), !GetParam().key.empty());
}

TEST_P(JwStreamRoundTrip, ManyEntriesAndEmptyEntries) {
    TJwStreams c = Make();
    for (int i = 0; i < 300; ++i)
        Add(c, "entry" + std::to_string(i), std::string(i % 17, static_cast<char>('a' + i % 26)));
    Add(c, "empty", "");
    TJwStreams loaded = Loaded(Image(c), GetParam().key);
    ASSERT_EQ(loaded.Count(), 301);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(Entry(loaded, "ENTRY" + std::to_string(i)),
                  std::string(i % 17, static_cast<char>('a' + i % 26)));
    EXPECT_EQ(Entry(loaded, "empty"), "");
    EXPECT_EQ(Image(loaded), Image(c)); // load then save gives the same image
}

TEST_P(JwStreamRoundTrip, BigEntries) {
    TJwStreams c = Make();
    const std::string noise = RandomBytes(300000, 7);
    std::string text;
    while (text.size() < 400000) text += "Die Stirnmulde sammelt die Steine des Spielers. ";
    Add(c, "noise.bin", noise);
    Add(c, "text.txt", text);
    TJwStreams loaded = Loaded(Image(c), GetParam().key);
    EXPECT_EQ(Entry(loaded, "noise.bin"), noise);
    EXPECT_EQ(Entry(loaded, "text.txt"), text);
}

INSTANTIATE_TEST_SUITE_P(AllModes, JwStreamRoundTrip,
                         ::testing::Values(Mode{false, ""}, Mode{true, ""},
                                           Mode{false, "Rv3mQ8wTz5JpLdHsYbNcE"},
                                           Mode{true, "Hq5Tn0WcLr8YsBk3VmZx6"}));

TEST(JwStreamRoundTrip, LoadSetsPropertiesFromTheMarkers) {
    TJwStreams writer;
    writer.SetCompressed(true);
    writer.SetEncrypted(false);
    TJwStreams reader;
    reader.SetCompressed(false);
    reader.SetEncrypted(true);
    TMemoryStream image(Image(writer));
    reader.LoadFromStream(image);
    EXPECT_TRUE(reader.Compressed());
    EXPECT_FALSE(reader.Encrypted());
}

TEST(JwStreamRoundTrip, CompressionShrinksRepetitiveData) {
    TJwStreams c;
    Add(c, "zeros", std::string(100000, '\0'));
    EXPECT_LT(Image(c).size(), 2000u);
}

TEST(JwStreamRoundTrip, LoadFromFileAndMissingFile) {
    TempFolder folder;
    TJwStreams c;
    Add(c, "his", "moves");
    SaveFileAtomically(folder / "game.kel", [&] {
        TMemoryStream m;
        c.SaveToStream(m);
        return m;
    }());
    TJwStreams loaded;
    loaded.LoadFromFile(folder / "game.kel");
    EXPECT_EQ(Entry(loaded, "his"), "moves");
    EXPECT_THROW(loaded.LoadFromFile(folder / "missing.kel"), EFOpenError);
    EXPECT_THROW(loaded.LoadFromFile(folder.Path()), EFOpenError); // a folder is no container
    EXPECT_EQ(Entry(loaded, "his"), "moves");
}

// ---------------------------------------------------------------- typed helpers

TEST(JwStreamHelpers, ValuesAreLittleEndianAndReadBack) {
    TMemoryStream s;
    StreamWriteInteger(s, -2);
    StreamWriteSmallInt(s, 0x1234);
    StreamWriteByte(s, 200);
    StreamWriteBoolean(s, true);
    StreamWriteBoolean(s, false);
    StreamWriteDouble(s, 1.5);
    StreamWriteString(s, "J\xF6rg");
    EXPECT_EQ(s.Bytes(), Hex({0xFE, 0xFF, 0xFF, 0xFF, 0x34, 0x12, 200, 1,   0,    0,   0,  0,
                              0,    0,    0,    0xF8, 0x3F, 4,    0,   'J', 0xF6, 'r', 'g'}));
    s.SetPosition(0);
    EXPECT_EQ(StreamReadInteger(s), -2);
    EXPECT_EQ(StreamReadSmallInt(s), 0x1234);
    EXPECT_EQ(StreamReadByte(s), 200);
    EXPECT_TRUE(StreamReadBoolean(s));
    EXPECT_FALSE(StreamReadBoolean(s));
    EXPECT_EQ(StreamReadDouble(s), 1.5);
    EXPECT_EQ(StreamReadString(s), "J\xF6rg");
    EXPECT_THROW(StreamReadByte(s), EReadError);
}

TEST(JwStreamHelpers, BooleanIsTrueOnlyForOne) {
    TMemoryStream s(Hex({2, 0xFF, 1}));
    EXPECT_FALSE(StreamReadBoolean(s));
    EXPECT_FALSE(StreamReadBoolean(s));
    EXPECT_TRUE(StreamReadBoolean(s));
}

TEST(JwStreamHelpers, TextLongerThan65535BytesIsRefusedWithoutWriting) {
    TMemoryStream s;
    StreamWriteString(s, std::string(65535, 'x'));
    EXPECT_EQ(s.Size(), 65537);
    EXPECT_THROW(StreamWriteString(s, std::string(65536, 'x')), EWriteError);
    EXPECT_EQ(s.Size(), 65537);
}

TEST(JwStreamHelpers, CutOffTextAndIntegerRaiseReadError) {
    TMemoryStream text(Hex({5, 0, 'a', 'b'}));
    EXPECT_THROW(StreamReadString(text), EReadError);
    TMemoryStream integer(Hex({1, 2, 3}));
    EXPECT_THROW(StreamReadInteger(integer), EReadError);
}

TEST(JwStreamHelpers, BlockRoundTripAndBadSizes) {
    TMemoryStream file;
    TMemoryStream block(std::string_view("payload"));
    StreamWriteBlock(file, block);
    EXPECT_EQ(file.Size(), 11);
    file.SetPosition(0);
    TMemoryStream back(std::string_view("pre-"));
    StreamReadBlock(file, back);
    EXPECT_EQ(std::string(back.Bytes().begin(), back.Bytes().end()), "pre-payload");
    EXPECT_EQ(back.Position(), 0);

    TMemoryStream negative(Hex({0xFF, 0xFF, 0xFF, 0xFF, 'a'}));
    TMemoryStream out;
    EXPECT_THROW(StreamReadBlock(negative, out), EReadError);
    TMemoryStream huge(Hex({0xFF, 0xFF, 0xFF, 0x7F, 'a'})); // 2 GiB announced, one byte there
    EXPECT_THROW(StreamReadBlock(huge, out), EReadError);
    EXPECT_EQ(out.Size(), 0);
}

// ---------------------------------------------------------------- streams and files

TEST(JwStreamBase, MemoryStreamSeekPastEndThenWriteFillsZeros) {
    TMemoryStream s;
    s.SetPosition(3);
    s.WriteBuffer("x", 1);
    EXPECT_EQ(s.Bytes(), Hex({0, 0, 0, 'x'}));
    EXPECT_THROW(s.SetPosition(-1), EStreamError);
    char buf[4];
    s.SetPosition(10);
    EXPECT_EQ(s.Read(buf, 4), 0);
    EXPECT_EQ(s.Remaining(), 0);
}

TEST(JwStreamBase, CopyFromChecksTheCountBeforeCopying) {
    TMemoryStream source(std::string_view("abcdef")), dest;
    source.SetPosition(2);
    EXPECT_THROW(dest.CopyFrom(source, 5), EReadError);
    EXPECT_THROW(dest.CopyFrom(source, -1), EReadError);
    EXPECT_EQ(dest.Size(), 0);
    EXPECT_EQ(dest.CopyFrom(source, 4), 4);
    EXPECT_EQ(dest.CopyFrom(source, 0), 6); // whole source from its beginning
    EXPECT_EQ(std::string(dest.Bytes().begin(), dest.Bytes().end()), "cdefabcdef");
}

TEST(JwStreamBase, FileStreamReadsWritesAndReportsOpenErrors) {
    TempFolder folder;
    {
        TFileStream f(folder / "a.bin", TFileMode::fmCreate);
        StreamWriteInteger(f, 42);
        StreamWriteString(f, "abc");
    }
    TFileStream f(folder / "a.bin", TFileMode::fmOpenRead);
    EXPECT_EQ(f.Size(), 9);
    EXPECT_EQ(StreamReadInteger(f), 42);
    EXPECT_EQ(StreamReadString(f), "abc");
    EXPECT_THROW(StreamReadByte(f), EReadError);
    EXPECT_THROW(TFileStream(folder / "none.bin", TFileMode::fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(folder / "no" / "dir.bin", TFileMode::fmCreate), EFCreateError);
}
