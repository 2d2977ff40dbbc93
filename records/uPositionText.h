#pragma once
// A position between two moves as one line of text, for people to read and type:
//
//   v4 h1 s4 p1 : 4 4 4 4 4 4 [0] 4 4 4 4 4 4 [0]
//
// Before the colon the settings, each once, in any order: v the rule set (1..6), h the head pits
// in use (0 or 1), s the stones per pit at the start (1..99), p the player to move (1 or 2), and,
// only in rule set 3 and only for the second move of a turn, z1 (z0 may be given too). After the
// colon the fourteen places in sowing order: player 1's pits 1..6, his Stirnmulde in brackets,
// player 2's pits 1..6, his Stirnmulde in brackets. All stones add up to 12 times s. Items are
// separated by blanks; nothing else is allowed.
#include "game/uTFeld.h"

#include <stdexcept>
#include <string>

namespace kelani {

// Text that is no position; the message says what is wrong.
struct EPositionText : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};

// The position a text describes. EPositionText for anything else.
TFeld ParsePosition(const std::string& text);

// The text of a position between two moves (with an empty hand), settings in the order v h s p,
// z1 only for a second move.
std::string PositionText(const TFeld& feld);

} // namespace kelani
