// Cost of one hand-animation frame (full board copy, four hands, a held pile) and of one pit
// repaint, on pictures of the board's real sizes.
#include "view/uTHands.h"
#include "view/uTSpielfeldLayers.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

using namespace kelani;

namespace {

QImage Noise(QSize size, uint32_t seed) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            image.setPixel(x, y, 0xFF000000u | (seed >> 8));
        }
    return image;
}

// A hand as large as its hot spot needs: an ellipse of skin on black, its mask the reverse.
TKelaniHand Hand(QPoint hot) {
    const QSize size(hot.x() + 120, hot.y() + 100);
    TKelaniHand hand{QImage(size, QImage::Format_RGB32), QImage(size, QImage::Format_RGB32)};
    hand.Picture.fill(Qt::black);
    hand.Mask.fill(Qt::white);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const double dx = double(x - hot.x()) / 110, dy = double(y - hot.y()) / 95;
            if (dx * dx + dy * dy > 1) continue;
            hand.Picture.setPixel(x, y, qRgb(230, 180, 150));
            hand.Mask.setPixel(x, y, qRgb(0, 0, 0));
        }
    return hand;
}

std::array<QImage, 9> Piles() {
    std::array<QImage, 9> piles;
    for (QImage& pile : piles) {
        pile = Noise({48, 40}, 7);
        for (int y = 0; y < 40; y += 3) pile.setPixel(0, y, qRgb(255, 0, 0));
    }
    return piles;
}

std::array<QImage, 15> Rims() {
    std::array<QImage, 15> rims;
    for (int place = 1; place <= 13; ++place) rims[place] = Noise({66, 26}, place);
    return rims;
}

struct Scene {
    QImage background = Noise({720, 520}, 1);
    QImage board = background.copy();
    QImage frame = background.copy();
    TCanvas source{background};
    TCanvas dest{board};
    TSpielfeldLayers layers{source, dest, [] { return true; }, std::make_unique<TGFXSteine>(Piles()),
                            std::make_unique<TGFXMulden>(Rims())};
    TKelaniHands hands;

    Scene() {
        hands.BoardImage = &board;
        hands.FrameImage = &frame;
        hands.SteinBilder = layers.GFXSteine.get();
        const std::array<QPoint, 3> pickHot = {{{}, {213, 340}, {427, 140}}};
        const std::array<QPoint, 3> sowHot = {{{}, {460, 383}, {180, 97}}};
        for (int h = 1; h <= 2; ++h) {
            hands.PickFrames[h][11] = Hand(pickHot[h]);
            hands.SowFrames[h][4] = Hand(sowHot[h]);
            hands.PickFrame[h] = 11;
            hands.SowFrame[h] = 4;
            hands.PickStones[h] = 7;
        }
        hands.PickPos = {QPoint(), QPoint(330, 185), QPoint(330, 265)};
        hands.SowPos = {QPoint(), QPoint(200, 200), QPoint(460, 260)};
    }
};

void BM_HandFrame(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) {
        scene.hands.Render();
        benchmark::DoNotOptimize(scene.frame.constBits());
    }
}
BENCHMARK(BM_HandFrame)->Unit(benchmark::kMicrosecond);

void BM_PitRepaint(benchmark::State& state) {
    Scene scene;
    int n = 0;
    for (auto _ : state) {
        scene.layers.FeldLayers[3]->SetValue(1 + n++ % 12);
        benchmark::DoNotOptimize(scene.board.constBits());
    }
}
BENCHMARK(BM_PitRepaint)->Unit(benchmark::kMicrosecond);

void BM_HeadPitRepaint(benchmark::State& state) {
    Scene scene;
    int n = 0;
    for (auto _ : state) {
        scene.layers.FeldLayers[14]->SetValue(1 + n++ % 20);
        benchmark::DoNotOptimize(scene.board.constBits());
    }
}
BENCHMARK(BM_HeadPitRepaint)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
