#include "game/uTFeld.h"
#include "tests/view/test_canvas_support.h"
#include "view/uTCanvas.h"
#include "view/uTFeldSketch.h"

#include <gtest/gtest.h>

using namespace kelani;
using namespace kelani::test;

namespace {

const QRgb kGreen = qRgb(51, 204, 51);
const QRgb kYellow = qRgb(187, 187, 0);

TFeld StartPosition() {
    TFeld feld;
    feld.SetVariante(4);
    feld.SetSteineProMulde(4);
    feld.SetUseStirnmulde(false);
    feld.Reset();
    return feld;
}

// Bounds of the pixels of exactly `color` inside `area`.
QRect ColourBounds(const QImage& image, QRgb color, const QRect& area) {
    QRect bounds;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixel(x, y) & RGB_MASK) == (color & RGB_MASK)) bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// Bounds of the dark text pixels in `area` (antialiased edges left out).
QRect DarkBounds(const QImage& image, const QRect& area) {
    QRect bounds;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 60) bounds |= QRect(x, y, 1, 1);
    return bounds;
}

struct SketchTest : ::testing::Test {
    QImage image = Filled({260, 80}, Qt::white);
    TCanvas canvas{image};
    static constexpr int X = 20, Y = 20;
};

} // namespace

TEST_F(SketchTest, PlayerRowsAndStoresInTheirColoursAndTheStonesInPlayInBlack) {
    DrawFeldSketch(canvas, StartPosition(), X, Y, -1);
    for (int column = 1; column <= 6; ++column) {
        EXPECT_FALSE(ColourBounds(image, kGreen, QRect(X + 23 * column, Y, 23, 15)).isNull()) << column;
        EXPECT_FALSE(ColourBounds(image, kYellow, QRect(X + 23 * column, Y + 30, 23, 15)).isNull()) << column;
    }
    EXPECT_FALSE(ColourBounds(image, kGreen, QRect(X, Y + 15, 23, 15)).isNull());
    EXPECT_FALSE(ColourBounds(image, kYellow, QRect(X + 161, Y + 15, 23, 15)).isNull());
    const QRect middle = DarkBounds(image, QRect(X + 30, Y + 15, 124, 15));
    ASSERT_FALSE(middle.isNull());
    EXPECT_NEAR(middle.center().x(), X + 92, 2); // 48 centred in the 184-pixel width
    EXPECT_TRUE(QRect(X, Y, 184, 45).contains(DifferenceBounds(image, Filled({260, 80}, Qt::white))));
}

TEST_F(SketchTest, EachNumberIsCentredInItsCell) {
    TFeld feld = StartPosition();
    feld.SetMulde(6, 8); // column 1, top row: a one-digit number
    feld.SetMulde(1, 0);
    feld.SetMulde(13, 12); // column 6, bottom row
    DrawFeldSketch(canvas, feld, X, Y, -1);
    const QRect six = ColourBounds(image, kGreen, QRect(X + 23, Y, 23, 15));
    const QRect thirteen = ColourBounds(image, kYellow, QRect(X + 138, Y + 30, 23, 15));
    EXPECT_NEAR(six.center().x(), X + 23 + 11, 2);
    EXPECT_NEAR(thirteen.center().x(), X + 138 + 11, 2);
    EXPECT_GT(thirteen.width(), six.width()); // "12" against "8"
}

TEST_F(SketchTest, RingMarksAPlayingPitInItsOwnersColour) {
    DrawFeldSketch(canvas, StartPosition(), X, Y, 1); // player 1 pit 1: column 6, top row
    const QRect ring = ColourBounds(image, kGreen, QRect(X + 138, Y - 4, 25, 23));
    EXPECT_GE(ring.width(), 16);
    EXPECT_TRUE(RectLTRB(X + 138 + 1, Y - 3, X + 138 + 21, Y + 17).contains(ring));

    QImage lower = Filled({260, 80}, Qt::white);
    TCanvas lowerCanvas(lower);
    DrawFeldSketch(lowerCanvas, StartPosition(), X, Y, 8); // player 2 pit 1: column 1, bottom row
    const QRect yellowRing = ColourBounds(lower, kYellow, RectLTRB(X + 23, Y + 27, X + 46, Y + 47));
    EXPECT_TRUE(RectLTRB(X + 24, Y + 27, X + 44, Y + 47).contains(yellowRing));
    EXPECT_GE(yellowRing.height(), 16);
}

TEST_F(SketchTest, NoRingForAPassAHeadPitOrNothing) {
    DrawFeldSketch(canvas, StartPosition(), X, Y, -1);
    for (int ring : {0, 7, 14, 99}) {
        QImage other = Filled({260, 80}, Qt::white);
        TCanvas otherCanvas(other);
        DrawFeldSketch(otherCanvas, StartPosition(), X, Y, ring);
        EXPECT_EQ(other, image) << ring;
    }
}

TEST_F(SketchTest, LeavesTheCanvasInTheSketchState) {
    canvas.Brush.Style = TBrushStyle::Solid;
    DrawFeldSketch(canvas, StartPosition(), X, Y, 3);
    EXPECT_EQ(canvas.Brush.Style, TBrushStyle::Clear);
    EXPECT_EQ(canvas.Font.Name, "Arial");
    EXPECT_TRUE(canvas.Font.Bold);
    EXPECT_EQ(canvas.Font.Size, 8);
    EXPECT_EQ(canvas.Pen.Width, 2);
}
