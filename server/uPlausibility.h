#pragma once
// What a finished game of the dialog's variants can post, derived from the scoring and bounded by
// what real games end with: every stone ends in a head pit, so a player's stones and his
// opponent's add up to all 12 × n stones of the board (n = 3..8 stones per pit), and the points
// are his share of them as "%.2f".
//
// The bounds on moves and lead come from computer games of every level against every level
// (kelanitool selfplay, about 23,000 finished games over variants 4-6, boards of 3 to 8 stones,
// with and without head pits), with room to spare: the shortest games ended after 7 moves of a
// player in variant 4, 1 in variant 5 (three stones, no head pits) and 5 in variant 6; no player
// gained more than 11 % of the board's stones on his opponent per move of his own (a game of
// variant 5 of one move each), and in games of eight moves or more no more than 6 %.
#include "server/uHighscoreStore.h"

#include <string>

namespace kelani::server {

// The fewest moves of his own a player has made when a game of this variant ends.
int LeastMoves(int variant);

// A player's lead (his stones less his opponent's) is at most a sixth of the board's stones per
// move of his own.
inline constexpr int kMovesPerBoardOfLead = 6;

// The clock of the player to move counts the whole seconds he thinks, restarting after every
// move's animation, so a player who always moves within a second keeps it at 0. Over ten moves
// no one does: at least one second per ten moves.
int LeastSeconds(int moves);

// Empty when a real game can post this entry, else why not.
std::string Implausibility(const Submission& s);

} // namespace kelani::server
