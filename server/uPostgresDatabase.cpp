#include "server/uPostgresDatabase.h"

#include <libpq-fe.h>

namespace kelani::server {
namespace {

// Any fixed number: the key of the advisory lock every writer of the highscore takes.
constexpr const char* kWriteLock = "SELECT pg_advisory_xact_lock(16016)";

class PostgresSession : public SqlSession {
public:
    explicit PostgresSession(PGconn* connection) : connection_(connection) {}
    std::vector<SqlRow> Query(const std::string& sql, const std::vector<SqlValue>& params) override {
        std::vector<std::string> texts;
        for (const auto& value : params)
            texts.push_back(std::holds_alternative<long long>(value)
                                ? std::to_string(std::get<long long>(value))
                                : std::get<std::string>(value));
        std::vector<const char*> values;
        for (const auto& text : texts) values.push_back(text.c_str());
        PGresult* result = PQexecParams(connection_, sql.c_str(), static_cast<int>(values.size()), nullptr,
                                        values.data(), nullptr, nullptr, 0);
        const auto status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            const std::string message = PQresultErrorMessage(result);
            PQclear(result);
            throw StoreError("database: " + message);
        }
        std::vector<SqlRow> rows(static_cast<size_t>(PQntuples(result)));
        for (int r = 0; r < PQntuples(result); ++r)
            for (int c = 0; c < PQnfields(result); ++c)
                rows[r].emplace_back(PQgetvalue(result, r, c),
                                     static_cast<size_t>(PQgetlength(result, r, c)));
        PQclear(result);
        return rows;
    }

private:
    PGconn* connection_;
};

} // namespace

PostgresDatabase::PostgresDatabase(const std::string& conninfo) : conninfo_(conninfo) {
    Release(Acquire()); // refuse to start when the database cannot be reached
}

PostgresDatabase::~PostgresDatabase() {
    for (PGconn* connection : idle_) PQfinish(connection);
}

PGconn* PostgresDatabase::Acquire() {
    {
        std::lock_guard lock(mutex_);
        if (!idle_.empty()) {
            PGconn* connection = idle_.back();
            idle_.pop_back();
            if (PQstatus(connection) == CONNECTION_OK) return connection;
            PQfinish(connection); // the database restarted: connect afresh
        }
    }
    PGconn* connection = PQconnectdb(conninfo_.c_str());
    if (PQstatus(connection) != CONNECTION_OK) {
        const std::string message = PQerrorMessage(connection);
        PQfinish(connection);
        throw StoreError("cannot connect to PostgreSQL: " + message);
    }
    PQclear(PQexec(connection, "SET client_encoding = 'UTF8'; SET client_min_messages = warning"));
    return connection;
}

void PostgresDatabase::Release(PGconn* connection) {
    std::lock_guard lock(mutex_);
    idle_.push_back(connection);
}

void PostgresDatabase::Transaction(bool write, const std::function<void(SqlSession&)>& body) {
    PGconn* connection = Acquire();
    PostgresSession postgres(connection);
    SqlSession& session = postgres;
    try {
        // A reader sees one snapshot throughout, as a SQLite reader does: a row and the rows
        // that belong with it are never read from either side of another instance's commit.
        session.Query(write ? "BEGIN" : "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
        if (write) session.Query(kWriteLock);
        body(session);
        session.Query("COMMIT");
    } catch (...) {
        PQclear(PQexec(connection, "ROLLBACK"));
        Release(connection);
        throw;
    }
    Release(connection);
}

void PostgresDatabase::CreateEntriesTable(SqlSession& session) {
    session.Query(EntriesTableSql("BIGSERIAL PRIMARY KEY", "TIMESTAMPTZ NOT NULL DEFAULT now()"));
    // Tables of earlier releases lack the address group and the witness mark.
    session.Query("ALTER TABLE entries ADD COLUMN IF NOT EXISTS origin TEXT NOT NULL DEFAULT ''");
    session.Query("ALTER TABLE entries ADD COLUMN IF NOT EXISTS witnessed INTEGER NOT NULL DEFAULT 0");
}

} // namespace kelani::server
