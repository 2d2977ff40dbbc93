#pragma once
// What a finished game of the dialog's variants can post, derived from the scoring: every stone
// ends in a head pit, so a player's stones and his opponent's add up to all 12 × n stones of the
// board (n = 3..8 stones per pit), and the points are his share of them as "%.2f".
#include "server/uHighscoreStore.h"

#include <string>

namespace kelani::server {

// The fewest moves of his own a player has made when a game ends. The shortest games of variant 5
// (three stones, no head pits) end after one move of each player; no game of variants 4 and 6
// ends within six moves at all, so one move is the bound for every variant.
inline constexpr int kLeastMoves = 1;

// The clock of the player to move ticks once a second while he thinks, never during a move's
// animation, so a quick player's clock can stay below his move count. One tick per 60 moves is
// what even a player clicking as fast as a hand can still shows: fewer means no one sat at the board.
int LeastSeconds(int moves);

// Empty when a real game can post this entry, else why not.
std::string Implausibility(const Submission& s);

} // namespace kelani::server
