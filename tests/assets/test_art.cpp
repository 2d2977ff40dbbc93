// The painted artwork as the game receives it: the five graphics containers hold exactly the
// entries the game asks for, every payload is a real BMP or JPEG of the size its place on the
// board needs, transparent colours sit where they must, the hands cover their hot spots and reach
// out of the board, and the pictures compiled into the program load from the resources.
#include "streams/JwStream.h"
#include "tests/assets/test_art_app.h"
#include "tools/art/BoardGeometry.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace kelani {
namespace {

using namespace art;

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

class Art : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureArtApplication(); }

    static std::map<std::string, QByteArray> Entries(const std::string& container,
                                                     const std::string& folder = KELANI_PROGRAM_DIR) {
        TJwStreams streams;
        streams.LoadFromFile(folder + "/" + container);
        std::map<std::string, QByteArray> out;
        for (int i = 0; i < streams.Count(); ++i) {
            const auto& bytes = streams.Streams(i).Bytes();
            out[streams.Names(i)] =
                QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
        }
        return out;
    }
    static QImage Decode(const QByteArray& bytes) {
        return QImage::fromData(bytes).convertToFormat(QImage::Format_RGB32);
    }
    static QImage Entry(const std::string& container, const std::string& name) {
        return Decode(Entries(container).at(name));
    }
    static std::set<std::string> Names(const std::string& container) {
        std::set<std::string> names;
        for (const auto& [name, bytes] : Entries(container)) names.insert(name);
        return names;
    }
    static std::string HandName(bool p1, bool mask, bool pick, int frame) {
        return std::string(p1 ? "t" : "") + (mask ? "m" : "p") + (pick ? "l" : "r") + "-hand" +
               QString::number(frame).rightJustified(4, '0').toStdString() + ".bmp";
    }
};

TEST_F(Art, ContainersHoldExactlyTheNamedEntries) {
    EXPECT_EQ(Names("game.gfx"),
              (std::set<std::string>{"bg.jpg", "de_overview.bmp", "de_preview.bmp", "golden.bmp", "smbrett",
                                     "us_overview.bmp", "us_preview.bmp"}));
    EXPECT_EQ(Names("holz.gfx"), (std::set<std::string>{"holzl", "holzv", "holzw"}));
    std::set<std::string> piles, rims, hands;
    for (int n = 1; n <= 9; ++n) piles.insert("st" + std::to_string(n) + ".bmp");
    for (int n = 1; n <= 13; ++n)
        if (n != 7) rims.insert("mst" + std::to_string(n) + ".bmp");
    for (bool p1 : {true, false})
        for (bool mask : {true, false}) {
            for (int f : {0, 1, 3, 5, 7, 9, 11}) hands.insert(HandName(p1, mask, true, f));
            for (int f : {0, 2, 4}) hands.insert(HandName(p1, mask, false, f));
        }
    EXPECT_EQ(Names("steine.gfx"), piles);
    EXPECT_EQ(Names("mulden.gfx"), rims);
    EXPECT_EQ(hands.size(), 40u);
    EXPECT_EQ(Names("hands.gfx"), hands);
}

TEST_F(Art, PayloadsAreRealBitmapsAndJpegsOfTheirSizes) {
    for (const std::string container : {"game", "steine", "mulden", "hands", "holz", "game@2x", "steine@2x",
                                        "mulden@2x", "hands@2x", "holz@2x"})
        for (const auto& [name, bytes] : Entries(container + ".gfx")) {
            const bool jpeg = name == "bg.jpg" || container.rfind("holz", 0) == 0;
            // The hands' masks ("ml-hand0003.bmp", "tmr-hand0002.bmp") are black and white only.
            const bool mask =
                name.find("-hand") != std::string::npos && (name[0] == 'm' || name.rfind("tm", 0) == 0);
            if (jpeg) {
                EXPECT_TRUE(bytes.startsWith("\xFF\xD8\xFF")) << name;
            } else {
                ASSERT_TRUE(bytes.startsWith("BM")) << name;
                EXPECT_EQ(uchar(bytes[28]), mask ? 1 : 24) << name << ": bits per pixel";
            }
            EXPECT_FALSE(Decode(bytes).isNull()) << container << " " << name;
        }
    EXPECT_EQ(Entry("game.gfx", "bg.jpg").size(), QSize(kBoardWidth, kBoardHeight));
    EXPECT_EQ(Entry("game.gfx", "smbrett").size(), QSize(kSmallBoardWidth, kSmallBoardHeight));
    EXPECT_EQ(Entry("holz.gfx", "holzl").size(), QSize(400, 300));
    EXPECT_EQ(Entry("holz.gfx", "holzw").size(), QSize(400, 300));
    EXPECT_EQ(Entry("holz.gfx", "holzv").size(), QSize(400, 300));
}

// Mean difference (0..255, over the three colours) of the two same-sized pictures in the block of
// `side` pixels at (x, y).
double BlockDifference(const QImage& a, const QImage& b, int x, int y, int side) {
    double sum = 0;
    int n = 0;
    for (int j = y; j < std::min(y + side, a.height()); ++j)
        for (int i = x; i < std::min(x + side, a.width()); ++i, ++n) {
            const QRgb p = a.pixel(i, j), q = b.pixel(i, j);
            sum +=
                std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * n);
}

// The @2x containers hold the same entries painted at twice the size (hot spots scale with them);
// halved, every picture is its plain picture again, only with finer grain and sharper edges: a
// part drawn at an unscaled place, or the board a point off, shows as a block of clearly
// different pixels.
TEST_F(Art, TwiceSizeContainersHoldEveryEntryOfThePlainOneAtTwiceItsSize) {
    for (const std::string stem : {"game", "steine", "mulden", "hands", "holz"}) {
        const auto plain = Entries(stem + ".gfx");
        const auto twice = Entries(stem + "@2x.gfx");
        ASSERT_EQ(twice.size(), plain.size()) << stem;
        for (const auto& [name, bytes] : plain) {
            const QImage one = Decode(bytes), two = Decode(twice.at(name));
            ASSERT_EQ(two.size(), one.size() * 2) << stem << " " << name;
            const QImage halved = two.scaled(one.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            double worst = 0;
            for (int y = 0; y < one.height(); y += 8)
                for (int x = 0; x < one.width(); x += 8)
                    worst = std::max(worst, BlockDifference(halved, one, x, y, 8));
            EXPECT_LT(worst, 40) << stem << " " << name;
        }
    }
}

TEST_F(Art, StonePilesAreKeyedCleanlyAndLieInsideThePits) {
    for (int n = 1; n <= 9; ++n) {
        const QImage pile = Entry("steine.gfx", "st" + std::to_string(n) + ".bmp");
        const QRect r = pile.rect();
        for (QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
            EXPECT_EQ(pile.pixel(corner), kRed) << "st" << n << " corner";
        QRect stones;
        int fringe = 0;
        for (int y = 0; y < pile.height(); ++y)
            for (int x = 0; x < pile.width(); ++x) {
                const QRgb c = pile.pixel(x, y);
                if (c == kRed) continue;
                stones |= QRect(x, y, 1, 1);
                // A half-blended key colour would show as a pink or red seam on the wood.
                if (qRed(c) > 200 && qGreen(c) < 90 && qBlue(c) < 90) ++fringe;
            }
        EXPECT_EQ(fringe, 0) << "st" << n;
    }
}

// A pit layer restores only its own rectangle: stones of a pile picture drawn past it would stay
// on the board as a sliver. Every picture is checked at every place it is drawn.
TEST_F(Art, EveryPilePictureStaysInsideThePitLayerItIsDrawnIn) {
    std::array<QRect, 10> stones; // the pixels that are not key colour
    for (int n = 1; n <= 9; ++n) {
        const QImage pile = Entry("steine.gfx", "st" + std::to_string(n) + ".bmp");
        for (int y = 0; y < pile.height(); ++y)
            for (int x = 0; x < pile.width(); ++x)
                if (pile.pixel(x, y) != kRed) stones[n] |= QRect(x, y, 1, 1);
    }
    const auto expectInside = [&](int place, QPoint at, int n) {
        const QRect drawn = stones[n].translated(at);
        EXPECT_TRUE(kPitRects[place].Rect().contains(drawn))
            << "st" << n << " in place " << place << ": " << drawn.left() << "," << drawn.top() << " to "
            << drawn.right() + 1 << "," << drawn.bottom() + 1;
    };
    for (int place = 1; place <= 13; ++place)
        if (!IsHeadPit(place))
            for (int n = 1; n <= 9; ++n) expectInside(place, kStoneOrigins[place] + PileOffset(n), n);
    for (int count = 1; count <= 15; ++count)
        for (int k = 0; k < 5; ++k) {
            if (kHeadSpread7[count][k] > 0) expectInside(7, kHeadAnchors7[k], kHeadSpread7[count][k]);
            if (kHeadSpread14[count][k] > 0) expectInside(14, kHeadAnchors14[k], kHeadSpread14[count][k]);
        }
}

// At both sizes: a rim that differs from the board by a single pixel shows as a seam.
TEST_F(Art, PitRimsAreTheBoardsOwnPixelsAroundAnOpenHole) {
    for (const auto& [suffix, k] : {std::pair{"", 1}, std::pair{"@2x", 2}}) {
        const QImage board = Entry(std::string("game") + suffix + ".gfx", "bg.jpg");
        for (int place = 1; place <= 13; ++place) {
            if (IsHeadPit(place)) continue;
            const QImage rim =
                Entry(std::string("mulden") + suffix + ".gfx", "mst" + std::to_string(place) + ".bmp");
            const QPoint q = kRimOrigins[place] * k;
            const TBox& pit = kPitRects[place];
            ASSERT_TRUE(QRect(0, 0, kBoardWidth * k, kBoardHeight * k).contains(QRect(q, rim.size())))
                << place;
            int mismatches = 0;
            for (int y = 0; y < rim.height(); ++y)
                for (int x = 0; x < rim.width(); ++x) {
                    const QRgb c = rim.pixel(x, y);
                    if (c != kWhite && c != board.pixel(q + QPoint(x, y))) ++mismatches;
                }
            EXPECT_EQ(mismatches, 0) << "rim " << place << suffix << " differs from the board";
            // The opening shows the stones; the wood in front of it hides the rest of the pile.
            const QPoint centre = QPoint(int(pit.Centre().x()), int(pit.Centre().y()) + 6) * k - q;
            EXPECT_EQ(rim.pixel(centre), kWhite) << place << suffix;
            EXPECT_NE(rim.pixel(centre.x(), rim.height() - 1), kWhite) << place << suffix;
            EXPECT_GE(q.x() + rim.width(), pit.r * k) << place << suffix;
            EXPECT_GE(q.y() + rim.height(), pit.b * k) << place << suffix;
        }
    }
}

TEST_F(Art, HandMasksAndPicturesAgreeAndCoverTheirHotSpots) {
    const auto entries = Entries("hands.gfx");
    for (int player : {1, 2})
        for (bool pick : {true, false})
            for (int frame : pick ? std::vector<int>{0, 1, 3, 5, 7, 9, 11} : std::vector<int>{0, 2, 4}) {
                const std::string name = HandName(player == 1, false, pick, frame);
                const QImage picture = Decode(entries.at(name));
                const QImage mask = Decode(entries.at(HandName(player == 1, true, pick, frame)));
                ASSERT_EQ(picture.size(), mask.size()) << name;
                int stray = 0, notBinary = 0, onHand = 0;
                for (int y = 0; y < mask.height(); ++y)
                    for (int x = 0; x < mask.width(); ++x) {
                        const QRgb m = mask.pixel(x, y);
                        if (m != kBlack && m != kWhite) ++notBinary;
                        if (m == kWhite && picture.pixel(x, y) != kBlack) ++stray;
                        if (m == kBlack) ++onHand;
                    }
                EXPECT_EQ(notBinary, 0) << name;
                EXPECT_EQ(stray, 0) << name << ": picture must be black where the board shows";
                EXPECT_GT(onHand, 5000) << name;
                const QPoint hot = pick ? kPickHotSpot[player] : kSowHotSpot[player];
                ASSERT_TRUE(mask.rect().contains(hot)) << name;
                EXPECT_EQ(mask.pixel(hot), kBlack) << name << ": hot spot off the hand";
                // The arm runs out of the picture on the player's side of the board.
                const int edge = player == 1 ? 0 : mask.height() - 1;
                int armPixels = 0;
                for (int x = 0; x < mask.width(); ++x) armPixels += mask.pixel(x, edge) == kBlack;
                EXPECT_GT(armPixels, 40) << name;
            }
}

TEST_F(Art, HandsReachEveryPitWithoutTheArmEndingOnTheBoard) {
    // Player 1's hands hang from the top edge, player 2's rise from the bottom edge; the sowing
    // hands visit every place, the picking hands only their own row.
    const auto entries = Entries("hands.gfx");
    for (int player : {1, 2})
        for (bool pick : {true, false}) {
            const QImage picture = Decode(entries.at(HandName(player == 1, false, pick, 0)));
            const QPoint hot = pick ? kPickHotSpot[player] : kSowHotSpot[player];
            for (int place = 1; place <= 14; ++place) {
                const bool own = player == 1 ? place <= 7 : place >= 8;
                if (pick && (!own || IsHeadPit(place))) continue;
                const int top = int(kPitRects[place].Centre().y()) - hot.y();
                if (player == 1)
                    EXPECT_LE(top, 0) << "player 1 hand at place " << place;
                else
                    EXPECT_GE(top + picture.height(), kBoardHeight) << "player 2 hand at place " << place;
            }
        }
}

TEST_F(Art, HighlightAndCaptionsFitTheirPlaces) {
    const QImage golden = Entry("game.gfx", "golden.bmp");
    for (int place = 1; place <= 14; ++place) {
        EXPECT_LE(golden.width(), kPitRects[place].Width()) << place;
        EXPECT_LE(golden.height(), kPitRects[place].Height()) << place;
    }
    EXPECT_EQ(golden.pixel(0, 0), kWhite);
    EXPECT_EQ(golden.pixel(golden.width() / 2, golden.height() / 2), kWhite) << "stones must stay visible";
    EXPECT_NE(golden.pixel(golden.width() / 2, 2), kWhite) << "the ring itself";
    for (const char* lang : {"de", "us"}) {
        const QImage overview = Entry("game.gfx", std::string(lang) + "_overview.bmp");
        const QImage preview = Entry("game.gfx", std::string(lang) + "_preview.bmp");
        EXPECT_LE(kOverviewCaption.x() + overview.width(), kPreviewCaption.x()) << lang;
        EXPECT_LE(kOverviewCaption.y() + overview.height(), kOverviewRect.t) << lang;
        EXPECT_LE(kPreviewCaption.y() + preview.height(), kOverviewRect.t) << lang;
        EXPECT_LE(kPreviewCaption.x() + preview.width(), kNotesRect.l) << lang;
    }
    EXPECT_EQ(Entry("game.gfx", "de_preview.bmp").size(), Entry("game.gfx", "us_preview.bmp").size());
}

TEST_F(Art, SketchNumbersLandOnDarkPitsAndTheLightCentre) {
    // The sketch writes coloured counts into the pits and the black count of stones in play in
    // the middle; both must stay readable on the small board and on the board's two copies.
    const QImage board = Entry("game.gfx", "bg.jpg");
    const QImage small = Entry("game.gfx", "smbrett");
    auto luminance = [](QRgb c) { return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000; };
    for (QPoint at : {QPoint(0, 0), kOverviewSketch - kSketchOffset, kPreviewSketch - kSketchOffset}) {
        const QImage& pic = at == QPoint(0, 0) ? small : board;
        const QPoint o = at + kSketchOffset;
        for (int col = 1; col <= 6; ++col)
            for (int row : {0, 2})
                EXPECT_LT(luminance(pic.pixel(o + QPoint(23 * col + 11, 15 * row + 7))), 110) << col;
        for (int col : {0, 7}) EXPECT_LT(luminance(pic.pixel(o + QPoint(23 * col + 11, 22))), 110) << col;
        EXPECT_GT(luminance(pic.pixel(o + QPoint(92, 22))), 190);
    }
}

TEST_F(Art, CompiledPicturesLoadFromTheResources) {
    const std::map<QString, QSize> sizes{
        {"splash", {480, 300}},        {"lot_hidden", {400, 300}},     {"header_newgame", {64, 64}},
        {"header_lot", {64, 64}},      {"header_highscore", {64, 64}}, {"header_history", {64, 64}},
        {"header_language", {64, 64}}, {"hint_stone", {16, 16}},       {"icon_16", {16, 16}},
        {"icon_32", {32, 32}},         {"icon_48", {48, 48}},          {"icon_64", {64, 64}},
        {"icon_128", {128, 128}},      {"icon_256", {256, 256}}};
    for (const auto& [name, size] : sizes) {
        const QImage img(":/pictures/" + name + ".png");
        EXPECT_EQ(img.size(), size) << name.toStdString();
    }
    // The icon and the stone hint are cut out: their corners are transparent.
    EXPECT_EQ(qAlpha(QImage(":/pictures/icon_64.png").pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(QImage(":/pictures/hint_stone.png").pixel(0, 0)), 0);
}

TEST_F(Art, PaintingIsDeterministic) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcess tool;
    tool.start(KELANI_ART_TOOL, {dir.filePath("bin"), dir.filePath("pictures")});
    ASSERT_TRUE(tool.waitForFinished(300000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    for (const char* container : {"game.gfx", "steine.gfx", "mulden.gfx", "hands.gfx", "holz.gfx"}) {
        QFile built(QString(KELANI_PROGRAM_DIR) + "/" + container), again(dir.filePath("bin/") + container);
        ASSERT_TRUE(built.open(QIODevice::ReadOnly) && again.open(QIODevice::ReadOnly)) << container;
        EXPECT_TRUE(built.readAll() == again.readAll()) << container;
    }
    const QDir pictures(dir.filePath("pictures"));
    const QStringList names = pictures.entryList({"*.png"}, QDir::Files);
    EXPECT_EQ(names.size(), 14);
    for (const QString& name : names) {
        QFile built(QString(KELANI_PROGRAM_DIR) + "/../pictures/" + name), again(pictures.filePath(name));
        ASSERT_TRUE(built.open(QIODevice::ReadOnly) && again.open(QIODevice::ReadOnly)) << name.toStdString();
        EXPECT_TRUE(built.readAll() == again.readAll()) << name.toStdString();
    }
}

} // namespace
} // namespace kelani
