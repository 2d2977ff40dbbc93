#include "control/uKeyboardPlay.h"

#include <gtest/gtest.h>

using namespace kelani;

namespace {

// The player to move with these stones in his pits 1..6; the opponent's row full.
TFeld Row(int player, const std::array<int, 6>& stones) {
    TFeld feld;
    feld.SetAktSpieler(player);
    for (int n = 1; n <= 6; ++n) {
        feld.SetMulde(PitIndex(player, n), stones[n - 1]);
        feld.SetMulde(PitIndex(Opponent(player), n), 4);
    }
    return feld;
}

} // namespace

// Player 1's row runs right to left on the screen (pit 6 leftmost), player 2's left to right.
TEST(KeyboardPlay, ArrowsFollowTheScreenSkipEmptyPitsAndWrap) {
    const TFeld one = Row(1, {1, 0, 1, 1, 0, 1});
    EXPECT_EQ(NextKeyPit(one, -1, +1), 6) << "Right starts at the left end";
    EXPECT_EQ(NextKeyPit(one, -1, -1), 1) << "Left starts at the right end";
    EXPECT_EQ(NextKeyPit(one, 6, +1), 4) << "empty pit 5 skipped";
    EXPECT_EQ(NextKeyPit(one, 1, +1), 6);
    EXPECT_EQ(NextKeyPit(one, 6, -1), 1);
    EXPECT_EQ(NextKeyPit(one, 9, +1), 6) << "a pit off his row counts as none";

    const TFeld two = Row(2, {0, 3, 0, 0, 0, 2});
    EXPECT_EQ(NextKeyPit(two, -1, +1), 9);
    EXPECT_EQ(NextKeyPit(two, 9, +1), 13);
    EXPECT_EQ(NextKeyPit(two, 13, +1), 9);
    EXPECT_EQ(NextKeyPit(two, 9, -1), 13);

    const TFeld single = Row(2, {0, 0, 7, 0, 0, 0});
    EXPECT_EQ(NextKeyPit(single, 10, +1), 10) << "the only playable pit stays chosen";
    EXPECT_EQ(NextKeyPit(Row(1, {0, 0, 0, 0, 0, 0}), -1, +1), -1);
}

TEST(KeyboardPlay, DigitsNameThePitsFromTheOwnersLeftAndTheChoiceFollowsTheSide) {
    EXPECT_EQ(DigitKeyPit(Row(1, {4, 4, 4, 4, 4, 4}), 3), 3);
    EXPECT_EQ(DigitKeyPit(Row(2, {4, 4, 4, 4, 4, 4}), 3), 10);
    EXPECT_EQ(DigitKeyPit(Row(2, {4, 4, 0, 4, 4, 4}), 3), -1) << "an empty pit cannot be chosen";
    EXPECT_EQ(DigitKeyPit(Row(2, {4, 4, 4, 4, 4, 4}), 7), -1);

    const TFeld two = Row(2, {0, 0, 5, 1, 0, 0});
    EXPECT_EQ(KeepKeyPit(two, 11), 11);
    EXPECT_EQ(KeepKeyPit(two, 3), 10) << "after the turn passed: the new side's first pit from his left";
    EXPECT_EQ(KeepKeyPit(Row(2, {0, 0, 0, 0, 0, 0}), 3), -1);
}
