#include "server/uPlausibility.h"

#include <cstdio>

namespace kelani::server {
namespace {

constexpr int kLeastStonesPerPit = 3, kMostStonesPerPit = 8, kPits = 12;

// The points text of `own` of `total` stones as the game formats it, in hundredths.
int PointsHundredths(int own, int total) {
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", own * 100.0 / total);
    int whole = 0, fraction = 0;
    std::sscanf(text, "%d.%d", &whole, &fraction);
    return whole * 100 + fraction;
}

// The stones of the smallest board whose stones split into these points and these opponent
// stones; 0 when none does.
int BoardStones(int pointsHundredths, int opponentStones) {
    for (int perPit = kLeastStonesPerPit; perPit <= kMostStonesPerPit; ++perPit) {
        const int total = kPits * perPit;
        if (opponentStones <= total && PointsHundredths(total - opponentStones, total) == pointsHundredths)
            return total;
    }
    return 0;
}

} // namespace

int LeastMoves(int variant) {
    switch (variant) {
    case 4:
        return 4;
    case 6:
        return 3;
    default:
        return 1;
    }
}

int LeastSeconds(int moves) {
    return moves / 10;
}

std::string Implausibility(const Submission& s) {
    const int total = BoardStones(s.pointsHundredths, s.opponentStones);
    if (total == 0) return "points and opponent stones fit no board of 3 to 8 stones per pit";
    if (s.moves == 0) return "no game ends before its players moved";
    if (s.moves < LeastMoves(s.variant)) return "no game of this variant ends after so few moves";
    const int lead = total - 2 * s.opponentStones;
    if (lead * kMovesPerBoardOfLead > total * s.moves) return "too large a lead for that few moves";
    if (s.seconds < LeastSeconds(s.moves)) return "too little time for that many moves";
    return {};
}

} // namespace kelani::server
