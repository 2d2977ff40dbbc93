#include "records/uWebForm.h"

#include "records/uJwHTMLUtils.h"

namespace kelani {

std::string FormBody(const TWebPostItems& items) {
    std::string body;
    for (const auto& item : items) {
        if (!body.empty()) body += '&';
        body += item.Name;
        body += '=';
        for (char c : item.Value) body += c == ' ' ? '+' : c;
    }
    return body;
}

TWebPostItems HighscoreFormItems(const std::vector<std::pair<std::string, std::string>>& displayTexts,
                                 const std::string& gameName, const std::string& gameIndex, int checkModulus,
                                 int checkBase) {
    TWebPostItems items;
    for (const auto& [key, text] : displayTexts) items.push_back({key, TextToHTML(text)});
    items.push_back({"hs_name", TextToHTML(gameName)});
    items.push_back({"hs_index", TextToHTML(gameIndex)});
    std::string joined;
    for (const auto& item : items) joined += item.Value;
    items.push_back({"check", std::to_string(CheckValue(LowerCp1252(joined), checkModulus, checkBase))});
    for (auto& item : items) item.Value = URLEncode(item.Value);
    return items;
}

} // namespace kelani
