// The position text: every position between moves reads back as written, and anything that is no
// position is refused.
#include "records/uPositionText.h"

#include <gtest/gtest.h>

#include <random>

using namespace kelani;

TEST(PositionText, PositionsOfEveryRuleSetReadBackAsWritten) {
    EXPECT_EQ(PositionText(ParsePosition("v4 h1 s4 p1 : 4 4 4 4 4 4 [0] 4 4 4 4 4 4 [0]")),
              "v4 h1 s4 p1 : 4 4 4 4 4 4 [0] 4 4 4 4 4 4 [0]");
    // Settings in any order, blanks of any length.
    const TFeld feld = ParsePosition("  z1\tp2 s3 h0 v3 :  0 1 2 3 4 5 [6] 7 0 0 0 0 0 [8]  ");
    EXPECT_EQ(feld.Variante(), 3);
    EXPECT_FALSE(feld.UseStirnmulde());
    EXPECT_EQ(feld.SteineProMulde(), 3);
    EXPECT_EQ(feld.AktSpieler(), 2);
    EXPECT_EQ(feld.ZuegeInRunde(), 1);
    EXPECT_EQ(feld.Mulde(6), 5);
    EXPECT_EQ(feld.Store2(), 8);
    EXPECT_EQ(PositionText(feld), "v3 h0 s3 p2 z1 : 0 1 2 3 4 5 [6] 7 0 0 0 0 0 [8]");

    std::mt19937 rng(5);
    for (int k = 0; k < 200; ++k) {
        TFeld start;
        start.SetVariante(1 + k % 6);
        start.SetUseStirnmulde(k % 4 < 2);
        start.SetSteineProMulde(1 + static_cast<int>(rng() % 99));
        start.Reset();
        start.SetAktSpieler(1 + static_cast<int>(rng() % 2));
        // The stones moved about at random, the total kept.
        for (int move = 0; move < 30; ++move) {
            const int from = 1 + static_cast<int>(rng() % 14), to = 1 + static_cast<int>(rng() % 14);
            const int count = start.Mulde(from) == 0 ? 0 : static_cast<int>(rng() % (start.Mulde(from) + 1));
            start.SetMulde(from, start.Mulde(from) - count);
            start.SetMulde(to, start.Mulde(to) + count);
        }
        if (start.Variante() == 3) start.SetZuegeInRunde(k % 2);
        const TFeld read = ParsePosition(PositionText(start));
        EXPECT_EQ(read.Mulden(), start.Mulden());
        EXPECT_EQ(PositionText(read), PositionText(start));
    }
}

TEST(PositionText, AnythingElseIsRefused) {
    const char* const garbage[] = {
        "",
        "v4 h1 s4 p1 4 4 4 4 4 4 [0] 4 4 4 4 4 4 [0]",       // no colon
        "v4 h1 s4 : 4 4 4 4 4 4 [0] 4 4 4 4 4 4 [0]",        // no player
        "v4 h1 s4 p1 p2 : 4 4 4 4 4 4 [0] 4 4 4 4 4 4 [0]",  // a setting twice
        "v7 h1 s4 p1 : 4 4 4 4 4 4 [0] 4 4 4 4 4 4 [0]",     // no such rule set
        "v4 h2 s4 p1 : 4 4 4 4 4 4 [0] 4 4 4 4 4 4 [0]",     // head pits 0 or 1
        "v4 h1 s0 p1 : 0 0 0 0 0 0 [0] 0 0 0 0 0 0 [0]",     // no stones
        "v4 h1 s4 p3 : 4 4 4 4 4 4 [0] 4 4 4 4 4 4 [0]",     // no such player
        "v4 h1 s4 p1 z1 : 4 4 4 4 4 4 [0] 4 4 4 4 4 4 [0]",  // a second move outside rule set 3
        "v4 h1 s4 p1 x1 : 4 4 4 4 4 4 [0] 4 4 4 4 4 4 [0]",  // unknown setting
        "v4 h1 s+4 p1 : 4 4 4 4 4 4 [0] 4 4 4 4 4 4 [0]",    // a sign
        "v4 h1 s4 p1 : 4 4 4 4 4 4 [0] 4 4 4 4 4 [4]",       // 13 places
        "v4 h1 s4 p1 : 4 4 4 4 4 4 [0] 4 4 4 4 4 4 [0] 0",   // 15 places
        "v4 h1 s4 p1 : 4 4 4 4 4 4 0 4 4 4 4 4 4 [0]",       // a Stirnmulde without brackets
        "v4 h1 s4 p1 : [4] 4 4 4 4 4 [0] 4 4 4 4 4 4 [0]",   // a pit in brackets
        "v4 h1 s4 p1 : 4 4 4 4 4 4 [0] 4 4 4 4 4 5 [0]",     // 49 stones
        "v4 h1 s4 p1 : 4 4 4 4 4 -4 [8] 4 4 4 4 4 4 [0]",    // a negative count
        "v4 h1 s4 p1 : 4 4 4 4 4 4a [0] 4 4 4 4 4 4 [0]",    // not a number
        "v4 h1 s4 p1 : 4 4 4 4 4 4 [0 4 4 4 4 4 4 [0]",      // an open bracket
        "v4 h1 s4 p1 : 4 4 4 4 4 99999 [0] 4 4 4 4 4 4 [0]", // too many digits
    };
    for (const char* text : garbage) EXPECT_THROW(ParsePosition(text), EPositionText) << text;
}
