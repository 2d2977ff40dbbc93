#pragma once
// Painting helpers shared by every picture of the game: deterministic noise, blur, height-field
// lighting and small colour utilities. Everything here is a pure function of its arguments, so
// the pictures come out bit for bit the same on every build.
#include <QColor>
#include <QImage>
#include <QPointF>

#include <cstdint>
#include <vector>

namespace kelani::art {

// A small deterministic generator (xorshift32); never reseeded from the clock.
class TRng {
public:
    explicit TRng(std::uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    std::uint32_t Next();
    // Uniform in [0, 1).
    double Unit() { return (Next() >> 8) * (1.0 / 16777216.0); }
    // Uniform in [lo, hi).
    double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }

private:
    std::uint32_t state_;
};

// Smooth value noise in [0, 1] over the plane, and its fractal sum of octaves.
double ValueNoise(double x, double y, std::uint32_t seed);
double Fbm(double x, double y, int octaves, std::uint32_t seed);

// A single-channel float picture: heights, masks, shades.
struct TField {
    int w = 0, h = 0;
    std::vector<float> v;
    TField(int width, int height, float fill = 0.f)
        : w(width), h(height), v(std::size_t(width) * height, fill) {}
    float& at(int x, int y) { return v[std::size_t(y) * w + x]; }
    float at(int x, int y) const { return v[std::size_t(y) * w + x]; }
    // Clamped to the border, bilinear.
    float Sample(double x, double y) const;
};

// Approximate gaussian blur (three box passes each way).
void Blur(TField& f, int radius);
// The alpha channel of an ARGB picture as a field in [0, 1].
TField AlphaOf(const QImage& img);

// Lambert light from the upper left with a little specular sheen, for a height field in pixels.
// Returns the shade factor (about 1 on a flat surface).
float Shade(const TField& height, int x, int y, float specular = 0.f);

QColor Mix(const QColor& a, const QColor& b, double t);
QRgb Scale(QRgb c, double f);
inline int Clamp255(double v) {
    return v < 0 ? 0 : v > 255 ? 255 : int(v + 0.5);
}

// The point under the centre of pixel `pixel` of a picture at `scale` pixels per point; at scale 1
// exactly the pixel itself, so the plain pictures sample their noise where they always did.
inline double PointOf(int pixel, int scale) {
    return (pixel + 0.5) / scale - 0.5;
}

// Downsamples a picture painted at k times the size (box filter, premultiplied).
QImage Downsample(const QImage& big, int k);

} // namespace kelani::art
