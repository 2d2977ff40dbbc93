#include "server/uBoundedServer.h"

#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kelani::server {
namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool WaitFor(int fd, short events, int milliseconds) {
    pollfd p{fd, events, 0};
    int rc;
    while ((rc = poll(&p, 1, milliseconds)) < 0 && errno == EINTR) {
    }
    return rc > 0;
}

using NameOf = int (*)(int, sockaddr*, socklen_t*);

// The numeric address and port of one end of a connection (getpeername or getsockname).
void Endpoint(NameOf nameOf, int fd, std::string& ip, int& port) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    char host[NI_MAXHOST] = "", service[NI_MAXSERV] = "";
    if (nameOf(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        getnameinfo(reinterpret_cast<sockaddr*>(&address), length, host, sizeof host, service, sizeof service,
                    NI_NUMERICHOST | NI_NUMERICSERV);
    ip = host;
    port = std::atoi(service);
}

// A connection whose reads fail once the current request's deadline has passed.
class DeadlineStream : public httplib::Stream {
public:
    DeadlineStream(socket_t sock, std::chrono::milliseconds requestTime)
        : sock_(sock), requestTime_(requestTime) {}

    void StartRequest() { deadline_ = Clock::now() + requestTime_; }

    bool is_readable() const override {
        return begin_ < end_ || WaitFor(sock_, POLLIN, MillisecondsLeft(deadline_));
    }
    bool is_writable() const override { return WaitFor(sock_, POLLOUT, kWriteMs); }

    ssize_t read(char* ptr, size_t size) override {
        if (begin_ == end_) {
            if (!WaitFor(sock_, POLLIN, MillisecondsLeft(deadline_))) return -1;
            const ssize_t got = recv(sock_, buffer_, sizeof buffer_, 0);
            if (got <= 0) return got;
            begin_ = 0;
            end_ = static_cast<size_t>(got);
        }
        const size_t n = std::min(size, end_ - begin_);
        std::copy(buffer_ + begin_, buffer_ + begin_ + n, ptr);
        begin_ += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!is_writable()) return -1;
        return send(sock_, ptr, size, MSG_NOSIGNAL);
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        Endpoint(getpeername, sock_, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        Endpoint(getsockname, sock_, ip, port);
    }
    socket_t socket() const override { return sock_; }

    bool HasBufferedBytes() const { return begin_ < end_; }

private:
    static constexpr int kWriteMs = 5000;
    socket_t sock_;
    std::chrono::milliseconds requestTime_;
    Clock::time_point deadline_ = Clock::now();
    char buffer_[4096];
    size_t begin_ = 0, end_ = 0;
};

// SO_REUSEADDR lets a restarted server bind while old connections linger; SO_REUSEPORT (which
// cpp-httplib sets by default) is left out on purpose.
void ExclusiveSocketOptions(socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

} // namespace

BoundedServer::BoundedServer(const ServerLimits& limits) : limits_(limits) {
    const size_t workers = static_cast<size_t>(limits.workers);
    new_task_queue = [workers] { return new httplib::ThreadPool(workers); };
    set_socket_options(ExclusiveSocketOptions);
    set_keep_alive_timeout(5);
}

int BoundedServer::Bind(const std::string& host, int port) {
    const int bound = port == 0 ? bind_to_any_port(host) : (bind_to_port(host, port) ? port : -1);
    // cpp-httplib listens with a compiled-in backlog of 5; listening again sets ours.
    if (bound >= 0) ::listen(svr_sock_, limits_.backlog);
    return bound;
}

bool BoundedServer::process_and_close_socket(socket_t sock) {
    DeadlineStream stream(sock, limits_.requestTime);
    bool ok = false;
    const size_t maxRequests = keep_alive_max_count_;
    for (size_t served = 0; served < maxRequests && is_running(); ++served) {
        // Between requests a kept-alive connection may idle for the keep-alive timeout.
        if (served > 0 && !stream.HasBufferedBytes() &&
            !WaitFor(sock, POLLIN, static_cast<int>(keep_alive_timeout_sec_ * 1000)))
            break;
        stream.StartRequest();
        bool closed = false;
        ok = process_request(stream, served + 1 == maxRequests, closed, nullptr);
        if (!ok || closed) break;
    }
    shutdown(sock, SHUT_RDWR);
    close(sock);
    return ok;
}

} // namespace kelani::server
