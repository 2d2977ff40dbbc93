#pragma once
// Drawing the pictures the way the game's board view does: transparent key colours, the hands'
// AND/XOR combination, and the stones of a position with their pile offsets and pit rims. Used
// for the splash picture and for the review pictures.
#include <QImage>

#include <array>
#include <map>

namespace kelani::art {

// Copies every pixel of pic that is not the key colour to target at `at` (clipped).
void DrawKeyed(QImage& target, QPoint at, const QImage& pic, QRgb key);
// target := (target AND mask) XOR picture, over the picture's size at `at` (clipped).
void DrawAndXor(QImage& target, QPoint at, const QImage& picture, const QImage& mask);

// The stone pictures of a board: piles 1..9 (red keyed) and pit rims of the playing pits (white).
struct TStoneArt {
    std::map<int, QImage> piles, rims;
};
// Draws n stones into `place` as the board view does: the pile at the stone origin plus D(n)
// under the pit's rim, or spread over the five anchors of a head pit.
void DrawPlace(QImage& board, const TStoneArt& art, int place, int n);
void DrawPosition(QImage& board, const TStoneArt& art, const std::array<int, 15>& counts);

} // namespace kelani::art
