// The shipped nginx site in front of the real server, as deployed: rendered for test ports with a
// certificate of a test authority made by openssl, nginx and the server started by the test.
#include "app/WebPost.h"
#include "app/lngDialogs.h"
#include "server/uHighscoreService.h"
#include "server/uHighscoreStore.h"
#include "tests/server/ScratchNginx.h"
#include "tests/support/TestApp.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace kelani;
using namespace kelani::server;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class FrontTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = std::make_unique<ServerProcess>(
            std::vector<std::string>{"--port", "0", "--db", db_.string(), "--behind-proxy"});
        ASSERT_GT(server_->port(), 0);
        nginx_ = std::make_unique<ScratchNginx>(folder_, server_->port());
        ASSERT_TRUE(nginx_->started()) << "nginx did not start: " << nginx_->log();
        tlsPort_ = nginx_->tlsPort();
        httpPort_ = nginx_->httpPort();
    }
    void TearDown() override {
        nginx_.reset();
        server_.reset();
        fs::remove_all(folder_);
    }

    std::unique_ptr<httplib::SSLClient> Tls() const {
        auto client = std::make_unique<httplib::SSLClient>("127.0.0.1", tlsPort_);
        client->set_ca_cert_path((folder_ / "ca.pem").c_str());
        client->enable_server_certificate_verification(true);
        return client;
    }

    fs::path folder_ = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::path db_ = folder_ / "hs.db";
    int tlsPort_ = 0, httpPort_ = 0;
    std::unique_ptr<ServerProcess> server_;
    std::unique_ptr<ScratchNginx> nginx_;
};

// 200 clients from another address each send a header line a second; nginx holds them, not our
// workers, and cuts them off after its header timeout. Fresh requests are answered meanwhile.
TEST_F(FrontTest, SlowClientsDoNotDelayFreshRequests) {
    std::vector<int> slow;
    for (int i = 0; i < 200; ++i) {
        const int fd = Connect("127.0.0.2", httpPort_);
        ASSERT_GE(fd, 0);
        send(fd, "POST /software/highscore.add.php4 HTTP/1.1\r\n", 44, MSG_NOSIGNAL);
        slow.push_back(fd);
    }
    auto client = Tls();
    double worst = 0;
    const auto start = Clock::now();
    for (int tick = 0; Clock::now() - start < std::chrono::seconds(7); ++tick) {
        for (int fd : slow) send(fd, "X-Slow: 1\r\n", 11, MSG_NOSIGNAL);
        const auto asked = Clock::now();
        auto res = client->Get("/api/highscores");
        worst = std::max(worst, std::chrono::duration<double>(Clock::now() - asked).count());
        ASSERT_TRUE(res) << httplib::to_string(res.error());
        EXPECT_EQ(res->status, 200);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    int cut = 0;
    for (int fd : slow) {
        char answer[64];
        cut += recv(fd, answer, sizeof answer, MSG_DONTWAIT) >= 0; // 408 or closed
        close(fd);
    }
    std::printf("front: 200 slow clients; slowest fresh answer %.3f s; %d slow clients cut off after 7 s\n",
                worst, cut);
    EXPECT_LT(worst, 1.0);
    EXPECT_EQ(cut, 200);
}

// One address posts 100 forms within 10 s: the burst of one whole send passes, the rest is
// refused with 429 and never reaches the table.
TEST_F(FrontTest, PostsPastTheBurstAreRefusedAndNotStored) {
    auto client = Tls();
    int accepted = 0, limited = 0;
    const auto start = Clock::now();
    for (int i = 0; i < 100; ++i) {
        auto res =
            client->Post("/software/highscore.add.php4", FormBody(GenuineItems("flood" + std::to_string(i))),
                         "application/x-www-form-urlencoded");
        ASSERT_TRUE(res);
        accepted += res->status == 200;
        limited += res->status == 429;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("front: 100 posts in %.2f s: %d accepted, %d refused with 429\n", seconds, accepted, limited);
    EXPECT_LT(seconds, 10.0);
    EXPECT_EQ(accepted + limited, 100);
    EXPECT_GE(accepted, 60);                                 // one whole send of three tables
    EXPECT_LE(accepted, 61 + static_cast<int>(seconds / 2)); // then one post every two seconds
    EXPECT_EQ(HighscoreStore(db_.string()).Count(), accepted);
}

// A request hidden in another's body reaches the server neither through a body over the limit
// (nginx's limit is the server's own, so nginx refuses it) nor behind a GET (the server reads
// every body whole): nothing is stored under the forged address, and the next client through the
// same kept-alive upstream connection gets its own answer.
TEST_F(FrontTest, NoRequestHiddenInAnotherGetsThrough) {
    const std::string hidden = PostRequest(FormBody(GenuineItems("Forged")), "X-Real-IP: 198.51.100.66\r\n") +
                               "GET /api/highscores?variant=5 HTTP/1.1\r\nHost: highscore\r\n\r\n";
    const std::string padded = hidden + std::string(kMaxBody + 1 - hidden.size(), 'x');
    const RawAnswers overLimit = SendRaw(httpPort_, PostRequest(padded));
    ASSERT_FALSE(overLimit.Statuses().empty());
    EXPECT_EQ(overLimit.Statuses().front(), 413);
    // A body of exactly the limit passes nginx and is judged by the server: a malformed form.
    const RawAnswers atLimit =
        SendRaw(httpPort_, PostRequest(std::string(kMaxBody, 'x'), "Connection: close\r\n"), 20);
    EXPECT_EQ(atLimit.Statuses(), std::vector<int>{400});
    httplib::Request behindGet;
    behindGet.method = "GET";
    behindGet.path = "/api/highscores?variant=4";
    behindGet.body = hidden;
    auto attacker = Tls();
    auto answered = attacker->send(behindGet);
    ASSERT_TRUE(answered);
    EXPECT_EQ(answered->body.rfind("{\"variant\":4,", 0), 0u) << answered->body;
    for (int i = 0; i < 3; ++i) {
        auto res = Tls()->Get("/api/highscores?variant=6");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->body.rfind("{\"variant\":6,", 0), 0u) << res->body;
    }
    EXPECT_EQ(HighscoreStore(db_.string()).Count(), 0);
}

// However long the names posted, the page stays small; it speaks the browser's language.
TEST_F(FrontTest, PageIsSmallAndSpeaksTheBrowsersLanguage) {
    auto client = Tls();
    for (int i = 0; i < 10; ++i) {
        const std::string tag = "n" + std::to_string(i) + "-";
        auto res = client->Post("/software/highscore.add.php4",
                                FormBody(GenuineItems(tag + std::string(kMaxTextBytes - 20, '"'), 4 + i % 3)),
                                "application/x-www-form-urlencoded");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200) << res->body;
    }
    auto german = client->Get("/", {{"Accept-Language", "de-DE,de;q=0.9,en;q=0.5"}});
    ASSERT_TRUE(german);
    EXPECT_LT(german->body.size(), 100000u);
    EXPECT_NE(german->body.find("<html lang=\"de\">"), std::string::npos);
    EXPECT_NE(german->body.find("Rang"), std::string::npos);
    EXPECT_EQ(german->body.find("Rank"), std::string::npos);
    auto english = client->Get("/", {{"Accept-Language", "en-US,en;q=0.9"}});
    ASSERT_TRUE(english);
    EXPECT_NE(english->body.find("<html lang=\"en\">"), std::string::npos);
}

// The game's own post, over TLS with the certificate verified against the test authority.
TEST_F(FrontTest, TheGamesPostOverTlsIsStored) {
    test::App();
    qputenv("KELANI_TEST_CA", QByteArray::fromStdString((folder_ / "ca.pem").string()));
    TWebPost post;
    QString error;
    post.OnError = [&error](const QString& text, int) { error = text; };
    post.Server = "https://127.0.0.1:" + std::to_string(tlsPort_);
    post.Action = kWorldwideAction;
    post.Items = GenuineItems("J\xF6rg");
    EXPECT_TRUE(post.Post()) << error.toStdString();
    EXPECT_EQ(post.Response, "stored\n");
    // A score no real game ends with (all stones in one move, no second) is refused, and the game
    // is told why.
    TWebPost implausible;
    implausible.OnError = post.OnError;
    implausible.Server = post.Server;
    implausible.Action = post.Action;
    implausible.Items = HighscoreFormItems({{"name", "Fake"},
                                            {"punkte", "100.00"},
                                            {"punktegegner", "0"},
                                            {"runden", "1"},
                                            {"ki", "0"},
                                            {"zeit", "00:00:00"},
                                            {"land", "deutschland"},
                                            {"email", "fake@example.org"}},
                                           "kelani", "5", kCheckModulus, kCheckBase);
    EXPECT_FALSE(implausible.Post());
    EXPECT_TRUE(implausible.Refused);
    ASSERT_EQ(implausible.Refusals.size(), 1u);
    EXPECT_EQ(implausible.Refusals[0].Status, 422);
    const auto entries = HighscoreStore(db_.string()).List({});
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].entry.name, "J\xC3\xB6rg");
    // Without the test authority the certificate does not verify, and nothing is sent.
    qunsetenv("KELANI_TEST_CA");
    TWebPost untrusting;
    untrusting.OnError = post.OnError;
    untrusting.Server = post.Server;
    untrusting.Action = post.Action;
    untrusting.Items = post.Items;
    EXPECT_FALSE(untrusting.Post());
    EXPECT_FALSE(untrusting.Refused);
    EXPECT_TRUE(error.contains("certificate", Qt::CaseInsensitive)) << error.toStdString();
}
