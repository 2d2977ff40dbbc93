#pragma once
// What the worldwide highscore server does with a request, apart from the HTTP plumbing:
// checking a submitted form, and rendering the tables as a page and as JSON.
#include "server/uHighscoreStore.h"

#include <map>
#include <string>
#include <variant>

namespace kelani::server {

struct CheckParameters {
    int modulus = 0;
    int base = 0;
};

// A form that was refused, with the short reason the client gets back and its HTTP status:
// 400 malformed, 403 forged (the check value does not match), 413 oversized, 422 implausible.
struct Refusal {
    std::string reason;
    int status = 400;
};

// The longest name and e-mail address: as long as a saved game and a highscore file hold them.
inline constexpr size_t kMaxTextBytes = 65535;
// The largest form: two such texts, every byte an entity ("&frac12;") URL-encoded to 12 bytes.
inline constexpr size_t kMaxBody = 2 * kMaxTextBytes * 12 + 4096;

// Decodes and checks a form body as the game posts it: eleven fields, values URL-encoded over
// HTML entities over Windows-1252 text, the check value over the lower-cased joined entity
// texts. Every field is validated before anything is stored.
std::variant<Submission, Refusal> ParseSubmission(const std::string& body, const CheckParameters& check);

// Country keys to display names ("deutschland" → "Germany"); unknown keys show as typed.
using CountryNames = std::map<std::string, std::string>;

// Reads "key=Name" lines separated by "\n" escapes or line breaks (the game's "lands" list).
CountryNames ParseCountryList(const std::string& list);

// The country names of one language section ("english", "german") of the game's new-game script
// (its "lands" entry).
CountryNames CountriesFromScript(const std::string& scriptText, const std::string& section = "english");
// The game's new-game script as it was when the server was built.
std::string BuiltInCountryScript();

// The page speaks one language throughout, the one the browser prefers of the two.
enum class PageLanguage { English, German };

// The language an "Accept-Language" header prefers: German when it ranks German above English,
// else English.
PageLanguage PreferredLanguage(const std::string& acceptLanguage);

// The worldwide page in one language: one table per variant 4..6, best first; `countries` names
// the countries in that language.
std::string RenderPage(const HighscoreStore& store, const CountryNames& countries, PageLanguage language);

// The same tables as JSON (English country names): one variant's {"variant":5,"entries":[...]},
// or with variant 0 all three as {"variants":[...]}.
std::string RenderJson(const HighscoreStore& store, const CountryNames& countries, int variant = 0);

// Names are stored whole but shown up to this many characters, the last of a longer one an
// ellipsis: no post can widen the page or swell its answers.
inline constexpr int kShownNameChars = 32;
// A shown name: `utf8` itself, or cut to kShownNameChars characters ending in "…".
std::string ShownName(const std::string& utf8);

// "66.67" for 6667 hundredths; "01:02:05" for 3725 seconds.
std::string PercentText(int hundredths);
std::string TimeText(int seconds);

// How many entries a table shows.
inline constexpr int kTableLength = 100;

} // namespace kelani::server
