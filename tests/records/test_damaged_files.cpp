// Crafted files that once froze the readers (a decompression bomb, a container stored in
// descending name order, millions of moves in a small saved game) or showed impossible boards:
// every reader refuses each of them with its designed error.
#include "records/uTHighscore.h"
#include "records/uTHistory.h"
#include "streams/JwStream.h"

#include <gtest/gtest.h>

#include <functional>

using namespace kelani;

namespace {

const char* const kFiles[] = {"bomb.kel",       "bomb-hs5.dat",       "bomb.gfx",
                              "descending.kel", "descending-hs5.dat", "descending.gfx",
                              "many-moves.kel", "stones-255.kel",     "player-3.kel"};

std::string Path(const char* file) {
    return std::string(KELANI_TEST_DATA) + "/damaged/" + file;
}

// True when load reports the file as damaged: false, or the container's or the stream's error.
bool Refused(const std::function<bool()>& load) {
    try {
        return !load();
    } catch (const ECorruptFile&) {
        return true;
    } catch (const EReadError&) {
        return true;
    }
}

} // namespace

TEST(DamagedFiles, TheSavedGameAndHighscoreReadersRefuseEveryCraftedFile) {
    for (const char* file : kFiles) {
        EXPECT_TRUE(Refused([&] { return THistory().LoadFromFile(Path(file)); })) << file;
        EXPECT_TRUE(Refused([&] {
            THighscore().LoadFromFile(Path(file));
            return true;
        })) << file;
    }
}

TEST(DamagedFiles, TheGraphicsContainerReaderRefusesTheBombAndSortsTheDescendingContainer) {
    TJwStreams bomb;
    EXPECT_THROW(bomb.LoadFromFile(Path("bomb.gfx")), ECorruptFile);
    TJwStreams descending;
    descending.LoadFromFile(Path("descending.gfx"));
    ASSERT_EQ(descending.Count(), 100000);
    EXPECT_EQ(descending.Names(0), "e000000");
    EXPECT_EQ(descending.Names(99999), "e099999");
}
