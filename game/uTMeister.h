#pragma once
// The Master: the computer's strongest level. Iterative deepening negamax with alpha-beta, a
// transposition table and move ordering, on copies of the board played by TFeld itself, so every
// rule set is searched exactly as it is played. A position is worth the difference of the two
// Stirnmulden to the player to move; a player holding more than half of all stones has won (his
// store can only grow), a board with every stone in a store is a draw, and a position that comes
// back on the line searched is a draw of the stones still in the pits: the store difference
// stands (rule sets 2 and 3 can go round for ever). A lost position is not given up: against
// perfect play every move loses, so the Master plays for the opponent's mistakes, given what the
// opponent is expected to play; so does a position far behind, where a deeper look rarely finds
// the way back (TMeisterLimits::Expected).
// With endgame tables (TMeisterLimits::Endgame) he plays for the most stones, not only for the
// win: a position they cover is worth the store difference plus their exact margin of the pits,
// more than half of all stones decides nothing early, and once his search reaches the tables a
// position is played for the value found, not for a mistake: that value rests on exact ends, and
// a swindle would give away stones that best play keeps.
//
// Thread use: one TMeister searches on one thread at a time. Search copies the board it is given
// and never touches the caller's; another thread may end a search at once through the flag in
// TMeisterLimits. The table is allocated once, in the constructor; searching allocates only the
// result.
#include "game/uTEndgameTable.h"
#include "game/uTFeld.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace kelani {

inline constexpr int kMeisterDefaultMs = 1000;
inline constexpr int kMeisterMinMs = 50;
inline constexpr int kMeisterMaxMs = 10000;
// Deepest line searched, in moves.
inline constexpr int kMeisterMaxPly = 64;
// A won position is worth kMeisterWin less the moves to the win; a lost one the negative.
// Store differences stay far below (at most 1188 stones are in a game).
inline constexpr int kMeisterWin = 10000;
// A player this many stones behind (or lost) is played for the opponent's mistakes, given what
// the opponent is expected to play: see TMeisterLimits::Expected.
inline constexpr int kMeisterSwindleBehind = 5;

// How long to search. Zero means no limit of that kind; without any limit the search runs for
// kMeisterDefaultMs.
struct TMeisterLimits {
    int TimeMs = 0;
    int Depth = 0;
    long Nodes = 0;
    // Set by any thread to end the search at once; the last finished depth's result stands.
    const std::atomic<bool>* Stop = nullptr;
    // Value every legal pit exactly (analysis and hints); otherwise only the best are exact.
    bool AllPits = false;
    // The pits (bit p-1 for pit p) the opponent is expected to choose among in a position. When
    // the player to move is found kMeisterSwindleBehind stones behind or lost (the search then
    // stops at half its budget), the rest of the budget goes to a swindle: a search in which the
    // opponent plays only these pits. Not once the search reaches the endgame tables.
    std::function<unsigned(const TFeld&)> Expected;
    // Endgame tables of the rule set searched, if any: every position they cover is valued
    // exactly, in the search and at its horizon. A search with other tables (or none) than the
    // one before starts with an empty table.
    const TEndgameSource* Endgame = nullptr;
};

// One pit of the player to move: its value for him and the line of play expected after it
// (places 1..14, 0 for a pass), beginning with the pit's own place.
struct TMeisterLine {
    int Pit = 0;
    int Value = 0;
    std::vector<int> Pv;
    // Proven: no line below the pit was cut off by the depth of the search, every one ended in a
    // decided game, a position the endgame tables cover, or a position that came back.
    bool Exact = false;
};

struct TMeisterResult {
    int Pit = 0; // the lowest of the best pits; 0 when the player to move must pass
    // Every pit with the best value, ascending; after a swindle, the pits that do best against
    // the expected replies.
    std::vector<int> Best;
    int Value = 0;      // the best value for the player to move (a swindle leaves the one found)
    bool Exact = false; // the best value is proven: no pit's line met the depth of the search
    int Depth = 0;      // moves deep the last finished iteration looked
    long Nodes = 0;     // positions made by a move or a pass
    double Seconds = 0;
    std::vector<int> Pv;             // the expected line after the first of Best
    std::vector<TMeisterLine> Lines; // every legal pit, ascending (values exact with AllPits)
};

// Plies to the end of a decided value (a forced win or loss), 0 for any other value.
int MeisterPliesToEnd(int value);

class TMeister {
public:
    // A table of 2^tableBits entries (16 bytes each).
    explicit TMeister(int tableBits = 20);

    // Searches the board's player to move (a hint for the other player searches a copy with
    // SetAktSpieler). A position without a legal pit gives Pit 0 and no Best; a position with
    // moves always gives a legal pit, however soon the search is ended.
    TMeisterResult Search(const TFeld& feld, const TMeisterLimits& limits);

    // What the search sees at its horizon: own Stirnmulde less the opponent's.
    static int Evaluate(const TFeld& feld);

private:
    struct TEntry {
        uint64_t Key = 0;
        int16_t Value = 0;
        int8_t Depth = -1;
        uint8_t Bound = 0;
        int8_t Pit = -1;
        bool Proven = false; // no line below met the horizon
    };
    struct TRootMove {
        int Pit = 0;
        int Value = 0;
        std::vector<int> Pv;
        bool Exact = false;
    };

    std::optional<int> Settled(const TFeld& pos, uint64_t key, int depth, int ply);
    int Negamax(const TFeld& pos, uint64_t key, int depth, int alpha, int beta, int ply);
    int Swindle(const TFeld& pos, int depth, int alpha, int beta, int ply);
    unsigned ExpectedReplies(const TFeld& pos, uint64_t key);
    int Terminal(const TFeld& pos, int ply, bool& decided) const;
    int EarlierPly(uint64_t key, int stored, int ply) const;
    int MakeChildren(const TFeld& pos, int ply, int depth, int ttPit, std::array<int, 6>& order);
    void Remember(uint64_t key, int depth, int value, int alpha, int beta, int pit, int ply, bool proven);
    bool OutOfTime();
    bool FarBehind(int value, bool exact) const;
    int Deepen(const TFeld& root, std::vector<TRootMove>& moves, std::vector<TRootMove>& done, int maxDepth,
               bool allPits, int64_t yieldNs);
    std::vector<TRootMove> SwindleFor(const TFeld& root, const std::vector<TRootMove>& found, int maxDepth);
    bool SearchRoot(const TFeld& root, std::vector<TRootMove>& moves, int depth, bool allPits);
    void TakePv(int ply, int place);
    void Reward(int place, int depth);

    std::vector<TEntry> table_;
    uint64_t mask_ = 0;
    // Children of the position at each ply, made once so the search never allocates.
    std::vector<std::array<TFeld, 6>> children_;
    std::array<std::array<int, 6>, kMeisterMaxPly + 1> places_{};
    std::array<std::array<uint64_t, 6>, kMeisterMaxPly + 1> keys_{};
    std::array<uint64_t, kMeisterMaxPly + 1> path_{};
    std::array<int, kMeisterMaxPly + 1> stored_{}; // stones in both stores along the path
    std::array<std::array<int, kMeisterMaxPly + 1>, kMeisterMaxPly + 1> pv_{};
    std::array<int, kMeisterMaxPly + 1> pvLength_{};
    // How often a move from each place refuted the move before it, weighted by the depth of the
    // cut: the tie-break of the ordering. Halved at every search, so old games fade.
    std::array<int, kPlaces + 1> history_{};

    int total_ = 0;
    int rootMover_ = 0;
    bool searched_ = false;                               // the table holds entries of an earlier search
    bool swindle_ = false;                                // the root's moves are searched by Swindle
    std::vector<std::pair<uint64_t, unsigned>> expected_; // the opponent's pits, by position key
    long nodes_ = 0;
    long nextCheck_ = 0;
    bool stopped_ = false;
    bool horizon_ = false;       // a line searched since it was last cleared was cut off at the depth limit
    int repeatedPly_ = 0;        // the lowest ply a position of those lines came back to
    bool reachesTables_ = false; // a line of this search ended in the endgame tables
    TMeisterLimits limits_;
    int64_t deadlineNs_ = 0;
};

} // namespace kelani
