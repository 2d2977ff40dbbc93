#pragma once
// The play service on the network: WebSocket connections at /play (Boost.Beast on one Asio
// thread), each speaking for at most one seat of one game. The database is the truth: a
// connection applies its player's requests through the store and relays to its player whatever
// the store holds that he has not seen, when told that a game changed (by this instance or, on
// PostgreSQL, by a NOTIFY from another).
#include "server/uPlayStore.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace kelani::server {

struct PlayOptions {
    int connections = 1000;
    bool behindProxy = false;
    std::chrono::milliseconds ping{20000};  // a ping this often ...
    std::chrono::milliseconds idle{60000};  // ... and closed after this long without a word
    std::chrono::milliseconds hello{10000}; // time to upgrade and send create, join or resume
    int framesPerSecond = 20;
};

class PlaySession;

class PlayService {
public:
    PlayService(boost::asio::io_context& io, PlayStore& store, const PlayOptions& options);
    ~PlayService();
    // Listens; the port (the chosen one for 0), -1 when it cannot.
    int Bind(const std::string& address, int port);
    void Start();
    // Tells every connection of this game here what is new for it.
    void Relay(const std::string& game);
    // Every game with a connection here (after the notifications were interrupted).
    void RelayAll();

    // For the sessions.
    PlayStore& Store() { return store_; }
    const PlayOptions& Options() const { return options_; }
    boost::asio::io_context& Io() { return io_; }
    void Attach(PlaySession* session, const std::string& game);
    void Detach(PlaySession* session, const std::string& game);
    // Whether a connection here holds this seat of the game.
    bool Holds(const std::string& game, int seat) const;
    void Closed() { --open_; }

private:
    void Accept();
    void Welcome(boost::asio::ip::tcp::socket socket);
    void ArmClock(const std::string& game, long long deadline);

    boost::asio::io_context& io_;
    PlayStore& store_;
    PlayOptions options_;
    boost::asio::ip::tcp::acceptor acceptor_;
    int open_ = 0;
    std::map<std::string, std::set<PlaySession*>> games_;
    std::map<std::string, std::unique_ptr<boost::asio::steady_timer>> clocks_;
};

// Milliseconds of the wall clock: every instance reads the same.
long long WallMs();

} // namespace kelani::server
