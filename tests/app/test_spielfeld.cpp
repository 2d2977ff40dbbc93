#include "app/ufHighscore.h"
#include "app/ufHistory.h"
#include "app/ufNewGame.h"
#include "app/ufSpielfeld.h"
#include "app/ufStreichholz.h"
#include "components/MultiLanguage.h"
#include "components/SmallGrid.h"
#include "components/uAboutBox.h"
#include "components/uFileDialog.h"
#include "components/uPaintBox.h"
#include "components/uRadioGroup.h"
#include "components/uShellOpen.h"
#include "components/uWait.h"
#include "control/uTSpielfeld.h"
#include "control/uTakeBack.h"
#include "records/uTHighscore.h"
#include "records/uTHistory.h"
#include "tests/app/GuiTestSupport.h"
#include "tests/app/ScreenGrab.h"
#include "tests/view/test_canvas_support.h"
#include "view/uContrast.h"
#include "view/uTCanvas.h"
#include "view/uTSpielfeldLayers.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <memory>
#include <set>

using namespace kelani;
using namespace kelani::testing;
using kelani::test::MeanDifference;

namespace {

// What a record window showed when the test closed it.
struct TShownRecordWindow {
    QString Kind;         // "highscore" or "history"
    int VariantItem = -1; // the highscore table's chosen variant item
    int MarkedRow = -1;   // the highscore grid's marked row (the rank), -1 for none
    int Records = 0;      // the history's record count
    QSize Picture;        // the history picture's size
};

class MainWindow : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        WriteQuietSettings();
        // The record windows open modally: note what they show, then close them like a player would.
        closer_.setInterval(5);
        QObject::connect(&closer_, &QTimer::timeout, [this] { CloseRecordWindows(); });
        closer_.start();
        RecordShellOpens(true);
        // Every box is noted and answered: one that a test did not expect must not wait for a click.
        EnableMessageSeam();
    }

    void Create() {
        window_ = std::make_unique<TfSpielfeld>();
        window_->show();
    }

    void TearDown() override {
        closer_.stop();
        RecordShellOpens(false);
        if (window_) {
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
        s.Level = level_;
        Game().NewGame(s);
    }

    // Puts a position on the board of the running game, changed from the present one by `change`.
    void Arrange(const std::function<void(TFeld&)>& change) {
        TFeld position = Game().Board();
        change(position);
        Game().SetPositionForTests(position);
    }

    // Player 1 (Anna) plays pit 1 into a position where he holds more than half of the stones.
    void PlayIntoCertainWinForPlayerOne() {
        Arrange([](TFeld& board) {
            for (int place = 1; place <= kPlaces; ++place) board.SetMulde(place, 0);
            board.SetMulde(kStirnmulde1, 25);
            board.SetMulde(1, 3);
            board.SetMulde(8, 20);
        });
        Game().PlayPit(1);
    }

    // Ends the running game in a position where player 1 holds `store1` and player 2 `store2`
    // stones; the result box is answered, the table closed and no other game wanted. Returns the
    // result box's text.
    QString FinishWith(int store1, int store2) {
        QueueMessageAnswer(mrOk);
        QueueMessageAnswer(mrNo);
        Arrange([&](TFeld& board) {
            for (int place = 1; place <= kPlaces; ++place) board.SetMulde(place, 0);
            board.SetMulde(kStirnmulde1, store1);
            board.SetMulde(kStirnmulde2, store2);
        });
        const std::vector<TShownMessage>& shown = ShownMessages();
        return shown.size() >= 2 ? shown[shown.size() - 2].Text : QString();
    }

    // The pit's centre where the window shows it (the board is scaled to the window).
    void PointAt(int place) {
        const QPoint centre = window_->BoxPoint(PitCentre(place));
        QMouseEvent move(QEvent::MouseMove, centre, window_->pbSpielfeld->mapToGlobal(centre), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window_->pbSpielfeld, &move);
    }

    void ClickAt(int place) {
        PointAt(place);
        const QPoint centre = window_->BoxPoint(PitCentre(place));
        QMouseEvent press(QEvent::MouseButtonPress, centre, window_->pbSpielfeld->mapToGlobal(centre),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window_->pbSpielfeld, &press);
    }

    // "Spiel laden" on a file that is no saved game; its box is answered with OK.
    void LoadJunkFile() {
        QFile junk(FilePath(QStringLiteral("junk.kel")));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("this is not a game");
        junk.close();
        QueueMessageAnswer(mrOk);
        TFileDialog::SetNextFileForTests(junk.fileName());
        window_->aLoadGame->trigger();
    }

    // A file of the test folder holding `bytes`; its path.
    QString FileWith(const QString& name, const QByteArray& bytes) const {
        QFile file(FilePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    static QByteArray Contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    int FirstLegalPlace() {
        const int player = Game().Board().AktSpieler();
        for (int n = 1; n <= 6; ++n)
            if (Game().Board().IsLegalMove(PitIndex(player, n))) return PitIndex(player, n);
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

    void CloseRecordWindows() {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (!top->isVisible()) continue;
            if (auto* table = qobject_cast<TfHighscore*>(top)) {
                TShownRecordWindow shown;
                shown.Kind = QStringLiteral("highscore");
                shown.VariantItem = table->findChild<TRadioGroup*>(QStringLiteral("rgVariante"))->ItemIndex();
                for (int row = 0; row < table->Grid().RowCount(); ++row)
                    if (table->Grid().IsSelected(0, row)) shown.MarkedRow = row;
                recordWindows_.push_back(shown);
                table->reject();
            } else if (auto* history = qobject_cast<TfHistory*>(top)) {
                TShownRecordWindow shown;
                shown.Kind = QStringLiteral("history");
                shown.Records = history->RecordCount();
                shown.Picture = history->Picture().size();
                recordWindows_.push_back(shown);
                history->reject();
            }
        }
    }

    // The Master thinks `ms` per move: short, so his games take seconds, or long, to act meanwhile.
    void CreateWithMaster(int ms = 50) {
        WriteQuietSettings("german", "mastertime=" + QByteArray::number(ms) + "\n");
        Create();
        window_->tKI->setInterval(2);
        level_ = kMeisterLevel;
    }

    // A game against the Master for ten seconds a move, he begins; true once he thinks.
    bool MasterThinksLong() {
        CreateWithMaster(10000);
        Start(1, 1);
        return RunUntil([&] { return Game().Thinking(); }, 5000);
    }

    std::unique_ptr<TfSpielfeld> window_;
    int level_ = 1;
    std::vector<TShownRecordWindow> recordWindows_;
    QTimer closer_;
};

// The board picture with the keyboard's ring on `place`, as the window shows it.
QImage WithRing(QImage board, int place) {
    DrawFocusRing(board, place);
    return board;
}

// The application's cursor over every window, -1 for none.
int OverrideCursor() {
    const QCursor* cursor = QApplication::overrideCursor();
    return cursor ? cursor->shape() : -1;
}

// The answers of the boxes at a game end: result, "another game?" declined. The highscore table
// in between is a window of its own, closed by the fixture.
void AnswerGameEnd() {
    QueueMessageAnswer(mrOk);
    QueueMessageAnswer(mrNo);
}

} // namespace

TEST_F(MainWindow, HumanGameByClicksRunsToTheEndAndEntersTheHighscore) {
    Create();
    Start(0);
    EXPECT_TRUE(window_->aSaveGame->isEnabled());
    AnswerGameEnd();
    // The result box is answered with the window's own pointer, not the move's hourglass.
    int cursorAtResult = 0;
    const auto showResult = Game().OnMessage;
    Game().OnMessage = [&](const QString& text, TMessageKind kind) {
        cursorAtResult = OverrideCursor();
        showResult(text, kind);
    };
    int clicks = 0;
    while (Game().Running() && clicks < 500) {
        const int before = Game().History().Count();
        ClickAt(FirstLegalPlace());
        ASSERT_GT(Game().History().Count(), before) << "a click on a legal pit plays it";
        ++clicks;
    }
    EXPECT_FALSE(Game().Running());
    EXPECT_FALSE(Game().IsUpdating());
    EXPECT_EQ(Game().Board().Store1() + Game().Board().Store2(), 48);
    EXPECT_EQ(cursorAtResult, -1);
    ASSERT_EQ(ShownMessages().size(), 2u);
    const QString result = ShownMessages()[0].Text;
    const int leader = Game().Board().Leader();
    if (leader == 0)
        EXPECT_TRUE(result.startsWith(QStringLiteral("Unentschieden."))) << result.toStdString();
    else
        EXPECT_TRUE(
            result.startsWith(QStringLiteral("Der Spieler %1 hat gewonnen.")
                                  .arg(leader == 1 ? QStringLiteral("Anna") : QStringLiteral("Bert"))))
            << result.toStdString();
    EXPECT_TRUE(
        result.contains(QStringLiteral("Der Spieler Anna hat %1 Steine").arg(Game().Board().Store1())));
    EXPECT_TRUE(result.contains(QStringLiteral("Platz der Highscore-Liste")));
    EXPECT_EQ(ShownMessages()[1].Text, QStringLiteral("M\u00F6chten Sie noch ein weiteres Spiel?"));
    // Both humans entered the empty table: it opened on the played variant with the winner's row.
    ASSERT_EQ(recordWindows_.size(), 1u);
    EXPECT_EQ(recordWindows_[0].Kind, QStringLiteral("highscore"));
    EXPECT_EQ(recordWindows_[0].VariantItem, 0);
    EXPECT_EQ(recordWindows_[0].MarkedRow, 1);
    EXPECT_EQ(Game().TakeFreshRank(), -1) << "the table took the fresh rank";

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
    EXPECT_TRUE(RunUntil([&] { return !Game().Running(); }));
    EXPECT_TRUE(Game().Board().IsGameOver());
    EXPECT_FALSE(window_->tKI->isActive());
    EXPECT_FALSE(QFile::exists(FilePath(QStringLiteral("hs4.dat")))) << "computers are never entered";
    ASSERT_FALSE(ShownMessages().empty());
    EXPECT_FALSE(ShownMessages()[0].Text.contains(QStringLiteral("Platz")));
}

TEST_F(MainWindow, MasterPlaysAComputerGameToItsEndWithLegalMoves) {
    CreateWithMaster();
    EXPECT_EQ(Game().MasterTime(), 50) << "the thinking time comes from settings.ini";
    AnswerGameEnd();
    Start(2);
    EXPECT_EQ(Game().History().Schwierigkeit, kMeisterLevel);
    ASSERT_TRUE(RunUntil([&] { return !Game().Running(); }));
    EXPECT_TRUE(Game().Board().IsGameOver());
    TFeld replayed;
    Game().History().StartBoard(replayed);
    EXPECT_EQ(Game().History().Replay(replayed), Game().History().Count()) << "every recorded move was legal";
    EXPECT_EQ(replayed.Mulden(), Game().Board().Mulden());
}

TEST_F(MainWindow, SavedMasterGameLoadsAndTheMasterPlaysOn) {
    CreateWithMaster();
    Start(1, 2); // the human begins
    QueueMessageAnswer(mrOk);
    TFileDialog::SetNextFileForTests(FilePath(QStringLiteral("meister.kel")));
    window_->aSaveGame->trigger();

    level_ = 1;
    Start(0);
    TFileDialog::SetNextFileForTests(FilePath(QStringLiteral("meister.kel")));
    window_->aLoadGame->trigger();
    EXPECT_EQ(Game().Level(), kMeisterLevel);
    EXPECT_EQ(Game().History().Schwierigkeit, kMeisterLevel);
    Game().PlayPit(FirstLegalPlace());
    const int afterHuman = Game().History().Count();
    EXPECT_TRUE(RunUntil([&] { return Game().History().Count() > afterHuman; }, 10000))
        << "the Master answers";
}

TEST_F(MainWindow, WhileTheMasterThinksTheClockRunsOnTheScreenAndEscMakesHimPlayAtOnce) {
    ASSERT_TRUE(MasterThinksLong());
    window_->tZeit->setInterval(50);
    const QRect clock1 = Game().Layers().ZeitLayers[1]->DestRect;
    const QImage before = OnScreen(*window_->pbSpielfeld).copy(window_->BoardRect());
    ASSERT_TRUE(RunUntil([&] { return Game().Seconds(1) >= 3; }, 5000));
    EXPECT_FALSE(SameIn(OnScreen(*window_->pbSpielfeld).copy(window_->BoardRect()), before, clock1))
        << "the clock runs on the screen";
    ASSERT_TRUE(Game().Thinking());
    EXPECT_EQ(Game().History().Count(), 0);
    EXPECT_EQ(OverrideCursor(), Qt::WaitCursor);

    QElapsedTimer sinceEsc;
    sinceEsc.start();
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    EXPECT_TRUE(RunUntil([&] { return Game().History().Count() == 1; }, 1000)) << "he plays what he has";
    EXPECT_LT(sinceEsc.elapsed(), 1000);
}

TEST_F(MainWindow, ClosingWhileTheMasterThinksEndsHimAtOnce) {
    ASSERT_TRUE(MasterThinksLong());
    QueueMessageAnswer(mrYes);
    QElapsedTimer sinceClose;
    sinceClose.start();
    window_->close();
    EXPECT_LT(sinceClose.elapsed(), 1000);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_FALSE(Game().Thinking());
    QTest::qWait(100);
    EXPECT_EQ(Game().History().Count(), 0) << "no move after the close";
}

TEST_F(MainWindow, HintHighlightsTheMastersPitForAWhileAndEnterPlaysIt) {
    CreateWithMaster();
    Start(1, 2); // the human begins
    window_->tZeit->stop();
    EXPECT_TRUE(window_->aHint->isEnabled());
    EXPECT_EQ(window_->aHint->shortcut(), QKeySequence(QStringLiteral("Ctrl+H")));
    const TFeld::TMulden board = Game().Board().Mulden();
    const int clock2 = Game().Seconds(2);
    const QImage before = OnScreen(*window_->pbSpielfeld).copy(window_->BoardRect());

    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(RunUntil([&] { return Game().HintPlace() > 0; }, 5000));
    const int place = Game().HintPlace();
    EXPECT_TRUE(Game().Board().IsLegalMove(place));
    const QString note = Game().Notes().split(QStringLiteral("\r\n")).last();
    EXPECT_TRUE(
        QRegularExpression(
            QStringLiteral("^Tipp: Mulde %1 \\(etwa (\\+[1-9]\\d*|0|-[1-9]\\d*)\\)$").arg(PitNumber(place)))
            .match(note)
            .hasMatch())
        << "an estimate in the analysis panel's words: " << note.toStdString();
    const QImage shown = OnScreen(*window_->pbSpielfeld).copy(window_->BoardRect());
    EXPECT_FALSE(SameIn(shown, before, PitRect(place))) << "the pit lights up on the screen";
    EXPECT_TRUE(SameIn(shown, WithRing(Game().Picture(place), place), PitRect(place)));
    EXPECT_EQ(window_->KeyFocus(), place) << "the keyboard's choice jumps to the hint";
    EXPECT_EQ(Game().Board().Mulden(), board);
    EXPECT_EQ(Game().Board().AktSpieler(), 2);
    EXPECT_EQ(Game().History().Count(), 0);
    EXPECT_EQ(Game().Seconds(2), clock2);

    ASSERT_TRUE(RunUntil([&] { return Game().HintPlace() < 0; }, 5000));
    EXPECT_TRUE(SameIn(OnScreen(*window_->pbSpielfeld).copy(window_->BoardRect()),
                       WithRing(Game().Picture(), place), PitRect(place)))
        << "the light goes out, the ring stays";
    QTest::keyClick(window_.get(), Qt::Key_Enter);
    ASSERT_EQ(Game().History().Count(), 1);
    EXPECT_EQ(Game().History().Moves(0).Mulde, place);

    Start(2);
    EXPECT_FALSE(window_->aHint->isEnabled()) << "no hint while no human is to move";

    // Two stones left, either pit takes both into Bert's store: 24 to 24 whatever he plays, a value
    // the search proves to the end of every line.
    Start(1, 2);
    Arrange([](TFeld& twoLeft) {
        for (int index = 1; index <= kPlaces; ++index) twoLeft.SetMulde(index, 0);
        twoLeft.SetMulde(kStirnmulde1, 24);
        twoLeft.SetMulde(kStirnmulde2, 22);
        twoLeft.SetMulde(PitIndex(2, 5), 1);
        twoLeft.SetMulde(PitIndex(2, 6), 1);
    });
    QTest::keyClick(window_.get(), Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(RunUntil([&] { return Game().HintPlace() > 0; }, 5000));
    const int proven = PitNumber(Game().HintPlace());
    EXPECT_TRUE(Game().Notes().endsWith(QStringLiteral("\r\nTipp: Mulde %1 (remis, exakt)").arg(proven)))
        << Game().Notes().toStdString();
    window_->miEnglish->trigger();
    EXPECT_TRUE(Game().Notes().endsWith(QStringLiteral("\r\nHint: pit %1 (draw, exact)").arg(proven)))
        << "the value's words follow the language: " << Game().Notes().toStdString();
}

TEST_F(MainWindow, CtrlZTakesBackOnTheScreenWithTheTrainingMarkAndCtrlYRedoes) {
    Create();
    Start(0);
    window_->tZeit->stop();
    EXPECT_FALSE(window_->aTakeBack->isEnabled());
    const auto screen = [&] { return OnScreen(*window_->pbSpielfeld).copy(window_->BoardRect()); };
    const auto samePits = [&](const QImage& a, const QImage& b) {
        for (int place = 1; place <= kPlaces; ++place)
            if (!SameIn(a, b, PitRect(place))) return false;
        return true;
    };
    const QImage ordinary = screen();
    ClickAt(FirstLegalPlace());
    const QImage afterOne = screen();
    ClickAt(FirstLegalPlace());
    const QImage afterTwo = screen();
    ASSERT_EQ(Game().History().Count(), 2);
    ASSERT_FALSE(samePits(afterOne, afterTwo));

    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Game().History().Count(), 1);
    EXPECT_TRUE(HasMessage(QStringLiteral("Trainingspartie"))) << "the player is told";
    const QImage back = screen();
    EXPECT_TRUE(samePits(back, afterOne)) << "the board on the screen is the one after the first move";
    EXPECT_FALSE(SameIn(back, ordinary, TrainingMarkRect())) << "the mark stands on the board";
    EXPECT_TRUE(SameIn(back, Game().Picture(), TrainingMarkRect()));
    EXPECT_TRUE(window_->aRedo->isEnabled());

    QTest::keyClick(window_.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(samePits(screen(), afterTwo));
    EXPECT_FALSE(window_->aRedo->isEnabled());

    window_->aTakeBack->trigger();
    window_->aGameHistory->trigger();
    ASSERT_EQ(recordWindows_.size(), 1u);
    EXPECT_EQ(recordWindows_[0].Records, 1) << "the history shows the game up to the current move";
}

TEST_F(MainWindow, EscSkipsTheRestOfAMoveAndTheNextMoveAnimatesAgain) {
    Create();
    window_->miSteinAnimation->trigger();
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
    EXPECT_FALSE(Game().Busy());

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
    EXPECT_EQ(Game().History().Count(), 0);
    Game().PlayPit(PitIndex(2, 3));
    EXPECT_EQ(Game().History().Count(), 0) << "an illegal pit is refused";
}

TEST_F(MainWindow, PitHintShowsTheStoneCountWithTheRightWord) {
    Create();
    Start(0);
    Arrange([](TFeld& board) { board.SetMulde(2, 1); });
    PointAt(2);
    EXPECT_EQ(window_->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(window_->pbSpielfeld->ShowHint());
    EXPECT_EQ(window_->pbSpielfeld->Tag, 2);
    EXPECT_TRUE(window_->pbSpielfeld->Hint().endsWith(QStringLiteral("<b>1</b> Stein")));
    EXPECT_TRUE(window_->pbSpielfeld->Hint().contains(QStringLiteral("idx:0")));
    EXPECT_EQ(Game().Layers().FeldLayers[0]->Value(), 2) << "the preview follows the pointer";
    Arrange([](TFeld& board) { board.SetMulde(9, 0); });
    PointAt(9);
    EXPECT_NE(window_->cursor().shape(), Qt::PointingHandCursor) << "the opponent's pit is not playable";
    EXPECT_TRUE(window_->pbSpielfeld->Hint().endsWith(QStringLiteral("<b>0</b> Steine")));
    EXPECT_EQ(Game().Layers().FeldLayers[0]->Value(), 2) << "the preview stays on the last playable pit";
}

TEST_F(MainWindow, SavedGameLoadsBackWithBoardClocksNamesAndVariant) {
    Create();
    Start(0, 2, 6, QStringLiteral("Anna"), QStringLiteral("J\u00F6rg"));
    for (int i = 0; i < 3 && Game().Running(); ++i) {
        for (int second = 0; second < 7; ++second) Game().Tick();
        Game().PlayPit(FirstLegalPlace());
    }
    const TFeld::TMulden board = Game().Board().Mulden();
    const int player = Game().Board().AktSpieler();
    const int clock1 = Game().Seconds(1);
    const int clock2 = Game().Seconds(2);

    QueueMessageAnswer(mrOk);
    TFileDialog::SetNextFileForTests(FilePath(QStringLiteral("partie")));
    window_->aSaveGame->trigger();
    EXPECT_TRUE(QFile::exists(FilePath(QStringLiteral("partie.kel"))));
    EXPECT_TRUE(HasMessage(QStringLiteral("Das Spiel wurde gespeichert.")));

    Start(0, 1, 5, QStringLiteral("Carl"), QStringLiteral("Dora"));
    TFileDialog::SetNextFileForTests(FilePath(QStringLiteral("partie.kel")));
    window_->aLoadGame->trigger();
    EXPECT_EQ(Game().Board().Mulden(), board);
    EXPECT_EQ(Game().Board().AktSpieler(), player);
    EXPECT_EQ(Game().Board().Variante(), 6);
    EXPECT_EQ(Game().Seconds(1), clock1);
    EXPECT_EQ(Game().Seconds(2), clock2);
    EXPECT_EQ(Game().Layers().AktSpielerLayer->Names[2], QStringLiteral("J\u00F6rg"));
    EXPECT_EQ(Game().Layers().VarianteLayer->Value(), 6);
    EXPECT_EQ(Game().Notes(), QStringLiteral("Spiel geladen"));
    EXPECT_TRUE(Game().Running());
    EXPECT_EQ(TFileDialog::LastInitialDirForTests(), Folder());
}

TEST_F(MainWindow, SaveNameKeepsAKelExtensionInCapitals) {
    Create();
    Start(0);
    Game().PlayPit(FirstLegalPlace());
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

namespace {

// Runs act on the next modal dialog of type T once it is open.
template <class T> void OnceOpen(const std::function<void(T&)>& act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        act(*dialog);
    });
    poll->start(5);
}

// Answers the next save dialogs in turn as a player would: types each name and presses Enter, or
// cancels for an empty one. `offered`, when given, gets the name each dialog opened on.
void AnswerSaveDialogs(const QStringList& names, QStringList* offered = nullptr) {
    auto* poll = new QTimer;
    auto left = std::make_shared<QStringList>(names);
    QObject::connect(poll, &QTimer::timeout, [=] {
        // A dialog answered before may still be closing: it is not the next one.
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog->property("answered").toBool()) return;
        dialog->setProperty("answered", true);
        const QString name = left->takeFirst();
        if (left->isEmpty()) {
            poll->stop();
            poll->deleteLater();
        }
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (offered) offered->append(edit->text());
        if (name.isEmpty()) return dialog->reject();
        edit->clear();
        QTest::keyClicks(edit, name);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    poll->start(5);
}

} // namespace

TEST_F(MainWindow, SavingUnderAnotherExtensionAsksAboutTheFileThatWouldBeReplaced) {
    Create();
    Start(0);
    Game().PlayPit(FirstLegalPlace());
    const QString target = FileWith(QStringLiteral("x.txt.kel"), "precious");
    window_->sdSaveGame->InitialDir = Folder();

    // "Nein" opens the dialog again on the name asked about; a cancel there saves nothing.
    QStringList offered;
    AnswerSaveDialogs({QStringLiteral("x.txt"), QString()}, &offered);
    QueueMessageAnswer(mrNo);
    window_->aSaveGame->trigger();
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_EQ(ShownMessages()[0].Text,
              QStringLiteral("\"%1\" gibt es schon. Wollen Sie die Datei ersetzen?").arg(target));
    EXPECT_EQ(offered, (QStringList{QString(), QStringLiteral("x.txt.kel")}));
    EXPECT_EQ(Contents(target), QByteArray("precious"));

    AnswerSaveDialogs({QStringLiteral("x.txt")});
    QueueMessageAnswer(mrYes);
    QueueMessageAnswer(mrOk);
    window_->aSaveGame->trigger();
    EXPECT_TRUE(HasMessage(QStringLiteral("Das Spiel wurde gespeichert.")));
    THistory saved;
    EXPECT_TRUE(saved.LoadFromFile(QFile::encodeName(target).toStdString()));
    EXPECT_FALSE(QFile::exists(FilePath(QStringLiteral("x.txt"))));
}

TEST_F(MainWindow, AfterNeinToReplacingTheSaveDialogOpensAgainForAnotherName) {
    Create();
    Start(0);
    Game().PlayPit(FirstLegalPlace());
    const QString kept = FileWith(QStringLiteral("partie.kel"), "precious");
    const int answered = TFileDialog::AnsweredForTests();
    TFileDialog::SetNextFileForTests(kept);
    QueueMessageAnswer(mrNo);
    TFileDialog::SetNextFileForTests(FilePath(QStringLiteral("andere")));
    QueueMessageAnswer(mrOk);
    window_->aSaveGame->trigger();
    EXPECT_EQ(TFileDialog::AnsweredForTests(), answered + 2) << "the dialog opened again";
    ASSERT_EQ(ShownMessages().size(), 2u);
    EXPECT_EQ(ShownMessages()[1].Text, QStringLiteral("Das Spiel wurde gespeichert."));
    THistory saved;
    EXPECT_TRUE(saved.LoadFromFile(QFile::encodeName(FilePath(QStringLiteral("andere.kel"))).toStdString()));
    EXPECT_EQ(Contents(kept), QByteArray("precious"));
}

TEST_F(MainWindow, ACutOffSavedGameIsReportedByNameInTheWindowsLanguage) {
    const QString german =
        QStringLiteral("Die Datei \"%1\" ist besch\u00E4digt oder unvollst\u00E4ndig und kann nicht "
                       "gelesen werden.");
    const QString english = QStringLiteral("The file \"%1\" is damaged or incomplete and cannot be read.");
    for (const auto& [language, text] :
         {std::pair{QByteArray("german"), german}, {QByteArray("english"), english}}) {
        WriteQuietSettings(language);
        Create();
        Start(0);
        Game().PlayPit(FirstLegalPlace());
        const QString file = FilePath(QStringLiteral("cut.kel"));
        Game().History().SaveToFile(QFile::encodeName(file).toStdString());
        QFile cut(file);
        ASSERT_TRUE(cut.resize(cut.size() - 20));
        ResetMessageSeam();
        QueueMessageAnswer(mrOk);
        TFileDialog::SetNextFileForTests(file);
        window_->aLoadGame->trigger();
        ASSERT_EQ(ShownMessages().size(), 1u) << language.constData();
        EXPECT_EQ(ShownMessages()[0].Text, text.arg(file));
        EXPECT_EQ(ShownMessages()[0].Type, mtError);
        EXPECT_TRUE(Game().Running()) << "the game goes on";
        window_.reset();
    }
}

// A read-only saved game is not replaced, a read-only settings.ini not written; both are named in
// the player's language (the settings in the one he just switched to).
TEST_F(MainWindow, RefusedSavesOfTheGameAndTheSettingsAreNamedInThePlayersLanguage) {
    const QString german =
        QStringLiteral("Die Datei \"%1\" ist schreibgesch\u00FCtzt und wurde nicht ersetzt.");
    const QString english = QStringLiteral("The file \"%1\" is read-only and was not replaced.");
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const QString settings = FilePath(QStringLiteral("settings.ini"));
    for (const bool inGerman : {true, false}) {
        WriteQuietSettings(inGerman ? "german" : "english");
        Create();
        Start(0);
        Game().PlayPit(FirstLegalPlace());
        const QString game = FileWith(QStringLiteral("fest.kel"), "kept");
        ASSERT_TRUE(QFile::setPermissions(game, readOnly));
        ResetMessageSeam();
        QueueMessageAnswer(mrYes); // replace it
        TFileDialog::SetNextFileForTests(game);
        window_->aSaveGame->trigger();
        ASSERT_EQ(ShownMessages().size(), 2u) << inGerman;
        EXPECT_EQ(ShownMessages()[1].Text, (inGerman ? german : english).arg(game));
        EXPECT_EQ(ShownMessages()[1].Type, mtError);
        EXPECT_EQ(Contents(game), QByteArray("kept"));
        ASSERT_TRUE(QFile::remove(game));

        ASSERT_TRUE(QFile::setPermissions(settings, readOnly));
        (inGerman ? window_->miEnglish : window_->miGerman)->trigger();
        ASSERT_EQ(ShownMessages().size(), 3u) << inGerman;
        EXPECT_EQ(ShownMessages()[2].Text, (inGerman ? english : german).arg(settings));
        ASSERT_TRUE(QFile::setPermissions(settings, readOnly | QFile::WriteOwner));
        window_.reset();
    }
}

TEST_F(MainWindow, FileThatIsNoSavedGameIsReportedAndTheGameGoesOn) {
    Create();
    Start(0);
    Game().PlayPit(FirstLegalPlace());
    const TFeld::TMulden board = Game().Board().Mulden();
    LoadJunkFile();
    EXPECT_TRUE(HasMessage(QStringLiteral("ist keine g\u00FCltige KELANI (R) Freeware 2 Datei.")));
    EXPECT_EQ(Game().Board().Mulden(), board);
    EXPECT_EQ(Game().History().Count(), 1);
    EXPECT_TRUE(Game().Running());
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
    // Damaged file at the game end, the result, the damaged file again in the table, no new game.
    for (int answer : {mrOk, mrOk, mrOk, mrNo}) QueueMessageAnswer(answer);
    while (Game().Running()) Game().PlayPit(FirstLegalPlace());
    ASSERT_EQ(ShownMessages().size(), 4u);
    EXPECT_EQ(ShownMessages()[0].Type, mtError);
    EXPECT_EQ(ShownMessages()[2].Type, mtError);
    ASSERT_EQ(recordWindows_.size(), 1u);
    EXPECT_EQ(recordWindows_[0].MarkedRow, -1);
    EXPECT_TRUE(ShownMessages()[1].Text.contains(QStringLiteral("gewonnen")) ||
                ShownMessages()[1].Text.contains(QStringLiteral("Unentschieden")));
    EXPECT_FALSE(ShownMessages()[1].Text.contains(QStringLiteral("Platz"))) << "no entries, no ranks";
    EXPECT_FALSE(Game().IsUpdating()) << "painting resumed";
    QFile file(FilePath(QStringLiteral("hs4.dat")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), damaged) << "the damaged file is left untouched";
}

TEST_F(MainWindow, LanguageSwitchRecaptionsAndIsStored) {
    Create();
    QMenu* game = window_->menuBar()->findChild<QMenu*>(QStringLiteral("miSpiel"));
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->title(), QStringLiteral("&Spiel"));
    window_->miEnglish->trigger();
    EXPECT_EQ(game->title(), QStringLiteral("&Game"));
    EXPECT_EQ(window_->aNewGame->text(), QStringLiteral("&new game"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    window_->miGerman->trigger();
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"))
        << "Qt's own dialogs follow the game's language";
    window_->miEnglish->trigger();
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("KELANI (R) Freeware No. 2"));
    EXPECT_TRUE(ReadSettings().contains("language=english"));
    EXPECT_TRUE(window_->miEnglish->isChecked());
    EXPECT_FALSE(window_->miGerman->isChecked());
}

TEST_F(MainWindow, MenusAndTheirItemsHaveUniqueUnderlinedLettersInBothLanguages) {
    Create();
    // The letter after the one '&' of a caption, in lower case; none when the caption has no such letter.
    const auto mnemonic = [](const QString& text) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        return at >= 0 && at + 1 < text.size() && text[at + 1].isLetter() ? text[at + 1].toLower() : QChar();
    };
    for (QAction* language : {window_->miEnglish, window_->miGerman}) {
        language->trigger();
        std::set<QChar> menus;
        for (const QAction* entry : window_->menuBar()->actions()) {
            const QMenu* menu = entry->menu();
            EXPECT_FALSE(mnemonic(menu->title()).isNull()) << menu->title().toStdString();
            EXPECT_TRUE(menus.insert(mnemonic(menu->title())).second) << menu->title().toStdString();
            std::set<QChar> items;
            for (const QAction* item : menu->actions()) {
                if (item->isSeparator()) continue;
                EXPECT_FALSE(mnemonic(item->text()).isNull()) << item->text().toStdString();
                EXPECT_TRUE(items.insert(mnemonic(item->text())).second) << item->text().toStdString();
            }
        }
    }
    // Alt+S opens the game menu, as a player with the keyboard expects.
    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QMenu* game = window_->menuBar()->findChild<QMenu*>(QStringLiteral("miSpiel"));
    QTest::keyClick(window_.get(), Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(RunUntil([&] { return game->isVisible(); }, 2000));
    game->hide();
}

TEST_F(MainWindow, CommandsNeedAGame) {
    Create();
    window_->UpdateActions();
    EXPECT_FALSE(window_->aSaveGame->isEnabled());
    EXPECT_FALSE(window_->aGameHistory->isEnabled());
}

// What reaches the window: the board fills it in its own shape, bars of the table's colour beside it.
TEST_F(MainWindow, BoardFillsTheWindowLetterboxedAndKeepsItsPixelsInTheFirstWindow) {
    Create();
    EXPECT_EQ(window_->BoardRect().size(), QSize(720, 520))
        << "the first window shows the board pixel for pixel";
    for (const QSize size : {QSize(1500, 800), QSize(900, 1100), QSize(500, 400)}) {
        window_->resize(size);
        QApplication::processEvents();
        const QRect board = window_->BoardRect();
        EXPECT_NEAR(double(board.width()) / board.height(), 720.0 / 520.0, 0.01) << size.width();
        const QImage shown = window_->pbSpielfeld->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect inner = board.adjusted(2, 2, -2, -2) & shown.rect();
        // Bars on the two sides the board does not reach, in the board's own corner colour.
        const QRgb bar = Game().Picture().pixel(0, 0);
        const bool wide = board.width() < shown.width() - 4;
        const QPoint barProbe = wide ? QPoint(1, shown.height() / 2) : QPoint(shown.width() / 2, 1);
        EXPECT_EQ(shown.pixel(barProbe), bar) << size.width();
        EXPECT_EQ(shown.pixel(shown.width() - 1 - barProbe.x(), shown.height() - 1 - barProbe.y()), bar);
        // Inside, the board itself, scaled to the rectangle.
        const QImage expected = Game()
                                    .Picture()
                                    .scaled(board.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                    .convertToFormat(QImage::Format_RGB32);
        const QImage seen = shown.copy(inner);
        EXPECT_LT(MeanDifference(seen, expected.copy(inner.translated(-board.topLeft()))), 6.0)
            << size.width();
    }
}

TEST_F(MainWindow, ClicksOnAScaledBoardPlayThePitUnderThePointer) {
    Create();
    window_->resize(1600, 1000);
    QApplication::processEvents();
    Start(0, 1);
    ASSERT_GT(window_->BoardRect().width(), 1000);
    const QPoint corner = window_->BoxPoint(PitRect(3).topLeft());
    EXPECT_EQ(window_->BoardPoint(corner), PitRect(3).topLeft());
    ClickAt(3);
    EXPECT_EQ(Game().History().Count(), 1);
    EXPECT_EQ(Game().Board().Mulde(3), 0) << "pit 3 was sown";
}

TEST_F(MainWindow, FullScreenByF11AndTheOptionsMenu) {
    Create();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_F11);
    EXPECT_TRUE(RunUntil([&] { return window_->isFullScreen(); }, 2000));
    EXPECT_TRUE(window_->aFullScreen->isChecked());
    window_->aFullScreen->trigger();
    EXPECT_TRUE(RunUntil([&] { return !window_->isFullScreen(); }, 2000));
    EXPECT_EQ(window_->aFullScreen->text(), QStringLiteral("&Vollbild"));
    window_->miEnglish->trigger();
    EXPECT_EQ(window_->aFullScreen->text(), QStringLiteral("&full screen"));
}

TEST_F(MainWindow, GameClockCountsOnlyThePlayerToMoveWhileAGameRuns) {
    Create();
    Game().Tick();
    Start(0, 2);
    Game().Tick();
    Game().Tick();
    EXPECT_EQ(Game().Seconds(2), 2);
    EXPECT_EQ(Game().Seconds(1), 0);
    Game().PlayPit(FirstLegalPlace());
    EXPECT_EQ(Game().History().Moves(0).Zeit, 2) << "the move records the time spent";
}

namespace {

// Clicks `button` of the next modal dialog of type T once it is open.
template <class T> void WhenOpen(const char* button, const std::function<void(T&)>& prepare = {}) {
    OnceOpen<T>([=](T& dialog) {
        if (prepare) prepare(dialog);
        dialog.template findChild<QPushButton*>(QLatin1String(button))->click();
    });
}

} // namespace

TEST_F(MainWindow, RanksFollowTheEntriesAndPlayerOneMovesDownBehindABetterPlayerTwo) {
    Create();
    Start(0);
    const QString first = FinishWith(30, 18);
    EXPECT_TRUE(first.startsWith(QStringLiteral("Der Spieler Anna hat gewonnen.\n\n")))
        << first.toStdString();
    EXPECT_TRUE(
        first.contains(QStringLiteral("Anna hat 30 Steine erbeutet und eine Punktzahl von 62.50 erreicht.\n"
                                      "Mit 62.50 Punkten ist das der 1 Platz")));
    EXPECT_TRUE(first.contains(QStringLiteral("Bert hat 18 Steine")));
    EXPECT_TRUE(first.contains(QStringLiteral("das der 2 Platz")));

    Start(0);
    const QString second = FinishWith(10, 38);
    EXPECT_TRUE(second.contains(QStringLiteral("Punkten ist das der 1 Platz")))
        << "Bert's 79 % lead the table";
    EXPECT_TRUE(second.contains(QStringLiteral("das der 4 Platz")))
        << "Anna's entry went in third, then moved down behind Bert's";
}

TEST_F(MainWindow, DrawBetweenHumansIsAnnouncedAsDraw) {
    Create();
    Start(0);
    EXPECT_TRUE(FinishWith(24, 24).startsWith(QStringLiteral("Unentschieden.")));
    EXPECT_FALSE(Game().Running());
}

TEST_F(MainWindow, ComputerOpponentIsNeverEntered) {
    Create();
    Start(1, 2);
    window_->tKI->stop();
    FinishWith(40, 8);
    ASSERT_EQ(recordWindows_.size(), 1u);
    EXPECT_EQ(recordWindows_[0].MarkedRow, 1) << "the human's rank";
    THighscore table;
    table.LoadFromFile(FilePath(QStringLiteral("hs4.dat")).toStdString());
    ASSERT_EQ(table.Count(), 1);
    EXPECT_EQ(table.GetText("name", 0), "Bert");
    EXPECT_EQ(table.GetText("land", 0), "deutschland");
}

TEST_F(MainWindow, CertainWinnerIsNotedOnceAndPassesAreRecordedAsPlaceZero) {
    Create();
    Start(0);
    PlayIntoCertainWinForPlayerOne();
    const QString notes = Game().Notes();
    EXPECT_TRUE(notes.endsWith(QStringLiteral("Anna wird gewinnen"))) << notes.toStdString();
    ASSERT_EQ(Game().Board().AktSpieler(), 2);
    Game().PlaySkip();
    EXPECT_EQ(Game().History().Count(), 1) << "no pass while he has a move: the game would not replay";
    Game().PlayPit(FirstLegalPlace());
    EXPECT_EQ(Game().Notes().count(QStringLiteral("wird gewinnen")), 1);

    // Player 1's row is empty now: he must pass.
    Arrange([](TFeld& board) {
        for (int pit = 1; pit <= 6; ++pit) board.SetMulde(pit, 0);
        board.SetMulde(9, board.Mulde(9) + 5);
        board.SetAktSpieler(1);
    });
    const int moves = Game().History().MoveCount();
    Game().PlaySkip();
    EXPECT_EQ(Game().History().Moves(Game().History().Count() - 1).Mulde, 0);
    EXPECT_EQ(Game().History().MoveCount(), moves) << "a pass is not a move";
    EXPECT_TRUE(Game().Notes().endsWith(QStringLiteral("Anna mu\u00DF aussetzen")));
    EXPECT_EQ(Game().Board().AktSpieler(), 2);
}

TEST_F(MainWindow, WithoutAnimationOnlyTheHandsReturnFrameByFrame) {
    Create();
    Start(0);
    int frames = 0;
    Game().OnChanged = [&] { ++frames; };
    Game().PlayPit(3);
    EXPECT_EQ(frames, 3) << "one frame per hand return and the final refresh";
}

TEST_F(MainWindow, GameWhoseMovesDoNotReplayLeavesTheRunningGameAlone) {
    Create();
    Start(0);
    Game().PlayPit(2);
    const TFeld::TMulden board = Game().Board().Mulden();
    const QString notes = Game().Notes();
    for (int second = 0; second < 17; ++second) Game().Tick();
    const int clock = Game().Seconds(Game().Board().AktSpieler());
    THistory broken;
    broken.Init("Carl", "Dora", "", "", "europa", "europa", 5, true, 4, 2, 1, 0);
    broken.AddMove(3, 9, 1); // player 1 cannot play player 2's pit
    broken.SaveToFile(FilePath(QStringLiteral("broken.kel")).toStdString());
    Game().LoadGame(FilePath(QStringLiteral("broken.kel")));
    EXPECT_EQ(Game().Board().Mulden(), board);
    EXPECT_EQ(Game().History().Name1, "Anna");
    EXPECT_EQ(Game().History().Count(), 1);
    EXPECT_EQ(Game().Notes(), notes);
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_EQ(ShownMessages()[0].Text,
              QStringLiteral("\"%1\" ist keine g\u00FCltige KELANI (R) Freeware 2 Datei.")
                  .arg(FilePath(QStringLiteral("broken.kel"))));
    // The running game keeps its own names and variant on the board.
    EXPECT_EQ(Game().Layers().AktSpielerLayer->Names[1], QStringLiteral("Anna"));
    EXPECT_EQ(Game().Layers().VarianteLayer->Value(), 4);
    EXPECT_EQ(Game().Seconds(Game().Board().AktSpieler()), clock);
    EXPECT_FALSE(Game().IsUpdating());
}

TEST_F(MainWindow, NewGameCommandRunsTheDialogAndTheLot) {
    Create();
    SetWaitSpeedUp(1000);
    WhenOpen<TfNewGame>("bbOK", [](TfNewGame& dialog) {
        dialog.eSp1->setText(QStringLiteral("Anna"));
        dialog.eSp2->setText(QStringLiteral("Bert"));
        dialog.eMail1->setText(QStringLiteral("a@example.org"));
        dialog.eMail2->setText(QStringLiteral("b@example.org"));
        dialog.rgVarianten->ClickItem(1);
        WhenOpen<TfStreichholz>("bLeft");
    });
    window_->aNewGame->trigger();
    EXPECT_TRUE(Game().Running());
    EXPECT_EQ(Game().History().Name1, "Anna");
    EXPECT_EQ(Game().History().Name2, "Bert");
    EXPECT_EQ(Game().Board().Variante(), 5);
    EXPECT_EQ(Game().Board().Mulde(1), 4);
    EXPECT_EQ(Game().History().Land1, "europa");
    EXPECT_EQ(Game().Notes(), QStringLiteral("Neues Spiel"));
    EXPECT_TRUE(window_->aSaveGame->isEnabled());
    EXPECT_TRUE(window_->tZeit->isActive()) << "the clock resumes after the dialogs";
}

TEST_F(MainWindow, HighscoreMarksTheBetterFreshRankOnceOnThePlayedVariant) {
    Create();
    // From the menu before any game: the first variant, nothing marked.
    window_->aHighscore->trigger();
    ASSERT_EQ(recordWindows_.size(), 1u);
    EXPECT_EQ(recordWindows_[0].VariantItem, 0);
    EXPECT_EQ(recordWindows_[0].MarkedRow, -1);

    // Each game end opens the table by itself.
    Start(0, 1, 6);
    FinishWith(30, 18);
    Start(0, 1, 6);
    FinishWith(10, 38);
    ASSERT_EQ(recordWindows_.size(), 3u);
    EXPECT_EQ(recordWindows_[2].VariantItem, 2);
    EXPECT_EQ(recordWindows_[2].MarkedRow, 1) << "player 2's rank 1 beats player 1's rank 4";

    window_->aHighscore->trigger();
    ASSERT_EQ(recordWindows_.size(), 4u);
    EXPECT_EQ(recordWindows_[3].VariantItem, 2);
    EXPECT_EQ(recordWindows_[3].MarkedRow, -1) << "the mark is shown once";
}

TEST_F(MainWindow, HistoryShowsOneSketchPerRecordIncludingPasses) {
    Create();
    Start(0);
    Game().PlayPit(FirstLegalPlace());
    Game().PlayPit(FirstLegalPlace());
    Game().PlayPit(FirstLegalPlace());
    const int records = Game().History().Count();
    ASSERT_GE(records, 3);
    window_->aGameHistory->trigger();
    ASSERT_EQ(recordWindows_.size(), 1u);
    EXPECT_EQ(recordWindows_[0].Kind, QStringLiteral("history"));
    EXPECT_EQ(recordWindows_[0].Records, records);
    // Two sketches a row, each the small board with its number margin.
    EXPECT_EQ(recordWindows_[0].Picture, QSize(2 * (199 + kHistoryNumberMargin), (records + 1) / 2 * 62));
    EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(MainWindow, HistoryWithoutTheGraphicsContainerIsReportedAndTheGameGoesOn) {
    Create();
    Start(0);
    Game().PlayPit(FirstLegalPlace());
    ASSERT_TRUE(QFile::remove(FilePath(QStringLiteral("game.gfx"))));
    QueueMessageAnswer(mrOk);
    window_->aGameHistory->trigger();
    EXPECT_TRUE(recordWindows_.empty());
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_EQ(ShownMessages()[0].Type, mtError);
    EXPECT_TRUE(Game().Running());
    EXPECT_TRUE(window_->tZeit->isActive());
}

TEST_F(MainWindow, HelpOpensThePageOfTheChosenLanguage) {
    QDir(Folder()).mkdir(QStringLiteral("hilfe"));
    for (const char* page : {"hilfe/start.htm", "hilfe/start_e.htm"}) {
        QFile file(FilePath(QLatin1String(page)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    Create();
    window_->aContent->trigger();
    window_->miEnglish->trigger();
    window_->aContent->trigger();
    ASSERT_EQ(ShellOpened().size(), 2);
    EXPECT_EQ(ShellOpened()[0], QUrl::fromLocalFile(Folder() + QStringLiteral("/hilfe/start.htm")));
    EXPECT_EQ(ShellOpened()[1], QUrl::fromLocalFile(Folder() + QStringLiteral("/hilfe/start_e.htm")));
    EXPECT_TRUE(ShownMessages().empty());
}

// The maker's addresses are placeholders until his pages are online: the Internet menu greys them
// out and its tool tips say why, in the player's language; an about box link to one explains
// itself instead of opening a page that does not exist.
TEST_F(MainWindow, AddressesNotOnTheInternetYetAreGreyedOutWithTheReasonAndNeverOpened) {
    Create();
    QMenu* internet = window_->findChild<QMenu*>(QStringLiteral("miInternet"));
    ASSERT_NE(internet, nullptr);
    EXPECT_TRUE(internet->toolTipsVisible());
    const std::pair<const char*, QString> languages[] = {
        {"german", QStringLiteral("Diese Adresse gibt es noch nicht: sie wird freigeschaltet, sobald sie im "
                                  "Internet steht.")},
        {"english",
         QStringLiteral("This address does not exist yet: it is offered once it is on the internet.")}};
    for (const auto& [language, tip] : languages) {
        (QLatin1String(language) == QLatin1String("german") ? window_->miGerman : window_->miEnglish)
            ->trigger();
        for (QAction* link : {window_->aUpdate, window_->aEmail, window_->aHomepage, window_->aSponsor}) {
            EXPECT_FALSE(link->isEnabled()) << link->objectName().toStdString();
            EXPECT_EQ(link->toolTip(), tip) << language;
            link->trigger();
        }
    }
    EXPECT_TRUE(ShellOpened().empty());
    EXPECT_TRUE(ShownMessages().empty());

    QLabel* links = window_->id->findChild<QLabel*>(QStringLiteral("lAddresses"));
    ASSERT_NE(links, nullptr);
    emit links->linkActivated(QStringLiteral("https://www.tarvik.example/"));
    EXPECT_TRUE(ShellOpened().empty());
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_EQ(ShownMessages()[0].Type, mtInformation);
    EXPECT_EQ(ShownMessages()[0].Text,
              QStringLiteral("https://www.tarvik.example/ does not exist yet: the address is "
                             "a placeholder until the page is on the internet."));
}

// A browser or mail program that does not start is named with the address it was to show.
TEST_F(MainWindow, AnAddressNoProgramCanOpenIsReportedWithTheProgramAndTheAddress) {
    Create();
    RecordShellOpens(true, false);
    QLabel* links = window_->id->findChild<QLabel*>(QStringLiteral("lAddresses"));
    ASSERT_NE(links, nullptr);
    emit links->linkActivated(QStringLiteral("https://www.debian.org/"));
    emit links->linkActivated(QStringLiteral("mailto:someone@debian.org"));
    window_->miEnglish->trigger();
    emit links->linkActivated(QStringLiteral("https://www.debian.org/"));
    ASSERT_EQ(ShellOpened().size(), 3);
    ASSERT_EQ(ShownMessages().size(), 3u);
    for (const TShownMessage& shown : ShownMessages()) EXPECT_EQ(shown.Type, mtWarning);
    EXPECT_EQ(
        ShownMessages()[0].Text,
        QStringLiteral("Der Browser konnte nicht gestartet werden, um https://www.debian.org/ zu zeigen."));
    EXPECT_EQ(ShownMessages()[1].Text,
              QStringLiteral("Das E-Mail-Programm konnte nicht gestartet werden, um an "
                             "someone@debian.org zu schreiben."));
    EXPECT_EQ(ShownMessages()[2].Text,
              QStringLiteral("The web browser could not be started to show https://www.debian.org/."));
}

TEST_F(MainWindow, MissingHelpPageIsReportedAndTheClockGoesOn) {
    Create();
    Start(0);
    QueueMessageAnswer(mrOk);
    window_->aContent->trigger();
    EXPECT_TRUE(ShellOpened().empty());
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_EQ(ShownMessages()[0].Type, mtWarning);
    EXPECT_TRUE(ShownMessages()[0].Text.contains(QStringLiteral("start.htm")));
    EXPECT_TRUE(window_->tZeit->isActive());
}

// ---- What reaches the screen ----

namespace {

// The board's part of the paint box on the screen, in board coordinates.
QImage BoardNow(TfSpielfeld& window) {
    return ScreenNow(*window.pbSpielfeld).copy(window.BoardRect());
}

QImage Board(TfSpielfeld& window) {
    return OnScreen(*window.pbSpielfeld).copy(window.BoardRect());
}

// The notes are drawn whether or not a game runs: a board showing the bare background there
// shows no layer at all.
bool IsBare(const QImage& screen, const TSpielfeld& game) {
    return SameIn(screen, game.Bare(), game.Layers().NotesLayer->DestRect);
}

} // namespace

TEST_F(MainWindow, ScreenFollowsTheClockEverySecondAndThePreviewOfTheHoveredPit) {
    Create();
    Start(0, 2);
    const QImage started = Board(*window_);
    EXPECT_EQ(started, Game().Picture().convertToFormat(QImage::Format_RGB32))
        << "both clocks and names shown";
    const QRect clock2 = Game().Layers().ZeitLayers[2]->DestRect;
    Game().Tick();
    const QImage ticked = Board(*window_);
    EXPECT_FALSE(SameIn(ticked, started, clock2)) << "the clock moves on during the turn";
    EXPECT_TRUE(SameIn(ticked, Game().Picture(), clock2));

    const QRect overview = Game().Layers().OverviewLayer->DestRect;
    PointAt(PitIndex(2, 3));
    const QImage hovered = Board(*window_);
    EXPECT_FALSE(SameIn(hovered, ticked, overview)) << "ring and preview sketch appear";
    EXPECT_TRUE(SameIn(hovered, Game().Picture(), overview));
}

// The pixel rows of `rect` that hold dark text.
int TextRows(const QImage& screen, const QRect& rect) {
    int rows = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        bool dark = false;
        for (int x = rect.left(); x <= rect.right() && !dark; ++x) dark = qGray(screen.pixel(x, y)) < 80;
        rows += dark;
    }
    return rows;
}

// The Options menu's high contrast and large notes change what the screen shows at once and are
// kept in settings.ini for the next start.
TEST_F(MainWindow, HighContrastAndLargeNotesReachTheScreenAndAreKept) {
    Create();
    Start(0, 2);
    const QRect notes = Game().Layers().NotesLayer->DestRect;
    const QPoint panel = notes.bottomRight() - QPoint(3, 3);
    const QImage plain = Board(*window_);
    EXPECT_NE(plain.pixel(panel), qRgb(255, 255, 255));
    window_->findChild<QAction*>(QStringLiteral("miHighContrast"))->trigger();
    const QImage strong = Board(*window_);
    QImage expected = Game().Picture();
    RaiseContrast(expected);
    EXPECT_EQ(strong, expected.convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(strong.pixel(panel), qRgb(255, 255, 255)) << "the notes' panel turns white";

    window_->findChild<QAction*>(QStringLiteral("miLargeNotes"))->trigger();
    const QImage large = Board(*window_);
    EXPECT_GT(TextRows(large, notes), TextRows(strong, notes) + 2) << "the notes' letters grow";
    window_.reset();
    EXPECT_TRUE(ReadSettings().contains("highcontrast=1"));
    EXPECT_TRUE(ReadSettings().contains("largenotes=1"));
}

// A desktop set to a larger font gets larger notes on the board too.
TEST_F(MainWindow, NotesGrowWithTheDesktopFont) {
    const QFont desktop = QApplication::font();
    int rows[2] = {};
    for (int i : {0, 1}) {
        QFont font = desktop;
        font.setPointSizeF(i == 0 ? 9 : 14);
        QApplication::setFont(font);
        Create();
        Start(0, 2);
        rows[i] = TextRows(Board(*window_), Game().Layers().NotesLayer->DestRect);
        window_.reset();
    }
    QApplication::setFont(desktop);
    EXPECT_GT(rows[1], rows[0] + 2);
}

// A whole turn by keys wherever a human plays: Right skips the empty pit, ring and preview show on
// the screen, Enter plays, and the ring follows to the next human to move.
TEST_F(MainWindow, HumanTurnByKeyboardInBothModesWithAHuman) {
    for (const int modus : {0, 1}) {
        Create();
        QApplication::setActiveWindow(window_.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        window_->tKI->setInterval(2);
        Start(modus, 2); // player 2 is human in both modes
        window_->tZeit->stop();
        Arrange([](TFeld& board) { board.SetMulde(9, 0); });
        const QImage before = Board(*window_);
        QTest::keyClick(window_.get(), Qt::Key_Right);
        EXPECT_EQ(window_->KeyFocus(), 8) << "Right starts at the row's left end";
        QTest::keyClick(window_.get(), Qt::Key_Right);
        ASSERT_EQ(window_->KeyFocus(), 10) << "the empty pit 9 is skipped";
        const QImage chosen = Board(*window_);
        const QRect ring = PitRect(10).adjusted(-4, -4, 4, 4);
        const QRect overview = Game().Layers().OverviewLayer->DestRect;
        EXPECT_FALSE(SameIn(chosen, before, ring)) << modus;
        EXPECT_TRUE(SameIn(chosen, WithRing(Game().Picture(), 10), ring)) << modus;
        EXPECT_FALSE(SameIn(chosen, before, overview)) << "ring and preview in the overview";
        EXPECT_EQ(Game().Layers().OverviewLayer->Value(), 10);

        QTest::keyClick(window_.get(), Qt::Key_Return);
        ASSERT_EQ(Game().History().Count(), 1) << modus;
        EXPECT_EQ(Game().History().Moves(0).Mulde, 10);
        if (modus == 1) {
            ASSERT_EQ(Game().Board().AktSpieler(), 1);
            EXPECT_EQ(window_->KeyFocus(), -1) << "no ring while the computer is to move";
            // He waits until the screen was read: the picture compared is the one before his move.
            window_->tKI->stop();
            EXPECT_TRUE(SameIn(Board(*window_), Game().Picture(), ring));
            window_->tKI->start();
            ASSERT_TRUE(RunUntil([&] { return Game().Board().AktSpieler() == 2 && !Game().Busy(); }, 5000));
        }
        const int next = window_->KeyFocus();
        ASSERT_GT(next, 0) << modus;
        EXPECT_EQ(PitOwner(next), Game().Board().AktSpieler()) << "the ring is on the side to move";
        EXPECT_TRUE(SameIn(Board(*window_), WithRing(Game().Picture(), next), PitRect(next))) << modus;
        window_.reset();
    }
}

TEST_F(MainWindow, FinishedGameStaysOnTheScreenThroughALanguageSwitchAndARefusedFile) {
    Create();
    AnswerGameEnd();
    Start(0, 1, 4, QStringLiteral("Anna"), QStringLiteral("Bert"));
    while (Game().Running()) Game().PlayPit(FirstLegalPlace());
    const QImage final = Board(*window_);
    const TSpielfeldLayers& layers = Game().Layers();
    const std::vector<QRect> kept = {PitRect(kStirnmulde1),
                                     PitRect(kStirnmulde2),
                                     layers.ZeitLayers[1]->DestRect,
                                     layers.ZeitLayers[2]->DestRect,
                                     layers.AktSpielerLayer->DestRect,
                                     layers.OverviewLayer->DestRect};
    for (const QRect& rect : kept) ASSERT_FALSE(SameIn(final, Game().Bare(), rect)) << "shown at the end";

    window_->miEnglish->trigger();
    const QImage english = Board(*window_);
    for (const QRect& rect : kept) EXPECT_TRUE(SameIn(english, final, rect)) << "after the language switch";
    EXPECT_FALSE(SameIn(english, Game().Bare(), layers.VarianteLayer->DestRect)) << "variant recaptioned";

    LoadJunkFile();
    const QImage refused = Board(*window_);
    for (const QRect& rect : kept) EXPECT_TRUE(SameIn(refused, final, rect)) << "after a refused file";
    EXPECT_FALSE(Game().Running());
    EXPECT_FALSE(window_->tZeit->isActive());
}

// The Master asked for a hint shows that he thinks: the note on the board, the hourglass as during a
// move; Esc has him show the best pit found so far.
TEST_F(MainWindow, HourglassAndNoteWhileTheHintThinksAndEscShowsItAtOnce) {
    CreateWithMaster(10000);
    Start(0);
    window_->tZeit->stop();
    const QRect notes = Game().Layers().NotesLayer->DestRect;
    int moveCursor = -1;
    Game().OnChanged = [&] {
        if (Game().Busy()) moveCursor = OverrideCursor();
    };
    ClickAt(FirstLegalPlace());
    EXPECT_EQ(moveCursor, Qt::WaitCursor) << "during the move";
    EXPECT_EQ(OverrideCursor(), -1) << "after the move";
    Game().OnChanged = nullptr;

    const QImage asked = Board(*window_);
    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(Game().Thinking());
    EXPECT_EQ(OverrideCursor(), Qt::WaitCursor);
    const QImage thinking = Board(*window_);
    EXPECT_FALSE(SameIn(thinking, asked, notes)) << "the note appears on the board";
    EXPECT_TRUE(Game().Notes().endsWith(QStringLiteral("Der Meister denkt nach \u2026")));

    QElapsedTimer sinceEsc;
    sinceEsc.start();
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    ASSERT_TRUE(RunUntil([&] { return Game().HintPlace() > 0; }, 5000));
    EXPECT_LT(sinceEsc.elapsed(), 2000);
    EXPECT_EQ(OverrideCursor(), -1);
    const QImage hinted = Board(*window_);
    EXPECT_FALSE(SameIn(hinted, thinking, notes)) << "the hint's note replaces it";
    EXPECT_FALSE(SameIn(hinted, thinking, PitRect(Game().HintPlace()))) << "the pit lights up";
    EXPECT_FALSE(Game().Notes().contains(QStringLiteral("denkt nach")));
}

// Every frame of a stone-animated move shows a place's stones from the frame they arrive in: each
// place that changed since the frame before looks as the board's own layer draws its new count.
TEST_F(MainWindow, StoneAnimationShowsEveryPitAsItIsInEachFrame) {
    Create();
    window_->miSteinAnimation->trigger();
    Start(0);
    QImage bare = Game().Bare();
    QImage drawn = bare.copy();
    TCanvas source(bare);
    TCanvas dest(drawn);
    TSpielfeldLayers reference(source, dest, [] { return true; });
    const auto looks = [&](int place, int stones) {
        reference.FeldLayers[place]->SetValue(stones);
        return drawn.copy(PitRect(place)).convertToFormat(QImage::Format_RGB32);
    };
    const QImage start = Board(*window_);
    for (int place = 1; place <= kPlaces; ++place)
        ASSERT_EQ(start.copy(PitRect(place)), looks(place, Game().Board().Mulde(place))) << place;

    TFeld::TMulden before = Game().Board().Mulden();
    int changes = 0;
    std::vector<int> late;
    Game().OnChanged = [&] {
        window_->pbSpielfeld->repaint();
        const QImage screen = BoardNow(*window_);
        const TFeld::TMulden now = Game().Board().Mulden();
        for (int place = 1; place <= kPlaces; ++place) {
            if (now[place] == before[place]) continue;
            ++changes;
            if (screen.copy(PitRect(place)) != looks(place, now[place])) late.push_back(place);
        }
        before = now;
    };
    Game().PlayPit(PitIndex(1, 3));
    EXPECT_GE(changes, 5) << "the pit emptied and four stones sown";
    EXPECT_TRUE(late.empty()) << late.size() << " places showed their stones a frame late";
}

// The bars beside the board keep the table's colour while a hand's sleeve lies on the board's corner.
TEST_F(MainWindow, BarsKeepTheTablesColourWhileASleeveCoversTheBoardsCorner) {
    Create();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    window_->miHandanimation->trigger();
    Start(0);
    int leftmost = PitIndex(1, 1);
    for (int n = 2; n <= 6; ++n)
        if (PitRect(PitIndex(1, n)).left() < PitRect(leftmost).left()) leftmost = PitIndex(1, n);
    const QRgb table = Game().Bare().pixel(0, 0);
    int covered = 0, otherBars = 0;
    Game().OnChanged = [&] {
        covered += Game().Picture().pixel(0, 0) != table ? 1 : 0;
        window_->pbSpielfeld->repaint();
        const QImage box = ScreenNow(*window_->pbSpielfeld);
        otherBars += box.pixel(0, box.height() / 2) != table ? 1 : 0;
    };
    Game().PlayPit(leftmost);
    EXPECT_GT(covered, 0) << "a sleeve lay on the corner";
    EXPECT_EQ(otherBars, 0);
}

// Notes already on the board are written again in the new language, on the screen as well: they
// look exactly like the notes of a window that played in English from the start.
TEST_F(MainWindow, NotesOnTheBoardAreWrittenAgainInTheNewLanguage) {
    QImage switched;
    QRect notes;
    for (const QByteArray language : {"german", "english"}) {
        window_.reset();
        WriteQuietSettings(language);
        Create();
        Start(0);
        PlayIntoCertainWinForPlayerOne();
        Game().AddNote(QStringLiteral("notehintloses"), {QStringLiteral("4")});
        notes = Game().Layers().NotesLayer->DestRect;
        if (language == "german") {
            ASSERT_EQ(Game().Notes(),
                      QStringLiteral("Neues Spiel\r\nAnna wird gewinnen\r\nTipp: Mulde 4 (verliert)"));
            const QImage before = Board(*window_);
            window_->miEnglish->trigger();
            switched = Board(*window_);
            EXPECT_FALSE(SameIn(switched, before, notes));
        }
        EXPECT_EQ(Game().Notes(), QStringLiteral("new game\r\nAnna will win\r\nHint: pit 4 (loses)"))
            << language.data();
    }
    EXPECT_TRUE(SameIn(Board(*window_), switched, notes));
}

TEST_F(MainWindow, ComputersAndClockStandStillWhileADialogIsOpen) {
    Create();
    window_->tKI->setInterval(2);
    window_->tZeit->setInterval(5);
    AnswerGameEnd();
    Start(2);
    ASSERT_TRUE(RunUntil([&] { return Game().History().Count() >= 2; }));
    int moves = -1, clock1 = -1, clock2 = -1;
    bool dialogEnabled = false;
    WhenOpen<TfNewGame>("bbCancel", [&](TfNewGame& dialog) {
        moves = Game().History().Count();
        clock1 = Game().Seconds(1);
        clock2 = Game().Seconds(2);
        QTest::qWait(300);
        dialogEnabled = dialog.isEnabled();
        EXPECT_EQ(Game().History().Count(), moves) << "no move under the dialog";
        EXPECT_EQ(Game().Seconds(1), clock1);
        EXPECT_EQ(Game().Seconds(2), clock2);
        EXPECT_TRUE(Game().Running());
    });
    window_->aNewGame->trigger();
    EXPECT_TRUE(dialogEnabled);
    ASSERT_GE(moves, 2);
    EXPECT_TRUE(RunUntil([&] { return Game().History().Count() > moves; }, 5000)) << "play resumes";
}

// The program's event loop ends right after the close: the rest of the move is played unseen,
// without another frame.
TEST_F(MainWindow, ClosingDuringAHandAnimatedMoveEndsTheProgramAtOnce) {
    Create();
    window_->miHandanimation->trigger();
    SetWaitSpeedUp(1);
    window_->tKI->setInterval(2);
    Start(2);
    QueueMessageAnswer(mrYes);
    QElapsedTimer sinceClose;
    int movesAtClose = -1;
    int framesAfterClose = 0;
    Game().OnChanged = [&] { framesAfterClose += sinceClose.isValid() ? 1 : 0; };
    QTimer::singleShot(400, [&] {
        movesAtClose = Game().History().Count();
        ASSERT_TRUE(Game().Busy()) << "the first move is still being shown";
        EXPECT_EQ(OverrideCursor(), Qt::WaitCursor);
        sinceClose.start();
        window_->close();
    });
    QTimer stuck;
    QObject::connect(&stuck, &QTimer::timeout, [] { QApplication::exit(1); });
    stuck.start(10000);
    ASSERT_EQ(QApplication::exec(), 0) << "the event loop ends with the last window";
    const qint64 ms = sinceClose.elapsed();
    RecordProperty("close_to_loop_end_ms", QString::number(ms).toStdString());
    EXPECT_LT(ms, 1000);
    EXPECT_EQ(framesAfterClose, 0) << "the rest of the move is unseen";
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(Game().History().Count(), movesAtClose) << "no move after the close";
    ASSERT_EQ(ShownMessages().size(), 1u) << "nothing after the quit question";
    EXPECT_EQ(ShownMessages()[0].Text, QStringLiteral("Wollen Sie KELANI (R) wirklich beenden?"));
    window_.reset();
    EXPECT_EQ(OverrideCursor(), -1) << "the hourglass goes with the window";
}

TEST_F(MainWindow, EscAtAnyPointOfAMoveNeverShowsABareBoard) {
    for (const char* animation : {"miSteinAnimation", "miHandanimation"}) {
        for (int escAt = 1; escAt <= 25; escAt += 4) {
            if (!window_) Create();
            window_->findChild<QAction*>(QLatin1String(animation))->trigger();
            Start(0);
            int frames = 0, bare = 0, seen = 0;
            Game().OnChanged = [&] {
                if (++frames == escAt && Game().Busy()) QTest::keyClick(window_.get(), Qt::Key_Escape);
            };
            QTimer watch;
            QObject::connect(&watch, &QTimer::timeout, [&] {
                ++seen;
                if (IsBare(BoardNow(*window_), Game())) ++bare;
            });
            watch.start(1);
            Game().PlayPit(PitIndex(1, 2));
            const QImage after = Board(*window_);
            watch.stop();
            Game().OnChanged = nullptr;
            EXPECT_GT(seen, 0);
            EXPECT_EQ(bare, 0) << "animation " << animation << ", Esc at frame " << escAt;
            EXPECT_EQ(after, Game().Picture().convertToFormat(QImage::Format_RGB32))
                << "animation " << animation << ", Esc at frame " << escAt;
        }
    }
}
