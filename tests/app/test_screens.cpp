// The board on a desk of two screens, the second of twice the pixel density (a laptop beside a
// 4K monitor): the offscreen platform builds them from a configuration file read at start-up, so
// this runs in a program of its own.
#include "app/ufSpielfeld.h"
#include "app/ufStreichholz.h"
#include "components/uPaintBox.h"
#include "control/uTSpielfeld.h"
#include "game/uRandom.h"
#include "tests/app/GuiTestSupport.h"
#include "tests/app/ScreenGrab.h"
#include "view/uTGFXFile.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace kelani;
using namespace kelani::testing;

namespace {

void DeskOfTwoScreens() {
    static QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("screens.json"));
    QFile config(file);
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(R"({"screens": [
        {"name": "laptop", "x": 0, "y": 0, "width": 1280, "height": 1024, "dpr": 1.0},
        {"name": "monitor", "x": 1280, "y": 0, "width": 1280, "height": 1024, "dpr": 2.0}]})");
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + file.toLocal8Bit());
}

class TwoScreens : public GuiTest {
protected:
    void SetUp() override {
        DeskOfTwoScreens();
        GuiTest::SetUp();
        WriteSettings("[settings]\nlanguage=german\nsound=0\nnoani=1\n");
    }
};

// How far `shown` (the screen's picture of the board) is from the board picture, on average per
// colour channel.
double MeanDistance(const QImage& shown, const QImage& board) {
    const QImage a = shown.scaled(board.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .convertToFormat(QImage::Format_RGB32);
    const QImage b = board.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum +=
                std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

// The board as the screen shows it, in the screen's pixels.
QImage BoardOnScreen(TfSpielfeld& window) {
    const QImage box = OnScreen(*window.pbSpielfeld);
    const int r = box.width() / window.pbSpielfeld->width();
    const QRect board = window.BoardRect();
    return box.copy(QRect(board.topLeft() * r, board.size() * r));
}

// What `widget` paints, in the screen's pixels. The offscreen platform keeps every window's
// picture at one pixel per point whatever its screen, so the widget paints itself afresh here at
// its device pixel ratio, as it does into a real sharp screen's window.
QImage Painted(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int FirstLegalPit(const TFeld& feld) {
    for (int n = 1; n <= 6; ++n)
        if (feld.IsLegalMove(PitIndex(feld.AktSpieler(), n))) return PitIndex(feld.AktSpieler(), n);
    return -1;
}

} // namespace

TEST_F(TwoScreens, BoardIsComposedAtTheScaleOfTheScreenTheWindowMovesTo) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    TfSpielfeld window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.Spielfeld->Scale(), 1);
    for (const int scale : {2, 1}) {
        window.setScreen(screens[scale - 1]);
        QTest::qWait(30);
        EXPECT_EQ(window.devicePixelRatio(), scale);
        EXPECT_EQ(window.Spielfeld->Scale(), scale);
        EXPECT_EQ(window.Spielfeld->Picture().width(), 720 * scale);
    }
}

TEST_F(TwoScreens, DamagedSharpContainerIsNamedOnceAndTheGameGoesOnAt1x) {
    const QString damaged = FilePath(QStringLiteral("steine@2x.gfx"));
    QFile cut(damaged);
    ASSERT_TRUE(cut.resize(cut.size() / 2));
    EnableMessageSeam();
    const QList<QScreen*> screens = QGuiApplication::screens();
    TfSpielfeld window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TNewGameSettings game;
    game.Name1 = QStringLiteral("Anna");
    game.Name2 = QStringLiteral("Bert");
    window.Spielfeld->NewGame(game);
    window.Spielfeld->PlayPit(FirstLegalPit(window.Spielfeld->Board()));

    // Over to the sharp screen, back and over again: the container is reported the first time only.
    for (QScreen* screen : {screens[1], screens[0], screens[1]}) {
        window.setScreen(screen);
        QTest::qWait(30);
    }
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_EQ(ShownMessages()[0].Text,
              QStringLiteral("Die Datei \"%1\" ist besch\u00E4digt oder unvollst\u00E4ndig und kann nicht "
                             "gelesen werden.")
                  .arg(damaged));
    EXPECT_EQ(window.Spielfeld->Scale(), 1);
    EXPECT_EQ(window.Spielfeld->Picture().width(), 720) << "every picture back at 1x, none half switched";
    ASSERT_TRUE(window.Spielfeld->Running());

    // The game goes on, and the screen shows each new position enlarged.
    const QImage before = BoardOnScreen(window);
    window.Spielfeld->PlayPit(FirstLegalPit(window.Spielfeld->Board()));
    const QImage after = BoardOnScreen(window);
    EXPECT_NE(after, before);
    EXPECT_LT(MeanDistance(after, window.Spielfeld->Picture()), 4.0);
}

// On the sharp screen the lot dialog shows the pictures of holz@2x pixel for pixel: the hidden
// matchsticks before the draw and the drawn one after it (below the message written on it), never
// a 1x picture enlarged beside the sharp board.
TEST_F(TwoScreens, TheLotDialogOnTheSharpScreenShowsTheSharpPictures) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    SetWaitSpeedUp(20);                         // the result stays 250 ms
    SharedRandom().SetClock([] { return 0u; }); // the long matchstick
    TfStreichholz dialog;
    dialog.setScreen(screens[1]);
    dialog.move(screens[1]->geometry().topLeft() + QPoint(40, 40));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_EQ(dialog.devicePixelRatio(), 2);
    const auto sharp = [](const char* name) {
        return LoadGfxJPEG(QStringLiteral("holz.gfx"), name, 2).convertToFormat(QImage::Format_RGB32);
    };
    const QImage covered = Painted(*dialog.iStreichholz);
    ASSERT_EQ(covered.size(), QSize(800, 600));
    EXPECT_EQ(covered, sharp("holzv"));

    QImage drawn;
    QTimer::singleShot(0, [&] { dialog.bLeft->click(); });
    QTimer::singleShot(120, [&] { drawn = Painted(*dialog.iStreichholz); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.DrawDone; }, 5000));
    SharedRandom().SetClock(TimeOfDayMs);
    ASSERT_TRUE(dialog.GuessedRight);
    ASSERT_EQ(drawn.size(), QSize(800, 600));
    const QRect belowMessage(0, 120, 800, 480);
    EXPECT_TRUE(SameIn(drawn, sharp("holzw"), belowMessage));
}
