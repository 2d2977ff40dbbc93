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

} // namespace kelani::server
