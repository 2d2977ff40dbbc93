#pragma once
// The board picture and everything cut from or painted to match it: pit rims, pit highlight,
// the captions of the two sketches and the small board of the history view. Positions and sizes
// are in board points; every picture is painted at `scale` pixels per point (2 for the @2x
// containers), from the same drawing at the finer grain, never enlarged.
#include <QImage>
#include <QRgb>
#include <QString>

namespace kelani::art {

// The clean 720 x 520 background: table, carved board with fourteen pits, the plates for the
// clocks, the player to move, the variant, the stones in hand, the move counters and the notes,
// and the two small boards of the overview.
QImage PaintBoard(int scale = 1);

// The bare table the board lies on, at a point of the board picture (extends beyond it).
QRgb TableColour(double x, double y);

// The front rim of playing pit `place` cut from the board as the player will see it (pass the
// decoded JPEG, painted at the same scale): board pixels below the pit's front edge, white
// (transparent) inside the opening.
QImage CutRim(const QImage& board, int place, int scale = 1);

// Golden ring that lights a pit up; white is transparent.
QImage PaintGolden(int scale = 1);

// A caption of a sketch, painted over the board's own pixels at pos so it blends in seamlessly.
QImage PaintCaption(const QImage& board, QPoint pos, int width, const QString& text, int scale = 1);
// Caption widths: centred over the two small boards.
int CaptionWidth(QPoint pos);

// The 199 x 62 small board the numeric sketches are written on.
QImage PaintSmallBoard(int scale = 1);

} // namespace kelani::art
