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

} // namespace

bool ShellOpen(const QUrl& url) {
    // A browser would only show its own "file not found" page; say so here instead.
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) return false;
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
