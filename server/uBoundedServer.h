#pragma once
// cpp-httplib's server with the limits the internet needs. cpp-httplib accepts the connections
// and routes the requests; the connection loop in between reads every request whole, within the
// request time, before a worker sees it, and frames it strictly itself, so slow clients hold no
// worker and no byte of a body is ever taken for a request. A chosen listen backlog, and no
// SO_REUSEPORT, so a second instance on the same port fails to start instead of silently taking
// half of the connections.
#include "server/uConnectionLoop.h"

#include <httplib.h>

#include <chrono>
#include <memory>
#include <string>

namespace kelani::server {

struct ServerLimits {
    int workers = 8;
    int backlog = 128;
    int connections = 1000;                       // open at once, reading, waiting or answered
    std::chrono::milliseconds requestTime{10000}; // header and body of one request
};

class BoundedServer : public httplib::Server {
public:
    explicit BoundedServer(const ServerLimits& limits);
    ~BoundedServer() override;

    // Binds and listens; port 0 takes a free one. Returns the port, or -1 when the address is
    // taken or cannot be bound.
    int Bind(const std::string& host, int port);

private:
    bool process_and_close_socket(socket_t sock) override;
    Reply Respond(const Exchange& exchange);
    ServerLimits limits_;
    std::unique_ptr<ConnectionLoop> loop_; // while listening
};

} // namespace kelani::server
