#include "game/uTFeld.h"

namespace kelani {
namespace {

// The place after each place in sowing order; without head pits they are passed over.
constexpr std::array<std::array<int8_t, kPlaces + 1>, 2> MakeNextPitTable() {
    std::array<std::array<int8_t, kPlaces + 1>, 2> table{};
    for (int use = 0; use < 2; ++use) {
        for (int i = 0; i <= kPlaces; ++i) {
            int next = i % kPlaces + 1;
            if (IsStirnmulde(next) && !use) next = next % kPlaces + 1;
            table[use][i] = static_cast<int8_t>(next);
        }
    }
    return table;
}
constexpr auto kNextPit = MakeNextPitTable();

// A hand of fewer stones than a round has places, sown from a place: one stone for each place
// it reaches, and the place of the last stone. For each head-pit option, start place and hand.
struct TSowing {
    std::array<int8_t, kPlaces + 1> Stones{};
    int8_t Last = 0;
};
using TSowTable = std::array<std::array<std::array<TSowing, kPlaces>, kPlaces + 1>, 2>;

constexpr int RoundLength(int use) {
    return use ? kPlaces : kPlaces - 2;
}

TSowTable MakeSowTable() {
    TSowTable table{};
    for (int use = 0; use < 2; ++use)
        for (int from = 1; from <= kPlaces; ++from)
            for (int hand = 0; hand < RoundLength(use); ++hand) {
                TSowing& sowing = table[use][from][hand];
                int place = from;
                for (int k = 0; k < hand; ++k) {
                    place = kNextPit[use][place];
                    sowing.Stones[place] += 1;
                }
                sowing.Last = static_cast<int8_t>(place);
            }
    return table;
}
const TSowTable kSowTable = MakeSowTable();

// 1 for the places a round of sowing passes, for each head-pit option.
constexpr std::array<std::array<int8_t, kPlaces + 1>, 2> kInRound = [] {
    std::array<std::array<int8_t, kPlaces + 1>, 2> inRound{};
    for (int use = 0; use < 2; ++use)
        for (int i = 1; i <= kPlaces; ++i) inRound[use][i] = use || !IsStirnmulde(i);
    return inRound;
}();

inline void Fire(const TFeldEvent& event, int place, int player, int count) {
    if (event) event(place, player, count);
}

} // namespace

void TFeld::Reset() {
    s_.ZuegeInRunde = 0;
    s_.AktSpieler = 1;
    s_.Hand = 0;
    s_.CapturePool = 0;
    s_.AktMulde = 0;
    s_.SowLapCount = 0;
    for (int i = 1; i <= kPlaces; ++i) s_.Mulden[i] = IsStirnmulde(i) ? 0 : s_.SteineProMulde;
}

void TFeld::SetAktSpieler(int player) {
    if (IsPlayer(player)) s_.AktSpieler = player;
}

void TFeld::SetZuegeInRunde(int zuege) {
    if (zuege == 0 || zuege == 1) s_.ZuegeInRunde = zuege;
}

void TFeld::SetMulde(int i, int count) {
    if (i >= 1 && i <= kPlaces && count >= 0) s_.Mulden[i] = count;
}

int TFeld::RowSum(int player) const {
    if (!IsPlayer(player)) return 0;
    int sum = 0;
    for (int n = 1; n <= 6; ++n) sum += s_.Mulden[PitIndex(player, n)];
    return sum;
}

bool TFeld::HasNoLegalMove() const {
    for (int n = 1; n <= 6; ++n)
        if (IsLegalMove(PitIndex(s_.AktSpieler, n))) return false;
    return true;
}

bool TFeld::IsGameOver() const {
    return HasNoLegalMove() && RowSum(Opponent(s_.AktSpieler)) == 0;
}

int TFeld::WillWin() const {
    const int half = 6 * s_.SteineProMulde;
    if (Store2() > half) return 2;
    if (Store1() > half) return 1;
    return 0;
}

int TFeld::Leader() const {
    if (Store1() == Store2()) return 0;
    return Store1() > Store2() ? 1 : 2;
}

// ---- cursor ---------------------------------------------------------------------------------

int TFeld::NextPit() const {
    return kNextPit[s_.UseStirnmulde][s_.AktMulde];
}

int TFeld::PrevPit() const {
    int i = s_.AktMulde <= 1 ? kPlaces : s_.AktMulde - 1;
    if (IsStirnmulde(i) && !s_.UseStirnmulde) i -= 1;
    return i;
}

// ---- primitive steps: every change of the board goes through one of these -------------------

void TFeld::TakeIntoHand() {
    const int place = s_.AktMulde;
    const int stones = s_.Mulden[place];
    if (stones == 0) return;
    Fire(OnBeforeTake, place, s_.AktSpieler, stones);
    s_.Hand += stones;
    s_.Mulden[place] = 0;
    Fire(OnAfterTake, place, s_.AktSpieler, stones);
}

void TFeld::SowOne() {
    if (s_.Hand == 0) return;
    s_.AktMulde = NextPit();
    Fire(OnBeforeSow, s_.AktMulde, s_.AktSpieler, 1);
    s_.Mulden[s_.AktMulde] += 1;
    s_.Hand -= 1;
    Fire(OnAfterSow, s_.AktMulde, s_.AktSpieler, 1);
}

// Silent engines (the computer's look-ahead) take and sow a pit without a branch per stone:
// every full round adds one stone to each place of the round, the rest come from the table.
int TFeld::SowFromSilently(int start) {
    const int use = s_.UseStirnmulde ? 1 : 0;
    const int length = RoundLength(use);
    int rest = s_.Hand + s_.Mulden[start];
    s_.Mulden[start] = 0;
    if (rest >= length) {
        const int rounds = rest / length;
        rest %= length;
        for (int i = 0; i <= kPlaces; ++i) s_.Mulden[i] += rounds * kInRound[use][i];
    }
    const TSowing& sowing = kSowTable[use][start][rest];
    for (int i = 0; i <= kPlaces; ++i) s_.Mulden[i] += sowing.Stones[i];
    s_.Hand = 0;
    s_.AktMulde = sowing.Last;
    return sowing.Last;
}

// What SowOne and CaptureFour do stone by stone, for a silent engine without their branches: the
// hand is sown on from AktMulde, a place reaching four goes to its owner's store (in rule set 2
// the last stone wins an opponent's four for the mover); sowing stops early at `stopAt`.
void TFeld::SowCapturingFoursSilently(bool lastStoneWinsForMover, int stopAt) {
    const auto& next = kNextPit[s_.UseStirnmulde];
    int place = s_.AktMulde;
    while (s_.Hand > 0) {
        place = next[place];
        s_.Hand -= 1;
        if (++s_.Mulden[place] != 4 || IsStirnmulde(place)) {
            if (place == stopAt) break;
            continue;
        }
        const bool toMover = lastStoneWinsForMover && s_.Hand == 0;
        s_.Mulden[place] = 0;
        s_.Mulden[7 * (toMover ? s_.AktSpieler : OwnerOf(place))] += 4;
    }
    s_.AktMulde = place;
}

bool TFeld::IsSilent() const {
    return !(OnBeforeSow || OnAfterSow || OnBeforeTake || OnAfterTake || OnBeforeStore || OnAfterStore ||
             OnBeforeCapture || OnAfterCapture || OnBeforePoolToStore || OnAfterPoolToStore);
}

// Puts `stones` from the hand or the capture pool into a Stirnmulde between one notification pair.
void TFeld::Deposit(int store, int32_t& from, int stones, const TFeldEvent& before, const TFeldEvent& after) {
    if (stones == 0) return;
    Fire(before, store, s_.AktSpieler, stones);
    s_.Mulden[store] += stones;
    from -= stones;
    Fire(after, store, s_.AktSpieler, stones);
}

void TFeld::HandToStore(int n) {
    Deposit(7 * s_.AktSpieler, s_.Hand, n, OnBeforeStore, OnAfterStore);
}

void TFeld::HandToOpponentStore() {
    Deposit(7 * Opponent(s_.AktSpieler), s_.Hand, s_.Hand, OnBeforeStore, OnAfterStore);
}

void TFeld::CaptureToPool() {
    const int place = s_.AktMulde;
    const int stones = s_.Mulden[place];
    if (stones == 0) return;
    Fire(OnBeforeCapture, place, s_.AktSpieler, stones);
    s_.CapturePool += stones;
    s_.Mulden[place] = 0;
    Fire(OnAfterCapture, place, s_.AktSpieler, 0);
}

// The notification names the Stirnmulde that receives the stones.
void TFeld::PoolToOpponentStore() {
    Deposit(7 * Opponent(s_.AktSpieler), s_.CapturePool, s_.CapturePool, OnBeforePoolToStore,
            OnAfterPoolToStore);
}

// Applies a step to every playing pit that holds stones, in ascending order, as AktMulde.
void TFeld::ForEachFilledPit(void (TFeld::*step)()) {
    for (int i = 1; i <= kPlaces; ++i) {
        if (IsStirnmulde(i) || s_.Mulden[i] == 0) continue;
        s_.AktMulde = i;
        (this->*step)();
    }
}

// One lap: the stones of `start` are taken and sown; returns the place of the last stone.
int TFeld::SowFrom(int start) {
    s_.AktMulde = start;
    if (OnBeforeTake || OnAfterTake || OnBeforeSow || OnAfterSow) {
        TakeIntoHand();
        while (s_.Hand > 0) SowOne();
        return s_.AktMulde;
    }
    return SowFromSilently(start);
}

void TFeld::TakeAllIntoHand() {
    ForEachFilledPit(&TFeld::TakeIntoHand);
}

void TFeld::CaptureAll() {
    ForEachFilledPit(&TFeld::CaptureToPool);
}

// ---- turns ----------------------------------------------------------------------------------

void TFeld::EndTurn() {
    s_.AktSpieler = Opponent(s_.AktSpieler);
    s_.ZuegeInRunde = 0;
    const bool sweepsAtEndTurn = s_.Variante == 3 || s_.Variante == 4 || s_.Variante == 6;
    // Few stones left on both sides: they all go to the player who has just finished his turn.
    if (sweepsAtEndTurn && OtherRowSum() <= 3 && OwnRowSum() <= 3) {
        CaptureAll();
        PoolToOpponentStore();
    }
}

// Sweep of rule sets 2 and 5: without head pits, few stones on both sides all go to the mover
// and the turn does not pass. True when it happened.
bool TFeld::SweepToMover() {
    if (s_.UseStirnmulde || OtherRowSum() > 3 || OwnRowSum() > 3) return false;
    TakeAllIntoHand();
    HandToStore(s_.Hand);
    return true;
}

void TFeld::Skip() {
    if (IsPlayer(s_.AktSpieler) && HasNoLegalMove()) EndTurn();
}

void TFeld::DoMove(int index) {
    if (!IsLegalMove(index) || s_.Variante < 1 || s_.Variante > 6) return;
    s_.SowLapCount = 0;
    s_.ZuegeInRunde += 1;
    switch (s_.Variante) {
    case 1:
        PlayRelay(index);
        break;
    case 2:
        PlayFourCapture(index);
        break;
    case 3:
        PlayOppositeWithExtraMove(index);
        break;
    case 4:
        PlayTwoOrThree(index);
        break;
    case 5:
        PlayFourCaptureRelay(index);
        break;
    default:
        PlayOppositeOnOwnSide(index);
        break;
    }
}

// ---- the six rule sets ----------------------------------------------------------------------

// Rule set 1: relay while the last stone lands in an occupied non-head place; a last stone in an
// empty own pit takes itself and the opposite pit to the store.
void TFeld::PlayRelay(int start) {
    for (;;) {
        s_.SowLapCount += 1;
        const int last = SowFrom(start);
        if (IsStirnmulde(last) || s_.SowLapCount >= kMaxSowLaps) break;
        if (s_.Mulden[last] != 1) {
            start = last;
            continue;
        }
        if (OwnerOf(last) == s_.AktSpieler) {
            TakeIntoHand();
            s_.AktMulde = OppositePit(last);
            TakeIntoHand();
            HandToStore(s_.Hand);
        }
        break;
    }
    EndTurn();
}

// Four-capture of rule sets 2 and 5 at AktMulde: a pit reaching exactly four goes to its owner.
// In rule set 2 the last stone makes an exception: it wins an opponent's four for the mover.
void TFeld::CaptureFour(bool lastStoneWinsForMover) {
    const int place = s_.AktMulde;
    if (IsStirnmulde(place) || s_.Mulden[place] != 4) return;
    const bool toOpponent = OwnerOf(place) != s_.AktSpieler && !(lastStoneWinsForMover && s_.Hand == 0);
    if (toOpponent) {
        CaptureToPool();
        PoolToOpponentStore();
    } else {
        TakeIntoHand();
        HandToStore(4);
    }
}

// Rule set 2: one lap that stops when it comes back to the emptied start pit; what is left in
// the hand then goes to the opponent.
void TFeld::PlayFourCapture(int start) {
    s_.AktMulde = start;
    TakeIntoHand();
    if (IsSilent()) {
        SowCapturingFoursSilently(true, start);
    } else {
        while (s_.Hand > 0) {
            SowOne();
            if (s_.AktMulde == start) break;
            CaptureFour(true);
        }
    }
    HandToOpponentStore();
    if (!SweepToMover()) EndTurn();
}

// Rule set 3: a last stone in an empty own pit captures the opposite pit; ending there or in the
// own Stirnmulde gives one extra move, so a turn has at most two moves.
void TFeld::PlayOppositeWithExtraMove(int start) {
    const int last = SowFrom(start);
    if (OwnerOf(last) != s_.AktSpieler) return EndTurn();
    if (!IsStirnmulde(last)) {
        if (s_.Mulden[last] != 1) return EndTurn();
        s_.AktMulde = OppositePit(last);
        TakeIntoHand();
        HandToStore(s_.Hand);
    }
    if (s_.ZuegeInRunde == 2) EndTurn();
}

// Rule set 4: the start pit is passed over; a last stone making 2 or 3 captures that pit, and
// on the opponent's side also the one place before it when that holds 2 or 3.
void TFeld::PlayTwoOrThree(int start) {
    s_.AktMulde = start;
    TakeIntoHand();
    while (s_.Hand > 0) {
        if (NextPit() == start) s_.AktMulde = start;
        SowOne();
    }
    const int last = s_.AktMulde;
    const auto twoOrThree = [this](int i) {
        return !IsStirnmulde(i) && (s_.Mulden[i] == 2 || s_.Mulden[i] == 3);
    };
    if (twoOrThree(last)) {
        TakeIntoHand();
        const int before = PrevPit();
        if (OwnerOf(last) != s_.AktSpieler && twoOrThree(before)) {
            s_.AktMulde = before;
            TakeIntoHand();
            s_.AktMulde = last;
        }
        HandToStore(s_.Hand);
    }
    EndTurn();
}

// Rule set 5: any pit reaching exactly four goes to its owner; the last stone in an occupied
// pit relays, at most five laps in all.
void TFeld::PlayFourCaptureRelay(int start) {
    s_.AktMulde = start;
    TakeIntoHand();
    int laps = 1;
    const bool silent = IsSilent();
    while (s_.Hand > 0) {
        if (silent) {
            SowCapturingFoursSilently(false, 0);
        } else {
            SowOne();
            CaptureFour(false);
            if (s_.Hand > 0) continue;
        }
        const int place = s_.AktMulde;
        if (s_.Mulden[place] == 1 || laps >= 5 || IsStirnmulde(place)) break;
        if (s_.Mulden[place] >= 1) {
            TakeIntoHand();
            laps += 1;
        }
    }
    if (!SweepToMover()) EndTurn();
}

// Rule set 6: a move ending on the own side captures the opposite pit, whatever L held.
void TFeld::PlayOppositeOnOwnSide(int start) {
    const int last = SowFrom(start);
    if (!IsStirnmulde(last) && OwnerOf(last) == s_.AktSpieler) {
        s_.AktMulde = OppositePit(last);
        TakeIntoHand();
        HandToStore(s_.Hand);
        s_.AktMulde = last;
    }
    EndTurn();
}

} // namespace kelani
