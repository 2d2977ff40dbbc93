#pragma once
// The real kelani-highscore-server executable, started by a test, and the small helpers the
// server tests share.
#include "records/uWebForm.h"
#include "records/uWorldwide.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kelani::server {

inline std::filesystem::path FreshFolder(const std::string& name) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("kelani-" + name + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// The form a genuine entry of `name` (66.67 % of 48 stones in 12 moves) is posted as.
inline TWebPostItems GenuineItems(const std::string& name, int variant = 5) {
    return HighscoreFormItems({{"name", name},
                               {"punkte", "66.67"},
                               {"punktegegner", "16"},
                               {"runden", "12"},
                               {"ki", "0"},
                               {"zeit", "01:02:05"},
                               {"land", "deutschland"},
                               {"email", name + "@example.org"}},
                              "kelani", std::to_string(variant), kCheckModulus, kCheckBase);
}

// A loopback port that was free a moment ago.
inline int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

// A connection to a loopback port from a chosen loopback address (127.0.0.0/8 is all ours); -1
// when refused.
inline int Connect(const char* from, int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    inet_pton(AF_INET, from, &address.sin_addr);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    close(fd);
    return -1;
}

// What a connection got back: every byte, and whether the server closed it.
struct RawAnswers {
    std::string bytes;
    bool closed = false;

    // The status codes of the answers, in order.
    std::vector<int> Statuses() const {
        std::vector<int> codes;
        for (size_t at = 0; (at = bytes.find("HTTP/1.1 ", at)) != std::string::npos; at += 9)
            codes.push_back(std::atoi(bytes.c_str() + at + 9));
        return codes;
    }
};

// Sends `request` (as much as the server takes) on a fresh connection from 127.0.0.1 and collects
// the answers until the server closes the connection or `seconds` pass.
inline RawAnswers SendRaw(int port, const std::string& request, double seconds = 5) {
    RawAnswers got;
    const int fd = Connect("127.0.0.1", port);
    if (fd < 0) return got;
    std::thread sender([fd, &request] {
        for (size_t sent = 0; sent < request.size();) {
            const ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += static_cast<size_t>(n);
        }
    });
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!got.closed && std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        char buffer[65536];
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        got.closed = n <= 0;
        if (n > 0) got.bytes.append(buffer, static_cast<size_t>(n));
    }
    shutdown(fd, SHUT_RDWR);
    sender.join();
    close(fd);
    return got;
}

// A request for the highscore form with these extra header lines.
inline std::string PostRequest(const std::string& body, const std::string& headers = "") {
    return "POST /software/highscore.add.php4 HTTP/1.1\r\nHost: highscore\r\n" + headers +
           "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Runs a command line through the shell; its standard output, and its exit code in `code`.
inline std::string RunCommand(const std::string& command, int* code = nullptr) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int status = pipe ? pclose(pipe) : -1;
    if (code) *code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

// One server process; it is killed when the object goes.
class ServerProcess {
public:
    // Starts the server (the highscore server unless `exe` names another) with these arguments
    // after the program name and waits for its "listening on ..." line; port() is 0 when it did
    // not start.
    explicit ServerProcess(const std::vector<std::string>& args, const char* exe = KELANI_SERVER_EXE) {
        int out[2];
        EXPECT_EQ(pipe(out), 0);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            std::vector<char*> argv{const_cast<char*>(exe)};
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(exe, argv.data());
            _exit(127);
        }
        close(out[1]);
        char line[256] = {};
        size_t used = 0;
        while (used < sizeof line - 1 && read(out[0], line + used, 1) == 1 && line[used] != '\n') ++used;
        close(out[0]);
        const char* colon = std::strrchr(line, ':');
        port_ = colon ? std::atoi(colon + 1) : 0;
    }
    ~ServerProcess() { Stop(SIGTERM); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int port() const { return port_; }
    // Sends the signal and waits for the process; returns its exit code (-1 when killed).
    int Stop(int signal) {
        if (pid_ <= 0) return -1;
        kill(pid_, signal);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = 0;
    int port_ = 0;
};

// A server process on a database of its own in a scratch folder, which goes with it.
class ScratchServer {
public:
    explicit ScratchServer(const std::string& name, const std::vector<std::string>& options = {})
        : folder_(FreshFolder(name)), db_((folder_ / "hs.db").string()), process_(Arguments(options)) {}
    ~ScratchServer() {
        process_.Stop(SIGTERM);
        std::filesystem::remove_all(folder_);
    }
    int port() const { return process_.port(); }
    const std::string& db() const { return db_; }

private:
    std::vector<std::string> Arguments(const std::vector<std::string>& options) const {
        std::vector<std::string> args{"--port", "0", "--db", db_};
        args.insert(args.end(), options.begin(), options.end());
        return args;
    }
    std::filesystem::path folder_;
    std::string db_;
    ServerProcess process_;
};

} // namespace kelani::server
