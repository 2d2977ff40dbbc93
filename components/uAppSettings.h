#pragma once
// Where the windows find settings.ini: kelani::DataFolder() as a path for the Qt-free profile code.
#include <string>

namespace kelani {

// The folder of settings.ini in the file system's encoding.
std::string SettingsFolder();

} // namespace kelani
