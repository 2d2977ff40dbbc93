// kelani-freeze-relay: a TCP relay on 127.0.0.1 that a client reaches its server through, and that
// can stop carrying bytes in both directions for a while, new connections included, as a network
// that vanishes would. Prints {"port":P} once it listens.
//   kelani-freeze-relay --to PORT [--port P (0: any free)] [--freeze-after-ms A --freeze-ms F]
// A freezes once, A ms after the first connection, for F ms; SIGUSR1 freezes and SIGUSR2 thaws
// by hand. Ends on SIGTERM or SIGINT.
#include "tools/kelanitool/KelaniTool.h"

// (Boost 1.74 uses std::exchange without including <utility>.)
#include <utility>

#include <boost/asio.hpp>

#include <iostream>
#include <memory>

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using kelani::tool::Args;
using kelani::tool::IntOption;

namespace {

// While frozen, every read that would carry bytes, and every accept, waits for the thaw.
class TFreeze {
public:
    explicit TFreeze(asio::io_context& io) : io_(io) {}
    void Freeze() { frozen_ = true; }
    void Thaw() {
        frozen_ = false;
        auto waiting = std::move(waiting_);
        for (auto& go : waiting) asio::post(io_, std::move(go));
    }
    void WhenFlowing(std::function<void()> go) {
        if (frozen_)
            waiting_.push_back(std::move(go));
        else
            go();
    }

private:
    asio::io_context& io_;
    bool frozen_ = false;
    std::vector<std::function<void()>> waiting_;
};

// One direction of one connection: reads from `from`, writes everything to `to`.
void Pump(std::shared_ptr<tcp::socket> from, std::shared_ptr<tcp::socket> to, TFreeze& freeze) {
    auto buffer = std::make_shared<std::array<char, 16384>>();
    freeze.WhenFlowing([from, to, buffer, &freeze] {
        from->async_read_some(
            asio::buffer(*buffer), [from, to, buffer, &freeze](boost::system::error_code ec, size_t n) {
                if (ec) {
                    boost::system::error_code ignored;
                    to->shutdown(tcp::socket::shutdown_send, ignored);
                    return;
                }
                // Bytes read before a freeze are held back with everything else until the thaw.
                freeze.WhenFlowing([from, to, buffer, n, &freeze] {
                    asio::async_write(*to, asio::buffer(*buffer, n),
                                      [from, to, buffer, &freeze](boost::system::error_code written, size_t) {
                                          if (written) {
                                              boost::system::error_code ignored;
                                              from->close(ignored);
                                              return;
                                          }
                                          Pump(from, to, freeze);
                                      });
                });
            });
    });
}

class TRelay {
public:
    TRelay(asio::io_context& io, int port, int to, int freezeAfterMs, int freezeMs)
        : io_(io),
          acceptor_(io, tcp::endpoint(asio::ip::address_v4::loopback(), static_cast<uint16_t>(port))),
          target_(asio::ip::address_v4::loopback(), static_cast<uint16_t>(to)), freeze_(io), timer_(io),
          freezeAfterMs_(freezeAfterMs), freezeMs_(freezeMs) {}

    int Port() const { return acceptor_.local_endpoint().port(); }
    TFreeze& Freeze() { return freeze_; }
    void Accept() {
        freeze_.WhenFlowing([this] {
            acceptor_.async_accept([this](boost::system::error_code ec, tcp::socket client) {
                if (ec) return;
                Connect(std::make_shared<tcp::socket>(std::move(client)));
                ScheduleFreeze();
                Accept();
            });
        });
    }

private:
    void Connect(std::shared_ptr<tcp::socket> client) {
        auto server = std::make_shared<tcp::socket>(io_);
        server->async_connect(target_, [this, client, server](boost::system::error_code ec) {
            if (ec) return;
            Pump(client, server, freeze_);
            Pump(server, client, freeze_);
        });
    }

    void ScheduleFreeze() {
        if (scheduled_ || freezeMs_ <= 0) return;
        scheduled_ = true;
        timer_.expires_after(std::chrono::milliseconds(freezeAfterMs_));
        timer_.async_wait([this](boost::system::error_code ec) {
            if (ec) return;
            std::cerr << "kelani-freeze-relay: frozen for " << freezeMs_ << " ms\n";
            freeze_.Freeze();
            timer_.expires_after(std::chrono::milliseconds(freezeMs_));
            timer_.async_wait([this](boost::system::error_code thawed) {
                if (thawed) return;
                std::cerr << "kelani-freeze-relay: thawed\n";
                freeze_.Thaw();
            });
        });
    }

    asio::io_context& io_;
    tcp::acceptor acceptor_;
    tcp::endpoint target_;
    TFreeze freeze_;
    asio::steady_timer timer_;
    int freezeAfterMs_;
    int freezeMs_;
    bool scheduled_ = false;
};

void HandSignals(asio::signal_set& signals, TFreeze& freeze, asio::io_context& io) {
    signals.async_wait([&signals, &freeze, &io](boost::system::error_code ec, int signal) {
        if (ec) return;
        if (signal == SIGUSR1) freeze.Freeze();
        if (signal == SIGUSR2) freeze.Thaw();
        if (signal == SIGTERM || signal == SIGINT) return io.stop();
        HandSignals(signals, freeze, io);
    });
}

} // namespace

int main(int argc, char** argv) {
    const Args args(argv + 1, argv + argc);
    try {
        asio::io_context io;
        TRelay relay(io, IntOption(args, "--port", 0, 65535, 0), IntOption(args, "--to", 1, 65535),
                     IntOption(args, "--freeze-after-ms", 0, 3'600'000, 0),
                     IntOption(args, "--freeze-ms", 0, 3'600'000, 0));
        asio::signal_set signals(io, SIGUSR1, SIGUSR2, SIGTERM);
        signals.add(SIGINT);
        HandSignals(signals, relay.Freeze(), io);
        relay.Accept();
        std::cout << "{\"port\":" << relay.Port() << "}" << std::endl;
        io.run();
    } catch (const std::exception& e) {
        std::cerr << "kelani-freeze-relay: " << e.what() << "\n";
        return 2;
    }
    return 0;
}
