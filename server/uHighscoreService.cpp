#include "server/uHighscoreService.h"

#include "base/uCodePage.h"
#include "records/uJwHTMLUtils.h"
#include "server/uPlausibility.h"
#include "settings/uLngScript.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace kelani::server {
namespace {

// The form fields in the order the game sends them.
constexpr const char* kFields[] = {"name", "punkte", "punktegegner", "runden",   "ki",   "zeit",
                                   "land", "email",  "hs_name",      "hs_index", "check"};
constexpr size_t kFieldCount = std::size(kFields);
constexpr size_t kMaxLandBytes = 40;

struct Field {
    std::string name;
    std::string value; // URL-decoded: still HTML entity text
};

// Digits only, as the game prints them: no sign, no blank, no leading zero (unless `padded`).
bool ParseInt(const std::string& text, int lo, int hi, int& out, bool padded = false) {
    if (text.empty() || text.size() > 9 || (!padded && text.size() > 1 && text[0] == '0')) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    std::from_chars(text.data(), text.data() + text.size(), out);
    return out >= lo && out <= hi;
}

// "66.67" or "66,67" (the sender's locale decides the separator) → 6667.
bool ParsePercent(const std::string& text, int& hundredths) {
    const size_t sep = text.find_first_of(".,");
    if (sep == std::string::npos || text.size() - sep != 3) return false;
    int whole = 0, fraction = 0;
    if (!ParseInt(text.substr(0, sep), 0, 100, whole) ||
        !ParseInt(text.substr(sep + 1), 0, 99, fraction, true))
        return false;
    hundredths = whole * 100 + fraction;
    return hundredths <= 10000;
}

// "hh:mm:ss" with at least two digits for the hours ("%2.2d").
bool ParseTime(const std::string& text, int& seconds) {
    const size_t a = text.find(':');
    const size_t b = text.find(':', a == std::string::npos ? a : a + 1);
    if (a == std::string::npos || b == std::string::npos || b - a != 3 || text.size() - b != 3) return false;
    int h = 0, m = 0, s = 0;
    if (a < 2 || (a > 2 && text[0] == '0') || !ParseInt(text.substr(0, a), 0, 99999, h, true) ||
        !ParseInt(text.substr(a + 1, 2), 0, 59, m, true) || !ParseInt(text.substr(b + 1), 0, 59, s, true))
        return false;
    seconds = h * 3600 + m * 60 + s;
    return true;
}

// The bytes Windows-1252 leaves undefined (they would reach the page as control characters).
bool Undefined1252(unsigned char c) {
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

// A readable text field: decoded to Windows-1252, then to UTF-8; no control characters.
bool DecodeText(const std::string& entities, size_t minLength, size_t maxLength, std::string& utf8) {
    const std::string bytes = HTMLToText(entities);
    if (bytes.size() < minLength || bytes.size() > maxLength) return false;
    for (unsigned char c : bytes)
        if (c < 0x20 || c == 0x7F || Undefined1252(c)) return false;
    utf8 = Cp1252ToUtf8(bytes);
    return true;
}

std::variant<std::vector<Field>, Refusal> SplitForm(const std::string& body) {
    if (body.size() > kMaxBody) return Refusal{"form too large", 413};
    std::vector<Field> fields;
    size_t start = 0;
    while (start <= body.size()) {
        const size_t end = std::min(body.find('&', start), body.size());
        const std::string pair = body.substr(start, end - start);
        const size_t eq = pair.find('=');
        if (eq == std::string::npos) return Refusal{"malformed form"};
        auto value = URLDecode(pair.substr(eq + 1));
        if (!value)
            return Refusal{"malformed escape in " + pair.substr(0, std::min<size_t>(eq, kMaxLandBytes))};
        fields.push_back({pair.substr(0, eq), *value});
        if (fields.size() > kFieldCount) return Refusal{"too many fields"};
        start = end + 1;
    }
    if (fields.size() != kFieldCount) return Refusal{"missing fields"};
    for (size_t i = 0; i < kFieldCount; ++i)
        if (fields[i].name != kFields[i]) return Refusal{std::string("expected field ") + kFields[i]};
    return fields;
}

bool CheckMatches(const std::vector<Field>& fields, const CheckParameters& check) {
    std::string joined;
    for (size_t i = 0; i + 1 < kFieldCount; ++i) joined += fields[i].value;
    int sent = 0;
    return ParseInt(fields.back().value, 1, check.modulus - 1, sent) &&
           sent == CheckValue(LowerCp1252(joined), check.modulus, check.base);
}

std::variant<Submission, Refusal> Validate(const std::vector<Field>& f) {
    Submission s;
    if (f[8].value != "kelani") return Refusal{"unknown game"};
    if (!ParseInt(f[9].value, 4, 6, s.variant)) return Refusal{"variant must be 4, 5 or 6"};
    if (!DecodeText(f[0].value, 1, kMaxTextBytes, s.name)) return Refusal{"bad name"};
    if (!ParsePercent(f[1].value, s.pointsHundredths)) return Refusal{"bad points"};
    if (!ParseInt(f[2].value, 0, 10000, s.opponentStones)) return Refusal{"bad opponent stones"};
    if (!ParseInt(f[3].value, 0, 1000000, s.moves)) return Refusal{"bad move count"};
    // The game enters only human players.
    if (f[4].value != "0") return Refusal{"computer entries are not taken"};
    if (!ParseTime(f[5].value, s.seconds)) return Refusal{"bad time"};
    if (!DecodeText(f[6].value, 0, kMaxLandBytes, s.land)) return Refusal{"bad country"};
    // The address only tells players apart and is never shown: whatever the player typed counts,
    // so one odd address cannot stop every later entry of a send.
    if (!DecodeText(f[7].value, 1, kMaxTextBytes, s.email)) return Refusal{"bad e-mail address"};
    if (const std::string why = Implausibility(s); !why.empty()) return Refusal{"implausible: " + why, 422};
    return s;
}

std::string HtmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string JsonEscape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string CountryName(const CountryNames& countries, const std::string& key) {
    const auto it = countries.find(key);
    return it == countries.end() ? key : it->second;
}

// The words of the page, as the game's highscore window says them.
struct PageTexts {
    const char* lang;
    const char* title;
    const char* variant;
    const char* empty;
    const char* rank;
    const char* country;
    const char* points;
    const char* time;
    const char* moves;
    const char* witnessed; // the mark's explanation
};

const PageTexts& Texts(PageLanguage language) {
    static const PageTexts kGerman{"de",        "weltweite Highscore",
                                   "Variante",  "- leer -",
                                   "Rang",      "Land",
                                   "Punkte",    "Zeit",
                                   "Z\u00fcge", "online gespielt, vom Spielserver bezeugt"};
    static const PageTexts kEnglish{"en",      "worldwide highscore",
                                    "Variant", "- empty -",
                                    "Rank",    "Country",
                                    "Points",  "Time",
                                    "Moves",   "played online, witnessed by the play server"};
    return language == PageLanguage::German ? kGerman : kEnglish;
}

// A result the play service saw played is marked after the name.
std::string WitnessMark(const Submission& e, const PageTexts& t) {
    return e.witnessed ? std::string(" <span class=w title=\"") + t.witnessed + "\">\u2713</span>" : "";
}

std::string VariantJson(const HighscoreStore& store, const CountryNames& countries, int variant) {
    std::string json = "{\"variant\":" + std::to_string(variant) + ",\"entries\":[";
    bool first = true;
    for (const auto& row : store.Top(variant, kTableLength, kShownNameChars + 1)) {
        const auto& e = row.entry;
        if (!first) json += ',';
        first = false;
        json += "{\"rank\":" + std::to_string(row.rank) + ",\"name\":\"" + JsonEscape(ShownName(e.name)) +
                "\",\"country\":\"" + JsonEscape(CountryName(countries, e.land)) + "\",\"countryKey\":\"" +
                JsonEscape(e.land) + "\",\"points\":" + PercentText(e.pointsHundredths) + ",\"time\":\"" +
                TimeText(e.seconds) + "\",\"seconds\":" + std::to_string(e.seconds) +
                ",\"moves\":" + std::to_string(e.moves) +
                ",\"opponentStones\":" + std::to_string(e.opponentStones) +
                ",\"witnessed\":" + (e.witnessed ? "true" : "false") + "}";
    }
    return json + "]}";
}

} // namespace

std::string PercentText(int hundredths) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d.%02d", hundredths / 100, hundredths % 100);
    return buf;
}

std::string TimeText(int seconds) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", seconds / 3600, (seconds / 60) % 60, seconds % 60);
    return buf;
}

std::variant<Submission, Refusal> ParseSubmission(const std::string& body, const CheckParameters& check) {
    auto split = SplitForm(body);
    if (auto* refusal = std::get_if<Refusal>(&split)) return *refusal;
    const auto& fields = std::get<std::vector<Field>>(split);
    if (!CheckMatches(fields, check)) return Refusal{"check value does not match", 403};
    return Validate(fields);
}

CountryNames ParseCountryList(const std::string& list) {
    CountryNames names;
    std::string text = list;
    for (size_t pos = 0; (pos = text.find("\\n", pos)) != std::string::npos;) text.replace(pos, 2, "\n");
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t eq = line.find('=');
        if (eq != std::string::npos) names.emplace(line.substr(0, eq), line.substr(eq + 1));
    }
    return names;
}

CountryNames CountriesFromScript(const std::string& scriptText, const std::string& section) {
    return ParseCountryList(
        ScriptString(ExtractScriptSection(SplitScriptLines(scriptText), section), "lands"));
}

PageLanguage PreferredLanguage(const std::string& acceptLanguage) {
    double german = 0, english = 0;
    bool germanFirst = false;
    std::istringstream ranges(acceptLanguage);
    for (std::string range; std::getline(ranges, range, ',');) {
        range.erase(std::remove(range.begin(), range.end(), ' '), range.end());
        const size_t semicolon = range.find(';');
        const std::string tag = LowerCp1252(range.substr(0, semicolon));
        const double q = semicolon != std::string::npos && range.compare(semicolon, 3, ";q=") == 0
                             ? std::atof(range.c_str() + semicolon + 3)
                             : 1.0;
        auto is = [&tag](const char* language) {
            return tag == language || tag.rfind(std::string(language) + "-", 0) == 0;
        };
        if (is("de") && q > german) german = q, germanFirst = english < q;
        if (is("en") && q > english) english = q;
    }
    return german > english || (german > 0 && german == english && germanFirst) ? PageLanguage::German
                                                                                : PageLanguage::English;
}

std::string ShownName(const std::string& utf8) {
    size_t chars = 0, cut = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue; // inside a character
        if (chars == kShownNameChars - 1) cut = i;
        if (++chars > kShownNameChars) return utf8.substr(0, cut) + "\u2026";
    }
    return utf8;
}

std::string RenderPage(const HighscoreStore& store, const CountryNames& countries, PageLanguage language) {
    const PageTexts& t = Texts(language);
    std::string html = std::string("<!DOCTYPE html>\n<html lang=\"") + t.lang +
                       "\"><head><meta charset=\"utf-8\"><title>" + t.title + R"(</title>
<meta name="viewport" content="width=device-width, initial-scale=1">
<style>
body{font-family:"Liberation Sans",Arial,sans-serif;background:#2b1a0e;color:#f3e6d0;margin:1em auto;max-width:60em;padding:0 .5em}
h1{font-family:"Comic Neue","Comic Sans MS",cursive;color:#ffd27a;font-size:1.6em}
h2{color:#ffd27a;border-bottom:1px solid #7a5230}
nav a{color:#ffd27a;margin-right:1em}
table{border-collapse:collapse;width:100%;margin-bottom:2em;background:#3b2616}
th,td{padding:.3em .5em;text-align:left}th{background:#5a3a20}
td.name{overflow-wrap:anywhere;max-width:16em}
tr:nth-child(even) td{background:#452d1a}td.n{text-align:right}
.w{color:#9fd67a;font-weight:bold}
@media (max-width:36em){body{font-size:90%}th,td{padding:.25em .3em}.wide{display:none}}
</style></head><body><h1>Kelani &mdash; )" +
                       t.title + "</h1>\n<nav>";
    for (int variant = 4; variant <= 6; ++variant)
        html += "<a href=\"#v" + std::to_string(variant) + "\">" + t.variant + " " + std::to_string(variant) +
                "</a>";
    html += std::string("</nav>\n<p class=legend><span class=w>\u2713</span> ") + t.witnessed + "</p>\n";
    for (int variant = 4; variant <= 6; ++variant) {
        html += "<h2 id=\"v" + std::to_string(variant) + "\">" + t.variant + " " + std::to_string(variant) +
                "</h2>\n";
        const auto rows = store.Top(variant, kTableLength, kShownNameChars + 1);
        if (rows.empty()) {
            html += std::string("<p>") + t.empty + "</p>\n";
            continue;
        }
        // A phone shows rank, name, points and time; country and moves from a wider screen on.
        html += std::string("<table><tr><th>") + t.rank + "</th><th>Name</th><th class=wide>" + t.country +
                "</th><th>" + t.points + "</th><th>" + t.time + "</th><th class=wide>" + t.moves +
                "</th></tr>\n";
        for (const auto& row : rows) {
            const auto& e = row.entry;
            html += "<tr><td class=n>" + std::to_string(row.rank) + "</td><td class=name>" +
                    HtmlEscape(ShownName(e.name)) + WitnessMark(e, t) + "</td><td class=wide>" +
                    HtmlEscape(CountryName(countries, e.land)) + "</td><td class=n>" +
                    PercentText(e.pointsHundredths) + "</td><td class=n>" + TimeText(e.seconds) +
                    "</td><td class=\"n wide\">" + std::to_string(e.moves) + "</td></tr>\n";
        }
        html += "</table>\n";
    }
    return html + "</body></html>\n";
}

std::string RenderJson(const HighscoreStore& store, const CountryNames& countries, int variant) {
    if (variant != 0) return VariantJson(store, countries, variant);
    std::string json = "{\"variants\":[";
    for (int v = 4; v <= 6; ++v) json += (v > 4 ? "," : "") + VariantJson(store, countries, v);
    return json + "]}";
}

} // namespace kelani::server
