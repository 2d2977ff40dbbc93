#include "server/uConnectionLoop.h"

#include "server/uRequestFrame.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace kelani::server {
namespace {

constexpr size_t npos = std::string::npos;
// After an answer that ends the connection, what the client still sends is read and dropped for a
// moment: closing with unread bytes would reset the connection and could destroy the answer.
constexpr std::chrono::milliseconds kLingerTime{2000};
constexpr const char* kContinue = "HTTP/1.1 100 Continue\r\n\r\n";

const char* StatusText(int status) {
    switch (status) {
    case 400:
        return "Bad Request";
    case 408:
        return "Request Timeout";
    case 411:
        return "Length Required";
    case 413:
        return "Payload Too Large";
    case 414:
        return "URI Too Long";
    case 431:
        return "Request Header Fields Too Large";
    case 501:
        return "Not Implemented";
    case 503:
        return "Service Unavailable";
    case 505:
        return "HTTP Version Not Supported";
    }
    return "Error";
}

// The answer the loop gives itself, without a worker, when it closes the connection.
std::string ClosingAnswer(int status, const std::string& reason) {
    return "HTTP/1.1 " + std::to_string(status) + " " + StatusText(status) +
           "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
           std::to_string(reason.size() + 1) + "\r\nConnection: close\r\n\r\n" + reason + "\n";
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

} // namespace

struct ConnectionLoop::Connection {
    enum class Phase {
        Reading,  // until a whole request is in
        Working,  // a worker has the request
        Writing,  // the answer goes out
        Draining, // closing: the answer is out, what comes in is dropped
        Closed,
    };
    uint64_t id = 0;
    int fd = -1;
    Phase phase = Phase::Reading;
    Clock::time_point deadline;
    std::string in;
    size_t scanned = 0;    // bytes of `in` searched for the end of the head
    size_t headEnd = npos; // where the head ends, once it has
    std::optional<RequestFrame> frame;
    bool continueSent = false;
    bool idle = false; // between requests, nothing of the next one has come
    std::string out;
    size_t sent = 0;
    bool closeAfter = false;
    size_t served = 0;
    std::string peer, local;
    int peerPort = 0, localPort = 0;
};

ConnectionLoop::ConnectionLoop(const LoopLimits& limits, Responder respond)
    : limits_(limits), respond_(std::move(respond)), epoll_(epoll_create1(EPOLL_CLOEXEC)),
      wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    epoll_event event{EPOLLIN, {}};
    event.data.u64 = 0;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &event);
    loop_ = std::thread([this] { Run(); });
    for (int i = 0; i < limits_.workers; ++i) workers_.emplace_back([this] { Work(); });
}

ConnectionLoop::~ConnectionLoop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    jobReady_.notify_all();
    Wake();
    loop_.join();
    for (auto& worker : workers_) worker.join();
    for (int fd : adopted_) close(fd);
    close(wake_);
    close(epoll_);
}

void ConnectionLoop::Adopt(int fd) {
    {
        std::lock_guard lock(mutex_);
        adopted_.push_back(fd);
    }
    Wake();
}

void ConnectionLoop::Wake() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(wake_, &one, sizeof one);
}

void ConnectionLoop::Run() {
    epoll_event events[64];
    for (;;) {
        const int n = epoll_wait(epoll_, events, 64, MillisecondsToNextDeadline());
        for (int i = 0; i < n; ++i) {
            if (events[i].data.u64 == 0) {
                uint64_t count = 0;
                [[maybe_unused]] const ssize_t got = read(wake_, &count, sizeof count);
                continue;
            }
            const auto it = connections_.find(events[i].data.u64);
            if (it != connections_.end()) OnEvent(*it->second, events[i].events);
        }
        if (!TakeHandOvers()) break;
        ExpireDeadlines();
        std::erase_if(connections_,
                      [](const auto& entry) { return entry.second->phase == Connection::Phase::Closed; });
    }
    for (auto& [id, c] : connections_) Close(*c);
}

void ConnectionLoop::Work() {
    for (;;) {
        std::pair<uint64_t, Exchange> job;
        {
            std::unique_lock lock(mutex_);
            jobReady_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        Reply reply = respond_(job.second);
        {
            std::lock_guard lock(mutex_);
            replies_.emplace_back(job.first, std::move(reply));
        }
        Wake();
    }
}

// New sockets and finished answers; false once the loop is to stop.
bool ConnectionLoop::TakeHandOvers() {
    std::deque<int> adopted;
    std::deque<std::pair<uint64_t, Reply>> replies;
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return false;
        adopted.swap(adopted_);
        replies.swap(replies_);
    }
    for (int fd : adopted) Open(fd);
    for (auto& [id, reply] : replies) {
        const auto it = connections_.find(id);
        if (it != connections_.end() && it->second->phase == Connection::Phase::Working)
            Answer(*it->second, std::move(reply.bytes), !reply.keepOpen);
    }
    return true;
}

void ConnectionLoop::Open(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    if (connections_.size() >= static_cast<size_t>(limits_.connections)) {
        const std::string busy = ClosingAnswer(503, "too many connections");
        [[maybe_unused]] const ssize_t n = send(fd, busy.data(), busy.size(), MSG_NOSIGNAL);
        close(fd);
        return;
    }
    int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes,
               sizeof yes); // small answers: no waiting on acknowledgements
    auto c = std::make_unique<Connection>();
    c->id = nextId_++;
    c->fd = fd;
    c->deadline = Clock::now() + limits_.requestTime;
    Endpoint(getpeername, fd, c->peer, c->peerPort);
    Endpoint(getsockname, fd, c->local, c->localPort);
    epoll_event event{EPOLLIN | EPOLLRDHUP, {}};
    event.data.u64 = c->id;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event);
    connections_.emplace(c->id, std::move(c));
}

void ConnectionLoop::OnEvent(Connection& c, uint32_t events) {
    switch (c.phase) {
    case Connection::Phase::Reading:
        return ReadRequest(c);
    case Connection::Phase::Draining:
        return Drain(c);
    case Connection::Phase::Writing:
        return Flush(c);
    case Connection::Phase::Working:
        // The client hung up while a worker has its request: its answer has nowhere to go.
        if (events & (EPOLLHUP | EPOLLERR)) Close(c);
        return;
    case Connection::Phase::Closed:
        return;
    }
}

void ConnectionLoop::ReadRequest(Connection& c) {
    // Room for the request being read and the head of one more a client may send right behind it.
    const size_t room = (c.frame ? c.frame->headLength + c.frame->bodyLength : 0) + kMaxHead + 1;
    char buffer[65536];
    bool ended = false; // the client sends no more; what it sent may still be a whole request
    while (c.in.size() < room && !ended) {
        const ssize_t n = recv(c.fd, buffer, std::min(sizeof buffer, room - c.in.size()), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) break;
        ended = n <= 0;
        if (ended) continue;
        if (c.idle) c.deadline = Clock::now() + limits_.requestTime;
        c.idle = false;
        c.in.append(buffer, static_cast<size_t>(n));
    }
    Advance(c);
    if (ended && c.phase == Connection::Phase::Reading) Close(c);
}

void ConnectionLoop::Drain(Connection& c) {
    char buffer[65536];
    ssize_t n;
    while ((n = recv(c.fd, buffer, sizeof buffer, 0)) > 0 || (n < 0 && errno == EINTR)) {
    }
    if (n == 0 || errno != EAGAIN) Close(c);
}

// Frames what has come in: refuses it, waits for more, or hands a whole request to a worker.
void ConnectionLoop::Advance(Connection& c) {
    if (!c.frame) {
        // Blank lines between requests are skipped, as clients may send one after a body.
        while (c.in.starts_with("\r\n")) {
            c.in.erase(0, 2);
            c.scanned = 0;
        }
        c.headEnd = FindHeadEnd(c.in, c.scanned < 2 ? 0 : c.scanned - 2);
        c.scanned = c.in.size();
        const RequestFrame frame = FrameRequest(c.in, c.headEnd, limits_.maxBody);
        if (frame.state == RequestFrame::State::Refused) return Refuse(c, frame.status, frame.reason);
        if (frame.state == RequestFrame::State::Incomplete) return;
        c.frame = frame;
    }
    const size_t length = c.frame->headLength + c.frame->bodyLength;
    if (c.in.size() >= length) return Dispatch(c, length);
    if (c.frame->expectsContinue && !c.continueSent) {
        c.continueSent = true;
        [[maybe_unused]] const ssize_t n = send(c.fd, kContinue, std::strlen(kContinue), MSG_NOSIGNAL);
    }
}

void ConnectionLoop::Dispatch(Connection& c, size_t length) {
    Exchange exchange{c.in.substr(0, length),
                      c.peer,
                      c.local,
                      c.peerPort,
                      c.localPort,
                      ++c.served >= limits_.requestsPerConnection};
    c.in.erase(0, length);
    c.frame.reset();
    c.headEnd = npos;
    c.scanned = 0;
    c.continueSent = false;
    c.phase = Connection::Phase::Working;
    Watch(c, 0);
    {
        std::lock_guard lock(mutex_);
        jobs_.emplace_back(c.id, std::move(exchange));
    }
    jobReady_.notify_one();
}

void ConnectionLoop::Refuse(Connection& c, int status, const std::string& reason) {
    Answer(c, ClosingAnswer(status, reason), true);
}

void ConnectionLoop::Answer(Connection& c, std::string bytes, bool closeAfter) {
    c.phase = Connection::Phase::Writing;
    c.out = std::move(bytes);
    c.sent = 0;
    c.closeAfter = closeAfter;
    c.deadline = Clock::now() + limits_.answerTime;
    Flush(c);
}

void ConnectionLoop::Flush(Connection& c) {
    while (c.sent < c.out.size()) {
        const ssize_t n = send(c.fd, c.out.data() + c.sent, c.out.size() - c.sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EAGAIN) return Watch(c, EPOLLOUT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Close(c);
        c.sent += static_cast<size_t>(n);
    }
    c.out.clear();
    if (!c.closeAfter) return AwaitRequest(c);
    shutdown(c.fd, SHUT_WR);
    c.phase = Connection::Phase::Draining;
    c.deadline = Clock::now() + kLingerTime;
    Watch(c, EPOLLIN | EPOLLRDHUP);
}

// Back to reading: the next request may already be in, or the connection idles until it comes.
void ConnectionLoop::AwaitRequest(Connection& c) {
    c.phase = Connection::Phase::Reading;
    c.idle = c.in.empty();
    c.deadline = Clock::now() + (c.idle ? limits_.idleTime : limits_.requestTime);
    Watch(c, EPOLLIN | EPOLLRDHUP);
    if (!c.idle) Advance(c);
}

void ConnectionLoop::Watch(Connection& c, uint32_t events) {
    epoll_event event{events, {}};
    event.data.u64 = c.id;
    epoll_ctl(epoll_, EPOLL_CTL_MOD, c.fd, &event);
}

void ConnectionLoop::Close(Connection& c) {
    if (c.phase == Connection::Phase::Closed) return;
    close(c.fd); // also takes it out of the epoll set
    c.phase = Connection::Phase::Closed;
}

void ConnectionLoop::ExpireDeadlines() {
    const auto now = Clock::now();
    for (auto& [id, c] : connections_) {
        if (c->phase == Connection::Phase::Working || c->phase == Connection::Phase::Closed ||
            now < c->deadline)
            continue;
        // A request begun but not finished in time is answered; a silent or idle connection just ends.
        if (c->phase == Connection::Phase::Reading && !c->in.empty())
            Refuse(*c, 408, "the request did not arrive in time");
        else
            Close(*c);
    }
}

int ConnectionLoop::MillisecondsToNextDeadline() const {
    auto next = Clock::now() + std::chrono::seconds(1);
    for (const auto& [id, c] : connections_)
        if (c->phase != Connection::Phase::Working) next = std::min(next, c->deadline);
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()).count();
    return static_cast<int>(std::max<long long>(wait, 0));
}

} // namespace kelani::server
