// Endgame tables: building the table of each rule set and head-pit option (positions per second
// and the packed file's size) and looking a position up (target: under 1 microsecond). The tables
// cover KELANI_TABLE_STONES stones in the pits, 8 unless set (kelanitool builds 16 for rule sets
// 2 and 4 to 6); `KELANI_TABLE_STONES=16 bench_endgame` gives the figures of the real tables.
#include "game/uEndgameBuild.h"
#include "records/uEndgameFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>

namespace {

using namespace kelani;

int TableStones() {
    const char* stones = std::getenv("KELANI_TABLE_STONES");
    return stones ? std::atoi(stones) : 8;
}

std::string Label(int variante, bool head) {
    return "rule set " + std::to_string(variante) + (head ? " with" : " without") + " head pits, " +
           std::to_string(TableStones()) + " stones";
}

void BM_Build(benchmark::State& state) {
    const int variante = static_cast<int>(state.range(0));
    const bool head = state.range(1) != 0;
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("kelani-bench-endgame-" + std::to_string(::getpid()) + ".kte");
    uintmax_t bytes = 0;
    for (auto _ : state) {
        const TEndgameTable table = BuildEndgameTable(variante, head, TableStones());
        state.PauseTiming();
        WriteEndgameTable(file, table);
        bytes = std::filesystem::file_size(file);
        state.ResumeTiming();
    }
    std::filesystem::remove(file);
    state.SetItemsProcessed(state.iterations() *
                            static_cast<int64_t>(TEndgameTable::EntryCount(variante, TableStones())));
    state.counters["file_bytes"] = static_cast<double>(bytes);
    state.SetLabel(Label(variante, head));
}
BENCHMARK(BM_Build)
    ->ArgsProduct({{1, 2, 3, 4, 5, 6}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// Random positions the table covers, looked up one after the other as a search would.
void BM_Lookup(benchmark::State& state) {
    const int variante = static_cast<int>(state.range(0));
    static std::map<int, TEndgameTable> tables;
    if (!tables.count(variante)) tables.emplace(variante, BuildEndgameTable(variante, true, TableStones()));
    const TEndgameTable& table = tables.at(variante);
    std::mt19937 rng(1);
    std::vector<TFeld> positions(4096);
    for (TFeld& feld : positions) {
        feld.SetVariante(variante);
        feld.SetUseStirnmulde(true);
        feld.Reset();
        for (int i = 1; i <= kPlaces; ++i) feld.SetMulde(i, 0);
        for (int k = static_cast<int>(rng() % (TableStones() + 1)); k > 0; --k) {
            const int pit = 1 + static_cast<int>(rng() % 12);
            feld.SetMulde(pit <= 6 ? pit : pit + 1, feld.Mulde(pit <= 6 ? pit : pit + 1) + 1);
        }
        feld.SetAktSpieler(1 + static_cast<int>(rng() % 2));
    }
    size_t k = 0;
    for (auto _ : state) benchmark::DoNotOptimize(table.Margin(positions[k++ % positions.size()]));
    state.SetLabel(Label(variante, true));
}
BENCHMARK(BM_Lookup)->Arg(3)->Arg(4)->Unit(benchmark::kNanosecond);

} // namespace

BENCHMARK_MAIN();
