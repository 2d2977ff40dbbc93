// The review of a game: a move that throws away a won game is a blunder, the best move carries no
// mark, and the marks follow the thresholds the help names.
#include "records/uGameReview.h"

#include "game/uTFeld.h"
#include "records/uPositionText.h"

#include <gtest/gtest.h>

using namespace kelani;

namespace {

// Player 1 holds half of all stones: pit 6 sows its stone into his store and wins at once, pit 3
// lets the game be drawn.
constexpr const char* kWonPosition = "v4 h1 s3 p1 : 0 0 1 0 0 1 [18] 0 1 1 2 1 0 [11]";

THistory FromWonPosition(int place) {
    THistory history;
    history.Init("Ann", "Bob", "", "", "", "", 4, true, 3, 1, 1, 0);
    history.StartPosition = kWonPosition;
    history.AddMove(1, static_cast<uint8_t>(place), 1);
    return history;
}

} // namespace

TEST(GameReview, APlantedBlunderIsMarkedAndTheBestMoveIsNot) {
    TMeisterLimits limits;
    limits.Depth = 20;
    const std::vector<TReviewMove> blunder = ReviewGame(FromWonPosition(3), limits);
    ASSERT_EQ(blunder.size(), 1u);
    EXPECT_EQ(blunder[0].Player, 1);
    EXPECT_EQ(blunder[0].Place, 3);
    EXPECT_EQ(blunder[0].Mark, TReviewMark::Blunder);
    EXPECT_TRUE(blunder[0].Exact);
    // The won game counts as every stone of it; the drawn line as no margin.
    EXPECT_EQ(blunder[0].Best, 36);
    EXPECT_EQ(blunder[0].Played, 0);

    const std::vector<TReviewMove> best = ReviewGame(FromWonPosition(6), limits);
    ASSERT_EQ(best.size(), 1u);
    EXPECT_EQ(best[0].Mark, TReviewMark::None);
    EXPECT_EQ(best[0].Value1, 36);

    // The thresholds the help gives, in stones given away.
    EXPECT_EQ(ReviewMark(1), TReviewMark::None);
    EXPECT_EQ(ReviewMark(2), TReviewMark::Inaccuracy);
    EXPECT_EQ(ReviewMark(4), TReviewMark::Mistake);
    EXPECT_EQ(ReviewMark(7), TReviewMark::Mistake);
    EXPECT_EQ(ReviewMark(8), TReviewMark::Blunder);
}
