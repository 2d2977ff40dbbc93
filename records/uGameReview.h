#pragma once
// The review of a finished game: every move of its history valued by the Master against the best
// move of its position, in stones of the game's final margin, and marked when it gave away a clear
// margin: an inaccuracy (Ungenauigkeit) from 2 stones, a mistake (Fehler) from 4, a blunder
// (Patzer) from 8. A move that throws away a won game, or lets a lost one be lost, counts by
// the stones of the whole game.
#include "game/uTMeister.h"
#include "records/uTHistory.h"

#include <functional>
#include <vector>

namespace kelani {

inline constexpr int kReviewInaccuracy = 2;
inline constexpr int kReviewMistake = 4;
inline constexpr int kReviewBlunder = 8;

enum class TReviewMark { None, Inaccuracy, Mistake, Blunder };

// One record of the history as the review sees it.
struct TReviewMove {
    int Player = 0;     // who moved or passed
    int Place = 0;      // the place played, 0 for a pass
    int Played = 0;     // the move's value for its player: his expected final margin
    int Best = 0;       // the best move's value for him
    bool Exact = false; // both values are proven
    int Value1 = 0;     // the position after the move, valued for player 1 (the graph's line)
    TReviewMark Mark = TReviewMark::None;
};

// The mark of a move that gave away `lost` stones against the best.
TReviewMark ReviewMark(int lost);

// Reviews every record of `history` that its start position replays. `limits` bound each
// position's search (the Endgame tables must be those of the history's rule set, or none);
// `progress` learns after each record how many are done and may end the review early by
// returning false; the records reviewed so far are returned.
std::vector<TReviewMove> ReviewGame(const THistory& history, const TMeisterLimits& limits,
                                    const std::function<bool(int done, int count)>& progress = {});

} // namespace kelani
