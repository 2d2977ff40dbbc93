#include "records/uTHighscore.h"

#include "records/uWorldwide.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace kelani {
namespace {

double NumberAt(const TJwValueList& entry, const char* key) {
    const TJwValue* value = entry.Find(key);
    return value ? value->AsNumber() : 0;
}

std::int64_t IntegerAt(const TJwValueList& entry, const char* key) {
    return static_cast<std::int64_t>(NumberAt(entry, key));
}

// The stored value stays the raw stone count; the table shows the share of all stones.
std::string PointsText(const TJwValue& value) {
    if (!value.Owner()) return {};
    const std::int64_t own = IntegerAt(*value.Owner(), "punkte");
    return THighscore::PercentText(own, own + IntegerAt(*value.Owner(), "punktegegner"));
}

std::string ZeitText(const TJwValue& value) {
    return value.IsSet() ? THighscore::TimeText(static_cast<std::int32_t>(value.AsNumber())) : std::string();
}

int CompareEntries(const TJwValueList& a, const TJwValueList& b) {
    const double pa = THighscore::Points(a);
    const double pb = THighscore::Points(b);
    if (pa > pb) return -1;
    if (pa < pb) return 1;
    // A's time minus B's time, kept inside the integer range.
    const double diff = NumberAt(a, "zeit") - NumberAt(b, "zeit");
    return static_cast<int>(std::clamp(diff, static_cast<double>(INT32_MIN), static_cast<double>(INT32_MAX)));
}

bool MaySend(const TJwValueList& entry) {
    const TJwValue* name = entry.Find("name");
    const TJwValue* email = entry.Find("email");
    return name && email && !name->AsString().empty() && !email->AsString().empty();
}

} // namespace

THighscore::THighscore() : TCustomINetHighscore(FileKey, template_, CompareEntries) {
    template_.Add("name", TJwValueType::Text);
    template_.Add("punkte", TJwValueType::Integer, PointsText);
    template_.Add("punktegegner", TJwValueType::Integer);
    template_.Add("runden", TJwValueType::Integer);
    template_.Add("ki", TJwValueType::Boolean);
    template_.Add("zeit", TJwValueType::Integer, ZeitText);
    template_.Add("land", TJwValueType::Text);
    template_.Add("email", TJwValueType::Text);
    Capacity = DefaultCapacity;
    Server = kWorldwideServer;
    Action = kWorldwideAction;
    GameName = "kelani";
    GameIndex = "0";
    ViewURL = kWorldwideViewURL;
    CheckModulus = kCheckModulus;
    CheckBase = kCheckBase;
    OnFilter = MaySend;
}

int THighscore::AddEntry(const std::string& name, std::int32_t zeit, std::int32_t punkte,
                         std::int32_t punktegegner, std::int32_t runden, bool ki, const std::string& email,
                         const std::string& land) {
    auto entry = NewEntry();
    entry->Find("name")->SetText(name);
    entry->Find("punkte")->SetInteger(punkte);
    entry->Find("punktegegner")->SetInteger(punktegegner);
    entry->Find("runden")->SetInteger(runden);
    entry->Find("ki")->SetBoolean(ki);
    entry->Find("zeit")->SetInteger(zeit);
    entry->Find("land")->SetText(land);
    entry->Find("email")->SetText(email);
    return Add(*entry);
}

double THighscore::Points(const TJwValueList& entry) {
    const std::int64_t own = IntegerAt(entry, "punkte");
    return Percent(own, own + IntegerAt(entry, "punktegegner"));
}

double THighscore::Percent(std::int64_t a, std::int64_t b) {
    return b == 0 ? 0.0 : static_cast<double>(a) / static_cast<double>(b) * 100;
}

std::string THighscore::PercentText(std::int64_t a, std::int64_t b) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", Percent(a, b));
    return buf;
}

std::string THighscore::TimeText(std::int32_t seconds) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%2.2d:%2.2d:%2.2d", seconds / 3600, (seconds / 60) % 60, seconds % 60);
    return buf;
}

std::string THighscore::FileName(const std::string& folder, int variant) {
    return (std::filesystem::path(folder) / ("hs" + std::to_string(variant) + ".dat")).string();
}

} // namespace kelani
