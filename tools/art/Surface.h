#pragma once
// A lit relief: a height field, a colour per pixel and a sheen per pixel, rendered with light from
// the upper left and soft cast shadows. The board, the small board and the icons are built on it.
#include "tools/art/ArtKit.h"

#include <QImage>
#include <QPainterPath>

#include <functional>

namespace kelani::art {

struct TSurface {
    TSurface(int width, int height);
    int Width() const { return height.w; }
    int Height() const { return height.h; }

    TField height;
    std::vector<QRgb> albedo;
    TField sheen;   // specular strength
    TField ambient; // extra darkening (0 none .. 1 black) for drop shadows and dirt

    QRgb& Albedo(int x, int y) { return albedo[std::size_t(y) * height.w + x]; }
    // Fills the albedo where mask > 0, blending by the mask.
    void Paint(const TField& mask, const std::function<QRgb(int x, int y)>& colour);
    // height += amount * mask
    void Raise(const TField& mask, float amount);
    QImage Render(float shadowSlope = 1.3f) const;
};

// Coverage of a painter path as a field (antialiased, 0..1).
TField PathMask(const QPainterPath& path, int width, int height);

// Wood: grain running along x; light and dark are the two tones of the growth rings.
struct TWood {
    QColor light, dark;
    double ringsPerPixel;
    std::uint32_t seed;
};
QRgb WoodColour(const TWood& wood, double x, double y);

// Cast shadow factor (1 lit .. 0 fully shaded) of every pixel under light from the upper left.
TField CastShadows(const TField& height, float slope, int maxSteps);

} // namespace kelani::art
