// The board as a player sees it in the middle of a move, drawn with the real pictures from the
// graphics containers: compared to a stored rendering, and written out for review.
#include "components/uFolders.h"
#include "game/uTFeld.h"
#include "tests/view/test_canvas_support.h"
#include "view/uTGFXFile.h"
#include "view/uTHands.h"
#include "view/uTSpielfeldLayers.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace kelani;
using namespace kelani::test;

namespace {

const QString kGolden = QStringLiteral(KELANI_TEST_DATA "/view_board_midmove.png");

// The pit centre the controller sends the hands to.
QPoint Centre(int place) {
    return PitRect(place).center();
}

struct MidMove {
    QImage background, board, frame;
    std::unique_ptr<TCanvas> source, dest;
    std::unique_ptr<TSpielfeldLayers> layers;
    TKelaniHands hands;
    TFeld feld;

    // At `scale` pixels per point, from the @2x containers where they exist (as the game does).
    explicit MidMove(int scale = 1) {
        SetProgramFolderForTests(QStringLiteral(KELANI_PROGRAM_DIR));
        const QString game = QStringLiteral("game.gfx");
        background = LoadGfxJPEG(game, "bg.jpg", scale).convertToFormat(QImage::Format_RGB32);
        TCanvas back(background);
        back.Draw(53, 395, LoadGfxBitmap(game, "de_overview.bmp", scale));
        back.Draw(256, 395, LoadGfxBitmap(game, "de_preview.bmp", scale));
        board = background.copy();
        frame = background.copy();
        source = std::make_unique<TCanvas>(background);
        dest = std::make_unique<TCanvas>(board);
        dest->Font.Name = QStringLiteral("Comic Sans MS");
        dest->Font.Bold = true;
        dest->Font.Size = 9;
        layers = std::make_unique<TSpielfeldLayers>(
            *source, *dest, [] { return true; }, std::make_unique<TGFXSteine>(scale),
            std::make_unique<TGFXMulden>(scale));
        hands.LoadPictures(scale);
        hands.BoardImage = &board;
        hands.FrameImage = &frame;
        hands.SteinBilder = layers->GFXSteine.get();
        SetProgramFolderForTests(QString());
        PlayOpening();
        ShowPosition();
        HoldStones();
    }

    void PlayOpening() {
        feld.SetVariante(5);
        feld.SetSteineProMulde(4);
        feld.SetUseStirnmulde(true);
        feld.Reset();
        for (int place : {3, 10, 5, 12, 1}) feld.DoMove(place);
        layers->OverviewLayer->Feld = &feld;
    }

    void ShowPosition() {
        layers->AktSpielerLayer->Names = {QString(), QStringLiteral("Amara"),
                                          QStringLiteral("Computer (Profi)")};
        layers->Paint();
        layers->ZeitLayers[1]->SetValue(3725);
        layers->ZeitLayers[2]->SetValue(247);
        layers->AktSpielerLayer->SetValue(feld.AktSpieler());
        layers->VarianteLayer->SetValue(5);
        layers->SteineHandLayer->SetValue(feld.Mulde(Played()));
        layers->RundeLayers[0]->SetValue(5);
        layers->RundeLayers[1]->SetValue(3);
        layers->RundeLayers[2]->SetValue(2);
        layers->NotesLayer->SetText(
            QStringLiteral("Neues Spiel\r\nAmara beginnt\r\nMulde 3\r\nMulde 10\r\nMulde 5\r\n"
                           "Mulde 12\r\nMulde 1"));
        for (int place = 1; place <= 14; ++place) layers->FeldLayers[place]->SetValue(feld.Mulde(place));
        layers->FeldLayers[Played()]->SetValue(0); // just emptied into the hand
        layers->OverviewLayer->SetValue(Played());
    }

    // The pit the player to move is playing: the fourth of his row.
    int Played() const { return PitIndex(feld.AktSpieler(), 4); }

    // The mover's picking hand has closed on the stones of the pit; his sowing hand waits beside it.
    void HoldStones() {
        const int p = feld.AktSpieler();
        hands.PickPos = {QPoint(), QPoint(400, -100), QPoint(200, 700)};
        hands.SowPos = {QPoint(), QPoint(200, -100), QPoint(400, 700)};
        hands.PickPos[p] = Centre(Played());
        hands.SowPos[p] = Centre(Played()) + QPoint(p == 1 ? -140 : 140, 0);
        hands.PickFrame[p] = 11;
        hands.SowFrame[p] = 0;
        hands.PickStones[p] = feld.Mulde(Played());
        hands.Render();
    }
};

// Pixels whose colour differs by more than `tolerance` in any channel.
int CountFarOff(const QImage& a, const QImage& b, int tolerance) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > tolerance || std::abs(qGreen(p) - qGreen(q)) > tolerance ||
                std::abs(qBlue(p) - qBlue(q)) > tolerance)
                ++count;
        }
    return count;
}

} // namespace

TEST(BoardGolden, MidMoveMatchesTheStoredRendering) {
    MidMove scene;
    const QString screens = qEnvironmentVariable("KELANI_SCREENS");
    if (!screens.isEmpty()) {
        QDir().mkpath(screens);
        ASSERT_TRUE(scene.frame.save(screens + QStringLiteral("/board_midmove.png")));
    }
    if (qEnvironmentVariableIsSet("KELANI_UPDATE_GOLDEN")) {
        ASSERT_TRUE(scene.frame.save(kGolden));
    }
    const QImage golden = QImage(kGolden).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(golden.isNull()) << "missing " << kGolden.toStdString();
    ASSERT_EQ(golden.size(), scene.frame.size());
    // Fonts are rendered slightly differently from machine to machine; the pictures are not.
    EXPECT_LT(CountFarOff(scene.frame, golden, 40), 400)
        << "after a deliberate change of the artwork, renew the stored rendering: run this test with "
           "KELANI_UPDATE_GOLDEN=1";
}

namespace {

// Pixels of `rect` (in points) that differ clearly from the clean background: stones, hands, text.
int Drawn(const MidMove& scene, const QImage& picture, const QRect& rect) {
    return CountDifferent(picture, scene.background, PixelRect(rect, PictureScale(picture)));
}

} // namespace

TEST(BoardGolden, AtTwiceTheSizeTheSameFrameIsComposedWithFourTimesThePixels) {
    MidMove one;
    MidMove two(2);
    const QString screens = qEnvironmentVariable("KELANI_SCREENS");
    if (!screens.isEmpty()) {
        QDir().mkpath(screens);
        ASSERT_TRUE(two.frame.save(screens + QStringLiteral("/board_midmove@2x.png")));
    }
    ASSERT_EQ(two.frame.size(), one.frame.size() * 2);
    EXPECT_EQ(PictureScale(two.frame), 2);
    // Seen from afar the two are the same picture: same stones, hands and texts in the same places.
    const QImage reduced = two.frame.scaled(one.frame.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                               .convertToFormat(QImage::Format_RGB32);
    EXPECT_LT(MeanDifference(reduced, one.frame), 6.0);
    EXPECT_LT(CountFarOff(reduced, one.frame, 90), 1500);
    // Every pit with stones shows them at both sizes, an empty pit shows its floor.
    for (int place = 1; place <= 14; ++place) {
        const bool stones = one.layers->FeldLayers[place]->Value() > 0;
        const QRect pit = PitRect(place).adjusted(12, 12, -12, -12);
        EXPECT_EQ(Drawn(one, one.board, pit) > 0, stones) << place;
        EXPECT_EQ(Drawn(two, two.board, pit) > 0, stones) << place;
    }
    // The clocks and the notes are written at the device resolution: more ink pixels, not blocks.
    const QRect notes = one.layers->NotesLayer->DestRect;
    EXPECT_GT(Drawn(two, two.board, notes), 3 * Drawn(one, one.board, notes));
}

TEST(BoardGolden, HandsAtHomeLeaveTheBoardAsItIs) {
    MidMove scene;
    scene.hands.PickPos[2] = {200, 700};
    scene.hands.SowPos[2] = {400, 700};
    scene.hands.Render();
    EXPECT_EQ(scene.frame, scene.board);
}

TEST(BoardGolden, EveryHandFrameHasAPictureAndAMaskOfOneSize) {
    MidMove scene;
    for (int h = 1; h <= 2; ++h) {
        for (int n = 0; n <= TKelaniHands::kLastPickFrame; ++n) {
            const TKelaniHand& hand = scene.hands.PickFrames[h][n];
            EXPECT_EQ(hand.Picture.isNull(), !TKelaniHands::PickFrameExists(n)) << h << " pick " << n;
            EXPECT_EQ(hand.Picture.size(), hand.Mask.size()) << h << " pick " << n;
        }
        for (int n = 0; n <= TKelaniHands::kLastSowFrame; ++n) {
            const TKelaniHand& hand = scene.hands.SowFrames[h][n];
            EXPECT_EQ(hand.Picture.isNull(), !TKelaniHands::SowFrameExists(n)) << h << " sow " << n;
            EXPECT_EQ(hand.Picture.size(), hand.Mask.size()) << h << " sow " << n;
        }
    }
    for (int n = 1; n <= 9; ++n) EXPECT_FALSE(scene.layers->GFXSteine->Bild(n).isNull()) << n;
    for (int place = 1; place <= 14; ++place)
        EXPECT_EQ(scene.layers->GFXMulden->Bild(place).isNull(), IsStirnmulde(place)) << place;
}

// The hot spot is the point of the hand that reaches the pit: the hand must be there.
TEST(BoardGolden, EveryHandTouchesItsHotSpot) {
    MidMove scene;
    const std::array<QPoint, 3> pickHot = {{{}, {213, 340}, {427, 140}}};
    const std::array<QPoint, 3> sowHot = {{{}, {460, 383}, {180, 97}}};
    auto touches = [](const TKelaniHand& hand, QPoint hot) {
        for (int dy = -6; dy <= 6; ++dy)
            for (int dx = -6; dx <= 6; ++dx)
                if (hand.Mask.valid(hot + QPoint(dx, dy)) &&
                    qGray(hand.Mask.pixel(hot + QPoint(dx, dy))) < 64)
                    return true;
        return false;
    };
    for (int h = 1; h <= 2; ++h) {
        for (int n = 0; n <= TKelaniHands::kLastPickFrame; ++n) {
            if (TKelaniHands::PickFrameExists(n)) {
                EXPECT_TRUE(touches(scene.hands.PickFrames[h][n], pickHot[h])) << h << " pick " << n;
            }
        }
        for (int n = 0; n <= TKelaniHands::kLastSowFrame; n += 2)
            EXPECT_TRUE(touches(scene.hands.SowFrames[h][n], sowHot[h])) << h << " sow " << n;
    }
    // For review: player 1's sowing hand dropping a stone into a pit of the lower row.
    scene.hands.PickPos = {QPoint(), Centre(5), QPoint(200, 700)};
    scene.hands.SowPos = {QPoint(), Centre(10), QPoint(400, 700)};
    scene.hands.PickFrame[1] = 0;
    scene.hands.SowFrame[1] = 4;
    scene.hands.PickStones[1] = 0;
    scene.hands.Render();
    const QString screens = qEnvironmentVariable("KELANI_SCREENS");
    if (!screens.isEmpty()) {
        EXPECT_TRUE(scene.frame.save(screens + QStringLiteral("/board_player1_drop.png")));
    }
}
