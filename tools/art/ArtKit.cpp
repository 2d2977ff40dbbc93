#include "tools/art/ArtKit.h"

#include <algorithm>
#include <cmath>

namespace kelani::art {

std::uint32_t TRng::Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

namespace {

double Lattice(int x, int y, std::uint32_t seed) {
    std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / double(0xFFFFFF);
}

double Smooth(double t) {
    return t * t * (3 - 2 * t);
}

} // namespace

double ValueNoise(double x, double y, std::uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    const double tx = Smooth(x - fx), ty = Smooth(y - fy);
    const double a = Lattice(ix, iy, seed), b = Lattice(ix + 1, iy, seed);
    const double c = Lattice(ix, iy + 1, seed), d = Lattice(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
}

double Fbm(double x, double y, int octaves, std::uint32_t seed) {
    double sum = 0, amp = 0.5, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * ValueNoise(x, y, seed + 101u * o);
        norm += amp;
        x *= 2.03;
        y *= 2.03;
        amp *= 0.5;
    }
    return sum / norm;
}

float TField::Sample(double x, double y) const {
    x = std::clamp(x, 0.0, double(w - 1));
    y = std::clamp(y, 0.0, double(h - 1));
    const int x0 = int(x), y0 = int(y);
    const int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
    const float tx = float(x - x0), ty = float(y - y0);
    const float top = at(x0, y0) + (at(x1, y0) - at(x0, y0)) * tx;
    const float bottom = at(x0, y1) + (at(x1, y1) - at(x0, y1)) * tx;
    return top + (bottom - top) * ty;
}

namespace {

// One running-sum box pass along a line of n values spaced by stride.
void BoxLine(float* p, int n, std::size_t stride, int r, std::vector<float>& tmp) {
    tmp.resize(n);
    double sum = 0;
    for (int i = -r; i <= r; ++i) sum += p[std::clamp(i, 0, n - 1) * stride];
    for (int i = 0; i < n; ++i) {
        tmp[i] = float(sum / (2 * r + 1));
        sum += p[std::min(i + r + 1, n - 1) * stride] - p[std::max(i - r, 0) * stride];
    }
    for (int i = 0; i < n; ++i) p[i * stride] = tmp[i];
}

} // namespace

void Blur(TField& f, int radius) {
    if (radius <= 0) return;
    const int r = std::max(1, radius / 2);
    std::vector<float> tmp;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < f.h; ++y) BoxLine(&f.v[std::size_t(y) * f.w], f.w, 1, r, tmp);
        for (int x = 0; x < f.w; ++x) BoxLine(&f.v[x], f.h, f.w, r, tmp);
    }
}

TField AlphaOf(const QImage& img) {
    const QImage a = img.convertToFormat(QImage::Format_ARGB32);
    TField f(a.width(), a.height());
    for (int y = 0; y < a.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) f.at(x, y) = qAlpha(line[x]) / 255.f;
    }
    return f;
}

float Shade(const TField& height, int x, int y, float specular) {
    const int xl = std::max(x - 1, 0), xr = std::min(x + 1, height.w - 1);
    const int yu = std::max(y - 1, 0), yd = std::min(y + 1, height.h - 1);
    const float dx = (height.at(xr, y) - height.at(xl, y)) / float(std::max(1, xr - xl));
    const float dy = (height.at(x, yd) - height.at(x, yu)) / float(std::max(1, yd - yu));
    const float nx = -dx, ny = -dy, nz = 1.f;
    const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
    // Light from the upper left, fairly high.
    constexpr float lx = -0.48f, ly = -0.56f, lz = 0.675f;
    const float diffuse = std::max(0.f, (nx * lx + ny * ly + nz * lz) / len);
    float shade = 0.25f + 0.75f * diffuse / lz;
    if (specular > 0) {
        // Half vector between the light and a viewer straight above.
        const float hx = lx, hy = ly, hz = lz + 1.f;
        const float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
        const float s = std::max(0.f, (nx * hx + ny * hy + nz * hz) / (len * hl));
        shade += specular * std::pow(s, 40.f);
    }
    return shade;
}

QColor Mix(const QColor& a, const QColor& b, double t) {
    return QColor(
        Clamp255(a.red() + (b.red() - a.red()) * t), Clamp255(a.green() + (b.green() - a.green()) * t),
        Clamp255(a.blue() + (b.blue() - a.blue()) * t), Clamp255(a.alpha() + (b.alpha() - a.alpha()) * t));
}

QRgb Scale(QRgb c, double f) {
    return qRgba(Clamp255(qRed(c) * f), Clamp255(qGreen(c) * f), Clamp255(qBlue(c) * f), qAlpha(c));
}

QImage Downsample(const QImage& big, int k) {
    const QImage src = big.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(src.width() / k, src.height() / k, QImage::Format_ARGB32_Premultiplied);
    const int n = k * k;
    for (int y = 0; y < out.height(); ++y) {
        QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            int r = 0, g = 0, b = 0, a = 0;
            for (int j = 0; j < k; ++j) {
                const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y * k + j)) + x * k;
                for (int i = 0; i < k; ++i) {
                    r += qRed(s[i]);
                    g += qGreen(s[i]);
                    b += qBlue(s[i]);
                    a += qAlpha(s[i]);
                }
            }
            dst[x] = qRgba(r / n, g / n, b / n, a / n);
        }
    }
    return out;
}

} // namespace kelani::art
