#pragma once
// Shared by the board-view tests: the Qt application they need, and pixel probes.
#include <QColor>
#include <QImage>
#include <QRect>
#include <array>

namespace kelani::test {

// A picture of `size` filled with `color`, in the format the board pictures use.
QImage Filled(QSize size, QColor color);
// A background with a different colour at every pixel, so misplaced copies show up.
QImage Gradient(QSize size);
// True when every pixel of `a` and `b` inside `rect` is the same.
bool SameInside(const QImage& a, const QImage& b, const QRect& rect);
// True when every pixel outside `rect` is the same in `a` and `b` (same sizes).
bool SameOutside(const QImage& a, const QImage& b, const QRect& rect);
// Number of pixels in `rect` that differ between `a` and `b`.
int CountDifferent(const QImage& a, const QImage& b, const QRect& rect);
// The smallest rectangle holding every pixel that differs between `a` and `b` (null if none).
QRect DifferenceBounds(const QImage& a, const QImage& b);

// Stone piles for tests: pile n is a 20 x 15 block of PileColour(n) at (2, 2) on the red key.
QColor PileColour(int n);
std::array<QImage, 9> TestPiles();

} // namespace kelani::test
