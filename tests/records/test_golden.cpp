// Golden files written by our own code: a saved game and a highscore table. Each must read back to
// the known content and write back byte for byte. After a deliberate format change, rewrite them
// with KELANI_WRITE_GOLDEN=1 and review the difference.
#include "game/uTFeld.h"
#include "records/uTHighscore.h"
#include "records/uTHistory.h"
#include "tests/records/RecordsTestUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace kelani;
using kelani::test::ReadBytes;
using kelani::test::ScratchFolder;

namespace {

const std::string kGoldenKel = std::string(KELANI_TEST_DATA) + "/saved-game.kel";
const std::string kGoldenHs = std::string(KELANI_TEST_DATA) + "/hs5.dat";

// A whole game of variant 5 with head pits, player 1 the computer; player 1 passes seven times
// near the end.
THistory GoldenGame() {
    THistory h;
    h.Init("J\xF6rg", "Computer", "joerg@example.org", "", "deutschland", "europa", 5, true, 4, 2, 1, 1);
    const TMove records[] = {
        {1, 6, 3}, {2, 3, 8},  {1, 1, 4}, {2, 3, 12}, {1, 8, 5}, {2, 4, 8},  {1, 5, 4}, {2, 3, 10},
        {1, 8, 1}, {2, 7, 9},  {1, 4, 4}, {2, 4, 13}, {1, 2, 1}, {2, 3, 10}, {1, 9, 4}, {2, 6, 13},
        {1, 8, 6}, {2, 2, 12}, {1, 7, 3}, {2, 1, 11}, {1, 8, 4}, {2, 7, 12}, {1, 6, 5}, {2, 5, 10},
        {1, 3, 6}, {2, 5, 9},  {1, 4, 1}, {2, 4, 12}, {1, 8, 1}, {2, 4, 10}, {1, 8, 3}, {2, 7, 11},
        {1, 2, 5}, {2, 5, 8},  {1, 2, 0}, {2, 6, 12}, {1, 2, 0}, {2, 2, 13}, {1, 4, 0}, {2, 7, 9},
        {1, 5, 0}, {2, 7, 10}, {1, 1, 0}, {2, 3, 11}, {1, 7, 0}, {2, 4, 12}, {1, 8, 0}, {2, 8, 13}};
    for (const TMove& m : records) h.AddMove(m.Zeit, m.Mulde, m.Spieler);
    return h;
}

void FillGoldenTable(THighscore& t) {
    t.AddEntry("J\xF6rg", 3725, 30, 18, 12, false, "joerg@example.org", "deutschland");
    t.AddEntry("Anna", 600, 24, 24, 15, false, "", "europa");
    t.AddEntry("Bo", 86399, 0, 0, 3, false, "bo@example.org", "schweden");
    t.AddEntry("Chris", 90, 40, 8, 9, false, "c@example.org", "frankreich");
    t.AddEntry("Dana", 360000, 24, 24, 30, false, "", "europa");
}

bool WriteGoldenRequested() {
    return std::getenv("KELANI_WRITE_GOLDEN") != nullptr;
}

} // namespace

TEST(Golden, WriteOnRequest) {
    if (!WriteGoldenRequested()) GTEST_SKIP() << "set KELANI_WRITE_GOLDEN=1 to rewrite the golden files";
    GoldenGame().SaveToFile(kGoldenKel);
    THighscore table;
    FillGoldenTable(table);
    table.SaveToFile(kGoldenHs);
}

TEST(Golden, SavedGameReadsAndWritesBackByteForByte) {
    THistory loaded;
    ASSERT_TRUE(loaded.LoadFromFile(kGoldenKel));
    EXPECT_EQ(loaded, GoldenGame());
    TFeld board;
    EXPECT_EQ(loaded.Replay(board), loaded.Count());
    EXPECT_TRUE(board.IsGameOver());
    EXPECT_EQ(loaded.PlayerMoveCount(1), 17);
    EXPECT_EQ(loaded.PlayerMoveCount(2), 24);

    ScratchFolder dir("golden-kel");
    loaded.SaveToFile(dir.File("again.kel"));
    EXPECT_EQ(ReadBytes(dir.File("again.kel")), ReadBytes(kGoldenKel));
}

TEST(Golden, HighscoreTableReadsAndWritesBackByteForByte) {
    THighscore loaded;
    loaded.LoadFromFile(kGoldenHs);
    THighscore expected;
    FillGoldenTable(expected);
    ASSERT_EQ(loaded.Count(), expected.Count());
    for (int i = 0; i < expected.Count(); ++i)
        for (int k = 0; k < expected.Template().Count(); ++k) {
            const std::string& key = expected.Template().Items(k).Name();
            EXPECT_EQ(loaded.GetText(key, i), expected.GetText(key, i)) << i << " " << key;
        }
    EXPECT_EQ(loaded.GetText("name", 0), "Chris");
    EXPECT_EQ(loaded.GetText("name", 4), "Bo");

    ScratchFolder dir("golden-hs");
    loaded.SaveToFile(dir.File("hs5.dat"));
    EXPECT_EQ(ReadBytes(dir.File("hs5.dat")), ReadBytes(kGoldenHs));
}
