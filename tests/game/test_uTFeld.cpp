// The rules engine: index functions, primitive steps and notifications, and the worked examples
// and edge cases of each rule set.
#include "tests/game/GameTestSupport.h"

#include <gtest/gtest.h>

namespace kelani {
namespace {

using test::MakeFeld;
using test::Places;
using test::PlacesOf;
using test::StartFeld;

TEST(IndexFunctions, GeometryOfTheFourteenPlaces) {
    for (int i = 1; i <= 14; ++i) {
        EXPECT_EQ(IsStirnmulde(i), i == 7 || i == 14) << i;
        EXPECT_EQ(OwnerOf(i), i <= 7 ? 1 : 2) << i;
    }
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(PitIndex(1, n), n);
        EXPECT_EQ(PitIndex(2, n), n + 7);
        EXPECT_EQ(PitNumber(PitIndex(2, n)), n);
        EXPECT_EQ(PitOwner(PitIndex(2, n)), 2);
        EXPECT_EQ(OppositePit(OppositePit(n)), n);
    }
    EXPECT_EQ(OppositePit(1), 13);
    EXPECT_EQ(OppositePit(6), 8);
    for (int i : {0, 7, 14, 15, -1}) {
        EXPECT_EQ(PitNumber(i), -1) << i;
        EXPECT_EQ(PitOwner(i), -1) << i;
        EXPECT_EQ(OppositePit(i), 0) << i;
    }
    EXPECT_EQ(Opponent(1), 2);
    EXPECT_EQ(Opponent(2), 1);
    EXPECT_EQ(Opponent(0), 0);
    EXPECT_EQ(Opponent(3), 0);
}

TEST(Feld, NewEngineIsEmptyAndResetGivesTheStartPosition) {
    TFeld fresh;
    EXPECT_EQ(test::Total(fresh), 0);
    EXPECT_EQ(fresh.AktSpieler(), 0);
    EXPECT_FALSE(fresh.UseStirnmulde());
    fresh.Skip(); // before a reset nothing can happen, not even a pass
    EXPECT_EQ(fresh.AktSpieler(), 0);

    TFeld feld = StartFeld(4);
    EXPECT_EQ(PlacesOf(feld), (Places{4, 4, 4, 4, 4, 4, 0, 4, 4, 4, 4, 4, 4, 0}));
    EXPECT_EQ(feld.AktSpieler(), 1);
    EXPECT_EQ(feld.OwnRowSum(), 24);
    EXPECT_EQ(feld.OtherRowSum(), 24);
    EXPECT_EQ(feld.ZuegeInRunde(), 0);
    feld.SetAktSpieler(2);
    EXPECT_EQ(feld.AktSpieler(), 2);
    feld.SetAktSpieler(3); // refused
    EXPECT_EQ(feld.AktSpieler(), 2);
    EXPECT_EQ(feld.Store(0), 0);
    EXPECT_EQ(feld.Store(3), 0);
}

TEST(Feld, IllegalMovesChangeNothing) {
    TFeld feld = MakeFeld(1, {0, 4, 4, 4, 4, 4, 0, 4, 4, 4, 4, 4, 4, 4});
    const Places before = PlacesOf(feld);
    for (int index : {-5, 0, 1, 7, 8, 13, 14, 15, 1000}) {
        EXPECT_FALSE(feld.IsLegalMove(index)) << index;
        feld.DoMove(index);
        EXPECT_EQ(PlacesOf(feld), before) << index;
        EXPECT_EQ(feld.AktSpieler(), 1) << index;
        EXPECT_EQ(feld.ZuegeInRunde(), 0) << index;
    }
    EXPECT_TRUE(feld.IsLegalMove(2));
    feld.Skip(); // a move exists: no pass
    EXPECT_EQ(feld.AktSpieler(), 1);

    feld.SetVariante(7); // an unknown rule set plays nothing
    feld.DoMove(2);
    EXPECT_EQ(PlacesOf(feld), before);
    EXPECT_EQ(feld.ZuegeInRunde(), 0);
}

TEST(Feld, AssignCopiesThePositionButNotTheNotifications) {
    TFeld live = StartFeld(3, 5, true, 2);
    int fired = 0;
    live.OnBeforeSow = [&](int, int, int) { ++fired; };
    live.OnAfterTake = [&](int, int, int) { ++fired; };

    TFeld copy;
    copy.Assign(live);
    copy.DoMove(9);
    TFeld constructed(live);
    constructed.DoMove(10);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(PlacesOf(live), PlacesOf(StartFeld(3, 5, true, 2)));
    EXPECT_EQ(copy.Variante(), 3);
    EXPECT_TRUE(copy.UseStirnmulde());
    EXPECT_EQ(copy.SteineProMulde(), 5);
    EXPECT_NE(PlacesOf(copy), PlacesOf(live));

    live = copy; // assignment keeps the live engine's own listeners
    live.DoMove(live.AktSpieler() == 1 ? 1 : 8);
    EXPECT_GT(fired, 0);
}

// Records every notification together with the board as the listener sees it.
struct Recorder {
    struct Event {
        std::string name;
        int place, player, count;
        int placeCount, hand, pool;
    };
    std::vector<Event> events;

    void Attach(TFeld& feld) {
        const auto bind = [&](TFeldEvent& slot, const char* name) {
            slot = [this, &feld, name](int place, int player, int count) {
                events.push_back(
                    {name, place, player, count, feld.Mulde(place), feld.Hand(), feld.CapturePool()});
            };
        };
        bind(feld.OnBeforeSow, "before-sow");
        bind(feld.OnAfterSow, "after-sow");
        bind(feld.OnBeforeTake, "before-take");
        bind(feld.OnAfterTake, "after-take");
        bind(feld.OnBeforeStore, "before-store");
        bind(feld.OnAfterStore, "after-store");
        bind(feld.OnBeforeCapture, "before-capture");
        bind(feld.OnAfterCapture, "after-capture");
        bind(feld.OnBeforePoolToStore, "before-pool");
        bind(feld.OnAfterPoolToStore, "after-pool");
    }
    std::string Names() const {
        std::string out;
        for (const Event& e : events) out += e.name + "@" + std::to_string(e.place) + " ";
        return out;
    }
};

TEST(Notifications, BeforeSeesTheOldBoardAndAfterTheNew) {
    // Rule set 6: player 1 sows 2 stones from pit 1 into 2 and 3; pit 3 is his own, so the
    // opposite pit 11 (4 stones) is captured into head pit 7.
    TFeld feld = MakeFeld(6, {2, 4, 4, 4, 4, 4, 0, 4, 4, 4, 4, 4, 4, 2});
    Recorder rec;
    rec.Attach(feld);
    feld.DoMove(1);
    EXPECT_EQ(rec.Names(), "before-take@1 after-take@1 before-sow@2 after-sow@2 before-sow@3 after-sow@3 "
                           "before-take@11 after-take@11 before-store@7 after-store@7 ");
    const auto& e = rec.events;
    EXPECT_EQ(e[0].count, 2);
    EXPECT_EQ(e[0].placeCount, 2); // before: the stones still in pit 1
    EXPECT_EQ(e[1].placeCount, 0); // after: taken
    EXPECT_EQ(e[1].hand, 2);
    EXPECT_EQ(e[2].placeCount, 4);
    EXPECT_EQ(e[3].placeCount, 5);
    EXPECT_EQ(e[3].hand, 1);
    EXPECT_EQ(e[8].count, 4);
    EXPECT_EQ(e[8].placeCount, 0); // head pit before the store
    EXPECT_EQ(e[9].placeCount, 4);
    for (const auto& ev : e) EXPECT_EQ(ev.player, 1);
}

TEST(Notifications, CaptureAndPoolPairsOfTheFourCapture) {
    // Rule set 5, player 1: pit 6 with 2 stones sows into 8 (3 -> 4, the opponent's four) and 9.
    TFeld feld = MakeFeld(5, {4, 4, 4, 4, 4, 2, 0, 3, 0, 4, 4, 4, 4, 6});
    Recorder rec;
    rec.Attach(feld);
    feld.DoMove(6);
    EXPECT_EQ(rec.Names(),
              "before-take@6 after-take@6 before-sow@8 after-sow@8 before-capture@8 after-capture@8 "
              "before-pool@14 after-pool@14 before-sow@9 after-sow@9 ");
    EXPECT_EQ(rec.events[4].count, 4);
    EXPECT_EQ(rec.events[5].count, 0);
    EXPECT_EQ(rec.events[5].pool, 4);
    EXPECT_EQ(rec.events[6].count, 4);
    EXPECT_EQ(rec.events[7].pool, 0);
    EXPECT_EQ(feld.Store2(), 10);
}

// ---- rule set 1 ----------------------------------------------------------------------------

TEST(RuleSet1, RelayFromTheStartPositionCapturesOnAnEmptyOwnPit) {
    TFeld feld = StartFeld(1);
    Recorder rec;
    rec.Attach(feld);
    feld.DoMove(1);
    EXPECT_EQ(PlacesOf(feld), (Places{2, 7, 0, 6, 1, 6, 2, 6, 6, 0, 0, 6, 6, 0}));
    EXPECT_EQ(feld.AktSpieler(), 2);
    EXPECT_EQ(feld.SowLapCount(), 5);
    std::vector<int> takes;
    for (const auto& e : rec.events)
        if (e.name == "before-take") takes.push_back(e.place);
    // Laps from 1, 5, 11, 3 and 10, then the capture takes 3 and its opposite 11.
    EXPECT_EQ(takes, (std::vector<int>{1, 5, 11, 3, 10, 3, 11}));
}

TEST(RuleSet1, EndsOnAStirnmuldeOrOnTheOpponentsEmptyPit) {
    // Head pits in use: 1 stone from pit 6 lands in head pit 7; the turn passes without capture.
    TFeld feld = MakeFeld(1, {4, 4, 4, 4, 4, 1, 0, 4, 4, 4, 4, 4, 4, 3}, 1, true);
    feld.DoMove(6);
    EXPECT_EQ(feld.Store1(), 1);
    EXPECT_EQ(feld.AktSpieler(), 2);
    EXPECT_EQ(feld.SowLapCount(), 1);
    // Last stone in the opponent's empty pit 9: nothing is captured.
    feld = MakeFeld(1, {4, 4, 4, 4, 4, 2, 0, 4, 0, 4, 4, 4, 4, 6});
    feld.DoMove(6);
    EXPECT_EQ(PlacesOf(feld), (Places{4, 4, 4, 4, 4, 0, 0, 5, 1, 4, 4, 4, 4, 6}));
    EXPECT_EQ(feld.AktSpieler(), 2);
}

TEST(RuleSet1, OwnStoneGoesToTheStoreEvenWhenTheOppositePitIsEmpty) {
    TFeld feld = MakeFeld(1, {1, 0, 4, 4, 4, 4, 0, 4, 4, 4, 4, 0, 4, 11});
    feld.DoMove(1);
    EXPECT_EQ(feld.Mulde(2), 0);
    EXPECT_EQ(feld.Store1(), 1);
    EXPECT_EQ(feld.AktSpieler(), 2);
}

// A relay that never finds an empty pit nor a head pit stops after the lap cap, and the turn
// passes as usual.
TEST(RuleSet1, EndlessRelayStopsAtTheLapCap) {
    TFeld feld = MakeFeld(1, {1, 2, 4, 3, 4, 1, 0, 3, 4, 5, 2, 1, 0, 0});
    int laps = 0;
    feld.OnBeforeTake = [&](int, int, int) { ++laps; };
    feld.DoMove(4);
    EXPECT_EQ(feld.SowLapCount(), kMaxSowLaps);
    EXPECT_EQ(laps, kMaxSowLaps);
    EXPECT_EQ(feld.AktSpieler(), 2);
    EXPECT_EQ(test::Total(feld), 30);
    EXPECT_EQ(feld.Hand(), 0);
    // The next move starts its own count.
    feld.DoMove(feld.IsLegalMove(8) ? 8 : 9);
    EXPECT_LT(feld.SowLapCount(), kMaxSowLaps);
}

// ---- rule set 2 ----------------------------------------------------------------------------

TEST(RuleSet2, ThirteenStonesStopAtTheStartPitAndTheRestGoesToTheOpponent) {
    TFeld feld = MakeFeld(2, {13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    feld.SetMulde(2, 5); // keep both rows above 3 so no end sweep hides the result
    feld.SetMulde(9, 5);
    feld.DoMove(1);
    EXPECT_EQ(PlacesOf(feld), (Places{1, 6, 1, 1, 1, 1, 0, 1, 6, 1, 1, 1, 1, 1}));
    EXPECT_EQ(feld.AktSpieler(), 2);
}

TEST(RuleSet2, FourGoesToTheOwnerExceptAnOpponentsFourMadeByTheLastStone) {
    // Player 1 sows 3 from pit 5: pit 6 (3 -> 4, own) to him; pit 8 (3 -> 4, opponent, not the
    // last stone) to the opponent; pit 9 (3 -> 4 by the last stone) to the mover.
    TFeld feld = MakeFeld(2, {4, 4, 4, 4, 3, 3, 0, 3, 3, 4, 4, 4, 4, 0});
    feld.DoMove(5);
    EXPECT_EQ(PlacesOf(feld), (Places{4, 4, 4, 4, 0, 0, 8, 0, 0, 4, 4, 4, 4, 4}));
    EXPECT_EQ(feld.AktSpieler(), 2);
}

TEST(RuleSet2And5, EndSweepGoesToTheMoverOnlyWithoutHeadPits) {
    for (int variante : {2, 5}) {
        // Player 1 sows his last 2 stones from pit 5 into 6 and 8; both rows then hold 3 or less.
        TFeld feld = MakeFeld(variante, {0, 0, 0, 0, 2, 0, 20, 1, 0, 0, 0, 1, 0, 24});
        feld.DoMove(5);
        EXPECT_EQ(feld.Store1(), 24) << variante;
        EXPECT_EQ(feld.StonesInPlay(), 0) << variante;
        EXPECT_EQ(feld.AktSpieler(), 1) << variante; // the turn does not pass
        EXPECT_TRUE(feld.IsGameOver()) << variante;

        TFeld withHeads = MakeFeld(variante, {0, 0, 0, 0, 2, 0, 20, 1, 0, 0, 0, 1, 0, 24}, 1, true);
        withHeads.DoMove(5);
        EXPECT_EQ(withHeads.Store1(), 21) << variante; // 6, then head pit 7
        EXPECT_EQ(withHeads.StonesInPlay(), 3) << variante;
        EXPECT_EQ(withHeads.AktSpieler(), 2) << variante;
        EXPECT_FALSE(withHeads.IsGameOver()) << variante;
    }
}

// ---- rule set 3 ----------------------------------------------------------------------------

TEST(RuleSet3, LastStoneInOwnStirnmuldeGivesOneExtraMoveOnly) {
    TFeld feld = MakeFeld(3, {4, 4, 4, 4, 2, 1, 0, 4, 4, 4, 4, 4, 4, 3}, 1, true);
    feld.DoMove(6); // into head pit 7
    EXPECT_EQ(feld.AktSpieler(), 1);
    EXPECT_EQ(feld.ZuegeInRunde(), 1);
    feld.DoMove(5); // 6, 7: again in the head pit, but this was the second move
    EXPECT_EQ(feld.Store1(), 2);
    EXPECT_EQ(feld.AktSpieler(), 2);
    EXPECT_EQ(feld.ZuegeInRunde(), 0);
}

TEST(RuleSet3, EmptyOwnPitCapturesOppositeAndKeepsItsStone) {
    TFeld feld = MakeFeld(3, {4, 1, 0, 4, 4, 4, 0, 4, 4, 5, 4, 4, 4, 2});
    feld.DoMove(2);
    EXPECT_EQ(feld.Mulde(3), 1);
    EXPECT_EQ(feld.Mulde(11), 0);
    EXPECT_EQ(feld.Store1(), 4);
    EXPECT_EQ(feld.AktSpieler(), 1); // extra move
    // Ending in an occupied own pit or on the opponent's side passes the turn.
    feld.DoMove(1);
    EXPECT_EQ(feld.AktSpieler(), 2);
    EXPECT_EQ(feld.Store1(), 4);
}

TEST(RuleSet3, EmptyOppositePitStillGivesTheExtraMove) {
    TFeld feld = MakeFeld(3, {4, 1, 0, 4, 4, 4, 0, 4, 4, 4, 0, 4, 4, 7});
    feld.DoMove(2);
    EXPECT_EQ(feld.Mulde(3), 1);
    EXPECT_EQ(feld.Store1(), 0);
    EXPECT_EQ(feld.AktSpieler(), 1);
}

// ---- rule set 4 ----------------------------------------------------------------------------

TEST(RuleSet4, FirstMoveFromTheStartPosition) {
    TFeld feld = StartFeld(4);
    feld.DoMove(1);
    EXPECT_EQ(PlacesOf(feld), (Places{0, 5, 5, 5, 5, 4, 0, 4, 4, 4, 4, 4, 4, 0}));
    EXPECT_EQ(feld.AktSpieler(), 2);
}

TEST(RuleSet4, TheStartPitIsPassedOver) {
    TFeld feld = MakeFeld(4, {12, 2, 2, 2, 2, 2, 0, 2, 2, 2, 2, 2, 2, 0});
    feld.DoMove(1);
    EXPECT_EQ(PlacesOf(feld), (Places{0, 4, 3, 3, 3, 3, 0, 3, 3, 3, 3, 3, 3, 0}));
    // With head pits in use the 14th stone is the one that skips the start pit.
    TFeld heads = MakeFeld(4, {14, 2, 2, 2, 2, 2, 0, 2, 2, 2, 2, 2, 2, 0}, 1, true);
    heads.DoMove(1);
    EXPECT_EQ(PlacesOf(heads), (Places{0, 4, 3, 3, 3, 3, 1, 3, 3, 3, 3, 3, 3, 1}));
}

TEST(RuleSet4, OwnPitMakingThreeIsCapturedWithoutLookingBack) {
    TFeld feld = MakeFeld(4, {4, 4, 1, 2, 2, 4, 0, 4, 4, 4, 4, 4, 4, 0});
    feld.DoMove(3); // one stone: pit 4 becomes 3; pit 3 before it is not examined
    EXPECT_EQ(feld.Mulde(4), 0);
    EXPECT_EQ(feld.Store1(), 3);
    EXPECT_EQ(feld.AktSpieler(), 2);
}

TEST(RuleSet4, OpponentsPitAndThePlaceBeforeItWhoeverOwnsIt) {
    TFeld feld = MakeFeld(4, {4, 4, 4, 3, 0, 2, 0, 1, 4, 4, 4, 4, 4, 8});
    feld.DoMove(4);
    EXPECT_EQ(PlacesOf(feld), (Places{4, 4, 4, 0, 1, 0, 5, 0, 4, 4, 4, 4, 4, 8}));
    // Only one place before it: a further 2 or 3 further back stays.
    feld = MakeFeld(4, {4, 4, 4, 4, 3, 2, 0, 1, 1, 4, 4, 4, 4, 5});
    feld.DoMove(5); // 6 -> 3, 8 -> 2, 9 -> 2: 9 and 8 are taken, 6 stays
    EXPECT_EQ(PlacesOf(feld), (Places{4, 4, 4, 4, 0, 3, 4, 0, 0, 4, 4, 4, 4, 5}));
}

TEST(RuleSet4, LastStoneInAStirnmuldeCapturesNothing) {
    TFeld feld = MakeFeld(4, {4, 4, 4, 4, 4, 1, 2, 4, 4, 4, 4, 4, 4, 3}, 1, true);
    feld.DoMove(6);
    EXPECT_EQ(feld.Store1(), 3);
    EXPECT_EQ(feld.AktSpieler(), 2);
}

// ---- rule set 5 ----------------------------------------------------------------------------

TEST(RuleSet5, RelayFromTheStartPositionStopsAfterFiveLaps) {
    TFeld feld = StartFeld(5);
    feld.DoMove(1);
    EXPECT_EQ(PlacesOf(feld), (Places{2, 7, 1, 6, 1, 6, 0, 6, 6, 0, 1, 6, 6, 0}));
    EXPECT_EQ(feld.AktSpieler(), 2);
}

TEST(RuleSet5, FourGoesToItsOwnerEvenByTheLastStone) {
    // Player 2 sows 2 from pit 13 (index 13) into 1 (3 -> 4, player 1's) and 2 (3 -> 4, last).
    TFeld feld = MakeFeld(5, {3, 3, 4, 4, 4, 4, 2, 4, 4, 4, 4, 4, 2, 0}, 2);
    feld.DoMove(13);
    EXPECT_EQ(feld.Store1(), 10);
    EXPECT_EQ(feld.Mulde(1), 0);
    EXPECT_EQ(feld.Mulde(2), 0);
    EXPECT_EQ(feld.AktSpieler(), 1);
    // The mover's own pit reaching four goes to the mover.
    feld = MakeFeld(5, {4, 4, 4, 4, 2, 3, 0, 4, 4, 4, 4, 4, 4, 3});
    feld.DoMove(5); // 6 (3 -> 4, own) to player 1, then 8 (4 -> 5) relays
    EXPECT_EQ(feld.Mulde(6), 0);
    EXPECT_GE(feld.Store1(), 4);
}

TEST(RuleSet5, RelayingStopsAfterTheFifthLapOnAnOccupiedPit) {
    // Every lap of one stone lands in a pit holding 1 (-> 2) and relays 2 stones onwards.
    TFeld feld = MakeFeld(5, {1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1, 36});
    Recorder rec;
    rec.Attach(feld);
    feld.DoMove(1);
    int takes = 0;
    for (const auto& e : rec.events) takes += e.name == "before-take";
    EXPECT_EQ(takes, 5);
    EXPECT_GT(feld.Mulde(feld.AktMulde()), 1); // the fifth lap ended on an occupied pit
    EXPECT_EQ(feld.AktSpieler(), 2);
}

// ---- rule set 6 ----------------------------------------------------------------------------

TEST(RuleSet6, OccupiedOwnPitStillCapturesOpposite) {
    TFeld feld = MakeFeld(6, {2, 4, 4, 4, 4, 4, 0, 4, 4, 4, 7, 4, 4, 1});
    feld.DoMove(1); // last stone in pit 3 (4 -> 5): opposite pit 11 goes to player 1
    EXPECT_EQ(feld.Mulde(3), 5);
    EXPECT_EQ(feld.Mulde(11), 0);
    EXPECT_EQ(feld.Store1(), 7);
    EXPECT_EQ(feld.AktMulde(), 3);
    // Ending on the opponent's side captures nothing.
    feld.DoMove(13); // player 2: 4 stones into 14, 1, 2, 3 with head pits off -> 1, 2, 3, 4
    EXPECT_EQ(feld.Store2(), 1);
    EXPECT_EQ(feld.Store1(), 7);
}

// ---- end sweep of rule sets 3, 4 and 6 -------------------------------------------------------

TEST(RuleSets3And4And6, FewStonesOnBothSidesGoToThePlayerWhoJustMoved) {
    for (int variante : {3, 4, 6}) {
        for (bool heads : {false, true}) {
            // Player 2 plays 2 stones from pit 13 onto player 1's side: 2 stones remain on his
            // own side and 3 (2 with head pits) on player 1's; all of them go to player 2.
            TFeld feld = MakeFeld(variante, {0, 0, 1, 0, 0, 0, 20, 0, 0, 1, 0, 1, 2, 22}, 2, heads);
            feld.DoMove(13);
            EXPECT_EQ(feld.StonesInPlay(), 0) << variante << heads;
            EXPECT_EQ(feld.Store2(), 27) << variante << heads;
            EXPECT_EQ(feld.Store1(), 20) << variante << heads;
            EXPECT_TRUE(feld.IsGameOver()) << variante << heads;
        }
    }
}

TEST(RuleSets3And4And6, SkipSweepsTheBoardToThePlayerWhoSitsOut) {
    TFeld feld = MakeFeld(6, {0, 0, 0, 0, 0, 0, 23, 0, 0, 1, 0, 0, 0, 24});
    EXPECT_TRUE(feld.HasNoLegalMove());
    EXPECT_FALSE(feld.IsGameOver());
    feld.Skip();
    EXPECT_EQ(feld.AktSpieler(), 2);
    EXPECT_EQ(feld.Store1(), 24);
    EXPECT_TRUE(feld.IsGameOver());
}

// ---- game end ------------------------------------------------------------------------------

TEST(GameEnd, IsGameOverOnlyWhenNeitherPlayerCanMove) {
    TFeld feld = MakeFeld(1, {0, 0, 0, 0, 0, 0, 20, 0, 0, 5, 5, 5, 0, 13});
    EXPECT_TRUE(feld.HasNoLegalMove());
    EXPECT_FALSE(feld.IsGameOver());
    EXPECT_EQ(feld.AktSpieler(), 1); // asking does not switch the player
    feld.Skip();
    EXPECT_EQ(feld.AktSpieler(), 2);
    EXPECT_FALSE(feld.HasNoLegalMove());

    feld = MakeFeld(1, {0, 0, 0, 0, 0, 0, 20, 0, 0, 0, 0, 0, 0, 28});
    EXPECT_TRUE(feld.IsGameOver());
    EXPECT_EQ(feld.Leader(), 2);
}

TEST(GameEnd, WillWinNeedsMoreThanHalf) {
    TFeld feld = MakeFeld(1, {4, 4, 4, 4, 4, 3, 24, 1, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(feld.SteineProMulde(), 4);
    EXPECT_EQ(feld.WillWin(), 0);
    feld.SetMulde(6, 2);
    feld.SetMulde(7, 25);
    EXPECT_EQ(feld.WillWin(), 1);
    feld = MakeFeld(1, {0, 0, 0, 0, 0, 0, 23, 0, 0, 0, 0, 0, 0, 25});
    EXPECT_EQ(feld.WillWin(), 2);
}

} // namespace
} // namespace kelani
