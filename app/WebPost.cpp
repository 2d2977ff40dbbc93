#include "app/WebPost.h"

#include "app/lngDialogs.h"
#include "components/uFormat.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTimer>
#include <QUrl>

namespace kelani {
namespace {

// Our own codes for a post that got no answer in time and for an address that names no server
// (QNetworkReply's codes are all below them): the classic codes of internet libraries.
constexpr int kTimeoutCode = 12002;
constexpr int kInvalidAddressCode = 12005;

// The system's certificate authorities, plus those of the file KELANI_TEST_CA names: tests
// run their own servers with a certificate of their own authority.
void TrustTestAuthority(QNetworkRequest& request) {
    const QByteArray file = qgetenv("KELANI_TEST_CA");
    if (file.isEmpty()) return;
    QSslConfiguration tls = request.sslConfiguration();
    tls.addCaCertificates(QSslCertificate::fromPath(QString::fromLocal8Bit(file)));
    request.setSslConfiguration(tls);
}

// An HTTP status the server answered with, 0 when there was no answer.
int HttpStatus(const QNetworkReply* reply) {
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

// The server's reason as a line of text; a web page (a proxy's error page) is no reason to show.
QString PlainAnswer(QNetworkReply* reply) {
    const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    const QString text = QString::fromUtf8(reply->readAll()).trimmed();
    return type.startsWith(QLatin1String("text/plain")) ? text.left(200) : QString();
}

} // namespace

QUrl ServerUrl(const std::string& server, const std::string& path) {
    QString address = QString::fromStdString(server);
    if (!address.startsWith(QLatin1String("https://")) && !address.startsWith(QLatin1String("http://")))
        address.prepend(QLatin1String("http://"));
    return QUrl(address + QString::fromStdString(path));
}

TWebPost::TWebPost(QObject* parent) : QObject(parent), network_(new QNetworkAccessManager(this)) {}

TWebPost::~TWebPost() = default;

bool TWebPost::Post() {
    Response.clear();
    Refused = false;
    const QUrl url = ServerUrl(Server, Action);
    if (!url.isValid() || url.host().isEmpty()) {
        ReportError(Text("netaddress"), kInvalidAddressCode);
        return false;
    }
    QNetworkRequest request(url);
    TrustTestAuthority(request);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("TWebPost"));
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/x-www-form-urlencoded"));
    QNetworkReply* reply = network_->post(request, QByteArray::fromStdString(FormBody(Items)));

    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    bool timedOut = false;
    connect(&timeout, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timeout.start(TimeoutMs);
    if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);

    bool ok = false;
    if (timedOut) {
        ReportError(Text("nettimeout"), kTimeoutCode);
    } else if (const int status = HttpStatus(reply); status >= 400 && status < 500) {
        // The server refused this entry (and tells why); the send goes on with the next one, and
        // the caller reports every refusal of the send at once.
        Refused = true;
        const QString reason = PlainAnswer(reply);
        Refusals.push_back({status, reason.toStdString()});
        if (OnError) OnError(Text("netrefusedentry", {QString::number(status), reason}), status);
    } else if (reply->error() != QNetworkReply::NoError) {
        ReportError(FailureText(reply), static_cast<int>(reply->error()));
    } else {
        Response = reply->readAll();
        Answers.push_back(Response.trimmed().toStdString());
        ok = true;
    }
    reply->deleteLater();
    return ok;
}

// The message's text in the language of the boxes, the server (as the player set it) first.
QString TWebPost::Text(const char* key, const QStringList& more) const {
    return FormatText(LngMessageText(key), QStringList{QString::fromStdString(Server)} + more);
}

// Why a post the server did not take failed, in the player's words.
QString TWebPost::FailureText(QNetworkReply* reply) const {
    if (const int status = HttpStatus(reply); status >= 500)
        return Text("netservererror", {QString::number(status)});
    switch (reply->error()) {
    case QNetworkReply::HostNotFoundError:
        return Text("nethostnotfound");
    case QNetworkReply::ConnectionRefusedError:
        return Text("netconnectionrefused");
    case QNetworkReply::TimeoutError:
        return Text("nettimeout");
    case QNetworkReply::SslHandshakeFailedError:
        return Text("nettls");
    default:
        return Text("netfailed", {reply->errorString()});
    }
}

void TWebPost::ReportError(const QString& text, int code) {
    if (OnError)
        OnError(text, code);
    else
        LngMessageDlg(text, mtError, mbOK);
}

} // namespace kelani
