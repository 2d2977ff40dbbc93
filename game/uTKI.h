#pragma once
// The computer player: builds the complete tree of legal moves to a fixed depth on copies of the
// live board, values every position by the two Stirnmulden only, lets each player in the tree
// pick what is best for himself and breaks ties at random. No pruning and no time limit.
#include "game/uRandom.h"
#include "game/uTFeld.h"

#include <vector>

namespace kelani {

// One simulated move (the root stands for the current position).
struct TStochNode {
    int32_t Value1 = 0; // Store1 of the position this node is valued at
    int32_t Value2 = 0; // Store2 likewise
    std::vector<TStochNode> Children;
    int32_t Pit = 0;     // pit number 1..6 of the move from the parent to here
    int32_t ToMove = 0;  // player to move in this node's position (set by Expand)
    int32_t Mover = 0;   // player who made the move leading here
    int32_t BestPit = 0; // pit chosen at this node, 0 until chosen

    // The score the choosing player looks at: player 1 wants it large, player 2 small.
    int Score() const { return Value1 - Value2; }

    // Creates one child per legal pit of feld's player to move (ascending pit order), each
    // valued by the stores right after its whole move, and expands them depth - 1 further.
    void Expand(const TFeld& feld, int depth);
    // Minimax from the leaves up: reseeds the generator, evaluates the children in order, then
    // takes over the values and pit of a child picked at random among the best-scored ones.
    // A node without children keeps its own values.
    void Evaluate(TRandom& random);
    // Sorts the children best first for their mover and counts those sharing the best score.
    int TiedBestCount();
    void ClearChildren() { Children.clear(); }
};

// What one decision found: the pit to play (0 = must pass), the pits tied for the best score,
// and the score (Value1 - Value2) of the chosen line.
struct TKIChoice {
    int Pit = 0;
    std::vector<int> Best;
    int Score = 0;
};

class TKI {
public:
    // Works on the given board without ever changing it; the board must outlive the player.
    explicit TKI(const TFeld& feld, TRandom& random = SharedRandom()) : feld_(&feld), random_(&random) {}

    int Level() const { return level_; }
    // 1 "Anfaenger", 2 "Mittelmaessig", 3 "Profi"; any other value searches like level 1.
    void SetLevel(int level) { level_ = level; }

    // Moves looked at below the move to be chosen: 0, 2 or 4.
    static int DepthForLevel(int level);

    // The pit number 1..6 to play for the board's player to move, 0 when he has no legal move.
    int ChooseMove();
    // The same decision with the tied pits and the score of the chosen line.
    TKIChoice Choose();

private:
    const TFeld* feld_;
    TRandom* random_;
    int level_ = 1;
};

} // namespace kelani
