#include "components/uAppSettings.h"

#include "components/uPlatform.h"

#include <QFile>

namespace kelani {

std::string SettingsFolder() {
    return QFile::encodeName(DataFolder()).toStdString();
}

} // namespace kelani
