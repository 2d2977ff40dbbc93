#pragma once
// A lit relief: a height field, a colour per pixel and a sheen per pixel, rendered with light from
// the upper left and soft cast shadows. The board, the small board and the icons are built on it.
#include "tools/art/ArtKit.h"

#include <QImage>
#include <QPainterPath>

#include <functional>

namespace kelani::art {

// Measures are given in points; the surface has `scale` pixels per point, and its heights are in
// pixels, so a relief painted at twice the size keeps its slopes.
struct TSurface {
    TSurface(int width, int height, int scale = 1);
    int Width() const { return height.w; }
    int Height() const { return height.h; }
    double Pt(int pixel) const { return PointOf(pixel, scale); }
    // Coverage of a path given in points.
    TField Mask(const QPainterPath& path) const;

    int scale;

    TField height;
    std::vector<QRgb> albedo;
    TField sheen;   // specular strength
    TField ambient; // extra darkening (0 none .. 1 black) for drop shadows and dirt

    QRgb& Albedo(int x, int y) { return albedo[std::size_t(y) * height.w + x]; }
    // Fills the albedo where mask > 0, blending by the mask; colour is asked at points.
    void Paint(const TField& mask, const std::function<QRgb(double x, double y)>& colour);
    // height += amount * mask, amount in points
    void Raise(const TField& mask, float amount);
    QImage Render(float shadowSlope = 1.3f) const;
};

// Coverage of a painter path as a field (antialiased, 0..1).
TField PathMask(const QPainterPath& path, int width, int height);
// A path given in points on a picture at `scale` pixels per point.
QPainterPath ToPixels(const QPainterPath& path, int scale);

// Wood: grain running along x; light and dark are the two tones of the growth rings.
struct TWood {
    QColor light, dark;
    double ringsPerPixel;
    std::uint32_t seed;
};
QRgb WoodColour(const TWood& wood, double x, double y);

// Cast shadow factor (1 lit .. 0 fully shaded) of every pixel under light from the upper left;
// a point lies in full shadow `penumbra` pixels below the ray.
TField CastShadows(const TField& height, float slope, int maxSteps, float penumbra = 3.f);

} // namespace kelani::art
