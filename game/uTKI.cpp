#include "game/uTKI.h"

#include <algorithm>
#include <climits>

namespace kelani {
namespace {

// The values a line of play ends with, and the pit its first move took.
struct TLine {
    int32_t Value1 = 0;
    int32_t Value2 = 0;
    int Pit = 0;
    int Score() const { return Value1 - Value2; }
};

// Walks the tree depth first without building it. The tree's rule "every node reseeds, then its
// children are valued in order, then it draws" leaves the generator, at each draw, as the last
// child's subtree left it; so the clock is read only where that reading survives: at a leaf that
// is the last child of its parent (and at a root without moves). A clock reports the time of
// day and changes nothing, so the draws are those of the whole tree.
class TTreeWalk {
public:
    explicit TTreeWalk(TRandom& random) : random_(random) {}

    long Simulated() const { return simulated_; }

    // Values the position `feld` that a move led to; `depth` further moves are looked at below
    // it (-1: it is a leaf). `children` (6 places) receives the lines of its moves, if given.
    TLine Value(const TFeld& feld, int depth, bool lastChild, TLine* children = nullptr,
                int* count = nullptr) {
        TLine line{feld.Store1(), feld.Store2(), 0};
        const int mover = feld.AktSpieler();
        const int lastPit = LastLegalPit(feld);
        if (depth < 0 || lastPit == 0) {
            if (lastChild) random_.Reseed();
            return line;
        }
        TLine own[6];
        TLine* lines = children ? children : own;
        int n = 0;
        TFeld scratch;
        for (int pit = 1; pit <= lastPit; ++pit) {
            const int index = PitIndex(mover, pit);
            if (!feld.IsLegalMove(index)) continue;
            scratch.Assign(feld);
            scratch.DoMove(index);
            ++simulated_;
            lines[n] = Value(scratch, depth - 1, pit == lastPit);
            lines[n++].Pit = pit;
        }
        if (count) *count = n;
        return Draw(lines, n, mover);
    }

private:
    static int LastLegalPit(const TFeld& feld) {
        for (int pit = 6; pit >= 1; --pit)
            if (feld.IsLegalMove(PitIndex(feld.AktSpieler(), pit))) return pit;
        return 0;
    }

    // One of the lines best for the mover, drawn uniformly; ties count in ascending pit order.
    TLine Draw(const TLine* lines, int n, int mover) {
        const auto better = [mover](int a, int b) { return mover == 2 ? a < b : a > b; };
        int best = lines[0].Score();
        for (int k = 1; k < n; ++k)
            if (better(lines[k].Score(), best)) best = lines[k].Score();
        int tied = 0;
        for (int k = 0; k < n; ++k) tied += lines[k].Score() == best;
        int pick = random_.Random(tied);
        for (int k = 0; k < n; ++k) {
            if (lines[k].Score() != best) continue;
            if (pick-- == 0) return {lines[k].Value1, lines[k].Value2, lines[k].Pit};
        }
        return lines[0];
    }

    TRandom& random_;
    long simulated_ = 0;
};

// Profi's value of `feld` (Store1 - Store2 at the ends of his tree, `depth` further moves), found
// with alpha-beta: exact inside (alpha, beta), a bound outside. A player who must pass ends the
// line, as in the tree.
int ProfiValue(const TFeld& feld, int depth, int alpha, int beta) {
    if (depth < 0 || feld.HasNoLegalMove()) return feld.Store1() - feld.Store2();
    const int mover = feld.AktSpieler();
    int best = mover == 1 ? INT_MIN : INT_MAX;
    TFeld scratch;
    for (int pit = 1; pit <= 6 && alpha < beta; ++pit) {
        const int index = PitIndex(mover, pit);
        if (!feld.IsLegalMove(index)) continue;
        scratch.Assign(feld);
        scratch.DoMove(index);
        const int value = ProfiValue(scratch, depth - 1, alpha, beta);
        if (mover == 1) {
            best = std::max(best, value);
            alpha = std::max(alpha, value);
        } else {
            best = std::min(best, value);
            beta = std::min(beta, value);
        }
    }
    return best;
}

} // namespace

unsigned TKI::ProfiReplies(const TFeld& feld) {
    const int mover = feld.AktSpieler();
    const int depth = DepthForLevel(3) - 1;
    int best = INT_MIN; // for the mover
    unsigned tied = 0;
    TFeld scratch;
    for (int pit = 1; pit <= 6; ++pit) {
        const int index = PitIndex(mover, pit);
        if (!feld.IsLegalMove(index)) continue;
        scratch.Assign(feld);
        scratch.DoMove(index);
        // Only whether the pit reaches the best so far matters: a window just below it.
        const int floor = best == INT_MIN ? INT_MIN + 1 : best - 1;
        const int value = mover == 1 ? ProfiValue(scratch, depth, floor, INT_MAX)
                                     : -ProfiValue(scratch, depth, INT_MIN, -floor);
        if (value > best) {
            best = value;
            tied = 0;
        }
        if (value == best) tied |= 1u << (pit - 1);
    }
    return tied;
}

TKI::TKI(const TFeld& feld, TRandom& random) : feld_(&feld), random_(&random) {}

TKI::~TKI() = default;

void TKI::SetMasterTime(int ms) {
    masterTime_ = std::clamp(ms, 1, kMeisterMaxMs);
}

int TKI::DepthForLevel(int level) {
    switch (level) {
    case 2:
        return 2;
    case 3:
        return 4;
    default:
        return 0;
    }
}

TKIChoice TKI::SearchTree(const TFeld& feld, int depth, TRandom& random) {
    TTreeWalk walk(random);
    TLine lines[6];
    int count = 0;
    const TLine chosen = walk.Value(feld, depth, true, lines, &count);
    TKIChoice choice;
    choice.Pit = chosen.Pit;
    choice.Score = chosen.Score();
    choice.Simulated = walk.Simulated();
    for (int k = 0; k < count; ++k)
        if (lines[k].Score() == chosen.Score()) choice.Best.push_back(lines[k].Pit);
    return choice;
}

TKIChoice TKI::ChooseMaster() {
    if (!meister_) meister_ = std::make_unique<TMeister>();
    TMeisterLimits limits;
    limits.TimeMs = masterTime_;
    limits.Stop = stop_;
    // The opponent is taken to look as far as "Profi": the game's strongest fixed level.
    limits.Expected = ProfiReplies;
    limits.Endgame = endgame_;
    const TMeisterResult result = meister_->Search(*feld_, limits);
    TKIChoice choice;
    choice.Best = result.Best;
    choice.Score = result.Value;
    choice.Simulated = result.Nodes;
    if (!result.Best.empty()) {
        random_->Reseed();
        choice.Pit = result.Best[random_->Random(static_cast<int>(result.Best.size()))];
    }
    // A swindle's pit may be worth less than the best value found: only a best pit's is proven.
    for (const TMeisterLine& line : result.Lines)
        if (line.Pit == choice.Pit) choice.Exact = result.Exact && line.Exact && line.Value == result.Value;
    return choice;
}

TKIChoice TKI::Choose() {
    if (level_ == kMeisterLevel) return ChooseMaster();
    return SearchTree(*feld_, DepthForLevel(level_), *random_);
}

int TKI::ChooseMove() {
    return Choose().Pit;
}

} // namespace kelani
