#pragma once
// The small numeric board sketch of a position: the overview layer, the move preview and the
// history window draw a board as 14 numbers in the players' colours.
#include "game/uTFeld.h"
#include "view/uTCanvas.h"

namespace kelani {

// Draws `feld` with its top-left corner at (x, y), 184 pixels wide and three lines high; a ring
// marks ringIndex when it is a playing pit. Sets the canvas's font, brush and pen for it.
void DrawFeldSketch(TCanvas& canvas, const TFeld& feld, int x, int y, int ringIndex);

} // namespace kelani
