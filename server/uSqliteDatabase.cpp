#include "server/uSqliteDatabase.h"

#include <sqlite3.h>

namespace kelani::server {
namespace {

class Statement {
public:
    Statement(sqlite3* db, const std::string& sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) Fail();
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void Bind(int index, const SqlValue& value) {
        if (const auto* number = std::get_if<long long>(&value))
            sqlite3_bind_int64(stmt_, index, *number);
        else {
            const auto& text = std::get<std::string>(value);
            sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        }
    }
    std::vector<SqlRow> Run() {
        std::vector<SqlRow> rows;
        for (int rc; (rc = sqlite3_step(stmt_)) != SQLITE_DONE;) {
            if (rc != SQLITE_ROW) Fail();
            SqlRow row;
            for (int c = 0; c < sqlite3_column_count(stmt_); ++c) {
                const auto* text = sqlite3_column_text(stmt_, c);
                row.emplace_back(text ? reinterpret_cast<const char*>(text) : "",
                                 static_cast<size_t>(sqlite3_column_bytes(stmt_, c)));
            }
            rows.push_back(std::move(row));
        }
        return rows;
    }

private:
    [[noreturn]] void Fail() const { throw StoreError(std::string("database: ") + sqlite3_errmsg(db_)); }
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

class SqliteSession : public SqlSession {
public:
    explicit SqliteSession(sqlite3* db) : db_(db) {}
    std::vector<SqlRow> Query(const std::string& sql, const std::vector<SqlValue>& params) override {
        Statement statement(db_, sql);
        for (size_t i = 0; i < params.size(); ++i) statement.Bind(static_cast<int>(i) + 1, params[i]);
        return statement.Run();
    }

private:
    sqlite3* db_;
};

} // namespace

SqliteDatabase::SqliteDatabase(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw StoreError("cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(db_, 10000); // the admin commands write from another process
    SqliteSession sqlite(db_);
    SqlSession& session = sqlite;
    session.Query("PRAGMA journal_mode=WAL");
    session.Query("PRAGMA synchronous=NORMAL"); // WAL: a commit survives the process being killed
}

SqliteDatabase::~SqliteDatabase() {
    sqlite3_close(db_);
}

void SqliteDatabase::Transaction(bool write, const std::function<void(SqlSession&)>& body) {
    std::lock_guard lock(mutex_);
    SqliteSession sqlite(db_);
    SqlSession& session = sqlite;
    // IMMEDIATE takes the write lock at once: a later upgrade could fail with SQLITE_BUSY.
    session.Query(write ? "BEGIN IMMEDIATE" : "BEGIN");
    try {
        body(session);
        session.Query("COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void SqliteDatabase::CreateEntriesTable(SqlSession& session) {
    session.Query(EntriesTableSql("INTEGER PRIMARY KEY", "TEXT NOT NULL DEFAULT (datetime('now'))"));
    // Tables of earlier releases lack some of the last five columns.
    const auto columns = session.Query("SELECT name FROM pragma_table_info('entries')");
    for (const char* column : {"address TEXT NOT NULL DEFAULT ''", "name_key TEXT NOT NULL DEFAULT ''",
                               "email_key TEXT NOT NULL DEFAULT ''", "origin TEXT NOT NULL DEFAULT ''",
                               "witnessed INTEGER NOT NULL DEFAULT 0"}) {
        const std::string name = std::string(column).substr(0, std::string(column).find(' '));
        bool present = false;
        for (const auto& row : columns) present = present || row[0] == name;
        if (!present) session.Query(std::string("ALTER TABLE entries ADD COLUMN ") + column);
    }
}

} // namespace kelani::server
