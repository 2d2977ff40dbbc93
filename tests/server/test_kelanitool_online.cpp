// kelanitool online against the real play server: two computer clients play a whole game, also
// when the network of one of them stops carrying bytes for a while; bad command lines and
// refusals end with their own exit codes.
#include "game/uTFeld.h"
#include "tests/server/ServerProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

using namespace kelani;
using namespace kelani::server;

namespace {

// A kelanitool process whose standard output is read line by line while it runs. A seat left
// waiting for a partner that is gone waits for ever, as a player would: it is killed after three
// minutes (exit 124) so that the test fails with what the tools said.
class ToolProcess {
public:
    explicit ToolProcess(const std::string& arguments, const std::string& errorFile)
        : pipe_(popen(
              ("timeout -k 5 180 " + std::string(KELANITOOL) + " " + arguments + " 2>" + errorFile).c_str(),
              "r")) {}
    ~ToolProcess() { Wait(); }

    // The next line, "" at the end of the output.
    std::string Line() {
        std::string line;
        for (int c; pipe_ && (c = std::fgetc(pipe_)) != EOF && c != '\n';) line += static_cast<char>(c);
        return line;
    }
    // The exit code once the process ends (its last line read before).
    int Wait() {
        if (!pipe_) return exitCode_;
        const int status = pclose(pipe_);
        pipe_ = nullptr;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return exitCode_;
    }

private:
    FILE* pipe_;
    int exitCode_ = -1;
};

// The raw text of a field of a one-line JSON object: a string with its quotes, a number, a list.
std::string Field(const std::string& json, const std::string& name) {
    const std::string key = "\"" + name + "\":";
    const size_t start = json.find(key);
    if (start == std::string::npos) return "<missing>";
    const size_t from = start + key.size();
    const size_t to = json[from] == '['   ? json.find(']', from) + 1
                      : json[from] == '"' ? json.find('"', from + 1) + 1
                                          : json.find_first_of(",}", from);
    return json.substr(from, to - from);
}

std::string Unquoted(const std::string& text) {
    return text.substr(1, text.size() - 2);
}

std::vector<int> Numbers(const std::string& list) {
    std::vector<int> out;
    for (size_t at = 1; at < list.size() - 1;) {
        size_t used = 0;
        out.push_back(std::stoi(list.substr(at), &used));
        at += used + 1;
    }
    return out;
}

std::string ReadFile(const std::string& path) {
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "r")) {
        for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
        std::fclose(file);
    }
    return text;
}

class KelanitoolOnline : public ::testing::Test {
protected:
    KelanitoolOnline() : server_({"--port", "0", "--db", folder_.File("play.db")}) {}

    std::string Url(int port) const { return "ws://127.0.0.1:" + std::to_string(port) + "/play"; }

    // Creator through `creatorPort`, joiner directly; both summaries (the creator's first).
    std::pair<std::string, std::string> PlayGame(int creatorPort, const std::string& creatorOptions,
                                                 const std::string& options,
                                                 std::chrono::milliseconds joinAfter = {}) {
        ToolProcess creator("online --server " + Url(creatorPort) +
                                " --create --variant 5 --stones 4 --head 1 " + creatorOptions + " " +
                                options + " --name Anna --country de",
                            folder_.File("creator.txt"));
        const std::string created = creator.Line();
        EXPECT_EQ(Unquoted(Field(created, "link")), "kelani://join/" + Unquoted(Field(created, "code")))
            << created << ReadFile(folder_.File("creator.txt"));
        std::this_thread::sleep_for(joinAfter);
        ToolProcess joiner("online --server " + Url(server_.port()) + " --join " +
                               Unquoted(Field(created, "code")) + " " + options + " --name Ben",
                           folder_.File("joiner.txt"));
        std::pair<std::string, std::string> summaries{creator.Line(), joiner.Line()};
        EXPECT_EQ(creator.Wait(), 0) << ReadFile(folder_.File("creator.txt"));
        EXPECT_EQ(joiner.Wait(), 0) << ReadFile(folder_.File("joiner.txt"));
        EXPECT_EQ(Field(summaries.first, "game"), Field(created, "game"));
        return summaries;
    }

    // Both seats saw the same game, and it is the game the rules make of its moves.
    static void ExpectSameFinishedGame(const std::string& a, const std::string& b) {
        for (const char* field : {"game", "first", "moves", "winner", "reason", "stores"})
            EXPECT_EQ(Field(a, field), Field(b, field)) << field << "\n" << a << "\n" << b;
        EXPECT_EQ(Field(a, "seat"), "1");
        EXPECT_EQ(Field(b, "seat"), "2");
        EXPECT_EQ(Field(a, "reason"), "\"board\"");
        TFeld feld;
        feld.SetVariante(5);
        feld.SetSteineProMulde(4);
        feld.SetUseStirnmulde(true);
        feld.Reset();
        feld.SetAktSpieler(std::stoi(Field(a, "first")));
        for (const int place : Numbers(Field(a, "moves"))) {
            while (!feld.IsGameOver() && feld.HasNoLegalMove()) feld.Skip();
            ASSERT_TRUE(feld.IsLegalMove(place)) << a;
            feld.DoMove(place);
        }
        EXPECT_TRUE(feld.IsGameOver()) << a;
        EXPECT_EQ(Field(a, "stores"),
                  "[" + std::to_string(feld.Store1()) + "," + std::to_string(feld.Store2()) + "]");
        EXPECT_EQ(Field(a, "winner"), std::to_string(feld.Leader()));
    }

    test::TempFolder folder_;
    ServerProcess server_;
};

// A relay to the server on `port` whose traffic stops for `freezeMs` after `afterMs`.
ServerProcess FreezingRelay(int port, int afterMs, int freezeMs) {
    return ServerProcess({"--to", std::to_string(port), "--freeze-after-ms", std::to_string(afterMs),
                          "--freeze-ms", std::to_string(freezeMs)},
                         KELANI_FREEZE_RELAY);
}

TEST_F(KelanitoolOnline, TwoClientsPlayAWholeGameAndAgree) {
    ASSERT_NE(server_.port(), 0);
    const auto [a, b] = PlayGame(server_.port(), "--seed 7", "--level 2");
    ExpectSameFinishedGame(a, b);
    EXPECT_EQ(Field(a, "reconnects"), "0");
}

// The creator's network stops carrying bytes for 3 s mid-game (new connections included): he
// notices the silence, takes his seat again once it flows, and the game ends as usual.
TEST_F(KelanitoolOnline, ResumesAfterTheNetworkVanishes) {
    ASSERT_NE(server_.port(), 0);
    const ServerProcess relay = FreezingRelay(server_.port(), 1000, 3000);
    ASSERT_NE(relay.port(), 0);
    const auto [a, b] = PlayGame(relay.port(), "--idle-s 1", "--level 4 --time-ms 300");
    ExpectSameFinishedGame(a, b);
    EXPECT_GE(std::stoi(Field(a, "reconnects")), 1);
}

// The creator's network vanishes before anyone has joined: he takes his seat again in a game
// still waiting, which has no first player yet, and moves only once the join has drawn one.
TEST_F(KelanitoolOnline, ResumesAWaitingGameWithoutMovingEarly) {
    ASSERT_NE(server_.port(), 0);
    const ServerProcess relay = FreezingRelay(server_.port(), 300, 2000);
    ASSERT_NE(relay.port(), 0);
    const auto [a, b] = PlayGame(relay.port(), "--idle-s 1", "--level 2", std::chrono::milliseconds(4000));
    ExpectSameFinishedGame(a, b);
    // A move sent too early is refused and leaves the seat stuck until the server drops it.
    EXPECT_EQ(Field(a, "reconnects"), "1");
}

TEST_F(KelanitoolOnline, RefusalsAndAnAbsentServerEndWithTheirOwnCodes) {
    ASSERT_NE(server_.port(), 0);
    ToolProcess unknown("online --server " + Url(server_.port()) + " --join 00000-00000 --level 1",
                        folder_.File("unknown.txt"));
    EXPECT_EQ(unknown.Line(), "");
    EXPECT_EQ(unknown.Wait(), 4);
    EXPECT_NE(ReadFile(folder_.File("unknown.txt")).find("unknown-code"), std::string::npos);

    ToolProcess absent("online --server ws://127.0.0.1:" + std::to_string(FreePort()) +
                           "/play --create --level 1 --give-up-s 1",
                       folder_.File("absent.txt"));
    EXPECT_EQ(absent.Wait(), 3);
    EXPECT_NE(ReadFile(folder_.File("absent.txt")).find("no connection to 127.0.0.1"), std::string::npos);
}

TEST(KelanitoolOnlineArguments, BadCommandLinesAreRefused) {
    const std::string url = " --server ws://127.0.0.1:1/play";
    const std::vector<std::string> cases = {"online --create --level 1",
                                            "online --server http://127.0.0.1:1/play --create --level 1",
                                            "online --server ws://127.0.0.1:x/play --create --level 1",
                                            "online" + url + " --level 1",
                                            "online" + url + " --create --join AB --level 1",
                                            "online" + url + " --create",
                                            "online" + url + " --create --level 5",
                                            "online" + url + " --create --level 1 --variant 3",
                                            "online" + url + " --create --level 1 --stones 9",
                                            "online" + url + " --create --level 1 --clock fast",
                                            "online" + url + " --create --level 1 --clock move",
                                            "online" + url + " --create --level 1 --seconds 30",
                                            "online" + url + " --create --level 1 --clock game --seconds 5",
                                            "online" + url + " --join AB --level 1 --stones 4",
                                            "online" + url + " --create --level 1 extra"};
    for (const std::string& arguments : cases) {
        ToolProcess tool(arguments, "/dev/null");
        EXPECT_EQ(tool.Line(), "") << arguments;
        EXPECT_EQ(tool.Wait(), 2) << arguments;
    }
}

} // namespace
