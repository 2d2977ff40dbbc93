#include "game/uTFeld.h"
#include "tests/view/test_canvas_support.h"
#include "view/uTFeldSketch.h"
#include "view/uTSpielfeldLayers.h"

#include <gtest/gtest.h>

using namespace kelani;
using namespace kelani::test;

namespace {

const QColor kRimColour(90, 60, 30);

// A rim: white (transparent) except a band that stays inside every pit rectangle.
std::array<QImage, 15> TestRims() {
    std::array<QImage, 15> rims;
    for (int place = 1; place <= 13; ++place) {
        rims[place] = Filled({60, 26}, Qt::white);
        for (int y = 18; y < 22; ++y)
            for (int x = 8; x < 50; ++x) rims[place].setPixel(x, y, kRimColour.rgb());
    }
    return rims;
}

struct BoardTest : ::testing::Test {
    QImage background = Gradient({720, 520});
    QImage board = background.copy();
    TCanvas source{background};
    TCanvas dest{board};
    bool running = true;
    TFeld feld;
    int paints = 0;
    TSpielfeldLayers layers{source, dest, [this] { return running; },
                            std::make_unique<TGFXSteine>(TestPiles()),
                            std::make_unique<TGFXMulden>(TestRims())};

    BoardTest() {
        dest.Font.Name = "Comic Sans MS";
        dest.Font.Bold = true;
        dest.Font.Size = 9;
        layers.SetOnPainted([this](TBitmapLayer*) { ++paints; });
        feld.SetVariante(4);
        feld.SetSteineProMulde(4);
        feld.Reset();
        layers.OverviewLayer->Feld = &feld;
    }

    // The scene as it would look with `lines` written from the rectangle's top-left corner, one
    // text height apart, in the board font at `size`.
    QImage WithText(const QRect& rect, const QStringList& lines, int size = 8) {
        QImage expected = background.copy();
        TCanvas canvas(expected);
        canvas.Font = dest.Font;
        canvas.Font.Size = size;
        canvas.Brush.Style = TBrushStyle::Clear;
        for (int k = 0; k < lines.size(); ++k)
            canvas.TextRect(rect, rect.left(), rect.top() + k * canvas.TextHeight("gH"), lines[k]);
        return expected;
    }
    QColor At(QPoint p) const { return board.pixelColor(p); }
};

} // namespace

TEST_F(BoardTest, LayersAreBuiltInRepaintOrderWithTheirRectangles) {
    ASSERT_EQ(layers.Count(), 24);
    EXPECT_EQ(layers[0], layers.ZeitLayers[1]);
    EXPECT_EQ(layers[1]->DestRect, RectLTRB(75, 43, 143, 62));
    EXPECT_EQ(layers[4], layers.SteineHandLayer);
    EXPECT_EQ(layers[5]->DestRect, RectLTRB(663, 32, 685, 51));
    EXPECT_EQ(layers[8], layers.NotesLayer);
    EXPECT_EQ(layers[8]->DestRect, RectLTRB(448, 422, 683, 485));
    EXPECT_EQ(layers[9], layers.FeldLayers[0]);
    EXPECT_EQ(layers[9]->DestRect, RectLTRB(15, 454, 413, 509));
    for (int place = 1; place <= 14; ++place) {
        EXPECT_EQ(layers[9 + place], layers.FeldLayers[place]);
        EXPECT_EQ(layers[9 + place]->DestRect, PitRect(place));
        EXPECT_EQ(layers[9 + place]->SourceRect, PitRect(place));
    }
    EXPECT_EQ(PitRect(7), RectLTRB(58, 182, 126, 280));
    EXPECT_EQ(PitRect(13), RectLTRB(522, 237, 592, 294));
    EXPECT_FALSE(layers.RundeLayers[0]->OnCanDraw);
    EXPECT_FALSE(layers.NotesLayer->OnCanDraw);
    EXPECT_TRUE(layers.ZeitLayers[2]->OnCanDraw);
}

TEST_F(BoardTest, ClockShowsHoursMinutesAndSecondsOfItsPlayer) {
    const QRect rect = layers.ZeitLayers[1]->DestRect;
    layers.ZeitLayers[1]->SetValue(3725);
    EXPECT_TRUE(SameInside(board, WithText(rect, {"1) 01:02:05"}), rect));
    const QRect rect2 = layers.ZeitLayers[2]->DestRect;
    layers.ZeitLayers[2]->SetValue(247);
    EXPECT_TRUE(SameInside(board, WithText(rect2, {"2) 00:04:07"}), rect2));
    layers.ZeitLayers[2]->SetValue(-1);
    EXPECT_TRUE(SameInside(board, background, rect2));
}

TEST_F(BoardTest, CountersVariantAndStonesInHand) {
    layers.RundeLayers[0]->SetValue(12);
    layers.RundeLayers[2]->SetValue(7);
    layers.VarianteLayer->SetValue(5);
    layers.SteineHandLayer->SetValue(3);
    const QRect total = layers.RundeLayers[0]->DestRect, second = layers.RundeLayers[2]->DestRect;
    EXPECT_TRUE(SameInside(board, WithText(total, {">12"}), total));
    EXPECT_TRUE(SameInside(board, WithText(second, {"2) 7"}), second));
    const QRect variant = layers.VarianteLayer->DestRect;
    EXPECT_TRUE(SameInside(board, WithText(variant, {"Variante 5"}), variant));

    QImage hand = WithText(layers.SteineHandLayer->DestRect, {"In der Hand"});
    TCanvas handCanvas(hand);
    handCanvas.Font = dest.Font;
    handCanvas.Font.Size = 8;
    handCanvas.Brush.Style = TBrushStyle::Clear;
    const QRect handRect = layers.SteineHandLayer->DestRect;
    handCanvas.TextRect(handRect, handRect.left() + (70 - handCanvas.TextWidth("3")) / 2,
                        handRect.top() + handCanvas.TextHeight("gH"), "3");
    EXPECT_TRUE(SameInside(board, hand, handRect));
}

TEST_F(BoardTest, CaptionsComeFromTheLanguage) {
    layers.Language = [](const QString& key) {
        return key == "c_variant" ? QString("variant") : QString("hand");
    };
    layers.VarianteLayer->SetValue(6);
    const QRect variant = layers.VarianteLayer->DestRect;
    EXPECT_TRUE(SameInside(board, WithText(variant, {"variant 6"}), variant));
}

TEST_F(BoardTest, ValuesOutsideTheirRangeShowOnlyBackground) {
    layers.RundeLayers[1]->SetValue(0);
    layers.VarianteLayer->SetValue(0);
    layers.SteineHandLayer->SetValue(0);
    layers.AktSpielerLayer->SetValue(3);
    EXPECT_EQ(board, background);
}

TEST_F(BoardTest, ALongNameShrinksButNotBelowSizeFour) {
    layers.AktSpielerLayer->Names = {"", "Bartholomaeus", "Maximilian Alexander von Hohenzollern"};
    layers.AktSpielerLayer->SetValue(1);
    const int shrunk = dest.Font.Size;
    EXPECT_LT(shrunk, 8);
    EXPECT_GT(shrunk, 4);
    EXPECT_LE(dest.TextWidth("Bartholomaeus"), 65);
    const QRect rect = layers.AktSpielerLayer->DestRect;
    EXPECT_TRUE(SameInside(board, WithText(rect, {"Bartholomaeus"}, shrunk), rect));
    layers.AktSpielerLayer->SetValue(2);
    EXPECT_EQ(dest.Font.Size, 4);
    EXPECT_TRUE(rect.contains(DifferenceBounds(board, background))); // clipped
}

TEST_F(BoardTest, NotesShowTheNewestFiveNewestFirstOrTheFirstFiveTopDownAndFewerWhenLarger) {
    const QString text = "one\r\ntwo\r\nthree\r\nfour\r\nfive\r\nsix";
    const QRect rect = layers.NotesLayer->DestRect;
    layers.NotesLayer->SetText(text);
    EXPECT_TRUE(SameInside(board, WithText(rect, {"six", "five", "four", "three", "two"}), rect));
    layers.NotesLayer->TopDown = true;
    layers.NotesLayer->Paint();
    EXPECT_TRUE(SameInside(board, WithText(rect, {"one", "two", "three", "four", "five"}), rect));
    // The larger notes show only the lines that fit, and leave the canvas's font for the others.
    layers.NotesLayer->TopDown = false;
    layers.NotesLayer->FontSize = 11;
    layers.NotesLayer->Paint();
    EXPECT_TRUE(SameInside(board, WithText(rect, {"six", "five", "four"}, 11), rect));
    EXPECT_EQ(dest.Font.Size, 8);
}

TEST_F(BoardTest, CountersAndNotesDrawWithoutARunningGameOthersDoNot) {
    running = false;
    layers.RundeLayers[0]->SetValue(3);
    layers.NotesLayer->SetText("Neues Spiel");
    layers.ZeitLayers[1]->SetValue(10);
    layers.FeldLayers[3]->SetValue(4);
    EXPECT_FALSE(SameInside(board, background, layers.RundeLayers[0]->DestRect));
    EXPECT_FALSE(SameInside(board, background, layers.NotesLayer->DestRect));
    EXPECT_TRUE(SameInside(board, background, layers.ZeitLayers[1]->DestRect));
    EXPECT_TRUE(SameInside(board, background, PitRect(3)));
}

TEST_F(BoardTest, PitShowsItsPileWithOffsetUnderItsRim) {
    layers.FeldLayers[1]->SetValue(4);
    const QPoint pile = QPoint(507, 160) + PileOffset(4); // stone origin of place 1 plus D(4)
    EXPECT_EQ(PileOffset(4), QPoint(9, 6));
    EXPECT_EQ(At(pile + QPoint(2, 2)), PileColour(4));
    EXPECT_EQ(At(pile + QPoint(21, 16)), PileColour(4));
    EXPECT_EQ(At(pile), background.pixelColor(pile));     // the red key is not drawn
    EXPECT_EQ(At(QPoint(506 + 8, 185 + 18)), kRimColour); // the rim lies over everything
    EXPECT_EQ(At(QPoint(506 + 10, 185 + 5)), background.pixelColor(516, 190));
}

TEST_F(BoardTest, NineOrMoreStonesUseTheNinePileWithoutOffset) {
    layers.FeldLayers[10]->SetValue(12);
    EXPECT_EQ(At(QPoint(285 + 2, 242 + 2)), PileColour(9));
    QImage twelve = board.copy();
    layers.FeldLayers[10]->SetValue(9);
    EXPECT_EQ(board, twelve);
}

TEST_F(BoardTest, AnEmptyPitShowsOnlyBackgroundWithoutItsRim) {
    layers.FeldLayers[5]->SetValue(6);
    layers.FeldLayers[5]->SetValue(0);
    EXPECT_EQ(board, background);
    layers.FeldLayers[5]->SetValue(100);
    EXPECT_EQ(board, background);
}

TEST_F(BoardTest, HeadPitSpreadsItsStonesOverTheAnchors) {
    layers.FeldLayers[7]->SetValue(3); // one stone each at anchors 1, 2 and 4
    EXPECT_EQ(At(QPoint(75 + 2, 185 + 2)), PileColour(1));
    EXPECT_EQ(At(QPoint(100 + 2, 229 + 2)), PileColour(1));
    EXPECT_EQ(At(QPoint(61 + 2, 219 + 16)), PileColour(1));
    layers.FeldLayers[14]->SetValue(10); // 3, 1, 4, 1, 1
    EXPECT_EQ(At(QPoint(596 + 2, 178 + 2)), PileColour(3));
    EXPECT_EQ(At(QPoint(622 + 21, 252 + 16)), PileColour(1));
}

TEST_F(BoardTest, AHeadPitWithTwentyLooksLikeOneWithFifteen) {
    layers.FeldLayers[14]->SetValue(15);
    const QImage fifteen = board.copy();
    layers.FeldLayers[14]->SetValue(20);
    EXPECT_EQ(board, fifteen);
    layers.FeldLayers[14]->SetValue(14);
    EXPECT_NE(board, fifteen);
}

TEST_F(BoardTest, OverviewShowsThePreviewOnlyForAPlayablePlace) {
    const QRect live = RectLTRB(15, 454, 228, 509), preview = RectLTRB(228, 454, 413, 509);
    layers.OverviewLayer->SetValue(9); // player 2's pit, player 1 to move
    EXPECT_FALSE(SameInside(board, background, live));
    EXPECT_TRUE(SameInside(board, background, preview));

    layers.OverviewLayer->SetValue(2);
    QImage expected = background.copy();
    TCanvas canvas(expected);
    TFeld after(feld);
    after.DoMove(2);
    DrawFeldSketch(canvas, after, 228, 458, 0);
    EXPECT_TRUE(SameInside(board, expected, preview));
    EXPECT_EQ(feld.Mulde(2), 4); // the live board is untouched
}

TEST_F(BoardTest, OverviewKeepsTheBoardFontBrushAndPen) {
    dest.Pen.Width = 5;
    layers.OverviewLayer->SetValue(1);
    EXPECT_EQ(dest.Font.Name, "Comic Sans MS");
    EXPECT_EQ(dest.Pen.Width, 5);
    layers.OverviewLayer->Feld = nullptr;
    layers.OverviewLayer->SetValue(2);
    EXPECT_TRUE(SameInside(board, background, layers.OverviewLayer->DestRect));
}

TEST_F(BoardTest, UnchangedValuesRepaintNothing) {
    auto setAll = [&] {
        layers.ZeitLayers[1]->SetValue(5);
        layers.AktSpielerLayer->SetValue(1);
        layers.NotesLayer->SetText("Neues Spiel");
        for (int place = 1; place <= 14; ++place) layers.FeldLayers[place]->SetValue(place % 7 ? 4 : 0);
    };
    setAll();
    EXPECT_EQ(paints, 17); // an empty place paints too: it shows background
    board.fill(Qt::black);
    setAll();
    EXPECT_EQ(paints, 17);
    EXPECT_EQ(board, Filled({720, 520}, Qt::black));
}
