// Endgame tables: every value agrees with a search to the end of the game, the exact values above
// a table too, and the Master plays a best move wherever a table reaches.
#include "game/uEndgameBuild.h"
#include "game/uTKI.h"
#include "tests/game/GameTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <random>
#include <unordered_map>
#include <vector>

namespace kelani {
namespace {

constexpr int kStones = 5;

int Gain(const TFeld& before, const TFeld& after) {
    const int mover = before.AktSpieler();
    return (after.Store(mover) - before.Store(mover)) -
           (after.Store(Opponent(mover)) - before.Store(Opponent(mover)));
}

// Every move of the player to move (pit and position after it), or his pass as pit 0.
std::vector<std::pair<int, TFeld>> Moves(const TFeld& pos) {
    std::vector<std::pair<int, TFeld>> moves;
    for (int pit = 1; pit <= 6; ++pit) {
        if (!pos.IsLegalMove(PitIndex(pos.AktSpieler(), pit))) continue;
        moves.emplace_back(pit, pos);
        moves.back().second.DoMove(PitIndex(pos.AktSpieler(), pit));
    }
    if (moves.empty() && !pos.IsGameOver()) {
        moves.emplace_back(0, pos);
        moves.back().second.Skip();
    }
    return moves;
}

// What decides the rest of the game: the twelve pits, the player to move and his move in the
// turn (stores change no move).
using Key = std::array<int, 14>;

struct KeyHash {
    size_t operator()(const Key& key) const {
        size_t hash = 0;
        for (int part : key) hash = hash * 1000003u + static_cast<size_t>(part);
        return hash;
    }
};

Key KeyOf(const TFeld& feld) {
    Key key{};
    for (int n = 1; n <= 6; ++n) {
        key[n - 1] = feld.Mulde(n);
        key[n + 5] = feld.Mulde(n + 7);
    }
    key[12] = feld.AktSpieler();
    key[13] = feld.ZuegeInRunde();
    return key;
}

int PitStones(const TFeld& feld) {
    return feld.RowSum(1) + feld.RowSum(2);
}

// The margin of the stones in the pits for the player to move in every position reachable from
// `roots`. Stones only leave the pits, so the positions are valued by the stones left, fewest
// first; those with the same stones by a search that looks deeper each round, a line cut off
// counting as a draw of the stones left, until a round changes nothing.
std::unordered_map<Key, int, KeyHash> DeepenedValues(std::vector<TFeld> positions) {
    struct Move {
        int Gain;
        int Sign; // -1 when the turn passes
        size_t Child;
    };
    std::unordered_map<Key, size_t, KeyHash> ids;
    for (size_t id = 0; id < positions.size(); ++id) ids.emplace(KeyOf(positions[id]), id);
    std::vector<std::vector<Move>> moves;
    for (size_t id = 0; id < positions.size(); ++id) {
        const TFeld pos = positions[id];
        moves.emplace_back();
        for (const auto& [pit, child] : Moves(pos)) {
            const auto [it, added] = ids.emplace(KeyOf(child), positions.size());
            if (added) positions.push_back(child);
            moves[id].push_back(
                {Gain(pos, child), child.AktSpieler() == pos.AktSpieler() ? 1 : -1, it->second});
        }
    }
    std::vector<std::vector<size_t>> layers;
    for (size_t id = 0; id < positions.size(); ++id) {
        const size_t stones = static_cast<size_t>(PitStones(positions[id]));
        if (layers.size() <= stones) layers.resize(stones + 1);
        if (!moves[id].empty()) layers[stones].push_back(id);
    }
    std::vector<int> value(positions.size(), 0);
    for (const std::vector<size_t>& layer : layers)
        for (bool changed = true; changed;) {
            changed = false;
            for (size_t id : layer) {
                int best = INT_MIN;
                for (const Move& move : moves[id])
                    best = std::max(best, move.Gain + move.Sign * value[move.Child]);
                changed = changed || best != value[id];
                value[id] = best;
            }
        }
    std::unordered_map<Key, int, KeyHash> byKey;
    for (const auto& [key, id] : ids) byKey[key] = value[id];
    return byKey;
}

// Every position with up to `stones` in the pits and empty stores, either player to move, in
// rule set 3 on his first or second move of the turn.
std::vector<TFeld> AllPositions(int variante, bool head, int stones) {
    std::vector<TFeld> all;
    TFeld feld = test::StartFeld(variante, 0, head);
    const auto fill = [&](auto& self, int pit, int left) -> void {
        if (pit == kStirnmulde2) {
            for (int player : {1, 2})
                for (int zuege = 0; zuege <= (variante == 3 ? 1 : 0); ++zuege) {
                    feld.SetAktSpieler(player);
                    feld.SetZuegeInRunde(zuege);
                    all.push_back(feld);
                }
            return;
        }
        if (pit == 7) return self(self, 8, left);
        for (int count = 0; count <= left; ++count) {
            feld.SetMulde(pit, count);
            self(self, pit + 1, left - count);
        }
    };
    fill(fill, 1, stones);
    return all;
}

const TEndgameTable& Table(int variante, bool head) {
    static std::map<std::pair<int, bool>, TEndgameTable> tables;
    auto it = tables.find({variante, head});
    if (it == tables.end())
        it = tables.emplace(std::pair{variante, head}, BuildEndgameTable(variante, head, kStones)).first;
    return it->second;
}

// Every rule set and head-pit option: the table's margin of every position is the deepened
// search's, and one stone above the table so is the exact value of every move.
TEST(Endgame, TablesAndExactValuesAgreeWithAFullSearch) {
    std::mt19937 rng(7);
    for (int variante = 1; variante <= 6; ++variante)
        for (bool head : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "rule set " << variante << " head pits " << head);
            const TEndgameTable& table = Table(variante, head);
            const std::vector<TFeld> positions = AllPositions(variante, head, kStones + 1);
            const auto values = DeepenedValues(positions);
            for (const TFeld& feld : positions) {
                if (PitStones(feld) > kStones) continue;
                ASSERT_EQ(table.Margin(feld), values.at(KeyOf(feld))) << test::PlacesOf(feld)[0];
            }
            for (int k = 0; k < 20; ++k) {
                const TFeld& root = positions[rng() % positions.size()];
                const auto exact = SolveExactly(root, table, 1'000'000);
                ASSERT_TRUE(exact);
                const auto moves = Moves(root);
                ASSERT_EQ(exact->size(), moves.size());
                for (size_t m = 0; m < moves.size(); ++m) {
                    const auto& [pit, child] = moves[m];
                    const int sign = child.AktSpieler() == root.AktSpieler() ? 1 : -1;
                    EXPECT_EQ((*exact)[m].Pit, pit);
                    EXPECT_EQ((*exact)[m].Margin, Gain(root, child) + sign * values.at(KeyOf(child)))
                        << "pit " << pit;
                }
            }
        }
}

// `stones` dropped one by one into random pits, up to 20 in each store (often more than half of
// all stones in one), a random player to move, in rule set 3 on a first or a second move.
TFeld RandomPosition(int variante, bool head, int stones, std::mt19937& rng) {
    TFeld feld = test::StartFeld(variante, 0, head, 1 + static_cast<int>(rng() % 2));
    feld.SetMulde(kStirnmulde1, static_cast<int>(rng() % 21));
    feld.SetMulde(kStirnmulde2, static_cast<int>(rng() % 21));
    for (int k = 0; k < stones; ++k) {
        const int pit = 1 + static_cast<int>(rng() % 12);
        const int place = pit <= 6 ? pit : pit + 1;
        feld.SetMulde(place, feld.Mulde(place) + 1);
    }
    if (variante == 3) feld.SetZuegeInRunde(static_cast<int>(rng() % 2));
    return feld;
}

// Where the table covers the position, the Master knows the exact value of every pit (the store
// difference and the margin of the pits) and plays one of the best, as the game asks him, also
// when the game is decided or lost already; above it, every value his search proves is exact, and
// he proves most of them.
TEST(Endgame, MasterPlaysABestMoveWhereTablesReach) {
    std::mt19937 rng(11);
    TMeister meister(16);
    TMeisterLimits limits;
    limits.Nodes = 50'000;
    limits.AllPits = true;
    TRandom random([] { return 1u; });
    int above = 0, proven = 0;
    for (int variante = 1; variante <= 6; ++variante)
        for (bool head : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "rule set " << variante << " head pits " << head);
            limits.Endgame = &Table(variante, head);
            for (int k = 0; k < 12; ++k) {
                const TFeld feld = RandomPosition(variante, head, kStones - 2 + k % 6, rng);
                if (feld.HasNoLegalMove()) continue;
                const auto exact = SolveExactly(feld, Table(variante, head), 1'000'000);
                ASSERT_TRUE(exact);
                const TMeisterResult result = meister.Search(feld, limits);
                ASSERT_EQ(result.Lines.size(), exact->size());
                const bool covered = PitStones(feld) <= kStones;
                bool allExact = true;
                for (size_t m = 0; m < exact->size(); ++m) {
                    const TMeisterLine& line = result.Lines[m];
                    EXPECT_TRUE(line.Exact || !covered);
                    EXPECT_TRUE(!line.Exact || line.Value == TMeister::Evaluate(feld) + (*exact)[m].Margin)
                        << "pit " << line.Pit;
                    allExact = allExact && line.Exact;
                    above += !covered;
                    proven += !covered && line.Exact;
                }
                if (!allExact) continue;
                int best = INT_MIN;
                for (const TExactMove& move : *exact) best = std::max(best, move.Margin);
                std::vector<int> bestPits;
                for (const TExactMove& move : *exact)
                    if (move.Margin == best) bestPits.push_back(move.Pit);
                EXPECT_EQ(result.Best, bestPits);
                EXPECT_TRUE(result.Exact);
                if (!covered) continue;
                TKI ki(feld, random);
                ki.SetLevel(kMeisterLevel);
                ki.SetEndgame(limits.Endgame);
                const int pit = ki.ChooseMove();
                EXPECT_NE(std::find(bestPits.begin(), bestPits.end(), pit), bestPits.end()) << "pit " << pit;
            }
        }
    EXPECT_GT(2 * proven, above);
}

// A building ends when its progress throws (the game switching rule sets, or closing): it is told
// while a layer is solved too, which takes seconds at 16 stones, not only while positions are set up.
TEST(Endgame, BuildingIsToldItsProgressWhileALayerIsSolved) {
    int told = 0;
    BuildEndgameTable(6, false, 8, [&](double) { ++told; });
    const int settingUp = static_cast<int>(TEndgameTable::LayerOffset(9) / 65536) + 1;
    EXPECT_GT(told, settingUp + 5);
}

// Once his search reaches the tables (here a move of the root's goes into them), a position far
// behind is played for the stones best play keeps, as any other: what the opponent is expected to
// play changes nothing.
TEST(Endgame, MasterGamblesNoStonesOnAMistakeOnceTheTablesAreInReach) {
    std::mt19937 rng(5);
    TMeister meister(16);
    TMeisterLimits plain;
    plain.Depth = 3;
    TMeisterLimits expecting = plain;
    expecting.Expected = [](const TFeld&) { return 1u; };
    int behind = 0;
    for (int variante = 1; variante <= 6; ++variante)
        for (bool head : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "rule set " << variante << " head pits " << head);
            plain.Endgame = expecting.Endgame = &Table(variante, head);
            for (int k = 0; k < 30; ++k) {
                const TFeld feld = RandomPosition(variante, head, kStones + 2 + k % 3, rng);
                const auto moves = Moves(feld);
                if (std::none_of(moves.begin(), moves.end(),
                                 [](const auto& move) { return PitStones(move.second) <= kStones; }))
                    continue;
                const TMeisterResult best = meister.Search(feld, plain);
                EXPECT_EQ(meister.Search(feld, expecting).Best, best.Best);
                behind += best.Value <= -kMeisterSwindleBehind && !best.Exact;
            }
        }
    EXPECT_GT(behind, 5);
}

} // namespace
} // namespace kelani
