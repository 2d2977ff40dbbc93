#include "tests/view/test_canvas_support.h"
#include "view/uTCanvas.h"

#include <QFontInfo>
#include <gtest/gtest.h>

using namespace kelani;
using namespace kelani::test;

TEST(Canvas, FontNamesOfTheBoardMapToTheInstalledFreeFonts) {
    EXPECT_EQ(QFontInfo(QFont("Comic Sans MS")).family(), "Comic Neue");
    EXPECT_EQ(QFontInfo(QFont("Arial")).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(QFont("Tahoma")).family(), "DejaVu Sans");
}

TEST(Canvas, PointSizesAreMeasuredAtNinetySixDpi) {
    QImage image = Filled({10, 10}, Qt::white);
    TCanvas canvas(image);
    canvas.Font.Size = 8;
    EXPECT_EQ(canvas.QtFont().pixelSize(), 11);
    canvas.Font.Size = 9;
    EXPECT_EQ(canvas.QtFont().pixelSize(), 12);
    canvas.Font.Size = 4;
    EXPECT_EQ(canvas.QtFont().pixelSize(), 5);
}

TEST(Canvas, CopyRectCopiesExactlyAndStretchesWhenSizesDiffer) {
    const QImage source = Gradient({100, 80});
    QImage image = Filled({100, 80}, Qt::black);
    TCanvas canvas(image);
    canvas.CopyRect(RectLTRB(10, 20, 40, 30), source, RectLTRB(10, 20, 40, 30));
    EXPECT_TRUE(SameInside(image, source, RectLTRB(10, 20, 40, 30)));
    EXPECT_EQ(DifferenceBounds(image, Filled({100, 80}, Qt::black)), RectLTRB(10, 20, 40, 30));

    QImage stretched = Filled({100, 80}, Qt::black);
    TCanvas target(stretched);
    target.CopyRect(RectLTRB(0, 0, 40, 40), Filled({10, 10}, Qt::red), RectLTRB(0, 0, 10, 10));
    EXPECT_EQ(DifferenceBounds(stretched, Filled({100, 80}, Qt::black)), RectLTRB(0, 0, 40, 40));
    EXPECT_EQ(stretched.pixel(39, 39), qRgb(255, 0, 0));
}

TEST(Canvas, CopyRectWithinOneCanvasReadsTheOldPixels) {
    QImage image = Gradient({64, 64});
    const QImage before = image.copy();
    TCanvas canvas(image);
    canvas.CopyRect(RectLTRB(4, 4, 36, 36), canvas, RectLTRB(0, 0, 32, 32));
    EXPECT_EQ(image.pixel(4, 4), before.pixel(0, 0));
    EXPECT_EQ(image.pixel(35, 35), before.pixel(31, 31));
}

TEST(Canvas, TransparentDrawLeavesOutExactlyTheKeyColour) {
    QImage picture = Filled({4, 1}, Qt::red);
    picture.setPixel(1, 0, qRgb(254, 0, 0)); // almost the key: must be drawn
    picture.setPixel(2, 0, qRgb(0, 0, 255));
    QImage image = Filled({4, 1}, Qt::white);
    TCanvas canvas(image);
    canvas.DrawTransparent(0, 0, picture, Qt::red);
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(1, 0), qRgb(254, 0, 0));
    EXPECT_EQ(image.pixel(2, 0), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(3, 0), qRgb(255, 255, 255));

    QImage again = Filled({4, 1}, Qt::white);
    TCanvas(again).Draw(0, 0, MakeTransparent(picture, Qt::red));
    EXPECT_EQ(again, image);
}

// A sprite: the mask is black on the shape and white around it, the picture black around it.
TEST(Canvas, AndThenXorDrawsTheShapeAndLeavesTheRestUntouched) {
    const QImage board = Gradient({50, 50});
    QImage image = board.copy();
    QImage mask = Filled({20, 20}, Qt::white);
    QImage picture = Filled({20, 20}, Qt::black);
    for (int y = 5; y < 15; ++y)
        for (int x = 5; x < 15; ++x) {
            mask.setPixel(x, y, qRgb(0, 0, 0));
            picture.setPixel(x, y, qRgb(200, 100, 50));
        }
    TCanvas canvas(image);
    canvas.AndBlit(10, 10, mask);
    canvas.XorBlit(10, 10, picture);
    EXPECT_TRUE(SameOutside(image, board, RectLTRB(15, 15, 25, 25)));
    EXPECT_EQ(image.pixel(15, 15), qRgb(200, 100, 50));
    EXPECT_EQ(image.pixel(24, 24), qRgb(200, 100, 50));
    EXPECT_EQ(qAlpha(image.pixel(20, 20)), 255);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 255);
}

TEST(Canvas, BitwiseBlitsWorkOnAPictureOfAnotherFormat) {
    QImage image(8, 8, QImage::Format_RGB888);
    image.fill(qRgb(0xF0, 0x0F, 0xFF));
    TCanvas canvas(image);
    canvas.AndBlit(0, 0, Filled({8, 8}, qRgb(0x3C, 0x3C, 0x0F)));
    EXPECT_EQ(image.pixel(3, 3), qRgb(0x30, 0x0C, 0x0F));
    canvas.XorBlit(0, 0, Filled({4, 4}, qRgb(0xFF, 0xFF, 0xFF)));
    EXPECT_EQ(image.pixel(3, 3), qRgb(0xCF, 0xF3, 0xF0));
    EXPECT_EQ(image.pixel(4, 4), qRgb(0x30, 0x0C, 0x0F));
}

TEST(Canvas, ClearBrushTextLeavesTheBackgroundBetweenTheLetters) {
    QImage image = Filled({120, 30}, Qt::blue);
    TCanvas canvas(image);
    canvas.Brush.Style = TBrushStyle::Clear;
    canvas.Font.Color = Qt::white;
    canvas.TextOut(2, 2, "Hi");
    const int changed = CountDifferent(image, Filled({120, 30}, Qt::blue), image.rect());
    EXPECT_GT(changed, 10);
    EXPECT_LT(changed, canvas.TextWidth("Hi") * canvas.TextHeight("Hi") / 2);
}

TEST(Canvas, SolidBrushTextFillsItsCell) {
    QImage image = Filled({120, 30}, Qt::blue);
    TCanvas canvas(image);
    canvas.Brush.Color = Qt::yellow;
    canvas.TextOut(2, 2, "Hi");
    const QRect cell(2, 2, canvas.TextWidth("Hi"), canvas.TextHeight("Hi"));
    EXPECT_EQ(DifferenceBounds(image, Filled({120, 30}, Qt::blue)), cell);
    EXPECT_EQ(image.pixel(cell.topLeft()), qRgb(255, 255, 0));
}

TEST(Canvas, TextRectClipsToItsRectangle) {
    QImage image = Filled({200, 40}, Qt::white);
    TCanvas canvas(image);
    canvas.Brush.Style = TBrushStyle::Clear;
    canvas.Font.Size = 14;
    const QRect clip = RectLTRB(10, 5, 40, 15);
    canvas.TextRect(clip, 10, 5, "WWWWWWWWWW");
    const QRect drawn = DifferenceBounds(image, Filled({200, 40}, Qt::white));
    EXPECT_FALSE(drawn.isNull());
    EXPECT_TRUE(clip.contains(drawn));
}

TEST(Canvas, StatePersistsBetweenCallsAndDrivesMeasuring) {
    QImage image = Filled({10, 10}, Qt::white);
    TCanvas canvas(image);
    canvas.Font.Name = "Comic Sans MS";
    canvas.Font.Size = 8;
    const int small = canvas.TextWidth("Kelani");
    canvas.Font.Bold = true;
    canvas.Font.Size = 16;
    EXPECT_GT(canvas.TextWidth("Kelani"), small * 3 / 2);
    EXPECT_EQ(canvas.TextHeight("gH"), canvas.TextHeight("x"));
    EXPECT_TRUE(canvas.QtFont().bold());
}

TEST(Canvas, EllipseStaysInsideItsBoundingBox) {
    QImage image = Filled({60, 60}, Qt::white);
    TCanvas canvas(image);
    canvas.Brush.Style = TBrushStyle::Clear;
    canvas.Pen = {2, QColor(51, 204, 51)};
    const QRect box = RectLTRB(10, 10, 30, 30);
    canvas.Ellipse(box);
    const QRect drawn = DifferenceBounds(image, Filled({60, 60}, Qt::white));
    EXPECT_TRUE(box.contains(drawn));
    EXPECT_GE(drawn.width(), 18);
    EXPECT_EQ(image.pixel(20, 20), qRgb(255, 255, 255)); // clear brush: no fill
}

TEST(Canvas, FollowsItsImageWhenTheImageIsReplaced) {
    QImage image = Filled({10, 10}, Qt::white);
    TCanvas canvas(image);
    image = Filled({20, 20}, Qt::black);
    canvas.Brush.Color = Qt::red;
    canvas.FillRect(RectLTRB(15, 15, 20, 20));
    EXPECT_EQ(canvas.Width(), 20);
    EXPECT_EQ(image.pixel(19, 19), qRgb(255, 0, 0));
}

namespace {

// `points` of `color` at two pixels per point.
QImage Filled2x(QSize points, QColor color) {
    QImage image = Filled(points * 2, color);
    image.setDevicePixelRatio(2);
    return image;
}

} // namespace

// A canvas on an @2x picture works in points; every call lands on the doubled pixel rectangle,
// and @2x pictures land pixel for pixel, the hand masks' AND and XOR included.
TEST(Canvas, AtTwoPixelsPerPointEveryCallLandsOnTheDoubledRectangle) {
    QImage image = Filled2x({40, 30}, Qt::white);
    TCanvas canvas(image);
    EXPECT_EQ(canvas.Scale(), 2);
    EXPECT_EQ(QSize(canvas.Width(), canvas.Height()), QSize(40, 30));

    canvas.Brush.Color = Qt::blue;
    canvas.FillRect(RectLTRB(5, 5, 10, 8));
    EXPECT_EQ(DifferenceBounds(image, Filled2x({40, 30}, Qt::white)), QRect(10, 10, 10, 6));

    QImage source = Gradient({80, 60});
    source.setDevicePixelRatio(2);
    TCanvas sourceCanvas(source);
    canvas.CopyRect(RectLTRB(20, 0, 30, 10), sourceCanvas, RectLTRB(3, 4, 13, 14));
    EXPECT_EQ(image.copy(40, 0, 20, 20), source.copy(6, 8, 20, 20).convertToFormat(image.format()));
    canvas.CopyRect(RectLTRB(0, 20, 10, 30), canvas, RectLTRB(20, 0, 30, 10));
    EXPECT_EQ(image.copy(0, 40, 20, 20), image.copy(40, 0, 20, 20));

    // A 3 x 3 point sprite: its mask black on one pixel only, which must stay one pixel.
    QImage mask = Filled2x({3, 3}, Qt::white), picture = Filled2x({3, 3}, Qt::black);
    mask.setPixel(3, 2, qRgb(0, 0, 0));
    picture.setPixel(3, 2, qRgb(200, 100, 50));
    QImage before = image.copy();
    canvas.AndBlit(30, 20, mask);
    canvas.XorBlit(30, 20, picture);
    EXPECT_EQ(DifferenceBounds(image, before), QRect(63, 42, 1, 1));
    EXPECT_EQ(image.pixel(63, 42), qRgb(200, 100, 50));

    // Text is written at the device resolution: strokes one pixel wide, not blocks of two by two.
    before = image.copy();
    canvas.Font.Color = Qt::black;
    canvas.Brush.Style = TBrushStyle::Clear;
    canvas.TextOut(1, 1, QStringLiteral("il"));
    const QRect ink = DifferenceBounds(image, before);
    ASSERT_FALSE(ink.isNull());
    EXPECT_LT(ink.bottom(), 2 * canvas.TextHeight(QStringLiteral("il")) + 2);
    int oddOnly = 0;
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); x += 2)
            if (image.pixel(x, y) != image.pixel(x + 1, y)) ++oddOnly;
    EXPECT_GT(oddOnly, 0);
}
