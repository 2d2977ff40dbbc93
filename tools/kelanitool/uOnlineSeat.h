#pragma once
// One seat of an online game played by the computer over a WebSocket on an Asio event loop: it
// creates or joins the game, answers every move of the other seat with its own, and takes its
// seat again (resume with the last move it has) whenever the connection drops, with a bounded
// back-off, until the game ends or the connection stays away too long. Many seats share one loop.
#include "game/uTFeld.h"
#include "tools/kelanitool/uOnlineMessage.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace boost::asio {
class io_context;
}

namespace kelani::tool {

struct TOnlineUrl {
    std::string host;
    std::string port;
    std::string target;
};

// "ws://HOST[:PORT][/PATH]" (port 80, path /play when absent); throws std::invalid_argument.
TOnlineUrl ParseOnlineUrl(const std::string& url);

enum class TSeatOutcome { Playing, Finished, Refused, GaveUp, Broken };

// What a seat knows of its game; at the end also how it ended for this seat.
struct TOnlineSummary {
    std::string game;
    std::string code;
    std::string token;
    int seat = 0;
    int first = 0;
    std::vector<int> moves; // the places sown, in order (passes are not moves)
    int winner = -1;
    std::string reason;
    std::vector<long long> stores;
    int reconnects = 0;
    TSeatOutcome outcome = TSeatOutcome::Playing;
    std::string problem; // the refusal or failure in words, when not Finished
};

struct TOnlineSeatConfig {
    TOnlineUrl url;
    // Exactly one way in: create a game, join by invite code, or only read a game again
    // (resume from its start with a seat's token, never moving).
    std::optional<TOnlineGameOptions> create;
    std::string code;
    std::optional<std::pair<std::string, std::string>> reread; // game, token
    TOnlinePlayer player;
    std::function<int(const TFeld&)> choose; // the place to sow for the player to move
    std::chrono::milliseconds giveUp{120'000};
    std::chrono::milliseconds idle{20'000}; // silence after which the connection counts as lost
    std::chrono::milliseconds think{0};     // pause before each own move (100 ms at least)
    // Hooks: the invite code is known; own move n sent; move n of `seat` arrived; the seat is
    // done (finished, refused, gave up).
    std::function<void(const TOnlineSummary&)> onCreated;
    std::function<void(int n)> onSent;
    std::function<void(int n, int seat)> onMove;
    std::function<void(const TOnlineSummary&)> onDone;
};

class TOnlineSeat {
public:
    TOnlineSeat(boost::asio::io_context& io, TOnlineSeatConfig config);
    ~TOnlineSeat();
    TOnlineSeat(const TOnlineSeat&) = delete;
    TOnlineSeat& operator=(const TOnlineSeat&) = delete;

    void Start();
    // Ends a seat still playing without calling onDone (its owner gives the game up).
    void Stop();
    const TOnlineSummary& Summary() const;

private:
    class Impl;
    std::shared_ptr<Impl> impl_;
};

} // namespace kelani::tool
