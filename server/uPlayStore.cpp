#include "server/uPlayStore.h"

#include "records/uTHighscore.h"
#include "server/uPlayCode.h"

#include <openssl/rand.h>

#include <cmath>

namespace kelani::server {
namespace {

constexpr const char* kTables[] = {
    "CREATE TABLE IF NOT EXISTS play_games (id TEXT PRIMARY KEY, code TEXT NOT NULL, variant BIGINT NOT "
    "NULL, "
    "stones BIGINT NOT NULL, head BIGINT NOT NULL, clock TEXT NOT NULL, seconds BIGINT NOT NULL, "
    "first BIGINT NOT NULL, name1 TEXT NOT NULL, email1 TEXT NOT NULL, country1 TEXT NOT NULL, "
    "address1 TEXT NOT NULL, name2 TEXT NOT NULL, email2 TEXT NOT NULL, country2 TEXT NOT NULL, "
    "address2 TEXT NOT NULL, token1 TEXT NOT NULL, token2 TEXT NOT NULL, state TEXT NOT NULL, "
    "reason TEXT NOT NULL, winner BIGINT NOT NULL, store1 BIGINT NOT NULL, store2 BIGINT NOT NULL, "
    "draw_offer BIGINT NOT NULL, online1 BIGINT NOT NULL, online2 BIGINT NOT NULL, left1 BIGINT NOT NULL, "
    "left2 BIGINT NOT NULL, used1 BIGINT NOT NULL, used2 BIGINT NOT NULL, turn_start BIGINT NOT NULL, "
    "recorded BIGINT NOT NULL, created BIGINT NOT NULL)",
    "CREATE UNIQUE INDEX IF NOT EXISTS play_code ON play_games (code)",
    "CREATE TABLE IF NOT EXISTS play_moves (game TEXT NOT NULL, n BIGINT NOT NULL, seat BIGINT NOT NULL, "
    "place BIGINT NOT NULL, clock1 BIGINT NOT NULL, clock2 BIGINT NOT NULL, PRIMARY KEY (game, n))",
    "CREATE TABLE IF NOT EXISTS play_events (game TEXT NOT NULL, seq BIGINT NOT NULL, seat BIGINT NOT NULL, "
    "kind TEXT NOT NULL, text TEXT NOT NULL, PRIMARY KEY (game, seq))",
    "CREATE TABLE IF NOT EXISTS play_misses (address TEXT NOT NULL, at BIGINT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS play_misses_by_address ON play_misses (address, at)",
};

// Tables of earlier releases lack the joiner's key (kept as its hash, NULL for a join without).
void AddJoinKey(SqlSession& s, bool postgres) {
    if (postgres) {
        s.Query("ALTER TABLE play_games ADD COLUMN IF NOT EXISTS key2 TEXT");
        return;
    }
    for (const auto& row : s.Query("SELECT name FROM pragma_table_info('play_games')"))
        if (row[0] == "key2") return;
    s.Query("ALTER TABLE play_games ADD COLUMN key2 TEXT");
}

constexpr const char* kGameColumns =
    "SELECT id, variant, stones, head, clock, seconds, first, name1, email1, country1, address1, name2, "
    "email2, "
    "country2, address2, state, reason, winner, store1, store2, draw_offer, online1, online2, left1, left2, "
    "used1, used2, turn_start FROM play_games WHERE id = $1";

int Int(const std::string& text) {
    return static_cast<int>(SqlInt(text));
}

GameRecord ToRecord(const SqlRow& r, PlayClocks& clocks) {
    GameRecord g;
    g.id = r[0];
    g.setup.variant = Int(r[1]);
    g.setup.stones = Int(r[2]);
    g.setup.head = Int(r[3]) != 0;
    ParseClockKind(r[4], g.setup.clock);
    g.setup.seconds = Int(r[5]);
    g.setup.first = Int(r[6]);
    g.players[0] = {r[7], r[8], r[9], r[10]};
    g.players[1] = {r[11], r[12], r[13], r[14]};
    g.state = r[15];
    g.reason = r[16];
    g.winner = Int(r[17]);
    g.stores = {SqlInt(r[18]), SqlInt(r[19])};
    g.drawOffer = Int(r[20]);
    g.online = {Int(r[21]) != 0, Int(r[22]) != 0};
    clocks.left = {SqlInt(r[23]), SqlInt(r[24])};
    clocks.used = {SqlInt(r[25]), SqlInt(r[26])};
    clocks.turnStart = SqlInt(r[27]);
    return g;
}

int DrawFirstSeat() {
    unsigned char byte = 0;
    if (RAND_bytes(&byte, 1) != 1) throw StoreError("the random generator failed");
    return 1 + (byte & 1);
}

// A highscore entry as the game makes one for a player at the end of a game.
Submission Entry(const GameRecord& g, const PlayGame& game, int seat) {
    const PlayerInfo& p = g.players[seat - 1];
    const long long own = g.stores[seat - 1], other = g.stores[2 - seat];
    Submission s;
    s.variant = g.setup.variant;
    s.name = p.name;
    s.email = p.email;
    s.land = p.country;
    s.pointsHundredths = static_cast<int>(std::llround(THighscore::Percent(own, own + other) * 100));
    s.opponentStones = static_cast<int>(other);
    s.moves = game.MovesOf(seat);
    s.seconds = static_cast<int>(game.Clocks().used[seat - 1] / 1000);
    s.witnessed = true;
    return s;
}

} // namespace

struct PlayStore::Live {
    GameRecord record;
    std::optional<PlayGame> game;
    std::vector<PlayedMove> moves;
};

PlayStore::PlayStore(const std::string& location, HighscoreStore& highscore, const PlayLimits& limits)
    : db_(OpenDatabase(location)), highscore_(highscore), limits_(limits),
      postgres_(location.rfind("postgres", 0) == 0), instance_(NewGameId()) {
    db_->Transaction(true, [this](SqlSession& s) {
        for (const char* sql : kTables) s.Query(sql);
        AddJoinKey(s, postgres_);
    });
}

void PlayStore::Announce(SqlSession& s, const std::string& game) {
    // Delivered when the transaction commits, and only then: "<game> <instance>".
    if (postgres_)
        s.Query(std::string("SELECT pg_notify('") + kPlayChannel + "', $1)", {game + ' ' + instance_});
}

std::optional<std::string> PlayStore::Foreign(const std::string& note) const {
    const size_t blank = note.find(' ');
    if (blank != std::string::npos && note.substr(blank + 1) == instance_) return std::nullopt;
    return note.substr(0, blank);
}

void PlayStore::Event(SqlSession& s, const std::string& game, int seat, const std::string& kind,
                      const std::string& text) {
    const auto last = s.Query("SELECT COALESCE(MAX(seq), 0) FROM play_events WHERE game = $1", {game});
    s.Query("INSERT INTO play_events (game, seq, seat, kind, text) VALUES ($1, $2, $3, $4, $5)",
            {game, SqlInt(last.at(0).at(0)) + 1, static_cast<long long>(seat), kind, text});
}

Created PlayStore::Create(PlaySetup setup, const PlayerInfo& creator, long long now) {
    const Created created{NewGameId(), NewInviteCode(), NewToken()};
    db_->Transaction(true, [&](SqlSession& s) {
        s.Query(
            "INSERT INTO play_games VALUES ($1, $2, $3, $4, $5, $6, $7, 1, $8, $9, $10, $11, '', '', '', '', "
            "$12, '', 'waiting', '', 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, $13, NULL)",
            {created.game, created.code, static_cast<long long>(setup.variant),
             static_cast<long long>(setup.stones), static_cast<long long>(setup.head),
             std::string(ClockKindName(setup.clock)), static_cast<long long>(setup.seconds), creator.name,
             creator.email, creator.country, creator.address, TokenHash(created.token), now});
    });
    return {created.game, ShownInviteCode(created.code), created.token};
}

bool PlayStore::RateLimited(SqlSession& s, const std::string& address, long long now) {
    const auto misses = s.Query("SELECT COUNT(*) FROM play_misses WHERE address = $1 AND at > $2",
                                {address, now - limits_.unknownWindow});
    return SqlInt(misses.at(0).at(0)) >= limits_.unknownCodes;
}

Joined PlayStore::Join(const std::string& typedCode, const PlayerInfo& joiner, const std::string& key,
                       long long now) {
    Joined joined;
    db_->Transaction(true, [&](SqlSession& s) {
        if (RateLimited(s, joiner.address, now)) {
            joined.error = "rate-limited";
            return;
        }
        const auto code = NormalInviteCode(typedCode);
        const auto rows = code ? s.Query("SELECT id, state, key2 FROM play_games WHERE code = $1", {*code})
                               : std::vector<SqlRow>{};
        if (rows.empty()) {
            s.Query("DELETE FROM play_misses WHERE at <= $1", {now - limits_.unknownWindow});
            s.Query("INSERT INTO play_misses (address, at) VALUES ($1, $2)", {joiner.address, now});
            joined.error = "unknown-code";
            return;
        }
        joined.game = rows[0][0];
        joined.token = NewToken();
        if (rows[0][1] != "waiting") {
            // The joiner whose answer was lost asks again with the same key: the seat is his, with a
            // new token in place of the one he never received.
            if (key.empty() || rows[0][2] != TokenHash(key)) {
                joined = {"game-full", "", ""};
                return;
            }
            s.Query("UPDATE play_games SET token2 = $1 WHERE id = $2",
                    {TokenHash(joined.token), joined.game});
            return;
        }
        Live live = Read(s, joined.game);
        live.record.players[1] = joiner;
        live.record.setup.first = DrawFirstSeat();
        live.record.state = "playing";
        live.game.emplace(live.record.setup, now);
        Save(s, live);
        s.Query("UPDATE play_games SET name2 = $1, email2 = $2, country2 = $3, address2 = $4, token2 = $5, "
                "first = $6, key2 = NULLIF($7, '') WHERE id = $8",
                {joiner.name, joiner.email, joiner.country, joiner.address, TokenHash(joined.token),
                 static_cast<long long>(live.record.setup.first),
                 key.empty() ? std::string() : TokenHash(key), joined.game});
        Event(s, joined.game, 2, "start", "");
        Announce(s, joined.game);
    });
    return joined;
}

int PlayStore::Seat(const std::string& game, const std::string& token) {
    int seat = 0;
    const std::string hash = TokenHash(token);
    db_->Transaction(false, [&](SqlSession& s) {
        const auto rows = s.Query("SELECT token1, token2 FROM play_games WHERE id = $1", {game});
        if (rows.empty()) return;
        if (rows[0][0] == hash) seat = 1;
        if (!rows[0][1].empty() && rows[0][1] == hash) seat = 2;
    });
    return seat;
}

PlayStore::Live PlayStore::Read(SqlSession& s, const std::string& game) {
    Live live;
    const auto rows = s.Query(kGameColumns, {game});
    if (rows.empty()) return live;
    PlayClocks clocks;
    live.record = ToRecord(rows[0], clocks);
    if (live.record.state == "waiting") return live;
    std::vector<int> places;
    for (const auto& r : s.Query(
             "SELECT n, seat, place, clock1, clock2 FROM play_moves WHERE game = $1 ORDER BY n", {game})) {
        live.moves.push_back({Int(r[0]), Int(r[1]), Int(r[2]), {SqlInt(r[3]), SqlInt(r[4])}});
        places.push_back(live.moves.back().place);
    }
    live.game.emplace(live.record.setup, clocks.turnStart);
    live.game->Replay(places);
    live.game->Clocks() = clocks;
    live.record.moves = live.game->Moves();
    return live;
}

void PlayStore::Save(SqlSession& s, const Live& live) {
    const GameRecord& g = live.record;
    const PlayClocks& c = live.game->Clocks();
    s.Query(
        "UPDATE play_games SET state = $1, reason = $2, winner = $3, store1 = $4, store2 = $5, "
        "draw_offer = $6, left1 = $7, left2 = $8, used1 = $9, used2 = $10, turn_start = $11 WHERE id = $12",
        {g.state, g.reason, static_cast<long long>(g.winner), g.stores[0], g.stores[1],
         static_cast<long long>(g.drawOffer), c.left[0], c.left[1], c.used[0], c.used[1], c.turnStart, g.id});
}

void PlayStore::EndGame(Live& live, const std::string& reason, int winner) {
    live.record.state = "over";
    live.record.reason = reason;
    live.record.winner = winner;
    live.record.drawOffer = 0;
    live.record.stores = {live.game->Board().Store1(), live.game->Board().Store2()};
}

std::string PlayStore::Change(const std::string& game, long long now,
                              const std::function<std::string(SqlSession&, Live&)>& body) {
    std::string error;
    bool ended = false;
    db_->Transaction(true, [&](SqlSession& s) {
        Live live = Read(s, game);
        if (!live.game) {
            error = "game-over"; // not started yet: nothing to play
            return;
        }
        if (live.record.state != "playing") {
            error = "game-over";
            return;
        }
        const long long deadline = live.game->Deadline();
        if (deadline != 0 && now >= deadline) {
            // The player to move ran out before this arrived: the clock decided first.
            EndGame(live, "time", 3 - live.game->ToMove());
            live.game->Clocks().left[live.game->ToMove() - 1] = 0;
            error = "game-over";
        } else {
            error = body(s, live);
        }
        if (error.empty() || live.record.state == "over") {
            Save(s, live);
            Announce(s, game);
        }
        ended = live.record.state == "over";
    });
    if (ended) RecordResults();
    return error;
}

std::string PlayStore::Move(const std::string& game, int seat, long long n, long long place, long long now) {
    return Change(game, now, [&](SqlSession& s, Live& live) {
        if (std::string refusal = live.game->Refusal(seat, n, place); !refusal.empty()) return refusal;
        live.game->Play(static_cast<int>(place), now);
        const auto clocks = live.game->ClocksAt(now);
        s.Query(
            "INSERT INTO play_moves (game, n, seat, place, clock1, clock2) VALUES ($1, $2, $3, $4, $5, $6)",
            {game, n, static_cast<long long>(seat), place, clocks[0], clocks[1]});
        live.record.drawOffer = 0; // a move answers an offer as a decline
        if (live.game->BoardOver()) EndGame(live, "board", live.game->Board().Leader());
        return std::string();
    });
}

std::string PlayStore::Resign(const std::string& game, int seat, long long now) {
    return Change(game, now, [&](SqlSession&, Live& live) {
        EndGame(live, "resign", 3 - seat);
        return std::string();
    });
}

std::string PlayStore::Draw(const std::string& game, int seat, const std::string& action, long long now) {
    return Change(game, now, [&](SqlSession& s, Live& live) {
        const int other = 3 - seat;
        if (action == "accept" || action == "decline") {
            if (live.record.drawOffer != other) return std::string("bad-request");
            live.record.drawOffer = 0;
            if (action == "accept")
                EndGame(live, "draw", 0);
            else
                Event(s, game, seat, "draw", action);
            return std::string();
        }
        if (action != "offer" || live.record.drawOffer == seat) return std::string("bad-request");
        live.record.drawOffer = seat;
        Event(s, game, seat, "draw", action);
        return std::string();
    });
}

std::string PlayStore::Chat(const std::string& game, int seat, const std::string& text) {
    std::string error;
    db_->Transaction(true, [&](SqlSession& s) {
        const auto rows = s.Query("SELECT state FROM play_games WHERE id = $1", {game});
        if (rows.empty() || rows[0][0] == "waiting") {
            error = "bad-request";
            return;
        }
        Event(s, game, seat, "chat", text);
        Announce(s, game);
    });
    return error;
}

void PlayStore::SetOnline(const std::string& game, int seat, bool online) {
    db_->Transaction(true, [&](SqlSession& s) {
        s.Query("UPDATE play_games SET online" + std::to_string(seat) + " = $1 WHERE id = $2",
                {static_cast<long long>(online), game});
        Event(s, game, seat, "presence", online ? "1" : "0");
        Announce(s, game);
    });
}

bool PlayStore::Expire(const std::string& game, long long now) {
    return Change(game, now, [](SqlSession&, Live&) { return std::string("not-yet"); }) == "game-over";
}

std::optional<GameRecord> PlayStore::Load(const std::string& game) {
    std::optional<GameRecord> record;
    db_->Transaction(false, [&](SqlSession& s) {
        Live live = Read(s, game);
        if (!live.record.id.empty()) record = live.record;
    });
    return record;
}

PlayNews PlayStore::News(const std::string& game, long long afterEvent, int afterMove, long long now) {
    PlayNews news;
    db_->Transaction(false, [&](SqlSession& s) {
        Live live = Read(s, game);
        if (live.record.id.empty()) return;
        news.record = live.record;
        if (live.game) news.clocks = live.game->ClocksAt(now);
        if (live.game && live.record.state == "playing") news.deadline = live.game->Deadline();
        for (const PlayedMove& m : live.moves)
            if (m.n > afterMove) news.moves.push_back(m);
        for (const auto& r :
             s.Query("SELECT seq, seat, kind, text FROM play_events WHERE game = $1 AND seq > $2 "
                     "ORDER BY seq",
                     {game, afterEvent}))
            news.events.push_back({SqlInt(r[0]), Int(r[1]), r[2], r[3]});
        news.lastEvent = SqlInt(
            s.Query("SELECT COALESCE(MAX(seq), 0) FROM play_events WHERE game = $1", {game}).at(0).at(0));
    });
    return news;
}

void PlayStore::RecordResults() {
    std::vector<std::pair<Submission, std::string>> entries;
    std::vector<std::string> games;
    db_->Transaction(false, [&](SqlSession& s) {
        for (const auto& row : s.Query("SELECT id FROM play_games WHERE state = 'over' AND recorded = 0")) {
            Live live = Read(s, row[0]);
            games.push_back(row[0]);
            const GameRecord& g = live.record;
            // The board's end enters both players, as the game enters both humans; a resignation or a
            // clock only the winner. An agreed draw decided nothing worth a place.
            for (const int seat : {1, 2}) {
                const bool entered = g.reason == "board" || (g.winner == seat && g.reason != "draw");
                if (entered && g.setup.variant >= 4)
                    entries.emplace_back(Entry(g, *live.game, seat), g.players[seat - 1].address);
            }
        }
    });
    for (const auto& [entry, address] : entries) highscore_.Add(entry, address);
    for (const auto& game : games)
        db_->Transaction(true, [&](SqlSession& s) {
            s.Query("UPDATE play_games SET recorded = 1 WHERE id = $1", {game});
        });
}

} // namespace kelani::server
