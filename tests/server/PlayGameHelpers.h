#pragma once
// Two players of an online game driven by the tests: the messages that set a game up, and a
// mirror of the board that knows whose turn it is (passes included, as every client must).
#include "game/uTFeld.h"
#include "tests/server/PlayClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

namespace kelani::server {

inline std::string CreateMessage(int variant = 5, int stones = 3, const std::string& clock = "none",
                                 int seconds = 0, const std::string& name = "Anna") {
    return "{\"type\":\"create\",\"variant\":" + std::to_string(variant) +
           ",\"stones\":" + std::to_string(stones) + ",\"head\":1,\"clock\":\"" + clock +
           "\",\"seconds\":" + std::to_string(seconds) + ",\"name\":\"" + name + "\",\"email\":\"" + name +
           "@example.org\",\"country\":\"deutschland\"}";
}

inline std::string JoinMessage(const std::string& code, const std::string& name = "Ben") {
    return "{\"type\":\"join\",\"code\":\"" + code + "\",\"name\":\"" + name + "\",\"email\":\"" + name +
           "@example.org\",\"country\":\"oesterreich\"}";
}

inline std::string MoveMessage(int n, int place) {
    return "{\"type\":\"move\",\"n\":" + std::to_string(n) + ",\"place\":" + std::to_string(place) + "}";
}

inline std::string ResumeMessage(const std::string& game, const std::string& token, int last) {
    return "{\"type\":\"resume\",\"game\":\"" + game + "\",\"token\":\"" + token +
           "\",\"last\":" + std::to_string(last) + "}";
}

// One game between two clients, seen as the clients see it.
struct OnlineGame {
    PlayClient* seat[3] = {nullptr, nullptr, nullptr};
    std::string game, code, token[3];
    TFeld feld;
    int moves = 0;

    OnlineGame() = default;
    // Player 1 creates on `one`, player 2 joins on `two`; both get the start.
    OnlineGame(PlayClient& one, PlayClient& two, const std::string& create = CreateMessage()) {
        seat[1] = &one;
        seat[2] = &two;
        one.Send(create);
        const auto created = one.Until("created");
        if (!created) return;
        game = FieldString(*created, "game");
        code = FieldString(*created, "code");
        token[1] = FieldString(*created, "token");
        two.Send(JoinMessage(code));
        const auto joined = two.Until("joined");
        if (!joined) return;
        token[2] = FieldString(*joined, "token");
        const auto start = one.Until("start");
        if (!start || !two.Until("start")) return;
        feld.SetVariante(static_cast<int>(FieldNumber(*start, "variant")));
        feld.SetSteineProMulde(static_cast<int>(FieldNumber(*start, "stones")));
        feld.SetUseStirnmulde(FieldNumber(*start, "head") != 0);
        feld.Reset();
        feld.SetAktSpieler(static_cast<int>(FieldNumber(*start, "first")));
    }
    bool started() const { return !token[2].empty() && feld.SteineProMulde() > 0; }

    // The mirror after one announced move: the client applies the passes itself.
    void Apply(int place) {
        ++moves;
        feld.DoMove(place);
        if (!feld.IsGameOver() && feld.HasNoLegalMove()) feld.Skip();
    }

    // A legal place of the player to move, drawn by `random`.
    int Choose(std::mt19937& random) const {
        std::vector<int> legal;
        for (int place = 1; place <= kPlaces; ++place)
            if (feld.IsLegalMove(place)) legal.push_back(place);
        return legal[random() % legal.size()];
    }

    // The player to move plays `place`; both seats must hear of it as move number moves + 1.
    void Play(int place) {
        // Paced below the service's flood limit even when one seat moves again and again.
        std::this_thread::sleep_for(std::chrono::milliseconds(55));
        const int mover = feld.AktSpieler();
        ASSERT_TRUE(seat[mover]->Send(MoveMessage(moves + 1, place)));
        for (int s : {1, 2}) {
            const auto move = seat[s]->Until("move");
            ASSERT_TRUE(move) << "seat " << s << " heard nothing of move " << moves + 1;
            EXPECT_EQ(FieldNumber(*move, "n"), moves + 1);
            EXPECT_EQ(FieldNumber(*move, "seat"), mover);
            EXPECT_EQ(FieldNumber(*move, "place"), place);
        }
        Apply(place);
    }

    // Plays random legal moves to the board's end; both seats get the same "end".
    void PlayToEnd(unsigned seed) {
        std::mt19937 random(seed);
        while (!feld.IsGameOver() && !::testing::Test::HasFailure()) Play(Choose(random));
        for (int s : {1, 2}) {
            const auto end = seat[s]->Until("end");
            ASSERT_TRUE(end);
            EXPECT_EQ(FieldString(*end, "reason"), "board");
            EXPECT_EQ(FieldNumber(*end, "winner"), feld.Leader());
            EXPECT_EQ(FieldText(*end, "stores"),
                      "[" + std::to_string(feld.Store1()) + "," + std::to_string(feld.Store2()) + "]");
            EXPECT_EQ(FieldNumber(*end, "moves"), moves);
        }
    }
};

} // namespace kelani::server
