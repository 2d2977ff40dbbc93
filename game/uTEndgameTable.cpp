#include "game/uTEndgameTable.h"

#include <stdexcept>
#include <string>

namespace kelani {
namespace {

constexpr int kPits = 12;

// Ways to share n stones among m pits: C(n + m - 1, m - 1); one way to share none among none.
constexpr uint64_t Shares(int n, int m) {
    if (m == 0) return n == 0 ? 1 : 0;
    uint64_t ways = 1;
    for (int k = 1; k < m; ++k) ways = ways * static_cast<uint64_t>(n + k) / static_cast<uint64_t>(k);
    return ways;
}

// kBelow[k][r][a]: with r stones left for the last k pits, the positions whose first of them
// holds fewer than a stones.
using TBelow =
    std::array<std::array<std::array<uint64_t, kEndgameMaxStones + 2>, kEndgameMaxStones + 1>, kPits + 1>;

constexpr TBelow MakeBelow() {
    TBelow below{};
    for (int k = 1; k <= kPits; ++k)
        for (int r = 0; r <= kEndgameMaxStones; ++r)
            for (int a = 1; a <= r + 1; ++a) below[k][r][a] = below[k][r][a - 1] + Shares(r - (a - 1), k - 1);
    return below;
}
constexpr TBelow kBelow = MakeBelow();

} // namespace

TEndgameTable::TEndgameTable(int variante, bool useStirnmulde, int maxStones, std::vector<int8_t> values)
    : variante_(variante), useStirnmulde_(useStirnmulde), maxStones_(maxStones), values_(std::move(values)) {
    if (variante < 1 || variante > 6) throw std::invalid_argument("an endgame table needs a rule set 1..6");
    if (maxStones < 0 || maxStones > kEndgameMaxStones)
        throw std::invalid_argument("an endgame table covers 0.." + std::to_string(kEndgameMaxStones) +
                                    " stones");
    if (values_.size() != EntryCount(variante, maxStones))
        throw std::invalid_argument("an endgame table of " + std::to_string(maxStones) + " stones needs " +
                                    std::to_string(EntryCount(variante, maxStones)) + " values");
}

uint64_t TEndgameTable::LayerSize(int stones) {
    return Shares(stones, kPits);
}

uint64_t TEndgameTable::LayerOffset(int stones) {
    // The positions with fewer stones are those of `stones - 1` or fewer spread over 13 places
    // (the 13th takes what the 12 pits do not hold).
    return stones == 0 ? 0 : Shares(stones - 1, kPits + 1);
}

uint64_t TEndgameTable::EntryCount(int variante, int maxStones) {
    return LayerOffset(maxStones + 1) * static_cast<uint64_t>(MovesPerTurn(variante));
}

uint64_t TEndgameTable::RankInLayer(const TEndgamePits& pits, int stones) {
    uint64_t rank = 0;
    int left = stones;
    for (int i = 0; i < kPits - 1; ++i) {
        rank += kBelow[kPits - i][left][pits[i]];
        left -= pits[i];
    }
    return rank;
}

uint64_t TEndgameTable::EntryOf(int variante, const TEndgamePits& pits, int stones, int zuege) {
    const auto moves = static_cast<uint64_t>(MovesPerTurn(variante));
    return (LayerOffset(stones) + RankInLayer(pits, stones)) * moves + (moves == 2 ? zuege : 0);
}

std::optional<TEndgamePits> TEndgameTable::PitsOf(const TFeld& feld, int& stones, int& zuege) {
    const int mover = feld.AktSpieler();
    if (!IsPlayer(mover) || feld.Hand() != 0 || feld.CapturePool() != 0 || feld.ZuegeInRunde() > 1)
        return std::nullopt;
    TEndgamePits pits{};
    stones = 0;
    for (int n = 1; n <= 6; ++n) {
        pits[n - 1] = feld.Mulde(PitIndex(mover, n));
        pits[n + 5] = feld.Mulde(PitIndex(Opponent(mover), n));
        stones += pits[n - 1] + pits[n + 5];
    }
    zuege = feld.ZuegeInRunde();
    return pits;
}

std::optional<int> TEndgameTable::Margin(const TFeld& feld) const {
    if (feld.Variante() != variante_ || feld.UseStirnmulde() != useStirnmulde_) return std::nullopt;
    int stones = 0, zuege = 0;
    const std::optional<TEndgamePits> pits = PitsOf(feld, stones, zuege);
    if (!pits || stones > maxStones_) return std::nullopt;
    return values_[EntryOf(variante_, *pits, stones, zuege)];
}

} // namespace kelani
