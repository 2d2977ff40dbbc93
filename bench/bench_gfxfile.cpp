// Start-up cost of the pictures: opening a painted container and decoding its entries, as the
// board view, the hands and the controller do once when the game starts.
#include "components/uFolders.h"
#include "view/uTGFXFile.h"

#include <QFileInfo>
#include <benchmark/benchmark.h>

#include <string>

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

// Every picture of the board and its pit rims at `scale` pixels per point, as the board loads them
// when it is first shown or changes its scale: from the @2x containers at 2, or enlarged from the
// plain ones where a theme has none.
void BM_LoadBoardPictures(benchmark::State& state) {
    if (!Painted(state, "game.gfx")) return;
    const int scale = int(state.range(0));
    for (auto _ : state) {
        const TGFXFile game = OpenGfxFile(QStringLiteral("game.gfx"), scale);
        QImage picture;
        game.LoadJPEG("bg.jpg", picture);
        benchmark::DoNotOptimize(FitScale(picture, scale));
        for (const char* name :
             {"golden.bmp", "de_overview.bmp", "de_preview.bmp", "us_overview.bmp", "us_preview.bmp"}) {
            game.LoadBitmap(name, picture);
            benchmark::DoNotOptimize(FitScale(picture, scale));
        }
        const TGFXFile rims = OpenGfxFile(QStringLiteral("mulden.gfx"), scale);
        for (int place : {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13}) {
            rims.LoadBitmap("mst" + std::to_string(place) + ".bmp", picture);
            benchmark::DoNotOptimize(FitScale(picture, scale));
        }
    }
}
BENCHMARK(BM_LoadBoardPictures)->ArgName("scale")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kelani

BENCHMARK_MAIN();
