#pragma once
// Endgame tables: the exact value of every position with few stones left in the pits.
//
// A table holds, for one rule set and head-pit option, every position with at most MaxStones()
// stones in the twelve playing pits, and for each its margin: the stones the player to move gets
// from the pits less those his opponent gets, when both play best. Stones already in the
// Stirnmulden change no move, so the game's result is the store difference plus the margin. A
// position from which the game can go round for ever without a stone reaching a store, and in
// which neither player does better by leaving the round, is a draw of the stones left: margin 0,
// as the Master scores a position that comes back.
//
// Positions are counted in a dense order: first by the stones in the pits, then by the pits of
// the player to move (1..6) and of his opponent (1..6) as the digits of a number; in rule set 3,
// whose turns can have a second move, each position comes twice (first move, second move).
#include "game/uTFeld.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace kelani {

// Most stones in the pits a table may cover: 20 already means hundreds of millions of positions.
inline constexpr int kEndgameMaxStones = 20;

// What the Master asks of endgame tables. The source must outlive every search given it, and be
// safe to read from the searching thread.
class TEndgameSource {
public:
    virtual ~TEndgameSource() = default;
    // The margin of the pit stones for the player to move when both play best; nothing for a
    // position the source does not cover.
    virtual std::optional<int> Margin(const TFeld& feld) const = 0;
};

// The pits of a position as a table sees them: the six of the player to move, then the six of
// his opponent, each from pit 1 to 6.
using TEndgamePits = std::array<int, 12>;

class TEndgameTable final : public TEndgameSource {
public:
    // A table of the given values, one per position in the table's order. Throws
    // std::invalid_argument when the rule set, the stones or the number of values do not fit.
    TEndgameTable(int variante, bool useStirnmulde, int maxStones, std::vector<int8_t> values);

    // Positions (and so values) of a table: rule set 3 counts each position twice.
    static uint64_t EntryCount(int variante, int maxStones);
    // Positions with exactly `stones` in the pits, each counted once.
    static uint64_t LayerSize(int stones);
    // Positions with fewer than `stones` in the pits, each counted once.
    static uint64_t LayerOffset(int stones);
    // 2 in rule set 3 (first and second move of a turn), else 1.
    static int MovesPerTurn(int variante) { return variante == 3 ? 2 : 1; }
    // Place of pits that hold `stones` in all among the positions with that many.
    static uint64_t RankInLayer(const TEndgamePits& pits, int stones);
    // The place of a position in a table of the rule set; `zuege` 1 for a second move.
    static uint64_t EntryOf(int variante, const TEndgamePits& pits, int stones, int zuege);
    // The pits, stones and move of the turn of a position that the table may cover; nothing when
    // it cannot (in the middle of a move, no player to move, a third move).
    static std::optional<TEndgamePits> PitsOf(const TFeld& feld, int& stones, int& zuege);

    int Variante() const { return variante_; }
    bool UseStirnmulde() const { return useStirnmulde_; }
    int MaxStones() const { return maxStones_; }
    const std::vector<int8_t>& Values() const { return values_; }

    std::optional<int> Margin(const TFeld& feld) const override;

private:
    int variante_;
    bool useStirnmulde_;
    int maxStones_;
    std::vector<int8_t> values_;
};

} // namespace kelani
