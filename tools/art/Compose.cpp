#include "tools/art/Compose.h"

#include "tools/art/BoardGeometry.h"

#include <algorithm>

namespace kelani::art {

void DrawKeyed(QImage& target, QPoint at, const QImage& pic, QRgb key) {
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x) {
            const QPoint p = at + QPoint(x, y);
            const QRgb c = pic.pixel(x, y);
            if ((c & 0xFFFFFF) != (key & 0xFFFFFF) && target.rect().contains(p)) target.setPixel(p, c);
        }
}

void DrawAndXor(QImage& target, QPoint at, const QImage& picture, const QImage& mask) {
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QPoint p = at + QPoint(x, y);
            if (!target.rect().contains(p)) continue;
            target.setPixel(p, ((target.pixel(p) & mask.pixel(x, y)) ^ picture.pixel(x, y)) | 0xFF000000);
        }
}

void DrawPlace(QImage& board, const TStoneArt& art, int place, int n) {
    if (n < 1 || n > 99) return;
    auto pile = [&](int k) -> const QImage& { return art.piles.at(std::min(k, 9)); };
    if (!IsHeadPit(place)) {
        DrawKeyed(board, kStoneOrigins[place] + PileOffset(n), pile(n), qRgb(255, 0, 0));
        DrawKeyed(board, kRimOrigins[place], art.rims.at(place), qRgb(255, 255, 255));
        return;
    }
    const int c = std::min(n, 15);
    int left = n;
    for (int k = 0; k < 5 && left > 0; ++k) {
        const int m = std::min(left, place == 7 ? kHeadSpread7[c][k] : kHeadSpread14[c][k]);
        if (m <= 0) continue;
        DrawKeyed(board, place == 7 ? kHeadAnchors7[k] : kHeadAnchors14[k], pile(m), qRgb(255, 0, 0));
        left -= m;
    }
}

void DrawPosition(QImage& board, const TStoneArt& art, const std::array<int, 15>& counts) {
    for (int place = 1; place <= 14; ++place) DrawPlace(board, art, place, counts[place]);
}

} // namespace kelani::art
