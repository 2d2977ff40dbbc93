#include "server/uHighscoreStore.h"

#include <sqlite3.h>

namespace kelani::server {
namespace {

// A prepared statement that finalises itself; every value reaches SQLite through a binding.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            throw StoreError(std::string("database: ") + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void Bind(int index, int value) { sqlite3_bind_int(stmt_, index, value); }
    void Bind(int index, const std::string& text) {
        sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    // True while a row is available; throws on an error.
    bool Step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        throw StoreError(std::string("database: ") + sqlite3_errmsg(db_));
    }
    int Int(int column) const { return sqlite3_column_int(stmt_, column); }
    std::string Text(int column) const {
        const auto* p = sqlite3_column_text(stmt_, column);
        return p ? std::string(reinterpret_cast<const char*>(p), sqlite3_column_bytes(stmt_, column)) : "";
    }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS entries (
  id INTEGER PRIMARY KEY,
  variant INTEGER NOT NULL,
  name TEXT NOT NULL,
  email TEXT NOT NULL,
  land TEXT NOT NULL,
  points INTEGER NOT NULL,
  opponent INTEGER NOT NULL,
  moves INTEGER NOT NULL,
  seconds INTEGER NOT NULL,
  received TEXT NOT NULL DEFAULT (datetime('now')),
  UNIQUE (variant, name, email, points, opponent, moves, seconds)
);
CREATE INDEX IF NOT EXISTS ranking ON entries (variant, points DESC, seconds ASC);
)";

} // namespace

HighscoreStore::HighscoreStore(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw StoreError("cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(db_, 5000);
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=NORMAL"); // WAL: a commit survives the process being killed
    Exec(kSchema);
}

HighscoreStore::~HighscoreStore() {
    sqlite3_close(db_);
}

void HighscoreStore::Exec(const char* sql) const {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw StoreError("database: " + message);
    }
}

bool HighscoreStore::Add(const Submission& s) {
    std::lock_guard lock(mutex_);
    Statement insert(db_, "INSERT OR IGNORE INTO entries "
                          "(variant, name, email, land, points, opponent, moves, seconds) "
                          "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    insert.Bind(1, s.variant);
    insert.Bind(2, s.name);
    insert.Bind(3, s.email);
    insert.Bind(4, s.land);
    insert.Bind(5, s.pointsHundredths);
    insert.Bind(6, s.opponentStones);
    insert.Bind(7, s.moves);
    insert.Bind(8, s.seconds);
    insert.Step();
    return sqlite3_changes(db_) > 0;
}

std::vector<RankedEntry> HighscoreStore::Top(int variant, int limit) const {
    std::lock_guard lock(mutex_);
    Statement query(db_, "SELECT name, email, land, points, opponent, moves, seconds FROM entries "
                         "WHERE variant = ?1 ORDER BY points DESC, seconds ASC, id ASC LIMIT ?2");
    query.Bind(1, variant);
    query.Bind(2, limit);
    std::vector<RankedEntry> rows;
    while (query.Step()) {
        RankedEntry row;
        row.rank = static_cast<int>(rows.size()) + 1;
        row.entry = {variant,      query.Text(0), query.Text(1), query.Text(2),
                     query.Int(3), query.Int(4),  query.Int(5),  query.Int(6)};
        rows.push_back(std::move(row));
    }
    return rows;
}

int HighscoreStore::Count() const {
    std::lock_guard lock(mutex_);
    Statement query(db_, "SELECT COUNT(*) FROM entries");
    return query.Step() ? query.Int(0) : 0;
}

} // namespace kelani::server
