#pragma once
// TSpielfeld, the game controller between the main window and the rules engine. It owns the live
// board, the computer player, the move history, the persisted settings, the board pictures, the
// drawing layers, the animated hands and the players' clocks, and keeps them to itself.
//
// It runs the turn cycle: starts games, plays each move with stone-by-stone animation and sound,
// records every move with the time it took, lets a player sit out, announces the certain winner,
// decides the end of the game, scores it and rebuilds a loaded game by replaying it. It owns the
// computer's thinking too: the Master searches on a thread of his own, for his move or for the
// human's hint. The window calls its verbs (a click plays a pit, a timer ticks the clock or lets
// the computer move, Esc hurries) and reads a few queries; what is to be shown or heard comes back
// through the outputs below, which the window sets: the board changed, a box to show, a sound to
// play, the turn changed, the Master thinks, a hint lights up, the game ended.
#include "game/uTFeld.h"
#include "game/uTKI.h"
#include "records/uTHistory.h"
#include "settings/uTSettings.h"
#include "view/uTCanvas.h"
#include "view/uTSpielfeldLayers.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QTimer;

namespace kelani {

class TEndgameTables;
class TKelaniHands;
class TMeisterThread;

// What a new game is started with (the new-game dialog's choices and the lot).
struct TNewGameSettings {
    QString Name1, Name2, EMail1, EMail2;
    // Lower-case keys of the chosen countries.
    QString Land1, Land2;
    int SteineProMulde = 4;
    bool UseStirnmulde = true;
    int Variante = 4;    // 4..6
    int Level = 1;       // 1..4 (4 the Master)
    int Modus = 0;       // 0 human-human, 1 computer (player 1)-human, 2 computer-computer
    int FirstPlayer = 1; // 1 or 2
    // A set-up start position (its position text), empty for the usual start; rule set, head
    // pits, stones and first player above must agree with it.
    QString Position;
    // The player whose moves arrive from elsewhere (a friend online), 0 for none.
    int Remote = 0;
};

// The kind of a box the controller has the window show: it only ever informs or reports.
enum class TMessageKind { Information, Error };

class TSpielfeld {
public:
    // Loads the settings, creates board, computer player and history, loads the pictures of
    // game.gfx with the captions of `language` ("german", "english") and builds the layers and the
    // hands. Captions come from `text`, the window's language script. Raises the container errors
    // when the board pictures cannot be read.
    TSpielfeld(TTranslate text, const QString& language);
    // Writes the settings back; a refused write is reported, never thrown from here.
    ~TSpielfeld();
    TSpielfeld(const TSpielfeld&) = delete;
    TSpielfeld& operator=(const TSpielfeld&) = delete;

    // ---- Outputs, set by the window ----
    // A frame of the board picture is complete.
    std::function<void()> OnChanged;
    // Some part of the board picture was repainted (the clock every second, a frame of a move).
    std::function<void()> OnPainted;
    // A box to show, with OK only; it returns once the player closed it.
    std::function<void(const QString& text, TMessageKind kind)> OnMessage;
    // A caught error to report; `fileName` names the file it concerns, or is empty.
    std::function<void(const std::exception& error, const QString& fileName)> OnError;
    // A recording to play; an empty name silences any sound.
    std::function<void(const QString& name)> OnSound;
    // A move starts (true) or has ended (false) being shown: input waits meanwhile.
    std::function<void(bool busy)> OnBusy;
    // Whose turn it is, or whether a game runs, may have changed: the clock, the computer and the
    // commands follow (ClockRuns, ComputerToMove, GameOnBoard, HintAllowed).
    std::function<void()> OnTurn;
    // The game has ended and its result was shown; the fresh ranks wait in TakeFreshRank.
    std::function<void()> OnGameEnded;
    // The Master starts (true) or has stopped (false) thinking, about his move or about a hint.
    std::function<void(bool thinking)> OnThinking;
    // The hint's pit `place` lights up on the board for two seconds; its note is written already.
    std::function<void(int place)> OnHint;
    // A move of the player to move starts: `n` counts the sown pits of the game from 1.
    std::function<void(int n, int place, int player)> OnMove;

    // ---- Verbs ----
    // Starts a game on a fresh board.
    void NewGame(const TNewGameSettings& settings);
    // Plays the place 1..14 for the player to move, with animation, sound and recording, then
    // passes for the next player when he has no move, or ends the game. Ignored unless a game runs,
    // no move is being shown, the place is legal and the player to move is not the remote one.
    void PlayPit(int place);
    // The player to move has no legal move: note it, record a pass and hand over the turn.
    // Ignored unless a game runs and the player to move really has no move.
    void PlaySkip();
    // The computer to move chooses and plays: levels 1 to 3 at once, the Master once he has
    // thought on his thread. Nothing happens unless the computer is to move and the Master is not
    // thinking already.
    void ComputerTurn();
    // Asks the Master which pit the human to move should play. A note says that he thinks; his
    // answer lights the pit for two seconds with a note naming it and its value in the analysis
    // panel's words, marked when proven ("Tipp: Mulde 3 (etwa -1)", "Tipp: Mulde 3 (gewinnt mit
    // 2, exakt)"). The game is not touched and goes on meanwhile. Ignored unless HintAllowed.
    void StartHint();
    // A move that arrived from elsewhere: the remote player's, shown as a computer's move is, or,
    // with `animate` false, one of either player caught up at once when an online game is taken
    // again. False, with nothing played, unless a game runs, no move is shown and the place is
    // legal for the player to move.
    bool PlayArrived(int place, bool animate);
    // The clocks count down from these seconds left (a clock for the move or the whole game); the
    // displays show what is left, the history keeps the time used.
    void SetClocksLeft(int seconds1, int seconds2);
    // A game that ends before it is played out (given up, a draw agreed, a clock run out): the
    // note of `key` with `args`, the result sound and box for `winner` (0 for a draw).
    void EndEarly(int winner, const QString& key, const QStringList& args);
    // Esc while the Master thinks: he stops at once and gives the best pit found so far, which is
    // played or shown as the hint. False when he is not thinking.
    bool HurryThinking();
    // Drops the Master's thinking and puts out a hint's light: a dialog opens over the board, or
    // the program closes. Every change of the position does the same by itself.
    void CancelThinking();
    // One second of the player to move's thinking time, while a game runs and no move is shown.
    void Tick();
    // Esc during a move: the rest of it is played at once, without frames or sounds. False when
    // no move is being shown.
    bool SkipAnimation();
    // Replays a saved game; a file that is no saved game, does not replay or cannot be read is
    // reported and the game on the board stays.
    void LoadGame(const QString& fileName);
    // Saves the history as a .kel file and says so; a failed write is reported.
    void SaveGame(const QString& fileName);
    // The program is closing during a move: the rest of the move is played at once, silently
    // and unseen, and nothing follows it (no game end, no boxes).
    void Abandon();
    // The preview sketch and ring show the board after playing `place`.
    void ShowPreview(int place);
    // Adds a line to the notes, the newest last: the script's text of `key` with `args` filled in.
    // Notes are kept as key and arguments, so a language switch writes them all anew; a pit's
    // `value` follows the arguments in the value words of the moment.
    void AddNote(const QString& key, const QStringList& args = {},
                 std::optional<TMeisterLine> value = std::nullopt);
    // Stores the language in settings.ini and draws the board's captions in it; the text lookup
    // given at construction already speaks it.
    void SetLanguage(const QString& language);
    // The analysis panel's words for a pit's value (the keys of AnalysisValueText), in the language
    // of the board's texts; the hint's note names its value in them.
    void SetValueWords(std::function<QString(const char* key)> words) { ValueWords_ = std::move(words); }
    void SetSound(bool on);
    void SetAnimation(int animation);
    void SetMaximized(bool maximized);
    // Stored in settings.ini; the window draws the board in high contrast.
    void SetHighContrast(bool on);
    // Stored in settings.ini: the notes in the larger font; either way they are drawn at `points`.
    void SetLargeNotes(bool on, int points);
    // Composes the board at `scale` pixels per point (1, or 2 for a board shown at 1.5 device
    // pixels per point or more): reloads every picture for that scale and repaints the board.
    // While a move is shown the window stretches the picture it has; the scale changes after it.
    // A damaged @2x container is reported once; the board then stays at 1.
    void SetScale(int scale);
    // ---- Taking back and redoing ----
    // Takes back the last move, against the computer every move back to the human's last one,
    // shown backwards or at once as the animation is set; a thinking Master stops, and a move
    // being shown is played to its end unseen and then taken back. The clocks, counters and notes
    // follow, and the game becomes a training game. Ignored unless MayTakeBack.
    void TakeBack();
    // Plays the moves taken back again, against the computer up to the human's next turn, shown
    // as any move. A new move drops them. Ignored unless MayRedo.
    void Redo();
    // Games that must not be taken back (online games) turn both off.
    void SetTakeBackAllowed(bool allowed) { TakeBackAllowed_ = allowed; }

    // Puts a position on the board of the running game, as a test sets up a rule's corner case;
    // the history is kept. A position in which the game is over ends it.
    void SetPositionForTests(const TFeld& position);
    // This game is played with help (a take-back, a hint, the analysis open, a set-up position): it
    // becomes a training game, whose players are not entered into the highscore table, until the
    // next game starts. The mark goes on the board; the player is told once unless `tell` is false.
    void MakeTraining(bool tell = true);

    // ---- Queries ----
    bool Running() const { return Running_; }
    bool Busy() const { return Busy_; }
    // A game is on the board: one runs, or a finished one keeps its final position on show
    // until the next game starts.
    bool GameOnBoard() const;
    bool HumanToMove() const;
    // The player to move is the remote one and a game runs.
    bool RemoteToMove() const;
    // A friend plays online: the server keeps the game, so nothing is taken back or analysed here.
    bool Online() const { return Remote_ != 0; }
    // A human here may choose a pit: one is to move and no move is shown.
    bool MayChoose() const;
    bool ComputerToMove() const;
    bool MasterToMove() const;
    // The human to move may play this place now.
    bool MayPlay(int place) const;
    // The Master may be asked for a hint: a human is to move, no move is shown and no remote
    // player takes part (he must not play with the Master's help).
    bool HintAllowed() const;
    // A running game has a human's move to take back, or moves taken back to redo.
    bool MayTakeBack() const;
    bool MayRedo() const;
    // A move was taken back or a hint asked for: the game enters no highscore table.
    bool Training() const { return History_->Training; }
    // The Master thinks, or his answer is on its way.
    bool Thinking() const;
    // The place the hint lights, -1 while none is shown.
    int HintPlace() const { return HintPlace_; }
    bool ClockRuns() const { return Running_ && !Busy_; }
    // Seconds player 1 or 2 has thought in this game.
    int Seconds(int player) const { return Seconds_[player]; }
    // The better (smaller) rank the last game end reached in the highscore table, 1-based, or -1.
    // It is taken once: the next call gives -1 until another game ends.
    int TakeFreshRank();
    const TFeld& Board() const { return Feld; }
    const THistory& History() const { return *History_; }
    const TKelaniSettings& Settings() const { return Settings_; }
    int Level() const { return KI.Level(); }
    int MasterTime() const { return KI.MasterTime(); }
    // The endgame tables of the board's rule set once ready, else nullptr (asking starts reading
    // or building them in the background; a note says so while they are built).
    const TEndgameSource* Endgame();
    // The share of the tables being built, 0..1, or a negative number when none are.
    double EndgameProgress() const;
    // The place 1..14 whose rectangle holds the point of the board picture, else -1.
    int PitAt(int x, int y) const;
    // The picture the window shows: the frame of a move while one is shown, else the board with
    // the hint's pit lit while a hint shows.
    QImage Picture() const { return Picture(HintPlace_); }
    // The same with the place `highlight` lit instead (none for -1).
    QImage Picture(int highlight) const;
    // The board without any layer on it.
    const QImage& Bare() const { return Background; }
    // The board's layers, for where each one lies on the picture.
    const TSpielfeldLayers& Layers() const { return *Layers_; }
    QString Notes() const;
    int Scale() const { return Scale_; }
    bool IsUpdating() const { return Updating_; }

private:
    bool IsComputer(int player) const;
    bool IsRemote(int player) const { return Remote_ == player; }
    // The game is over: no longer running, the result sound.
    void Finish(int winner);
    void ShowSeconds(int player);
    void BeginUpdate() { Updating_ = true; }
    void EndUpdate() { Updating_ = false; }
    void LoadPictures();
    void LoadScale(int scale);
    void ShowLanguagePictures();
    void Repaint();
    void ConnectFeld();
    void RecordMove(int index);
    void PlayMove(int index, bool animate = true);
    // Shows the move `index` being played on the board, with animation and sound unless `animate`
    // is false (a game caught up at once).
    void ShowMove(int index, bool animate = true);
    void SetBusy(bool busy);
    void MustSkip();
    void AfterMove();
    // After a move or a load: the player now to move passes when he has no move, else his turn
    // begins (or the game has ended).
    void NextTurn(bool over);
    void TurnChanged(bool over);
    // Plays a computer's choice: pit 1..6 of the player to move, or 0 to pass.
    void PlayChoice(int pit);
    // The Master thinks about the board for the player to move; `done` gets his choice.
    void Think(std::function<void(const TKIChoice&)> done);
    void ConnectTables();
    void ShowHint(int place, const TKIChoice& choice);
    void EndHint();
    // The note that the Master thinks goes once his thinking ends.
    void DropThinkingNote();
    void ReturnHandsHome();
    void AnnounceWinner();
    // Taking back: `shown` plays each move backwards on the board first.
    void TakeBackNow(bool shown);
    void ShowBackwards(const TFeld& before, int place);
    // A take-back asked for while a move was shown is done once the move is over; true then.
    bool TakeBackWaiting();
    // The board, clocks and notes of the history as it now stands, the note `key` last.
    void FollowHistory(const char* key);
    void ShowTrainingMark();
    bool AnimationOn() const;
    void PlaySound(const char* name) const;
    void PlayPitSound(int place, int count) const;
    void UpdateLayers();
    // Brings the layers up to date and tells the window the board changed.
    void Refresh();
    QImage Highlighted(int index) const;
    // Shows the frame with the pit highlighted (or the plain board for -1), then waits `delay` ms.
    void HighlightPit(int index, int delay);
    void SetSeconds(int player, int seconds);

    void SowBefore(int place, int player, int count);
    void SowAfter(int place, int player, int count);
    void StoreBefore(int place, int player, int count);
    void StoreAfter(int place, int player, int count);
    void TakeBefore(int place, int player, int count);
    void TakeAfter(int place, int player, int count);

    // Scores the finished game, enters human players into the highscore table, plays the result
    // sound and shows the result message.
    void GameEnd();
    bool ReplayLoaded(std::unique_ptr<THistory> loaded);
    // Enters the human players into the variant's table; a rank the table does not keep, or that
    // could not be stored, stays -1.
    void EnterHighscores(int& r1, int& r2);
    QString ResultText(int winner, int r1, int r2) const;
    QString Text(const char* key) const;
    QString PlayerName(int player) const;
    void StartNotes(const char* key);
    void ShowNotes();
    void Message(const QString& text, TMessageKind kind) const;
    void Error(const std::exception& error, const QString& fileName = QString()) const;

    TTranslate Text_;
    std::function<QString(const char* key)> ValueWords_;
    QString Language_;
    TKelaniSettings Settings_;
    TFeld Feld;
    TKI KI;
    std::unique_ptr<THistory> History_;
    struct TNote {
        QString Key;
        QStringList Args;
        // A pit's value, written after the arguments in the value words of the moment.
        std::optional<TMeisterLine> Value = std::nullopt;
    };
    QStringList NoteArgs(const TNote& note) const;
    std::vector<TNote> Notes_;

    bool Running_ = false;
    // A move is being shown: input waits, and its frames are the picture.
    bool Busy_ = false;
    bool Skipping_ = false;
    bool WillWinShown_ = false;
    bool Updating_ = false;
    bool Abandoned_ = false;
    int Seconds_[3] = {0, 0, 0};
    int Remote_ = 0;
    // Seconds left on a clock that counts down, -1 when the clocks count the time used.
    int Left_[3] = {-1, -1, -1};
    // 1-based highscore ranks reached at the last game end, -1 for none.
    int Rank1_ = -1;
    int Rank2_ = -1;
    int Scale_ = 1;
    int WantedScale_ = 1;
    int ScaleLimit_ = 2; // 1 once an @2x container failed to load
    bool TakeBackAllowed_ = true;
    bool TakeBackPending_ = false;

    QImage Background;
    QImage BoardImage;
    QImage FrameImage;
    TCanvas BackgroundCanvas_{Background};
    TCanvas BoardCanvas_{BoardImage};
    QImage Golden_;
    QImage OverviewUs_, PreviewUs_, OverviewDe_, PreviewDe_;
    // The bare board where the training mark stands.
    QImage TrainingGround_;
    std::unique_ptr<TSpielfeldLayers> Layers_;
    std::unique_ptr<TKelaniHands> Hands;

    // Before the Master: he may still search with them until he is gone.
    std::unique_ptr<TEndgameTables> Tables_;
    std::unique_ptr<TMeisterThread> Meister_;
    bool TablesNoted_ = false; // the note that the tables are being built stands
    // Ends the hint's light.
    std::unique_ptr<QTimer> HintTimer_;
    int HintPlace_ = -1;
    // The note that the Master thinks about a hint, while it stands in the notes; it keeps the
    // language it was written in.
};

// The centre of a board place's rectangle.
QPoint PitCentre(int place);

} // namespace kelani
