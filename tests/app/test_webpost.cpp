#include "app/WebPost.h"
#include "app/lngDialogs.h"
#include "tests/server/LiveServer.h"

#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace kelani;
using kelani::test::App;
namespace fs = std::filesystem;

namespace {

TWebPostItems Genuine() {
    return HighscoreFormItems({{"name", "J\xF6rg"},
                               {"punkte", "50.00"},
                               {"punktegegner", "24"},
                               {"runden", "20"},
                               {"ki", "0"},
                               {"zeit", "00:10:00"},
                               {"land", "deutschland"},
                               {"email", "j@example.org"}},
                              "kelani", "4", kCheckModulus, kCheckBase);
}

// A bare server that records what the client sent and answers after `delayMs`.
class RecordingServer {
public:
    explicit RecordingServer(int delayMs = 0) {
        http_.Post("/software/highscore.add.php4",
                   [this, delayMs](const httplib::Request& req, httplib::Response& res) {
                       agent = req.get_header_value("User-Agent");
                       contentType = req.get_header_value("Content-Type");
                       body = req.body;
                       std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                       res.set_content("ok", "text/plain");
                   });
        port = http_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { http_.listen_after_bind(); });
        while (!http_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~RecordingServer() {
        http_.stop();
        thread_.join();
    }
    int port = 0;
    std::string agent, contentType, body;

private:
    httplib::Server http_;
    std::thread thread_;
};

struct Failure {
    QString text;
    int code = 0;
    int calls = 0;
};

void Aim(TWebPost& post, int port, Failure* failure = nullptr) {
    post.Server = "127.0.0.1:" + std::to_string(port);
    post.Action = kWorldwideAction;
    if (failure)
        post.OnError = [failure](const QString& text, int code) {
            failure->text = text;
            failure->code = code;
            ++failure->calls;
        };
}

} // namespace

TEST(WebPost, SendsTheExactFormWithItsAgentName) {
    App();
    RecordingServer server;
    TWebPost post;
    Aim(post, server.port);
    post.Items = {{"name", "a b"}, {"x", "1"}};
    EXPECT_TRUE(post.Post());
    EXPECT_EQ(server.agent, "TWebPost");
    EXPECT_EQ(server.contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(server.body, "name=a+b&x=1");
    EXPECT_EQ(post.Response, "ok");
}

TEST(WebPost, AGenuineEntryReachesTheHighscoreServer) {
    App();
    const fs::path folder = fs::temp_directory_path() / ("kelani-webpost-" + std::to_string(getpid()));
    fs::create_directories(folder);
    server::LiveServer server(folder / "hs.db");
    TWebPost post;
    Failure failure;
    Aim(post, server.port(), &failure);
    post.Items = Genuine();
    EXPECT_TRUE(post.Post()) << failure.text.toStdString();
    ASSERT_EQ(server.store().Count(), 1);
    EXPECT_EQ(server.store().Top(4, 1)[0].entry.name, "J\xC3\xB6rg");
    EXPECT_FALSE(post.Refused);
    // A refused form is a failure, not a success, reported with the server's reason.
    post.Items.back().Value = "1";
    EXPECT_FALSE(post.Post());
    EXPECT_TRUE(post.Refused);
    EXPECT_EQ(failure.calls, 1);
    EXPECT_EQ(failure.code, 403);
    EXPECT_TRUE(failure.text.contains("check value")) << failure.text.toStdString();
    fs::remove_all(folder);
}

TEST(WebPost, AnUnreachableServerFailsWithAnError) {
    App();
    TWebPost post;
    Failure failure;
    Aim(post, 1, &failure); // nothing listens on port 1
    post.Items = Genuine();
    EXPECT_FALSE(post.Post());
    EXPECT_FALSE(post.Refused); // no answer: the send stops
    EXPECT_EQ(failure.calls, 1);
    EXPECT_NE(failure.code, 0);
    EXPECT_FALSE(failure.text.isEmpty());
}

TEST(WebPost, ASilentServerTimesOut) {
    App();
    RecordingServer server(1500);
    TWebPost post;
    Failure failure;
    Aim(post, server.port, &failure);
    post.TimeoutMs = 200;
    EXPECT_FALSE(post.Post());
    EXPECT_EQ(failure.code, 12002);
}

TEST(WebPost, WithoutAnErrorHandlerTheErrorIsShownInABox) {
    App();
    ResetMessageSeam();
    QueueMessageAnswer(mrOk);
    TWebPost post;
    Aim(post, 1);
    EXPECT_FALSE(post.Post());
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_EQ(ShownMessages()[0].Type, mtError);
    ResetMessageSeam();
}
