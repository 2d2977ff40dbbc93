// The game controller on its own: no window, only a QGuiApplication. What a window would show
// or do comes through the controller's outputs, which the fixture notes.
#include "control/uTSpielfeld.h"
#include "game/uTKI.h"
#include "records/uTHistory.h"
#include "settings/uLngScript.h"
#include "tests/support/GameFolder.h"
#include "view/uTSpielfeldLayers.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTest>

#include <array>
#include <thread>

using namespace kelani;
using namespace kelani::testing;

namespace {

QGuiApplication& GuiApp() {
    static int argc = 1;
    static char arg0[] = "kelani_control_test";
    static char* argv[] = {arg0, nullptr};
    // Never destroyed: Qt's input devices must not be torn down after the test runner's exit.
    static auto* app = new QGuiApplication(argc, argv);
    return *app;
}

// The main window's German texts, straight from its language script.
QString German(const QString& key) {
    static const TStrings lines = [] {
        QFile script(QStringLiteral(KELANI_SOURCE_DIR "/app/lng/tfspielfeld.lng"));
        EXPECT_TRUE(script.open(QIODevice::ReadOnly));
        return ExtractScriptSection(SplitScriptLines(script.readAll().toStdString()), "german");
    }();
    return QString::fromUtf8(ScriptString(lines, key.toStdString()));
}

const QString kThinkingNote = QStringLiteral("Der Meister denkt nach \u2026");

class Controller : public ::testing::Test, public TGameFolder {
protected:
    void SetUp() override { GuiApp(); }

    // A controller for a quiet game; `mastertime` is the Master's thinking time in ms.
    void Create(int mastertime = 50) {
        WriteQuietSettings("german", "mastertime=" + QByteArray::number(mastertime) + "\n");
        game_ = std::make_unique<TSpielfeld>(German, QStringLiteral("german"));
        TSpielfeld& game = *game_;
        game.OnMessage = [this](const QString& text, TMessageKind) { messages_.push_back(text); };
        game.OnError = [this](const std::exception& error, const QString&) {
            errors_.push_back(error.what());
        };
        game.OnBusy = [this](bool busy) { busy_.push_back(busy); };
        game.OnTurn = [this] { ++turns_; };
        game.OnGameEnded = [this] { ++ended_; };
        game.OnThinking = [this](bool thinking) { thinking_.push_back(thinking); };
        game.OnHint = [this](int place) { hints_.push_back(place); };
    }

    void Start(int modus, int level = 1, int variante = 4) {
        TNewGameSettings s;
        s.Name1 = QStringLiteral("Anna");
        s.Name2 = QStringLiteral("Bert");
        s.Modus = modus;
        s.Level = level;
        s.Variante = variante;
        s.FirstPlayer = 1;
        game_->NewGame(s);
    }

    // Ends the running game with player 1 holding `store1` stones and player 2 the rest.
    void Finish(int store1, int store2) {
        TFeld position = game_->Board();
        for (int place = 1; place <= kPlaces; ++place) position.SetMulde(place, 0);
        position.SetMulde(kStirnmulde1, store1);
        position.SetMulde(kStirnmulde2, store2);
        game_->SetPositionForTests(position);
    }

    int FirstLegalPlace() const {
        const TFeld& board = game_->Board();
        for (int n = 1; n <= 6; ++n)
            if (board.IsLegalMove(PitIndex(board.AktSpieler(), n))) return PitIndex(board.AktSpieler(), n);
        return -1;
    }

    QString LastNote() const { return game_->Notes().split(QStringLiteral("\r\n")).last(); }

    // Runs the event loop until `done` or the time is up.
    static bool RunUntil(const std::function<bool()>& done, int ms) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < ms) QTest::qWait(5);
        return done();
    }

    void TearDown() override { game_.reset(); }

    std::unique_ptr<TSpielfeld> game_;
    std::vector<QString> messages_;
    std::vector<std::string> errors_;
    std::vector<bool> busy_;
    std::vector<bool> thinking_;
    std::vector<int> hints_;
    int turns_ = 0;
    int ended_ = 0;
};

// ---- Turn cycle ----

TEST_F(Controller, EachMoveHoldsInputWhileItIsShownThenHandsTheTurnOver) {
    Create();
    Start(kModeHumans);
    const int turns = turns_;
    bool clockStoodStill = false;
    game_->OnBusy = [&](bool busy) {
        busy_.push_back(busy);
        if (busy) clockStoodStill = game_->Busy() && !game_->ClockRuns() && !game_->HintAllowed();
    };
    game_->PlayPit(PitIndex(2, 3));
    EXPECT_TRUE(busy_.empty()) << "the opponent's pit is refused";
    game_->PlayPit(PitIndex(1, 3));
    EXPECT_EQ(busy_, (std::vector<bool>{true, false}));
    EXPECT_TRUE(clockStoodStill) << "while the move is shown";
    EXPECT_EQ(turns_, turns + 1);
    EXPECT_EQ(game_->Board().AktSpieler(), 2);
    EXPECT_TRUE(game_->HintAllowed());

    // The computer at level 1 plays at once when asked, and only when it is his turn.
    Start(kModeComputerHuman);
    game_->ComputerTurn();
    ASSERT_EQ(game_->History().Count(), 1);
    EXPECT_EQ(game_->History().Moves(0).Spieler, 1);
    game_->ComputerTurn();
    EXPECT_EQ(game_->History().Count(), 1) << "the human is to move";
    EXPECT_TRUE(thinking_.empty()) << "only the Master thinks on his thread";
}

// ---- The Master's thinking ----

TEST_F(Controller, MasterThinksOnHisThreadAndHurriedPlaysTheBestMoveSoFar) {
    Create(10000);
    Start(kModeComputerHuman, kMeisterLevel);
    game_->ComputerTurn();
    ASSERT_TRUE(game_->Thinking());
    EXPECT_EQ(thinking_, std::vector<bool>{true});
    game_->ComputerTurn();
    EXPECT_EQ(thinking_, std::vector<bool>{true}) << "asked again, he goes on thinking";
    QTest::qWait(100);
    EXPECT_EQ(game_->History().Count(), 0);
    EXPECT_TRUE(game_->ClockRuns()) << "the clock runs while he thinks";

    QElapsedTimer sinceEsc;
    sinceEsc.start();
    ASSERT_TRUE(game_->HurryThinking());
    ASSERT_TRUE(RunUntil([&] { return game_->History().Count() == 1; }, 5000));
    EXPECT_LT(sinceEsc.elapsed(), 2000);
    EXPECT_EQ(thinking_, (std::vector<bool>{true, false}));
    EXPECT_FALSE(game_->Thinking());
    EXPECT_FALSE(game_->HurryThinking()) << "nothing to hurry";
    EXPECT_EQ(game_->Board().AktSpieler(), 2);
}

TEST_F(Controller, HintSaysTheMasterThinksThenLightsHisPitAndLeavesTheGameAlone) {
    Create();
    Start(kModeHumans);
    const TFeld::TMulden board = game_->Board().Mulden();
    game_->StartHint();
    ASSERT_TRUE(game_->Thinking());
    EXPECT_EQ(thinking_, std::vector<bool>{true});
    EXPECT_EQ(LastNote(), kThinkingNote);
    EXPECT_TRUE(game_->Training()) << "a hint makes the game a training game";
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], German(QStringLiteral("msgtraining")));

    ASSERT_TRUE(RunUntil([&] { return !hints_.empty(); }, 5000));
    const int place = hints_[0];
    EXPECT_EQ(game_->HintPlace(), place);
    EXPECT_TRUE(game_->Board().IsLegalMove(place));
    EXPECT_EQ(thinking_, (std::vector<bool>{true, false}));
    EXPECT_EQ(LastNote().left(15), QStringLiteral("Tipp: Mulde %1 (").arg(PitNumber(place)));
    EXPECT_FALSE(game_->Notes().contains(kThinkingNote)) << "the answer replaces the note";
    EXPECT_NE(game_->Picture().copy(PitRect(place)), game_->Picture(-1).copy(PitRect(place)))
        << "the pit is lit";
    EXPECT_EQ(game_->Board().Mulden(), board);
    EXPECT_EQ(game_->History().Count(), 0);

    game_->PlayPit(place);
    EXPECT_EQ(game_->HintPlace(), -1) << "the light goes out with the move";
    game_->StartHint();
    ASSERT_TRUE(RunUntil([&] { return hints_.size() == 2; }, 5000));
    EXPECT_EQ(messages_.size(), 1u) << "the player is told once";
    Start(kModeComputerHuman);
    EXPECT_FALSE(game_->Training()) << "a new game starts afresh";
    game_->StartHint();
    EXPECT_FALSE(game_->Thinking()) << "no hint while the computer is to move";
}

TEST_F(Controller, EscCutsALongHintShortWithTheBestPitSoFar) {
    Create(10000);
    Start(kModeHumans);
    game_->StartHint();
    QTest::qWait(200);
    ASSERT_TRUE(hints_.empty());
    QElapsedTimer sinceEsc;
    sinceEsc.start();
    ASSERT_TRUE(game_->HurryThinking());
    ASSERT_TRUE(RunUntil([&] { return !hints_.empty(); }, 5000));
    EXPECT_LT(sinceEsc.elapsed(), 2000);
    EXPECT_TRUE(game_->Board().IsLegalMove(hints_[0]));
    EXPECT_TRUE(LastNote().startsWith(QStringLiteral("Tipp: Mulde ")));
}

// An answer already on its way is dropped when the position it is for was left: by a move, a
// dialog, or a new game that starts in the very same position.
TEST_F(Controller, AnAnswerForAPositionLeftMeanwhileIsDropped) {
    Create(10000);
    const auto answerOnItsWay = [&] {
        ASSERT_TRUE(game_->HurryThinking());
        // No events meanwhile: the answer waits in the queue.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    };
    Start(kModeHumans);
    game_->StartHint();
    answerOnItsWay();
    game_->PlayPit(FirstLegalPlace());
    game_->StartHint();
    answerOnItsWay();
    game_->CancelThinking();
    QTest::qWait(200);
    EXPECT_TRUE(hints_.empty());
    EXPECT_FALSE(game_->Notes().contains(kThinkingNote));
    EXPECT_EQ(thinking_, (std::vector<bool>{true, false, true, false}));

    Start(kModeComputerHuman, kMeisterLevel);
    game_->ComputerTurn();
    answerOnItsWay();
    Start(kModeComputerHuman, kMeisterLevel);
    QTest::qWait(200);
    EXPECT_EQ(game_->History().Count(), 0) << "the old game's answer is not played in the new one";
    EXPECT_FALSE(game_->Thinking());
}

// ---- Taking back and redoing ----

// The board, the player to move and the clocks after each record of the running game.
struct TShown {
    TFeld::TMulden Mulden;
    int AktSpieler;
    int Seconds1, Seconds2;
    bool operator==(const TShown&) const = default;
};

TEST_F(Controller, TakeBackAndRedoBetweenHumansFollowBoardClocksCountersAndNotes) {
    Create();
    Start(kModeHumans);
    EXPECT_FALSE(game_->MayTakeBack()) << "nothing played yet";
    const auto shown = [&] {
        return TShown{game_->Board().Mulden(), game_->Board().AktSpieler(), game_->Seconds(1),
                      game_->Seconds(2)};
    };
    std::vector<TShown> after = {shown()};
    for (int move = 0; move < 3; ++move) {
        for (int second = 0; second <= move; ++second) game_->Tick();
        game_->PlayPit(FirstLegalPlace());
        after.push_back(shown());
    }
    const int records = game_->History().Count();
    ASSERT_EQ(records, 3) << "no pass in the first three moves";
    game_->Tick(); // thinking about the fourth move when he takes back

    game_->TakeBack();
    EXPECT_EQ(shown(), after[2]) << "the clocks show the time of the moves still played";
    EXPECT_EQ(game_->History().Count(), 2);
    EXPECT_EQ(game_->Layers().RundeLayers[0]->Value(), 2);
    EXPECT_EQ(LastNote(), German(QStringLiteral("notetakeback")));
    EXPECT_TRUE(game_->Training());
    EXPECT_EQ(messages_, std::vector<QString>{German(QStringLiteral("msgtraining"))});
    game_->TakeBack();
    game_->TakeBack();
    EXPECT_EQ(shown(), after[0]);
    EXPECT_EQ(game_->Layers().RundeLayers[0]->Value(), 0);
    EXPECT_FALSE(game_->MayTakeBack()) << "as many moves as the game has";
    EXPECT_EQ(messages_.size(), 1u) << "the player is told once";
    EXPECT_EQ(busy_.size(), 6u) << "without animation nothing is shown backwards";

    game_->Redo();
    game_->Redo();
    EXPECT_EQ(shown(), after[2]);
    EXPECT_EQ(game_->Layers().RundeLayers[0]->Value(), 2);
    EXPECT_EQ(LastNote(), German(QStringLiteral("noteredo")));
    ASSERT_TRUE(game_->MayRedo());

    // The moves taken back are saved with the game and redone after loading it.
    const QString file = FilePath(QStringLiteral("training.kel"));
    game_->SaveGame(file);
    Start(kModeHumans);
    game_->LoadGame(file);
    EXPECT_TRUE(game_->Training());
    EXPECT_EQ(shown(), after[2]);
    game_->Redo();
    EXPECT_EQ(shown(), after[3]);
    EXPECT_FALSE(game_->MayRedo());

    // A new move drops what was taken back.
    game_->TakeBack();
    game_->PlayPit(FirstLegalPlace());
    EXPECT_FALSE(game_->MayRedo());
    game_->Redo();
    EXPECT_EQ(game_->History().Count(), 3);

    game_->SetTakeBackAllowed(false);
    EXPECT_FALSE(game_->MayTakeBack());
    game_->TakeBack();
    EXPECT_EQ(game_->History().Count(), 3) << "turned off, as for an online game";
}

TEST_F(Controller, AgainstTheComputerATakeBackReturnsToTheHumansLastTurnAndStopsTheMaster) {
    Create(10000);
    Start(kModeComputerHuman, kMeisterLevel);
    while (game_->ComputerToMove()) {
        game_->ComputerTurn();
        QTest::qWait(50);
        ASSERT_TRUE(game_->HurryThinking());
        ASSERT_TRUE(RunUntil([&] { return !game_->Thinking(); }, 5000));
    }
    EXPECT_FALSE(game_->MayTakeBack()) << "only the computer has moved";
    const int humanMoveAt = game_->History().Count();
    const TFeld::TMulden humansTurn = game_->Board().Mulden();
    game_->PlayPit(FirstLegalPlace());
    while (game_->HumanToMove()) game_->PlayPit(FirstLegalPlace()); // an extra move of his
    const int humanRecords = game_->History().Count();
    game_->ComputerTurn();
    ASSERT_TRUE(game_->Thinking());

    game_->TakeBack();
    EXPECT_FALSE(game_->Thinking()) << "the Master stops";
    EXPECT_EQ(thinking_.back(), false);
    EXPECT_TRUE(game_->HumanToMove());
    EXPECT_FALSE(game_->ComputerToMove());
    EXPECT_EQ(game_->History().Count(), humanRecords - 1);
    while (game_->History().Count() > humanMoveAt) game_->TakeBack();
    EXPECT_EQ(game_->Board().Mulden(), humansTurn);
    QTest::qWait(100);
    EXPECT_EQ(game_->History().Count(), humanMoveAt) << "no answer of the stopped Master is played";

    // Redo plays the human's moves and the computer's answers up to his next turn.
    while (game_->MayRedo()) game_->Redo();
    EXPECT_EQ(game_->History().Count(), humanRecords);
    EXPECT_TRUE(game_->ComputerToMove()) << "the Master had not answered yet";

    Start(kModeComputers);
    game_->ComputerTurn();
    game_->ComputerTurn();
    EXPECT_FALSE(game_->MayTakeBack()) << "nobody to take back for";
}

TEST_F(Controller, ATakeBackDuringAMoveEndsItUnseenAndAnimationShowsTheMoveBackwards) {
    Create();
    game_->SetAnimation(kStoneAnimation);
    Start(kModeHumans);
    const TFeld::TMulden start = game_->Board().Mulden();
    int frames = 0;
    game_->OnChanged = [&] {
        if (++frames == 2) game_->TakeBack();
    };
    game_->PlayPit(PitIndex(1, 3));
    EXPECT_LT(frames, 6) << "the rest of the move is not shown";
    EXPECT_EQ(game_->History().Count(), 0);
    EXPECT_EQ(game_->Board().Mulden(), start);
    EXPECT_EQ(game_->Board().AktSpieler(), 1);
    EXPECT_FALSE(game_->Busy());
    EXPECT_EQ(busy_, (std::vector<bool>{true, false}));
    EXPECT_EQ(messages_.size(), 1u) << "the training box, no game end";

    // Shown backwards: a frame per stone, the pits lit one after the other, back to the start;
    // the overview's sketch shows the start all the while.
    game_->OnChanged = [&] { ++frames; };
    game_->PlayPit(PitIndex(1, 3));
    const TFeld::TMulden played = game_->Board().Mulden();
    frames = 0;
    std::vector<TFeld::TMulden> boards;
    std::vector<QImage> sketches;
    const QRect overview = game_->Layers().OverviewLayer->DestRect;
    game_->OnChanged = [&] {
        ++frames;
        if (!game_->Busy()) return;
        boards.push_back(game_->Board().Mulden());
        sketches.push_back(game_->Picture().copy(overview));
    };
    game_->TakeBack();
    EXPECT_GE(frames, 4) << "four stones sown from pit 3";
    ASSERT_FALSE(boards.empty());
    EXPECT_NE(boards.front(), played);
    EXPECT_EQ(boards.back(), start) << "the last frame shows the pit before it was emptied";
    EXPECT_EQ(game_->Board().Mulden(), start);
    EXPECT_EQ(busy_.back(), false);
    for (const QImage& sketch : sketches) EXPECT_EQ(sketch, game_->Picture().copy(overview));

    const size_t shows = busy_.size();
    game_->Redo();
    EXPECT_EQ(game_->Board().Mulden(), played);
    EXPECT_EQ(busy_.size(), shows + 2) << "an animated redo is shown as the move itself";

    // Asked again while a move is shown backwards: the rest shows at once, nothing more is taken
    // back, then or with the next move.
    game_->PlayPit(FirstLegalPlace());
    bool askedAgain = false;
    game_->OnChanged = [&] {
        if (game_->Busy() && !askedAgain) {
            askedAgain = true;
            game_->TakeBack();
        }
    };
    game_->TakeBack();
    ASSERT_TRUE(askedAgain);
    EXPECT_EQ(game_->Board().Mulden(), played);
    game_->PlayPit(FirstLegalPlace());
    EXPECT_EQ(game_->History().Count(), 2);
    EXPECT_TRUE(game_->MayTakeBack());
}

TEST_F(Controller, ATrainingGameEntersNoHighscoreTable) {
    Create();
    Start(kModeHumans);
    game_->PlayPit(FirstLegalPlace());
    game_->TakeBack();
    Finish(30, 18);
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_TRUE(messages_[1].startsWith(QStringLiteral("Der Spieler Anna hat gewonnen.")));
    EXPECT_FALSE(messages_[1].contains(QStringLiteral("Platz"))) << messages_[1].toStdString();
    EXPECT_TRUE(messages_[1].endsWith(German(QStringLiteral("msgtrainingend"))));
    EXPECT_EQ(game_->TakeFreshRank(), -1);
    EXPECT_FALSE(QFile::exists(FilePath(QStringLiteral("hs4.dat"))));
    EXPECT_FALSE(game_->MayTakeBack()) << "a finished game stays finished";
}

// ---- Loading and the game end ----

// A game whose last move leaves the player to move without a stone in his row, found by playing
// each rule set with the first or the last legal pit.
THistory GameBeforeAPass() {
    for (int variante : {4, 5, 6}) {
        for (bool last : {false, true}) {
            THistory history;
            history.Init("Anna", "Bert", "", "", "", "", variante, true, 4, 1, 1, kModeHumans);
            TFeld board;
            history.StartBoard(board);
            while (!board.IsGameOver()) {
                if (board.HasNoLegalMove()) return history;
                const int player = board.AktSpieler();
                int place = -1;
                for (int n = 1; n <= 6; ++n)
                    if (board.IsLegalMove(PitIndex(player, n)) && (place < 0 || last))
                        place = PitIndex(player, n);
                history.AddMove(1, static_cast<uint8_t>(place), player);
                THistory::PlayRecord(board, static_cast<uint8_t>(place));
            }
        }
    }
    ADD_FAILURE() << "no game found that leads to a pass";
    return {};
}

TEST_F(Controller, LoadedGameWhosePlayerToMoveHasNoStonePassesAtOnce) {
    Create();
    const THistory saved = GameBeforeAPass();
    const QString file = FilePath(QStringLiteral("pass.kel"));
    saved.SaveToFile(QFile::encodeName(file).toStdString());
    TFeld before;
    saved.Replay(before);
    const int stuck = before.AktSpieler();

    game_->LoadGame(file);
    ASSERT_EQ(game_->History().Count(), saved.Count() + 1);
    EXPECT_EQ(game_->History().Moves(saved.Count()).Mulde, 0) << "the pass is recorded";
    EXPECT_EQ(game_->Board().AktSpieler(), Opponent(stuck));
    EXPECT_TRUE(game_->Notes().endsWith(QStringLiteral(" mu\u00DF aussetzen")));
    EXPECT_TRUE(game_->Running());
    EXPECT_GE(turns_, 1);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(Controller, ARankThatCouldNotBeStoredIsNeitherAnnouncedNorMarked) {
    Create();
    Start(kModeHumans);
    Finish(30, 18);
    const QString hs4 = FilePath(QStringLiteral("hs4.dat"));
    ASSERT_TRUE(messages_.back().contains(QStringLiteral("Platz"))) << "the first game is entered";
    game_->TakeFreshRank();
    ASSERT_TRUE(QFile::setPermissions(hs4, QFileDevice::ReadOwner | QFileDevice::ReadGroup));

    Start(kModeHumans);
    Finish(40, 8);
    EXPECT_EQ(errors_.size(), 1u) << "the refused save is reported";
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_TRUE(messages_[1].startsWith(QStringLiteral("Der Spieler Anna hat gewonnen.")));
    EXPECT_FALSE(messages_[1].contains(QStringLiteral("Platz"))) << messages_[1].toStdString();
    EXPECT_EQ(game_->TakeFreshRank(), -1) << "the table would mark someone else's row";
    EXPECT_EQ(ended_, 2);
}

TEST_F(Controller, OlderRuleSetsOfALoadedGameEnterNoTable) {
    Create();
    for (int variante : {1, 2, 3}) {
        THistory saved;
        saved.Init("Anna", "Bert", "", "", "", "", variante, true, 4, 1, 1, kModeHumans);
        const QString file = FilePath(QStringLiteral("old.kel"));
        saved.SaveToFile(QFile::encodeName(file).toStdString());
        game_->LoadGame(file);
        ASSERT_TRUE(game_->Running()) << variante;
        ASSERT_EQ(game_->Board().Variante(), variante);
        Finish(30, 18);
        ASSERT_FALSE(messages_.empty());
        EXPECT_TRUE(messages_.back().startsWith(QStringLiteral("Der Spieler Anna hat gewonnen.")));
        EXPECT_FALSE(messages_.back().contains(QStringLiteral("Platz"))) << variante;
        EXPECT_EQ(game_->TakeFreshRank(), -1) << variante;
        EXPECT_FALSE(QFile::exists(FilePath(QStringLiteral("hs%1.dat").arg(variante))));
    }
    EXPECT_TRUE(errors_.empty());
}

TEST_F(Controller, ARemotePlayersMovesOnlyArriveHisClockCountsDownAndALoadedGameIsPlayedHere) {
    Create();
    std::vector<std::array<int, 3>> moves;
    game_->OnMove = [&](int n, int place, int player) { moves.push_back({n, place, player}); };
    TNewGameSettings s;
    s.Name1 = QStringLiteral("Anna");
    s.Name2 = QStringLiteral("Bert");
    s.Remote = 2;
    game_->NewGame(s);
    EXPECT_FALSE(game_->HintAllowed()) << "no help from the Master against a friend";
    game_->SetClocksLeft(60, 30);
    EXPECT_FALSE(game_->PlayArrived(PitIndex(2, 1), true)) << "not his turn";
    game_->PlayPit(PitIndex(1, 3));
    ASSERT_EQ(game_->Board().AktSpieler(), 2);
    EXPECT_FALSE(game_->MayChoose());
    game_->PlayPit(PitIndex(2, 1));
    EXPECT_EQ(game_->History().MoveCount(), 1) << "the remote player's pit is not ours to play";
    game_->Tick();
    EXPECT_EQ(game_->Layers().ZeitLayers[2]->Value(), 29);
    EXPECT_EQ(game_->Layers().ZeitLayers[1]->Value(), 60);
    EXPECT_EQ(game_->Seconds(2), 1) << "the history keeps the time used";
    EXPECT_TRUE(game_->PlayArrived(PitIndex(2, 1), true));
    EXPECT_EQ(moves, (std::vector<std::array<int, 3>>{{1, PitIndex(1, 3), 1}, {2, PitIndex(2, 1), 2}}));

    const QString file = FilePath(QStringLiteral("online.kel"));
    game_->History().SaveToFile(QFile::encodeName(file).toStdString());
    game_->EndEarly(1, QStringLiteral("noteresigned"), {QStringLiteral("Bert")});
    EXPECT_FALSE(game_->Running());
    EXPECT_EQ(LastNote(), QStringLiteral("Bert hat aufgegeben"));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_TRUE(messages_[0].startsWith(QStringLiteral("Der Spieler Anna hat gewonnen.")));
    EXPECT_EQ(ended_, 1);
    EXPECT_FALSE(QFile::exists(FilePath(QStringLiteral("hs4.dat"))))
        << "a game not played out enters no table";

    // Loaded, the same game is played here by both, on clocks that count the time used.
    game_->LoadGame(file);
    while (game_->Board().AktSpieler() != 2 && game_->Running()) game_->PlayPit(FirstLegalPlace());
    EXPECT_TRUE(game_->MayChoose());
    EXPECT_EQ(game_->Layers().ZeitLayers[2]->Value(), game_->Seconds(2));
}

} // namespace
