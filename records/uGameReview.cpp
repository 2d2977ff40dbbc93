#include "records/uGameReview.h"

#include <algorithm>

namespace kelani {

namespace {

// A won or lost line's value as a margin: every stone of the game to the winner, so that throwing
// a win away weighs more than any margin.
int Margin(int value, int total) {
    return MeisterPliesToEnd(value) ? (value > 0 ? total : -total) : std::clamp(value, -total, total);
}

int TotalStones(const TFeld& board) {
    int total = board.Hand();
    for (int place = 1; place <= kPlaces; ++place) total += board.Mulde(place);
    return total;
}

} // namespace

TReviewMark ReviewMark(int lost) {
    if (lost >= kReviewBlunder) return TReviewMark::Blunder;
    if (lost >= kReviewMistake) return TReviewMark::Mistake;
    if (lost >= kReviewInaccuracy) return TReviewMark::Inaccuracy;
    return TReviewMark::None;
}

std::vector<TReviewMove> ReviewGame(const THistory& history, const TMeisterLimits& limits,
                                    const std::function<bool(int done, int count)>& progress) {
    TFeld board;
    history.StartBoard(board);
    const int total = TotalStones(board);
    TMeisterLimits all = limits;
    all.AllPits = true;
    TMeister meister;
    std::vector<TReviewMove> review;
    for (int k = 0; k < history.Count(); ++k) {
        const int place = history.Moves(k).Mulde;
        TReviewMove move;
        move.Player = board.AktSpieler();
        move.Place = place;
        if (place != 0) {
            const TMeisterResult result = meister.Search(board, all);
            const auto played =
                std::find_if(result.Lines.begin(), result.Lines.end(),
                             [&](const TMeisterLine& line) { return line.Pit == PitNumber(place); });
            if (played == result.Lines.end()) break;
            move.Best = Margin(result.Value, total);
            move.Played = Margin(played->Value, total);
            move.Exact = result.Exact && played->Exact;
            move.Mark = ReviewMark(move.Best - move.Played);
        } else if (!review.empty()) {
            // A forced pass changes nothing: the value stands, seen from the passing player.
            const int before =
                review.back().Player == move.Player ? review.back().Played : -review.back().Played;
            move.Best = move.Played = before;
            move.Exact = review.back().Exact;
        }
        if (!THistory::PlayRecord(board, static_cast<uint8_t>(place))) break;
        move.Value1 = move.Player == 1 ? move.Played : -move.Played;
        review.push_back(move);
        if (progress && !progress(k + 1, history.Count())) break;
    }
    return review;
}

} // namespace kelani
