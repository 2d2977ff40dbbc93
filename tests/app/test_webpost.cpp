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

// A bare server that records what the client sent and answers `status` after `delayMs`.
class RecordingServer {
public:
    explicit RecordingServer(int delayMs = 0, int status = 200) {
        http_.Post("/software/highscore.add.php4",
                   [this, delayMs, status](const httplib::Request& req, httplib::Response& res) {
                       agent = req.get_header_value("User-Agent");
                       contentType = req.get_header_value("Content-Type");
                       body = req.body;
                       std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                       res.status = status;
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
    EXPECT_EQ(post.Answers, std::vector<std::string>{"stored"});
    // A refused form is a failure, not a success, reported with the server's reason.
    post.Items.back().Value = "1";
    EXPECT_FALSE(post.Post());
    EXPECT_TRUE(post.Refused);
    EXPECT_EQ(failure.calls, 1);
    EXPECT_EQ(failure.code, 403);
    EXPECT_TRUE(failure.text.contains("check value")) << failure.text.toStdString();
    fs::remove_all(folder);
}

// Every failure is told in the language of the boxes and names the server as the player set it:
// an address without a host, a port nobody listens on, a server that answers too late and one
// that fails itself. Without an error handler the text goes into an error box, with one to it.
TEST(WebPost, EveryFailureIsToldInThePlayersLanguageAndNamesTheServer) {
    App();
    RecordingServer silent(1000), failing(0, 500);
    const std::string late = "127.0.0.1:" + std::to_string(silent.port);
    const std::string broken = "127.0.0.1:" + std::to_string(failing.port);
    const struct {
        std::string server;
        const char* german;
        const char* english;
    } cases[] = {
        {"http://", "\"http://\" ist keine g\u00FCltige Adresse eines Highscore-Servers.",
         "\"http://\" is not a valid highscore server address."},
        {"127.0.0.1:1", "Der Server 127.0.0.1:1 nimmt keine Verbindung an.",
         "The server 127.0.0.1:1 refuses the connection."},
        {late, "Der Server %1 hat nicht rechtzeitig geantwortet.", "The server %1 did not answer in time."},
        {broken, "Der Server %1 meldet einen eigenen Fehler (HTTP 500).",
         "The server %1 reports an error of its own (HTTP 500)."},
    };
    for (const auto& c : cases)
        for (const char* language : {"german", "english"}) {
            const bool german = QLatin1String(language) == QLatin1String("german");
            const QString expected = QString::fromUtf8(german ? c.german : c.english)
                                         .replace(QStringLiteral("%1"), QString::fromStdString(c.server));
            SetDialogLanguage(QLatin1String(language));
            ResetMessageSeam();
            QueueMessageAnswer(mrOk);
            TWebPost post;
            post.Server = c.server;
            post.Action = kWorldwideAction;
            post.TimeoutMs = 200;
            post.Items = Genuine();
            EXPECT_FALSE(post.Post()) << c.server;
            EXPECT_FALSE(post.Refused) << c.server << ": no answer stops the send";
            EXPECT_TRUE(post.Answers.empty());
            ASSERT_EQ(ShownMessages().size(), 1u) << c.server;
            EXPECT_EQ(ShownMessages()[0].Type, mtError);
            EXPECT_TRUE(ShownMessages()[0].Text.startsWith(expected))
                << ShownMessages()[0].Text.toStdString() << " / " << expected.toStdString();

            Failure failure;
            post.OnError = [&failure](const QString& text, int code) {
                failure.text = text;
                failure.code = code;
                ++failure.calls;
            };
            EXPECT_FALSE(post.Post());
            EXPECT_EQ(failure.calls, 1);
            EXPECT_EQ(failure.text, ShownMessages()[0].Text);
            EXPECT_EQ(ShownMessages().size(), 1u) << "the handler takes the text instead of a box";
            if (c.server == late) {
                EXPECT_EQ(failure.code, 12002);
            }
        }
    ResetMessageSeam();
    SetDialogLanguage(QString());
}
