#include "components/uPlatform.h"

#include "base/uCodePage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <chrono>
#include <thread>

namespace kelani {
namespace {

int gSpeedUp = 1;
bool gWaitsCut = false;
QString gFolderOverride;
QString gApplicationTitle;

bool IsWritableFolder(const QString& folder) {
    QTemporaryFile probe(folder + QStringLiteral("/.kelani-write-probe-XXXXXX"));
    return probe.open();
}

} // namespace

int64_t TickCount() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SetWaitSpeedUp(int factor) {
    gSpeedUp = factor < 1 ? 1 : factor;
}
int WaitSpeedUp() {
    return gSpeedUp;
}

void WaitUntil(int64_t tick) {
    const int64_t start = TickCount();
    const int64_t end = start + (tick - start) / gSpeedUp;
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (!gWaitsCut && TickCount() < end);
}

void WaitFor(int ms) {
    WaitUntil(TickCount() + ms);
}

void CutWaitsShort(bool cut) {
    gWaitsCut = cut;
}

QString ProgramFolder() {
    if (!gFolderOverride.isEmpty()) return gFolderOverride;
    static const QString folder = QCoreApplication::applicationDirPath();
    return folder;
}

QString DataFolder() {
    if (!gFolderOverride.isEmpty()) return gFolderOverride;
    static const QString folder = [] {
        const QString program = ProgramFolder();
        if (KeepsDataBeside(program)) return program;
        QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(data);
        return data;
    }();
    return folder;
}

bool KeepsDataBeside(const QString& programFolder) {
    // Where package managers and system installs put programs; a copy there belongs to everyone.
    static const char* const kSystemFolders[] = {"/usr",  "/opt", "/snap",  "/app", "/bin",
                                                 "/sbin", "/lib", "/lib64", "/nix", "/gnu"};
    const QString folder = QDir::cleanPath(QDir(programFolder).absolutePath());
    for (const char* system : kSystemFolders) {
        const QString prefix = QLatin1String(system);
        if (folder == prefix || folder.startsWith(prefix + QLatin1Char('/'))) return false;
    }
    return IsWritableFolder(folder);
}

void SetProgramFolderForTests(const QString& folder) {
    gFolderOverride = folder;
}

void SetApplicationTitle(const QString& title) {
    gApplicationTitle = title;
}

QString ApplicationTitle() {
    return gApplicationTitle.isEmpty() ? QGuiApplication::applicationDisplayName() : gApplicationTitle;
}

QString FromCp1252(const std::string& bytes) {
    return QString::fromStdString(Cp1252ToUtf8(bytes));
}

std::string ToCp1252(const QString& text) {
    return Utf8ToCp1252(text.toStdString());
}

QString ErrorText(const char* what) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(QByteArrayView(what));
    return utf8.hasError() ? FromCp1252(what) : text;
}

} // namespace kelani
