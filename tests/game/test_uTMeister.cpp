// The Master: always a legal pit, the same values as a plain search of the same depth, forced
// wins found, a swindle only where the game is lost, and a search that ends when it is told to.
#include "game/uTKI.h"
#include "game/uTMeister.h"
#include "tests/game/GameTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

namespace kelani {
namespace {

bool SamePosition(const TFeld& a, const TFeld& b) {
    return a.Mulden() == b.Mulden() && a.AktSpieler() == b.AktSpieler() &&
           a.ZuegeInRunde() == b.ZuegeInRunde();
}

int TotalStones(const TFeld& feld) {
    return test::Total(feld);
}

// Negamax without pruning or table, written from the rules of the game: more than half of all
// stones in a store wins, every stone in a store with half each is a draw, a position met again
// on the line is a draw of the stones in the pits, and the horizon counts the store difference.
int Plain(const TFeld& pos, int depth, int ply, std::vector<TFeld>& line) {
    const int total = TotalStones(pos);
    const int own = pos.Store(pos.AktSpieler());
    const int other = pos.Store(Opponent(pos.AktSpieler()));
    if (2 * own > total) return kMeisterWin - ply;
    if (2 * other > total) return -(kMeisterWin - ply);
    if (own + other == total) return 0;
    if (depth == 0) return own - other;
    for (const TFeld& earlier : line)
        if (SamePosition(earlier, pos)) return own - other;
    line.push_back(pos);
    std::vector<TFeld> children;
    for (int pit = 1; pit <= 6; ++pit) {
        if (!pos.IsLegalMove(PitIndex(pos.AktSpieler(), pit))) continue;
        children.push_back(pos);
        children.back().DoMove(PitIndex(pos.AktSpieler(), pit));
    }
    if (children.empty()) {
        children.push_back(pos);
        children.back().Skip();
    }
    int best = -kMeisterWin - 1;
    for (const TFeld& child : children) {
        const int value = child.AktSpieler() == pos.AktSpieler() ? Plain(child, depth - 1, ply + 1, line)
                                                                 : -Plain(child, depth - 1, ply + 1, line);
        best = std::max(best, value);
    }
    line.pop_back();
    return best;
}

// The plain value of playing `pit` in `root`, looking `depth` moves deep in all.
int PlainAfter(const TFeld& root, int pit, int depth) {
    TFeld child(root);
    child.DoMove(PitIndex(root.AktSpieler(), pit));
    std::vector<TFeld> line{root};
    const int value = Plain(child, depth - 1, 1, line);
    return child.AktSpieler() == root.AktSpieler() ? value : -value;
}

// Positions of every rule set and head-pit option, reached by random play from the start.
std::vector<TFeld> RandomPositions(int perSetting, int maxMoves, unsigned seed, int stones = 4) {
    std::mt19937 rng(seed);
    std::vector<TFeld> positions;
    for (int variante = 1; variante <= 6; ++variante)
        for (bool head : {false, true})
            for (int k = 0; k < perSetting; ++k) {
                TFeld feld = test::StartFeld(variante, stones, head, 1 + k % 2);
                const int moves = static_cast<int>(rng() % static_cast<unsigned>(maxMoves + 1));
                for (int m = 0; m < moves && !feld.IsGameOver(); ++m) {
                    if (feld.HasNoLegalMove()) {
                        feld.Skip();
                        continue;
                    }
                    int place = 0;
                    do place = PitIndex(feld.AktSpieler(), 1 + static_cast<int>(rng() % 6));
                    while (!feld.IsLegalMove(place));
                    feld.DoMove(place);
                }
                positions.push_back(feld);
            }
    return positions;
}

TMeisterLimits DepthLimit(int depth, bool allPits = false) {
    TMeisterLimits limits;
    limits.Depth = depth;
    limits.AllPits = allPits;
    return limits;
}

TEST(Meister, AlwaysALegalPitAndNoneWithoutAMove) {
    TMeister meister(12);
    const std::atomic<bool> stopped{true};
    for (const TFeld& feld : RandomPositions(6, 60, 11)) {
        TMeisterLimits quick = DepthLimit(3);
        TMeisterLimits stop;
        stop.Stop = &stopped;
        for (const TMeisterLimits& limits : {quick, stop}) {
            const TMeisterResult result = meister.Search(feld, limits);
            if (feld.HasNoLegalMove()) {
                EXPECT_EQ(result.Pit, 0);
                EXPECT_TRUE(result.Best.empty());
                continue;
            }
            ASSERT_TRUE(feld.IsLegalMove(PitIndex(feld.AktSpieler(), result.Pit)))
                << "rule set " << feld.Variante() << " pit " << result.Pit;
            for (int pit : result.Best) EXPECT_TRUE(feld.IsLegalMove(PitIndex(feld.AktSpieler(), pit)));
        }
    }
}

// The table cuts only with entries of the same depth, so every pit's value is the plain one.
TEST(Meister, TableKeepsTheValuesOfAPlainSearch) {
    TMeister meister(14);
    int compared = 0;
    for (const TFeld& feld : RandomPositions(3, 40, 23)) {
        if (feld.HasNoLegalMove()) continue;
        for (int depth : {1, 3, 5}) {
            const TMeisterResult result = meister.Search(feld, DepthLimit(depth, true));
            // Fewer when every line is decided sooner.
            ASSERT_LE(result.Depth, depth);
            for (const TMeisterLine& line : result.Lines) {
                ASSERT_EQ(line.Value, PlainAfter(feld, line.Pit, depth))
                    << "rule set " << feld.Variante() << " heads " << feld.UseStirnmulde() << " depth "
                    << depth << " pit " << line.Pit;
                ++compared;
            }
            const auto best =
                std::max_element(result.Lines.begin(), result.Lines.end(),
                                 [](const auto& a, const auto& b) { return a.Value < b.Value; });
            EXPECT_EQ(result.Value, best->Value);
        }
    }
    EXPECT_GT(compared, 300);
}

// A Master keeps his table from game to game: what he found for one rule set must not answer for
// another, so the start of every rule set comes out as a fresh Master finds it.
TEST(Meister, TableOfAnotherRuleSetDoesNotAnswer) {
    TMeister kept(16);
    for (bool head : {false, true})
        for (int variante = 1; variante <= 6; ++variante) {
            const TFeld start = test::StartFeld(variante, 4, head);
            TMeister fresh(16);
            const TMeisterResult expected = fresh.Search(start, DepthLimit(6, true));
            const TMeisterResult found = kept.Search(start, DepthLimit(6, true));
            ASSERT_EQ(found.Lines.size(), expected.Lines.size());
            for (size_t k = 0; k < found.Lines.size(); ++k)
                EXPECT_EQ(found.Lines[k].Value, expected.Lines[k].Value)
                    << "rule set " << variante << " head pits " << head << " pit " << found.Lines[k].Pit;
        }
}

// Endgames of every rule set in which a plain search of a few moves proves a win: the Master
// finds a winning pit and says in how many moves.
TEST(Meister, FindsTheForcedWinsAFixedDepthProves) {
    TMeister meister(14);
    std::array<int, 7> found{};
    for (const TFeld& feld : RandomPositions(60, 80, 5, 3)) {
        if (feld.HasNoLegalMove() || feld.StonesInPlay() > 14) continue;
        for (int depth = 1; depth <= 5; depth += 2) {
            std::vector<int> winning;
            int bestPlain = -kMeisterWin - 1;
            for (int pit = 1; pit <= 6; ++pit) {
                if (!feld.IsLegalMove(PitIndex(feld.AktSpieler(), pit))) continue;
                const int value = PlainAfter(feld, pit, depth);
                bestPlain = std::max(bestPlain, value);
            }
            if (MeisterPliesToEnd(bestPlain) == 0 || bestPlain < 0) continue;
            for (int pit = 1; pit <= 6; ++pit)
                if (feld.IsLegalMove(PitIndex(feld.AktSpieler(), pit)) &&
                    PlainAfter(feld, pit, depth) == bestPlain)
                    winning.push_back(pit);
            const TMeisterResult result = meister.Search(feld, DepthLimit(depth));
            EXPECT_EQ(result.Value, bestPlain) << "rule set " << feld.Variante();
            EXPECT_EQ(result.Best, winning) << "rule set " << feld.Variante();
            ++found[feld.Variante()];
            break;
        }
    }
    for (int variante = 1; variante <= 6; ++variante)
        EXPECT_GE(found[variante], 3) << "rule set " << variante;
}

unsigned PitsOf(const std::vector<int>& pits) {
    unsigned mask = 0;
    for (int pit : pits) mask |= 1u << (pit - 1);
    return mask;
}

// The swindle's picture of "Profi" is level 3's own ranking, found with pruning.
TEST(Meister, ExpectsOfProfiThePitsLevelThreeRanksBest) {
    for (const TFeld& feld : RandomPositions(10, 60, 21)) {
        TRandom random([] { return 7u; });
        const TKIChoice profi = TKI::SearchTree(feld, TKI::DepthForLevel(3), random);
        EXPECT_EQ(TKI::ProfiReplies(feld), PitsOf(profi.Best)) << "rule set " << feld.Variante();
    }
}

// Whatever the opponent is expected to play, a position that is not far behind is played as
// without the expectation, and one far behind keeps the value found for it.
TEST(Meister, ASwindleOnlyPlaysPositionsFarBehindAndKeepsTheirValue) {
    TMeister meister(14);
    TMeisterLimits expecting = DepthLimit(6);
    expecting.Expected = [](const TFeld&) { return 1u; };
    int behind = 0, changed = 0;
    for (const TFeld& feld : RandomPositions(30, 80, 31, 3)) {
        if (feld.HasNoLegalMove()) continue;
        const TMeisterResult plain = meister.Search(feld, DepthLimit(6));
        const TMeisterResult swindle = meister.Search(feld, expecting);
        SCOPED_TRACE(::testing::Message() << "rule set " << feld.Variante());
        EXPECT_EQ(swindle.Value, plain.Value);
        if (plain.Value > -kMeisterSwindleBehind) {
            EXPECT_EQ(swindle.Best, plain.Best);
            continue;
        }
        ++behind;
        changed += swindle.Best != plain.Best;
        for (int pit : swindle.Best) EXPECT_TRUE(feld.IsLegalMove(PitIndex(feld.AktSpieler(), pit)));
    }
    EXPECT_GT(behind, 10);
    EXPECT_GT(changed, 0);
}

TEST(Meister, EndsWhenToldToAndWithinItsLimits) {
    const TFeld feld = test::StartFeld(1, 6, true);
    TMeister meister(16);

    // A position count is the deterministic stand-in for the clock: the search looks at both
    // every 1024 positions.
    TMeisterLimits counted;
    counted.Nodes = 50'000;
    const TMeisterResult byNodes = meister.Search(feld, counted);
    EXPECT_GE(byNodes.Nodes, 50'000);
    EXPECT_LT(byNodes.Nodes, 50'000 + 1024 + 64);
    EXPECT_GE(byNodes.Depth, 1);

    std::atomic<bool> stop{true};
    TMeisterLimits stopped;
    stopped.TimeMs = kMeisterMaxMs;
    stopped.Stop = &stop;
    const TMeisterResult atOnce = meister.Search(feld, stopped);
    EXPECT_LT(atOnce.Nodes, 64);
    EXPECT_TRUE(feld.IsLegalMove(atOnce.Pit));
    TKI ki(feld);
    ki.SetLevel(kMeisterLevel);
    ki.SetMasterTime(kMeisterMaxMs);
    ki.SetStopFlag(&stop);
    const TKIChoice stoppedChoice = ki.Choose();
    EXPECT_LT(stoppedChoice.Simulated, 64);
    EXPECT_TRUE(feld.IsLegalMove(stoppedChoice.Pit));

    // Loosely timed: a search that ignored its budget would run far longer than this.
    TMeisterLimits timed;
    timed.TimeMs = kMeisterMinMs;
    const auto began = std::chrono::steady_clock::now();
    const TMeisterResult inTime = meister.Search(feld, timed);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    EXPECT_LT(seconds, 1.0);
    EXPECT_GE(inTime.Depth, 1);
}

} // namespace
} // namespace kelani
