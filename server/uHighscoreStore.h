#pragma once
// The worldwide table: entries per variant with the limits a flood cannot pass, the operator's
// bans, and the queries of the page and the admin commands. Every write is one committed
// transaction, so a server killed mid-write loses at most the request it was answering.
#include "server/uSqlDatabase.h"

#include <memory>
#include <string>
#include <vector>

namespace kelani::server {

// One accepted submission; texts are UTF-8.
struct Submission {
    int variant = 0;
    std::string name;
    std::string email;
    std::string land;         // country key as the game's list has it
    int pointsHundredths = 0; // the points percentage × 100 (6667 for 66.67 %)
    int opponentStones = 0;
    int moves = 0;
    int seconds = 0;
    // Played on the play service to the end, not posted by a player: the server saw every move.
    bool witnessed = false;
};

struct RankedEntry {
    int rank = 0;
    Submission entry;
};

// A stored entry as the operator sees it.
struct StoredEntry {
    long long id = 0;
    Submission entry;
    std::string address;
    std::string received;
};

// Which entries an admin command means; empty fields (and id 0, variant 0) match everything.
struct EntryFilter {
    long long id = 0;
    int variant = 0;
    std::string name;
    std::string email;
    std::string address;
    bool Empty() const { return id == 0 && variant == 0 && name.empty() && email.empty() && address.empty(); }
};

enum class AddOutcome {
    Stored,    // new and kept
    Known,     // the same result of the same player is already there (every send repeats all)
    Outranked, // not among the best few of its name, e-mail or address, or below the variant's cap
    Banned,    // its name, e-mail or address is banned
};

enum class BanKind { Name, Email, Address };

struct StoreLimits {
    // Per variant, one name and one e-mail address keep at most this many entries (their best).
    int keepPerPlayer = 3;
    // Per variant, the table keeps at most this many entries (the best).
    int variantCap = 10000;
    // Per variant, one address (an IPv6 address's /64) keeps at most this many: room for a
    // household's players, not for one player under ever new names. Posts from this machine
    // itself (loopback) are not counted: without the proxy that is every local player.
    int keepPerAddress = 10;
};

class HighscoreStore {
public:
    // Opens (creating when missing) a SQLite file or a "postgresql://" database. Throws StoreError.
    explicit HighscoreStore(const std::string& location, const StoreLimits& limits = {});

    // Stores the entry, then trims the player's and the variant's entries to their limits.
    AddOutcome Add(const Submission& s, const std::string& address = {});

    // The table of one variant, best first: higher points, then less time; at most `limit`; the
    // e-mail addresses left out. With `textChars`, names come cut to that many characters: a page
    // of long names then stays small.
    std::vector<RankedEntry> Top(int variant, int limit, int textChars = 0) const;
    int Count() const;

    // The admin commands: entries matching the filter (best first within each variant), deleting
    // them, and banning a name, e-mail or address (its entries go at once, later posts are refused).
    std::vector<StoredEntry> List(const EntryFilter& filter) const;
    int Delete(const EntryFilter& filter);
    int Ban(BanKind kind, const std::string& value);
    // Lifts a ban; false when there was none.
    bool Unban(BanKind kind, const std::string& value);
    // Every ban as kind ("name", "email", "address") and value.
    std::vector<std::pair<std::string, std::string>> Bans() const;

private:
    void Setup();
    std::unique_ptr<SqlDatabase> db_;
    StoreLimits limits_;
};

} // namespace kelani::server
