#pragma once
// The embedded default: one SQLite file in WAL mode. A commit survives the process being killed;
// the operator's admin commands open the same file while the server runs.
#include "server/uSqlDatabase.h"

#include <mutex>

struct sqlite3;

namespace kelani::server {

class SqliteDatabase : public SqlDatabase {
public:
    explicit SqliteDatabase(const std::string& path);
    ~SqliteDatabase() override;
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    void Transaction(bool write, const std::function<void(SqlSession&)>& body) override;
    void CreateEntriesTable(SqlSession& session) override;

private:
    sqlite3* db_ = nullptr;
    std::mutex mutex_; // one connection, shared by the server's worker threads
};

} // namespace kelani::server
