#pragma once
// A real highscore server on a free loopback port, running in the test's own process.
#include "records/uWorldwide.h"
#include "server/uHighscoreHttp.h"

#include <httplib.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace kelani::server {

// A real server on a free loopback port, in this process.
class LiveServer {
public:
    explicit LiveServer(const std::filesystem::path& db)
        : store_(db.string()), config_{{kCheckModulus, kCheckBase}, {{"deutschland", "Germany"}}} {
        RegisterRoutes(http_, store_, config_);
        port_ = http_.bind_to_any_port("127.0.0.1");
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
    httplib::Server http_;
    int port_ = 0;
    std::thread thread_;
};

} // namespace kelani::server
