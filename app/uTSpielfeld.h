#pragma once
// TSpielfeld, the game controller between the main window and the rules engine. It owns the live
// board, the computer player, the move history, the persisted settings, the board pictures, the
// drawing layers and the animated hands. It starts games, plays each move with stone-by-stone
// animation and sound, records every move with the time it took, lets a player sit out, announces
// the certain winner, scores the finished game and rebuilds a loaded game by replaying it.
// The main window decides when a move happens; the controller decides what it looks and sounds like.
#include "game/uTFeld.h"
#include "game/uTKI.h"
#include "records/uTHistory.h"
#include "settings/uTSettings.h"
#include "view/uTCanvas.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>

namespace kelani {

class TMultiLanguage;
class TSpielfeldLayers;
class TKelaniHands;

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
};

class TSpielfeld {
public:
    // Loads the settings, creates board, computer player and history, loads the pictures of
    // game.gfx and builds the layers and the hands. `language` is borrowed. Raises the container
    // errors when the board pictures cannot be read.
    explicit TSpielfeld(TMultiLanguage& language);
    // Writes the settings back; a refused write is reported, never thrown from here.
    ~TSpielfeld();
    TSpielfeld(const TSpielfeld&) = delete;
    TSpielfeld& operator=(const TSpielfeld&) = delete;

    TMultiLanguage& Language;
    TKelaniSettings Settings;
    TFeld Feld;
    TKI KI;
    std::unique_ptr<THistory> History;

    bool Animating = false;
    bool SkipAnimation = false;
    bool GameRunning = false;
    bool Busy = false;
    bool WillWinShown = false;
    // 1-based highscore ranks reached at the last game end, -1 for none.
    int Rank1 = -1;
    int Rank2 = -1;

    QImage Background;
    QImage BoardImage;
    QImage FrameImage;
    std::unique_ptr<TSpielfeldLayers> Layers;
    std::unique_ptr<TKelaniHands> Hands;

    void NewGame(const TNewGameSettings& settings);
    // Plays the legal place `index` of the player to move with animation, sound and recording.
    void PlayMove(int index);
    // The player to move has no legal move: note it, record a pass and hand over the turn.
    void MustSkip();
    void AfterMove();
    // Scores the finished game, enters human players into the highscore table, plays the result
    // sound and shows the result message.
    void GameEnd();
    // Replays a saved game; false when its moves do not replay (the running game stays). A file
    // that is no saved game is reported here and counts as handled (true). Read errors propagate
    // after painting has been resumed.
    bool LoadGame(const QString& fileName);

    // A game is on the board: one runs, or a finished one keeps its final position on show
    // until the next game starts.
    bool GameOnBoard() const;
    // The program is closing during a move: the rest of the move is played at once, silently
    // and unseen, and nothing follows it (no game end, no boxes).
    void Abandon();
    bool Abandoned() const { return Abandoned_; }

    bool IsComputer(int player) const;
    // The place 1..14 whose rectangle holds the point of the board picture, else -1.
    int PitAt(int x, int y) const;
    // Draws the captions of the overview and the preview in the current language.
    void ShowLanguagePictures();
    // Composes the board at `scale` pixels per point (1, or 2 for a board shown at 1.5 device
    // pixels per point or more): reloads every picture for that scale and repaints the board.
    // While a move is shown the window stretches the picture it has; the scale changes after it.
    // A damaged @2x container is named in a box once; the board then stays at 1.
    void SetScale(int scale);
    int Scale() const { return Scale_; }

    void BeginUpdate() { Updating_ = true; }
    void EndUpdate() { Updating_ = false; }
    bool IsUpdating() const { return Updating_; }
    void UpdateLayers();
    // Brings the layers up to date and tells the window the board changed.
    void Refresh();
    // The board picture with the pit highlighted (the plain board for -1).
    QImage Highlighted(int index) const;
    // Shows the frame with the pit highlighted (or the plain board for -1), then waits `delay` ms.
    void HighlightPit(int index, int delay);
    // Adds a line to the notes; the newest note is the last line.
    void AddNote(const QString& note);

    // Called whenever the board picture changed (the window copies it to the screen).
    std::function<void()> OnChanged;

private:
    void LoadPictures();
    void LoadScale(int scale);
    void ConnectFeld();
    void RecordMove(int index);
    void ReturnHandsHome();
    void AnnounceWinner();
    bool AnimationOn() const;
    void PlaySound(const char* name) const;
    void PlayPitSound(int place, int count) const;

    void SowBefore(int place, int player, int count);
    void SowAfter(int place, int player, int count);
    void StoreBefore(int place, int player, int count);
    void StoreAfter(int place, int player, int count);
    void TakeBefore(int place, int player, int count);
    void TakeAfter(int place, int player, int count);

    bool ReplayLoaded(std::unique_ptr<THistory> loaded);
    void EnterHighscores(int& r1, int& r2);
    QString ResultText(int winner, int r1, int r2) const;
    QString Text(const char* key) const;
    void ShowNotASavedGame(const QString& fileName) const;
    QString PlayerName(int player) const;

    bool Updating_ = false;
    int Scale_ = 1;
    int WantedScale_ = 1;
    int ScaleLimit_ = 2; // 1 once an @2x container failed to load
    bool Abandoned_ = false;
    TCanvas BackgroundCanvas_{Background};
    TCanvas BoardCanvas_{BoardImage};
    QImage Golden_;
    QImage OverviewUs_, PreviewUs_, OverviewDe_, PreviewDe_;
};

// The centre of a board place's rectangle.
QPoint PitCentre(int place);

} // namespace kelani
