#include "components/uShellOpen.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace kelani {
namespace {

bool gRecording = false;
bool gOpens = true;

QList<QUrl>& Opened() {
    static QList<QUrl> opened;
    return opened;
}

// The host a web address names, or the domain of a mail address.
QString AddressHost(const QUrl& url) {
    if (url.scheme() == QLatin1String("mailto")) return url.path().section(QLatin1Char('@'), -1).toLower();
    return url.host().toLower();
}

} // namespace

bool IsPlaceholderAddress(const QUrl& url) {
    const QString host = AddressHost(url);
    if (host.isEmpty()) return false;
    for (const char* reserved : {"example", "example.com", "example.net", "example.org"}) {
        const QLatin1String name(reserved);
        if (host == name || host.endsWith(QLatin1Char('.') + name)) return true;
    }
    return false;
}

bool ShellOpen(const QUrl& url) {
    // A browser would only show its own "file not found" or "server not found" page; say so here
    // instead.
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) return false;
    if (IsPlaceholderAddress(url)) return false;
    if (gRecording) {
        Opened().append(url);
        return gOpens;
    }
    return QDesktopServices::openUrl(url);
}

void RecordShellOpens(bool recording, bool opens) {
    gRecording = recording;
    gOpens = opens;
    Opened().clear();
}

const QList<QUrl>& ShellOpened() {
    return Opened();
}

} // namespace kelani
