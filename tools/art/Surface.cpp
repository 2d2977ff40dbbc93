#include "tools/art/Surface.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kelani::art {

TSurface::TSurface(int width, int height_, int scale_)
    : scale(scale_), height(width * scale_, height_ * scale_),
      albedo(std::size_t(height.w) * height.h, qRgb(0, 0, 0)), sheen(height.w, height.h),
      ambient(height.w, height.h) {}

TField TSurface::Mask(const QPainterPath& path) const {
    return PathMask(ToPixels(path, scale), Width(), Height());
}

void TSurface::Paint(const TField& mask, const std::function<QRgb(double x, double y)>& colour) {
    for (int y = 0; y < Height(); ++y)
        for (int x = 0; x < Width(); ++x) {
            const float m = mask.at(x, y);
            if (m <= 0) continue;
            const QRgb c = colour(Pt(x), Pt(y));
            QRgb& a = Albedo(x, y);
            a = m >= 1 ? c : Mix(QColor(a), QColor(c), m).rgb();
        }
}

void TSurface::Raise(const TField& mask, float amount) {
    for (std::size_t i = 0; i < height.v.size(); ++i) height.v[i] += amount * scale * mask.v[i];
}

QImage TSurface::Render(float shadowSlope) const {
    const TField lit = CastShadows(height, shadowSlope, 28 * scale, 3.f * scale);
    QImage out(Width(), Height(), QImage::Format_RGB32);
    for (int y = 0; y < Height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < Width(); ++x) {
            const float spec = sheen.at(x, y);
            const float shade = Shade(height, x, y, 0.f);
            const float light = shade * (0.55f + 0.45f * lit.at(x, y)) * (1 - ambient.at(x, y));
            const QRgb a = albedo[std::size_t(y) * Width() + x];
            // Sheen only where the cast-shadow test lets the light through.
            const float gloss = spec > 0 ? (Shade(height, x, y, spec) - shade) * lit.at(x, y) * 255 : 0;
            line[x] = qRgb(Clamp255(qRed(a) * light + gloss), Clamp255(qGreen(a) * light + gloss),
                           Clamp255(qBlue(a) * light + gloss));
        }
    }
    return out;
}

TField PathMask(const QPainterPath& path, int width, int height) {
    QImage img(width, height, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(path, Qt::white);
    p.end();
    return AlphaOf(img);
}

QPainterPath ToPixels(const QPainterPath& path, int scale) {
    return QTransform::fromScale(scale, scale).map(path);
}

QRgb WoodColour(const TWood& wood, double x, double y) {
    // Long, gently wavering grain along x with fine streaks and pores.
    const double warp = Fbm(x * 0.003, y * 0.012, 4, wood.seed) * 5.0;
    const double t = y * wood.ringsPerPixel + warp;
    const double ring = std::pow(std::abs(std::sin(3.14159265 * t)), 0.6);
    const double streak = Fbm(x * 0.008, y * 0.6, 3, wood.seed + 17);
    const double pores = ValueNoise(x * 0.4, y * 2.2, wood.seed + 31);
    double k = 0.35 * ring + 0.5 * streak + 0.15 * pores;
    k = std::clamp((k - 0.2) * 1.6, 0.0, 1.0);
    const double tone = 0.9 + 0.2 * Fbm(x * 0.006, y * 0.012, 3, wood.seed + 5);
    const QColor c = Mix(wood.dark, wood.light, k);
    return qRgb(Clamp255(c.red() * tone), Clamp255(c.green() * tone), Clamp255(c.blue() * tone));
}

TField CastShadows(const TField& height, float slope, int maxSteps, float penumbra) {
    // Step toward the light; a point is shaded by any height that rises above the light ray.
    constexpr float dx = -0.65f, dy = -0.76f;
    TField lit(height.w, height.h, 1.f);
    for (int y = 0; y < height.h; ++y)
        for (int x = 0; x < height.w; ++x) {
            const float h0 = height.at(x, y);
            float block = 0;
            for (int s = 1; s <= maxSteps; ++s) {
                const float rise = height.Sample(x + dx * s, y + dy * s) - h0 - slope * s;
                block = std::max(block, rise);
            }
            // A soft penumbra: the deeper below the ray, the darker.
            lit.at(x, y) = 1.f - std::clamp(block / penumbra, 0.f, 1.f);
        }
    return lit;
}

} // namespace kelani::art
