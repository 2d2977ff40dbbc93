// The small numeric board sketch of a position, shared by the overview layer and the history view.
#include "view/uTFeldSketch.h"

namespace kelani {
namespace {

// Sky blue against amber: apart for every kind of colour blindness, which green against yellow
// is not for a player who sees no red. Player 2's numbers are underlined as well, so the rows
// differ without any colour at all (a grey printout).
const QColor kSpieler1Farbe(90, 170, 255);
const QColor kSpieler2Farbe(255, 190, 40);
constexpr int kCell = 23; // every number is centred in a cell this wide
constexpr int kLine = 15; // three lines this far apart
constexpr int kSketchWidth = 184;
constexpr int kMarkTop = 13; // player 2's bar beneath the digits, two pixels high

QColor SpielerFarbe(int player) {
    return player == 1 ? kSpieler1Farbe : player == 2 ? kSpieler2Farbe : Qt::black;
}

// Writes `value` centred in the `width` pixels from x in the colour of `player` (0 for none).
void Centred(TCanvas& canvas, int x, int width, int y, int value, int player) {
    const QString text = QString::number(value);
    const int left = x + (width - canvas.TextWidth(text)) / 2;
    canvas.Font.Color = SpielerFarbe(player);
    canvas.TextOut(left, y, text);
    if (player != 2) return;
    canvas.Brush.Color = kSpieler2Farbe;
    canvas.FillRect(QRect(left, y + kMarkTop, canvas.TextWidth(text), 2));
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
        Centred(canvas, x + kCell * column, kCell, y, feld.Mulde(7 - column), 1);
        Centred(canvas, x + kCell * column, kCell, y + 2 * kLine, feld.Mulde(7 + column), 2);
    }
    Centred(canvas, x, kCell, y + kLine, feld.Mulde(kStirnmulde1), 1);
    Centred(canvas, x, kSketchWidth, y + kLine, feld.StonesInPlay(), 0);
    Centred(canvas, x + kSketchWidth - kCell, kCell, y + kLine, feld.Mulde(kStirnmulde2), 2);
}

} // namespace kelani
