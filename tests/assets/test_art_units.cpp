// The painting helpers behind the artwork: deterministic noise and blur, lighting and cast
// shadows, masks and downsampling, the stone piles, pit rims and captions cut from the board,
// the board view's keyed and AND/XOR drawing, the payload encoders and the container writer.
#include "streams/JwStream.h"
#include "tests/assets/test_art_app.h"
#include "tools/art/ArtKit.h"
#include "tools/art/Board.h"
#include "tools/art/BoardGeometry.h"
#include "tools/art/Compose.h"
#include "tools/art/Containers.h"
#include "tools/art/Hands.h"
#include "tools/art/Stones.h"
#include "tools/art/Surface.h"

#include <QPainterPath>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace kelani {
namespace {

using namespace art;

class ArtUnits : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureArtApplication(); }

    // A plain board of one colour with the real piles and rims cut from it.
    static QImage PlainBoard() {
        QImage board(kBoardWidth, kBoardHeight, QImage::Format_RGB32);
        board.fill(qRgb(150, 100, 60));
        return board;
    }
    static const TStoneArt& Stones() {
        static const TStoneArt art = [] {
            TStoneArt a;
            const QImage board = PlainBoard();
            for (int n = 1; n <= 9; ++n) a.piles[n] = PaintPile(n);
            for (int place = 1; place <= 13; ++place)
                if (!IsHeadPit(place)) a.rims[place] = CutRim(board, place);
            return a;
        }();
        return art;
    }
    static QRect Changed(const QImage& a, const QImage& b) {
        QRect r;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y)) r |= QRect(x, y, 1, 1);
        return r;
    }
};

TEST_F(ArtUnits, RandomNumbersRepeatPerSeedAndNeverStickAtZero) {
    TRng a(7), b(7), zero(0);
    std::set<std::uint32_t> seen;
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(a.Next(), b.Next());
        seen.insert(zero.Next());
        const double u = a.Unit();
        EXPECT_GE(u, 0.0);
        EXPECT_LT(u, 1.0);
        b.Unit();
    }
    EXPECT_EQ(seen.size(), 100u) << "a zero seed must not leave the generator stuck";
}

TEST_F(ArtUnits, NoiseStaysInRangeIsSmoothAndDependsOnTheSeed) {
    double differences = 0;
    for (int i = 0; i < 400; ++i) {
        const double x = i * 0.37, y = i * 0.11;
        const double n = ValueNoise(x, y, 3), f = Fbm(x, y, 4, 3);
        EXPECT_GE(n, 0.0);
        EXPECT_LE(n, 1.0);
        EXPECT_GE(f, 0.0);
        EXPECT_LE(f, 1.0);
        EXPECT_LT(std::abs(ValueNoise(x + 0.001, y, 3) - n), 0.01) << "noise must not jump";
        differences += std::abs(ValueNoise(x, y, 4) - n);
    }
    EXPECT_GT(differences / 400, 0.05) << "another seed gives another pattern";
}

TEST_F(ArtUnits, BlurKeepsConstantsAndMassAndSpreadsSymmetrically) {
    TField flat(30, 20, 0.7f);
    Blur(flat, 6);
    for (float v : flat.v) EXPECT_NEAR(v, 0.7f, 1e-5);
    TField dot(41, 41);
    dot.at(20, 20) = 1;
    Blur(dot, 6);
    double sum = 0;
    for (float v : dot.v) sum += v;
    EXPECT_NEAR(sum, 1.0, 1e-4);
    EXPECT_LT(dot.at(20, 20), 0.2f);
    EXPECT_NEAR(dot.at(17, 20), dot.at(23, 20), 1e-6);
    EXPECT_NEAR(dot.at(20, 17), dot.at(20, 23), 1e-6);
    EXPECT_NEAR(dot.at(17, 20), dot.at(20, 17), 1e-6);
}

TEST_F(ArtUnits, FieldSamplingInterpolatesAndClampsAtTheBorder) {
    TField f(2, 2);
    f.at(0, 0) = 0, f.at(1, 0) = 1, f.at(0, 1) = 2, f.at(1, 1) = 3;
    EXPECT_FLOAT_EQ(f.Sample(0.5, 0.5), 1.5f);
    EXPECT_FLOAT_EQ(f.Sample(-5, -5), 0.f);
    EXPECT_FLOAT_EQ(f.Sample(9, 9), 3.f);
}

TEST_F(ArtUnits, LightComesFromTheUpperLeft) {
    TField flat(5, 5);
    EXPECT_NEAR(Shade(flat, 2, 2), 1.0, 1e-4) << "a flat surface keeps its colour";
    TField rising(5, 5), falling(5, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) rising.at(x, y) = float(x), falling.at(x, y) = float(-x);
    // A slope climbing to the right faces the light on the left.
    EXPECT_GT(Shade(rising, 2, 2), 1.0);
    EXPECT_LT(Shade(falling, 2, 2), 1.0);
    EXPECT_GT(Shade(flat, 2, 2, 1.f), Shade(flat, 2, 2)) << "sheen adds light";
}

TEST_F(ArtUnits, RaisedBlocksCastShadowsDownAndToTheRight) {
    TField height(40, 40);
    EXPECT_FLOAT_EQ(CastShadows(height, 1.3f, 20).at(20, 20), 1.f);
    for (int y = 15; y < 25; ++y)
        for (int x = 15; x < 25; ++x) height.at(x, y) = 20;
    const TField lit = CastShadows(height, 1.3f, 20);
    EXPECT_LT(lit.at(27, 28), 0.5f) << "below right of the block";
    EXPECT_FLOAT_EQ(lit.at(12, 12), 1.f) << "above left of the block";
    EXPECT_FLOAT_EQ(lit.at(20, 20), 1.f) << "the block's top";
}

TEST_F(ArtUnits, PathMasksCoverExactlyTheirShape) {
    QPainterPath rect;
    rect.addRect(QRectF(2, 2, 4.5, 4));
    const TField m = PathMask(rect, 10, 10);
    EXPECT_FLOAT_EQ(m.at(3, 3), 1.f);
    EXPECT_FLOAT_EQ(m.at(8, 3), 0.f);
    EXPECT_FLOAT_EQ(m.at(3, 8), 0.f);
    EXPECT_NEAR(m.at(6, 3), 0.5f, 0.05f) << "a half-covered pixel";
}

TEST_F(ArtUnits, DownsamplingAveragesEachBlock) {
    QImage big(2, 2, QImage::Format_ARGB32_Premultiplied);
    big.setPixel(0, 0, qRgba(255, 0, 0, 255));
    big.setPixel(1, 0, qRgba(0, 255, 0, 255));
    big.setPixel(0, 1, qRgba(0, 0, 255, 255));
    big.setPixel(1, 1, qRgba(0, 0, 0, 0));
    const QImage small = Downsample(big, 2);
    ASSERT_EQ(small.size(), QSize(1, 1));
    const QRgb p = small.pixel(0, 0);
    EXPECT_EQ(qAlpha(p), 191);
    EXPECT_EQ(qRed(p), 63);
    EXPECT_EQ(qGreen(p), 63);
    EXPECT_EQ(qBlue(p), 63);
}

TEST_F(ArtUnits, WoodStaysWithinItsTwoTones) {
    const TWood wood{QColor(200, 150, 100), QColor(100, 60, 30), 0.06, 5};
    for (int i = 0; i < 300; ++i) {
        const QRgb c = WoodColour(wood, i * 2.3, i * 1.7);
        EXPECT_EQ(c, WoodColour(wood, i * 2.3, i * 1.7));
        EXPECT_GE(qRed(c), 100 * 0.9 - 1);
        EXPECT_LE(qRed(c), 200 * 1.1 + 1);
        EXPECT_GE(qRed(c), qGreen(c)) << "wood stays warm";
    }
}

TEST_F(ArtUnits, PilesAreCentredOnThePitFloorAndGrowWithTheirCount) {
    int previous = 0;
    for (int n = 1; n <= 9; ++n) {
        const QImage pile = PaintPile(n);
        EXPECT_EQ(pile, PaintPile(n)) << "deterministic";
        double sx = 0, sy = 0;
        int count = 0;
        for (int y = 0; y < pile.height(); ++y)
            for (int x = 0; x < pile.width(); ++x)
                if (pile.pixel(x, y) != qRgb(255, 0, 0)) sx += x, sy += y, ++count;
        ASSERT_GT(count, 150) << n;
        // With the pile offset every pile's middle lands on the same point of the pit floor.
        const QPoint d = PileOffset(n);
        EXPECT_NEAR(sx / count + d.x(), 38.5, 7) << n;
        EXPECT_NEAR(sy / count + d.y(), 29.5, 5) << n;
        if (n <= 4 || n == 9) {
            EXPECT_GT(count, previous) << n;
        }
        previous = count;
    }
}

TEST_F(ArtUnits, TheHintStoneIsCutOut) {
    const QImage stone = PaintHintStone(16);
    EXPECT_EQ(stone.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(stone.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(stone.pixel(15, 15)), 0);
    EXPECT_EQ(qAlpha(stone.pixel(8, 8)), 255);
}

TEST_F(ArtUnits, RimsCopyTheBoardAndNeverTurnWoodTransparent) {
    QImage board = PlainBoard();
    for (int y = 0; y < board.height(); ++y)
        for (int x = 0; x < board.width(); ++x) board.setPixel(x, y, qRgb(x % 256, y % 256, 90));
    const QPoint q = kRimOrigins[9];
    const QImage clean = CutRim(board, 9);
    // A pure white board pixel in front of the pit would become a hole in the rim.
    const QPoint below = q + QPoint(clean.width() / 2, clean.height() - 1);
    board.setPixel(below, qRgb(255, 255, 255));
    const QImage rim = CutRim(board, 9);
    EXPECT_EQ(rim.pixel(below - q), qRgb(254, 254, 254));
    for (int y = 0; y < rim.height(); ++y)
        for (int x = 0; x < rim.width(); ++x) {
            const QRgb c = rim.pixel(x, y);
            if (c != qRgb(255, 255, 255) && QPoint(x, y) != below - q) {
                ASSERT_EQ(c, board.pixel(q + QPoint(x, y)));
            }
        }
    const QPointF centre = kPitRects[9].Centre();
    EXPECT_EQ(rim.pixel(QPoint(int(centre.x()), int(centre.y()) + 4) - q), qRgb(255, 255, 255));
}

TEST_F(ArtUnits, CaptionsSitOverTheirSmallBoardsAndBlendIntoTheBoard) {
    const int overview = CaptionWidth(kOverviewCaption);
    EXPECT_EQ(kOverviewCaption.x() + overview / 2, kOverviewSketch.x() + 92) << "centred over the overview";
    EXPECT_EQ(kPreviewCaption.x() + CaptionWidth(kPreviewCaption),
              kPreviewSketch.x() - kSketchOffset.x() + kSmallBoardWidth);
    QImage board = PlainBoard();
    const QImage cap = PaintCaption(board, kOverviewCaption, overview, QStringLiteral("Übersicht"));
    EXPECT_EQ(cap.width(), overview);
    EXPECT_EQ(cap.pixel(0, 0), board.pixel(kOverviewCaption)) << "the caption's edge is the board itself";
    EXPECT_FALSE(Changed(cap, board.copy(QRect(kOverviewCaption, cap.size()))).isEmpty())
        << "text was written";
}

TEST_F(ArtUnits, KeyedDrawingSkipsTheKeyAndClipsAtTheEdges) {
    QImage target(10, 10, QImage::Format_RGB32);
    target.fill(qRgb(1, 2, 3));
    QImage pic(4, 4, QImage::Format_RGB32);
    pic.fill(qRgb(255, 0, 0));
    pic.setPixel(3, 3, qRgb(9, 9, 9));
    DrawKeyed(target, QPoint(-2, -2), pic, qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(1, 1), qRgb(9, 9, 9));
    EXPECT_EQ(target.pixel(0, 0), qRgb(1, 2, 3));
    DrawKeyed(target, QPoint(8, 8), pic, qRgb(255, 0, 0)); // mostly outside: nothing breaks
    EXPECT_EQ(target.pixel(9, 9), qRgb(1, 2, 3));
}

TEST_F(ArtUnits, AndThenXorShowsTheBoardOrTheHand) {
    QImage target(3, 1, QImage::Format_RGB32);
    target.fill(qRgb(100, 150, 200));
    QImage picture(3, 1, QImage::Format_RGB32), mask(3, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(0, 0, 0)), mask.setPixel(0, 0, qRgb(255, 255, 255)); // board
    picture.setPixel(1, 0, qRgb(220, 180, 150)), mask.setPixel(1, 0, qRgb(0, 0, 0)); // hand
    picture.setPixel(2, 0, qRgb(0, 0, 0)), mask.setPixel(2, 0, qRgb(0, 0, 0));       // black hand
    DrawAndXor(target, QPoint(0, 0), picture, mask);
    EXPECT_EQ(target.pixel(0, 0), qRgb(100, 150, 200));
    EXPECT_EQ(target.pixel(1, 0), qRgb(220, 180, 150));
    EXPECT_EQ(target.pixel(2, 0), qRgb(0, 0, 0));
    DrawAndXor(target, QPoint(-2, -5), picture, mask); // entirely outside
    EXPECT_EQ(target.pixel(0, 0), qRgb(100, 150, 200));
}

TEST_F(ArtUnits, PlacesShowTheirCountsAsTheBoardViewDoes) {
    auto drawn = [&](int place, int n) {
        QImage board = PlainBoard();
        DrawPlace(board, Stones(), place, n);
        return board;
    };
    EXPECT_EQ(drawn(3, 0), PlainBoard());
    EXPECT_EQ(drawn(3, 100), PlainBoard());
    EXPECT_EQ(drawn(3, 12), drawn(3, 9)) << "nine or more show the nine-stone pile";
    EXPECT_EQ(drawn(14, 20), drawn(14, 15)) << "a head pit stops growing at fifteen";
    EXPECT_NE(drawn(7, 15), drawn(7, 14));
    for (int place = 1; place <= 14; ++place)
        for (int n : {1, 4, 9, 15}) {
            if (n == 15 && !IsHeadPit(place)) continue;
            const QRect r = Changed(drawn(place, n), PlainBoard());
            EXPECT_TRUE(kPitRects[place].Rect().adjusted(-6, -6, 6, 8).contains(r))
                << "place " << place << " with " << n << ": " << r.x() << "," << r.y() << " " << r.width()
                << "x" << r.height();
        }
}

TEST_F(ArtUnits, PayloadEncodersWriteWhatTheGameReads) {
    QImage img(30, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) img.setPixel(x, y, qRgb(x * 8, y * 12, 128));
    const QByteArray bmp = BmpBytes(img);
    ASSERT_TRUE(bmp.startsWith("BM"));
    EXPECT_EQ(uchar(bmp[18]), 30);
    EXPECT_EQ(uchar(bmp[22]), 20);
    EXPECT_EQ(uchar(bmp[28]), 24);
    EXPECT_EQ(QImage::fromData(bmp).convertToFormat(QImage::Format_RGB32), img) << "bitmaps are lossless";
    const QByteArray jpeg = JpegBytes(img);
    ASSERT_TRUE(jpeg.startsWith("\xFF\xD8"));
    const QImage back = QImage::fromData(jpeg).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(back.size(), img.size());
    long error = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) error += std::abs(qRed(back.pixel(x, y)) - qRed(img.pixel(x, y)));
    EXPECT_LT(error / 600.0, 4.0) << "high quality";
}

TEST_F(ArtUnits, ContainersAreWrittenCompressedAndPlain) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const TContainer c{"test.gfx", {{"b.bmp", "second"}, {"a.bmp", QByteArray(5000, 'x')}}};
    WriteContainer(c, dir.path().toStdString());
    QFile file(dir.filePath("test.gfx"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes[0], '&') << "compressed";
    EXPECT_EQ(bytes[1], ' ') << "plain: the game sets no key";
    EXPECT_LT(bytes.size(), 1000);
    TJwStreams streams;
    streams.LoadFromFile(dir.filePath("test.gfx").toStdString());
    ASSERT_EQ(streams.Count(), 2);
    for (const TEntry& e : c.entries) {
        TMemoryStream s;
        streams.GetStream(e.name, s);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(s.Bytes().data()), qsizetype(s.Bytes().size())),
                  e.bytes);
    }
}

TEST_F(ArtUnits, HandsAreWhollyInsideTheirPicturesExceptTheArm) {
    const std::vector<THandFrame> frames = PaintAllHandFrames();
    ASSERT_EQ(frames.size(), 20u);
    std::set<std::string> names;
    for (const THandFrame& f : frames) {
        names.insert(f.pictureName);
        names.insert(f.maskName);
        const bool p1 = f.pictureName[0] == 't';
        const QImage& m = f.mask;
        int sides = 0, tips = 0;
        for (int y = 0; y < m.height(); ++y)
            sides += (m.pixel(0, y) == qRgb(0, 0, 0)) + (m.pixel(m.width() - 1, y) == qRgb(0, 0, 0));
        const int tipRow = p1 ? m.height() - 1 : 0;
        for (int x = 0; x < m.width(); ++x) tips += m.pixel(x, tipRow) == qRgb(0, 0, 0);
        EXPECT_EQ(sides, 0) << f.pictureName << ": the hand is cut at a side";
        EXPECT_EQ(tips, 0) << f.pictureName << ": the fingers are cut";
    }
    EXPECT_EQ(names.size(), 40u);
}

} // namespace
} // namespace kelani
