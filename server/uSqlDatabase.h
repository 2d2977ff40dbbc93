#pragma once
// The little the highscore store needs from a SQL database: parameterised queries inside
// transactions. SQLite (one file, the zero-set-up default) and PostgreSQL (shared by several
// server instances) both understand the store's statements: parameters are written $1, $2, ...
// and appear first in that order.
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace kelani::server {

struct StoreError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

using SqlValue = std::variant<long long, std::string>;
using SqlRow = std::vector<std::string>; // every column as text

class SqlSession {
public:
    virtual ~SqlSession() = default;
    // Runs one statement; rows of its result, if any. Throws StoreError.
    virtual std::vector<SqlRow> Query(const std::string& sql, const std::vector<SqlValue>& params = {}) = 0;
};

class SqlDatabase {
public:
    virtual ~SqlDatabase() = default;
    // Runs `body` in one transaction, committed when it returns and rolled back when it throws.
    // Writing transactions are serialised across every process sharing the database, so a
    // read-then-trim inside one sees no other writer. A reading one sees a single state of the
    // database throughout, whatever others commit meanwhile.
    virtual void Transaction(bool write, const std::function<void(SqlSession&)>& body) = 0;
    // The statement creating the entries table in this database's dialect; columns added since
    // the first release are added to older tables.
    virtual void CreateEntriesTable(SqlSession& session) = 0;
};

// "postgresql://..." or "postgres://..." opens PostgreSQL; anything else is a SQLite file.
std::unique_ptr<SqlDatabase> OpenDatabase(const std::string& location);

long long SqlInt(const std::string& text);

// The entries table in a dialect: its id column and its time-of-arrival column differ.
std::string EntriesTableSql(const std::string& idColumn, const std::string& receivedColumn);

} // namespace kelani::server
