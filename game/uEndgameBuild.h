#pragma once
// Retrograde analysis on the rules engine's own moves: endgame tables, and the exact value of the
// moves of one position above a table.
//
// Stones only ever leave the pits, so the positions fall into layers by the stones in the pits,
// each solved after those below it. A move that puts no stone into a store stays in its layer;
// one that does leaves it with a known value. Within a layer, for each margin t from the highest
// down, the positions where the player to move (or his opponent) can force a way out worth t or
// more are those that reach such an exit, or reach only positions already known to be won by t;
// what neither side can force is a round that may go on for ever, a draw of the stones left.
#include "game/uTEndgameTable.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace kelani {

// Told now and then how much of the work is done, from 0 to 1, also while a large layer is solved:
// an exception it throws ends the building within moments.
using TEndgameProgress = std::function<void(double done)>;

// The table of a rule set and head-pit option for every position with up to `maxStones`
// (0..kEndgameMaxStones) in the pits. Throws std::invalid_argument for a rule set or stone count
// outside these.
TEndgameTable BuildEndgameTable(int variante, bool useStirnmulde, int maxStones,
                                const TEndgameProgress& progress = {});

// One move of the player to move (pit 1..6, 0 for a pass) with its exact margin: the stones he
// gets from the pits less his opponent's, both playing best from there.
struct TExactMove {
    int Pit = 0;
    int Margin = 0;
};

// The exact margin of every move of `feld`'s player to move, the table answering below its
// stones and every position reachable above them solved as the table was. Nothing when more than
// `maxPositions` positions lie above the table. Throws std::invalid_argument for a position of
// another rule set or head-pit option, or one in the middle of a move.
std::optional<std::vector<TExactMove>> SolveExactly(const TFeld& feld, const TEndgameTable& table,
                                                    size_t maxPositions);

} // namespace kelani
