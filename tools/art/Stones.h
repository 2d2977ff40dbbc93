#pragma once
// Polished pebbles: the stone piles of the board and single stones for icons.
#include <QColor>
#include <QImage>
#include <QPointF>

#include <cstdint>
#include <vector>

namespace kelani::art {

struct TStone {
    QPointF centre; // in output pixels
    double rx, ry;  // half axes in output pixels
    double angle;   // radians
    QColor colour;
    std::uint32_t seed;
};

// Paints the stones back to front (in the given order) with contact shadows onto a transparent
// picture of the given size; the result has soft, premultiplied edges. At `scale` the picture
// has that many pixels per unit of the stones' and the size's measures.
QImage PaintStones(const std::vector<TStone>& stones, int width, int height, int scale = 1);

// The pile of n stones (1..9) as the board draws it: a pure red (255, 0, 0) background, no red
// fringe anywhere (edges are blended against the pit floor before the key colour is applied);
// at `scale` pixels per board point.
QImage PaintPile(int n, int scale = 1);

// The colour of the pit floor the piles are blended against.
QColor PitFloorColour();

// A single stone with a transparent background (pit hint).
QImage PaintHintStone(int size);

// A stone of the game's palette: colour index i (any integer), deterministic.
TStone MakeStone(QPointF centre, double size, std::uint32_t seed);

} // namespace kelani::art
