#pragma once
// One online game as the play service judges it: the rules engine's position after the moves so
// far, with the passes the game's controller applies by itself, and the clocks the server keeps.
// Times are milliseconds of the wall clock, which every instance sharing the database reads alike.
#include "game/uTFeld.h"

#include <array>
#include <string>
#include <vector>

namespace kelani::server {

enum class ClockKind { None, Move, Game };

// "none", "move", "game"; false for anything else.
bool ParseClockKind(const std::string& text, ClockKind& kind);
const char* ClockKindName(ClockKind kind);

struct PlaySetup {
    int variant = 4;
    int stones = 4;
    bool head = true;
    ClockKind clock = ClockKind::None;
    int seconds = 0; // per move or per player for the whole game
    int first = 1;   // the seat that begins
};

// The clocks as they stand: milliseconds left and used per seat (index 0 is seat 1), and when the
// turn of the seat to move began.
struct PlayClocks {
    std::array<long long, 2> left{0, 0};
    std::array<long long, 2> used{0, 0};
    long long turnStart = 0;
};

class PlayGame {
public:
    // The start position with `setup.first` to move; the clocks full, running from `now`.
    PlayGame(const PlaySetup& setup, long long now);
    // The same game after these sown places (passes are never stored: they follow from the board).
    void Replay(const std::vector<int>& places);

    const TFeld& Board() const { return feld_; }
    const PlaySetup& Setup() const { return setup_; }
    int ToMove() const { return feld_.AktSpieler(); }
    int Moves() const { return static_cast<int>(places_.size()); }
    // Sown moves of one seat (what a highscore entry counts as his moves).
    int MovesOf(int seat) const { return moves_[seat - 1]; }
    bool BoardOver() const { return feld_.IsGameOver(); }

    // Why `seat` may not play move number `n` at `place`: "not-your-turn", "stale" (not the next
    // number) or "illegal"; empty when he may.
    std::string Refusal(int seat, long long n, long long place) const;
    // Plays a checked move at `now`: the mover's clock is charged, the passes that follow are
    // applied, and the next turn's clock starts.
    void Play(int place, long long now);

    PlayClocks& Clocks() { return clocks_; }
    const PlayClocks& Clocks() const { return clocks_; }
    // When the seat to move runs out of time; 0 without a clock.
    long long Deadline() const;
    // The milliseconds each seat has left at `now` (0 for both without a clock).
    std::array<long long, 2> ClocksAt(long long now) const;

private:
    void Sow(int place);
    long long Allowance() const { return setup_.seconds * 1000LL; }

    PlaySetup setup_;
    TFeld feld_;
    std::vector<int> places_;
    std::array<int, 2> moves_{0, 0};
    PlayClocks clocks_;
};

} // namespace kelani::server
