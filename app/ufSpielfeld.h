#pragma once
// The main window: the board scaled to fill the window, keeping its shape, on the table's dark
// colour; the menu, the game clock and the computer timer. It owns the game controller for the whole run,
// turns menu commands, timers, pointer movement, clicks and keys into its verbs, and its
// outputs into the screen, boxes, dialogs and sound.
#include <QMainWindow>
#include <QTimer>
#include <memory>
#include <vector>

class QAction;
class QActionGroup;
class QMenu;
class QUrl;

namespace kelani {

class TBoardAccess;
class TfAnalyse;
class TFileDialog;
class THtmlHintWindow;
class TInfoDialogTarvik;
class TMultiLanguage;
class TOnlinePlay;
class TPaintBox;
class TSpielfeld;
class TSplashScreen;
struct TReviewMove;

class TfSpielfeld : public QMainWindow {
    Q_OBJECT
public:
    explicit TfSpielfeld(QWidget* parent = nullptr);
    ~TfSpielfeld() override;

    // The start tune and the four-second splash, only with sound on.
    void ShowStartUp();

    TMultiLanguage* lng;
    std::unique_ptr<TSpielfeld> Spielfeld;
    TPaintBox* pbSpielfeld;
    THtmlHintWindow* htmlhint;
    TFileDialog* odLoadGame;
    TFileDialog* sdSaveGame;
    TSplashScreen* SplashScreen;
    TInfoDialogTarvik* id;
    // Playing a friend online: its commands, chat line and connection.
    TOnlinePlay* Online;
    QTimer* tZeit;
    QTimer* tKI;
    // The board for screen readers.
    TBoardAccess* boardAccess;

    QAction *aNewGame, *aLoadGame, *aSaveGame, *aHighscore, *aGameHistory, *aHint, *aEnd;
    QAction *aTakeBack, *aRedo;
    QAction *aSound, *aUpdate, *aEmail, *aHomepage, *aSponsor, *aContent, *aAbout;
    QAction *miHandanimation, *miSteinAnimation, *minoAnimation, *miGerman, *miEnglish, *aFullScreen;
    // The analysis menu: the panel (off at the start), the review of the game, the position editor.
    TfAnalyse* Analyse = nullptr;
    QAction *aAnalyse, *aReview, *aPositionEditor;

    // Where the board lies on the paint box: scaled to fit, centred. In a window near the first
    // one's size it keeps its pixels (scale 1), since a board enlarged by a tenth only blurs.
    QRect BoardRect() const;
    // A point of the paint box as a point of the board picture, and a board point's place on the box.
    QPoint BoardPoint(QPoint boxPoint) const;
    QPoint BoxPoint(QPoint boardPoint) const;

    // What pointing at a pit shows, by pointer or by keyboard: the ring in the overview and the
    // preview of the move when he may play it, and the stones in the pit as the pointer's hint.
    void ShowPit(int pit);
    void pbSpielfeldMouseMove(int x, int y);
    void pbSpielfeldMouseDown(int x, int y);
    // Enables the save and history commands while a game runs or the history holds moves, and
    // the hint while a human is to move.
    void UpdateActions();
    // The pit chosen by keyboard while its ring shows on the board, else -1.
    int KeyFocus() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A modal window over ours (any dialog or box) holds the game: the clock and the computer
    // stand still until it closes, so no move starts and no game ends beneath it.
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildMenu();
    void AddAnalysisPanel();
    void aAnalyseExecute();
    void aReviewExecute();
    void aPositionEditorExecute();
    QMenu* AddMenu(const char* name, const QString& title);
    QAction* AddAction(QMenu* menu, const char* name, const QString& text, void (TfSpielfeld::*handler)());
    QAction* AddLink(QMenu* menu, const char* name, const QString& text, const QString& address);
    QAction* AddRadioItem(QMenu* menu, QActionGroup* group, const char* name, const QString& text);
    void SelectMenuMarks();
    void PaintBoard(QPainter& painter);
    void FitBoard();
    void aFullScreenExecute();
    // The window follows the controller's outputs.
    void ConnectSpielfeld();
    void PauseClock();
    void ResumeClock();
    void ArmComputer();
    void HoldForMove();
    void ResumeAfterMove();
    void HoldInput(bool held);
    bool SwallowsHeldInput(QObject* watched, QEvent* event) const;
    void tZeitTimer();
    void tKITimer();
    void HoldForDialog();
    void ResumeAfterDialog();
    // The hourglass over every window while a move is shown or the Master thinks.
    void FollowWaitCursor();
    void SetScreenCursor(Qt::CursorShape shape);
    void FocusPit(int pit);
    void RefocusKeys();
    QString Text(const char* key) const;

    void aNewGameExecute();
    void aLoadGameExecute();
    void aSaveGameExecute();
    void aHighscoreExecute();
    void aGameHistoryExecute();
    // The history window, with the review's marks and graph when one is given.
    void ShowHistoryWindow(const std::vector<TReviewMove>& review);
    void aHintExecute();
    void aTakeBackExecute();
    void aRedoExecute();
    void aSoundExecute();
    void aContentExecute();
    void aAboutExecute();
    // Opens a file or address in the desktop's program for it; says so when there is none.
    void OpenWithShell(const QUrl& url);
    void miAnimationClick(QAction* item);
    void miGermanClick(QAction* item);
    void lngTranslate();

    Qt::CursorShape screenCursor_ = Qt::ArrowCursor;
    bool waitCursor_ = false;
    // The pit chosen by keyboard; once a key chose one, the choice comes back after every move.
    int focusPit_ = -1;
    bool keysUsed_ = false;
    bool inputHeld_ = false;
    bool holdQuietly_ = false;
};

} // namespace kelani
