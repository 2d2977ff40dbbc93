#include "records/uWebForm.h"
#include "records/uWorldwide.h"
#include "tests/server/LiveServer.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace kelani;
using namespace kelani::server;
namespace fs = std::filesystem;

namespace {

fs::path FreshFolder(const std::string& name) {
    const fs::path folder = fs::temp_directory_path() / ("kelani-" + name + "-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

struct Entry {
    std::string name = "J\xF6rg";
    std::string punkte = "66.67";
    std::string gegner = "16";
    std::string runden = "12";
    std::string zeit = "01:02:05";
    std::string land = "deutschland";
    std::string email = "joerg@example.org";
    std::string variant = "5";
};

std::string Body(const Entry& e, int modulus = kCheckModulus) {
    const auto items = HighscoreFormItems({{"name", e.name},
                                           {"punkte", e.punkte},
                                           {"punktegegner", e.gegner},
                                           {"runden", e.runden},
                                           {"ki", "0"},
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
    EXPECT_EQ(client.Get("/api/highscores?variant=7")->status, 400);
}

TEST_F(ServerTest, RepeatsAreStoredOnce) {
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Post(server_.port(), Body({}))->status, 200);
    Entry better;
    better.punkte = "70,00"; // a German locale sends a comma
    EXPECT_EQ(Post(server_.port(), Body(better))->status, 200);
    EXPECT_EQ(server_.store().Count(), 2);
    const auto top = server_.store().Top(5, 10);
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top[0].entry.pointsHundredths, 7000);
}

TEST_F(ServerTest, RefusesForgedMalformedAndOversizedForms) {
    EXPECT_EQ(Post(server_.port(), Body({}, kCheckModulus + 1))->status, 400); // wrong check value
    std::string body = Body({});
    EXPECT_EQ(Post(server_.port(), body.substr(0, body.rfind('&')))->status, 400); // check missing
    EXPECT_EQ(Post(server_.port(), body + "&extra=1")->status, 400);
    EXPECT_EQ(Post(server_.port(), "name=%ZZ")->status, 400);
    EXPECT_EQ(Post(server_.port(), "")->status, 400);
    Entry e;
    e.name = std::string(41, 'x');
    EXPECT_EQ(Post(server_.port(), Body(e))->status, 400);
    e = {};
    e.variant = "3";
    EXPECT_EQ(Post(server_.port(), Body(e))->status, 400);
    e = {};
    e.zeit = "1:2:3";
    EXPECT_EQ(Post(server_.port(), Body(e))->status, 400);
    e = {};
    e.punkte = "100.01";
    EXPECT_EQ(Post(server_.port(), Body(e))->status, 400);
    e = {};
    e.email = "";
    EXPECT_EQ(Post(server_.port(), Body(e))->status, 400);
    EXPECT_EQ(Post(server_.port(), std::string(70000, 'a'))->status, 413);
    EXPECT_EQ(server_.store().Count(), 0);
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
    auto start = [&](int& port) {
        int out[2];
        EXPECT_EQ(pipe(out), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            execl(KELANI_SERVER_EXE, KELANI_SERVER_EXE, "--port", "0", "--db", db.c_str(), nullptr);
            _exit(127);
        }
        close(out[1]);
        char line[128] = {};
        size_t used = 0;
        while (used < sizeof line - 1 && read(out[0], line + used, 1) == 1 && line[used] != '\n') ++used;
        close(out[0]);
        const char* colon = std::strrchr(line, ':');
        port = colon ? std::atoi(colon + 1) : 0;
        return pid;
    };
    int port = 0;
    pid_t pid = start(port);
    ASSERT_GT(port, 0);
    EXPECT_EQ(Post(port, Body({}))->status, 200);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = start(port);
    ASSERT_GT(port, 0);
    httplib::Client client("127.0.0.1", port);
    auto json = client.Get("/api/highscores?variant=5");
    ASSERT_TRUE(json);
    EXPECT_NE(json->body.find("J\xC3\xB6rg"), std::string::npos);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}
