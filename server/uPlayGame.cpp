#include "server/uPlayGame.h"

#include <algorithm>

namespace kelani::server {

bool ParseClockKind(const std::string& text, ClockKind& kind) {
    for (const ClockKind k : {ClockKind::None, ClockKind::Move, ClockKind::Game})
        if (text == ClockKindName(k)) {
            kind = k;
            return true;
        }
    return false;
}

const char* ClockKindName(ClockKind kind) {
    switch (kind) {
    case ClockKind::Move:
        return "move";
    case ClockKind::Game:
        return "game";
    case ClockKind::None:
        break;
    }
    return "none";
}

PlayGame::PlayGame(const PlaySetup& setup, long long now) : setup_(setup) {
    feld_.SetVariante(setup.variant);
    feld_.SetUseStirnmulde(setup.head);
    feld_.SetSteineProMulde(setup.stones);
    feld_.Reset();
    feld_.SetAktSpieler(setup.first);
    const long long full = setup.clock == ClockKind::None ? 0 : Allowance();
    clocks_.left = {full, full};
    clocks_.turnStart = now;
}

void PlayGame::Replay(const std::vector<int>& places) {
    for (const int place : places) Sow(place);
}

std::string PlayGame::Refusal(int seat, long long n, long long place) const {
    if (n != Moves() + 1) return "stale";
    if (seat != ToMove()) return "not-your-turn";
    if (place < 1 || place > kPlaces || !feld_.IsLegalMove(static_cast<int>(place))) return "illegal";
    return {};
}

void PlayGame::Sow(int place) {
    ++moves_[feld_.AktSpieler() - 1];
    places_.push_back(place);
    feld_.DoMove(place);
    // As the game's controller does after a move: when the game goes on and the player to move
    // has nothing to play, he passes once; the board then either ends or the other player moves.
    if (!feld_.IsGameOver() && feld_.HasNoLegalMove()) feld_.Skip();
}

void PlayGame::Play(int place, long long now) {
    const int mover = ToMove() - 1;
    const long long spent = std::max(0LL, now - clocks_.turnStart);
    clocks_.used[mover] += spent;
    if (setup_.clock == ClockKind::Game) clocks_.left[mover] = std::max(0LL, clocks_.left[mover] - spent);
    Sow(place);
    clocks_.turnStart = now;
}

long long PlayGame::Deadline() const {
    switch (setup_.clock) {
    case ClockKind::Move:
        return clocks_.turnStart + Allowance();
    case ClockKind::Game:
        return clocks_.turnStart + clocks_.left[ToMove() - 1];
    case ClockKind::None:
        break;
    }
    return 0;
}

std::array<long long, 2> PlayGame::ClocksAt(long long now) const {
    auto left = clocks_.left;
    if (setup_.clock != ClockKind::None) {
        long long& mover = left[ToMove() - 1];
        mover = std::max(0LL, Deadline() - now);
    }
    return left;
}

} // namespace kelani::server
