#pragma once
// The hands of both players: every frame as a picture (black where the board shows through) and
// a mask (black on the hand, white elsewhere), to be combined with the board by AND, then XOR.
#include <QImage>
#include <QPainter>

#include <string>
#include <vector>

namespace kelani::art {

struct THandFrame {
    std::string pictureName, maskName;
    QImage picture, mask;
};

// Player 1's frames ("t" prefix, reaching down from the top) and player 2's (reaching up from
// the bottom): picking frames 0, 1, 3, 5, 7, 9, 11 and sowing frames 0, 2, 4 each; at `scale`
// pixels per board point (hot spots scale with the pictures).
std::vector<THandFrame> PaintAllHandFrames(int scale = 1);

// A hand painted in colour with a soft alpha edge, for the matchstick pictures and dialogs.
// openness: 0 closed fist .. 1 fingers spread; the fingertips point along `angle` (radians,
// 0 = down) from `tip`; `scale` 1 is the size of the board's hands.
struct THandPose {
    double openness = 1;
    double angle = 0;
    double scale = 1;
    bool mirrored = false;
    int sleeve = 1; // player colour of the sleeve: 1 green, 2 yellow
};
void PaintHand(QImage& target, QPointF tip, const THandPose& pose);

// The hand in its own frame: fingertips at the origin pointing down (+y), arm going up; thumbSide
// -1 puts the thumb on the left (x < 0), +1 on the right.
void DrawHandLocal(QPainter& p, double openness, int player, double thumbSide);

} // namespace kelani::art
