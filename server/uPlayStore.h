#pragma once
// The online games in the database: every change is one committed transaction, so a server killed
// at any moment loses nothing it acknowledged, and every instance sharing the database judges a
// game from the same rows. On PostgreSQL each change is announced with NOTIFY kelani_play.
#include "server/uHighscoreStore.h"
#include "server/uPlayGame.h"
#include "server/uSqlDatabase.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelani::server {

inline constexpr const char* kPlayChannel = "kelani_play";

struct PlayerInfo {
    std::string name;
    std::string email;
    std::string country;
    std::string address; // never shown: the highscore table keeps it as it keeps posters'
};

// A game as the table holds it.
struct GameRecord {
    std::string id;
    PlaySetup setup;
    std::array<PlayerInfo, 2> players;
    std::string state; // "waiting", "playing", "over"
    std::string reason;
    int winner = 0;
    std::array<long long, 2> stores{0, 0};
    int drawOffer = 0; // the seat whose draw offer stands
    std::array<bool, 2> online{false, false};
    int moves = 0;
};

struct PlayedMove {
    int n = 0;
    int seat = 0;
    int place = 0;
    std::array<long long, 2> clocks{0, 0};
};

// What the seats are told besides moves: "start", "presence", "chat", "draw".
struct PlayEvent {
    long long seq = 0;
    int seat = 0;
    std::string kind;
    std::string text;
};

// What a seat has not heard of a game yet, all read from one state of the database: a join or a
// move committed by another instance cannot fall between the reads of its parts.
struct PlayNews {
    std::optional<GameRecord> record; // nothing when there is no such game
    std::vector<PlayEvent> events;    // after the event asked for
    std::vector<PlayedMove> moves;    // after the move asked for
    long long lastEvent = 0;
    std::array<long long, 2> clocks{0, 0}; // left at the time asked for
    long long deadline = 0;                // when the seat to move runs out, 0 for no clock
};

struct Created {
    std::string game, code, token;
};

// A join's answer: `error` is a protocol error code, or empty with the game and seat 2's token.
struct Joined {
    std::string error, game, token;
};

struct PlayLimits {
    int unknownCodes = 10;            // per address ...
    long long unknownWindow = 600000; // ... within this many milliseconds
};

class PlayStore {
public:
    // Opens the database the highscore uses (creating the game tables); finished games go into
    // `highscore` as witnessed results. Throws StoreError.
    PlayStore(const std::string& location, HighscoreStore& highscore, const PlayLimits& limits = {});

    Created Create(PlaySetup setup, const PlayerInfo& creator, long long now);
    // The first seat is drawn here, when the game starts. `key` (empty for none) is the joiner's:
    // the same key takes seat 2 of the full game again, with a new token.
    Joined Join(const std::string& typedCode, const PlayerInfo& joiner, const std::string& key,
                long long now);
    // The seat this token holds in the game, 0 for none.
    int Seat(const std::string& game, const std::string& token);

    // Each returns a protocol error code, empty when done.
    std::string Move(const std::string& game, int seat, long long n, long long place, long long now);
    std::string Resign(const std::string& game, int seat, long long now);
    std::string Draw(const std::string& game, int seat, const std::string& action, long long now);
    std::string Chat(const std::string& game, int seat, const std::string& text);
    void SetOnline(const std::string& game, int seat, bool online);
    // Ends the game "time" when the seat to move has run out by `now`; true when it did.
    bool Expire(const std::string& game, long long now);

    std::optional<GameRecord> Load(const std::string& game);
    // The events after `afterEvent` and the moves after `afterMove`, with the game row.
    PlayNews News(const std::string& game, long long afterEvent, int afterMove, long long now);

    // Enters every finished game not yet in the highscore table (after a crash between the two).
    void RecordResults();

    // The game a notification of the play channel names; nothing when this store announced it
    // itself, as its own instance has relayed that change already.
    std::optional<std::string> Foreign(const std::string& note) const;

private:
    struct Live; // a game row with its position replayed, inside one transaction
    std::string Change(const std::string& game, long long now,
                       const std::function<std::string(SqlSession&, Live&)>& body);
    Live Read(SqlSession& s, const std::string& game);
    void Save(SqlSession& s, const Live& live);
    void Event(SqlSession& s, const std::string& game, int seat, const std::string& kind,
               const std::string& text);
    void Announce(SqlSession& s, const std::string& game);
    void EndGame(Live& live, const std::string& reason, int winner);
    bool RateLimited(SqlSession& s, const std::string& address, long long now);

    std::unique_ptr<SqlDatabase> db_;
    HighscoreStore& highscore_;
    PlayLimits limits_;
    bool postgres_ = false;
    std::string instance_; // names this store's announcements
};

} // namespace kelani::server
