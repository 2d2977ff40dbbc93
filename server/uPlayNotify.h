#pragma once
// Between instances on one PostgreSQL: a connection of its own that LISTENs on the play channel
// and hands every announced game id to the service's thread. A lost connection is opened again;
// whatever was announced meanwhile is caught up by relaying every game held here.
#include <boost/asio/io_context.hpp>
#include <boost/asio/posix/stream_descriptor.hpp>
#include <boost/asio/steady_timer.hpp>

#include <functional>
#include <memory>
#include <string>

struct pg_conn;

namespace kelani::server {

class PlayNotify {
public:
    // `onGame` gets each announced game id; `onGap` is called after a reconnection. Throws
    // StoreError when the first connection fails.
    PlayNotify(boost::asio::io_context& io, const std::string& conninfo,
               std::function<void(const std::string&)> onGame, std::function<void()> onGap);
    ~PlayNotify();
    PlayNotify(const PlayNotify&) = delete;
    PlayNotify& operator=(const PlayNotify&) = delete;

private:
    void Connect();
    void Wait();
    void Drain();
    void Retry();

    boost::asio::io_context& io_;
    std::string conninfo_;
    std::function<void(const std::string&)> onGame_;
    std::function<void()> onGap_;
    pg_conn* connection_ = nullptr;
    std::unique_ptr<boost::asio::posix::stream_descriptor> socket_;
    boost::asio::steady_timer retry_;
};

} // namespace kelani::server
