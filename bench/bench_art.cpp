// How long the build-time painting takes; the art tool runs in every clean build, so its parts
// are measured here: the board with its lighting and cast shadows, the stone piles, the hand
// frames, and packing the containers.
#include "tests/assets/test_art_app.h"
#include "tools/art/Board.h"
#include "tools/art/Containers.h"
#include "tools/art/Hands.h"
#include "tools/art/Stones.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace kelani::art {
namespace {

void BM_PaintBoard(benchmark::State& state) {
    EnsureArtApplication();
    for (auto _ : state) benchmark::DoNotOptimize(PaintBoard());
}
BENCHMARK(BM_PaintBoard)->Unit(benchmark::kMillisecond);

void BM_PaintPiles(benchmark::State& state) {
    for (auto _ : state)
        for (int n = 1; n <= 9; ++n) benchmark::DoNotOptimize(PaintPile(n));
}
BENCHMARK(BM_PaintPiles)->Unit(benchmark::kMillisecond);

void BM_PaintHandFrames(benchmark::State& state) {
    EnsureArtApplication();
    for (auto _ : state) benchmark::DoNotOptimize(PaintAllHandFrames());
}
BENCHMARK(BM_PaintHandFrames)->Unit(benchmark::kMillisecond);

void BM_BuildAndPackContainers(benchmark::State& state) {
    EnsureArtApplication();
    const QImage board = PaintBoard();
    QTemporaryDir dir;
    for (auto _ : state)
        for (const TContainer& c : BuildContainers(board)) WriteContainer(c, dir.path().toStdString());
}
BENCHMARK(BM_BuildAndPackContainers)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
} // namespace kelani::art
BENCHMARK_MAIN();
