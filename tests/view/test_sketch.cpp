#include "game/uTFeld.h"
#include "tests/view/test_canvas_support.h"
#include "view/uTCanvas.h"
#include "view/uTFeldSketch.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <map>

using namespace kelani;
using namespace kelani::test;

namespace {

const QRgb kGreen = qRgb(90, 170, 255);  // player 1
const QRgb kYellow = qRgb(255, 190, 40); // player 2

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

namespace {

using TMatrix = std::array<std::array<double, 3>, 3>;

// Colour vision without one kind of cone, in linear RGB (Machado, Oliveira and Fernandes 2009,
// severity 1).
const std::map<std::string, TMatrix> kColourBlindness = {
    {"protanopia",
     {{{0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216}, {-0.003882, -0.048116, 1.051998}}}},
    {"deuteranopia",
     {{{0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413}, {-0.011820, 0.042940, 0.968881}}}},
    {"tritanopia",
     {{{1.255528, -0.076749, -0.178779}, {-0.078411, 0.930809, 0.147602}, {0.004733, 0.691367, 0.303900}}}},
};
const TMatrix kNormal = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// CIELAB (D65) of `color` as seen through `vision`.
std::array<double, 3> Lab(QRgb color, const TMatrix& vision) {
    const std::array<double, 3> in = {Linear(qRed(color)), Linear(qGreen(color)), Linear(qBlue(color))};
    std::array<double, 3> rgb{};
    for (int i = 0; i < 3; ++i)
        rgb[i] = std::clamp(vision[i][0] * in[0] + vision[i][1] * in[1] + vision[i][2] * in[2], 0.0, 1.0);
    const double x = (0.4124 * rgb[0] + 0.3576 * rgb[1] + 0.1805 * rgb[2]) / 0.95047;
    const double y = 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
    const double z = (0.0193 * rgb[0] + 0.1192 * rgb[1] + 0.9505 * rgb[2]) / 1.08883;
    const auto f = [](double t) { return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116; };
    return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

// The colour difference (CIE76) of two colours for a viewer with `vision`.
double DeltaE(QRgb a, QRgb b, const TMatrix& vision) {
    const auto la = Lab(a, vision), lb = Lab(b, vision);
    return std::hypot(la[0] - lb[0], la[1] - lb[1], la[2] - lb[2]);
}

// The colour most pixels of `area` have besides the white ground: the colour its numbers are drawn in.
QRgb InkColour(const QImage& image, const QRect& area) {
    std::map<QRgb, int> count;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixel(x, y) & RGB_MASK) != (qRgb(255, 255, 255) & RGB_MASK))
                ++count[image.pixel(x, y)];
    return std::max_element(count.begin(), count.end(), [](auto& a, auto& b) { return a.second < b.second; })
        ->first;
}

// The pixel rows of `area` that hold a run of `color` at least `length` wide.
int RowsWithRun(const QImage& image, const QRect& area, QRgb color, int length) {
    int rows = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        int run = 0, longest = 0;
        for (int x = area.left(); x <= area.right(); ++x) {
            run = (image.pixel(x, y) & RGB_MASK) == (color & RGB_MASK) ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        rows += longest >= length;
    }
    return rows;
}

} // namespace

// The sketches of the history, the preview and the printout tell the players apart for a viewer
// without red, green or blue cones: the numbers' colours stay far apart (green against yellow
// nearly met for protanopes, 2.2), and player 2's numbers carry a bar that needs no colour.
TEST_F(SketchTest, PlayersStayApartForColourBlindViewersAndWithoutColour) {
    DrawFeldSketch(canvas, StartPosition(), X, Y, -1);
    const QRgb one = InkColour(image, QRect(X + 23, Y, 138, 15));
    const QRgb two = InkColour(image, QRect(X + 23, Y + 30, 138, 15));
    EXPECT_GT(DeltaE(one, two, kNormal), 60);
    for (const auto& [name, vision] : kColourBlindness) EXPECT_GT(DeltaE(one, two, vision), 40) << name;
    EXPECT_LT(DeltaE(qRgb(51, 204, 51), qRgb(187, 187, 0), kColourBlindness.at("protanopia")), 3);

    for (int column = 1; column <= 6; ++column) {
        // Below the digits, where the bar lies.
        EXPECT_EQ(RowsWithRun(image, QRect(X + 23 * column, Y + 11, 23, 4), one, 4), 0) << column;
        EXPECT_EQ(RowsWithRun(image, QRect(X + 23 * column, Y + 41, 23, 4), two, 4), 2) << column;
    }
}
