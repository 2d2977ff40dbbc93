#include "control/uKeyboardPlay.h"

namespace kelani {
namespace {

constexpr int kRow = 6;

// Column 0..5 of a pit on the screen, counted from the left; -1 off the player's row.
int ScreenColumn(int player, int place) {
    if (PitOwner(place) != player) return -1;
    return player == 1 ? kRow - PitNumber(place) : PitNumber(place) - 1;
}

int PlaceInColumn(int player, int column) {
    return PitIndex(player, player == 1 ? kRow - column : column + 1);
}

} // namespace

int NextKeyPit(const TFeld& feld, int from, int step) {
    const int player = feld.AktSpieler();
    int column = ScreenColumn(player, from);
    if (column < 0) column = step > 0 ? -1 : kRow;
    for (int i = 1; i <= kRow; ++i) {
        const int place = PlaceInColumn(player, ((column + step * i) % kRow + kRow) % kRow);
        if (feld.IsLegalMove(place)) return place;
    }
    return -1;
}

int DigitKeyPit(const TFeld& feld, int digit) {
    if (digit < 1 || digit > kRow) return -1;
    const int place = PitIndex(feld.AktSpieler(), digit);
    return feld.IsLegalMove(place) ? place : -1;
}

int KeepKeyPit(const TFeld& feld, int from) {
    if (feld.IsLegalMove(from)) return from;
    for (int digit = 1; digit <= kRow; ++digit) {
        const int place = DigitKeyPit(feld, digit);
        if (place > 0) return place;
    }
    return -1;
}

} // namespace kelani
