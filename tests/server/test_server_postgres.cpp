// Two highscore server instances on one real PostgreSQL, started by the test in a scratch folder.
#include "server/uHighscoreStore.h"
#include "tests/server/ServerProcess.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <glob.h>
#include <pwd.h>
#include <set>
#include <thread>

using namespace kelani;
using namespace kelani::server;
namespace fs = std::filesystem;

namespace {

std::string PostgresBin() {
    glob_t found{};
    glob("/usr/lib/postgresql/*/bin/postgres", 0, nullptr, &found);
    const std::string bin =
        found.gl_pathc ? fs::path(found.gl_pathv[found.gl_pathc - 1]).parent_path().string() : "";
    globfree(&found);
    return bin;
}

// A PostgreSQL cluster of its own; PostgreSQL refuses to run as root, so as root the test runs it
// as "nobody" on a folder that user owns.
class ScratchPostgres {
public:
    explicit ScratchPostgres(const fs::path& folder) : data_(folder / "data"), port_(FreePort()) {
        const std::string bin = PostgresBin();
        if (bin.empty()) return;
        std::string as;
        if (getuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            chown(folder.c_str(), nobody->pw_uid, nobody->pw_gid);
            as = "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
        }
        int code = -1;
        RunCommand(as + bin + "/initdb -D " + data_.string() + " -U kelani --auth=trust -E UTF8 >/dev/null",
                   &code);
        if (code != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            const std::string command = "exec " + as + bin + "/postgres -D " + data_.string() + " -p " +
                                        std::to_string(port_) + " -k " + folder.string() +
                                        " -c listen_addresses=127.0.0.1 >" +
                                        (folder / "postgres.log").string() + " 2>&1";
            execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
            _exit(127);
        }
        for (int i = 0; i < 200 && !ready_; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            RunCommand(bin + "/pg_isready -q -h 127.0.0.1 -p " + std::to_string(port_), &code);
            ready_ = code == 0;
        }
    }
    ~ScratchPostgres() {
        if (pid_ <= 0) return;
        kill(pid_, SIGINT); // fast shutdown
        waitpid(pid_, nullptr, 0);
    }
    bool ready() const { return ready_; }
    std::string url() const { return "postgresql://kelani@127.0.0.1:" + std::to_string(port_) + "/postgres"; }

private:
    fs::path data_;
    int port_;
    pid_t pid_ = 0;
    bool ready_ = false;
};

} // namespace

// 8 clients × 250 posts over two instances; one instance is killed with -9 half-way and its
// clients carry on with the other, repeating the post that got no answer. Every post ends
// acknowledged, and the table holds each exactly once.
TEST(ServerPostgres, TwoInstancesLoseAndDoubleNothingThroughAKill) {
    const fs::path folder = FreshFolder("postgres");
    ScratchPostgres postgres(folder);
    ASSERT_TRUE(postgres.ready()) << RunCommand("cat " + (folder / "postgres.log").string());
    ServerProcess first({"--port", "0", "--db", postgres.url()});
    ServerProcess second({"--port", "0", "--db", postgres.url()});
    ASSERT_GT(first.port(), 0);
    ASSERT_GT(second.port(), 0);

    constexpr int kClients = 8, kPerClient = 250;
    std::atomic<int> acknowledged{0}, retried{0}, failed{0};
    std::atomic<bool> killed{false};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            int port = c % 2 ? second.port() : first.port();
            for (int i = 0; i < kPerClient; ++i) {
                const std::string body =
                    FormBody(GenuineItems("c" + std::to_string(c) + "-" + std::to_string(i), 4 + i % 3));
                for (int attempt = 0;; ++attempt) {
                    httplib::Client client("127.0.0.1", port);
                    auto res = client.Post("/software/highscore.add.php4", body,
                                           "application/x-www-form-urlencoded");
                    if (res && res->status == 200) break;
                    if (attempt == 3) {
                        ++failed;
                        break;
                    }
                    ++retried;
                    port = second.port(); // the first instance is gone
                }
                ++acknowledged;
                if (c == 0 && i == kPerClient / 2 && !killed.exchange(true)) first.Stop(SIGKILL);
            }
        });
    }
    for (auto& t : clients) t.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "postgres: %d posts through two instances in %.2f s (%.0f posts/s), %d repeated after the kill\n",
        kClients * kPerClient, seconds, kClients * kPerClient / seconds, retried.load());
    EXPECT_EQ(failed.load(), 0);
    EXPECT_EQ(acknowledged.load(), kClients * kPerClient);
    HighscoreStore store(postgres.url());
    EXPECT_EQ(store.Count(), kClients * kPerClient);
    std::set<std::string> names;
    for (const auto& e : store.List({})) names.insert(e.entry.name);
    EXPECT_EQ(names.size(), static_cast<size_t>(kClients * kPerClient));
    // The page reads PostgreSQL's tables as it reads SQLite's.
    auto page = httplib::Client("127.0.0.1", second.port()).Get("/");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_NE(page->body.find("<td class=name>c"), std::string::npos);
    // The same admin commands work on PostgreSQL.
    EXPECT_EQ(store.Ban(BanKind::Name, "c1-1"), 1);
    EXPECT_EQ(store.Add({4, "c1-1", "x@y", "", 6667, 16, 12, 3725}), AddOutcome::Banned);
    EXPECT_EQ(store.Delete({0, 5, "", "", ""}), kClients * 83 - 1); // every third post, less the banned

    fs::remove_all(folder);
}
