#include "components/uWait.h"
#include "tests/view/test_canvas_support.h"
#include "view/uTHands.h"
#include "view/uTSpielfeldLayers.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace kelani;
using namespace kelani::test;

namespace {

const std::array<QPoint, 3> kPickHot = {{{}, {213, 340}, {427, 140}}};
const std::array<QPoint, 3> kSowHot = {{{}, {460, 383}, {180, 97}}};
constexpr int kHalf = 12; // the test hand is a square of 24 pixels centred on the hot spot

QColor HandColour(int h, bool pick, int n) {
    return QColor(pick ? 250 : 120, 60 * h, 20 * n);
}

TKelaniHand TestHand(QPoint hot, QColor colour) {
    TKelaniHand hand{Filled({hot.x() + 40, hot.y() + 40}, Qt::black),
                     Filled({hot.x() + 40, hot.y() + 40}, Qt::white)};
    for (int y = hot.y() - kHalf; y < hot.y() + kHalf; ++y)
        for (int x = hot.x() - kHalf; x < hot.x() + kHalf; ++x) {
            hand.Picture.setPixel(x, y, colour.rgb());
            hand.Mask.setPixel(x, y, qRgb(0, 0, 0));
        }
    return hand;
}

QRect HandSquare(QPoint pos) {
    return QRect(pos.x() - kHalf, pos.y() - kHalf, 2 * kHalf, 2 * kHalf);
}

struct Shown {
    int64_t Time;
    int PickFrame, SowFrame;
    QPoint PickPos, SowPos;
    bool operator==(const Shown&) const = default;
};

struct HandsTest : ::testing::Test {
    QImage board = Gradient({720, 520});
    QImage frame = Filled({720, 520}, Qt::black);
    TGFXSteine steine{TestPiles()};
    TKelaniHands hands;
    int64_t now = 1000;
    int drawCost = 0; // simulated milliseconds every frame takes to reach the screen
    std::vector<Shown> shown;

    HandsTest() {
        hands.BoardImage = &board;
        hands.FrameImage = &frame;
        hands.SteinBilder = &steine;
        for (int h = 1; h <= 2; ++h) {
            for (int n = 0; n <= 11; ++n)
                if (TKelaniHands::PickFrameExists(n))
                    hands.PickFrames[h][n] = TestHand(kPickHot[h], HandColour(h, true, n));
            for (int n = 0; n <= 4; n += 2)
                hands.SowFrames[h][n] = TestHand(kSowHot[h], HandColour(h, false, n));
        }
        hands.Tick = [this] { return now; };
        hands.WaitUntilTick = [this](int64_t tick) { now = std::max(now + 1, tick); };
        hands.OnFrame = [this](TKelaniHands& sender) {
            EXPECT_EQ(&sender, &hands);
            shown.push_back(
                {now - 1000, hands.PickFrame[1], hands.SowFrame[1], hands.PickPos[1], hands.SowPos[1]});
            now += drawCost;
        };
        // Both players' hands wait at their home points outside the board.
        hands.PickPos = {QPoint(), QPoint(400, -100), QPoint(200, 700)};
        hands.SowPos = {QPoint(), QPoint(200, -100), QPoint(400, 700)};
    }

    std::vector<int64_t> Times() const {
        std::vector<int64_t> times;
        for (const Shown& s : shown) times.push_back(s.Time);
        return times;
    }
    std::vector<int> PickFrames() const {
        std::vector<int> frames;
        for (const Shown& s : shown) frames.push_back(s.PickFrame);
        return frames;
    }
};

} // namespace

TEST_F(HandsTest, PickShowsItsSevenFramesOnTheFiftyMillisecondGrid) {
    hands.Pick({300, 200}, 4, 1);
    EXPECT_EQ(Times(), (std::vector<int64_t>{0, 50, 150, 250, 350, 450, 550}));
    EXPECT_EQ(PickFrames(), (std::vector<int>{0, 1, 3, 5, 7, 9, 11}));
    EXPECT_EQ(now - 1000, 600);
    EXPECT_EQ(hands.PickStones[1], 4);
    hands.Pick({300, 200}, 2, 1);
    EXPECT_EQ(hands.PickStones[1], 6); // a second pick adds to the stones held
}

TEST_F(HandsTest, SlowDrawingShortensThePausesNotTheAnimation) {
    drawCost = 30;
    hands.Pick({300, 200}, 1, 1);
    EXPECT_EQ(Times(), (std::vector<int64_t>{0, 50, 150, 250, 350, 450, 550}));
    EXPECT_EQ(now - 1000, 600);
}

TEST_F(HandsTest, MoveHandsOnTargetShowsOneFrameAndWaitsOneStep) {
    hands.MoveHands(hands.PickPos[2], hands.SowPos[2], 2);
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(now - 1000, 100);
}

TEST_F(HandsTest, StepLengthsGrowWithTheDistance) {
    const std::vector<std::pair<int, int>> expected = {{26, 26},  {80, 26},  {81, 34},  {200, 34},
                                                       {201, 47}, {300, 47}, {301, 57}, {20, 20}};
    for (auto [distance, step] : expected)
        EXPECT_EQ(TKelaniHands::StepToward({0, 0}, {distance, 0}), QPoint(step, 0)) << distance;
    EXPECT_EQ(TKelaniHands::StepToward({10, 10}, {10, 10 - 81}), QPoint(10, 10 - 34));
}

TEST_F(HandsTest, StepsRoundEachCoordinateToTheNearest) {
    // distance 104.4, step 34: 9.77 and 32.57 (truncation would give 9 and 32)
    EXPECT_EQ(TKelaniHands::StepToward({0, 0}, {30, 100}), QPoint(10, 33));
    EXPECT_EQ(TKelaniHands::StepToward({0, 0}, {-30, -100}), QPoint(-10, -33));
    EXPECT_EQ(TKelaniHands::StepToward({0, 0}, {60, 80}), QPoint(20, 27)); // 20.4 and 27.2
}

TEST_F(HandsTest, MoveHandsStepsBothHandsUntilBothArrive) {
    hands.PickPos[1] = {100, 100};
    hands.SowPos[1] = {100, 300};
    hands.MoveHands({200, 100}, {110, 300}, 1);
    // picking hand: 34, then 26, 26, then the last 14 at once; the sowing hand is there at once
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].PickPos, QPoint(134, 100));
    EXPECT_EQ(shown[1].PickPos, QPoint(160, 100));
    EXPECT_EQ(shown[2].PickPos, QPoint(186, 100));
    EXPECT_EQ(shown[3].PickPos, QPoint(200, 100));
    EXPECT_EQ(shown[0].SowPos, QPoint(110, 300));
    EXPECT_EQ(Times(), (std::vector<int64_t>{0, 100, 200, 300}));
}

TEST_F(HandsTest, HandsAboveOrBelowTheBoardAreNotDrawn) {
    for (int y : {-100, 700, -1, 641}) {
        hands.PickPos[1] = {300, y};
        hands.SowPos[2] = {300, y};
        hands.Render();
        EXPECT_EQ(frame, board) << y;
    }
    hands.PickPos[1] = {300, 0};
    hands.Render();
    EXPECT_EQ(DifferenceBounds(frame, board), RectLTRB(288, 0, 312, 12));
    hands.PickPos[1] = {300, -100};
    hands.SowPos[2] = {300, 640}; // drawn, although the square lies below the picture
    hands.Render();
    EXPECT_EQ(frame, board);
    hands.SowPos[2] = {300, 519};
    hands.Render();
    EXPECT_EQ(DifferenceBounds(frame, board), RectLTRB(288, 507, 312, 520));
}

TEST_F(HandsTest, MaskAndPictureChangeOnlyTheHandItself) {
    hands.PickPos[1] = {300, 200};
    hands.PickFrame[1] = 5;
    hands.SowPos[2] = {500, 400};
    hands.SowFrame[2] = 2;
    hands.Render();
    EXPECT_EQ(frame.pixelColor(300, 200), HandColour(1, true, 5));
    EXPECT_EQ(frame.pixelColor(500, 400), HandColour(2, false, 2));
    QImage expected = frame.copy();
    TCanvas(expected).CopyRect(HandSquare({300, 200}), board, HandSquare({300, 200}));
    TCanvas(expected).CopyRect(HandSquare({500, 400}), board, HandSquare({500, 400}));
    EXPECT_EQ(expected, board);
}

TEST_F(HandsTest, HeldStonesShowFromFrameNineWithThePileOffset) {
    hands.PickPos[1] = {300, 200};
    hands.PickStones[1] = 3;
    hands.PickFrame[1] = 7;
    hands.Render();
    EXPECT_EQ(DifferenceBounds(frame, board), HandSquare({300, 200}));
    hands.PickFrame[1] = 9;
    hands.Render();
    const QPoint pile = QPoint(300, 200) + PileOffset(3) + QPoint(-20, -10);
    EXPECT_EQ(frame.pixelColor(pile + QPoint(2, 2)), PileColour(3));

    hands.PickPos[2] = {400, 300};
    hands.PickFrame[2] = 11;
    hands.PickStones[2] = 12; // the nine-pile without offset
    hands.Render();
    EXPECT_EQ(frame.pixelColor(QPoint(400 - 58 + 2, 300 - 46 + 2)), PileColour(9));
}

TEST_F(HandsTest, NoStonesForAnEmptyHandOrMoreThanNinetyNine) {
    hands.PickPos[1] = {300, 200};
    hands.PickFrame[1] = 11;
    for (int stones : {0, 100}) {
        hands.PickStones[1] = stones;
        hands.Render();
        EXPECT_EQ(DifferenceBounds(frame, board), HandSquare({300, 200})) << stones;
    }
}

TEST_F(HandsTest, HandOverEmptiesThePickingHandButNeverBelowZero) {
    hands.PickPos[1] = {300, 200};
    hands.SowPos[1] = {160, 200};
    hands.PickStones[1] = 3;
    hands.HandOver({300, 200}, 5, 1);
    EXPECT_EQ(hands.PickStones[1], 0);
    EXPECT_EQ(hands.SowPos[1], QPoint(360, 260));
    EXPECT_EQ(hands.PickPos[1], QPoint(300, 200));
    ASSERT_GE(shown.size(), 3u);
    std::vector<int> sow;
    for (size_t k = shown.size() - 3; k < shown.size(); ++k) sow.push_back(shown[k].SowFrame);
    EXPECT_EQ(sow, (std::vector<int>{0, 2, 4}));
}

TEST_F(HandsTest, DropPlaysTheSowingFramesBackwardsThenForwards) {
    hands.PickPos[2] = {300, 250};
    hands.SowPos[2] = {320, 250};
    hands.Drop({330, 250}, 1, 2);
    EXPECT_EQ(hands.SowPos[2], QPoint(330, 250));
    ASSERT_EQ(shown.size(), 7u); // one movement frame, then 4 2 0 and 0 2 4
    const std::vector<int64_t> expected = {0, 100, 200, 300, 350, 450, 550};
    EXPECT_EQ(Times(), expected);
    EXPECT_EQ(now - 1000, 600);
}

TEST_F(HandsTest, AnUnknownPlayerMovesNoHandAndShowsNothing) {
    for (int h : {0, 3, -1}) {
        hands.MoveHands({0, 0}, {0, 0}, h);
        hands.Pick({0, 0}, 1, h);
        hands.HandOver({0, 0}, 1, h);
        hands.Drop({0, 0}, 1, h);
    }
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(now, 1000);
}

TEST_F(HandsTest, RealWaitsPumpWindowMessagesAndKeepTheFrameCount) {
    hands.Tick = nullptr;
    hands.WaitUntilTick = nullptr;
    SetWaitSpeedUp(10);
    bool timerFired = false;
    QTimer::singleShot(0, [&] { timerFired = true; });
    const int64_t start = TickCount();
    hands.Pick({300, 200}, 1, 1);
    const int64_t took = TickCount() - start;
    SetWaitSpeedUp(1);
    EXPECT_EQ(PickFrames(), (std::vector<int>{0, 1, 3, 5, 7, 9, 11}));
    EXPECT_TRUE(timerFired);
    EXPECT_GE(took, 12); // twelve steps of at least one pass of 1 ms each
}
