#pragma once
// Serves every connection from one thread with epoll: it reads each request whole (head and body,
// within the request time) without holding a worker, hands complete requests to a fixed pool of
// workers and writes their answers back. A slow or silent client costs a socket, never a worker.
// An answer given before the whole request was read (400, 408, 413, ...) closes the connection,
// so no byte that was not read as part of a request is ever read as the next one.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace kelani::server {

struct LoopLimits {
    int workers = 8;
    int connections = 1000;                       // open at once; more are turned away with 503
    std::chrono::milliseconds requestTime{10000}; // a request's first byte to its last
    std::chrono::milliseconds idleTime{5000};     // a kept-alive connection waiting for its next request
    std::chrono::milliseconds answerTime{10000};  // the client must take an answer within this
    size_t requestsPerConnection = 5;
    size_t maxBody = 0;
};

// One complete request as it arrived, and the two ends of its connection.
struct Exchange {
    std::string request; // head and body, nothing more
    std::string peerAddress, localAddress;
    int peerPort = 0, localPort = 0;
    bool last = false; // the connection closes after this answer
};

struct Reply {
    std::string bytes;
    bool keepOpen = false;
};

using Responder = std::function<Reply(const Exchange&)>;

class ConnectionLoop {
public:
    // Starts the loop thread and the workers; `respond` runs on the workers.
    ConnectionLoop(const LoopLimits& limits, Responder respond);
    // Closes every connection; requests still queued are dropped.
    ~ConnectionLoop();
    ConnectionLoop(const ConnectionLoop&) = delete;
    ConnectionLoop& operator=(const ConnectionLoop&) = delete;

    // Takes over an accepted socket; from any thread.
    void Adopt(int fd);

private:
    struct Connection;
    using Clock = std::chrono::steady_clock;

    void Run();
    void Work();
    void Wake();
    bool TakeHandOvers();
    void Open(int fd);
    void OnEvent(Connection& c, uint32_t events);
    void ReadRequest(Connection& c);
    void Drain(Connection& c);
    void Advance(Connection& c);
    void Dispatch(Connection& c, size_t length);
    void Refuse(Connection& c, int status, const std::string& reason);
    void Answer(Connection& c, std::string bytes, bool closeAfter);
    void Flush(Connection& c);
    void AwaitRequest(Connection& c);
    void Watch(Connection& c, uint32_t events);
    void Close(Connection& c);
    void ExpireDeadlines();
    int MillisecondsToNextDeadline() const;

    LoopLimits limits_;
    Responder respond_;
    int epoll_ = -1, wake_ = -1;
    std::unordered_map<uint64_t, std::unique_ptr<Connection>> connections_; // the loop thread's alone
    uint64_t nextId_ = 1;                                                   // 0 is the wake-up descriptor

    std::mutex mutex_; // guards what the loop, the workers and Adopt hand each other
    std::condition_variable jobReady_;
    std::deque<int> adopted_;
    std::deque<std::pair<uint64_t, Exchange>> jobs_;
    std::deque<std::pair<uint64_t, Reply>> replies_;
    bool stopping_ = false;

    std::thread loop_;
    std::vector<std::thread> workers_;
};

} // namespace kelani::server
