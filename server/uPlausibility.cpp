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

// A board size whose stones split into these points and these opponent stones.
bool ScoreFitsABoard(int pointsHundredths, int opponentStones) {
    for (int perPit = kLeastStonesPerPit; perPit <= kMostStonesPerPit; ++perPit) {
        const int total = kPits * perPit;
        if (opponentStones <= total && PointsHundredths(total - opponentStones, total) == pointsHundredths)
            return true;
    }
    return false;
}

} // namespace

int LeastSeconds(int moves) {
    return moves / 60;
}

std::string Implausibility(const Submission& s) {
    if (!ScoreFitsABoard(s.pointsHundredths, s.opponentStones))
        return "points and opponent stones fit no board of 3 to 8 stones per pit";
    if (s.moves < kLeastMoves) return "no game ends before its players moved";
    if (s.seconds < LeastSeconds(s.moves)) return "too little time for that many moves";
    return {};
}

} // namespace kelani::server
