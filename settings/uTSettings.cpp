#include "settings/uTSettings.h"

#include "settings/uIniFile.h"

#include <filesystem>

namespace kelani {
namespace {

std::string SettingsPath(const std::string& folder) {
    return (std::filesystem::path(folder) / "settings.ini").string();
}

} // namespace

TKelaniSettings::TKelaniSettings(std::string folder) : folder_(std::move(folder)) {}

void TKelaniSettings::Load() {
    const TIniFile ini(SettingsPath(folder_));
    Sound = ini.ReadBool(kSettingsSection, "sound", true);
    // Later keys win: a file with several animation keys set yields the last of them.
    if (ini.ReadBool(kSettingsSection, "handani", true)) Animation = kHandAnimation;
    if (ini.ReadBool(kSettingsSection, "stoneani", false)) Animation = kStoneAnimation;
    if (ini.ReadBool(kSettingsSection, "noani", false)) Animation = kNoAnimation;
    Maximized = ini.ReadBool(kSettingsSection, "maximized", false);
}

void TKelaniSettings::Save() const {
    TIniFile ini(SettingsPath(folder_));
    ini.WriteBool(kSettingsSection, "sound", Sound);
    ini.WriteBool(kSettingsSection, "handani", Animation == kHandAnimation);
    ini.WriteBool(kSettingsSection, "stoneani", Animation == kStoneAnimation);
    ini.WriteBool(kSettingsSection, "noani", Animation == kNoAnimation);
    ini.WriteBool(kSettingsSection, "maximized", Maximized);
}

} // namespace kelani
