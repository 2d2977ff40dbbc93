#include "tools/art/Stones.h"

#include "tools/art/ArtKit.h"
#include "tools/art/BoardGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kelani::art {

namespace {

constexpr int kSuper = 4;

// Natural pebble colours: slate, sandstone, jasper, moss, quartz, basalt, ochre, rose granite.
const std::array<QColor, 8> kPalette{QColor(86, 100, 118), QColor(198, 160, 112), QColor(150, 62, 44),
                                     QColor(98, 122, 84),  QColor(220, 212, 192), QColor(56, 54, 58),
                                     QColor(188, 132, 58), QColor(176, 120, 112)};

struct TPixel {
    float r = 0, g = 0, b = 0, a = 0;
};

// Premultiplied float canvas at kSuper times the output size.
class TCanvas {
public:
    TCanvas(int w, int h) : w_(w * kSuper), h_(h * kSuper), px_(std::size_t(w_) * h_) {}
    int W() const { return w_; }
    int H() const { return h_; }
    void Over(int x, int y, float r, float g, float b, float a) {
        TPixel& p = px_[std::size_t(y) * w_ + x];
        p.r = r * a + p.r * (1 - a);
        p.g = g * a + p.g * (1 - a);
        p.b = b * a + p.b * (1 - a);
        p.a = a + p.a * (1 - a);
    }
    QImage Result() const {
        QImage out(w_ / kSuper, h_ / kSuper, QImage::Format_ARGB32_Premultiplied);
        const float n = kSuper * kSuper;
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x) {
                TPixel s;
                for (int j = 0; j < kSuper; ++j)
                    for (int i = 0; i < kSuper; ++i) {
                        const TPixel& p = px_[std::size_t(y * kSuper + j) * w_ + x * kSuper + i];
                        s.r += p.r, s.g += p.g, s.b += p.b, s.a += p.a;
                    }
                out.setPixel(
                    x, y,
                    qRgba(Clamp255(s.r / n), Clamp255(s.g / n), Clamp255(s.b / n), Clamp255(s.a * 255 / n)));
            }
        return out;
    }

private:
    int w_, h_;
    std::vector<TPixel> px_;
};

double SmoothStep(double e0, double e1, double x) {
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Stone-local coordinates of a canvas point: rotated, in units of the half axes.
struct TLocal {
    double u, v;
};
TLocal ToLocal(const TStone& s, double x, double y) {
    const double dx = x - s.centre.x() * kSuper, dy = y - s.centre.y() * kSuper;
    const double c = std::cos(s.angle), sn = std::sin(s.angle);
    return {(dx * c + dy * sn) / (s.rx * kSuper), (-dx * sn + dy * c) / (s.ry * kSuper)};
}

void PaintShadow(TCanvas& cv, const TStone& s, int scale) {
    TStone sh = s;
    sh.centre += QPointF(1.0, 1.8) * scale;
    sh.rx *= 1.08;
    sh.ry *= 1.02;
    for (int y = 0; y < cv.H(); ++y)
        for (int x = 0; x < cv.W(); ++x) {
            const TLocal l = ToLocal(sh, x + 0.5, y + 0.5);
            const double d = std::sqrt(l.u * l.u + l.v * l.v);
            if (d < 1.3) cv.Over(x, y, 0.08f, 0.05f, 0.03f, float(0.6 * (1 - SmoothStep(0.6, 1.25, d))));
        }
}

// Lit colour of one point of a stone, or alpha 0 outside it.
TPixel StonePoint(const TStone& s, double x, double y) {
    const TLocal l = ToLocal(s, x, y);
    const double theta = std::atan2(l.v, l.u);
    const double edge =
        1 + 0.055 * std::sin(2 * theta + (s.seed % 7)) + 0.035 * std::sin(3 * theta + (s.seed % 11));
    const double rho = std::sqrt(l.u * l.u + l.v * l.v) / edge;
    if (rho >= 1) return {};
    // A flattened dome: pebbles are rounder at the rim than on top.
    const double z = std::pow(1 - rho * rho, 0.6);
    const double c = std::cos(s.angle), sn = std::sin(s.angle);
    double nx = l.u / edge * 0.9, ny = l.v / edge * 0.9, nz = z * 1.1;
    const double rx = nx * c - ny * sn, ry = nx * sn + ny * c;
    const double len = std::sqrt(rx * rx + ry * ry + nz * nz);
    nx = rx / len, ny = ry / len, nz /= len;
    const double diffuse = std::max(0.0, -0.48 * nx - 0.56 * ny + 0.675 * nz);
    const double bounce = std::max(0.0, 0.5 * nx + 0.6 * ny + 0.2 * nz);
    const double hx = -0.48, hy = -0.56, hz = 1.675, hl = std::sqrt(hx * hx + hy * hy + hz * hz);
    const double ndoth = std::max(0.0, (nx * hx + ny * hy + nz * hz) / hl);
    const double spec = 0.95 * std::pow(ndoth, 70) + 0.12 * std::pow(ndoth, 8);
    // Mottled stone with a few fine veins.
    const double mu = l.u * 3.0 + s.seed % 97, mv = l.v * 3.0 + s.seed % 89;
    const double mottle = 0.86 + 0.28 * Fbm(mu, mv, 4, s.seed);
    const double vein = std::abs(std::sin(Fbm(mu * 0.6, mv * 0.6, 3, s.seed + 7) * 18));
    const double veinMix = vein < 0.1 ? 0.35 * (1 - vein / 0.1) : 0.0;
    const double rim = 1 - 0.3 * SmoothStep(0.8, 1.0, rho);
    const double light = (0.32 + 0.82 * diffuse + 0.14 * bounce) * rim;
    auto channel = [&](int base) {
        const double stone = base * mottle * (1 - veinMix) + 235 * veinMix;
        return float(std::min(255.0, stone * light + 255 * spec));
    };
    return {channel(s.colour.red()), channel(s.colour.green()), channel(s.colour.blue()), 1.f};
}

void PaintStoneBody(TCanvas& cv, const TStone& s) {
    const int x0 = std::max(0, int((s.centre.x() - s.rx * 1.2 - 1) * kSuper));
    const int x1 = std::min(cv.W(), int((s.centre.x() + s.rx * 1.2 + 1) * kSuper));
    const int y0 = std::max(0, int((s.centre.y() - s.rx * 1.2 - 1) * kSuper));
    const int y1 = std::min(cv.H(), int((s.centre.y() + s.rx * 1.2 + 1) * kSuper));
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const TPixel p = StonePoint(s, x + 0.5, y + 0.5);
            if (p.a > 0) cv.Over(x, y, p.r, p.g, p.b, 1.f);
        }
}

// Stone positions of each pile relative to the pile's centre, back to front; the last stones of
// the bigger piles lie on top of the others. Piles of five and six also lie in the head pits at
// anchors only 51 pixels from the pit's right edge, so they stay narrow on the right.
struct TPlace {
    double x, y;
};
const std::array<std::vector<TPlace>, 10> kPiles{{
    {},
    {{0, 0}},
    {{5, -5}, {-3, 3}},
    {{5, -6}, {-3, 3}, {13, 3}},
    {{-9, -5}, {9, -6}, {-7, 6}, {10, 5}},
    {{-9, -4}, {8, -5}, {-8, 7}, {8, 6}, {1, -3}},
    {{-12, -7}, {5, -9}, {10, -2}, {-14, 5}, {3, 6}, {-2, -3}},
    {{-12, -8}, {6, -9}, {16, -2}, {-15, 5}, {3, 7}, {-3, -4}, {9, 0}},
    {{-16, -8}, {2, -10}, {18, -6}, {-17, 5}, {0, 6}, {17, 7}, {-6, -3}, {9, -2}},
    {{-19, -8}, {0, -10}, {19, -8}, {-20, 5}, {-1, 7}, {19, 6}, {-10, -3}, {10, -3}, {0, -6}},
}};

// The pile's centre inside its picture, chosen so that the offsets D(n) put every pile on the
// middle of the pit floor (38, 29) to the right of and below the stone origin.
QPointF PileCentre(int n) {
    const QPoint d = PileOffset(n);
    return QPointF(38.5 - d.x(), 29.5 - d.y());
}

} // namespace

TStone MakeStone(QPointF centre, double size, std::uint32_t seed) {
    TRng rng(seed * 2654435761u + 12345u);
    for (int i = 0; i < 3; ++i) rng.Next();
    const QColor colour = kPalette[rng.Next() % kPalette.size()];
    const double scale = size * rng.Range(0.9, 1.08);
    return {centre, scale, scale * rng.Range(0.7, 0.8), rng.Range(-0.5, 0.5), colour, rng.Next()};
}

QImage PaintStones(const std::vector<TStone>& stones, int width, int height, int scale) {
    TCanvas cv(width * scale, height * scale);
    for (TStone s : stones) {
        s.centre *= scale;
        s.rx *= scale;
        s.ry *= scale;
        PaintShadow(cv, s, scale);
        PaintStoneBody(cv, s);
    }
    return cv.Result();
}

QColor PitFloorColour() {
    return QColor(132, 88, 48);
}

QImage PaintPile(int n, int scale) {
    const QPointF c = PileCentre(n);
    std::vector<TStone> stones;
    double right = 0, bottom = 0;
    for (std::size_t i = 0; i < kPiles[n].size(); ++i) {
        const TPlace& p = kPiles[n][i];
        // Stones listed after the bottom layer lie on the others: lift them a little.
        const bool onTop = n >= 5 && i + 1 == kPiles[n].size();
        TStone s = MakeStone(c + QPointF(p.x, p.y - (onTop ? 3 : 0)), 10.5, std::uint32_t(n * 31 + i));
        right = std::max(right, s.centre.x() + s.rx + 3);
        bottom = std::max(bottom, s.centre.y() + s.ry + 4);
        stones.push_back(s);
    }
    const QImage soft = PaintStones(stones, int(std::ceil(right)), int(std::ceil(bottom)), scale);
    const QColor floor = PitFloorColour();
    QImage out(soft.size(), QImage::Format_RGB32);
    for (int y = 0; y < soft.height(); ++y)
        for (int x = 0; x < soft.width(); ++x) {
            const QRgb p = soft.pixel(x, y);
            const double a = qAlpha(p) / 255.0;
            if (a < 0.3) {
                out.setPixel(x, y, qRgb(255, 0, 0));
                continue;
            }
            // Blend the soft edge against the pit floor, never landing on the key colour itself.
            int r = Clamp255(qRed(p) + floor.red() * (1 - a));
            const int g = Clamp255(qGreen(p) + floor.green() * (1 - a));
            const int b = Clamp255(qBlue(p) + floor.blue() * (1 - a));
            if (r == 255 && g == 0 && b == 0) r = 254;
            out.setPixel(x, y, qRgb(r, g, b));
        }
    return out;
}

QImage PaintHintStone(int size) {
    TStone s = MakeStone(QPointF(size / 2.0 - 0.5, size / 2.0 - 0.5), size * 0.4, 3);
    s.ry = s.rx * 0.82;
    s.colour = kPalette[0];
    return PaintStones({s}, size, size);
}

} // namespace kelani::art
