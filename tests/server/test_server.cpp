#include "records/uSendToWeb.h"
#include "records/uTHighscore.h"
#include "records/uWebForm.h"
#include "records/uWorldwide.h"
#include "server/uPlausibility.h"
#include "tests/server/LiveServer.h"
#include "tests/server/ServerProcess.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <algorithm>
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
    EXPECT_NE(page->body.find("Variant 5"), std::string::npos);
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
        // Bounds from the shortest real games: a whitewash in one move, variant 4 over in three
        // moves, 30 moves that never took a second, a whole board won in five moves.
        add([](Entry& e) { e.punkte = "100.00", e.gegner = "0", e.runden = "1", e.zeit = "00:00:00"; }, 422);
        add([](Entry& e) { e.variant = "4", e.punkte = "50.00", e.gegner = "24", e.runden = "3"; }, 422);
        add([](Entry& e) { e.runden = "30", e.zeit = "00:00:02"; }, 422);
        add([](Entry& e) { e.punkte = "100.00", e.gegner = "0", e.runden = "5"; }, 422);
        // The shortest real game: variant 5, three stones, one move each, 20 of 36 stones, no second.
        add([](Entry& e) { e.punkte = "55.56", e.gegner = "16", e.runden = "1", e.zeit = "00:00:00"; }, 200);
        return list;
    }();
    for (const auto& [entry, status] : cases)
        EXPECT_EQ(Post(server_.port(), Body(entry))->status, status) << Body(entry).substr(0, 200);
    EXPECT_EQ(server_.store().Count(), 2);
}

// What the game can send: names as long as a saved game holds, long addresses, stored whole; the
// page and the JSON show a name's first characters only, so whatever was posted, their size stays
// bounded.
TEST_F(ServerTest, StoresTheLongestNamesWholeAndShowsThemCut) {
    Entry e;
    e.name = std::string(kMaxTextBytes, '\xBD'); // every byte the longest entity, "&frac12;"
    e.email = std::string(254, 'm') + "@x";
    EXPECT_EQ(Post(server_.port(), Body(e))->status, 200);
    const auto stored = server_.store().List({});
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].entry.name.size(), 2 * kMaxTextBytes); // "½" is two bytes of UTF-8
    EXPECT_EQ(stored[0].entry.email, e.email);
    // Full tables of the names that swell most on the page ('"' is "&quot;" there).
    for (int i = 0; i < 3 * 40; ++i) {
        const std::string tag = "n" + std::to_string(i) + "-";
        const std::string name = tag + std::string(kMaxTextBytes - tag.size(), '"');
        server_.store().Add({4 + i % 3, name, name, "", 6667, 16, 12, 3725});
    }
    httplib::Client client("127.0.0.1", server_.port());
    const std::string page = client.Get("/")->body, json = client.Get("/api/highscores")->body;
    EXPECT_LT(page.size(), 300000u);
    EXPECT_LT(json.size(), 300000u);
    auto repeat = [](const std::string& text, int times) {
        std::string out;
        while (times-- > 0) out += text;
        return out;
    };
    EXPECT_NE(page.find(">" + repeat("\xC2\xBD", 31) + "\u2026</td>"), std::string::npos);
    EXPECT_NE(json.find("\"name\":\"n7-" + repeat("\\\"", 28) + "\u2026\","), std::string::npos);
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
    // One address keeps its best two per variant under any names; an IPv6 address counts as its
    // /64; this machine's own posts are not counted.
    HighscoreStore open((folder / "open.db").string(), {3, 100, 2});
    EXPECT_EQ(open.Add(entry("a1", "a1@x", 30), "192.0.2.7"), AddOutcome::Stored);
    EXPECT_EQ(open.Add(entry("a2", "a2@x", 20), "192.0.2.7"), AddOutcome::Stored);
    EXPECT_EQ(open.Add(entry("a3", "a3@x", 40), "192.0.2.7"), AddOutcome::Outranked);
    EXPECT_EQ(open.Add(entry("a4", "a4@x", 40), "192.0.2.8"), AddOutcome::Stored);
    EXPECT_EQ(open.Add(entry("b1", "b1@x", 30), "2001:db8:1:2::1"), AddOutcome::Stored);
    EXPECT_EQ(open.Add(entry("b2", "b2@x", 20), "2001:db8:1:2:ffff::9"), AddOutcome::Stored);
    EXPECT_EQ(open.Add(entry("b3", "b3@x", 10), "2001:db8:1:2::3"), AddOutcome::Stored); // pushes out 30 s
    EXPECT_EQ(open.Add(entry("b4", "b4@x", 40), "2001:db8:1:3::1"), AddOutcome::Stored);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(open.Add(entry("local" + std::to_string(i), "l@x" + std::to_string(i), 50), "127.0.0.1"),
                  AddOutcome::Stored);
    EXPECT_EQ(open.Count(), 3 + 3 + 5);
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

// One language per page: the one the browser ranks higher of German and English, else English.
TEST_F(ServerTest, ThePageSpeaksTheBrowsersLanguage) {
    EXPECT_EQ(Post(server_.port(), Body({}))->status, 200);
    httplib::Client client("127.0.0.1", server_.port());
    const std::vector<std::string> german{
        "lang=\"de\"", "weltweite Highscore", "Variante 5",  "Rang",    "Land", "Punkte",
        "Zeit",        "Z\u00fcge",           "Deutschland", "- leer -"};
    const std::vector<std::string> english{"lang=\"en\"", "worldwide highscore",
                                           "Variant 5",   "Rank",
                                           "Country",     "Points",
                                           "Time",        "Moves",
                                           "Germany",     "- empty -"};
    const std::vector<std::pair<std::string, bool>> cases{{"de-CH, de;q=0.9, en;q=0.8", true},
                                                          {"en-GB,en;q=0.9,de;q=0.8", false},
                                                          {"fr, de;q=0.5", true},
                                                          {"de;q=0.2, en;q=0.7", false},
                                                          {"de, en", true},
                                                          {"en, de", false},
                                                          {"*", false},
                                                          {"", false}};
    for (const auto& [accept, isGerman] : cases) {
        auto res = client.Get("/", {{"Accept-Language", accept}});
        ASSERT_TRUE(res);
        for (const auto& word : isGerman ? german : english)
            EXPECT_NE(res->body.find(word), std::string::npos) << accept << ": " << word;
        for (const auto& word : isGerman ? english : german)
            EXPECT_EQ(res->body.find(word), std::string::npos) << accept << ": " << word;
        EXPECT_EQ(res->get_header_value("Content-Language"), isGerman ? "de" : "en");
        EXPECT_EQ(res->get_header_value("Vary"), "Accept-Language");
    }
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
    ScratchServer server("admin");
    ASSERT_GT(server.port(), 0);
    const std::string& db = server.db();
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
    EXPECT_EQ(RunCommand(admin + "bans"), "kind\tvalue\nemail\tann@example.org\n");
    EXPECT_EQ(RunCommand(admin + "unban --email ann@example.org"), "ban lifted\n");
    EXPECT_EQ(Post(server.port(), Body(ann))->status, 200);
    int lifted = 0;
    EXPECT_EQ(RunCommand(admin + "unban --email ann@example.org", &lifted), "no such ban\n");
    EXPECT_EQ(lifted, 1);
    EXPECT_EQ(RunCommand(admin + "delete --name Ann"), "1 entries deleted\n");
    // Whatever a stored text holds, the list prints no control character to the operator's terminal.
    HighscoreStore(db).Add({5, "Eve\x1b[2J", "e\x9b@x", "", 6667, 16, 12, 3725}, "\x1b]0;owned\x07\r");
    const std::string hostile = RunCommand(admin + "list --variant 5");
    EXPECT_NE(hostile.find("\tEve\\x1b[2J\te\\x9b@x\t\t\\x1b]0;owned\\x07\\x0d\t"), std::string::npos)
        << hostile;
    for (char c : hostile)
        EXPECT_TRUE(c == '\t' || c == '\n' || static_cast<unsigned char>(c) >= 0x20) << hostile;
    EXPECT_EQ(HighscoreStore(db).Delete({0, 5, "Eve\x1b[2J", "", ""}), 1);
    EXPECT_EQ(RunCommand(admin + "delete --name Bob"), "1 entries deleted\n");
    int code = 0;
    RunCommand(admin + "delete 2>/dev/null", &code); // deleting everything needs no command of ours
    EXPECT_EQ(code, 2);
    EXPECT_EQ(HighscoreStore(db).Count(), 0);
}

// With the one-machine command's own options, 200 clients that trickle their headers hold no
// worker: fresh requests are answered while they hang on.
TEST(ServerExecutable, SlowClientsHoldNoWorker) {
    ScratchServer server("slow");
    ASSERT_GT(server.port(), 0);
    std::vector<int> slow;
    for (int i = 0; i < 200; ++i) {
        slow.push_back(Connect("127.0.0.2", server.port()));
        ASSERT_GE(slow.back(), 0);
        send(slow.back(), "POST /software/highscore.add.php4 HTTP/1.1\r\n", 44, MSG_NOSIGNAL);
    }
    httplib::Client fresh("127.0.0.1", server.port());
    fresh.set_read_timeout(5, 0); // the slow clients' request time is 10 s
    for (int round = 0; round < 3; ++round) {
        for (int fd : slow) send(fd, "X-Slow: 1\r\n", 11, MSG_NOSIGNAL);
        auto res = fresh.Get("/api/highscores?variant=4");
        ASSERT_TRUE(res) << "round " << round << ": " << httplib::to_string(res.error());
        EXPECT_EQ(res->status, 200);
    }
    for (int fd : slow) close(fd);
}

// A request whose header or body is not in by the request time is answered 408 and closed.
TEST(ServerExecutable, AnswersARequestLateInHeaderOrBodyWith408) {
    ScratchServer server("late", {"--request-timeout", "600"});
    ASSERT_GT(server.port(), 0);
    for (const std::string& late :
         {std::string("GET / HTTP/1.1\r\nHost: x\r\n"), PostRequest(std::string(100, 'x')).substr(0, 150)}) {
        const RawAnswers got = SendRaw(server.port(), late);
        EXPECT_EQ(got.Statuses(), std::vector<int>{408}) << late;
        EXPECT_TRUE(got.closed);
    }
}

// A request smuggled inside another (the way a proxy keeping its connection would forward it)
// is neither answered nor stored, whatever shape the outer request has.
TEST(ServerExecutable, NoRequestHiddenInAnotherIsAnsweredOrStored) {
    ScratchServer server("smuggle", {"--behind-proxy"});
    ASSERT_GT(server.port(), 0);
    Entry forged;
    forged.name = "Forged";
    const std::string hidden = PostRequest(Body(forged), "X-Real-IP: 198.51.100.66\r\n");
    const std::string post =
        "POST /software/highscore.add.php4 HTTP/1.1\r\nHost: x\r\nX-Real-IP: 192.0.2.1\r\n";
    const std::string padded = hidden + std::string(kMaxBody + 1 - hidden.size(), 'x');
    const std::string chunks = "0\r\n\r\n" + hidden;
    const std::string next = "GET /api/highscores?variant=6 HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    const std::vector<std::pair<std::string, std::vector<int>>> cases{
        {post + "Content-Length: " + std::to_string(padded.size()) + "\r\n\r\n" + padded, {413}},
        {"GET /api/highscores?variant=4 HTTP/1.1\r\nHost: x\r\nContent-Length: " +
             std::to_string(hidden.size()) + "\r\n\r\n" + hidden + next,
         {200, 200}},
        {post + "Content-Length: " + std::to_string(chunks.size()) +
             "\r\nTransfer-Encoding: chunked\r\n\r\n" + chunks,
         {400}},
        {post + "Transfer-Encoding: chunked\r\n\r\n" + chunks, {411}},
        {post + "Content-Length: 0\r\nContent-Length: " + std::to_string(hidden.size()) + "\r\n\r\n" + hidden,
         {400}},
    };
    for (const auto& [request, statuses] : cases) {
        const RawAnswers got = SendRaw(server.port(), request);
        EXPECT_EQ(got.Statuses(), statuses) << request.substr(0, 120);
        EXPECT_TRUE(got.closed) << request.substr(0, 120);
        // Behind the GET came the request for variant 6, and that is what was answered second.
        EXPECT_EQ(got.bytes.find("{\"variant\":6,") != std::string::npos, statuses.size() == 2);
    }
    EXPECT_EQ(HighscoreStore(server.db()).Count(), 0);
}

// A malformed request is answered once and its connection closed; well-formed ones in a row are all answered.
TEST(ServerExecutable, MalformedRequestsCloseTheConnection) {
    ScratchServer server("malformed");
    ASSERT_GT(server.port(), 0);
    const std::string get = "GET /api/highscores?variant=4 HTTP/1.1\r\nHost: x\r\n";
    const std::vector<std::pair<std::string, int>> cases{
        {"BROKEN\r\n\r\n" + get + "\r\n", 400},
        {"GET /" + std::string(100000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n", 414},
        {"GET / HTTP/1.1\nHost: x\n\n", 400}, // bare line feeds
        {get + " folded\r\n\r\n", 400},       // a continued header line
        {get + "X-A: \x1b[2J\r\n\r\n", 400},  // a control character
        {get + "Host: y\r\n\r\n", 400},       // two hosts
        {"GET / HTTP/1.1\r\n\r\n", 400},      // no host
        {get + "Content-Length: +5\r\n\r\nhello", 400},
        {"GET / HTTP/2.0\r\nHost: x\r\n\r\n", 505},
        {"BREW / HTTP/1.1\r\nHost: x\r\n\r\n", 501},
        {get + "X-Long: " + std::string(9000, 'a') + "\r\n\r\n", 431},
        {get +
             [] {
                 std::string many;
                 for (int i = 0; i < 101; ++i) many += "X-" + std::to_string(i) + ": 1\r\n";
                 return many;
             }() +
             "\r\n",
         431},
    };
    for (const auto& [request, status] : cases) {
        const RawAnswers got = SendRaw(server.port(), request);
        EXPECT_EQ(got.Statuses(), std::vector<int>{status}) << request.substr(0, 60);
        EXPECT_TRUE(got.closed) << request.substr(0, 60);
    }
    const RawAnswers pipelined = SendRaw(server.port(), get + "\r\n" + get + "Connection: close\r\n\r\n");
    EXPECT_EQ(pipelined.Statuses(), (std::vector<int>{200, 200}));
    EXPECT_TRUE(pipelined.closed);
}

// Behind the proxy the player's address is its "X-Real-IP", checked and kept canonical; one
// address keeps at most ten entries per variant.
TEST(ServerExecutable, ChecksTheProxysAddressAndCapsEntriesPerAddress) {
    ScratchServer server("address", {"--behind-proxy"});
    ASSERT_GT(server.port(), 0);
    auto post = [&](const std::string& address, const std::string& name) {
        Entry e;
        e.name = name, e.email = name + "@example.org";
        return SendRaw(server.port(),
                       PostRequest(Body(e), "X-Real-IP: " + address + "\r\nConnection: close\r\n"))
            .Statuses();
    };
    EXPECT_EQ(post("not-an-address", "A"), std::vector<int>{400});
    EXPECT_EQ(SendRaw(server.port(),
                      PostRequest(Body({}),
                                  "X-Real-IP: 192.0.2.1\r\nX-Real-IP: 192.0.2.2\r\nConnection: close\r\n"))
                  .Statuses(),
              std::vector<int>{400});
    EXPECT_EQ(post("2001:DB8:0:0:0:0:0:1", "B"), std::vector<int>{200});
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(post("203.0.113.9", "P" + std::to_string(i)), std::vector<int>{200});
    HighscoreStore store(server.db());
    EXPECT_EQ(store.List({0, 0, "B", "", ""}).at(0).address, "2001:db8::1");
    EXPECT_EQ(store.List({0, 0, "", "", "203.0.113.9"}).size(), 10u);
    EXPECT_EQ(store.Count(), 11);
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
// sizes, rule sets and pairs of levels, entered and sent exactly as the game does (the quickest
// clock allowed).
TEST(ServerPlausibility, AcceptsEveryFinishedGameOfASelfplayRun) {
    CheckingPost post;
    int games = 0;
    for (int variant = 4; variant <= 6; ++variant)
        for (int head = 0; head <= 1; ++head)
            for (int stones = 3; stones <= 8; ++stones) {
                std::istringstream lines(RunCommand(
                    std::string(KELANITOOL) + " selfplay --variant " + std::to_string(variant) +
                    " --stones " + std::to_string(stones) + " --head " + std::to_string(head) + " --level1 " +
                    std::to_string(1 + stones % 3) + " --level2 " +
                    std::to_string(1 + (stones + head + 1) % 3) + " --games 30 --max-moves 400 --first " +
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

// A table of the previous release gains the witness mark, unset for its entries; the play
// service's witnessed entry of a result a player had already posted marks that entry.
TEST(ServerStore, OlderTablesGainTheWitnessMark) {
    const fs::path folder = FreshFolder("witness");
    const std::string db = (folder / "hs.db").string();
    OpenDatabase(db)->Transaction(true, [](SqlSession& s) {
        s.Query(
            "CREATE TABLE entries (id INTEGER PRIMARY KEY, variant INTEGER NOT NULL, name TEXT NOT NULL, "
            "email TEXT NOT NULL, land TEXT NOT NULL, points INTEGER NOT NULL, opponent INTEGER NOT NULL, "
            "moves INTEGER NOT NULL, seconds INTEGER NOT NULL, received TEXT NOT NULL DEFAULT "
            "(datetime('now')), address TEXT NOT NULL DEFAULT '', name_key TEXT NOT NULL DEFAULT '', "
            "email_key TEXT NOT NULL DEFAULT '', origin TEXT NOT NULL DEFAULT '')");
        s.Query("INSERT INTO entries (variant, name, email, land, points, opponent, moves, seconds) VALUES "
                "(5, 'Anna', 'a@x', '', 6667, 16, 12, 3725), (5, 'Ben', 'b@x', '', 5000, 18, 10, 60)");
    });
    HighscoreStore store(db);
    Submission anna{5, "Anna", "a@x", "", 6667, 16, 12, 3725, true};
    EXPECT_EQ(store.Add(anna), AddOutcome::Known);
    const auto entries = store.List({});
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].entry.witnessed);  // Anna's
    EXPECT_FALSE(entries[1].entry.witnessed); // Ben's, posted from his game
    fs::remove_all(folder);
}
