#pragma once
// A game against a friend online, in the main window: the menu commands (play a friend, give up,
// offer a draw), the chat line, the dialog that creates or joins a game, the lot with the server's
// draw, and the way between the play server and the game controller. The friend's moves arrive
// and are played as a computer's are; ours go to the server as they start. What arrives waits
// while a move is shown or a box is open, so it is shown in order and never under a dialog. A lost
// connection comes back by itself; the seat is kept in settings.ini, so a game closed before its
// end is offered again at the next start. A finished game is saved in the data folder's "online"
// folder.
#include "settings/uTSettings.h"

#include <QAbstractSocket>
#include <QJsonObject>
#include <QObject>
#include <deque>
#include <string>

class QAction;
class QLineEdit;
class QMenu;
class QTimer;
class QToolBar;

namespace kelani {

// The language script's key of a play server's error code: "onlineerr_" and the code with "_" for
// "-", or "onlineerr" (which shows the code) for a code the game does not know.
QString OnlineErrorKey(const QString& code);

class TfOnline;
class TfSpielfeld;
class TOnlineClient;

class TOnlinePlay : public QObject {
public:
    // Adds its commands to `menu` and its chat line to the window.
    TOnlinePlay(TfSpielfeld& window, QMenu* menu);
    ~TOnlinePlay() override;

    QAction *aOnline, *aResign, *aDraw;
    QToolBar* tbChat;
    QLineEdit* eChat;
    TOnlineClient* Client;

    // "Play a friend online": the dialog that creates or joins a game.
    void aOnlineExecute();
    // Once the program runs: the dialog opens to join the game of a kelani:// link among the
    // program's arguments, else an unfinished online game of an earlier run is offered again.
    void Begin(const QStringList& arguments);
    // Another game is to take the board: true when none runs online, or the player agrees to
    // leave it (its seat stays kept, so it is offered again at the next start).
    bool Leave();
    // A move starts on the board; ours goes to the server.
    void Moved(int n, int place, int player);
    // The game on the board has ended: an online game is saved and its seat forgotten.
    void GameEnded();
    // An online game runs on the board.
    bool Playing() const;
    void UpdateActions();
    // The play server's address from settings.ini; says so plainly when there is none.
    bool FindServer(QUrl& server) const;

private:
    void OpenDialog(const QString& code);
    void OfferResume();
    void TakeUpSeat();
    void ResumeFailed(const QString& server, const QString& text);
    void Receive(const QJsonObject& message);
    void Connection(bool connected);
    void Failure(QAbstractSocket::SocketError error, const QString& text);
    QJsonObject ResumeMessage() const;
    QJsonObject Hello(const char* type) const;
    void StartGame(const QJsonObject& start, bool lot);
    void Drain();
    void Handle(const QJsonObject& message);
    void HandleMove(const QJsonObject& message);
    void HandleEnd(const QJsonObject& message);
    void HandleDraw(const QJsonObject& message);
    void Resumed(const QJsonObject& message);
    void ShowClocks(const QJsonValue& clocks);
    void ShowError(const QString& code);
    void Resync();
    void Stop();
    void SaveSeat();
    void SendChat();
    void aResignExecute();
    void aDrawExecute();
    QString Text(const char* key) const;
    QString Name(int seat) const;
    void Note(const char* key, const QStringList& args = {});

    TfSpielfeld& Window_;
    QTimer* DrainTimer_;
    TOnlineSeat Seat_;
    QString Names_[3];
    // The game's clock kind: "none", "move" or "game".
    QString Clock_;
    // What arrived and waits for the board: moves, the end, draw offers, chat, presence.
    std::deque<QJsonObject> Pending_;
    // The start of the game, waiting for the dialog to close.
    QJsonObject Start_;
    TfOnline* Dialog_ = nullptr;
    // The game runs on the board and its moves go to the server.
    bool Active_ = false;
    // The board is rebuilt from the server's moves: they are played at once, unseen.
    bool Rebuilding_ = false;
    // A move from the server is being played: it is not sent back.
    bool Arriving_ = false;
    bool Draining_ = false;
    // This connection holds the seat: once lost, it comes back with resume.
    bool Held_ = false;
    bool Lost_ = false;
    bool FriendAway_ = false;
    // Connections made so far, and the one that carries our last move to the server.
    int Connections_ = 0;
    int MoveConnection_ = 0;
    // The key of the last note this game wrote.
    std::string LastNote_;
};

} // namespace kelani
