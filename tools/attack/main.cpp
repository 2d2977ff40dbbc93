// kelani-highscore-attack: starts the real highscore server on a scratch database, attacks it the
// way a hostile client would and prints what got through and how long fresh requests waited.
//   kelani-highscore-attack [--server EXE] [--posts N] [--slow N,N,...]
// Everything goes to loopback ports of this machine; every loop is bounded in count and time.
#include "records/uSendToWeb.h"
#include "records/uTHighscore.h"
#include "records/uWebForm.h"
#include "server/uHighscoreService.h"
#include "server/uHighscoreStore.h"

#include <httplib.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// One server process on a free port; killed when the object goes.
class Server {
public:
    Server(const std::string& exe, const fs::path& db, const std::vector<std::string>& extra) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            std::vector<std::string> args{exe, "--port", "0", "--db", db.string()};
            args.insert(args.end(), extra.begin(), extra.end());
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(exe.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        std::string line;
        for (char c; read(out[0], &c, 1) == 1 && c != '\n';) line += c;
        close(out[0]);
        const size_t colon = line.rfind(':');
        port_ = colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
    }
    ~Server() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    int port() const { return port_; }
    // The most memory the process has held (kB).
    long PeakKilobytes() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
        return 0;
    }

private:
    pid_t pid_ = 0;
    int port_ = 0;
};

int Connect(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    close(fd);
    return -1;
}

// Sends what the peer takes; a peer that closes early only ends the sending.
void SendAll(int fd, const std::string& data) {
    for (size_t sent = 0; sent < data.size();) {
        const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

// What one connection got back within a time: the bytes, when the first came and when it closed.
struct Reception {
    std::string bytes;
    double firstAfter = -1, closedAfter = -1;
};

Reception Receive(int fd, double seconds) {
    Reception got;
    const auto start = Clock::now();
    while (got.closedAfter < 0 && SecondsSince(start) < seconds) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        char buffer[65536];
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            got.closedAfter = SecondsSince(start);
        } else {
            if (got.bytes.empty()) got.firstAfter = SecondsSince(start);
            got.bytes.append(buffer, static_cast<size_t>(n));
        }
    }
    return got;
}

std::string After(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, seconds < 0 ? "never" : "after %.2f s", seconds);
    return text;
}

// The status codes of the answers in `text`, e.g. "413 200 400".
std::string Statuses(const std::string& text) {
    std::string codes;
    for (size_t at = 0; (at = text.find("HTTP/1.1 ", at)) != std::string::npos; at += 9)
        codes += (codes.empty() ? "" : " ") + text.substr(at + 9, 3);
    return codes.empty() ? "none" : codes;
}

// Keeps the forms the game posts instead of sending them.
class FormCollector : public kelani::TCustomWebPost {
public:
    std::vector<std::string> bodies;
    bool Post() override {
        bodies.push_back(kelani::FormBody(Items));
        return true;
    }
};

// The form the game itself posts for one table entry: 66.67 % of 48 stones in 12 moves.
std::string Form(const std::string& name, const std::string& email, int variant) {
    kelani::THighscore table;
    table.GameIndex = std::to_string(variant);
    table.AddEntry(name, 3725, 32, 16, 12, false, email, "deutschland");
    FormCollector post;
    kelani::SendToWeb(table, post);
    return post.bodies.at(0);
}

std::string PostRequest(const std::string& body, const std::string& extraHeaders) {
    return "POST /software/highscore.add.php4 HTTP/1.1\r\nHost: highscore\r\n" + extraHeaders +
           "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

// A request hidden in the body of another, claiming to come from a forged address through the proxy.
std::string Smuggled(const std::string& name) {
    return PostRequest(Form(name, name + "@example.org", 5), "X-Real-IP: 198.51.100.66\r\n");
}

// Proxy-shaped attacks on a server run as behind nginx: does the hidden request get answered or stored?
void Smuggling(const std::string& exe, const fs::path& folder) {
    const fs::path db = folder / "smuggle.db";
    Server server(exe, db, {"--behind-proxy"});
    const std::string head = "Host: highscore\r\nX-Real-IP: 192.0.2.1\r\n";
    struct Attack {
        const char* what;
        std::string request;
    };
    const std::string hidden = Smuggled("smuggled");
    const std::string padded = hidden + std::string(kelani::server::kMaxBody + 1 - hidden.size(), 'x');
    const std::string chunkEnd = "0\r\n\r\n" + hidden;
    const std::vector<Attack> attacks{
        {"body over the limit", "POST /software/highscore.add.php4 HTTP/1.1\r\n" + head +
                                    "Content-Length: " + std::to_string(padded.size()) + "\r\n\r\n" + padded},
        {"GET with a body", "GET /api/highscores HTTP/1.1\r\n" + head +
                                "Content-Length: " + std::to_string(hidden.size()) + "\r\n\r\n" + hidden},
        {"Content-Length with chunked", "POST /software/highscore.add.php4 HTTP/1.1\r\n" + head +
                                            "Content-Length: " + std::to_string(chunkEnd.size()) +
                                            "\r\nTransfer-Encoding: chunked\r\n\r\n" + chunkEnd},
        {"two Content-Lengths", "POST /software/highscore.add.php4 HTTP/1.1\r\n" + head +
                                    "Content-Length: 0\r\nContent-Length: " + std::to_string(hidden.size()) +
                                    "\r\n\r\n" + hidden},
    };
    for (const auto& attack : attacks) {
        kelani::server::HighscoreStore(db.string()).Delete({0, 5, "", "", ""});
        const int fd = Connect(server.port());
        std::thread sender([fd, &attack] { SendAll(fd, attack.request); });
        const Reception got = Receive(fd, 2.0);
        shutdown(fd, SHUT_RDWR);
        sender.join();
        close(fd);
        bool stored = false;
        for (const auto& e : kelani::server::HighscoreStore(db.string()).List({}))
            stored = stored || e.address == "198.51.100.66";
        std::printf("smuggling, %-28s answers: %-8s connection closed: %-3s smuggled entry stored: %s\n",
                    attack.what, Statuses(got.bytes).c_str(), got.closedAfter >= 0 ? "yes" : "no",
                    stored ? "yes" : "no");
    }
}

// The page and the JSON after `posts` posts of the longest name and address the form takes.
void LongestNames(const std::string& exe, const fs::path& folder, int posts) {
    Server server(exe, folder / "long.db", {});
    httplib::Client client("127.0.0.1", server.port());
    client.set_read_timeout(120, 0);
    int stored = 0;
    for (int i = 0; i < posts; ++i) {
        const std::string tag = std::to_string(i) + "-";
        const std::string name = tag + std::string(kelani::server::kMaxTextBytes - tag.size(), '"');
        auto res = client.Post("/software/highscore.add.php4", Form(name, name, 4 + i % 3),
                               "application/x-www-form-urlencoded");
        stored += res && res->status == 200;
    }
    std::printf("longest names: %d of %d posts of %zu-byte names and addresses stored\n", stored, posts,
                kelani::server::kMaxTextBytes);
    for (const char* path : {"/", "/api/highscores"}) {
        std::vector<double> times;
        size_t size = 0;
        for (int i = 0; i < 5; ++i) {
            const auto start = Clock::now();
            auto res = client.Get(path);
            times.push_back(SecondsSince(start));
            size = res ? res->body.size() : 0;
        }
        std::sort(times.begin(), times.end());
        std::printf("longest names: GET %-16s %10zu bytes, median %8.1f ms\n", path, size, times[2] * 1000);
    }
    const long before = server.PeakKilobytes();
    std::vector<std::thread> readers;
    std::atomic<int> answered{0};
    const auto start = Clock::now();
    for (int r = 0; r < 16; ++r)
        readers.emplace_back([&] {
            httplib::Client reader("127.0.0.1", server.port());
            reader.set_read_timeout(120, 0);
            auto res = reader.Get("/");
            answered += res && res->status == 200;
        });
    for (auto& t : readers) t.join();
    std::printf(
        "longest names: 16 readers of GET / at once: %d answered in %.2f s; server peak memory %ld MB "
        "(before them %ld MB)\n",
        answered.load(), SecondsSince(start), server.PeakKilobytes() / 1024, before / 1024);
}

// `count` clients that send their header a line every half second; meanwhile one fresh request.
void SlowClients(const std::string& exe, const fs::path& folder, int count) {
    Server server(exe, folder / ("slow" + std::to_string(count) + ".db"), {});
    std::vector<int> slow;
    for (int i = 0; i < count; ++i) {
        const int fd = Connect(server.port());
        if (fd < 0) break;
        SendAll(fd, "POST /software/highscore.add.php4 HTTP/1.1\r\n");
        slow.push_back(fd);
    }
    std::atomic<bool> done{false};
    std::thread trickle([&] {
        while (!done) {
            for (int fd : slow) send(fd, "X-Slow: 1\r\n", 11, MSG_NOSIGNAL);
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    httplib::Client client("127.0.0.1", server.port());
    client.set_read_timeout(150, 0);
    client.set_connection_timeout(150, 0);
    const auto start = Clock::now();
    auto res = client.Get("/api/highscores?variant=4");
    const double waited = SecondsSince(start);
    done = true;
    trickle.join();
    for (int fd : slow) close(fd);
    std::printf("slow clients: %3zu trickling headers; a fresh request answered %s after %.3f s\n",
                slow.size(), res ? std::to_string(res->status).c_str() : "never", waited);
}

// A body that trickles in: which answer, after how long.
void SlowBody(const std::string& exe, const fs::path& folder) {
    Server server(exe, folder / "slowbody.db", {"--request-timeout", "1000"});
    const int fd = Connect(server.port());
    SendAll(
        fd,
        "POST /software/highscore.add.php4 HTTP/1.1\r\nHost: highscore\r\nContent-Length: 100\r\n\r\nname=");
    const Reception got = Receive(fd, 5.0);
    std::printf("slow body (1 s request time): answered %s %s, connection closed %s\n",
                Statuses(got.bytes).c_str(), After(got.firstAfter).c_str(), After(got.closedAfter).c_str());
    close(fd);
}

// Malformed requests on one connection: how many answers, and is the connection closed after them.
void Malformed(const std::string& exe, const fs::path& folder) {
    Server server(exe, folder / "malformed.db", {});
    const std::vector<std::pair<const char*, std::string>> cases{
        {"four broken request lines", std::string("BROKEN\r\n\r\n") + "BROKEN\r\n\r\n" + "BROKEN\r\n\r\n" +
                                          "GET / HTTP/1.1\r\nHost: x\r\n\r\n"},
        {"a 100 KB URI", "GET /" + std::string(100000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n"},
    };
    for (const auto& [what, request] : cases) {
        const int fd = Connect(server.port());
        std::thread sender([fd, &request] { SendAll(fd, request); });
        const Reception got = Receive(fd, 3.0);
        shutdown(fd, SHUT_RDWR);
        sender.join();
        close(fd);
        std::printf("malformed, %-26s answers: %-16s connection closed %s\n", what,
                    Statuses(got.bytes).c_str(),
                    got.closedAfter < 0 ? "not within 3 s" : After(got.closedAfter).c_str());
    }
}

std::vector<int> Counts(const std::string& list) {
    std::vector<int> counts;
    std::stringstream in(list);
    for (std::string item; std::getline(in, item, ',');) counts.push_back(std::atoi(item.c_str()));
    return counts;
}

} // namespace

int main(int argc, char** argv) {
    std::string exe = KELANI_SERVER_EXE;
    int posts = 300;
    std::vector<int> slow{8, 200};
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--server")
            exe = argv[i + 1];
        else if (flag == "--posts")
            posts = std::atoi(argv[i + 1]);
        else if (flag == "--slow")
            slow = Counts(argv[i + 1]);
    }
    if (argc % 2 == 0) {
        std::fprintf(stderr, "usage: kelani-highscore-attack [--server EXE] [--posts N] [--slow N,N,...]\n");
        return 2;
    }
    const fs::path folder = fs::temp_directory_path() / ("kelani-attack-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::printf("server: %s\n", exe.c_str());
    Smuggling(exe, folder);
    Malformed(exe, folder);
    SlowBody(exe, folder);
    for (int count : slow) SlowClients(exe, folder, count);
    LongestNames(exe, folder, posts);
    fs::remove_all(folder);
    return 0;
}
