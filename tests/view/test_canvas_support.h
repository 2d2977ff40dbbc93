#pragma once
// Shared by the board-view tests: the Qt application they need, and pixel probes.
#include <QColor>
#include <QImage>
#include <QRect>
#include <array>
#include <cstdlib>

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
// Mean difference per colour channel between two pictures of one size (0 .. 255). Inline, so the
// window tests, which make their own application, can use it without this folder's support file.
inline double MeanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}
// The smallest rectangle holding every pixel that differs between `a` and `b` (null if none).
QRect DifferenceBounds(const QImage& a, const QImage& b);

// Stone piles for tests: pile n is a 20 x 15 block of PileColour(n) at (2, 2) on the red key.
QColor PileColour(int n);
std::array<QImage, 9> TestPiles();

} // namespace kelani::test
