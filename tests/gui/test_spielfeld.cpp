#include "GuiTestSupport.h"
#include "app/MultiLanguage.h"
#include "app/ufSpielfeld.h"
#include "components/uFileDialog.h"
#include "components/uPaintBox.h"
#include "game/uTSpielfeld.h"
#include "records/uTHighscore.h"
#include "records/uTHistory.h"
#include "view/uTSpielfeldLayers.h"

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>

using namespace kelani;
using namespace kelani::testing;

namespace {

class MainWindow : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        WriteSettings("[settings]\nlanguage=german\nsound=0\nhandani=0\nstoneani=0\nnoani=1\n");
    }

    void Create() {
        window_ = std::make_unique<TfSpielfeld>();
        window_->show();
    }

    void TearDown() override {
        if (window_) {
            window_->Spielfeld->GameRunning = false;
            window_->hide();
            window_.reset();
        }
        GuiTest::TearDown();
    }

    TSpielfeld& Game() { return *window_->Spielfeld; }

    void Start(int modus, int first = 1, int variante = 4, const QString& name1 = QStringLiteral("Anna"),
               const QString& name2 = QStringLiteral("Bert")) {
        TNewGameSettings s;
        s.Name1 = modus == 0 ? name1 : QStringLiteral("Computer 1");
        s.Name2 = modus == 2 ? QStringLiteral("Computer 2") : name2;
        s.EMail2 = QStringLiteral("bert@example.org");
        s.Land2 = QStringLiteral("deutschland");
        s.Variante = variante;
        s.Modus = modus;
        s.FirstPlayer = first;
        Game().GameRunning = true;
        Game().NewGame(s);
        window_->ArmComputer();
        window_->UpdateActions();
    }

    void PointAt(int place) {
        const QPoint centre = PitCentre(place);
        QMouseEvent move(QEvent::MouseMove, centre, window_->pbSpielfeld->mapToGlobal(centre), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window_->pbSpielfeld, &move);
    }

    void ClickAt(int place) {
        PointAt(place);
        const QPoint centre = PitCentre(place);
        QMouseEvent press(QEvent::MouseButtonPress, centre, window_->pbSpielfeld->mapToGlobal(centre),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window_->pbSpielfeld, &press);
    }

    int FirstLegalPlace() {
        const int player = Game().Feld.AktSpieler();
        for (int n = 1; n <= 6; ++n)
            if (Game().Feld.IsLegalMove(PitIndex(player, n))) return PitIndex(player, n);
        return -1;
    }

    // Runs the event loop until `done` or the time is up.
    bool RunUntil(const std::function<bool()>& done, int ms = 60000) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < ms) QTest::qWait(5);
        return done();
    }

    bool HasMessage(const QString& part) const {
        for (const TShownMessage& m : ShownMessages())
            if (m.Text.contains(part)) return true;
        return false;
    }

    std::unique_ptr<TfSpielfeld> window_;
};

// The answers of the boxes at a game end: result, highscore, "another game?" declined.
void AnswerGameEnd() {
    QueueMessageAnswer(mrOk);
    QueueMessageAnswer(mrOk);
    QueueMessageAnswer(mrNo);
}

} // namespace

TEST_F(MainWindow, HumanGameByClicksRunsToTheEndAndEntersTheHighscore) {
    Create();
    Start(0);
    EXPECT_TRUE(window_->aSaveGame->isEnabled());
    AnswerGameEnd();
    int clicks = 0;
    while (Game().GameRunning && clicks < 500) {
        const int before = Game().History->Count();
        ClickAt(FirstLegalPlace());
        ASSERT_GT(Game().History->Count(), before) << "a click on a legal pit plays it";
        ++clicks;
    }
    EXPECT_FALSE(Game().GameRunning);
    EXPECT_FALSE(Game().IsUpdating());
    EXPECT_EQ(Game().Feld.Store1() + Game().Feld.Store2(), 48);
    ASSERT_GE(ShownMessages().size(), 3u);
    const QString result = ShownMessages()[0].Text;
    const int leader = Game().Feld.Leader();
    if (leader == 0)
        EXPECT_TRUE(result.startsWith(QStringLiteral("Unentschieden."))) << result.toStdString();
    else
        EXPECT_TRUE(
            result.startsWith(QStringLiteral("Der Spieler %1 hat gewonnen.")
                                  .arg(leader == 1 ? QStringLiteral("Anna") : QStringLiteral("Bert"))))
            << result.toStdString();
    EXPECT_TRUE(result.contains(QStringLiteral("Der Spieler Anna hat %1 Steine").arg(Game().Feld.Store1())));
    EXPECT_TRUE(result.contains(QStringLiteral("Platz der Highscore-Liste")));
    EXPECT_EQ(ShownMessages()[2].Text, QStringLiteral("M\u00F6chten Sie noch ein weiteres Spiel?"));

    THighscore table;
    table.LoadFromFile(FilePath(QStringLiteral("hs4.dat")).toStdString());
    EXPECT_EQ(table.Count(), 2);
    EXPECT_TRUE(window_->aSaveGame->isEnabled()) << "the finished game's moves can still be saved";
}

TEST_F(MainWindow, ComputersPlayAGameToTheEndWithoutInput) {
    Create();
    window_->tKI->setInterval(2);
    AnswerGameEnd();
    Start(2);
    EXPECT_TRUE(RunUntil([&] { return !Game().GameRunning; }));
    EXPECT_TRUE(Game().Feld.IsGameOver());
    EXPECT_FALSE(window_->tKI->isActive());
    EXPECT_FALSE(QFile::exists(FilePath(QStringLiteral("hs4.dat")))) << "computers are never entered";
    ASSERT_FALSE(ShownMessages().empty());
    EXPECT_FALSE(ShownMessages()[0].Text.contains(QStringLiteral("Platz")));
}

TEST_F(MainWindow, EscSkipsTheRestOfAMoveAndTheNextMoveAnimatesAgain) {
    Create();
    Game().Settings.Animation = kStoneAnimation;
    Start(0);
    int frames = 0;
    Game().OnChanged = [&] { ++frames; };
    ClickAt(PitIndex(1, 1));
    const int fullMove = frames;

    frames = 0;
    bool sent = false;
    Game().OnChanged = [&] {
        if (++frames == 3 && !sent) {
            sent = true;
            QTest::keyClick(window_.get(), Qt::Key_Escape);
        }
    };
    ClickAt(PitIndex(2, 1));
    EXPECT_TRUE(sent);
    EXPECT_LT(frames, fullMove - 4) << "the skipped steps show no frames";
    EXPECT_FALSE(Game().SkipAnimation && Game().Busy);

    frames = 0;
    Game().OnChanged = [&] { ++frames; };
    ClickAt(PitIndex(1, 2));
    EXPECT_GE(frames, fullMove - 2) << "the next move is animated again";
    EXPECT_TRUE(window_->isEnabled());
}

TEST_F(MainWindow, BoardIgnoresThePointerWhileTheComputerIsToMove) {
    Create();
    Start(1, 1);
    window_->tKI->stop();
    PointAt(PitIndex(1, 3));
    EXPECT_NE(window_->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(window_->pbSpielfeld->ShowHint());
    ClickAt(PitIndex(1, 3));
    EXPECT_EQ(Game().History->Count(), 0);
    window_->PlayPit(PitIndex(2, 3));
    EXPECT_EQ(Game().History->Count(), 0) << "an illegal pit is refused";
}

TEST_F(MainWindow, PitHintShowsTheStoneCountWithTheRightWord) {
    Create();
    Start(0);
    Game().Feld.SetMulde(2, 1);
    PointAt(2);
    EXPECT_EQ(window_->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(window_->pbSpielfeld->ShowHint());
    EXPECT_EQ(window_->pbSpielfeld->Tag, 2);
    EXPECT_TRUE(window_->pbSpielfeld->Hint().endsWith(QStringLiteral("<b>1</b> Stein")));
    EXPECT_TRUE(window_->pbSpielfeld->Hint().contains(QStringLiteral("idx:0")));
    EXPECT_EQ(Game().Layers->FeldLayers[0]->Value(), 2) << "the preview follows the pointer";
    Game().Feld.SetMulde(9, 0);
    PointAt(9);
    EXPECT_NE(window_->cursor().shape(), Qt::PointingHandCursor) << "the opponent's pit is not playable";
    EXPECT_TRUE(window_->pbSpielfeld->Hint().endsWith(QStringLiteral("<b>0</b> Steine")));
    EXPECT_EQ(Game().Layers->FeldLayers[0]->Value(), 2) << "the preview stays on the last playable pit";
}

TEST_F(MainWindow, SavedGameLoadsBackWithBoardClocksNamesAndVariant) {
    Create();
    Start(0, 2, 6, QStringLiteral("Anna"), QStringLiteral("J\u00F6rg"));
    for (int i = 0; i < 3 && Game().GameRunning; ++i) {
        Game().Layers->ZeitLayers[Game().Feld.AktSpieler()]->SetValue(
            Game().Layers->ZeitLayers[Game().Feld.AktSpieler()]->Value() + 7);
        window_->PlayPit(FirstLegalPlace());
    }
    const TFeld::TMulden board = Game().Feld.Mulden();
    const int player = Game().Feld.AktSpieler();
    const int clock1 = Game().Layers->ZeitLayers[1]->Value();
    const int clock2 = Game().Layers->ZeitLayers[2]->Value();

    QueueMessageAnswer(mrOk);
    TFileDialog::SetNextFileForTests(FilePath(QStringLiteral("partie")));
    window_->aSaveGame->trigger();
    EXPECT_TRUE(QFile::exists(FilePath(QStringLiteral("partie.kel"))));
    EXPECT_TRUE(HasMessage(QStringLiteral("Das Spiel wurde gespeichert.")));

    Start(0, 1, 5, QStringLiteral("Carl"), QStringLiteral("Dora"));
    TFileDialog::SetNextFileForTests(FilePath(QStringLiteral("partie.kel")));
    window_->aLoadGame->trigger();
    EXPECT_EQ(Game().Feld.Mulden(), board);
    EXPECT_EQ(Game().Feld.AktSpieler(), player);
    EXPECT_EQ(Game().Feld.Variante(), 6);
    EXPECT_EQ(Game().Layers->ZeitLayers[1]->Value(), clock1);
    EXPECT_EQ(Game().Layers->ZeitLayers[2]->Value(), clock2);
    EXPECT_EQ(Game().Layers->AktSpielerLayer->Names[2], QStringLiteral("J\u00F6rg"));
    EXPECT_EQ(Game().Layers->VarianteLayer->Value(), 6);
    EXPECT_EQ(Game().Layers->NotesLayer->Text(), QStringLiteral("Spiel geladen"));
    EXPECT_TRUE(Game().GameRunning);
    EXPECT_EQ(TFileDialog::LastInitialDirForTests(), Folder());
}

TEST_F(MainWindow, SaveNameKeepsAKelExtensionInCapitals) {
    Create();
    Start(0);
    window_->PlayPit(FirstLegalPlace());
    QueueMessageAnswer(mrOk);
    QueueMessageAnswer(mrOk);
    TFileDialog::SetNextFileForTests(FilePath(QStringLiteral("A.KEL")));
    window_->aSaveGame->trigger();
    TFileDialog::SetNextFileForTests(FilePath(QStringLiteral("b.txt")));
    window_->aSaveGame->trigger();
    EXPECT_TRUE(QFile::exists(FilePath(QStringLiteral("A.KEL"))));
    EXPECT_FALSE(QFile::exists(FilePath(QStringLiteral("A.KEL.kel"))));
    EXPECT_TRUE(QFile::exists(FilePath(QStringLiteral("b.txt.kel"))));
}

TEST_F(MainWindow, FileThatIsNoSavedGameIsReportedAndTheGameGoesOn) {
    Create();
    Start(0);
    window_->PlayPit(FirstLegalPlace());
    const TFeld::TMulden board = Game().Feld.Mulden();
    QFile junk(FilePath(QStringLiteral("junk.kel")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is not a game");
    junk.close();
    QueueMessageAnswer(mrOk);
    TFileDialog::SetNextFileForTests(junk.fileName());
    window_->aLoadGame->trigger();
    EXPECT_TRUE(HasMessage(QStringLiteral("ist keine g\u00FCltige KELANI (R) Freeware 2 Datei.")));
    EXPECT_EQ(Game().Feld.Mulden(), board);
    EXPECT_EQ(Game().History->Count(), 1);
    EXPECT_TRUE(Game().GameRunning);
    EXPECT_FALSE(Game().IsUpdating());
}

TEST_F(MainWindow, RefusedCloseKeepsTheComputerTimerAndRecordsTheWindowState) {
    Create();
    Start(1, 1);
    ASSERT_TRUE(window_->tKI->isActive());
    QueueMessageAnswer(mrNo);
    window_->close();
    EXPECT_TRUE(window_->isVisible());
    EXPECT_TRUE(window_->tKI->isActive());
    EXPECT_EQ(ShownMessages().back().Text, QStringLiteral("Wollen Sie KELANI (R) wirklich beenden?"));

    window_->tKI->stop();
    QueueMessageAnswer(mrNo);
    window_->close();
    EXPECT_FALSE(window_->tKI->isActive()) << "a stopped timer stays stopped";
}

TEST_F(MainWindow, DamagedHighscoreFileIsReportedLeftAloneAndTheGameEndsNormally) {
    const QByteArray damaged("\x02\x00\x00\x00garbage that is no table", 28);
    {
        QFile file(FilePath(QStringLiteral("hs4.dat")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    Create();
    Start(0);
    QueueMessageAnswer(mrOk);
    AnswerGameEnd();
    while (Game().GameRunning) window_->PlayPit(FirstLegalPlace());
    ASSERT_GE(ShownMessages().size(), 4u);
    EXPECT_EQ(ShownMessages()[0].Type, mtError);
    EXPECT_TRUE(ShownMessages()[1].Text.contains(QStringLiteral("gewonnen")) ||
                ShownMessages()[1].Text.contains(QStringLiteral("Unentschieden")));
    EXPECT_FALSE(ShownMessages()[1].Text.contains(QStringLiteral("Platz"))) << "no entries, no ranks";
    EXPECT_FALSE(Game().IsUpdating()) << "painting resumed";
    EXPECT_EQ(Game().Rank1, -1);
    QFile file(FilePath(QStringLiteral("hs4.dat")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), damaged) << "the damaged file is left untouched";
}

TEST_F(MainWindow, LanguageSwitchRecaptionsAndIsStored) {
    Create();
    QMenu* game = window_->menuBar()->findChild<QMenu*>(QStringLiteral("miSpiel"));
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->title(), QStringLiteral("Spiel"));
    window_->miEnglish->trigger();
    EXPECT_EQ(game->title(), QStringLiteral("Game"));
    EXPECT_EQ(window_->aNewGame->text(), QStringLiteral("new game"));
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("KELANI (R) Freeware No. 2"));
    EXPECT_TRUE(ReadSettings().contains("language=english"));
    EXPECT_TRUE(window_->miEnglish->isChecked());
    EXPECT_FALSE(window_->miGerman->isChecked());
}

TEST_F(MainWindow, CommandsNeedAGameAndBoardStaysCentredOnBlack) {
    Create();
    window_->UpdateActions();
    EXPECT_FALSE(window_->aSaveGame->isEnabled());
    EXPECT_FALSE(window_->aGameHistory->isEnabled());
    window_->resize(1000, 800);
    QApplication::processEvents();
    const QWidget* centre = window_->centralWidget();
    EXPECT_EQ(window_->pbSpielfeld->x(), (centre->width() - 720) / 2);
    EXPECT_EQ(window_->pbSpielfeld->y(), (centre->height() - 520) / 2);
    window_->resize(500, 400);
    QApplication::processEvents();
    EXPECT_EQ(window_->pbSpielfeld->pos(), QPoint(0, 0));
}

TEST_F(MainWindow, GameClockCountsOnlyThePlayerToMoveWhileAGameRuns) {
    Create();
    window_->tZeitTimer();
    Start(0, 2);
    window_->tZeitTimer();
    window_->tZeitTimer();
    EXPECT_EQ(Game().Layers->ZeitLayers[2]->Value(), 2);
    EXPECT_EQ(Game().Layers->ZeitLayers[1]->Value(), 0);
    window_->PlayPit(FirstLegalPlace());
    EXPECT_EQ(Game().History->Moves(0).Zeit, 2) << "the move records the time spent";
}
