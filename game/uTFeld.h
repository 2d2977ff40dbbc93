#pragma once
// The rules engine: one complete board position and every rule of the six rule sets.
//
// Places 1..14 in sowing order (counter-clockwise on screen): 1..6 are player 1's pits, 7 his
// Stirnmulde (head pit, his store), 8..13 player 2's pits, 14 player 2's Stirnmulde. After 14
// comes 1 again. Everything here is deterministic: no timing, no randomness, no user interface.
//
// Cost contract: Assign copies one fixed-size record, DoMove allocates nothing, and an engine
// without listeners fires nothing. Copies (copy construction, assignment, Assign) never carry
// the notifications along, so look-ahead copies stay silent.
#include <array>
#include <cstdint>
#include <functional>

namespace kelani {

inline constexpr int kPlaces = 14;
inline constexpr int kStirnmulde1 = 7;
inline constexpr int kStirnmulde2 = 14;
// A relay of rule set 1 may circle for ever; it stops after this many laps.
inline constexpr int kMaxSowLaps = 9999;

// Pure functions on place indices. Out-of-range input gives the documented "none" value.
constexpr bool IsStirnmulde(int i) {
    return i % 7 == 0;
}
// 1 for places 1..7, 2 for 8..14 (head pits included).
constexpr int OwnerOf(int i) {
    return (i - 1) / 7 + 1;
}
// Place of pit n (1..6) of a player: player 1 pit n is n, player 2 pit n is n + 7.
constexpr int PitIndex(int player, int n) {
    return 7 * player + n - 7;
}
constexpr bool IsPlayingPit(int i) {
    return (i >= 1 && i <= 6) || (i >= 8 && i <= 13);
}
// Pit number 1..6 within its row, -1 for head pits and anything else.
constexpr int PitNumber(int i) {
    return !IsPlayingPit(i) ? -1 : (i <= 6 ? i : i - 7);
}
// Owner of a playing pit, -1 for head pits and anything else.
constexpr int PitOwner(int i) {
    return !IsPlayingPit(i) ? -1 : (i <= 6 ? 1 : 2);
}
// The pit across the board (1<->13 ... 6<->8), 0 for anything but a playing pit.
constexpr int OppositePit(int i) {
    return IsPlayingPit(i) ? 14 - i : 0;
}
constexpr int Opponent(int p) {
    return p == 1 ? 2 : (p == 2 ? 1 : 0);
}
constexpr bool IsPlayer(int p) {
    return p == 1 || p == 2;
}

// One notification: place index, the player to move, number of stones (see each pair below).
using TFeldEvent = std::function<void(int place, int player, int count)>;

class TFeld {
public:
    // Index 0 is unused and always 0, so Mulden()[i] reads place i directly.
    using TMulden = std::array<int32_t, kPlaces + 1>;

    // All counts 0, no player to move, head pits not in use, no notifications.
    TFeld() = default;
    TFeld(const TFeld& other) : s_(other.s_) {}
    TFeld& operator=(const TFeld& other) {
        Assign(other);
        return *this;
    }

    // Copies the position and configuration; this engine keeps its own notifications.
    void Assign(const TFeld& source) { s_ = source.s_; }

    // Start position: every playing pit SteineProMulde, head pits, hand and pool 0, player 1 to
    // move. Variante, UseStirnmulde and SteineProMulde must be set before and stay as they are.
    void Reset();

    int Variante() const { return s_.Variante; }
    void SetVariante(int variante) { s_.Variante = variante; }
    bool UseStirnmulde() const { return s_.UseStirnmulde; }
    void SetUseStirnmulde(bool use) { s_.UseStirnmulde = use; }
    int SteineProMulde() const { return s_.SteineProMulde; }
    void SetSteineProMulde(int steine) { s_.SteineProMulde = static_cast<uint8_t>(steine); }

    int AktSpieler() const { return s_.AktSpieler; }
    // Only 1 and 2 are taken; anything else leaves the player to move unchanged.
    void SetAktSpieler(int player);
    int Hand() const { return s_.Hand; }
    int CapturePool() const { return s_.CapturePool; }
    int AktMulde() const { return s_.AktMulde; }
    int ZuegeInRunde() const { return s_.ZuegeInRunde; }
    // Sets up the second move of a turn (1, rule set 3's extra move) or the first (0); anything
    // else changes nothing.
    void SetZuegeInRunde(int zuege);
    // Laps sown in the last move of rule set 1 (capped at kMaxSowLaps).
    int SowLapCount() const { return s_.SowLapCount; }

    const TMulden& Mulden() const { return s_.Mulden; }
    // Stones in place i, 0 for an index outside 1..14.
    int Mulde(int i) const { return i >= 1 && i <= kPlaces ? s_.Mulden[i] : 0; }
    // Sets up a position (tools, tests, loaders). Indices outside 1..14 and negative counts are
    // ignored. The caller keeps the stone total at 12 * SteineProMulde.
    void SetMulde(int i, int count);

    int Store1() const { return s_.Mulden[kStirnmulde1]; }
    int Store2() const { return s_.Mulden[kStirnmulde2]; }
    // Stones in a player's Stirnmulde; 0 for anything but 1 or 2.
    int Store(int player) const { return IsPlayer(player) ? s_.Mulden[7 * player] : 0; }
    // Stones in the six playing pits of a player (0 for anything but 1 or 2).
    int RowSum(int player) const;
    int OwnRowSum() const { return RowSum(s_.AktSpieler); }
    int OtherRowSum() const { return RowSum(Opponent(s_.AktSpieler)); }
    // Both rows plus hand plus capture pool: the stones not yet in a Stirnmulde.
    int StonesInPlay() const { return RowSum(1) + RowSum(2) + s_.Hand + s_.CapturePool; }

    // A playing pit of the player to move that holds at least one stone.
    bool IsLegalMove(int index) const {
        return IsPlayingPit(index) && PitOwner(index) == s_.AktSpieler && s_.Mulden[index] > 0;
    }
    // Plays one whole move with all its laps, captures, sweeps and the change of turn. An
    // illegal index, or a rule set outside 1..6, changes nothing.
    void DoMove(int index);
    bool HasNoLegalMove() const;
    // "muss aussetzen": passes the turn when the player to move has no legal move, else nothing.
    void Skip();
    // Neither player can move; every stone is then in a Stirnmulde.
    bool IsGameOver() const;
    // The player who holds more than half of all stones in his Stirnmulde (can no longer be
    // caught), else 0. Exactly half is not enough.
    int WillWin() const;
    // The player with more stones in his Stirnmulde, 0 for equal counts.
    int Leader() const;

    // Notifications, each fired with "before" seeing the board before the change and "after"
    // after it. An unset one is skipped.
    // One stone dropped from the hand: (place, AktSpieler, 1).
    TFeldEvent OnBeforeSow, OnAfterSow;
    // All stones of a place taken into the hand: (place, AktSpieler, stones taken).
    TFeldEvent OnBeforeTake, OnAfterTake;
    // Stones put from the hand into a Stirnmulde: (7 or 14, AktSpieler, stones).
    TFeldEvent OnBeforeStore, OnAfterStore;
    // All stones of a place moved to the capture pool: (place, AktSpieler, stones in the place:
    // the number moved before, 0 after).
    TFeldEvent OnBeforeCapture, OnAfterCapture;
    // The capture pool emptied into the opponent's Stirnmulde: (receiving Stirnmulde,
    // AktSpieler, stones moved).
    TFeldEvent OnBeforePoolToStore, OnAfterPoolToStore;

private:
    struct Record {
        TMulden Mulden{};
        int32_t Hand = 0;
        int32_t CapturePool = 0; // taken on behalf of the opponent; 0 between moves
        int32_t AktMulde = 0;    // sowing cursor
        int32_t AktSpieler = 0;
        int32_t ZuegeInRunde = 0;
        int32_t Variante = 0;
        bool UseStirnmulde = false;
        uint8_t SteineProMulde = 0;
        // Kept per engine, so a look-ahead copy can never disturb the lap count of a live move.
        int32_t SowLapCount = 0;
    };

    int NextPit() const;
    int PrevPit() const;

    void TakeIntoHand();
    void SowOne();
    int SowFromSilently(int start);
    void SowCapturingFoursSilently(bool lastStoneWinsForMover, int stopAt);
    bool IsSilent() const;
    int SowFrom(int start);
    void Deposit(int store, int32_t& from, int stones, const TFeldEvent& before, const TFeldEvent& after);
    void HandToStore(int n);
    void HandToOpponentStore();
    void CaptureToPool();
    void PoolToOpponentStore();
    void ForEachFilledPit(void (TFeld::*step)());
    void TakeAllIntoHand();
    void CaptureAll();
    void EndTurn();
    bool SweepToMover();
    void CaptureFour(bool lastStoneMayGiveAway);

    void PlayRelay(int start);
    void PlayFourCapture(int start);
    void PlayOppositeWithExtraMove(int start);
    void PlayTwoOrThree(int start);
    void PlayFourCaptureRelay(int start);
    void PlayOppositeOnOwnSide(int start);

    Record s_;
};

} // namespace kelani
