#pragma once
// PostgreSQL through libpq, for several stateless server instances sharing one database. Every
// write runs under one transaction-scoped advisory lock, so the per-player and per-variant trims
// see no concurrent writer; commits are synchronous, so an acknowledged entry is on disk.
#include "server/uSqlDatabase.h"

#include <mutex>

struct pg_conn;

namespace kelani::server {

class PostgresDatabase : public SqlDatabase {
public:
    // `conninfo` is a libpq connection URI ("postgresql://user@host:port/db"). Throws StoreError.
    explicit PostgresDatabase(const std::string& conninfo);
    ~PostgresDatabase() override;
    PostgresDatabase(const PostgresDatabase&) = delete;
    PostgresDatabase& operator=(const PostgresDatabase&) = delete;

    void Transaction(bool write, const std::function<void(SqlSession&)>& body) override;
    void CreateEntriesTable(SqlSession& session) override;

private:
    pg_conn* Acquire();
    void Release(pg_conn* connection);

    std::string conninfo_;
    std::mutex mutex_;
    std::vector<pg_conn*> idle_; // one connection per worker thread that has needed one
};

} // namespace kelani::server
