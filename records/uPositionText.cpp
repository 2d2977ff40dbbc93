#include "records/uPositionText.h"

#include <map>
#include <sstream>
#include <vector>

namespace kelani {
namespace {

[[noreturn]] void Refuse(const std::string& reason) {
    throw EPositionText("not a position: " + reason);
}

// A count of stones: one to four digits, nothing else.
int Count(const std::string& text, const std::string& what) {
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
        Refuse(what + " must be a number of stones, not '" + text + "'");
    return std::stoi(text);
}

// The settings before the colon: one letter and its number each.
std::map<char, int> Settings(const std::vector<std::string>& items) {
    static const std::map<char, std::pair<int, int>> kRanges = {
        {'v', {1, 6}}, {'h', {0, 1}}, {'s', {1, 99}}, {'p', {1, 2}}, {'z', {0, 1}}};
    std::map<char, int> settings;
    for (const std::string& item : items) {
        const auto range = item.empty() ? kRanges.end() : kRanges.find(item[0]);
        if (range == kRanges.end()) Refuse("unknown setting '" + item + "' (v, h, s, p or z)");
        const int value = Count(item.substr(1), std::string("setting ") + item[0]);
        if (value < range->second.first || value > range->second.second)
            Refuse(std::string("setting ") + item[0] + " must be " + std::to_string(range->second.first) +
                   ".." + std::to_string(range->second.second));
        if (!settings.emplace(item[0], value).second)
            Refuse(std::string("setting ") + item[0] + " is given twice");
    }
    for (char needed : {'v', 'h', 's', 'p'})
        if (!settings.count(needed)) Refuse(std::string("setting ") + needed + " is missing");
    if (settings.count('z') && settings['z'] == 1 && settings['v'] != 3)
        Refuse("only rule set 3 has a second move in a turn (z1)");
    return settings;
}

} // namespace

TFeld ParsePosition(const std::string& text) {
    std::vector<std::string> items;
    std::istringstream in(text);
    for (std::string item; in >> item;) items.push_back(item);
    size_t colon = 0;
    while (colon < items.size() && items[colon] != ":") ++colon;
    if (colon == items.size()) Refuse("the settings and the places must be parted by ' : '");
    const std::map<char, int> settings =
        Settings({items.begin(), items.begin() + static_cast<ptrdiff_t>(colon)});
    if (items.size() - colon - 1 != kPlaces)
        Refuse("it needs 14 places after the colon, not " + std::to_string(items.size() - colon - 1));
    TFeld feld;
    feld.SetVariante(settings.at('v'));
    feld.SetUseStirnmulde(settings.at('h') == 1);
    feld.SetSteineProMulde(settings.at('s'));
    feld.Reset();
    feld.SetAktSpieler(settings.at('p'));
    feld.SetZuegeInRunde(settings.count('z') ? settings.at('z') : 0);
    int total = 0;
    for (int i = 1; i <= kPlaces; ++i) {
        std::string item = items[colon + static_cast<size_t>(i)];
        const bool bracketed = item.size() >= 2 && item.front() == '[' && item.back() == ']';
        if (bracketed != IsStirnmulde(i))
            Refuse("place " + std::to_string(i) +
                   (IsStirnmulde(i) ? " is a Stirnmulde and needs brackets"
                                    : " is a pit and takes no brackets"));
        if (bracketed) item = item.substr(1, item.size() - 2);
        const int count = Count(item, "place " + std::to_string(i));
        feld.SetMulde(i, count);
        total += count;
    }
    if (total != 12 * feld.SteineProMulde())
        Refuse("the places hold " + std::to_string(total) + " stones, a game with s" +
               std::to_string(feld.SteineProMulde()) + " has " + std::to_string(12 * feld.SteineProMulde()));
    return feld;
}

std::string PositionText(const TFeld& feld) {
    std::string text = "v" + std::to_string(feld.Variante()) + " h" + (feld.UseStirnmulde() ? "1" : "0") +
                       " s" + std::to_string(feld.SteineProMulde()) + " p" +
                       std::to_string(feld.AktSpieler()) +
                       (feld.ZuegeInRunde() == 1 && feld.Variante() == 3 ? " z1" : "") + " :";
    for (int i = 1; i <= kPlaces; ++i) {
        const std::string count = std::to_string(feld.Mulde(i));
        text += IsStirnmulde(i) ? " [" + count + "]" : " " + count;
    }
    return text;
}

} // namespace kelani
