#pragma once
// The lot drawing pictures: a hand holding out two matchsticks.
#include <QImage>

namespace kelani::art {

// 400 x 300 points: the drawn matchstick shown, long (won) or short; dark room at the top for
// the white first-move message. At `scale` pixels per point, on the board picture of that scale.
QImage PaintDrawnMatch(const QImage& board, bool longOne, int scale = 1);
// 400 x 300 points: the lengths still hidden in the fist, another hand reaching for one, the board
// (the clean board picture of the same scale) beside them.
QImage PaintHiddenMatches(const QImage& board, int scale = 1);

} // namespace kelani::art
