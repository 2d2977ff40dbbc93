#include "records/uSendToWeb.h"
#include "records/uTHighscore.h"
#include "records/uWebForm.h"
#include "records/uWorldwide.h"
#include "server/uPlausibility.h"
#include "tests/server/LiveServer.h"
#include "tests/server/ServerProcess.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <set>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace kelani;
using namespace kelani::server;
namespace fs = std::filesystem;

namespace {

struct Entry {
    std::string name = "J\xF6rg";
    std::string punkte = "66.67";
    std::string gegner = "16";
    std::string runden = "12";
    std::string zeit = "01:02:05";
    std::string land = "deutschland";
    std::string email = "joerg@example.org";
    std::string variant = "5";
    std::string ki = "0";
};

std::string Body(const Entry& e, int modulus = kCheckModulus) {
    const auto items = HighscoreFormItems({{"name", e.name},
                                           {"punkte", e.punkte},
                                           {"punktegegner", e.gegner},
                                           {"runden", e.runden},
                                           {"ki", e.ki},
                                           {"zeit", e.zeit},
                                           {"land", e.land},
                                           {"email", e.email}},
                                          "kelani", e.variant, modulus, kCheckBase);
    return FormBody(items);
}

httplib::Result Post(int port, const std::string& body) {
    httplib::Client client("127.0.0.1", port);
    return client.Post("/software/highscore.add.php4", body, "application/x-www-form-urlencoded");
}

} // namespace

class ServerTest : public ::testing::Test {
protected:
    fs::path folder_ = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    LiveServer server_{folder_ / "highscores.db"};
};

TEST_F(ServerTest, StoresAGenuinePostAndShowsItOnThePageAndAsJson) {
    auto res = Post(server_.port(), Body({}));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    httplib::Client client("127.0.0.1", server_.port());
    auto json = client.Get("/api/highscores?variant=5");
    ASSERT_TRUE(json);
    EXPECT_NE(json->body.find("\"name\":\"J\xC3\xB6rg\""), std::string::npos) << json->body;
    EXPECT_NE(json->body.find("\"country\":\"Germany\""), std::string::npos);
    EXPECT_NE(json->body.find("\"points\":66.67"), std::string::npos);
    EXPECT_NE(json->body.find("\"seconds\":3725"), std::string::npos);
    auto page = client.Get("/");
    ASSERT_TRUE(page);
    EXPECT_NE(page->body.find("J\xC3\xB6rg"), std::string::npos);
    EXPECT_NE(page->body.find("Variante 5"), std::string::npos);
    EXPECT_NE(page->body.find("name=\"viewport\""), std::string::npos); // readable on a phone
    EXPECT_EQ(client.Get("/api/highscores?variant=7")->status, 400);
    const std::string all = client.Get("/api/highscores")->body;
    EXPECT_EQ(all.rfind("{\"variants\":[{\"variant\":4,\"entries\":[]},{\"variant\":5,", 0), 0u) << all;
    EXPECT_NE(all.find("{\"variant\":6,\"entries\":[]}]}"), std::string::npos) << all;
}

TEST_F(ServerTest, RepeatsAreStoredOnce) {
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Post(server_.port(), Body({}))->status, 200);
    Entry better;
    better.punkte = "70,00"; // a German locale sends a comma
    better.gegner = "18";    // 42 of 60 stones
    EXPECT_EQ(Post(server_.port(), Body(better))->status, 200);
    EXPECT_EQ(server_.store().Count(), 2);
    const auto top = server_.store().Top(5, 10);
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top[0].entry.pointsHundredths, 7000);
}

// Each kind of bad post gets its own answer, and none of them is stored.
TEST_F(ServerTest, RefusesForgedMalformedImplausibleAndOversizedForms) {
    const std::string body = Body({});
    EXPECT_EQ(Post(server_.port(), Body({}, kCheckModulus + 1))->status, 403); // forged check value
    EXPECT_EQ(Post(server_.port(), body.substr(0, body.rfind('&')))->status, 400);
    EXPECT_EQ(Post(server_.port(), body + "&extra=1")->status, 400);
    EXPECT_EQ(Post(server_.port(), "name=%ZZ")->status, 400);
    EXPECT_EQ(Post(server_.port(), "")->status, 400);
    // Announcing more than the largest form is answered before any of the body is read.
    const int fd = Connect("127.0.0.1", server_.port());
    const std::string oversized =
        "POST /software/highscore.add.php4 HTTP/1.1\r\nHost: x\r\nContent-Length: " +
        std::to_string(kMaxBody + 1) + "\r\n\r\n";
    send(fd, oversized.data(), oversized.size(), MSG_NOSIGNAL);
    char answer[32] = {};
    EXPECT_GT(recv(fd, answer, sizeof answer - 1, 0), 12);
    EXPECT_EQ(std::string(answer).substr(0, 12), "HTTP/1.1 413");
    close(fd);
    const std::vector<std::pair<Entry, int>> cases = [] {
        std::vector<std::pair<Entry, int>> list;
        auto add = [&](auto change, int status) {
            Entry e;
            change(e);
            list.emplace_back(e, status);
        };
        // Loose numbers and texts: malformed.
        add([](Entry& e) { e.punkte = "-0.50"; }, 400);
        add([](Entry& e) { e.punkte = "66.7"; }, 400);
        add([](Entry& e) { e.gegner = "+16"; }, 400);
        add([](Entry& e) { e.runden = "012"; }, 400);
        add([](Entry& e) { e.zeit = "-0:00:00"; }, 400);
        add([](Entry& e) { e.zeit = "1:02:05"; }, 400);
        add([](Entry& e) { e.ki = "-1"; }, 400);
        add([](Entry& e) { e.ki = "1"; }, 400);
        add([](Entry& e) { e.variant = "3"; }, 400);
        add([](Entry& e) { e.email = ""; }, 400);
        add(
            [](Entry& e) {
                e.name = "a\x81"
                         "b";
            },
            400); // undefined in Windows-1252
        add([](Entry& e) { e.name = "a\tb"; }, 400);
        add([](Entry& e) { e.name = std::string(kMaxTextBytes + 1, 'x'); }, 400);
        // Well-formed but no real game ends like this: implausible.
        add([](Entry& e) { e.punkte = "100.00", e.gegner = "0", e.runden = "0", e.zeit = "00:00:00"; }, 422);
        add([](Entry& e) { e.gegner = "17"; }, 422);                       // 66.67 % of no board
        add([](Entry& e) { e.punkte = "100.00", e.gegner = "0"; }, 200);   // a whitewash is real
        add([](Entry& e) { e.runden = "600", e.zeit = "00:00:09"; }, 422); // 600 moves in 9 s
        add([](Entry& e) { e.punkte = "0.00", e.gegner = "97"; }, 422);    // more than 8 per pit
        return list;
    }();
    for (const auto& [entry, status] : cases)
        EXPECT_EQ(Post(server_.port(), Body(entry))->status, status) << Body(entry).substr(0, 200);
    EXPECT_EQ(server_.store().Count(), 1);
}

// What the game can send: names as long as a saved game holds, long addresses, stored whole.
TEST_F(ServerTest, StoresTheLongestNameAndAddressWhole) {
    Entry e;
    e.name = std::string(kMaxTextBytes, '\xBD'); // every byte the longest entity, "&frac12;"
    e.email = std::string(254, 'm') + "@x";
    EXPECT_EQ(Post(server_.port(), Body(e))->status, 200);
    const auto top = server_.store().Top(5, 1);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].entry.name.size(), 2 * kMaxTextBytes); // "½" is two bytes of UTF-8
    EXPECT_EQ(top[0].entry.email, e.email);
}

TEST(ServerStore, KeepsTheBestFewPerNameAndAddressAndCapsEachVariant) {
    const fs::path folder = FreshFolder("limits");
    HighscoreStore store((folder / "hs.db").string(), {2, 4});
    auto entry = [](const std::string& name, const std::string& email, int seconds) {
        return Submission{5, name, email, "", 5000, 24, 10, seconds};
    };
    EXPECT_EQ(store.Add(entry("ann", "a@x", 30)), AddOutcome::Stored);
    EXPECT_EQ(store.Add(entry("ann", "a@x", 20)), AddOutcome::Stored);
    EXPECT_EQ(store.Add(entry("ann", "a@x", 20)), AddOutcome::Known);
    EXPECT_EQ(store.Add(entry("ann", "a@x", 40)), AddOutcome::Outranked);
    EXPECT_EQ(store.Add(entry("ann", "other@x", 10)), AddOutcome::Stored); // pushes out ann's 30 s
    EXPECT_EQ(store.Add(entry("bob", "a@x", 5)), AddOutcome::Stored);
    EXPECT_EQ(store.Add(entry("cid", "c@x", 1)), AddOutcome::Stored);
    EXPECT_EQ(store.Add(entry("dan", "d@x", 2)), AddOutcome::Stored);
    std::vector<int> seconds;
    for (const auto& row : store.Top(5, 10)) seconds.push_back(row.entry.seconds);
    EXPECT_EQ(seconds, (std::vector<int>{1, 2, 5, 10})); // the cap of 4 drops the worst
    EXPECT_EQ(store.Add(entry("eve", "e@x", 99)), AddOutcome::Outranked);
    EXPECT_EQ(store.Add(Submission{4, "eve", "e@x", "", 5000, 24, 10, 99}), AddOutcome::Stored);
    fs::remove_all(folder);
}

TEST_F(ServerTest, AnAddressWithoutAtSignIsStoredLikeAnyOther) {
    // The new-game dialog takes any text as e-mail address; refusing it would stop the whole send.
    Entry e;
    e.email = "keine";
    EXPECT_EQ(Post(server_.port(), Body(e))->status, 200);
    EXPECT_EQ(server_.store().Count(), 1);
}

TEST_F(ServerTest, SqlLookingNamesAreStoredAsPlainText) {
    Entry e;
    e.name = "x'); DROP TABLE entries;--";
    EXPECT_EQ(Post(server_.port(), Body(e))->status, 200);
    Entry tag;
    tag.name = "<script>a</script>";
    EXPECT_EQ(Post(server_.port(), Body(tag))->status, 200);
    ASSERT_EQ(server_.store().Count(), 2);
    httplib::Client client("127.0.0.1", server_.port());
    const std::string page = client.Get("/")->body;
    EXPECT_NE(page.find("x&#39;); DROP TABLE entries;--"), std::string::npos);
    EXPECT_EQ(page.find("<script>"), std::string::npos);
}

// Bounded load on loopback: 8 clients, 2000 distinct posts, nothing lost or doubled.
TEST_F(ServerTest, LoadOfTwoThousandPostsFromEightClients) {
    constexpr int kClients = 8, kPerClient = 250;
    std::atomic<int> failures{0};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            httplib::Client client("127.0.0.1", server_.port());
            client.set_keep_alive(true);
            client.set_tcp_nodelay(true);
            for (int i = 0; i < kPerClient; ++i) {
                Entry e;
                e.name = "p" + std::to_string(c) + "-" + std::to_string(i);
                e.email = e.name + "@example.org";
                e.variant = std::to_string(4 + i % 3);
                auto res =
                    client.Post("/software/highscore.add.php4", Body(e), "application/x-www-form-urlencoded");
                if (!res || res->status != 200) ++failures;
            }
        });
    }
    for (auto& t : clients) t.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("load: %d posts in %.2f s, %.0f requests/s\n", kClients * kPerClient, seconds,
                kClients * kPerClient / seconds);
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(server_.store().Count(), kClients * kPerClient);
    std::set<std::string> names;
    for (int v = 4; v <= 6; ++v)
        for (const auto& row : server_.store().Top(v, 10000)) names.insert(row.entry.name);
    EXPECT_EQ(names.size(), static_cast<size_t>(kClients * kPerClient));
}

TEST(CountryNames, ComeFromTheGamesOwnScriptInEnglish) {
    std::ifstream in(KELANI_COUNTRY_SCRIPT);
    std::stringstream text;
    text << in.rdbuf();
    const CountryNames names = CountriesFromScript(text.str());
    EXPECT_EQ(names.size(), 114u);
    EXPECT_EQ(names.at("deutschland"), "Germany");
    EXPECT_EQ(names.at("schweiz"), "Switzerland");
    EXPECT_EQ(names.count("jordanien "), 1u); // the key with its trailing blank
}

TEST(CountryNames, TheServerCarriesTheScriptItWasBuiltWith) {
    std::ifstream in(KELANI_COUNTRY_SCRIPT, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(BuiltInCountryScript(), text.str());
}

// The real executable: stored entries survive a kill -9 and a restart.
TEST(ServerExecutable, KeepsEntriesAcrossAKill) {
    const fs::path folder = FreshFolder("exe");
    const std::string db = (folder / "hs.db").string();
    auto server = std::make_unique<ServerProcess>(std::vector<std::string>{"--port", "0", "--db", db});
    ASSERT_GT(server->port(), 0);
    EXPECT_EQ(Post(server->port(), Body({}))->status, 200);
    server->Stop(SIGKILL);
    server = std::make_unique<ServerProcess>(std::vector<std::string>{"--port", "0", "--db", db});
    ASSERT_GT(server->port(), 0);
    httplib::Client client("127.0.0.1", server->port());
    auto json = client.Get("/api/highscores?variant=5");
    ASSERT_TRUE(json);
    EXPECT_NE(json->body.find("J\xC3\xB6rg"), std::string::npos);
    fs::remove_all(folder);
}

TEST(ServerExecutable, AnswersHelpAndVersionAndRefusesATakenPort) {
    int code = -1;
    EXPECT_NE(RunCommand(std::string(KELANI_SERVER_EXE) + " --help", &code).find("--workers N"),
              std::string::npos);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(
        RunCommand(std::string(KELANI_SERVER_EXE) + " --version", &code).rfind("kelani-highscore-server ", 0),
        0u);
    EXPECT_EQ(code, 0);
    const fs::path folder = FreshFolder("port");
    ServerProcess first({"--port", "0", "--db", (folder / "a.db").string()});
    ASSERT_GT(first.port(), 0);
    // A second instance on the same port must not start (no SO_REUSEPORT splitting the posts).
    RunCommand(std::string(KELANI_SERVER_EXE) + " --port " + std::to_string(first.port()) + " --db " +
                   (folder / "b.db").string() + " 2>/dev/null",
               &code);
    EXPECT_EQ(code, 1);
    fs::remove_all(folder);
}

TEST(ServerExecutable, AdminCommandsWorkWhileTheServerRuns) {
    const fs::path folder = FreshFolder("admin");
    const std::string db = (folder / "hs.db").string();
    ServerProcess server({"--port", "0", "--db", db});
    ASSERT_GT(server.port(), 0);
    Entry ann, bob;
    ann.name = "Ann", ann.email = "ann@example.org";
    bob.name = "Bob", bob.email = "bob@example.org", bob.variant = "4";
    EXPECT_EQ(Post(server.port(), Body(ann))->status, 200);
    EXPECT_EQ(Post(server.port(), Body(bob))->status, 200);
    const std::string admin = std::string(KELANI_SERVER_EXE) + " --db " + db + " admin ";
    const std::string list = RunCommand(admin + "list --variant 5");
    EXPECT_NE(list.find("\tAnn\tann@example.org\tdeutschland\t127.0.0.1\t"), std::string::npos) << list;
    EXPECT_EQ(list.find("Bob"), std::string::npos);
    EXPECT_EQ(RunCommand(admin + "ban --email ann@example.org"), "banned; 1 entries deleted\n");
    EXPECT_EQ(Post(server.port(), Body(ann))->status, 403);
    EXPECT_EQ(RunCommand(admin + "delete --name Bob"), "1 entries deleted\n");
    int code = 0;
    RunCommand(admin + "delete 2>/dev/null", &code); // deleting everything needs no command of ours
    EXPECT_EQ(code, 2);
    EXPECT_EQ(HighscoreStore(db).Count(), 0);
    fs::remove_all(folder);
}

// A client that sends its header a line at a time is cut off when its request time is up.
TEST(ServerExecutable, DropsAClientThatTricklesItsHeader) {
    const fs::path folder = FreshFolder("slow");
    ServerProcess server({"--port", "0", "--db", (folder / "hs.db").string(), "--request-timeout", "600"});
    ASSERT_GT(server.port(), 0);
    httplib::Client probe("127.0.0.1", server.port());
    const int fd = Connect("127.0.0.1", server.port());
    ASSERT_GE(fd, 0);
    const auto start = std::chrono::steady_clock::now();
    send(fd, "GET / HTTP/1.1\r\n", 16, MSG_NOSIGNAL);
    bool cut = false;
    for (int i = 0; i < 20 && !cut; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        char answer = 0; // the server's 400 or the closed connection
        cut = send(fd, "X-Slow: 1\r\n", 11, MSG_NOSIGNAL) < 0 || recv(fd, &answer, 1, MSG_DONTWAIT) >= 0;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    close(fd);
    EXPECT_TRUE(cut);
    EXPECT_LT(seconds, 2.0);
    EXPECT_EQ(probe.Get("/api/highscores?variant=4")->status, 200);
    fs::remove_all(folder);
}

namespace {

// A post that hands the form straight to the server's checks and keeps the refusals.
class CheckingPost : public TCustomWebPost {
public:
    std::vector<std::string> refused;
    bool Post() override {
        const std::string body = FormBody(Items);
        const auto parsed = ParseSubmission(body, {kCheckModulus, kCheckBase});
        if (const auto* refusal = std::get_if<Refusal>(&parsed))
            refused.push_back(refusal->reason + ": " + body);
        return true;
    }
};

int JsonInt(const std::string& line, const std::string& key) {
    const size_t at = line.find("\"" + key + "\":");
    return at == std::string::npos ? -1 : std::atoi(line.c_str() + at + key.size() + 3);
}

} // namespace

// Never refuse a real game: every finished game of computer-against-computer runs over all board
// sizes and rule sets, entered and sent exactly as the game does (the quickest clock allowed).
TEST(ServerPlausibility, AcceptsEveryFinishedGameOfASelfplayRun) {
    CheckingPost post;
    int games = 0;
    for (int variant = 4; variant <= 6; ++variant)
        for (int head = 0; head <= 1; ++head)
            for (int stones = 3; stones <= 8; ++stones) {
                std::istringstream lines(
                    RunCommand(std::string(KELANITOOL) + " selfplay --variant " + std::to_string(variant) +
                               " --stones " + std::to_string(stones) + " --head " + std::to_string(head) +
                               " --level1 1 --level2 2 --games 30 --max-moves 400 --first " +
                               std::to_string(1 + stones % 2) + " --seed " + std::to_string(stones)));
                for (std::string line; std::getline(lines, line);) {
                    if (line.find("\"finished\":true") == std::string::npos) continue;
                    ++games;
                    THighscore table;
                    table.GameIndex = std::to_string(variant);
                    for (int p = 1; p <= 2; ++p) {
                        const int moves = JsonInt(line, "moves" + std::to_string(p));
                        table.AddEntry("Spieler" + std::to_string(p), LeastSeconds(moves),
                                       JsonInt(line, "store" + std::to_string(p)),
                                       JsonInt(line, "store" + std::to_string(3 - p)), moves, false,
                                       "p" + std::to_string(p) + "@example.org", "deutschland");
                    }
                    EXPECT_EQ(SendToWeb(table, post), 0);
                }
            }
    std::printf("selfplay: %d finished games posted, %zu refused\n", games, post.refused.size());
    EXPECT_GT(games, 500);
    EXPECT_TRUE(post.refused.empty()) << post.refused.front();
}

// A database written by the first release (no address or key columns) opens, keeps its entries
// and takes new ones.
TEST(ServerStore, OpensATableOfTheFirstRelease) {
    const fs::path folder = FreshFolder("upgrade");
    const std::string db = (folder / "old.db").string();
    int code = -1;
    RunCommand(
        "sqlite3 " + db +
            " \"CREATE TABLE entries (id INTEGER PRIMARY KEY, variant INTEGER NOT NULL, name TEXT NOT NULL,"
            " email TEXT NOT NULL, land TEXT NOT NULL, points INTEGER NOT NULL, opponent INTEGER NOT NULL,"
            " moves INTEGER NOT NULL, seconds INTEGER NOT NULL, received TEXT NOT NULL DEFAULT"
            " (datetime('now')), UNIQUE (variant, name, email, points, opponent, moves, seconds));"
            " INSERT INTO entries (variant, name, email, land, points, opponent, moves, seconds)"
            " VALUES (5, 'Ann', 'a@x', 'europa', 6667, 16, 12, 3725);\"",
        &code);
    ASSERT_EQ(code, 0);
    HighscoreStore store(db);
    ASSERT_EQ(store.Top(5, 10).size(), 1u);
    EXPECT_EQ(store.Add({5, "Ann", "a@x", "europa", 6667, 16, 12, 3725}), AddOutcome::Known);
    EXPECT_EQ(store.Add({5, "Ann", "a@x", "europa", 7000, 18, 12, 3725}, "10.0.0.1"), AddOutcome::Stored);
    EXPECT_EQ(store.List({0, 0, "Ann", "", ""}).size(), 2u);
    fs::remove_all(folder);
}
