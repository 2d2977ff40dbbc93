#include "tests/view/test_canvas_support.h"
#include "view/uTBitmapLayer.h"

#include <gtest/gtest.h>

using namespace kelani;
using namespace kelani::test;

namespace {

// Fills its rectangle with a colour derived from its value and counts its draws.
class TColourLayer : public TBitmapLayerInteger {
public:
    using TBitmapLayerInteger::TBitmapLayerInteger;
    int Draws = 0;
    int SizeSeen = 0;

protected:
    void Draw(TCanvas& canvas) override {
        ++Draws;
        SizeSeen = canvas.Font.Size;
        if (Value() < 0) return;
        canvas.Brush.Color = QColor(Value(), 0, 0);
        canvas.FillRect(DestRect);
    }
};

class TTextLayer : public TBitmapLayerString {
public:
    using TBitmapLayerString::TBitmapLayerString;
    int Draws = 0;

protected:
    void Draw(TCanvas&) override { ++Draws; }
};

struct Scene {
    QImage background = Gradient({100, 100});
    QImage board = Filled({100, 100}, Qt::black);
    TCanvas source{background};
    TCanvas dest{board};
    std::vector<TBitmapLayer*> painted;
    TPaintedEvent record = [this](TBitmapLayer* sender) { painted.push_back(sender); };
};

// Two layers in one list whose rectangles share (20, 20) to (30, 30).
struct OverlappingLayers : ::testing::Test {
    Scene s;
    TColourLayer first{s.source, s.dest, RectLTRB(0, 0, 30, 30), RectLTRB(0, 0, 30, 30), nullptr};
    TColourLayer second{s.source, s.dest, RectLTRB(20, 20, 50, 50), RectLTRB(20, 20, 50, 50), nullptr};
    TBitmapLayers list;
    OverlappingLayers() {
        list.Add(&first);
        list.Add(&second);
    }
};

} // namespace

TEST(BitmapLayer, NewIntegerLayerHoldsMinus99AndShowsOnlyBackgroundOnPaint) {
    Scene s;
    TColourLayer layer(s.source, s.dest, RectLTRB(10, 10, 30, 30), RectLTRB(10, 10, 30, 30), nullptr);
    EXPECT_EQ(layer.Value(), -99);
    EXPECT_EQ(layer.FontSize, 8);
    EXPECT_TRUE(layer.Transparent);
    layer.Paint();
    EXPECT_TRUE(SameInside(s.board, s.background, RectLTRB(10, 10, 30, 30)));
    EXPECT_TRUE(SameOutside(s.board, Filled({100, 100}, Qt::black), RectLTRB(10, 10, 30, 30)));
}

TEST(BitmapLayer, SetValueRepaintsOnceAndAnUnchangedValueNotAtAll) {
    Scene s;
    TColourLayer layer(s.source, s.dest, RectLTRB(10, 10, 30, 30), RectLTRB(10, 10, 30, 30), nullptr);
    layer.OnPainted = s.record;
    layer.SetValue(200);
    EXPECT_EQ(s.board.pixel(15, 15), qRgb(200, 0, 0));
    s.board.fill(Qt::black); // anything drawn from now on would show
    layer.SetValue(200);
    EXPECT_EQ(layer.Draws, 1);
    EXPECT_EQ(s.painted, std::vector<TBitmapLayer*>{&layer});
    EXPECT_EQ(s.board.pixel(15, 15), qRgb(0, 0, 0));
}

TEST(BitmapLayer, CanDrawFalseRestoresButNeitherDrawsNorNotifies) {
    Scene s;
    bool running = true;
    TColourLayer layer(s.source, s.dest, RectLTRB(0, 0, 20, 20), RectLTRB(0, 0, 20, 20),
                       [&] { return running; });
    layer.OnPainted = s.record;
    layer.SetValue(100);
    running = false;
    layer.SetValue(150);
    EXPECT_EQ(layer.Draws, 1);
    EXPECT_EQ(s.painted.size(), 1u);
    EXPECT_TRUE(SameInside(s.board, s.background, RectLTRB(0, 0, 20, 20))); // stale content gone
}

TEST(BitmapLayer, PaintSetsTheFontSizeAndTheBrushStyleFromTransparent) {
    Scene s;
    TColourLayer layer(s.source, s.dest, RectLTRB(0, 0, 5, 5), RectLTRB(0, 0, 5, 5), nullptr);
    layer.FontSize = 13;
    s.dest.Font.Size = 20;
    layer.Paint();
    EXPECT_EQ(layer.SizeSeen, 13);
    EXPECT_EQ(s.dest.Brush.Style, TBrushStyle::Clear);
    layer.Transparent = false;
    layer.Paint();
    EXPECT_EQ(s.dest.Brush.Style, TBrushStyle::Solid);
}

TEST(BitmapLayer, PaintOnAnotherCanvasLeavesTheSceneAlone) {
    Scene s;
    QImage other = Filled({100, 100}, Qt::white);
    TCanvas otherCanvas(other);
    TColourLayer layer(s.source, s.dest, RectLTRB(40, 40, 60, 60), RectLTRB(40, 40, 60, 60), nullptr);
    layer.Paint(&otherCanvas);
    EXPECT_TRUE(SameInside(other, s.background, RectLTRB(40, 40, 60, 60)));
    EXPECT_EQ(s.board, Filled({100, 100}, Qt::black));
}

TEST(BitmapLayer, SourceAndDestRectanglesMayDiffer) {
    Scene s;
    TColourLayer layer(s.source, s.dest, RectLTRB(0, 0, 10, 10), RectLTRB(50, 50, 60, 60), nullptr);
    layer.Paint();
    EXPECT_EQ(s.board.pixel(50, 50), s.background.pixel(0, 0));
    EXPECT_EQ(s.board.pixel(59, 59), s.background.pixel(9, 9));
}

TEST(BitmapLayer, StringLayerRepaintsOnlyForADifferentText) {
    Scene s;
    TTextLayer layer(s.source, s.dest, RectLTRB(0, 0, 10, 10), RectLTRB(0, 0, 10, 10), nullptr);
    EXPECT_TRUE(layer.Text().isEmpty());
    layer.SetText("Neues Spiel");
    layer.SetText("Neues Spiel");
    layer.SetText("neues Spiel"); // case counts
    EXPECT_EQ(layer.Draws, 2);
}

TEST_F(OverlappingLayers, PaintGoesInListOrderAndLaterLayersWinOverlaps) {
    EXPECT_EQ(first.Owner, &list);
    list.SetOnPainted(s.record);
    first.SetValue(100);
    second.SetValue(200);
    s.painted.clear();
    list.Paint();
    EXPECT_EQ(s.painted, (std::vector<TBitmapLayer*>{&first, &second}));
    EXPECT_EQ(s.board.pixel(25, 25), qRgb(200, 0, 0));
    EXPECT_EQ(s.board.pixel(5, 5), qRgb(100, 0, 0));
}

TEST(BitmapLayers, SetOnPaintedReachesOnlyTheLayersAlreadyAdded) {
    Scene s;
    TColourLayer early(s.source, s.dest, RectLTRB(0, 0, 5, 5), RectLTRB(0, 0, 5, 5), nullptr);
    TColourLayer late(s.source, s.dest, RectLTRB(5, 5, 9, 9), RectLTRB(5, 5, 9, 9), nullptr);
    TBitmapLayers list;
    list.Add(&early);
    list.SetOnPainted(s.record);
    list.Add(&late);
    early.SetValue(1);
    late.SetValue(1);
    list.NotifyPainted();
    EXPECT_EQ(s.painted, (std::vector<TBitmapLayer*>{&early, nullptr}));
}

TEST_F(OverlappingLayers, ARepaintKeepsWhatOverlappingNeighboursShow) {
    first.SetValue(100);
    second.SetValue(200);
    first.SetValue(150); // the earlier layer repaints: the later one stays on top in the overlap
    EXPECT_EQ(s.board.pixel(25, 25), qRgb(200, 0, 0));
    EXPECT_EQ(s.board.pixel(5, 5), qRgb(150, 0, 0));
    second.SetValue(-1); // the later layer empties: the earlier one shows again, not background
    EXPECT_EQ(s.board.pixel(25, 25), qRgb(150, 0, 0));
    EXPECT_EQ(s.board.pixel(45, 45), s.background.pixel(45, 45));
    EXPECT_EQ(s.board.pixel(55, 55), qRgb(0, 0, 0));
}

TEST(Canvas, ClipRectKeepsEveryOperationInside) {
    QImage image = Filled({60, 60}, Qt::white);
    TCanvas canvas(image);
    canvas.ClipRect = RectLTRB(10, 10, 20, 20);
    canvas.Brush.Color = Qt::red;
    canvas.FillRect(image.rect());
    canvas.CopyRect(image.rect(), Filled({60, 60}, Qt::blue), image.rect());
    canvas.Draw(0, 0, Filled({60, 60}, Qt::green));
    canvas.XorBlit(0, 0, Filled({60, 60}, Qt::white));
    canvas.TextRect(image.rect(), 0, 0, "WWWWWWWW");
    EXPECT_EQ(DifferenceBounds(image, Filled({60, 60}, Qt::white)), RectLTRB(10, 10, 20, 20));
}
