// The play service: the real kelani-play-server started by the test on a scratch database, raw
// WebSocket clients as its players, alone and behind the shipped nginx site.
#include "server/uHighscoreService.h"
#include "server/uPlayStore.h"
#include "tests/server/PlayGameHelpers.h"
#include "tests/server/ScratchNginx.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace kelani;
using namespace kelani::server;
namespace fs = std::filesystem;

namespace {

std::string TestName() {
    return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

// A play server on a database of its own in a scratch folder.
class ScratchPlay {
public:
    explicit ScratchPlay(const std::vector<std::string>& options = {})
        : folder_(FreshFolder("play-" + TestName())), db_((folder_ / "hs.db").string()) {
        Start(options);
    }
    ~ScratchPlay() {
        process_.reset();
        fs::remove_all(folder_);
    }
    void Start(const std::vector<std::string>& options = {}) {
        std::vector<std::string> args{"--port", "0", "--db", db_};
        args.insert(args.end(), options.begin(), options.end());
        process_ = std::make_unique<ServerProcess>(args, KELANI_PLAY_SERVER_EXE);
    }
    ServerProcess& process() { return *process_; }
    int port() const { return process_->port(); }
    const std::string& db() const { return db_; }
    const fs::path& folder() const { return folder_; }

private:
    fs::path folder_;
    std::string db_;
    std::unique_ptr<ServerProcess> process_;
};

// Both entries of a game played to the board's end are in the table, marked as witnessed.
void ExpectWitnessedEntries(const std::string& db, const OnlineGame& g) {
    HighscoreStore store(db);
    const auto entries = store.List({});
    ASSERT_EQ(entries.size(), 2u);
    for (const auto& e : entries) {
        const int seat = e.entry.name == "Anna" ? 1 : 2;
        const int own = g.feld.Store(seat), other = g.feld.Store(Opponent(seat));
        EXPECT_TRUE(e.entry.witnessed);
        EXPECT_EQ(e.entry.variant, g.feld.Variante());
        EXPECT_EQ(e.entry.opponentStones, other);
        EXPECT_EQ(e.entry.pointsHundredths, static_cast<int>(std::llround(own * 10000.0 / (own + other))));
    }
}

} // namespace

// A whole game between two clients: the start reaches both, every move both, chat comes back
// filtered to both, a draw offer and its decline reach the other seat, and the board's end enters
// both players in the worldwide table as witnessed, which the page marks in both languages.
TEST(PlayServer, WholeGameEndsInTheTableAsWitnessed) {
    ScratchPlay server;
    ASSERT_GT(server.port(), 0);
    PlayClient anna(server.port()), ben(server.port());
    OnlineGame g(anna, ben);
    ASSERT_TRUE(g.started());
    EXPECT_EQ(g.code.size(), 11u);
    EXPECT_EQ(g.code[5], '-');
    EXPECT_EQ(g.token[1].size(), 32u);

    anna.Send(R"({"type":"chat","text":"<b>Gut</b> gespielt!\u0007 \u4e16"})");
    for (PlayClient* c : {&anna, &ben}) {
        const auto chat = c->Until("chat");
        ASSERT_TRUE(chat);
        EXPECT_EQ(FieldString(*chat, "text"), "bGut/b gespielt! ?");
        EXPECT_EQ(FieldNumber(*chat, "seat"), 1);
    }
    anna.Send(R"({"type":"draw","action":"offer"})");
    auto draw = ben.Until("draw");
    ASSERT_TRUE(draw);
    EXPECT_EQ(FieldString(*draw, "action"), "offer");
    ben.Send(R"({"type":"draw","action":"decline"})");
    draw = anna.Until("draw");
    ASSERT_TRUE(draw);
    EXPECT_EQ(FieldString(*draw, "action"), "decline");

    g.PlayToEnd(7);
    ExpectWitnessedEntries(server.db(), g);
    HighscoreStore store(server.db());
    const std::string german = RenderPage(store, {}, PageLanguage::German);
    const std::string english = RenderPage(store, {}, PageLanguage::English);
    EXPECT_NE(german.find("Anna <span class=w title=\"online gespielt, vom Spielserver bezeugt\">"),
              std::string::npos);
    EXPECT_NE(english.find("Ben <span class=w title=\"played online, witnessed by the play server\">"),
              std::string::npos);
    EXPECT_NE(RenderJson(store, {}, g.feld.Variante()).find("\"witnessed\":true"), std::string::npos);
}

// The same through the shipped nginx site: the WebSocket upgrade passes /play to the service.
TEST(PlayServer, WholeGameThroughNginx) {
    ScratchPlay server({"--behind-proxy"});
    ASSERT_GT(server.port(), 0);
    ScratchNginx nginx(server.folder(), FreePort(), server.port());
    ASSERT_TRUE(nginx.started()) << nginx.log();
    PlayClient anna(nginx.httpPort()), ben(nginx.httpPort());
    ASSERT_TRUE(anna.connected() && ben.connected()) << nginx.log();
    OnlineGame g(anna, ben, CreateMessage(4, 3));
    ASSERT_TRUE(g.started());
    g.PlayToEnd(11);
    ExpectWitnessedEntries(server.db(), g);
}

// The server is killed with -9 between moves and started again on its database: every move it
// had acknowledged is there, and a resuming client gets exactly the moves after its last one,
// then the other seat's presence; the game goes on.
TEST(PlayServer, KillBetweenMovesLosesNoAcknowledgedMove) {
    ScratchPlay server;
    std::mt19937 random(3);
    std::string game, tokens[3];
    TFeld feld;
    int moves = 0;
    {
        PlayClient anna(server.port()), ben(server.port());
        OnlineGame g(anna, ben);
        ASSERT_TRUE(g.started());
        for (int i = 0; i < 6; ++i) g.Play(g.Choose(random));
        server.process().Stop(SIGKILL);
        game = g.game;
        tokens[1] = g.token[1];
        tokens[2] = g.token[2];
        feld = g.feld;
        moves = g.moves;
    }
    server.Start();
    ASSERT_GT(server.port(), 0);
    PlayClient anna(server.port()), ben(server.port());
    anna.Send(ResumeMessage(game, tokens[1], moves));
    auto resumed = anna.Next();
    ASSERT_TRUE(resumed);
    EXPECT_EQ(FieldString(*resumed, "type"), "resumed");
    EXPECT_EQ(FieldNumber(*resumed, "moves"), moves);
    EXPECT_EQ(FieldString(*resumed, "state"), "playing");
    auto next = anna.Next();
    ASSERT_TRUE(next);
    EXPECT_EQ(FieldString(*next, "type"), "presence"); // no move: Anna had them all

    ben.Send(ResumeMessage(game, tokens[2], 2));
    ASSERT_TRUE(ben.Until("resumed"));
    for (int n = 3; n <= moves; ++n) {
        next = ben.Next();
        ASSERT_TRUE(next);
        EXPECT_EQ(FieldString(*next, "type"), "move");
        EXPECT_EQ(FieldNumber(*next, "n"), n);
    }
    next = ben.Next();
    ASSERT_TRUE(next);
    EXPECT_EQ(FieldString(*next, "type"), "presence");
    EXPECT_EQ(FieldText(*next, "online"), "true");

    // Ben comes back on a second connection while the first is still open, and the first goes:
    // Anna is not told he left.
    {
        PlayClient again(server.port());
        again.Send(ResumeMessage(game, tokens[2], moves));
        ASSERT_TRUE(again.Until("resumed"));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the server has seen it go
    ben.Send(R"({"type":"chat","text":"da"})");
    ASSERT_TRUE(anna.Until("chat"));
    for (const auto& skipped : anna.skipped) EXPECT_NE(FieldText(skipped, "online"), "false") << skipped;

    OnlineGame g;
    g.seat[1] = &anna;
    g.seat[2] = &ben;
    g.game = game;
    g.feld = feld;
    g.moves = moves;
    g.Play(g.Choose(random));
}

// Every refusal: the request changes nothing, the connection stays or goes as the protocol says,
// and a game in progress beside them goes on untouched.
TEST(PlayServer, RefusesBadInput) {
    ScratchPlay server({"--hello-ms", "400"});
    PlayClient anna(server.port()), ben(server.port());
    OnlineGame g(anna, ben);
    ASSERT_TRUE(g.started());
    const int mover = g.feld.AktSpieler(), waiter = Opponent(g.feld.AktSpieler());
    std::mt19937 random(5);
    const int place = g.Choose(random);

    auto refused = [](PlayClient& c, const std::string& message, const std::string& code) {
        c.Send(message);
        const auto error = c.Until("error");
        ASSERT_TRUE(error) << message;
        EXPECT_EQ(FieldString(*error, "code"), code) << message;
    };
    // Out of turn, an illegal pit, the other player's pit, a stale or future number: refused,
    // the connection stays.
    refused(*g.seat[waiter], MoveMessage(1, waiter == 1 ? 1 : 8), "not-your-turn");
    refused(*g.seat[mover], MoveMessage(1, mover == 1 ? 8 : 1), "illegal");
    refused(*g.seat[mover], MoveMessage(1, 7), "illegal");
    refused(*g.seat[mover], MoveMessage(2, place), "stale");
    refused(*g.seat[mover], MoveMessage(0, place), "stale");
    refused(*g.seat[mover], R"({"type":"move","n":1})", "bad-request");
    refused(*g.seat[mover], R"({"type":"draw","action":"accept"})", "bad-request");
    refused(*g.seat[mover], R"({"type":"chat","text":"<>"})", "bad-request");

    PlayClient stranger(server.port());
    refused(stranger, JoinMessage(g.code), "game-full");
    refused(
        stranger,
        R"({"type":"create","variant":7,"stones":4,"head":1,"clock":"none","seconds":0,"name":"X","email":"","country":""})",
        "bad-request");
    refused(stranger, CreateMessage(4, 4, "move", 5), "bad-request");
    refused(stranger, R"({"type":"move","n":1,"place":1})", "bad-request");

    // A forged token closes the connection.
    PlayClient forger(server.port());
    refused(forger, ResumeMessage(g.game, std::string(32, '0'), 0), "bad-token");
    EXPECT_EQ(forger.ClosedWith(), 1008);
    // Malformed JSON, nested values, binary frames and floods close with 1008; a frame over
    // 4096 bytes with 1009.
    for (const std::string& bad :
         {std::string(R"({"type":"chat",)"), std::string(R"({"type":"move","n":[1]})"),
          std::string(R"({"type":"move","type":"chat"})"), std::string("[]")}) {
        PlayClient c(server.port());
        refused(c, bad, "bad-json");
        EXPECT_EQ(c.ClosedWith(), 1008) << bad;
    }
    // A text frame that is not UTF-8 is closed by the WebSocket layer itself, with 1007.
    PlayClient garbled(server.port());
    garbled.Send("{\"type\":\"chat\",\"text\":\"\xff\"}");
    EXPECT_EQ(garbled.ClosedWith(), 1007);
    PlayClient binary(server.port());
    binary.Send(R"({"type":"resign"})", true);
    EXPECT_EQ(binary.ClosedWith(), 1008);
    PlayClient large(server.port());
    large.Send(R"({"type":"chat","text":")" + std::string(4100, 'x') + "\"}");
    EXPECT_EQ(large.ClosedWith(), 1009);
    PlayClient flood(server.port());
    for (int i = 0; i < 25; ++i) flood.Send(R"({"type":"nothing"})");
    EXPECT_TRUE(flood.Until("error") && flood.skipped.empty());
    std::string last;
    while (auto m = flood.Next()) last = *m;
    EXPECT_EQ(FieldString(last, "code"), "flood");
    // Saying nothing after the upgrade: closed once the hello time is up.
    PlayClient silent(server.port());
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(silent.ClosedWith(3000), 1008);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    // Not the play path, or no upgrade: plain HTTP refusals.
    EXPECT_FALSE(PlayClient(server.port(), "", "/other").connected());
    EXPECT_EQ(SendRaw(server.port(), "GET /play HTTP/1.1\r\nHost: x\r\n\r\n", 2).Statuses(),
              std::vector<int>{426});

    // Nothing of that reached the game: its first move is still move 1.
    g.Play(place);
}

// Pings keep a listening client's connection; one that answers nothing is closed.
TEST(PlayServer, ClosesClientsThatStopAnswering) {
    ScratchPlay server({"--ping-ms", "100", "--idle-ms", "400"});
    PlayClient anna(server.port()), ben(server.port()), mute(server.port());
    OnlineGame g(anna, ben);
    ASSERT_TRUE(g.started());
    mute.Send(CreateMessage());
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        PlayClient again(server.port());
        again.Send(ResumeMessage(g.game, g.token[2], 0));
        again.Until("resumed");
    });
    // Anna reads (answering the pings) for over a second and still hears Ben come back.
    bool back = false;
    while (auto presence = anna.Until("presence", 3000))
        back = back || FieldText(*presence, "online") == "true";
    later.join();
    EXPECT_TRUE(back);
    // The mute one never read, so never answered a ping: gone.
    EXPECT_TRUE(mute.Until("created"));
    EXPECT_FALSE(mute.Next(1000));
    EXPECT_TRUE(mute.closedByServer());
}

// Unknown codes from one address: ten are answered "unknown-code", then even a right code is
// refused for that address, while another address joins with it.
TEST(PlayServer, UnknownCodesAreRateLimitedPerAddress) {
    ScratchPlay server({"--behind-proxy"});
    PlayClient anna(server.port());
    anna.Send(CreateMessage());
    const auto created = anna.Until("created");
    ASSERT_TRUE(created);
    const std::string code = FieldString(*created, "code");
    PlayClient guesser(server.port(), "192.0.2.7");
    for (int i = 0; i < 10; ++i) {
        guesser.Send(JoinMessage(i % 2 ? "ZZZZZ-ZZZZ" + std::to_string(i) : "0000000000"));
        const auto error = guesser.Until("error");
        ASSERT_TRUE(error);
        EXPECT_EQ(FieldString(*error, "code"), "unknown-code");
    }
    guesser.Send(JoinMessage(code));
    const auto error = guesser.Until("error");
    ASSERT_TRUE(error);
    EXPECT_EQ(FieldString(*error, "code"), "rate-limited");
    PlayClient friendly(server.port(), "192.0.2.8");
    friendly.Send(JoinMessage(code));
    EXPECT_TRUE(friendly.Until("joined"));
}

// A join whose answer was lost is asked again with the same key: seat 2 is the asker's again with a
// new token, and the token never received stops working; another key, or none, finds the game full.
TEST(PlayServer, JoinAgainWithItsKeyTakesUpTheSeat) {
    ScratchPlay server;
    PlayClient anna(server.port());
    anna.Send(CreateMessage());
    const auto created = anna.Until("created");
    ASSERT_TRUE(created);
    const std::string code = FieldString(*created, "code"), game = FieldString(*created, "game");
    const auto keyed = [&](const std::string& key) {
        const std::string join = JoinMessage(code);
        return join.substr(0, join.size() - 1) + ",\"key\":\"" + key + "\"}";
    };
    const std::string key = "Ben_joins-0123456789abcdef";
    std::string lost;
    {
        PlayClient ben(server.port());
        ben.Send(keyed(key));
        lost = FieldString(ben.Until("joined").value_or(""), "token");
    }
    ASSERT_FALSE(lost.empty());

    PlayClient again(server.port());
    again.Send(keyed(key));
    const auto joined = again.Until("joined");
    ASSERT_TRUE(joined);
    EXPECT_EQ(FieldNumber(*joined, "seat"), 2);
    EXPECT_TRUE(again.Until("start"));
    const std::string token = FieldString(*joined, "token");
    EXPECT_NE(token, lost);
    PlayClient stale(server.port()), back(server.port());
    stale.Send(ResumeMessage(game, lost, 0));
    EXPECT_EQ(FieldString(stale.Until("error").value_or(""), "code"), "bad-token");
    back.Send(ResumeMessage(game, token, 0));
    EXPECT_TRUE(back.Until("resumed"));

    for (const auto& [join, answer] :
         {std::pair{keyed("Ben_joins-0123456789abcdeF"), "game-full"},
          std::pair{JoinMessage(code), "game-full"}, std::pair{keyed("short"), "bad-request"},
          std::pair{keyed("Ben joins 0123456789abcdef"), "bad-request"}}) {
        PlayClient other(server.port());
        other.Send(join);
        EXPECT_EQ(FieldString(other.Until("error").value_or(""), "code"), answer) << join;
    }
}

// The clocks, measured by the server: a seat that runs out loses "time" even when its move
// comes after all, and only the winner is entered; an agreed draw enters nobody.
TEST(PlayStore, ClockDecidesAndDrawsStayOutOfTheTable) {
    const fs::path folder = FreshFolder("play-store");
    const std::string db = (folder / "hs.db").string();
    HighscoreStore highscore(db);
    PlayStore store(db, highscore);
    PlaySetup setup{4, 4, true, ClockKind::Game, 10, 1};
    const Created timed = store.Create(setup, {"Anna", "a@x", "", "192.0.2.1"}, 0);
    ASSERT_TRUE(store.Join(timed.code, {"Ben", "b@x", "", "192.0.2.2"}, "", 1000).error.empty());
    setup.first = store.Load(timed.game)->setup.first;
    const int place = setup.first == 1 ? 3 : 10;
    EXPECT_EQ(store.Move(timed.game, setup.first, 1, place, 4000), "");
    EXPECT_EQ(store.News(timed.game, 0, 0, 4000).moves.at(0).clocks[setup.first - 1], 7000);
    PlayGame mirror(setup, 1000);
    mirror.Play(place, 4000);
    // The seat to move thinks 10.001 s (the first seat has 7 s left): his move comes too late.
    const long long late = 4000 + mirror.Clocks().left[mirror.ToMove() - 1] + 1;
    EXPECT_EQ(store.Move(timed.game, mirror.ToMove(), 2, mirror.ToMove() == 1 ? 1 : 8, late), "game-over");
    const auto record = store.Load(timed.game);
    EXPECT_EQ(record->reason, "time");
    EXPECT_EQ(record->winner, Opponent(mirror.ToMove()));
    const auto entries = highscore.List({});
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].entry.name, record->winner == 1 ? "Anna" : "Ben");
    EXPECT_TRUE(entries[0].entry.witnessed);
    EXPECT_EQ(entries[0].entry.seconds, record->winner == setup.first ? 3 : 0);

    setup.clock = ClockKind::None;
    const Created drawn = store.Create(setup, {"Cleo", "c@x", "", ""}, 0);
    ASSERT_TRUE(store.Join(drawn.code, {"Dana", "d@x", "", ""}, "", 0).error.empty());
    EXPECT_EQ(store.Draw(drawn.game, 2, "offer", 0), "");
    EXPECT_EQ(store.Draw(drawn.game, 2, "accept", 0), "bad-request"); // not his own offer
    EXPECT_EQ(store.Draw(drawn.game, 1, "accept", 0), "");
    EXPECT_EQ(store.Load(drawn.game)->reason, "draw");
    EXPECT_EQ(store.Resign(drawn.game, 1, 0), "game-over");
    EXPECT_EQ(highscore.List({}).size(), 1u);
    fs::remove_all(folder);
}
