#pragma once
// The computer player. Levels 1 to 3 look at every line of play to a fixed depth on copies of the
// live board, value every position by the two Stirnmulden only, let each player pick what is best
// for himself and break ties at random: no pruning and no time limit. Level 4, the Master, is a
// deep search within a time budget (uTMeister).
#include "game/uRandom.h"
#include "game/uTFeld.h"
#include "game/uTMeister.h"

#include <atomic>
#include <memory>
#include <vector>

namespace kelani {

// What one decision found: the pit to play (0 = must pass), the pits tied for the best score,
// the score of the chosen line and how many moves were simulated for it. Levels 1-3 score
// Store1 - Store2 at the end of the chosen line; the Master scores for the player to move.
struct TKIChoice {
    int Pit = 0;
    std::vector<int> Best;
    int Score = 0;
    long Simulated = 0;
    // The Master proved the chosen pit's score (endgame tables, or every line searched to its end).
    bool Exact = false;
};

inline constexpr int kMeisterLevel = 4;

class TKI {
public:
    // Works on the given board without ever changing it; the board must outlive the player.
    explicit TKI(const TFeld& feld, TRandom& random = SharedRandom());
    ~TKI();

    int Level() const { return level_; }
    // 1 "Anfaenger", 2 "Mittelmaessig", 3 "Profi", 4 "Meister"; any other value searches like
    // level 1.
    void SetLevel(int level) { level_ = level; }
    // The Master's thinking time per move in milliseconds, at most 10000 (the game offers 50 and
    // more; tools and benchmarks go lower).
    int MasterTime() const { return masterTime_; }
    void SetMasterTime(int ms);
    // A flag another thread may set to end the Master's thinking at once (he then plays the best
    // pit found so far); none by default. The flag must outlive the player.
    void SetStopFlag(const std::atomic<bool>* stop) { stop_ = stop; }
    // Endgame tables of the game's rule set for the Master (none by default): where they cover a
    // position, he knows its exact value and plays a best move. They must outlive the player.
    void SetEndgame(const TEndgameSource* tables) { endgame_ = tables; }

    // Moves looked at below the move to be chosen: 0, 2 or 4 (the Master has no fixed depth).
    static int DepthForLevel(int level);

    // The pit number 1..6 to play for the board's player to move, 0 when he has no legal move.
    int ChooseMove();
    // The same decision with the tied pits and the score of the chosen line.
    TKIChoice Choose();

    // The complete tree of levels 1-3 to `depth` moves below the one chosen: every inner node
    // reseeds `random`, then takes over the values of a child drawn at random among those its
    // player likes best (player 1 the largest Store1 - Store2, player 2 the smallest).
    static TKIChoice SearchTree(const TFeld& feld, int depth, TRandom& random);

    // The pits level 3 ranks best for the board's player to move (bit p-1 for pit p), without its
    // random draws: what the Master expects of an opponent who looks as far as "Profi".
    static unsigned ProfiReplies(const TFeld& feld);

private:
    TKIChoice ChooseMaster();

    const TFeld* feld_;
    TRandom* random_;
    int level_ = 1;
    int masterTime_ = kMeisterDefaultMs;
    const std::atomic<bool>* stop_ = nullptr;
    const TEndgameSource* endgame_ = nullptr;
    // Made at the Master's first move, so that the other levels never pay for its table.
    std::unique_ptr<TMeister> meister_;
};

} // namespace kelani
