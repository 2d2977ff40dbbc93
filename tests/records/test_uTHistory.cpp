#include "records/uTHistory.h"

#include "game/uTFeld.h"
#include "game/uTKI.h"
#include "records/uRecordFile.h"
#include "records/uPositionText.h"
#include "streams/JwStream.h"
#include "tests/records/RecordsTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kelani;
using kelani::test::ReadBytes;
using kelani::test::ScratchFolder;
using kelani::test::WriteBytes;

namespace {

THistory SampleHistory() {
    THistory h;
    h.Init("Ann", "Bo", "a@x", "", "deutschland", "europa", 5, true, 6, 2, 2, 1);
    h.AddMove(3, 4, 2);
    h.AddMove(0, 0, 1);
    return h;
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

void Append(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& more) {
    out.insert(out.end(), more.begin(), more.end());
}

void AppendText(std::vector<std::uint8_t>& out, const std::string& text) {
    Append(out, Bytes({static_cast<int>(text.size() & 0xFF), static_cast<int>(text.size() >> 8)}));
    out.insert(out.end(), text.begin(), text.end());
}

// The "his" stream of SampleHistory, built by hand from the layout.
std::vector<std::uint8_t> SampleHisBytes() {
    std::vector<std::uint8_t> out = Bytes({5, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 6, 1});
    for (const char* text : {"Ann", "Bo", "a@x", "", "deutschland", "europa"}) AppendText(out, text);
    Append(out, Bytes({2, 0, 0, 0}));
    Append(out, Bytes({2, 0, 0, 0, 3, 0, 0, 0, 4}));
    Append(out, Bytes({1, 0, 0, 0, 0, 0, 0, 0, 0}));
    return out;
}

// Plays the first legal place (or the forced pass) until the game ends, recording every step.
THistory PlayedGame(int variante, int steine, bool head, int first, TFeld& board) {
    THistory h;
    h.Init("A", "B", "", "", "europa", "europa", variante, head, static_cast<std::uint8_t>(steine), 1, first,
           0);
    h.StartBoard(board);
    for (int guard = 0; guard < 2000 && !board.IsGameOver(); ++guard) {
        std::uint8_t place = 0;
        for (int i = 1; i <= kPlaces && place == 0; ++i)
            if (board.IsLegalMove(i)) place = static_cast<std::uint8_t>(i);
        const int player = board.AktSpieler();
        EXPECT_TRUE(THistory::PlayRecord(board, place));
        h.AddMove(1, place, player);
    }
    return h;
}

} // namespace

TEST(THistory, CountsSkipPassesButTimesIncludeThem) {
    THistory h;
    h.Init("A", "B", "", "", "", "", 4, false, 4, 1, 1, 0);
    h.AddMove(5, 3, 1);
    h.AddMove(7, 9, 2);
    h.AddMove(2, 0, 1); // forced pass
    h.AddMove(4, 2, 1);
    EXPECT_EQ(h.Count(), 4);
    EXPECT_EQ(h.MoveCount(), 3);
    EXPECT_EQ(h.PlayerMoveCount(1), 2);
    EXPECT_EQ(h.PlayerMoveCount(2), 1);
    EXPECT_EQ(h.PlayerTime(1), 11);
    EXPECT_EQ(h.PlayerTime(2), 7);
    EXPECT_EQ(h.Moves(2), (TMove{1, 2, 0}));

    h.Init("C", "D", "", "", "", "", 6, true, 3, 3, 2, 2);
    EXPECT_EQ(h.Count(), 0);
    EXPECT_EQ(h.PlayerTime(1), 0);
    EXPECT_EQ(h.Name1, "C");
    EXPECT_TRUE(h.IsComputer(1));
    EXPECT_TRUE(h.IsComputer(2));
}

TEST(THistory, PlayerTimeOfHostileRecordsStaysInRange) {
    THistory h;
    h.AddMove(INT32_MAX, 1, 1);
    h.AddMove(INT32_MAX, 2, 1);
    h.AddMove(INT32_MIN, 8, 2);
    h.AddMove(INT32_MIN, 9, 2);
    EXPECT_EQ(h.PlayerTime(1), INT32_MAX);
    EXPECT_EQ(h.PlayerTime(2), INT32_MIN);
}

TEST(THistory, StreamFollowsTheStoredFieldOrderNotTheInitOrder) {
    TMemoryStream stream;
    SampleHistory().SaveToStream(stream);
    EXPECT_EQ(stream.Bytes(), SampleHisBytes());

    THistory loaded;
    loaded.AddMove(9, 9, 9); // replaced, not kept
    stream.SetPosition(0);
    loaded.LoadFromStream(stream);
    EXPECT_EQ(loaded, SampleHistory());
}

TEST(THistory, HeadPitFlagIsTrueOnlyForTheByteOne) {
    std::vector<std::uint8_t> bytes = SampleHisBytes();
    bytes[12] = 2;
    TMemoryStream stream(bytes);
    THistory h;
    h.LoadFromStream(stream);
    EXPECT_FALSE(h.UseStirnmulde);
}

TEST(THistory, DamagedStreamsRaiseTheReadErrorWithoutHugeAllocations) {
    const std::vector<std::uint8_t> good = SampleHisBytes();
    const size_t countAt = good.size() - 18 - 4;
    THistory h;
    auto refused = [&](const std::vector<std::uint8_t>& bytes) {
        TMemoryStream stream(bytes);
        try {
            h.LoadFromStream(stream);
        } catch (const EReadError&) {
            return true;
        }
        return false;
    };
    auto withInt = [&](size_t at, std::int32_t value) {
        std::vector<std::uint8_t> bytes = good;
        std::memcpy(&bytes[at], &value, 4);
        return bytes;
    };
    for (std::int32_t count : {3, 1000000, INT32_MAX, -1})
        EXPECT_TRUE(refused(withInt(countAt, count))) << count;
    // More records than a saved game holds are damage even when every byte of them is there.
    std::vector<std::uint8_t> tooMany = withInt(countAt, THistory::MaxRecords + 1);
    tooMany.resize(countAt + 4 + size_t{THistory::MaxRecords + 1} * TMove::RecordSize, 1);
    EXPECT_TRUE(refused(tooMany));
    // Records are player 1's or player 2's.
    for (std::int32_t player : {0, 3, -1}) EXPECT_TRUE(refused(withInt(good.size() - 9, player))) << player;
    for (size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_TRUE(refused(std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(cut))))
            << cut;
}

TEST(THistory, FileIsMarkerLengthAndContainerImage) {
    ScratchFolder dir("his-layout");
    const std::string name = dir.File("game.kel");
    SampleHistory().SaveToFile(name);
    const std::vector<std::uint8_t> bytes = ReadBytes(name);
    ASSERT_GE(bytes.size(), 10u);
    std::int32_t marker = 0, length = 0;
    std::memcpy(&marker, &bytes[0], 4);
    std::memcpy(&length, &bytes[4], 4);
    EXPECT_EQ(marker, 2);
    EXPECT_EQ(static_cast<size_t>(length), bytes.size() - 8);
    EXPECT_EQ(bytes[8], 0x26); // compressed
    EXPECT_EQ(bytes[9], 0x2A); // enciphered

    // The image is a container holding exactly one stream "his" with the history's layout.
    TMemoryStream image(std::span<const std::uint8_t>(bytes).subspan(8));
    TJwStreams container;
    container.SetKey(THistory::ContainerKey);
    container.LoadFromStream(image);
    ASSERT_EQ(container.Count(), 1);
    EXPECT_EQ(container.Names(0), "his");
    EXPECT_EQ(container.Streams(0).Bytes(), SampleHisBytes());
}

TEST(THistory, SavedFileLoadsBack) {
    ScratchFolder dir("his-roundtrip");
    const std::string name = dir.File("game.kel");
    SampleHistory().SaveToFile(name);
    THistory loaded;
    ASSERT_TRUE(loaded.LoadFromFile(name));
    EXPECT_EQ(loaded, SampleHistory());

    THistory empty;
    empty.Init("X", "Y", "", "", "europa", "europa", 4, false, 4, 1, 2, 0);
    empty.SaveToFile(name);
    ASSERT_TRUE(loaded.LoadFromFile(name));
    EXPECT_EQ(loaded.Count(), 0);
    EXPECT_EQ(loaded.Startspieler, 2);
}

// A game against the Master is saved with level 4 and, loaded, goes on with the Master.
TEST(THistory, AGameAgainstTheMasterLoadsAndPlaysOn) {
    ScratchFolder dir("his-master");
    const std::string name = dir.File("master.kel");
    THistory saved;
    saved.Init("Ann", "Meister", "", "", "europa", "europa", 3, true, 4, kMeisterLevel, 1, 1);
    TFeld played;
    saved.StartBoard(played);
    for (int move = 0; move < 4; ++move) {
        const int player = played.AktSpieler();
        const auto place = static_cast<std::uint8_t>(PitIndex(player, 3 + move % 2));
        ASSERT_TRUE(THistory::PlayRecord(played, place)) << move;
        saved.AddMove(2, place, player);
    }
    saved.SaveToFile(name);

    THistory loaded;
    ASSERT_TRUE(loaded.LoadFromFile(name));
    EXPECT_EQ(loaded.Schwierigkeit, kMeisterLevel);
    TFeld board;
    loaded.StartBoard(board);
    ASSERT_EQ(loaded.Replay(board), loaded.Count());
    TKI ki(board);
    ki.SetLevel(loaded.Schwierigkeit);
    ki.SetMasterTime(kMeisterMinMs);
    EXPECT_EQ(ki.Level(), kMeisterLevel);
    EXPECT_TRUE(board.IsLegalMove(PitIndex(board.AktSpieler(), ki.ChooseMove())));
}

// A game set up in the position editor keeps its start position: the file replays from it, old
// files (nothing after the records) start as ever, and a start position that disagrees with the
// settings is damage.
TEST(THistory, ASetUpGameSavesItsStartPositionAndReplaysFromIt) {
    ScratchFolder dir("his-setup");
    const std::string name = dir.File("setup.kel");
    THistory saved;
    saved.Init("Ann", "Bob", "", "", "", "", 5, false, 3, 1, 2, 0);
    saved.StartPosition = "v5 h0 s3 p2 : 0 0 0 0 1 1 [14] 0 0 2 0 0 3 [15]";
    TFeld board;
    saved.StartBoard(board);
    EXPECT_EQ(PositionText(board), saved.StartPosition);
    ASSERT_TRUE(THistory::PlayRecord(board, 13));
    saved.AddMove(3, 13, 2);
    saved.SaveToFile(name);

    THistory loaded;
    ASSERT_TRUE(loaded.LoadFromFile(name));
    EXPECT_EQ(loaded, saved);
    TFeld replayed;
    ASSERT_EQ(loaded.Replay(replayed), 1);
    EXPECT_EQ(replayed.Mulden(), board.Mulden());

    loaded.Init("Ann", "Bob", "", "", "", "", 5, false, 3, 1, 2, 0);
    EXPECT_TRUE(loaded.StartPosition.empty());
    saved.StartPosition = "v5 h0 s3 p1 : 0 0 0 0 1 1 [14] 0 0 2 0 0 3 [15]"; // not the first player
    saved.SaveToFile(name);
    EXPECT_THROW(loaded.LoadFromFile(name), EReadError);
}

TEST(THistory, FilesThatAreNoSavedGameGiveFalseAndChangeNothing) {
    ScratchFolder dir("his-notkel");
    THistory h = SampleHistory();
    EXPECT_FALSE(h.LoadFromFile(dir.File("missing.kel")));
    const std::string name = dir.File("other.kel");
    for (const auto& bytes : {Bytes({}), Bytes({2, 0}), Bytes({'H', 'a', 'l', 'l', 'o', '\n'}),
                              Bytes({3, 0, 0, 0, 0, 0, 0, 0})}) {
        WriteBytes(name, bytes);
        EXPECT_FALSE(h.LoadFromFile(name));
        EXPECT_EQ(h, SampleHistory());
    }
}

TEST(THistory, SettingsTheRulesCannotPlayAreNoSavedGame) {
    ScratchFolder dir("his-unplayable");
    const std::string name = dir.File("bad.kel");
    auto variantOf = [](THistory h, int v) {
        h.Variante = v;
        return h;
    };
    auto firstOf = [](THistory h, int p) {
        h.Startspieler = p;
        return h;
    };
    auto modeOf = [](THistory h, int m) {
        h.Modus = static_cast<std::uint8_t>(m);
        return h;
    };
    auto stonesOf = [](THistory h, int s) {
        h.SteineProMulde = static_cast<std::uint8_t>(s);
        return h;
    };
    for (const THistory& bad :
         {variantOf(SampleHistory(), 0), variantOf(SampleHistory(), 7), firstOf(SampleHistory(), 0),
          firstOf(SampleHistory(), 3), modeOf(SampleHistory(), 3), stonesOf(SampleHistory(), 2),
          stonesOf(SampleHistory(), 9), stonesOf(SampleHistory(), 255)}) {
        bad.SaveToFile(name);
        THistory h = SampleHistory();
        h.Name1 = "kept";
        EXPECT_FALSE(h.LoadFromFile(name));
        EXPECT_EQ(h.Name1, "kept");
    }
    for (int v = 1; v <= 6; ++v) {
        variantOf(SampleHistory(), v).SaveToFile(name);
        THistory h;
        EXPECT_TRUE(h.LoadFromFile(name)) << v;
    }
    for (int s : {3, 8}) {
        stonesOf(SampleHistory(), s).SaveToFile(name);
        THistory h;
        EXPECT_TRUE(h.LoadFromFile(name)) << s;
    }
}

TEST(THistory, ShortAndDamagedFilesRaiseTheirErrorsAndChangeNothing) {
    ScratchFolder dir("his-damaged");
    const std::string name = dir.File("game.kel");
    SampleHistory().SaveToFile(name);
    const std::vector<std::uint8_t> good = ReadBytes(name);

    // Cut inside the declared image, or a declared length beyond the file: the read error.
    for (size_t cut : {size_t{6}, size_t{8}, good.size() / 2, good.size() - 1}) {
        WriteBytes(name, std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(cut)));
        THistory h;
        EXPECT_THROW(h.LoadFromFile(name), EReadError) << cut;
    }
    std::vector<std::uint8_t> negative = good;
    negative[7] = 0x80;
    WriteBytes(name, negative);
    THistory h;
    EXPECT_THROW(h.LoadFromFile(name), EReadError);

    // A damaged first cipher block spoils the container's signature.
    std::vector<std::uint8_t> flipped = good;
    flipped[12] ^= 0x55;
    WriteBytes(name, flipped);
    EXPECT_THROW(h.LoadFromFile(name), ECorruptFile);

    // Any single damaged byte: a designed error or a clean answer, never a crash.
    for (size_t at = 0; at < good.size(); ++at) {
        std::vector<std::uint8_t> bytes = good;
        bytes[at] ^= 0xA5;
        WriteBytes(name, bytes);
        THistory probe = SampleHistory();
        probe.Name2 = "probe";
        try {
            if (!probe.LoadFromFile(name)) {
                EXPECT_EQ(probe.Name2, "probe") << at;
            }
        } catch (const ECorruptFile&) {
            EXPECT_EQ(probe.Name2, "probe") << at;
        } catch (const EStreamError&) {
            EXPECT_EQ(probe.Name2, "probe") << at;
        }
    }
}

TEST(THistory, FailedSaveLeavesTheOldFileIntact) {
    ScratchFolder dir("his-failsave");
    const std::string name = dir.File("game.kel");
    SampleHistory().SaveToFile(name);
    const std::vector<std::uint8_t> before = ReadBytes(name);

    THistory tooLong = SampleHistory();
    tooLong.Name1 = std::string(70000, 'x'); // the length field holds at most 65535
    EXPECT_THROW(tooLong.SaveToFile(name), EWriteError);
    EXPECT_EQ(ReadBytes(name), before);
    EXPECT_THROW(SampleHistory().SaveToFile(dir.File("no/such/folder/game.kel")), EFileSaveError);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1); // no temp file left
}

// The longest game a file holds saves and loads back; one record more is not saved at all.
TEST(THistory, TheMostRecordsASavedGameHoldsLoadBackAndOneMoreIsNotSaved) {
    ScratchFolder dir("his-longest");
    const std::string name = dir.File("long.kel");
    THistory longest = SampleHistory();
    longest.Name1 = std::string(65535, 'x');
    longest.Clear();
    for (int i = 0; i < THistory::MaxRecords; ++i)
        longest.AddMove(1, static_cast<std::uint8_t>(1 + i % 6), 1);
    longest.SaveToFile(name);
    THistory loaded;
    ASSERT_TRUE(loaded.LoadFromFile(name));
    EXPECT_EQ(loaded, longest);

    longest.AddMove(1, 1, 1);
    EXPECT_THROW(longest.SaveToFile(name), EWriteError);
    ASSERT_TRUE(loaded.LoadFromFile(name));
    EXPECT_EQ(loaded.Count(), THistory::MaxRecords);
}

TEST(THistory, ReplayRebuildsTheGameAndStopsAtARecordThatDoesNotFit) {
    for (int variante = 1; variante <= 6; ++variante) {
        TFeld played, replayed;
        const THistory game = PlayedGame(variante, 4, variante % 2 == 0, 2 - variante % 2, played);
        ASSERT_EQ(game.Replay(replayed), game.Count()) << variante;
        EXPECT_EQ(replayed.Mulden(), played.Mulden()) << variante;
        EXPECT_EQ(replayed.AktSpieler(), played.AktSpieler()) << variante;
    }

    THistory h;
    h.Init("A", "B", "", "", "", "", 4, false, 4, 1, 2, 0);
    TFeld board;
    h.StartBoard(board);
    EXPECT_EQ(board.AktSpieler(), 2);
    EXPECT_EQ(board.Mulde(8), 4);
    h.AddMove(0, 8, 2);
    h.AddMove(0, 0, 1); // a pass while player 1 can move
    h.AddMove(0, 1, 1);
    EXPECT_EQ(h.Replay(board), 1);
    h = THistory();
    h.Init("A", "B", "", "", "", "", 4, false, 4, 1, 1, 0);
    h.AddMove(0, 8, 1); // not a pit of the player to move
    EXPECT_EQ(h.Replay(board), 0);
}

// A training game keeps its moves taken back in a stream of its own: it loads back whole, and a
// reader that knows only "his" (as every earlier version of the game) loads the game as played.
TEST(THistory, TrainingGameKeepsItsMovesTakenBackWhereOlderReadersDoNotLook) {
    ScratchFolder dir("his-training");
    const std::string name = dir.File("training.kel");
    THistory h = SampleHistory();
    h.AddMove(5, 9, 2);
    h.TakeBackRecord();
    h.TakeBackRecord();
    h.Training = true;
    ASSERT_EQ(h.Count(), 1);
    ASSERT_EQ(h.RedoCount(), 2);
    EXPECT_EQ(h.RedoMoves(0), (TMove{1, 0, 0})) << "the move taken back last is redone first";
    h.SaveToFile(name);

    THistory loaded;
    ASSERT_TRUE(loaded.LoadFromFile(name));
    EXPECT_EQ(loaded, h);
    loaded.RedoRecord();
    loaded.RedoRecord();
    EXPECT_EQ(loaded.Moves(2), (TMove{2, 5, 9}));
    EXPECT_EQ(loaded.RedoCount(), 0);

    // The earlier reader: the marker, the container, its one stream "his" and nothing else.
    TFileStream file(name, TFileMode::fmOpenRead);
    ASSERT_EQ(StreamReadInteger(file), THistory::FormatMarker);
    TMemoryStream image;
    StreamReadBlock(file, image);
    TMemoryStream his = UnpackRecordStream(THistory::ContainerKey, "his", image, THistory::MaxStreamSize);
    THistory old;
    old.LoadFromStream(his);
    EXPECT_EQ(his.Remaining(), 0);
    EXPECT_EQ(old.Count(), 1);
    EXPECT_EQ(old.Moves(0), (TMove{2, 3, 4}));
    EXPECT_FALSE(old.Training);

    // A new move drops the moves taken back; a game that is no training game has no "trn".
    h.AddMove(1, 10, 1);
    EXPECT_EQ(h.RedoCount(), 0);
    h.Training = false;
    h.SaveToFile(name);
    const std::vector<std::uint8_t> bytes = ReadBytes(name);
    TMemoryStream plain(std::span<const std::uint8_t>(bytes).subspan(8));
    TJwStreams container;
    container.SetKey(THistory::ContainerKey);
    container.LoadFromStream(plain);
    EXPECT_EQ(container.Count(), 1);

    // Damage in "trn" is damage of the file.
    THistory broken;
    TMemoryStream trn;
    StreamWriteBoolean(trn, true);
    StreamWriteInteger(trn, 2);
    trn.Seek(0, TSeekOrigin::soBeginning);
    EXPECT_THROW(broken.LoadTrainingFromStream(trn), EReadError);
}
