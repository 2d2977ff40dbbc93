#include "components/uFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace kelani {
namespace {

QString gFolderOverride;

bool IsWritableFolder(const QString& folder) {
    QTemporaryFile probe(folder + QStringLiteral("/.kelani-write-probe-XXXXXX"));
    return probe.open();
}

} // namespace

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

std::string SettingsFolder() {
    return QFile::encodeName(DataFolder()).toStdString();
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

} // namespace kelani
