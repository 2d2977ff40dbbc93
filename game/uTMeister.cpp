#include "game/uTMeister.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <optional>

namespace kelani {
namespace {

constexpr int kInfinity = kMeisterWin + 1;
// Table bounds: the stored value is exact, at least (a cut) or at most (no move reached alpha).
constexpr uint8_t kExact = 0, kLower = 1, kUpper = 2;
// Positions searched between two looks at the clock and the stop flag (about 0.1 ms).
constexpr long kCheckEvery = 1024;
// Nodes this many moves or more above the horizon use the table.
constexpr int kTableDepth = 2;
// Move ordering weighs what a move brings above its history, which stays below this.
constexpr int kHistoryScale = 1 << 16;
// Positions whose expected replies a swindle keeps (a power of two).
constexpr size_t kExpectedEntries = 4096;
// Counts up to this many stones in a place have their own key; more are mixed from the count.
constexpr int kKeyedCounts = 64;

constexpr uint64_t SplitMix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

struct TKeys {
    std::array<std::array<uint64_t, kKeyedCounts>, kPlaces + 1> Place{};
    std::array<uint64_t, 4> Player{};
    std::array<uint64_t, 4> Zuege{};
    std::array<uint64_t, 16> Rules{}; // rule set and head-pit option
};

constexpr TKeys MakeKeys() {
    TKeys keys;
    uint64_t seed = 0x4B454C414E49ull; // "KELANI"
    for (auto& place : keys.Place)
        for (auto& key : place) key = SplitMix(seed++);
    for (auto& key : keys.Player) key = SplitMix(seed++);
    for (auto& key : keys.Zuege) key = SplitMix(seed++);
    for (auto& key : keys.Rules) key = SplitMix(seed++);
    return keys;
}
constexpr TKeys kKeys = MakeKeys();

// Zobrist key of everything that decides the rest of the game: the rules, the places, who moves
// and whether he is on the second move of his turn (rule set 3). The rules keep a table that
// outlives a game from answering for another rule set.
uint64_t KeyOf(const TFeld& pos) {
    const auto& mulden = pos.Mulden();
    uint64_t key = kKeys.Player[pos.AktSpieler() & 3] ^ kKeys.Zuege[std::min(pos.ZuegeInRunde(), 3)] ^
                   kKeys.Rules[(pos.Variante() & 7) * 2 + (pos.UseStirnmulde() ? 1 : 0)];
    for (int i = 1; i <= kPlaces; ++i) {
        const int count = mulden[i];
        key ^= count < kKeyedCounts ? kKeys.Place[i][count] : SplitMix(kKeys.Place[i][0] + count);
    }
    return key;
}

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool IsDecided(int value) {
    return value > kMeisterWin - kMeisterMaxPly - 1 || value < -(kMeisterWin - kMeisterMaxPly - 1);
}

// Decided values are stored as seen from the position itself, not from the root.
int ToTable(int value, int ply) {
    if (value > kMeisterWin - kMeisterMaxPly - 1) return value + ply;
    if (value < -(kMeisterWin - kMeisterMaxPly - 1)) return value - ply;
    return value;
}
int FromTable(int value, int ply) {
    if (value > kMeisterWin - kMeisterMaxPly - 1) return value - ply;
    if (value < -(kMeisterWin - kMeisterMaxPly - 1)) return value + ply;
    return value;
}

} // namespace

int MeisterPliesToEnd(int value) {
    return IsDecided(value) ? kMeisterWin - std::abs(value) : 0;
}

TMeister::TMeister(int tableBits)
    : table_(size_t{1} << tableBits), mask_((uint64_t{1} << tableBits) - 1), children_(kMeisterMaxPly + 1),
      expected_(kExpectedEntries) {}

int TMeister::Evaluate(const TFeld& feld) {
    return feld.Store(feld.AktSpieler()) - feld.Store(Opponent(feld.AktSpieler()));
}

// The value of a position whose result is already certain, with `decided` set; else 0.
int TMeister::Terminal(const TFeld& pos, int ply, bool& decided) const {
    const int own = pos.Store(pos.AktSpieler());
    const int other = pos.Store(Opponent(pos.AktSpieler()));
    decided = true;
    if (2 * own > total_) return kMeisterWin - ply;
    if (2 * other > total_) return -(kMeisterWin - ply);
    // Every stone in a store, half each.
    if (own + other == total_) return 0;
    decided = false;
    return 0;
}

int TMeister::EarlierPly(uint64_t key, int stored, int ply) const {
    // Stores only grow: no position before the last stone stored can come back.
    for (int k = ply - 1; k >= 0 && stored_[k] == stored; --k)
        if (path_[k] == key) return k;
    return -1;
}

bool TMeister::OutOfTime() {
    nextCheck_ = nodes_ + kCheckEvery;
    if (limits_.Stop && limits_.Stop->load(std::memory_order_relaxed)) return true;
    if (limits_.Nodes > 0 && nodes_ >= limits_.Nodes) return true;
    return deadlineNs_ > 0 && NowNs() >= deadlineNs_;
}

// A move from `place` refuted the move before it, `depth` moves above the horizon. Counts stay
// below kHistoryScale: all are halved when one would reach it.
void TMeister::Reward(int place, int depth) {
    history_[place] += depth * depth;
    if (history_[place] < kHistoryScale) return;
    for (int& count : history_) count /= 2;
}

// Plays every move (or the pass) of the position at `ply` into children_[ply] and orders them:
// the table's pit first, then by what they bring to the store (a little more for keeping the
// turn), then by their history.
int TMeister::MakeChildren(const TFeld& pos, int ply, int depth, int ttPit, std::array<int, 6>& order) {
    auto& kids = children_[ply];
    auto& places = places_[ply];
    auto& keys = keys_[ply];
    const int mover = pos.AktSpieler();
    int n = 0;
    for (int pit = 1; pit <= 6; ++pit) {
        const int index = PitIndex(mover, pit);
        if (!pos.IsLegalMove(index)) continue;
        kids[n].Assign(pos);
        kids[n].DoMove(index);
        places[n++] = index;
    }
    if (n == 0) {
        kids[0].Assign(pos);
        kids[0].Skip();
        places[0] = 0;
        n = 1;
    }
    nodes_ += n;
    std::array<int, 6> score{};
    for (int k = 0; k < n; ++k) {
        const TFeld& kid = kids[k];
        // Leaves need no key. A child looks into the table only after all its siblings are
        // made: fetch its entry now.
        keys[k] = depth > 1 ? KeyOf(kid) : 0;
        if (depth - 1 >= kTableDepth) __builtin_prefetch(&table_[keys[k] & mask_]);
        const int gain = 4 * (kid.Store(mover) - pos.Store(mover)) -
                         4 * (kid.Store(Opponent(mover)) - pos.Store(Opponent(mover))) +
                         (kid.AktSpieler() == mover ? 2 : 0);
        // Between moves that bring the same, the one that refuted most elsewhere first.
        score[k] = gain * kHistoryScale + history_[places[k]];
        if (PitNumber(places[k]) == ttPit) score[k] = std::numeric_limits<int>::max();
        order[k] = k;
    }
    // Insertion sort, best first: at most six moves.
    for (int k = 1; k < n; ++k)
        for (int j = k; j > 0 && score[order[j]] > score[order[j - 1]]; --j)
            std::swap(order[j], order[j - 1]);
    return n;
}

void TMeister::Remember(uint64_t key, int depth, int value, int alpha, int beta, int pit, int ply,
                        bool proven) {
    TEntry& entry = table_[key & mask_];
    entry.Proven = proven;
    entry.Key = key;
    entry.Value = static_cast<int16_t>(ToTable(value, ply));
    entry.Depth = static_cast<int8_t>(depth);
    entry.Bound = value <= alpha ? kUpper : (value >= beta ? kLower : kExact);
    entry.Pit = static_cast<int8_t>(pit);
}

void TMeister::TakePv(int ply, int place) {
    pv_[ply][ply] = place;
    for (int k = ply + 1; k < pvLength_[ply + 1]; ++k) pv_[ply][k] = pv_[ply + 1][k];
    pvLength_[ply] = std::max(pvLength_[ply + 1], ply + 1);
}

// What `pos` is worth to its player to move without a look at its moves: the search was ended,
// the endgame tables cover it, the game is decided, the horizon is reached or the position came
// before on the line. Otherwise nothing, and `pos` joins the line.
std::optional<int> TMeister::Settled(const TFeld& pos, uint64_t key, int depth, int ply) {
    pvLength_[ply] = ply;
    if (nodes_ >= nextCheck_ && OutOfTime()) stopped_ = true;
    if (stopped_) return 0;
    if (limits_.Endgame) {
        if (const std::optional<int> margin = limits_.Endgame->Margin(pos)) {
            reachesTables_ = true;
            return Evaluate(pos) + *margin;
        }
    } else {
        bool decided = false;
        const int end = Terminal(pos, ply, decided);
        if (decided) return end;
    }
    if (depth <= 0 || ply >= kMeisterMaxPly) {
        horizon_ = true;
        return Evaluate(pos);
    }
    const int stored = pos.Store1() + pos.Store2();
    if (const int earlier = ply > 0 ? EarlierPly(key, stored, ply) : -1; earlier >= 0) {
        repeatedPly_ = std::min(repeatedPly_, earlier);
        return Evaluate(pos);
    }
    path_[ply] = key;
    stored_[ply] = stored;
    return std::nullopt;
}

// Value of `pos` for its player to move, looking `depth` moves further. The table cuts only with
// entries of exactly this depth or proven ones of less, so it never changes what a search of fixed
// depth finds.
int TMeister::Negamax(const TFeld& pos, uint64_t key, int depth, int alpha, int beta, int ply) {
    if (const std::optional<int> settled = Settled(pos, key, depth, ply)) return *settled;
    // Whether a line below this position meets the horizon or a position above it is noted apart
    // from the lines before.
    const bool outer = horizon_;
    const int outerRepeated = repeatedPly_;
    horizon_ = false;
    repeatedPly_ = kMeisterMaxPly;
    const int alpha0 = alpha;
    // Just above the horizon the moves cost less than a look into the table.
    const bool useTable = depth >= kTableDepth;
    const TEntry& entry = table_[key & mask_];
    int ttPit = -1;
    if (useTable && entry.Key == key) {
        ttPit = entry.Pit;
        // A proven entry met no horizon: any deeper search of the position finds the same.
        if (entry.Depth == depth || (entry.Proven && entry.Depth < depth)) {
            const int value = FromTable(entry.Value, ply);
            // A line below the entry may have met the horizon: deeper searches are still worth it.
            horizon_ = !entry.Proven && !IsDecided(value);
            if (entry.Bound == kLower) alpha = std::max(alpha, value);
            if (entry.Bound == kUpper) beta = std::min(beta, value);
            if (entry.Bound == kExact || alpha >= beta) {
                horizon_ = outer || horizon_;
                repeatedPly_ = outerRepeated;
                return value;
            }
        }
    }

    std::array<int, 6> order{};
    const int n = MakeChildren(pos, ply, depth, ttPit, order);
    const int mover = pos.AktSpieler();
    int best = -kInfinity;
    int bestPit = -1;
    for (int k = 0; k < n; ++k) {
        const TFeld& kid = children_[ply][order[k]];
        const uint64_t kidKey = keys_[ply][order[k]];
        const bool same = kid.AktSpieler() == mover;
        const auto child = [&](int a, int b) {
            return same ? Negamax(kid, kidKey, depth - 1, a, b, ply + 1)
                        : -Negamax(kid, kidKey, depth - 1, -b, -a, ply + 1);
        };
        // The first move is expected to be best: the others need only be shown worse, with a
        // null window, and are searched again in full when one is not.
        int value = k == 0 ? child(alpha, beta) : child(alpha, alpha + 1);
        if (k > 0 && value > alpha && value < beta && !stopped_) value = child(alpha, beta);
        if (stopped_) return 0;
        if (value <= best) continue;
        best = value;
        bestPit = PitNumber(places_[ply][order[k]]);
        if (value > alpha) {
            alpha = value;
            TakePv(ply, places_[ply][order[k]]);
        }
        if (alpha >= beta) {
            Reward(places_[ply][order[k]], depth);
            break;
        }
    }
    // A value that rests on a position above this one coming back holds on this line only.
    if (useTable)
        Remember(key, depth, best, alpha0, beta, std::max(bestPit, 0), ply, !horizon_ && repeatedPly_ >= ply);
    horizon_ = outer || horizon_;
    repeatedPly_ = std::min(outerRepeated, repeatedPly_);
    return best;
}

unsigned TMeister::ExpectedReplies(const TFeld& pos, uint64_t key) {
    // Iterative deepening meets the same positions again and again: their answers are kept.
    auto& [known, pits] = expected_[key & (expected_.size() - 1)];
    if (known == key && pits != 0) return pits;
    unsigned legal = 0;
    for (int pit = 1; pit <= 6; ++pit)
        if (pos.IsLegalMove(PitIndex(pos.AktSpieler(), pit))) legal |= 1u << (pit - 1);
    // An expectation without a legal pit says nothing: then any reply may come.
    const unsigned expected = limits_.Expected(pos) & legal;
    known = key;
    pits = expected != 0 ? expected : legal;
    return pits;
}

// Value of `pos` for the root's player when the opponent plays only the pits he is expected to
// and the root's player plays best. These values stay out of the table, which holds exact ones.
int TMeister::Swindle(const TFeld& pos, int depth, int alpha, int beta, int ply) {
    const bool own = pos.AktSpieler() == rootMover_;
    const uint64_t key = KeyOf(pos);
    if (const std::optional<int> settled = Settled(pos, key, depth, ply)) return own ? *settled : -*settled;
    const unsigned allowed = own ? 0x3F : ExpectedReplies(pos, key);
    std::array<int, 6> order{};
    const int n = MakeChildren(pos, ply, depth, -1, order);
    int best = own ? -kInfinity : kInfinity;
    for (int k = 0; k < n; ++k) {
        const int place = places_[ply][order[k]];
        if (place != 0 && ((allowed >> (PitNumber(place) - 1)) & 1) == 0) continue;
        const int value = Swindle(children_[ply][order[k]], depth - 1, alpha, beta, ply + 1);
        if (stopped_) return 0;
        if (own ? value > best : value < best) {
            best = value;
            TakePv(ply, place);
        }
        if (own)
            alpha = std::max(alpha, value);
        else
            beta = std::min(beta, value);
        if (alpha >= beta) break;
    }
    return best;
}

// One iteration over the root's moves, best of the last iteration first. The best moves come
// back exact (each is searched with alpha one below the best so far), the others as bounds;
// with allPits every move is exact. False when the search was ended before it finished.
bool TMeister::SearchRoot(const TFeld& root, std::vector<TRootMove>& moves, int depth, bool allPits) {
    const int mover = root.AktSpieler();
    int best = -kInfinity;
    path_[0] = KeyOf(root);
    stored_[0] = root.Store1() + root.Store2();
    for (TRootMove& move : moves) {
        const bool before = horizon_;
        horizon_ = false;
        TFeld& kid = children_[0][0];
        kid.Assign(root);
        kid.DoMove(PitIndex(mover, move.Pit));
        ++nodes_;
        const int alpha = allPits ? -kInfinity : std::max(best - 1, -kInfinity);
        const uint64_t key = KeyOf(kid);
        int value = 0;
        if (swindle_)
            value = Swindle(kid, depth - 1, alpha, kInfinity, 1);
        else if (kid.AktSpieler() == mover)
            value = Negamax(kid, key, depth - 1, alpha, kInfinity, 1);
        else
            value = -Negamax(kid, key, depth - 1, -kInfinity, -alpha, 1);
        if (stopped_) return false;
        move.Value = value;
        move.Exact = !horizon_;
        horizon_ = before || horizon_;
        move.Pv.assign(1, PitIndex(mover, move.Pit));
        if (value > alpha) move.Pv.insert(move.Pv.end(), pv_[1].begin() + 1, pv_[1].begin() + pvLength_[1]);
        best = std::max(best, value);
    }
    std::stable_sort(moves.begin(), moves.end(),
                     [](const TRootMove& a, const TRootMove& b) { return a.Value > b.Value; });
    return true;
}

// Iterative deepening until the budget ends; `done` keeps the moves of the last finished
// iteration. A search found far behind stops already at `yieldNs` (0: never). Returns the depth of
// that iteration, 0 when none finished.
int TMeister::Deepen(const TFeld& root, std::vector<TRootMove>& moves, std::vector<TRootMove>& done,
                     int maxDepth, bool allPits, int64_t yieldNs) {
    int finished = 0;
    for (int depth = 1; depth <= maxDepth; ++depth) {
        horizon_ = false;
        if (!SearchRoot(root, moves, depth, allPits)) break;
        done = moves;
        finished = depth;
        if (!horizon_ || (!allPits && IsDecided(moves.front().Value))) break;
        if (deadlineNs_ > 0 && NowNs() >= deadlineNs_) break;
        // Far behind after half the budget: looking deeper rarely finds the way back.
        if (yieldNs > 0 && FarBehind(moves.front().Value, false) && NowNs() >= yieldNs) break;
    }
    return finished;
}

// Whether a root of this value is played for the opponent's mistakes. Once the search reaches the
// endgame tables, its values rest on exact ends: the stones found are stones best play keeps, and
// a gamble on a mistake would give some of them away.
bool TMeister::FarBehind(int value, bool exact) const {
    if (value > -kMeisterSwindleBehind) return false;
    return !(limits_.Endgame && (exact || reachesTables_));
}

// The swindle of a root far behind: its moves ordered by what they bring against the expected replies,
// searched in the rest of the budget; the order found before when not even one iteration finishes.
std::vector<TMeister::TRootMove> TMeister::SwindleFor(const TFeld& root, const std::vector<TRootMove>& found,
                                                      int maxDepth) {
    stopped_ = false;
    nextCheck_ = 0;
    std::fill(expected_.begin(), expected_.end(), std::pair<uint64_t, unsigned>{});
    swindle_ = true;
    std::vector<TRootMove> moves = found, done = found;
    const bool finished = Deepen(root, moves, done, maxDepth, false, 0) > 0;
    swindle_ = false;
    return finished ? done : found;
}

TMeisterResult TMeister::Search(const TFeld& feld, const TMeisterLimits& limits) {
    const int64_t began = NowNs();
    // What the table holds was found with or without these endgame tables. A table never searched
    // is empty already: clearing its megabytes would eat the budget of a short first move.
    if (limits.Endgame != limits_.Endgame && searched_) std::fill(table_.begin(), table_.end(), TEntry{});
    searched_ = true;
    limits_ = limits;
    const int timeMs =
        limits.TimeMs > 0 || limits.Depth > 0 || limits.Nodes > 0 ? limits.TimeMs : kMeisterDefaultMs;
    deadlineNs_ = timeMs > 0 ? began + int64_t{timeMs} * 1'000'000 : 0;
    const int maxDepth = limits.Depth > 0 ? std::min(limits.Depth, kMeisterMaxPly) : kMeisterMaxPly;
    nodes_ = 0;
    for (int& count : history_) count /= 2;
    nextCheck_ = 0;
    stopped_ = false;
    repeatedPly_ = kMeisterMaxPly;
    reachesTables_ = false;
    total_ = 0;
    for (int i = 1; i <= kPlaces; ++i) total_ += feld.Mulde(i);
    total_ += feld.Hand() + feld.CapturePool();

    TFeld root(feld);
    std::vector<TRootMove> moves;
    for (int pit = 1; pit <= 6; ++pit)
        if (root.IsLegalMove(PitIndex(root.AktSpieler(), pit))) moves.push_back({pit, 0, {}});
    TMeisterResult result;
    if (moves.empty()) return result;

    rootMover_ = root.AktSpieler();
    // Until the first iteration is done, the first legal pit is the answer.
    std::vector<TRootMove> done = moves;
    // Far behind, half the budget is kept for the swindle.
    const int64_t yieldNs = limits.Expected && deadlineNs_ > 0 ? began + (deadlineNs_ - began) / 2 : 0;
    result.Depth = Deepen(root, moves, done, maxDepth, limits.AllPits, yieldNs);
    if (result.Depth == 0) done.resize(1);
    result.Value = done.front().Value;
    // The best value is proven only when every other pit is proven no better.
    result.Exact =
        result.Depth > 0 && std::all_of(done.begin(), done.end(), [](const TRootMove& m) { return m.Exact; });
    const bool behind = FarBehind(result.Value, result.Exact);
    const std::vector<TRootMove> chosen = limits.Expected && behind ? SwindleFor(root, done, maxDepth) : done;
    const int best = chosen.front().Value;
    for (const TRootMove& move : chosen)
        if (move.Value == best) result.Best.push_back(move.Pit);
    std::sort(result.Best.begin(), result.Best.end());
    result.Pit = result.Best.front();
    result.Pv = chosen.front().Pv;
    std::sort(done.begin(), done.end(), [](const TRootMove& a, const TRootMove& b) { return a.Pit < b.Pit; });
    for (const TRootMove& move : done) result.Lines.push_back({move.Pit, move.Value, move.Pv, move.Exact});
    result.Nodes = nodes_;
    result.Seconds = static_cast<double>(NowNs() - began) / 1e9;
    return result;
}

} // namespace kelani
