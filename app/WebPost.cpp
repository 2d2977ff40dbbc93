#include "app/WebPost.h"

#include "app/lngDialogs.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace kelani {
namespace {

// Our own code for a post that got no answer in time (QNetworkReply's codes are all below it).
constexpr int kTimeoutCode = 12002; // the classic "operation timed out" of internet libraries

QUrl PostUrl(const std::string& server, const std::string& action) {
    return QUrl(QStringLiteral("http://") + QString::fromStdString(server) + QString::fromStdString(action));
}

} // namespace

TWebPost::TWebPost(QObject* parent) : QObject(parent), network_(new QNetworkAccessManager(this)) {}

TWebPost::~TWebPost() = default;

bool TWebPost::Post() {
    Response.clear();
    const QUrl url = PostUrl(Server, Action);
    if (!url.isValid() || url.host().isEmpty()) {
        ReportError(QStringLiteral("Invalid server address: %1").arg(QString::fromStdString(Server)), 12005);
        return false;
    }
    QNetworkRequest request(url);
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
        ReportError(QStringLiteral("The server %1 did not answer in time.").arg(url.authority()),
                    kTimeoutCode);
    } else if (reply->error() != QNetworkReply::NoError) {
        ReportError(reply->errorString(), static_cast<int>(reply->error()));
    } else {
        Response = reply->readAll();
        ok = true;
    }
    reply->deleteLater();
    return ok;
}

void TWebPost::ReportError(const QString& text, int code) {
    if (OnError)
        OnError(text, code);
    else
        LngMessageDlg(text, mtError, mbOK);
}

} // namespace kelani
