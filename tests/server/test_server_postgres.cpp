// Two instances of each server on one real PostgreSQL, started by the test in a scratch folder.
#include "server/uHighscoreStore.h"
#include "server/uPlayStore.h"
#include "server/uSqlDatabase.h"
#include "tests/server/PlayGameHelpers.h"
#include "tests/server/ScratchPostgres.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

using namespace kelani;
using namespace kelani::server;
namespace fs = std::filesystem;

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

// The two seats of one game on two play server instances: creation, join, every move, chat and
// the end pass from one instance to the other through the database and its notifications, also
// when many notifications arrive at once.
TEST(ServerPostgres, PlaySeatsOnTwoInstances) {
    const fs::path folder = FreshFolder("postgres-play");
    ScratchPostgres postgres(folder);
    ASSERT_TRUE(postgres.ready()) << RunCommand("cat " + (folder / "postgres.log").string());
    ServerProcess first({"--port", "0", "--db", postgres.url()}, KELANI_PLAY_SERVER_EXE);
    ServerProcess second({"--port", "0", "--db", postgres.url()}, KELANI_PLAY_SERVER_EXE);
    ASSERT_GT(first.port(), 0);
    ASSERT_GT(second.port(), 0);
    {
        PlayClient anna(first.port()), ben(second.port());
        OnlineGame g(anna, ben);
        ASSERT_TRUE(g.started());
        ben.Send(R"({"type":"chat","text":"Hallo"})");
        const auto chat = anna.Until("chat");
        ASSERT_TRUE(chat);
        EXPECT_EQ(FieldString(*chat, "text"), "Hallo");
        g.PlayToEnd(13);
    }
    {
        // A burst of notifications lands while the first instance waits for the database, more
        // than one read of its listening connection takes; the game announced last in the burst
        // is relayed all the same.
        PlayClient anna(first.port()), ben(second.port()), carl(first.port()), dora(second.port());
        OnlineGame g(anna, ben), busy(carl, dora);
        ASSERT_TRUE(g.started() && busy.started());
        OpenDatabase(postgres.url())->Transaction(true, [&](SqlSession& s) {
            carl.Send(R"({"type":"chat","text":"warte"})"); // waits for this transaction's lock
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            s.Query("SELECT pg_notify($1, 'other' || n) FROM generate_series(1, 2000) n", {kPlayChannel});
            s.Query("INSERT INTO play_events (game, seq, seat, kind, text) SELECT $1, MAX(seq) + 1, 2, "
                    "'chat', 'Burst' FROM play_events WHERE game = $1",
                    {g.game});
            s.Query("SELECT pg_notify($1, $2)", {kPlayChannel, g.game});
        });
        const auto chat = anna.Until("chat");
        ASSERT_TRUE(chat);
        EXPECT_EQ(FieldString(*chat, "text"), "Burst");
    }
    const auto entries = HighscoreStore(postgres.url()).List({});
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].entry.witnessed && entries[1].entry.witnessed);
    fs::remove_all(folder);
}
