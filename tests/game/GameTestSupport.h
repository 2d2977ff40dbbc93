#pragma once
// Board set-up shared by the rules and computer-player tests.
#include "game/uTFeld.h"

#include <array>
#include <string>
#include <vector>

namespace kelani::test {

using Places = std::array<int, 14>; // places 1..14

// A start position of the given rule set.
inline TFeld StartFeld(int variante, int stones = 4, bool head = false, int first = 1) {
    TFeld feld;
    feld.SetVariante(variante);
    feld.SetUseStirnmulde(head);
    feld.SetSteineProMulde(stones);
    feld.Reset();
    feld.SetAktSpieler(first);
    return feld;
}

// An arbitrary position; SteineProMulde is the total divided by 12 (rounded down).
inline TFeld MakeFeld(int variante, const Places& places, int player = 1, bool head = false) {
    TFeld feld = StartFeld(variante, 0, head, player);
    int total = 0;
    for (int i = 1; i <= 14; ++i) {
        feld.SetMulde(i, places[i - 1]);
        total += places[i - 1];
    }
    feld.SetSteineProMulde(total / 12);
    return feld;
}

inline Places PlacesOf(const TFeld& feld) {
    Places places{};
    for (int i = 1; i <= 14; ++i) places[i - 1] = feld.Mulde(i);
    return places;
}

inline int Total(const TFeld& feld) {
    int total = feld.Hand() + feld.CapturePool();
    for (int i = 1; i <= 14; ++i) total += feld.Mulde(i);
    return total;
}

} // namespace kelani::test
