#include "settings/uTSettings.h"

#include "settings/uIniFile.h"

#include <filesystem>

namespace kelani {
namespace {

constexpr const char* kSettingsSection = "settings";
constexpr const char* kNewGameSection = "newgame";
constexpr const char* kWorldwideSection = "worldwide";
constexpr const char* kOnlineSection = "online";

} // namespace

TKelaniSettings::TKelaniSettings(std::string folder) : folder_(std::move(folder)) {}

std::string TKelaniSettings::FileName() const {
    return (std::filesystem::path(folder_) / "settings.ini").string();
}

void TKelaniSettings::Load() {
    const TIniFile ini(FileName());
    Sound = ini.ReadBool(kSettingsSection, "sound", true);
    // Later keys win: a file with several animation keys set yields the last of them.
    if (ini.ReadBool(kSettingsSection, "handani", true)) Animation = kHandAnimation;
    if (ini.ReadBool(kSettingsSection, "stoneani", false)) Animation = kStoneAnimation;
    if (ini.ReadBool(kSettingsSection, "noani", false)) Animation = kNoAnimation;
    Maximized = ini.ReadBool(kSettingsSection, "maximized", false);
    MasterTime = ini.ReadInteger(kSettingsSection, "mastertime", kMeisterDefaultMs);
    if (MasterTime < kMeisterMinMs || MasterTime > kMeisterMaxMs) MasterTime = kMeisterDefaultMs;
    HighContrast = ini.ReadBool(kSettingsSection, "highcontrast", false);
    LargeNotes = ini.ReadBool(kSettingsSection, "largenotes", false);
}

void TKelaniSettings::Save() const {
    TIniFile ini(FileName());
    ini.WriteBool(kSettingsSection, "sound", Sound);
    ini.WriteBool(kSettingsSection, "handani", Animation == kHandAnimation);
    ini.WriteBool(kSettingsSection, "stoneani", Animation == kStoneAnimation);
    ini.WriteBool(kSettingsSection, "noani", Animation == kNoAnimation);
    ini.WriteBool(kSettingsSection, "maximized", Maximized);
    ini.WriteBool(kSettingsSection, "highcontrast", HighContrast);
    ini.WriteBool(kSettingsSection, "largenotes", LargeNotes);
}

std::string TKelaniSettings::Language() const {
    return TIniFile(FileName()).ReadString(kSettingsSection, "language", "");
}

void TKelaniSettings::SaveLanguage(const std::string& language) const {
    TIniFile(FileName()).WriteString(kSettingsSection, "language", language);
}

TNewGameChoices TKelaniSettings::NewGameChoices(const TNewGameChoices& defaults) const {
    const TIniFile ini(FileName());
    TNewGameChoices c;
    c.Difficulty = ini.ReadInteger(kNewGameSection, "difficulty", defaults.Difficulty);
    c.Mode = ini.ReadInteger(kNewGameSection, "mode", defaults.Mode);
    c.Variant = ini.ReadInteger(kNewGameSection, "variant", defaults.Variant);
    c.Stones = ini.ReadInteger(kNewGameSection, "stones", defaults.Stones);
    c.UseHead = ini.ReadBool(kNewGameSection, "usehead", defaults.UseHead);
    c.Name1 = ini.ReadString(kNewGameSection, "name1", defaults.Name1);
    c.Name2 = ini.ReadString(kNewGameSection, "name2", defaults.Name2);
    c.Mail1 = ini.ReadString(kNewGameSection, "mail1", defaults.Mail1);
    c.Mail2 = ini.ReadString(kNewGameSection, "mail2", defaults.Mail2);
    c.Land1 = ini.ReadInteger(kNewGameSection, "land1", defaults.Land1);
    c.Land2 = ini.ReadInteger(kNewGameSection, "land2", defaults.Land2);
    return c;
}

void TKelaniSettings::SaveNewGameChoices(const TNewGameChoices& c) const {
    TIniFile ini(FileName());
    ini.WriteInteger(kNewGameSection, "difficulty", c.Difficulty);
    ini.WriteInteger(kNewGameSection, "mode", c.Mode);
    ini.WriteInteger(kNewGameSection, "variant", c.Variant);
    ini.WriteInteger(kNewGameSection, "stones", c.Stones);
    ini.WriteBool(kNewGameSection, "usehead", c.UseHead);
    ini.WriteString(kNewGameSection, "name1", c.Name1);
    ini.WriteString(kNewGameSection, "name2", c.Name2);
    ini.WriteString(kNewGameSection, "mail1", c.Mail1);
    ini.WriteString(kNewGameSection, "mail2", c.Mail2);
    ini.WriteInteger(kNewGameSection, "land1", c.Land1);
    ini.WriteInteger(kNewGameSection, "land2", c.Land2);
}

void TKelaniSettings::ReadWorldwide(std::string& server, std::string& viewUrl) const {
    const TIniFile ini(FileName());
    server = ini.ReadString(kWorldwideSection, "server", server);
    viewUrl = ini.ReadString(kWorldwideSection, "viewurl", viewUrl);
}

std::string TKelaniSettings::OnlineServer() const {
    return TIniFile(FileName()).ReadString(kOnlineSection, "server", "");
}

TOnlineSeat TKelaniSettings::OnlineSeat() const {
    const TIniFile ini(FileName());
    TOnlineSeat seat;
    seat.Server = ini.ReadString(kOnlineSection, "gameserver", "");
    seat.Game = ini.ReadString(kOnlineSection, "game", "");
    seat.Token = ini.ReadString(kOnlineSection, "token", "");
    seat.Seat = ini.ReadInteger(kOnlineSection, "seat", 0);
    seat.Last = ini.ReadInteger(kOnlineSection, "last", 0);
    // A seat that cannot be taken again is no seat.
    if (seat.Server.empty() || seat.Token.empty() || (seat.Seat != 1 && seat.Seat != 2) || seat.Last < 0)
        seat = {};
    return seat;
}

void TKelaniSettings::SaveOnlineSeat(const TOnlineSeat& seat) const {
    TIniFile ini(FileName());
    ini.WriteString(kOnlineSection, "gameserver", seat.Game.empty() ? std::string() : seat.Server);
    ini.WriteString(kOnlineSection, "game", seat.Game);
    ini.WriteString(kOnlineSection, "token", seat.Game.empty() ? std::string() : seat.Token);
    ini.WriteInteger(kOnlineSection, "seat", seat.Game.empty() ? 0 : seat.Seat);
    ini.WriteInteger(kOnlineSection, "last", seat.Game.empty() ? 0 : seat.Last);
}

} // namespace kelani
