#pragma once
// Choosing the pit to play by keyboard, for the player to move.
//
// Left and Right move along his row as the screen shows it (player 1's row, pits 1..6, runs from
// right to left across the top; player 2's, 8..13, from left to right along the bottom), skip the
// pits he may not play and wrap round at the row's ends. The digits 1..6 count from the player's
// own left as he sits at his side of the board, which is the game's own pit numbering: the hint's
// "Mulde 3" is key 3 for either player.
#include "game/uTFeld.h"

namespace kelani {

// The playable pit next to `from` in the direction `step` on the screen (-1 left, +1 right). From
// none (or a pit off his row) Right starts at the row's left end and Left at its right end. -1 when
// the player to move has no pit he may play.
int NextKeyPit(const TFeld& feld, int from, int step);
// The pit the digit (1..6) names for the player to move, -1 when he may not play it.
int DigitKeyPit(const TFeld& feld, int digit);
// Where the choice goes once the position changed: `from` while it may still be played, else the
// first pit from the player's own left he may play (-1 for none).
int KeepKeyPit(const TFeld& feld, int from);

} // namespace kelani
