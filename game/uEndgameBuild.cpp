#include "game/uEndgameBuild.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace kelani {
namespace {

// A move within a layer: the position it leads to, and this bit when the turn passes with it.
constexpr uint32_t kPasses = 1u << 31;
constexpr int8_t kNoExit = INT8_MIN;
// Who is sure of a margin of at least t: the player to move, or his opponent.
constexpr uint8_t kMover = 1, kOther = 2;

// A position after a move, as a table sees it, with what the move banked for the player who
// made it (his stones less his opponent's) and whether he moves again.
struct TChild {
    TEndgamePits Pits{};
    int Stones = 0;
    int Zuege = 0;
    int Gain = 0;
    bool SameMover = false;
};

// The positions of one layer: for each, the best value of its moves that leave the layer (or
// kNoExit) and the moves that stay in it, in the order of the positions.
struct TLayer {
    std::vector<int8_t> BestExit;
    std::vector<uint8_t> Moves;
    std::vector<uint32_t> Targets;

    explicit TLayer(size_t positions) : BestExit(positions, kNoExit), Moves(positions, 0) {}

    // A move of `position` worth `value` that leaves the layer.
    void Exit(size_t position, int value) {
        BestExit[position] = static_cast<int8_t>(std::max<int>(BestExit[position], value));
    }
    // A move of `position` to `target` in the layer; the moves of one position come together.
    void Stay(size_t position, uint32_t target, bool passes) {
        Targets.push_back(target | (passes ? kPasses : 0));
        ++Moves[position];
    }
};

// Player 1 to move with the given pits and both stores empty.
void SetUp(TFeld& feld, const TEndgamePits& pits, int zuege) {
    for (int n = 1; n <= 6; ++n) {
        feld.SetMulde(n, pits[n - 1]);
        feld.SetMulde(n + 7, pits[n + 5]);
    }
    feld.SetMulde(kStirnmulde1, 0);
    feld.SetMulde(kStirnmulde2, 0);
    feld.SetAktSpieler(1);
    feld.SetZuegeInRunde(zuege);
}

// Calls visit(pit, child) for every legal pit of the player to move, played by the rules engine,
// or for his pass (pit 0) when he has none and the game is not over.
template <class Visit> void ForEachChild(const TFeld& pos, Visit&& visit) {
    const int mover = pos.AktSpieler();
    const auto make = [&](int pit, const TFeld& after) {
        TChild child;
        child.Pits = *TEndgameTable::PitsOf(after, child.Stones, child.Zuege);
        child.Gain = (after.Store(mover) - pos.Store(mover)) -
                     (after.Store(Opponent(mover)) - pos.Store(Opponent(mover)));
        child.SameMover = after.AktSpieler() == mover;
        visit(pit, child);
    };
    TFeld after;
    bool moved = false;
    for (int pit = 1; pit <= 6; ++pit) {
        if (!pos.IsLegalMove(PitIndex(mover, pit))) continue;
        after.Assign(pos);
        after.DoMove(PitIndex(mover, pit));
        make(pit, after);
        moved = true;
    }
    if (moved || pos.IsGameOver()) return;
    after.Assign(pos);
    after.Skip();
    make(0, after);
}

// What a move is worth to its mover, given the value of the position it leads to.
int ValueThrough(const TChild& child, int childValue) {
    return child.Gain + (child.SameMover ? childValue : -childValue);
}

// The position's index within its layer.
uint32_t InLayer(int variante, const TChild& child) {
    const int moves = TEndgameTable::MovesPerTurn(variante);
    return static_cast<uint32_t>(TEndgameTable::RankInLayer(child.Pits, child.Stones) * moves +
                                 (moves == 2 ? child.Zuege : 0));
}

// Predecessors of every position of the layer, for each the move's source and its turn bit;
// `start` receives where each position's list begins (one more entry for the end).
std::vector<uint32_t> Predecessors(const TLayer& layer, std::vector<uint32_t>& start) {
    const size_t n = layer.BestExit.size();
    start.assign(n + 1, 0);
    for (uint32_t target : layer.Targets) ++start[(target & ~kPasses) + 1];
    for (size_t p = 0; p < n; ++p) start[p + 1] += start[p];
    std::vector<uint32_t> from(layer.Targets.size());
    size_t move = 0;
    for (size_t p = 0; p < n; ++p)
        for (int k = 0; k < layer.Moves[p]; ++k, ++move) {
            const uint32_t target = layer.Targets[move];
            from[start[target & ~kPasses]++] = static_cast<uint32_t>(p) | (target & kPasses);
        }
    // Each start has moved on to the next one's: shift back.
    for (size_t p = n; p > 0; --p) start[p] = start[p - 1];
    start[0] = 0;
    return from;
}

// The margin of every position of a layer whose values lie within +-bound. For t from bound
// down to 1, a side is sure of t where it has an exit worth t, where it moves and one move leads
// to a position it is sure of t in, or where its opponent moves and every move does (his exits
// included); the first t found is the margin. Where neither side is sure of 1, the best either
// can force is a draw: 0. `poll` is called every 65536 steps: a large layer takes seconds.
std::vector<int8_t> SolveLayer(const TLayer& layer, int bound, const std::function<void()>& poll) {
    const size_t n = layer.BestExit.size();
    std::vector<uint32_t> start;
    const std::vector<uint32_t> from = Predecessors(layer, start);
    // Moves of each position not yet known to give the opponent t; its exits count as one.
    std::vector<uint8_t> open(n);
    for (size_t p = 0; p < n; ++p)
        open[p] = static_cast<uint8_t>(layer.Moves[p] + (layer.BestExit[p] != kNoExit));
    std::vector<uint8_t> sure(n, 0);
    std::vector<int8_t> value(n, 0);
    std::vector<uint32_t> found[3];
    int t = 0;
    uint64_t steps = 0;
    const auto step = [&] {
        if (++steps % 65536 == 0) poll();
    };
    const auto reach = [&](uint32_t p, uint8_t side) {
        if (sure[p] & side) return;
        sure[p] |= side;
        value[p] = static_cast<int8_t>(side == kMover ? t : -t);
        found[side].push_back(p);
    };
    // The player sure of t in a position that `p` moves to is the mover of `p` when the turn
    // stays, else his opponent.
    const auto spread = [&](uint32_t c, uint8_t side) {
        for (uint32_t k = start[c]; k < start[c + 1]; ++k) {
            const uint32_t p = from[k] & ~kPasses;
            const uint8_t atP = (from[k] & kPasses) ? static_cast<uint8_t>(side ^ (kMover | kOther)) : side;
            if (atP == kMover)
                reach(p, kMover);
            else if (!(sure[p] & kOther) && --open[p] == 0)
                reach(p, kOther);
        }
    };
    for (t = bound; t >= 1; --t) {
        for (size_t p = 0; p < n; ++p) {
            step();
            if (layer.BestExit[p] == kNoExit) continue;
            if (layer.BestExit[p] == t) reach(static_cast<uint32_t>(p), kMover);
            if (layer.BestExit[p] == -t && --open[p] == 0) reach(static_cast<uint32_t>(p), kOther);
        }
        while (!found[kMover].empty() || !found[kOther].empty()) {
            const uint8_t side = found[kMover].empty() ? kOther : kMover;
            const uint32_t c = found[side].back();
            found[side].pop_back();
            spread(c, side);
            step();
        }
    }
    return value;
}

// Calls visit(position, pits) for every position of `stones` in the pits, in the table's order.
template <class Visit> void ForEachPits(int stones, Visit&& visit) {
    TEndgamePits pits{};
    pits[11] = stones;
    const uint64_t count = TEndgameTable::LayerSize(stones);
    for (uint64_t rank = 0; rank < count; ++rank) {
        visit(rank, pits);
        // The next in the order: the last pit but one that can take a stone from those after it.
        int q = 11;
        while (q > 0 && pits[q] == 0) --q;
        if (q == 0) break;
        const int rest = pits[q];
        pits[q] = 0;
        pits[q - 1] += 1;
        pits[11] = rest - 1;
    }
}

TFeld Board(int variante, bool useStirnmulde) {
    TFeld feld;
    feld.SetVariante(variante);
    feld.SetUseStirnmulde(useStirnmulde);
    feld.Reset();
    return feld;
}

// The layer of `stones` in the pits, its values written into `values` (the layers below are in).
// `tick` counts a position set up, `poll` is called now and then while the layer is solved.
void BuildLayer(TFeld& pos, int stones, std::vector<int8_t>& values, const std::function<void()>& tick,
                const std::function<void()>& poll) {
    const int variante = pos.Variante();
    const int moves = TEndgameTable::MovesPerTurn(variante);
    TLayer layer(TEndgameTable::LayerSize(stones) * moves);
    ForEachPits(stones, [&](uint64_t rank, const TEndgamePits& pits) {
        for (int zuege = 0; zuege < moves; ++zuege) {
            const size_t position = rank * moves + zuege;
            SetUp(pos, pits, zuege);
            ForEachChild(pos, [&](int, const TChild& child) {
                if (child.Stones == stones)
                    return layer.Stay(position, InLayer(variante, child), !child.SameMover);
                const uint64_t entry =
                    TEndgameTable::EntryOf(variante, child.Pits, child.Stones, child.Zuege);
                layer.Exit(position, ValueThrough(child, values[entry]));
            });
            // The end of the game: every stone is in a store.
            if (stones == 0) layer.Exit(position, 0);
        }
        tick();
    });
    const std::vector<int8_t> solved = SolveLayer(layer, stones, poll);
    std::copy(solved.begin(), solved.end(),
              values.begin() + static_cast<ptrdiff_t>(TEndgameTable::LayerOffset(stones) * moves));
}

} // namespace

TEndgameTable BuildEndgameTable(int variante, bool useStirnmulde, int maxStones,
                                const TEndgameProgress& progress) {
    if (variante < 1 || variante > 6) throw std::invalid_argument("rule set must be 1..6");
    if (maxStones < 0 || maxStones > kEndgameMaxStones)
        throw std::invalid_argument("stones must be 0.." + std::to_string(kEndgameMaxStones));
    std::vector<int8_t> values(TEndgameTable::EntryCount(variante, maxStones));
    TFeld pos = Board(variante, useStirnmulde);
    const double total = static_cast<double>(TEndgameTable::LayerOffset(maxStones + 1));
    uint64_t done = 0;
    const auto poll = [&] {
        if (progress) progress(static_cast<double>(done) / total);
    };
    const auto tick = [&] {
        if (++done % 65536 == 0) poll();
    };
    for (int stones = 0; stones <= maxStones; ++stones) BuildLayer(pos, stones, values, tick, poll);
    if (progress) progress(1.0);
    return TEndgameTable(variante, useStirnmulde, maxStones, std::move(values));
}

// ---- one position above a table ---------------------------------------------------------------

namespace {

// Pits and move of the turn of a position above a table, packed: ten bits a pit.
struct TKey {
    uint64_t Low = 0, High = 0;
    bool operator==(const TKey&) const = default;
};
struct TKeyHash {
    size_t operator()(const TKey& key) const {
        return std::hash<uint64_t>()(key.Low * 0x9E3779B97F4A7C15ull ^ key.High);
    }
};

constexpr int kKeyedPit = 1023;
// Margins are kept in a byte: at most this many stones in the pits are solved.
constexpr int kMostStones = 100;

TKey KeyOf(const TEndgamePits& pits, int zuege) {
    TKey key;
    for (int i = 0; i < 6; ++i) {
        key.Low |= static_cast<uint64_t>(pits[i]) << (10 * i);
        key.High |= static_cast<uint64_t>(pits[i + 6]) << (10 * i);
    }
    key.High |= static_cast<uint64_t>(zuege) << 60;
    return key;
}

void SetUp(TFeld& feld, const TKey& key) {
    TEndgamePits pits{};
    for (int i = 0; i < 6; ++i) {
        pits[i] = static_cast<int>((key.Low >> (10 * i)) & kKeyedPit);
        pits[i + 6] = static_cast<int>((key.High >> (10 * i)) & kKeyedPit);
    }
    SetUp(feld, pits, static_cast<int>(key.High >> 60));
}

// The positions above a table that a position leads to, each with its stones and, once its
// layer is solved, its margin.
class TAbove {
public:
    TAbove(const TEndgameTable& table, size_t limit) : table_(table), limit_(limit) {}

    // False when more than the limit lie above the table.
    bool Explore(TFeld& pos, const TEndgamePits& pits, int stones, int zuege) {
        Add(pits, stones, zuege);
        for (size_t next = 0; next < keys_.size(); ++next) {
            if (keys_.size() > limit_) return false;
            SetUp(pos, keys_[next]);
            ForEachChild(pos, [&](int, const TChild& child) {
                if (child.Stones > table_.MaxStones()) Add(child.Pits, child.Stones, child.Zuege);
            });
        }
        return keys_.size() <= limit_;
    }

    // Solves the layers from the lowest up.
    void Solve(TFeld& pos) {
        std::vector<std::vector<uint32_t>> layers(kMostStones + 1);
        for (uint32_t id = 0; id < keys_.size(); ++id) layers[stones_[id]].push_back(id);
        values_.assign(keys_.size(), 0);
        std::vector<uint32_t> local(keys_.size(), 0);
        for (int stones = 0; stones <= kMostStones; ++stones) {
            const std::vector<uint32_t>& ids = layers[stones];
            if (ids.empty()) continue;
            for (uint32_t k = 0; k < ids.size(); ++k) local[ids[k]] = k;
            TLayer layer(ids.size());
            for (uint32_t k = 0; k < ids.size(); ++k) {
                SetUp(pos, keys_[ids[k]]);
                ForEachChild(pos, [&](int, const TChild& child) {
                    if (child.Stones == stones) return layer.Stay(k, local[IdOf(child)], !child.SameMover);
                    layer.Exit(k, ValueThrough(child, Value(child)));
                });
            }
            const std::vector<int8_t> solved = SolveLayer(layer, stones, [] {});
            for (uint32_t k = 0; k < ids.size(); ++k) values_[ids[k]] = solved[k];
        }
    }

    // The margin of a position for its player to move: the table's, or one solved here.
    int Value(const TChild& child) const {
        if (child.Stones <= table_.MaxStones())
            return table_
                .Values()[TEndgameTable::EntryOf(table_.Variante(), child.Pits, child.Stones, child.Zuege)];
        return values_[IdOf(child)];
    }

private:
    void Add(const TEndgamePits& pits, int stones, int zuege) {
        const TKey key = KeyOf(pits, TEndgameTable::MovesPerTurn(table_.Variante()) == 2 ? zuege : 0);
        if (!ids_.emplace(key, static_cast<uint32_t>(keys_.size())).second) return;
        keys_.push_back(key);
        stones_.push_back(stones);
    }

    uint32_t IdOf(const TChild& child) const {
        const int zuege = TEndgameTable::MovesPerTurn(table_.Variante()) == 2 ? child.Zuege : 0;
        return ids_.at(KeyOf(child.Pits, zuege));
    }

    const TEndgameTable& table_;
    size_t limit_;
    std::unordered_map<TKey, uint32_t, TKeyHash> ids_;
    std::vector<TKey> keys_;
    std::vector<int> stones_;
    std::vector<int8_t> values_;
};

} // namespace

std::optional<std::vector<TExactMove>> SolveExactly(const TFeld& feld, const TEndgameTable& table,
                                                    size_t maxPositions) {
    if (feld.Variante() != table.Variante() || feld.UseStirnmulde() != table.UseStirnmulde())
        throw std::invalid_argument("the table is of another rule set or head-pit option");
    int stones = 0, zuege = 0;
    const std::optional<TEndgamePits> pits = TEndgameTable::PitsOf(feld, stones, zuege);
    if (!pits) throw std::invalid_argument("the position is in the middle of a move");
    if (stones > kMostStones)
        throw std::invalid_argument("more than " + std::to_string(kMostStones) +
                                    " stones are too many to solve");
    TFeld pos = Board(table.Variante(), table.UseStirnmulde());
    TAbove above(table, maxPositions);
    if (stones > table.MaxStones()) {
        if (!above.Explore(pos, *pits, stones, zuege)) return std::nullopt;
        above.Solve(pos);
    }
    std::vector<TExactMove> moves;
    SetUp(pos, *pits, zuege);
    ForEachChild(pos, [&](int pit, const TChild& child) {
        moves.push_back({pit, ValueThrough(child, above.Value(child))});
    });
    return moves;
}

} // namespace kelani
