#pragma once
// A real highscore server on a free loopback port, running in the test's own process.
#include "records/uWorldwide.h"
#include "server/uBoundedServer.h"
#include "server/uHighscoreHttp.h"

#include <httplib.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace kelani::server {

// A real server on a free loopback port, in this process.
class LiveServer {
public:
    explicit LiveServer(const std::filesystem::path& db, const StoreLimits& limits = {})
        : store_(db.string(), limits), config_{{kCheckModulus, kCheckBase},
                                               {{"deutschland", "Germany"}},
                                               {{"deutschland", "Deutschland"}}} {
        RegisterRoutes(http_, store_, config_);
        port_ = http_.Bind("127.0.0.1", 0);
        thread_ = std::thread([this] { http_.listen_after_bind(); });
        while (!http_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~LiveServer() {
        http_.stop();
        thread_.join();
    }
    int port() const { return port_; }
    HighscoreStore& store() { return store_; }

private:
    HighscoreStore store_;
    ServerConfig config_;
    BoundedServer http_{ServerLimits{}};
    int port_ = 0;
    std::thread thread_;
};

} // namespace kelani::server
