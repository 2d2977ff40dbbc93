#include "game/uTKI.h"

#include <algorithm>

namespace kelani {

void TStochNode::Expand(const TFeld& feld, int depth) {
    ClearChildren();
    ToMove = feld.AktSpieler();
    Children.reserve(6);
    TFeld scratch;
    for (int n = 1; n <= 6; ++n) {
        const int index = PitIndex(feld.AktSpieler(), n);
        if (!feld.IsLegalMove(index)) continue;
        scratch.Assign(feld);
        scratch.DoMove(index);
        TStochNode& child = Children.emplace_back();
        child.Mover = ToMove;
        child.Value1 = scratch.Store1();
        child.Value2 = scratch.Store2();
        child.Pit = n;
        if (depth > 0) child.Expand(scratch, depth - 1);
    }
}

int TStochNode::TiedBestCount() {
    if (Children.empty()) return 0;
    const bool player2 = Children.front().Mover == 2;
    const auto better = [player2](const TStochNode& a, const TStochNode& b) {
        return player2 ? a.Score() < b.Score() : a.Score() > b.Score();
    };
    std::sort(Children.begin(), Children.end(), better);
    const int best = Children.front().Score();
    int count = 0;
    while (count < static_cast<int>(Children.size()) && Children[count].Score() == best) ++count;
    return count;
}

void TStochNode::Evaluate(TRandom& random) {
    random.Reseed();
    for (TStochNode& child : Children) child.Evaluate(random);
    if (Children.empty()) return;
    const TStochNode& chosen = Children[random.Random(TiedBestCount())];
    Value1 = chosen.Value1;
    Value2 = chosen.Value2;
    BestPit = chosen.Pit;
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

TKIChoice TKI::Choose() {
    TStochNode root;
    root.Expand(*feld_, DepthForLevel(level_));
    root.Evaluate(*random_);
    TKIChoice choice;
    choice.Pit = root.BestPit;
    choice.Score = root.Children.empty() ? feld_->Store1() - feld_->Store2() : root.Score();
    const int tied = root.TiedBestCount();
    for (int k = 0; k < tied; ++k) choice.Best.push_back(root.Children[k].Pit);
    std::sort(choice.Best.begin(), choice.Best.end());
    return choice;
}

int TKI::ChooseMove() {
    return Choose().Pit;
}

} // namespace kelani
