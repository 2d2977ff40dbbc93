#include "server/uHighscoreStore.h"

#include "server/uAddress.h"

#include <openssl/evp.h>

namespace kelani::server {
namespace {

// Names and addresses may be as long as a saved game holds (64 KiB): indexes and the uniqueness
// rule use their SHA-256 instead, which every database can index.
std::string Key(const std::string& text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(text.data(), text.size(), digest, &length, EVP_sha256(), nullptr);
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 15];
    }
    return hex;
}

const char* KindName(BanKind kind) {
    switch (kind) {
    case BanKind::Name:
        return "name";
    case BanKind::Email:
        return "email";
    case BanKind::Address:
        return "address";
    }
    return "";
}

constexpr const char* kIndexes[] = {
    "CREATE TABLE IF NOT EXISTS bans (kind TEXT NOT NULL, key TEXT NOT NULL, value TEXT NOT NULL, "
    "PRIMARY KEY (kind, key))",
    "CREATE UNIQUE INDEX IF NOT EXISTS identity ON entries "
    "(variant, name_key, email_key, points, opponent, moves, seconds)",
    "CREATE INDEX IF NOT EXISTS ranking ON entries (variant, points DESC, seconds ASC, id ASC)",
    "CREATE INDEX IF NOT EXISTS by_name ON entries (variant, name_key)",
    "CREATE INDEX IF NOT EXISTS by_email ON entries (variant, email_key)",
    "CREATE INDEX IF NOT EXISTS by_origin ON entries (variant, origin)",
};

const std::string kRankOrder = " ORDER BY points DESC, seconds ASC, id ASC";
// More characters than any stored text has.
constexpr long long kMaxTextChars = 1 << 30;

// Entries past the best `keep` of those matching `where` ($1 is the variant, $2 the key).
std::string TrimStatement(const std::string& where) {
    return "DELETE FROM entries WHERE variant = $1 AND " + where +
           " AND id NOT IN (SELECT id FROM entries WHERE variant = $1 AND " + where + kRankOrder +
           " LIMIT $3)";
}

// The filter as a WHERE clause over numbered parameters.
std::string Where(const EntryFilter& f, std::vector<SqlValue>& params) {
    std::string sql = " WHERE 1 = 1";
    auto add = [&](const char* clause, SqlValue value) {
        params.push_back(std::move(value));
        sql += std::string(" AND ") + clause + " = $" + std::to_string(params.size());
    };
    if (f.id != 0) add("id", f.id);
    if (f.variant != 0) add("variant", static_cast<long long>(f.variant));
    if (!f.name.empty()) add("name_key", Key(f.name));
    if (!f.email.empty()) add("email_key", Key(f.email));
    if (!f.address.empty()) add("address", f.address);
    return sql;
}

constexpr const char* kColumns = "SELECT id, variant, name, email, land, points, opponent, moves, seconds, "
                                 "address, received, witnessed FROM entries";

StoredEntry ToEntry(const SqlRow& r) {
    StoredEntry e;
    e.id = SqlInt(r[0]);
    e.entry = {static_cast<int>(SqlInt(r[1])),
               r[2],
               r[3],
               r[4],
               static_cast<int>(SqlInt(r[5])),
               static_cast<int>(SqlInt(r[6])),
               static_cast<int>(SqlInt(r[7])),
               static_cast<int>(SqlInt(r[8])),
               SqlInt(r[11]) != 0};
    e.address = r[9];
    e.received = r[10];
    return e;
}

} // namespace

HighscoreStore::HighscoreStore(const std::string& location, const StoreLimits& limits)
    : db_(OpenDatabase(location)), limits_(limits) {
    Setup();
}

void HighscoreStore::Setup() {
    db_->Transaction(true, [this](SqlSession& s) {
        db_->CreateEntriesTable(s);
        // Entries of the first release have no keys yet.
        for (const auto& row : s.Query("SELECT id, name, email FROM entries WHERE name_key = ''"))
            s.Query("UPDATE entries SET name_key = $1, email_key = $2 WHERE id = $3",
                    {Key(row[1]), Key(row[2]), SqlInt(row[0])});
        // Nor have those of the previous release their address groups.
        for (const auto& row : s.Query("SELECT id, address FROM entries WHERE origin = '' AND address <> ''"))
            s.Query("UPDATE entries SET origin = $1 WHERE id = $2", {AddressGroup(row[1]), SqlInt(row[0])});
        for (const char* sql : kIndexes) s.Query(sql);
    });
}

AddOutcome HighscoreStore::Add(const Submission& e, const std::string& address) {
    const std::string nameKey = Key(e.name), emailKey = Key(e.email);
    const long long variant = e.variant;
    AddOutcome outcome = AddOutcome::Stored;
    db_->Transaction(true, [&](SqlSession& s) {
        if (!s.Query("SELECT 1 FROM bans WHERE (kind = 'name' AND key = $1) OR (kind = 'email' AND key = $2) "
                     "OR (kind = 'address' AND key = $3)",
                     {nameKey, emailKey, Key(address)})
                 .empty()) {
            outcome = AddOutcome::Banned;
            return;
        }
        const auto inserted = s.Query(
            "INSERT INTO entries (variant, name, email, land, points, opponent, moves, seconds, address, "
            "name_key, email_key, origin, witnessed) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, "
            "$12, "
            "$13) ON CONFLICT DO NOTHING RETURNING id",
            {variant, e.name, e.email, e.land, static_cast<long long>(e.pointsHundredths),
             static_cast<long long>(e.opponentStones), static_cast<long long>(e.moves),
             static_cast<long long>(e.seconds), address, nameKey, emailKey, AddressGroup(address),
             static_cast<long long>(e.witnessed)});
        if (inserted.empty()) {
            // The player may have posted the same result from his game before the server entered it.
            if (e.witnessed)
                s.Query("UPDATE entries SET witnessed = 1 WHERE variant = $1 AND name_key = $2 AND email_key "
                        "= $3 "
                        "AND points = $4 AND opponent = $5 AND moves = $6 AND seconds = $7",
                        {variant, nameKey, emailKey, static_cast<long long>(e.pointsHundredths),
                         static_cast<long long>(e.opponentStones), static_cast<long long>(e.moves),
                         static_cast<long long>(e.seconds)});
            outcome = AddOutcome::Known;
            return;
        }
        s.Query(TrimStatement("name_key = $2"),
                {variant, nameKey, static_cast<long long>(limits_.keepPerPlayer)});
        s.Query(TrimStatement("email_key = $2"),
                {variant, emailKey, static_cast<long long>(limits_.keepPerPlayer)});
        if (!address.empty() && !IsLoopback(address))
            s.Query(TrimStatement("origin = $2"),
                    {variant, AddressGroup(address), static_cast<long long>(limits_.keepPerAddress)});
        const auto count = s.Query("SELECT COUNT(*) FROM entries WHERE variant = $1", {variant});
        if (SqlInt(count.at(0).at(0)) > limits_.variantCap)
            s.Query(TrimStatement("1 = $2"), {variant, 1LL, static_cast<long long>(limits_.variantCap)});
        if (s.Query("SELECT 1 FROM entries WHERE id = $1", {SqlInt(inserted[0][0])}).empty())
            outcome = AddOutcome::Outranked;
    });
    return outcome;
}

std::vector<RankedEntry> HighscoreStore::Top(int variant, int limit, int textChars) const {
    std::vector<RankedEntry> ranked;
    const long long chars = textChars > 0 ? textChars : kMaxTextChars;
    // The tables never show e-mail addresses: not reading them keeps a page of long ones fast.
    db_->Transaction(false, [&](SqlSession& s) {
        const auto rows = s.Query("SELECT id, variant, substr(name, 1, $1), '', land, points, opponent, "
                                  "moves, seconds, '', '', witnessed "
                                  "FROM entries WHERE variant = $2" +
                                      kRankOrder + " LIMIT $3",
                                  {chars, static_cast<long long>(variant), static_cast<long long>(limit)});
        for (const auto& row : rows)
            ranked.push_back({static_cast<int>(ranked.size()) + 1, ToEntry(row).entry});
    });
    return ranked;
}

int HighscoreStore::Count() const {
    int count = 0;
    db_->Transaction(false, [&](SqlSession& s) {
        count = static_cast<int>(SqlInt(s.Query("SELECT COUNT(*) FROM entries").at(0).at(0)));
    });
    return count;
}

std::vector<StoredEntry> HighscoreStore::List(const EntryFilter& filter) const {
    std::vector<StoredEntry> entries;
    db_->Transaction(false, [&](SqlSession& s) {
        std::vector<SqlValue> params;
        const std::string where = Where(filter, params);
        for (const auto& row :
             s.Query(kColumns + where + " ORDER BY variant, points DESC, seconds ASC, id ASC", params))
            entries.push_back(ToEntry(row));
    });
    return entries;
}

int HighscoreStore::Delete(const EntryFilter& filter) {
    if (filter.Empty()) throw StoreError("delete needs an entry, a name, an e-mail address or an address");
    int deleted = 0;
    db_->Transaction(true, [&](SqlSession& s) {
        std::vector<SqlValue> params;
        const std::string where = Where(filter, params);
        deleted = static_cast<int>(s.Query("DELETE FROM entries" + where + " RETURNING id", params).size());
    });
    return deleted;
}

int HighscoreStore::Ban(BanKind kind, const std::string& value) {
    if (value.empty()) throw StoreError("a ban needs a value");
    db_->Transaction(true, [&](SqlSession& s) {
        s.Query("INSERT INTO bans (kind, key, value) VALUES ($1, $2, $3) ON CONFLICT DO NOTHING",
                {std::string(KindName(kind)), Key(value), value});
    });
    EntryFilter filter;
    (kind == BanKind::Name ? filter.name : kind == BanKind::Email ? filter.email : filter.address) = value;
    return Delete(filter);
}

bool HighscoreStore::Unban(BanKind kind, const std::string& value) {
    bool lifted = false;
    db_->Transaction(true, [&](SqlSession& s) {
        lifted = !s.Query("DELETE FROM bans WHERE kind = $1 AND key = $2 RETURNING kind",
                          {std::string(KindName(kind)), Key(value)})
                      .empty();
    });
    return lifted;
}

std::vector<std::pair<std::string, std::string>> HighscoreStore::Bans() const {
    std::vector<std::pair<std::string, std::string>> bans;
    db_->Transaction(false, [&](SqlSession& s) {
        for (const auto& row : s.Query("SELECT kind, value FROM bans ORDER BY kind, value"))
            bans.emplace_back(row[0], row[1]);
    });
    return bans;
}

} // namespace kelani::server
