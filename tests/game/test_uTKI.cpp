// The computer player: search depth by level, the tree, minimax with random tie-breaks, and a
// golden table of tree sizes and best-score sets that makes every change of behaviour deliberate.
#include "game/uTKI.h"
#include "tests/game/GameTestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace kelani {
namespace {

using test::MakeFeld;
using test::Places;

TEST(Random, LinearCongruentialStepAndUpperBits) {
    TRandom random([] { return 0u; });
    random.Reseed();
    EXPECT_EQ(random.State(), 0u);
    EXPECT_EQ(random.Random(100), 0); // state 1: 100 / 2^32 rounds down to 0
    EXPECT_EQ(random.State(), 1u);
    EXPECT_EQ(random.Random(100), 3); // state 134775814: 13477581400 >> 32
    EXPECT_EQ(random.State(), 134775814u);
    random.SetState(0xFFFFFFFFu);
    EXPECT_EQ(random.Random(7), 6); // state 0xF7F77BFC: the top of the range maps to n - 1
    EXPECT_EQ(random.Random(0), 0);
    EXPECT_EQ(random.Random(-3), 0);

    uint32_t clock = 86'399'999;
    TRandom ticking([&] { return clock; });
    ticking.Reseed();
    EXPECT_EQ(ticking.State(), 86'399'999u);
    EXPECT_LT(TimeOfDayMs(), 86'400'000u);
}

TEST(Random, DrawsStayInRangeAndCoverIt) {
    TRandom random([] { return 4711u; });
    random.Reseed();
    std::set<int> seen;
    for (int k = 0; k < 2000; ++k) {
        const int r = random.Random(6);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 6);
        seen.insert(r);
    }
    EXPECT_EQ(seen.size(), 6u);
}

TEST(KI, DepthByLevel) {
    EXPECT_EQ(TKI::DepthForLevel(1), 0);
    EXPECT_EQ(TKI::DepthForLevel(2), 2);
    EXPECT_EQ(TKI::DepthForLevel(3), 4);
    for (int level : {-1, 0, 4, 100}) EXPECT_EQ(TKI::DepthForLevel(level), 0) << level;
}

// Ties are drawn in ascending pit order: the k-th tied pit for the generator's draw k.
TEST(KI, TiesAreDrawnInPitOrder) {
    const TFeld feld = test::StartFeld(2, 4, false); // level 1: every pit gains nothing
    for (uint32_t seed : {0u, 5u, 77u, 1234u}) {
        TRandom random([seed] { return seed; });
        const TKIChoice choice = TKI::SearchTree(feld, 0, random);
        TRandom replay([seed] { return seed; });
        replay.Reseed();
        EXPECT_EQ(choice.Best, (std::vector<int>{1, 2, 3, 4, 5, 6}));
        EXPECT_EQ(choice.Pit, choice.Best[replay.Random(6)]) << seed;
        EXPECT_EQ(random.State(), replay.State());
    }
}

TEST(KI, APositionWithoutMovesChoosesNothing) {
    TRandom random([] { return 1u; });
    TFeld feld = MakeFeld(4, {0, 0, 0, 0, 0, 0, 20, 1, 2, 0, 0, 0, 0, 25});
    const TKIChoice tree = TKI::SearchTree(feld, 4, random);
    EXPECT_EQ(tree.Pit, 0);
    EXPECT_TRUE(tree.Best.empty());
    EXPECT_EQ(tree.Score, -5);
    EXPECT_EQ(tree.Simulated, 0);
    TKI ki(feld, random);
    for (int level = 1; level <= kMeisterLevel; ++level) {
        ki.SetLevel(level);
        EXPECT_EQ(ki.ChooseMove(), 0);
    }
}

TEST(KI, ExactlyOneLegalPitIsPlayedAtEveryLevel) {
    TFeld feld = MakeFeld(6, {0, 0, 0, 5, 0, 0, 10, 4, 4, 4, 4, 4, 4, 9}, 1);
    TKI ki(feld);
    ki.SetMasterTime(kMeisterMinMs);
    for (int level = 1; level <= kMeisterLevel; ++level) {
        ki.SetLevel(level);
        EXPECT_EQ(ki.ChooseMove(), 4) << level;
    }
}

TEST(KI, LevelOneTakesTheLargestGainAndVariesBetweenEqualOnes) {
    // Rule set 6, player 2: pit 1 (index 8) and pit 3 (index 10) each end on his own side opposite
    // a pit of 5 stones; every other move gains less.
    TFeld feld = MakeFeld(6, {0, 0, 5, 0, 5, 1, 10, 1, 0, 1, 0, 0, 0, 25}, 2);
    std::set<int> picks;
    for (uint32_t seed = 0; seed < 40; ++seed) {
        TRandom random([seed] { return seed * 977u; });
        TKI ki(feld, random);
        picks.insert(ki.ChooseMove());
    }
    EXPECT_EQ(picks, (std::set<int>{1, 3}));
}

TEST(KI, PlayerTwoMakesTheDifferenceSmallest) {
    // Rule set 4, player 2. Pit 3 (index 10) sows 11, 12, 13 (1 -> 2) and 1 (2 -> 3): it takes
    // pit 1 and the place before it, 13, for 5 stones. Pit 6 takes only pit 1 (3), pit 2 only
    // his own 13 (2); the others capture nothing.
    TFeld feld = MakeFeld(4, {2, 4, 4, 4, 4, 4, 0, 4, 4, 4, 4, 4, 1, 5}, 2);
    TRandom random([] { return 99u; });
    TKI ki(feld, random);
    const TKIChoice choice = ki.Choose();
    EXPECT_EQ(choice.Pit, 3);
    EXPECT_EQ(choice.Best, std::vector<int>{3});
    EXPECT_EQ(choice.Score, 0 - (5 + 5));
}

TEST(KI, SearchLeavesTheLiveBoardUntouched) {
    TFeld live = test::StartFeld(1, 6, true);
    int fired = 0;
    live.OnBeforeSow = [&](int, int, int) { ++fired; };
    const Places before = test::PlacesOf(live);
    TKI ki(live);
    ki.SetLevel(3);
    EXPECT_GE(ki.ChooseMove(), 1);
    EXPECT_EQ(test::PlacesOf(live), before);
    EXPECT_EQ(fired, 0);
}

// Plain minimax on the store difference, written independently of the tree: a line ends at the
// depth limit or where the side to move cannot move, and is valued by the stores there.
int Minimax(const TFeld& feld, int depth) {
    if (depth == 0 || feld.HasNoLegalMove()) return feld.Store1() - feld.Store2();
    const bool max = feld.AktSpieler() == 1;
    int best = max ? -100000 : 100000;
    for (int n = 1; n <= 6; ++n) {
        const int index = PitIndex(feld.AktSpieler(), n);
        if (!feld.IsLegalMove(index)) continue;
        TFeld next(feld);
        next.DoMove(index);
        const int value = Minimax(next, depth - 1);
        best = max ? std::max(best, value) : std::min(best, value);
    }
    return best;
}

struct BestAtLevel {
    std::vector<int> best;
    int score;
};

struct GoldenPosition {
    int variante;
    int heads;
    int player;
    Places places;
    std::array<long, 5> treeSize; // all nodes below the root, depth 0..4
    BestAtLevel levels[3];
};

// Mid-game positions reached by random play, then the start positions (4 stones).
// clang-format off
const GoldenPosition kGolden[] = {
    {1, 0, 1, {0, 2, 0, 0, 0, 0, 11, 11, 0, 0, 2, 1, 0, 21}, {1, 4, 12, 43, 157}, {{{2}, -9}, {{2}, -9}, {{2}, -10}}},
    {1, 1, 1, {3, 0, 4, 0, 4, 2, 16, 5, 0, 0, 1, 2, 0, 11}, {4, 19, 73, 289, 1007}, {{{1, 3, 5}, 6}, {{1, 5}, 6}, {{1, 5}, 6}}},
    {2, 0, 2, {0, 2, 0, 2, 2, 11, 8, 3, 2, 9, 8, 0, 1, 0}, {5, 30, 140, 609, 2609}, {{{1, 2, 3, 4, 6}, 8}, {{1}, 8}, {{1, 3}, 12}}},
    {2, 1, 1, {7, 2, 7, 0, 7, 1, 2, 6, 6, 5, 1, 0, 0, 4}, {5, 26, 125, 644, 2999}, {{{1, 3, 5, 6}, -1}, {{1}, 0}, {{3, 5}, 3}}},
    {3, 0, 1, {8, 2, 1, 2, 2, 8, 0, 0, 3, 2, 9, 3, 8, 0}, {6, 39, 215, 1132, 5848}, {{{1, 2, 3, 4, 5, 6}, 0}, {{1, 5, 6}, 0}, {{1, 5, 6}, 0}}},
    {3, 1, 1, {1, 8, 7, 0, 0, 6, 2, 6, 0, 4, 7, 2, 0, 5}, {4, 23, 110, 548, 2690}, {{{2, 3, 6}, -2}, {{6}, -2}, {{2, 3, 6}, -4}}},
    {4, 0, 1, {1, 2, 2, 8, 2, 4, 2, 4, 10, 0, 0, 9, 0, 4}, {6, 29, 153, 735, 3556}, {{{1, 3}, 1}, {{1, 3}, 3}, {{3}, 3}}},
    {4, 1, 2, {7, 0, 7, 0, 0, 1, 6, 7, 7, 1, 0, 7, 1, 4}, {5, 24, 113, 495, 2239}, {{{1, 2, 5, 6}, 1}, {{5}, 0}, {{1, 3, 6}, 0}}},
    {5, 0, 2, {0, 0, 0, 0, 1, 1, 24, 2, 1, 0, 1, 2, 0, 16}, {4, 15, 57, 162, 524}, {{{1, 2, 4, 5}, 8}, {{1, 2, 4, 5}, 8}, {{1, 2, 4, 5}, 8}}},
    {5, 1, 2, {0, 0, 0, 0, 0, 1, 27, 3, 0, 0, 0, 0, 1, 16}, {2, 4, 9, 10, 12}, {{{6}, 10}, {{1, 6}, 11}, {{1, 6}, 11}}},
    {6, 0, 1, {1, 11, 1, 0, 0, 8, 15, 1, 0, 2, 0, 0, 1, 8}, {4, 19, 70, 263, 938}, {{{2, 3}, 9}, {{3}, 10}, {{2, 3}, 10}}},
    {6, 1, 1, {0, 0, 0, 0, 7, 0, 7, 3, 1, 0, 8, 8, 8, 6}, {1, 7, 28, 120, 534}, {{{5}, 2}, {{5}, 3}, {{5}, 3}}},
    {1, 0, 1, {4, 4, 4, 4, 4, 4, 0, 4, 4, 4, 4, 4, 4, 0}, {6, 34, 163, 778, 3695}, {{{2, 3, 4}, 7}, {{3}, 7}, {{1, 3}, 1}}},
    {1, 1, 1, {4, 4, 4, 4, 4, 4, 0, 4, 4, 4, 4, 4, 4, 0}, {6, 32, 156, 740, 3448}, {{{1, 2, 4, 6}, 6}, {{6}, 7}, {{1, 4}, 6}}},
    {2, 0, 1, {4, 4, 4, 4, 4, 4, 0, 4, 4, 4, 4, 4, 4, 0}, {6, 42, 232, 1246, 6554}, {{{1, 2, 3, 4, 5, 6}, 0}, {{1, 2, 3, 4, 5, 6}, 0}, {{1, 2, 3, 4, 5, 6}, 0}}},
    {2, 1, 1, {4, 4, 4, 4, 4, 4, 0, 4, 4, 4, 4, 4, 4, 0}, {6, 42, 228, 1201, 6075}, {{{3, 4, 5, 6}, 1}, {{3, 4, 5, 6}, 1}, {{3, 4, 5, 6}, 1}}},
    {3, 0, 1, {4, 4, 4, 4, 4, 4, 0, 4, 4, 4, 4, 4, 4, 0}, {6, 42, 232, 1246, 6534}, {{{1, 2, 3, 4, 5, 6}, 0}, {{1, 2, 3, 4, 5, 6}, 0}, {{1, 2, 3, 4, 5, 6}, 0}}},
    {3, 1, 1, {4, 4, 4, 4, 4, 4, 0, 4, 4, 4, 4, 4, 4, 0}, {6, 41, 226, 1175, 5934}, {{{3, 4, 5, 6}, 1}, {{3}, 1}, {{3, 6}, 2}}},
    {4, 0, 1, {4, 4, 4, 4, 4, 4, 0, 4, 4, 4, 4, 4, 4, 0}, {6, 42, 232, 1246, 6465}, {{{1, 2, 3, 4, 5, 6}, 0}, {{1, 2, 3, 4, 5, 6}, 0}, {{1, 2, 3, 4, 5, 6}, 0}}},
    {4, 1, 1, {4, 4, 4, 4, 4, 4, 0, 4, 4, 4, 4, 4, 4, 0}, {6, 42, 228, 1201, 6024}, {{{3, 4, 5, 6}, 1}, {{3, 4, 5, 6}, 1}, {{3, 4, 5, 6}, 1}}},
    {5, 0, 1, {4, 4, 4, 4, 4, 4, 0, 4, 4, 4, 4, 4, 4, 0}, {6, 38, 185, 828, 4019}, {{{1, 2, 3, 4, 5, 6}, 0}, {{1, 2}, 4}, {{1, 2}, 4}}},
    {5, 1, 1, {4, 4, 4, 4, 4, 4, 0, 4, 4, 4, 4, 4, 4, 0}, {6, 36, 190, 960, 4670}, {{{3}, 1}, {{3}, 1}, {{1}, 4}}},
    {6, 0, 1, {4, 4, 4, 4, 4, 4, 0, 4, 4, 4, 4, 4, 4, 0}, {6, 40, 213, 1088, 5518}, {{{1, 2}, 4}, {{2}, 0}, {{6}, 2}}},
    {6, 1, 1, {4, 4, 4, 4, 4, 4, 0, 4, 4, 4, 4, 4, 4, 0}, {6, 40, 208, 1033, 4983}, {{{1, 2}, 4}, {{2, 3}, 1}, {{6}, 3}}},
};
// clang-format on

TFeld GoldenFeld(const GoldenPosition& g) {
    return MakeFeld(g.variante, g.places, g.player, g.heads != 0);
}

TEST(KIGolden, TreeSizes) {
    for (const auto& g : kGolden) {
        const TFeld feld = GoldenFeld(g);
        for (int depth = 0; depth <= 4; ++depth) {
            TRandom random([] { return 3u; });
            const long size = TKI::SearchTree(feld, depth, random).Simulated;
            EXPECT_EQ(size, g.treeSize[depth]) << "rule set " << g.variante << " depth " << depth;
            EXPECT_LE(size, 9330);
        }
    }
}

TEST(KIGolden, BestScoreSetsAtEachLevelAgreeWithPlainMinimax) {
    for (const auto& g : kGolden) {
        const TFeld feld = GoldenFeld(g);
        for (int level = 1; level <= 3; ++level) {
            SCOPED_TRACE(::testing::Message()
                         << "rule set " << g.variante << " heads " << g.heads << " level " << level);
            TRandom random([level] { return 1000u * level; });
            TKI ki(feld, random);
            ki.SetLevel(level);
            const TKIChoice choice = ki.Choose();
            EXPECT_EQ(choice.Best, g.levels[level - 1].best);
            EXPECT_EQ(choice.Score, g.levels[level - 1].score);
            EXPECT_NE(std::find(choice.Best.begin(), choice.Best.end(), choice.Pit), choice.Best.end());

            std::vector<int> minimaxBest;
            for (int n = 1; n <= 6; ++n) {
                const int index = PitIndex(feld.AktSpieler(), n);
                if (!feld.IsLegalMove(index)) continue;
                TFeld next(feld);
                next.DoMove(index);
                if (Minimax(next, TKI::DepthForLevel(level)) == choice.Score) minimaxBest.push_back(n);
            }
            EXPECT_EQ(minimaxBest, choice.Best);
        }
    }
}

TEST(KI, SameClockGivesTheSameChoice) {
    const TFeld feld = test::StartFeld(2, 4, false);
    for (uint32_t seed : {0u, 1u, 86'399'999u}) {
        TRandom a([seed] { return seed; });
        TRandom b([seed] { return seed; });
        TKI first(feld, a);
        TKI second(feld, b);
        first.SetLevel(3);
        second.SetLevel(3);
        EXPECT_EQ(first.ChooseMove(), second.ChooseMove()) << seed;
    }
}

} // namespace
} // namespace kelani
