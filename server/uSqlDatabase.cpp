#include "server/uSqlDatabase.h"

#include "server/uPostgresDatabase.h"
#include "server/uSqliteDatabase.h"

namespace kelani::server {

std::unique_ptr<SqlDatabase> OpenDatabase(const std::string& location) {
    if (location.rfind("postgresql://", 0) == 0 || location.rfind("postgres://", 0) == 0)
        return std::make_unique<PostgresDatabase>(location);
    return std::make_unique<SqliteDatabase>(location);
}

long long SqlInt(const std::string& text) {
    try {
        return std::stoll(text);
    } catch (const std::exception&) {
        throw StoreError("database: a number column holds \"" + text + "\"");
    }
}

std::string EntriesTableSql(const std::string& idColumn, const std::string& receivedColumn) {
    return "CREATE TABLE IF NOT EXISTS entries (id " + idColumn +
           ", variant INTEGER NOT NULL, name TEXT NOT NULL, email TEXT NOT NULL, land TEXT NOT NULL, "
           "points INTEGER NOT NULL, opponent INTEGER NOT NULL, moves INTEGER NOT NULL, seconds INTEGER NOT "
           "NULL, "
           "received " +
           receivedColumn +
           ", address TEXT NOT NULL DEFAULT '', name_key TEXT NOT NULL DEFAULT '', "
           "email_key TEXT NOT NULL DEFAULT '', origin TEXT NOT NULL DEFAULT '', witnessed INTEGER NOT NULL "
           "DEFAULT 0)";
}

} // namespace kelani::server
