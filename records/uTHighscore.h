#pragma once
// The game's highscore table: one per variant, in the program's folder as "hs<variant>.dat",
// at most 20 entries, best first. An entry holds, in this order (also the order in the file and
// in a worldwide submission):
//   "name" text, "punkte" integer (own stones at game end), "punktegegner" integer (opponent's
//   stones), "runden" integer (own moves), "ki" Boolean (a computer player; the game enters only
//   humans), "zeit" integer (own clock in seconds), "land" text (country key), "email" text.
// Ranking: the greater share of all stones first; equal shares, the shorter time first.
#include "records/uTJwHighscore.h"

#include <string>

namespace kelani {

class THighscore : public TCustomINetHighscore {
public:
    static constexpr const char* FileKey = "Hq5Tn0WcLr8YsBk3VmZx6";

    THighscore();

    // Builds an entry from the template and adds it; returns Add's index (0-based) or -1.
    int AddEntry(const std::string& name, std::int32_t zeit, std::int32_t punkte, std::int32_t punktegegner,
                 std::int32_t runden, bool ki, const std::string& email, const std::string& land);

    // a / b * 100 with two decimals ("%.2f"), "0.00" when b is 0. The decimal separator follows
    // the C library's numeric locale, which the program takes from the user's settings.
    static std::string PercentText(std::int64_t a, std::int64_t b);
    // a / b * 100, 0 when b is 0.
    static double Percent(std::int64_t a, std::int64_t b);
    // Seconds as hours:minutes:seconds, each at least two digits ("%2.2d:%2.2d:%2.2d").
    static std::string TimeText(std::int32_t seconds);
    // Share of all stones an entry's player owned, in percent; 0 when nobody owned any.
    static double Points(const TJwValueList& entry);

    // "hs<variant>.dat" in the given folder.
    static std::string FileName(const std::string& folder, int variant);

private:
    TJwValueList template_;
};

} // namespace kelani
