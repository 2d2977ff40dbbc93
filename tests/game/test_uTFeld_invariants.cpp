// Random legal games of every rule set, head-pit option and stone count: what must hold after
// every move, and that the notifications describe every change of the board exactly.
#include "tests/game/GameTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace kelani {
namespace {

// A move that hands the turn back and forth for ever would show up here.
constexpr int kMaxMovesPerGame = 3000;

// Rebuilds the board from the "after" notifications alone.
struct ShadowBoard {
    TFeld::TMulden mulden{};
    int hand = 0, pool = 0, lastCaptured = 0;

    void Attach(TFeld& feld) {
        mulden = feld.Mulden();
        feld.OnAfterSow = [this](int place, int, int count) {
            mulden[place] += count;
            hand -= count;
        };
        feld.OnAfterTake = [this](int place, int, int count) {
            mulden[place] -= count;
            hand += count;
        };
        feld.OnAfterStore = [this](int store, int, int count) {
            mulden[store] += count;
            hand -= count;
        };
        feld.OnBeforeCapture = [this](int, int, int count) { lastCaptured = count; };
        feld.OnAfterCapture = [this](int place, int, int) {
            mulden[place] -= lastCaptured;
            pool += lastCaptured;
        };
        feld.OnAfterPoolToStore = [this](int store, int, int count) {
            mulden[store] += count;
            pool -= count;
        };
    }
};

int RandomLegalPit(const TFeld& feld, std::mt19937& rng) {
    std::vector<int> legal;
    for (int n = 1; n <= 6; ++n)
        if (feld.IsLegalMove(PitIndex(feld.AktSpieler(), n))) legal.push_back(PitIndex(feld.AktSpieler(), n));
    return legal[std::uniform_int_distribution<size_t>(0, legal.size() - 1)(rng)];
}

void CheckBetweenMoves(const TFeld& feld, const TFeld& before, int stones) {
    ASSERT_EQ(test::Total(feld), 12 * stones);
    ASSERT_EQ(feld.Hand(), 0);
    ASSERT_EQ(feld.CapturePool(), 0);
    ASSERT_GE(feld.Store1(), before.Store1());
    ASSERT_GE(feld.Store2(), before.Store2());
    ASSERT_TRUE(feld.AktSpieler() == 1 || feld.AktSpieler() == 2);
    for (int i = 1; i <= 14; ++i) ASSERT_GE(feld.Mulde(i), 0);
    // Only the extra move of rule set 3 and the final sweep of rule sets 2 and 5 keep the turn.
    if (feld.ZuegeInRunde() != 0) {
        ASSERT_EQ(feld.ZuegeInRunde(), 1);
        ASSERT_TRUE(feld.Variante() == 3 || feld.IsGameOver());
    }
}

// Plays one game to its end; returns the number of moves and passes.
int PlayRandomGame(int variante, bool heads, int stones, std::mt19937& rng, bool withShadow) {
    TFeld feld = test::StartFeld(variante, stones, heads, 1 + static_cast<int>(rng() % 2));
    ShadowBoard shadow;
    if (withShadow) shadow.Attach(feld);
    int turns = 0;
    while (!feld.IsGameOver() && turns < kMaxMovesPerGame) {
        const TFeld before(feld);
        if (feld.HasNoLegalMove()) {
            feld.Skip();
            EXPECT_NE(feld.AktSpieler(), before.AktSpieler());
        } else {
            const int pit = RandomLegalPit(feld, rng);
            TFeld silent(before);
            silent.DoMove(pit);
            feld.DoMove(pit);
            EXPECT_EQ(test::PlacesOf(silent), test::PlacesOf(feld)) << "listeners changed the result";
        }
        CheckBetweenMoves(feld, before, stones);
        if (withShadow) {
            EXPECT_EQ(shadow.mulden, feld.Mulden());
            EXPECT_EQ(shadow.hand, 0);
            EXPECT_EQ(shadow.pool, 0);
        }
        if (::testing::Test::HasFatalFailure()) return turns;
        ++turns;
    }
    EXPECT_TRUE(feld.IsGameOver()) << "game did not end";
    EXPECT_EQ(feld.Store1() + feld.Store2(), 12 * stones);
    return turns;
}

class RandomGames : public ::testing::TestWithParam<int> {};

TEST_P(RandomGames, StonesConservedStoresGrowAndGamesEnd) {
    const int variante = GetParam();
    std::mt19937 rng(1000 + variante);
    for (bool heads : {false, true}) {
        for (int stones = 3; stones <= 8; ++stones) {
            for (int game = 0; game < 12; ++game) {
                SCOPED_TRACE(::testing::Message()
                             << "heads " << heads << " stones " << stones << " game " << game);
                PlayRandomGame(variante, heads, stones, rng, game % 3 == 0);
                if (HasFatalFailure()) return;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryRuleSet, RandomGames, ::testing::Range(1, 7));

} // namespace
} // namespace kelani
