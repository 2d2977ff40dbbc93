#pragma once
// TOnlineClient, the game's connection to the play server: one WebSocket carrying one JSON object
// per text frame both ways. It opens with a greeting (create, join or resume); once a seat is
// held it comes back by itself after every drop, greeting with resume, and waits longer after each
// failed try. A join carrying a key comes back the same way until its answer arrives: the server
// answers the same key again, so a join whose answer was lost is not lost with it. Nothing waits for the
// network: every answer, drop and failure arrives through the outputs on the thread that opened it.
#include <QAbstractSocket>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <vector>

class QTimer;
class QWebSocket;

namespace kelani {

// The invite code in a code or a kelani://join/CODE link as the player typed or pasted it: upper
// case, the dash in the middle; empty when it holds no code (ten letters and digits of Crockford's
// base 32).
QString InviteCode(const QString& text);
// The link a friend opens to join.
QString InviteLink(const QString& code);
// A new key for a join: 128 random bits in hex.
QString JoinKey();
// A text from the other side (a name, a chat line) as the board may show it: control characters
// and anything in angle brackets removed, blanks trimmed, at most `limit` characters.
QString CleanText(const QString& text, int limit = 200);

class TOnlineClient : public QObject {
public:
    explicit TOnlineClient(QObject* parent = nullptr);
    ~TOnlineClient() override;

    // ---- Outputs ----
    // A message of the server, a JSON object.
    std::function<void(const QJsonObject& message)> OnMessage;
    // The connection came up and its greeting went out (true), or it was lost or a try to bring it
    // back failed (false); while a seat is held, it is tried again by itself.
    std::function<void(bool connected)> OnConnected;
    // The server could not be reached, or went silent, while no seat is held: the socket's error
    // (QAbstractSocket::SocketTimeoutError when it did not answer in time) and Qt's text of it.
    std::function<void(QAbstractSocket::SocketError error, const QString& text)> OnFailure;
    // The greeting of every connection after the first: resume, with the last move the game has.
    // Empty until a seat is held, and then a lost connection is a failure, unless it carried a
    // join with a key that is not answered yet.
    std::function<QJsonObject()> Resume;

    // ---- Verbs ----
    // Connects to `server` (ws:// or wss://) and sends `greeting` first; any earlier connection
    // is dropped without being tried again.
    void Open(const QUrl& server, const QJsonObject& greeting);
    // Sends a message; while the connection is down it waits and goes out after the greeting of
    // the next one.
    void Send(const QJsonObject& message);
    // Drops the connection for good.
    void Close();
    // Drops the connection as a broken network would (tests); it comes back as after any drop.
    void Drop();

    bool Connected() const { return Connected_; }
    const QUrl& Server() const { return Server_; }
    // Milliseconds before the next try after a drop: it doubles after each failed try.
    int RetryMs() const { return RetryMs_; }

    // A connection not up within this time is given up.
    int ConnectTimeoutMs = 10000;
    // The server is asked for a sign of life this often; silent for three times as long, the
    // connection counts as lost.
    int PingMs = 20000;
    int FirstRetryMs = 1000;
    int MaxRetryMs = 30000;

private:
    void Connect();
    void Greet();
    void Receive(const QString& text);
    void Lost(QAbstractSocket::SocketError error, const QString& text);
    void CheckAlive();
    void DropSocket();

    std::unique_ptr<QWebSocket> Socket_;
    QUrl Server_;
    QJsonObject Greeting_;
    std::vector<QJsonObject> Outbox_;
    bool Connected_ = false;
    bool Wanted_ = false;
    bool Joining_ = false; // a join with a key went out and has no answer yet
    int RetryMs_ = 1000;
    qint64 LastHeard_ = 0;
    QTimer* ConnectTimer_;
    QTimer* RetryTimer_;
    QTimer* PingTimer_;
};

} // namespace kelani
