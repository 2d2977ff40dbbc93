#include "components/uShellOpen.h"

#include <QDesktopServices>

namespace kelani {
namespace {

bool gRecording = false;

QList<QUrl>& Opened() {
    static QList<QUrl> opened;
    return opened;
}

} // namespace

bool ShellOpen(const QUrl& url) {
    if (gRecording) {
        Opened().append(url);
        return true;
    }
    return QDesktopServices::openUrl(url);
}

void RecordShellOpens(bool recording) {
    gRecording = recording;
    Opened().clear();
}

const QList<QUrl>& ShellOpened() {
    return Opened();
}

} // namespace kelani
