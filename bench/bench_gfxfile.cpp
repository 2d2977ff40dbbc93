// Start-up cost of the pictures: opening a painted container and decoding its entries, as the
// board view, the hands and the controller do once when the game starts.
#include "components/uPlatform.h"
#include "view/uTGFXFile.h"

#include <QFileInfo>
#include <benchmark/benchmark.h>

namespace kelani {
namespace {

bool Painted(benchmark::State& state, const char* container) {
    SetProgramFolderForTests(QStringLiteral(KELANI_PROGRAM_DIR));
    if (QFileInfo::exists(QStringLiteral(KELANI_PROGRAM_DIR "/") + container)) return true;
    state.SkipWithError("the containers have not been painted in this build");
    return false;
}

// The hand animation's 40 bitmaps: the largest container.
void BM_LoadAllHands(benchmark::State& state) {
    if (!Painted(state, "hands.gfx")) return;
    for (auto _ : state) {
        TGFXFile gfx = OpenGfxFile(QStringLiteral("hands.gfx"));
        QImage picture;
        auto load = [&](const char* player, const char* kind, int frame) {
            gfx.LoadBitmap(QString::asprintf("%s%s-hand%4.4d.bmp", player, kind, frame).toStdString(),
                           picture);
            benchmark::DoNotOptimize(picture);
        };
        for (const char* player : {"t", ""}) {
            for (const char* kind : {"pl", "ml"})
                for (int frame : {0, 1, 3, 5, 7, 9, 11}) load(player, kind, frame);
            for (const char* kind : {"pr", "mr"})
                for (int frame : {0, 2, 4}) load(player, kind, frame);
        }
    }
}
BENCHMARK(BM_LoadAllHands)->Unit(benchmark::kMillisecond);

// Reading and unpacking the same container without decoding a picture: the container's share.
void BM_OpenHandsContainer(benchmark::State& state) {
    if (!Painted(state, "hands.gfx")) return;
    for (auto _ : state) benchmark::DoNotOptimize(OpenGfxFile(QStringLiteral("hands.gfx")));
}
BENCHMARK(BM_OpenHandsContainer)->Unit(benchmark::kMillisecond);

// The 720 x 520 board background through libjpeg.
void BM_LoadBackgroundJpeg(benchmark::State& state) {
    if (!Painted(state, "game.gfx")) return;
    const TGFXFile gfx = OpenGfxFile(QStringLiteral("game.gfx"));
    QImage picture;
    for (auto _ : state) {
        gfx.LoadJPEG("bg.jpg", picture);
        benchmark::DoNotOptimize(picture);
    }
}
BENCHMARK(BM_LoadBackgroundJpeg)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kelani

BENCHMARK_MAIN();
