#pragma once
// The form post of the worldwide highscore over HTTP. It blocks its caller like the game's
// original design, but keeps the windows painted by running a local event loop while it waits,
// and gives up after TimeoutMs so an unreachable server cannot hang the game.
#include "records/uWebForm.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

namespace kelani {

// An address on the worldwide server ("host[:port]", "http://..." or "https://...") with `path`
// appended; plain hosts are reached over http.
QUrl ServerUrl(const std::string& server, const std::string& path);

class TWebPost : public QObject, public TCustomWebPost {
    Q_OBJECT
public:
    explicit TWebPost(QObject* parent = nullptr);
    ~TWebPost() override;

    // Receives the error text (in the language of the message boxes, naming the server) and code
    // when sending fails; without it an error box is shown, except for a refused form, which only
    // goes to Refusals.
    std::function<void(const QString& errorStr, int errorCode)> OnError;
    int TimeoutMs = 30000;

    // POSTs the Items as "application/x-www-form-urlencoded" to Server + Action (http:// unless
    // Server names https://, whose certificate must then verify) with the agent name "TWebPost".
    // True when the request was answered without an HTTP or network error and the answer was
    // read; the answer is kept in Response and added to Answers. A 4xx answer sets Refused and
    // adds to Refusals.
    bool Post() override;
    QByteArray Response;

private:
    void ReportError(const QString& text, int code);
    QString FailureText(QNetworkReply* reply) const;
    QString Text(const char* key, const QStringList& more = {}) const;
    QNetworkAccessManager* network_;
};

} // namespace kelani
