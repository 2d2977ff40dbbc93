// The small numeric board sketch of a position, shared by the overview layer and the history view.
#include "view/uTFeldSketch.h"

namespace kelani {
namespace {

const QColor kSpieler1Farbe(51, 204, 51);
const QColor kSpieler2Farbe(187, 187, 0);
constexpr int kCell = 23; // every number is centred in a cell this wide
constexpr int kLine = 15; // three lines this far apart
constexpr int kSketchWidth = 184;

QColor SpielerFarbe(int player) {
    return player == 1 ? kSpieler1Farbe : kSpieler2Farbe;
}

// Writes `value` centred in the `width` pixels from x.
void Centred(TCanvas& canvas, int x, int width, int y, int value, QColor color) {
    const QString text = QString::number(value);
    canvas.Font.Color = color;
    canvas.TextOut(x + (width - canvas.TextWidth(text)) / 2, y, text);
}

// Row 0 holds player 1's pits 6..1 from the left, row 2 player 2's pits 8..13.
int SketchColumn(int place) {
    return place <= 6 ? 7 - place : place - 7;
}
int SketchRow(int place) {
    return place <= 6 ? 0 : 2;
}

} // namespace

void DrawFeldSketch(TCanvas& canvas, const TFeld& feld, int x, int y, int ringIndex) {
    canvas.Font.Name = QStringLiteral("Arial");
    canvas.Font.Bold = true;
    canvas.Font.Size = 8;
    canvas.Brush.Style = TBrushStyle::Clear;
    canvas.Pen.Width = 2;
    if (IsPlayingPit(ringIndex)) {
        const int left = x + kCell * SketchColumn(ringIndex);
        const int top = y + kLine * SketchRow(ringIndex);
        canvas.Pen.Color = SpielerFarbe(PitOwner(ringIndex));
        canvas.Ellipse(RectLTRB(left + 1, top - 3, left + 21, top + 17));
    }
    for (int column = 1; column <= 6; ++column) {
        Centred(canvas, x + kCell * column, kCell, y, feld.Mulde(7 - column), kSpieler1Farbe);
        Centred(canvas, x + kCell * column, kCell, y + 2 * kLine, feld.Mulde(7 + column), kSpieler2Farbe);
    }
    Centred(canvas, x, kCell, y + kLine, feld.Mulde(kStirnmulde1), kSpieler1Farbe);
    Centred(canvas, x, kSketchWidth, y + kLine, feld.StonesInPlay(), Qt::black);
    Centred(canvas, x + kSketchWidth - kCell, kCell, y + kLine, feld.Mulde(kStirnmulde2), kSpieler2Farbe);
}

} // namespace kelani
