#include "server/uBoundedServer.h"

#include <sys/socket.h>

#include <cstring>

namespace kelani::server {
namespace {

// One whole request, read by the connection loop, as cpp-httplib's stream; the answer is kept
// for the loop to write.
class ExchangeStream : public httplib::Stream {
public:
    explicit ExchangeStream(const Exchange& exchange) : exchange_(exchange) {}

    bool is_readable() const override { return at_ < exchange_.request.size(); }
    bool is_writable() const override { return true; }
    ssize_t read(char* ptr, size_t size) override {
        const size_t n = std::min(size, exchange_.request.size() - at_);
        std::memcpy(ptr, exchange_.request.data() + at_, n);
        at_ += n;
        return static_cast<ssize_t>(n);
    }
    ssize_t write(const char* ptr, size_t size) override {
        answer_.append(ptr, size);
        return static_cast<ssize_t>(size);
    }
    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        ip = exchange_.peerAddress;
        port = exchange_.peerPort;
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        ip = exchange_.localAddress;
        port = exchange_.localPort;
    }
    // The request is read already: nothing may wait on the socket itself.
    socket_t socket() const override { return INVALID_SOCKET; }

    std::string TakeAnswer() { return std::move(answer_); }

private:
    const Exchange& exchange_;
    size_t at_ = 0;
    std::string answer_;
};

// Runs each task at once: the accepting thread only hands its socket to the connection loop.
class HandOver : public httplib::TaskQueue {
public:
    explicit HandOver(std::function<void()> stop) : stop_(std::move(stop)) {}
    void enqueue(std::function<void()> fn) override { fn(); }
    void shutdown() override { stop_(); }

private:
    std::function<void()> stop_;
};

// SO_REUSEADDR lets a restarted server bind while old connections linger; SO_REUSEPORT (which
// cpp-httplib sets by default) is left out on purpose.
void ExclusiveSocketOptions(socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

// cpp-httplib answers "Expect: 100-continue" itself; the loop has already done so when it mattered.
constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";

} // namespace

BoundedServer::BoundedServer(const ServerLimits& limits) : limits_(limits) {
    new_task_queue = [this] {
        LoopLimits loop;
        loop.workers = limits_.workers;
        loop.connections = limits_.connections;
        loop.requestTime = loop.answerTime = limits_.requestTime;
        loop.idleTime = std::chrono::seconds(keep_alive_timeout_sec_);
        loop.requestsPerConnection = keep_alive_max_count_;
        loop.maxBody = payload_max_length_;
        loop_ = std::make_unique<ConnectionLoop>(loop, [this](const Exchange& e) { return Respond(e); });
        return new HandOver([this] { loop_.reset(); });
    };
    set_socket_options(ExclusiveSocketOptions);
    set_keep_alive_timeout(5);
}

BoundedServer::~BoundedServer() = default;

int BoundedServer::Bind(const std::string& host, int port) {
    const int bound = port == 0 ? bind_to_any_port(host) : (bind_to_port(host, port) ? port : -1);
    // cpp-httplib listens with a compiled-in backlog of 5; listening again sets ours.
    if (bound >= 0) ::listen(svr_sock_, limits_.backlog);
    return bound;
}

bool BoundedServer::process_and_close_socket(socket_t sock) {
    loop_->Adopt(sock);
    return true;
}

Reply BoundedServer::Respond(const Exchange& exchange) {
    ExchangeStream stream(exchange);
    bool closed = false;
    const bool ok = process_request(stream, exchange.last, closed, nullptr);
    std::string answer = stream.TakeAnswer();
    if (answer.starts_with(kContinue)) answer.erase(0, kContinue.size());
    return {std::move(answer), ok && !closed && !exchange.last};
}

} // namespace kelani::server
