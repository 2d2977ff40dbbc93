#pragma once
// cpp-httplib's server with the limits the internet needs: a whole request (header and body) must
// arrive within a deadline, however slowly its bytes trickle in; a fixed number of workers; a
// chosen listen backlog; and no SO_REUSEPORT, so a second instance on the same port fails to
// start instead of silently taking half of the connections.
#include <httplib.h>

#include <chrono>
#include <string>

namespace kelani::server {

struct ServerLimits {
    int workers = 8;
    int backlog = 128;
    std::chrono::milliseconds requestTime{10000}; // header and body of one request
};

class BoundedServer : public httplib::Server {
public:
    explicit BoundedServer(const ServerLimits& limits);

    // Binds and listens; port 0 takes a free one. Returns the port, or -1 when the address is
    // taken or cannot be bound.
    int Bind(const std::string& host, int port);

private:
    bool process_and_close_socket(socket_t sock) override;
    ServerLimits limits_;
};

} // namespace kelani::server
