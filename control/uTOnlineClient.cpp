#include "control/uTOnlineClient.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimer>
#include <QWebSocket>
#include <algorithm>

namespace kelani {
namespace {

qint64 Now() {
    return QDateTime::currentMSecsSinceEpoch();
}

QTimer* MakeTimer(QObject* parent, bool singleShot, std::function<void()> action) {
    auto* timer = new QTimer(parent);
    timer->setSingleShot(singleShot);
    QObject::connect(timer, &QTimer::timeout, parent, std::move(action));
    return timer;
}

} // namespace

QString InviteCode(const QString& text) {
    static const QRegularExpression link(QStringLiteral("^kelani://join/"),
                                         QRegularExpression::CaseInsensitiveOption);
    QString code = text.trimmed().remove(link).remove(QLatin1Char('/')).remove(QLatin1Char('-')).toUpper();
    // Crockford's base 32 reads O as 0 and I and L as 1; U is not one of its digits.
    static const QRegularExpression digits(QStringLiteral("^[0-9A-HJKMNP-TV-Z]{10}$"));
    code.replace(QLatin1Char('O'), QLatin1Char('0')).replace(QLatin1Char('I'), QLatin1Char('1'));
    code.replace(QLatin1Char('L'), QLatin1Char('1'));
    if (!digits.match(code).hasMatch()) return {};
    return code.left(5) + QLatin1Char('-') + code.mid(5);
}

QString InviteLink(const QString& code) {
    return QStringLiteral("kelani://join/") + code;
}

QString JoinKey() {
    QString key;
    for (int part = 0; part < 4; ++part)
        key += QStringLiteral("%1").arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
    return key;
}

QString CleanText(const QString& text, int limit) {
    static const QRegularExpression markup(QStringLiteral("<[^>]*>?"));
    const QString plain = QString(text).remove(markup);
    QString clean;
    for (const QChar c : plain)
        if (c.isPrint() || c == QLatin1Char(' ')) clean += c;
    return clean.simplified().left(limit);
}

TOnlineClient::TOnlineClient(QObject* parent) : QObject(parent) {
    ConnectTimer_ = MakeTimer(this, true, [this] {
        Lost(QAbstractSocket::SocketTimeoutError, QStringLiteral("no connection within the time"));
    });
    RetryTimer_ = MakeTimer(this, true, [this] { Connect(); });
    PingTimer_ = MakeTimer(this, false, [this] { CheckAlive(); });
}

TOnlineClient::~TOnlineClient() {
    Close();
}

void TOnlineClient::Open(const QUrl& server, const QJsonObject& greeting) {
    Close();
    Server_ = server;
    Greeting_ = greeting;
    Joining_ = false;
    Wanted_ = true;
    RetryMs_ = FirstRetryMs;
    Connect();
}

void TOnlineClient::Connect() {
    DropSocket();
    Socket_ = std::make_unique<QWebSocket>();
    QWebSocket* socket = Socket_.get();
    connect(socket, &QWebSocket::connected, this, [this] {
        ConnectTimer_->stop();
        Connected_ = true;
        LastHeard_ = Now();
        PingTimer_->start(PingMs);
        Greet();
        if (OnConnected) OnConnected(true);
    });
    connect(socket, &QWebSocket::textMessageReceived, this, &TOnlineClient::Receive);
    connect(socket, &QWebSocket::pong, this, [this] { LastHeard_ = Now(); });
    connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
            [this, socket](QAbstractSocket::SocketError error) { Lost(error, socket->errorString()); });
    connect(socket, &QWebSocket::disconnected, this, [this, socket] {
        // A close by the server is no socket error: it is a lost connection all the same.
        const QAbstractSocket::SocketError error = socket->error();
        Lost(error == QAbstractSocket::UnknownSocketError ? QAbstractSocket::RemoteHostClosedError : error,
             socket->closeReason().isEmpty() ? socket->errorString() : socket->closeReason());
    });
    ConnectTimer_->start(ConnectTimeoutMs);
    socket->open(Server_);
}

void TOnlineClient::Greet() {
    Joining_ = Greeting_.contains(QStringLiteral("key"));
    Socket_->sendTextMessage(QString::fromUtf8(QJsonDocument(Greeting_).toJson(QJsonDocument::Compact)));
    // Whatever the player did while the connection was down follows the greeting.
    std::vector<QJsonObject> waiting;
    waiting.swap(Outbox_);
    for (const QJsonObject& message : waiting) Send(message);
}

void TOnlineClient::Send(const QJsonObject& message) {
    if (!Connected_) {
        Outbox_.push_back(message);
        return;
    }
    Socket_->sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
}

void TOnlineClient::Receive(const QString& text) {
    LastHeard_ = Now();
    // The server answers: the next drop is tried again soon.
    RetryMs_ = FirstRetryMs;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    // A refused join is answered as well as a joined one.
    const QString type = document.object().value(QStringLiteral("type")).toString();
    if (type == QLatin1String("joined") || type == QLatin1String("error")) Joining_ = false;
    if (document.isObject() && OnMessage) OnMessage(document.object());
}

void TOnlineClient::CheckAlive() {
    if (!Socket_) return;
    if (Now() - LastHeard_ > 3 * PingMs) {
        Lost(QAbstractSocket::SocketTimeoutError, QStringLiteral("the server went silent"));
        return;
    }
    Socket_->ping();
}

void TOnlineClient::Lost(QAbstractSocket::SocketError error, const QString& text) {
    // The socket reports one loss twice (its error, then its end); only the first counts.
    if (!Wanted_ || !Socket_) return;
    DropSocket();
    QJsonObject resume = Resume ? Resume() : QJsonObject();
    if (resume.isEmpty() && Joining_) resume = Greeting_;
    if (resume.isEmpty()) {
        Wanted_ = false;
        Outbox_.clear();
        if (OnFailure) OnFailure(error, text);
        return;
    }
    Greeting_ = resume;
    if (OnConnected) OnConnected(false);
    RetryTimer_->start(RetryMs_);
    RetryMs_ = std::min(2 * RetryMs_, MaxRetryMs);
}

void TOnlineClient::DropSocket() {
    ConnectTimer_->stop();
    PingTimer_->stop();
    Connected_ = false;
    if (!Socket_) return;
    QWebSocket* socket = Socket_.release();
    socket->disconnect(this);
    socket->abort();
    // It may be the one whose signal runs right now.
    socket->deleteLater();
}

void TOnlineClient::Close() {
    Wanted_ = false;
    RetryTimer_->stop();
    Outbox_.clear();
    DropSocket();
}

void TOnlineClient::Drop() {
    if (Socket_) Socket_->abort();
}

} // namespace kelani
