#pragma once
// The worldwide table on disk: one SQLite database in WAL mode. Every write is one committed
// transaction, so a server killed mid-write loses at most the request it was answering.
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace kelani::server {

struct StoreError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

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
};

struct RankedEntry {
    int rank = 0;
    Submission entry;
};

class HighscoreStore {
public:
    // Opens (creating when missing) the database file and its schema. Throws StoreError.
    explicit HighscoreStore(const std::string& path);
    ~HighscoreStore();
    HighscoreStore(const HighscoreStore&) = delete;
    HighscoreStore& operator=(const HighscoreStore&) = delete;

    // Stores the entry unless the same player already has the same result in that variant
    // (every send from the game repeats its whole tables). Returns true when it was new.
    bool Add(const Submission& s);

    // The table of one variant, best first: higher points, then less time; at most `limit`.
    std::vector<RankedEntry> Top(int variant, int limit) const;

    int Count() const;

private:
    void Exec(const char* sql) const;
    sqlite3* db_ = nullptr;
    mutable std::mutex mutex_; // one connection, shared by the server's worker threads
};

} // namespace kelani::server
