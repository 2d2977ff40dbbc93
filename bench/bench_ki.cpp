// The computer's level-3 decision from mid-game positions of every rule set, and raw simulated
// moves (copy + whole move) per second. Target: every level-3 decision under 1 ms, the starts
// included. The Master: positions searched per second (target: 10 million on one core) and how
// far past its budget it returns (target: within 50 ms).
#include "game/uTKI.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>

namespace {

using namespace kelani;

struct MidGame {
    int variante;
    bool heads;
    int player;
    std::array<int, 14> places;
};

// Positions reached by random play from the start with 4 stones, one per rule set and option.
constexpr MidGame kPositions[] = {
    {1, false, 1, {0, 2, 0, 0, 0, 0, 11, 11, 0, 0, 2, 1, 0, 21}},
    {1, true, 1, {3, 0, 4, 0, 4, 2, 16, 5, 0, 0, 1, 2, 0, 11}},
    {2, false, 2, {0, 2, 0, 2, 2, 11, 8, 3, 2, 9, 8, 0, 1, 0}},
    {2, true, 1, {7, 2, 7, 0, 7, 1, 2, 6, 6, 5, 1, 0, 0, 4}},
    {3, false, 1, {8, 2, 1, 2, 2, 8, 0, 0, 3, 2, 9, 3, 8, 0}},
    {3, true, 1, {1, 8, 7, 0, 0, 6, 2, 6, 0, 4, 7, 2, 0, 5}},
    {4, false, 1, {1, 2, 2, 8, 2, 4, 2, 4, 10, 0, 0, 9, 0, 4}},
    {4, true, 2, {7, 0, 7, 0, 0, 1, 6, 7, 7, 1, 0, 7, 1, 4}},
    {5, false, 2, {0, 0, 0, 0, 1, 1, 24, 2, 1, 0, 1, 2, 0, 16}},
    {5, true, 2, {0, 0, 0, 0, 0, 1, 27, 3, 0, 0, 0, 0, 1, 16}},
    {6, false, 1, {1, 11, 1, 0, 0, 8, 15, 1, 0, 2, 0, 0, 1, 8}},
    {6, true, 1, {0, 0, 0, 0, 7, 0, 7, 3, 1, 0, 8, 8, 8, 6}},
};

TFeld MakeFeld(const MidGame& position) {
    TFeld feld;
    feld.SetVariante(position.variante);
    feld.SetUseStirnmulde(position.heads);
    feld.SetSteineProMulde(4);
    feld.Reset();
    feld.SetAktSpieler(position.player);
    for (int i = 1; i <= kPlaces; ++i) feld.SetMulde(i, position.places[i - 1]);
    return feld;
}

TFeld StartFeld(int variante) {
    TFeld feld;
    feld.SetVariante(variante);
    feld.SetSteineProMulde(4);
    feld.Reset();
    return feld;
}

void Level3Decision(benchmark::State& state, const TFeld& feld) {
    TRandom random;
    TKI ki(feld, random);
    ki.SetLevel(3);
    for (auto _ : state) benchmark::DoNotOptimize(ki.ChooseMove());
}

void BM_Level3MidGame(benchmark::State& state) {
    const MidGame& position = kPositions[state.range(0)];
    state.SetLabel("rule set " + std::to_string(position.variante) + (position.heads ? " with" : " without") +
                   " head pits");
    Level3Decision(state, MakeFeld(position));
}
BENCHMARK(BM_Level3MidGame)->DenseRange(0, std::size(kPositions) - 1)->Unit(benchmark::kMicrosecond);

void BM_Level3Start(benchmark::State& state) {
    state.SetLabel("rule set " + std::to_string(state.range(0)) + " start, 4 stones");
    Level3Decision(state, StartFeld(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_Level3Start)->DenseRange(1, 6)->Unit(benchmark::kMicrosecond);

// Without a rule against repeating positions a game can circle for ever (rule set 2 does so
// with pits taken in turn), so every game is cut off here.
constexpr int kMaxTurns = 1000;

// Whole games on a copy of the start position, each move on a fresh copy as the search plays
// them; the pits are taken in turn so that the games differ.
void BM_SimulatedMoves(benchmark::State& state) {
    const TFeld start = StartFeld(static_cast<int>(state.range(0)));
    state.SetLabel("rule set " + std::to_string(state.range(0)));
    long moves = 0;
    int turn = 0;
    for (auto _ : state) {
        TFeld feld(start);
        TFeld scratch;
        for (int turns = 0; turns < kMaxTurns && !feld.IsGameOver(); ++turns) {
            int pit = PitIndex(feld.AktSpieler(), 1 + turn++ % 6);
            while (!feld.IsLegalMove(pit) && !feld.HasNoLegalMove())
                pit = PitIndex(feld.AktSpieler(), 1 + turn++ % 6);
            scratch.Assign(feld);
            if (feld.HasNoLegalMove())
                scratch.Skip();
            else
                scratch.DoMove(pit);
            feld.Assign(scratch);
            ++moves;
        }
    }
    state.SetItemsProcessed(moves);
}
BENCHMARK(BM_SimulatedMoves)->DenseRange(1, 6);

// A fixed-depth search of each start (head pits on), the table kept warm between runs as it is
// between the moves of a game.
void BM_MasterPositions(benchmark::State& state) {
    TFeld start = StartFeld(static_cast<int>(state.range(0)));
    start.SetUseStirnmulde(true);
    state.SetLabel("rule set " + std::to_string(state.range(0)) + " start, depth 12");
    TMeister meister;
    TMeisterLimits limits;
    limits.Depth = 12;
    long positions = 0;
    for (auto _ : state) positions += meister.Search(start, limits).Nodes;
    state.counters["positions/s"] =
        benchmark::Counter(static_cast<double>(positions), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MasterPositions)->DenseRange(1, 6)->Unit(benchmark::kMillisecond);

// How long a search with the budget takes by the clock, past the budget.
void BM_MasterBudget(benchmark::State& state) {
    const int budget = static_cast<int>(state.range(0));
    const TFeld start = StartFeld(3);
    TMeister meister;
    TMeisterLimits limits;
    limits.TimeMs = budget;
    double worst = 0;
    for (auto _ : state) {
        const auto began = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(meister.Search(start, limits));
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - began;
        worst = std::max(worst, took.count() - budget);
    }
    state.counters["overshoot_ms"] = worst;
    state.SetLabel("budget " + std::to_string(budget) + " ms, rule set 3 start");
}
BENCHMARK(BM_MasterBudget)->Arg(50)->Arg(1000)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
