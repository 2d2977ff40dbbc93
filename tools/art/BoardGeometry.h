#pragma once
// Where the board view draws things, in pixels of the 720 x 520 board picture. The pictures are
// painted to fit these positions exactly; the board code places them with the same numbers.
#include <QPoint>
#include <QRect>

#include <array>

namespace kelani::art {

constexpr int kBoardWidth = 720;
constexpr int kBoardHeight = 520;

// (left, top, right, bottom), right and bottom exclusive.
struct TBox {
    int l, t, r, b;
    constexpr int Width() const { return r - l; }
    constexpr int Height() const { return b - t; }
    constexpr QPointF Centre() const { return {(l + r) / 2.0, (t + b) / 2.0}; }
    QRect Rect() const { return QRect(l, t, r - l, b - t); }
};

constexpr bool IsHeadPit(int place) {
    return place == 7 || place == 14;
}

// Places 1..14 (index 0 unused): player 1's row right to left, his head pit on the left, player
// 2's row left to right, his head pit on the right.
constexpr std::array<TBox, 15> kPitRects{{{0, 0, 0, 0},
                                          {512, 160, 578, 211},
                                          {438, 160, 505, 211},
                                          {366, 160, 432, 211},
                                          {292, 160, 359, 211},
                                          {219, 160, 286, 211},
                                          {146, 160, 213, 211},
                                          {58, 182, 126, 280},
                                          {132, 237, 203, 294},
                                          {210, 237, 281, 294},
                                          {289, 237, 359, 294},
                                          {367, 237, 436, 294},
                                          {445, 237, 515, 294},
                                          {522, 237, 592, 294},
                                          {594, 176, 659, 276}}};

// Stone origin P and pit-rim origin Q of the playing pits (head pits unused).
constexpr std::array<QPoint, 15> kStoneOrigins{{{0, 0},
                                                {507, 160},
                                                {434, 161},
                                                {361, 161},
                                                {288, 161},
                                                {214, 161},
                                                {141, 161},
                                                {0, 0},
                                                {129, 243},
                                                {207, 242},
                                                {285, 242},
                                                {363, 242},
                                                {442, 241},
                                                {520, 241},
                                                {0, 0}}};
constexpr std::array<QPoint, 15> kRimOrigins{{{0, 0},
                                              {506, 185},
                                              {433, 187},
                                              {359, 187},
                                              {286, 187},
                                              {214, 187},
                                              {140, 187},
                                              {0, 0},
                                              {123, 267},
                                              {202, 266},
                                              {281, 266},
                                              {360, 266},
                                              {438, 266},
                                              {516, 266},
                                              {0, 0}}};

// Pile offset D(n) added to the stone origin for n = 1..8 stones; none from 9 on.
constexpr std::array<QPoint, 10> kPileOffsets{
    {{0, 0}, {23, 19}, {23, 10}, {23, 7}, {9, 6}, {9, 5}, {9, 0}, {10, 0}, {7, 0}, {0, 0}}};
inline QPoint PileOffset(int n) {
    return n >= 1 && n <= 8 ? kPileOffsets[n] : QPoint(0, 0);
}

// The five pile anchors of each head pit and how a count up to 15 is spread over them.
constexpr std::array<QPoint, 5> kHeadAnchors7{{{75, 185}, {100, 229}, {66, 213}, {61, 219}, {73, 255}}};
constexpr std::array<QPoint, 5> kHeadAnchors14{{{596, 178}, {601, 214}, {608, 216}, {599, 232}, {622, 252}}};
constexpr int kHeadSpread7[16][5] = {{0, 0, 0, 0, 0}, {0, 0, 0, 1, 0}, {1, 0, 0, 1, 0}, {1, 1, 0, 1, 0},
                                     {1, 1, 1, 1, 0}, {2, 1, 1, 1, 0}, {2, 1, 1, 1, 1}, {3, 1, 1, 1, 1},
                                     {3, 1, 1, 2, 1}, {3, 1, 1, 3, 1}, {3, 1, 1, 4, 1}, {3, 1, 1, 5, 1},
                                     {4, 1, 1, 5, 1}, {4, 1, 1, 6, 1}, {5, 1, 1, 6, 1}, {6, 1, 1, 6, 1}};
constexpr int kHeadSpread14[16][5] = {{0, 0, 0, 0, 0}, {0, 0, 1, 0, 0}, {1, 0, 1, 0, 0}, {1, 1, 1, 0, 0},
                                      {2, 1, 1, 0, 0}, {2, 1, 2, 0, 0}, {2, 1, 2, 1, 0}, {3, 1, 2, 1, 0},
                                      {3, 1, 2, 1, 1}, {3, 1, 3, 1, 1}, {3, 1, 4, 1, 1}, {3, 1, 5, 1, 1},
                                      {4, 1, 5, 1, 1}, {4, 1, 6, 1, 1}, {5, 1, 6, 1, 1}, {6, 1, 6, 1, 1}};

// Text areas of the board layers.
constexpr TBox kClockRect{75, 27, 143, 62};
constexpr TBox kMoverRect{220, 27, 285, 46};
constexpr TBox kVariantRect{353, 27, 416, 46};
constexpr TBox kInHandRect{475, 27, 545, 62};
constexpr TBox kCounterRect{635, 20, 685, 64};
constexpr TBox kNotesRect{448, 422, 683, 485};
constexpr TBox kOverviewRect{15, 454, 413, 509};

// The numeric sketches of the overview sit on small boards; the sketch is drawn 8 right and 9
// down from the small board's corner, its eight 23-pixel columns and three lines 15 apart.
constexpr int kSmallBoardWidth = 199;
constexpr int kSmallBoardHeight = 62;
constexpr QPoint kSketchOffset{8, 9};
constexpr QPoint kOverviewSketch{18, 458};
constexpr QPoint kPreviewSketch{228, 458};
constexpr QPoint kOverviewCaption{53, 395};
constexpr QPoint kPreviewCaption{256, 395};

// Hand hot spots (the fingertips that reach the pit), per player 1 and 2, and where the stones
// held by the picking hand are drawn relative to the hand's position.
constexpr std::array<QPoint, 3> kPickHotSpot{{{0, 0}, {213, 340}, {427, 140}}};
constexpr std::array<QPoint, 3> kSowHotSpot{{{0, 0}, {460, 383}, {180, 97}}};
constexpr std::array<QPoint, 3> kHeldStonesOffset{{{0, 0}, {-20, -10}, {-58, -46}}};

} // namespace kelani::art
