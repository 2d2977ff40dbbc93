// Cost of one hand-animation frame (full board copy, four hands, a held pile) and of one pit
// repaint, on pictures of the board's real sizes: at 1x, and at 2x (four times the pixels, as
// composed for high-density screens). The hand frame must stay well inside the animation's 50 ms
// steps; the target at 2x is under 5 ms.
#include "view/uContrast.h"
#include "view/uTHands.h"
#include "view/uTSpielfeldLayers.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

using namespace kelani;

namespace {

// `size` points of noise at `scale` pixels per point.
QImage Noise(QSize size, uint32_t seed, int scale) {
    QImage image(size * scale, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            image.setPixel(x, y, 0xFF000000u | (seed >> 8));
        }
    image.setDevicePixelRatio(scale);
    return image;
}

// A hand as large as its hot spot needs: an ellipse of skin on black, its mask the reverse.
TKelaniHand Hand(QPoint hot, int scale) {
    const QSize size = QSize(hot.x() + 120, hot.y() + 100) * scale;
    TKelaniHand hand{QImage(size, QImage::Format_RGB32), QImage(size, QImage::Format_RGB32)};
    hand.Picture.fill(Qt::black);
    hand.Mask.fill(Qt::white);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const double dx = double(x - hot.x() * scale) / (110 * scale);
            const double dy = double(y - hot.y() * scale) / (95 * scale);
            if (dx * dx + dy * dy > 1) continue;
            hand.Picture.setPixel(x, y, qRgb(230, 180, 150));
            hand.Mask.setPixel(x, y, qRgb(0, 0, 0));
        }
    hand.Picture.setDevicePixelRatio(scale);
    hand.Mask.setDevicePixelRatio(scale);
    return hand;
}

std::array<QImage, 9> Piles(int scale) {
    std::array<QImage, 9> piles;
    for (QImage& pile : piles) {
        pile = Noise({48, 40}, 7, scale);
        for (int y = 0; y < pile.height(); y += 3) pile.setPixel(0, y, qRgb(255, 0, 0));
    }
    return piles;
}

std::array<QImage, 15> Rims(int scale) {
    std::array<QImage, 15> rims;
    for (int place = 1; place <= 13; ++place) rims[place] = Noise({66, 26}, place, scale);
    return rims;
}

struct Scene {
    explicit Scene(int scale_) : scale(scale_) { Setup(); }
    int scale;
    QImage background = Noise({720, 520}, 1, scale);
    QImage board = background.copy();
    QImage frame = background.copy();
    TCanvas source{background};
    TCanvas dest{board};
    TSpielfeldLayers layers{source, dest, [] { return true; }, std::make_unique<TGFXSteine>(Piles(scale)),
                            std::make_unique<TGFXMulden>(Rims(scale))};
    TKelaniHands hands;

    void Setup() {
        hands.BoardImage = &board;
        hands.FrameImage = &frame;
        hands.SteinBilder = layers.GFXSteine.get();
        const std::array<QPoint, 3> pickHot = {{{}, {213, 340}, {427, 140}}};
        const std::array<QPoint, 3> sowHot = {{{}, {460, 383}, {180, 97}}};
        for (int h = 1; h <= 2; ++h) {
            hands.PickFrames[h][11] = Hand(pickHot[h], scale);
            hands.SowFrames[h][4] = Hand(sowHot[h], scale);
            hands.PickFrame[h] = 11;
            hands.SowFrame[h] = 4;
            hands.PickStones[h] = 7;
        }
        hands.PickPos = {QPoint(), QPoint(330, 185), QPoint(330, 265)};
        hands.SowPos = {QPoint(), QPoint(200, 200), QPoint(460, 260)};
    }
};

void BM_HandFrame(benchmark::State& state) {
    Scene scene(int(state.range(0)));
    for (auto _ : state) {
        scene.hands.Render();
        benchmark::DoNotOptimize(scene.frame.constBits());
    }
}
BENCHMARK(BM_HandFrame)->ArgName("scale")->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_PitRepaint(benchmark::State& state) {
    Scene scene(int(state.range(0)));
    int n = 0;
    for (auto _ : state) {
        scene.layers.FeldLayers[3]->SetValue(1 + n++ % 12);
        benchmark::DoNotOptimize(scene.board.constBits());
    }
}
BENCHMARK(BM_PitRepaint)->ArgName("scale")->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_HeadPitRepaint(benchmark::State& state) {
    Scene scene(int(state.range(0)));
    int n = 0;
    for (auto _ : state) {
        scene.layers.FeldLayers[14]->SetValue(1 + n++ % 20);
        benchmark::DoNotOptimize(scene.board.constBits());
    }
}
BENCHMARK(BM_HeadPitRepaint)->ArgName("scale")->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// High contrast on the window's copy of the board, as every paint does while it is switched on.
void BM_HighContrast(benchmark::State& state) {
    Scene scene(int(state.range(0)));
    for (auto _ : state) {
        QImage picture = scene.frame;
        RaiseContrast(picture);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_HighContrast)->ArgName("scale")->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
