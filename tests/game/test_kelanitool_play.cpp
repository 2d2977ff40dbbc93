// kelanitool's play commands end to end: the built program is run and its JSON lines are read.
#include "game/uEndgameBuild.h"
#include "game/uTKI.h"
#include "records/uEndgameFile.h"
#include "records/uPositionText.h"
#include "tests/game/GameTestSupport.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace kelani {
namespace {

struct ToolRun {
    int exitCode = -1;
    std::vector<std::string> lines;
    std::string errors;
};

ToolRun Kelanitool(const std::string& arguments) {
    // ctest runs several of these tests at once: each process keeps its own error file.
    const std::string errorFile =
        ::testing::TempDir() + "kelanitool_play_stderr_" + std::to_string(getpid()) + ".txt";
    const std::string command = std::string(KELANITOOL) + " " + arguments + " 2>" + errorFile;
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::string line;
    for (int c; (c = std::fgetc(pipe)) != EOF;) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        run.lines.push_back(line);
        line.clear();
    }
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (FILE* err = std::fopen(errorFile.c_str(), "r")) {
        for (int c; (c = std::fgetc(err)) != EOF;) run.errors += static_cast<char>(c);
        std::fclose(err);
    }
    std::remove(errorFile.c_str());
    return run;
}

// The raw text of a field: a number, true/false/null, or an array of numbers.
std::string Field(const std::string& json, const std::string& name) {
    const std::string key = "\"" + name + "\":";
    const size_t start = json.find(key);
    if (start == std::string::npos) return "<missing>";
    const size_t from = start + key.size();
    const size_t to = json[from] == '[' ? json.find(']', from) + 1 : json.find_first_of(",}", from);
    return json.substr(from, to - from);
}

std::string JsonArray(const TFeld& feld) {
    std::string out = "[";
    for (int i = 1; i <= 14; ++i) out += (i > 1 ? "," : "") + std::to_string(feld.Mulde(i));
    return out + "]";
}

TEST(KelanitoolReplay, PrintsTheStartAndEveryPosition) {
    const ToolRun run = Kelanitool("replay --variant 1 --stones 4 --head 0 --first 1 1");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_EQ(run.lines.size(), 2u);
    EXPECT_EQ(run.lines[0], "{\"move\":null,\"player\":1,\"mulden\":[4,4,4,4,4,4,0,4,4,4,4,4,4,0],\"hand\":0,"
                            "\"zuege\":0,\"willwin\":0,\"over\":false}");
    EXPECT_EQ(Field(run.lines[1], "move"), "1");
    EXPECT_EQ(Field(run.lines[1], "player"), "2");
    EXPECT_EQ(Field(run.lines[1], "mulden"), "[2,7,0,6,1,6,2,6,6,0,0,6,6,0]");
}

struct RecordedGame {
    std::vector<TFeld> positions;
    std::string moves;
    bool passed = false;
};

RecordedGame RandomGame(int variante, std::mt19937& rng) {
    RecordedGame game;
    TFeld feld = test::StartFeld(variante, 3, false, 2);
    game.positions.push_back(feld);
    while (!feld.IsGameOver()) {
        int place = 0;
        if (feld.HasNoLegalMove()) {
            feld.Skip();
            game.passed = true;
        } else {
            do place = PitIndex(feld.AktSpieler(), 1 + static_cast<int>(rng() % 6));
            while (!feld.IsLegalMove(place));
            feld.DoMove(place);
        }
        game.moves += " " + std::to_string(place);
        game.positions.push_back(feld);
    }
    return game;
}

// A random game with a pass, replayed by the tool, must match the engine after every move.
TEST(KelanitoolReplay, WholeGameWithPassesMatchesTheEngine) {
    std::mt19937 rng(3);
    for (int variante : {1, 3, 6}) {
        RecordedGame game = RandomGame(variante, rng);
        for (int tries = 0; tries < 500 && !game.passed; ++tries) game = RandomGame(variante, rng);
        ASSERT_TRUE(game.passed);
        const ToolRun run = Kelanitool("replay --variant " + std::to_string(variante) +
                                       " --stones 3 --head 0 --first 2" + game.moves);
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        ASSERT_EQ(run.lines.size(), game.positions.size());
        for (size_t k = 0; k < game.positions.size(); ++k) {
            const TFeld& expected = game.positions[k];
            EXPECT_EQ(Field(run.lines[k], "mulden"), JsonArray(expected)) << k;
            EXPECT_EQ(Field(run.lines[k], "player"), std::to_string(expected.AktSpieler())) << k;
            EXPECT_EQ(Field(run.lines[k], "zuege"), std::to_string(expected.ZuegeInRunde())) << k;
            EXPECT_EQ(Field(run.lines[k], "willwin"), std::to_string(expected.WillWin())) << k;
        }
        EXPECT_EQ(Field(run.lines.back(), "over"), "true");
    }
}

TEST(KelanitoolReplay, IllegalPlaceOrPassStopsWithExitCodeThree) {
    struct Case {
        std::string moves;
        std::string move;
        std::string index;
    };
    for (const Case& c : {Case{"1 8 8", "8", "2"}, Case{"7", "7", "0"}, Case{"1 0", "0", "1"},
                          Case{"1 15", "15", "1"}, Case{"-1", "-1", "0"}, Case{"2 1", "1", "1"}}) {
        const ToolRun run = Kelanitool("replay --variant 4 --stones 4 --head 0 --first 1 " + c.moves);
        EXPECT_EQ(run.exitCode, 3) << c.moves;
        ASSERT_FALSE(run.lines.empty());
        EXPECT_EQ(run.lines.back(),
                  "{\"error\":\"illegal\",\"move\":" + c.move + ",\"index\":" + c.index + "}")
            << c.moves;
    }
}

TEST(KelanitoolChoose, AgreesWithTheComputerPlayer) {
    const test::Places places{1, 2, 2, 8, 2, 4, 2, 4, 10, 0, 0, 9, 0, 4};
    TFeld feld = test::MakeFeld(4, places, 1);
    for (int level = 1; level <= 3; ++level) {
        TRandom random([] { return 777u; });
        TKI ki(feld, random);
        ki.SetLevel(level);
        const TKIChoice choice = ki.Choose();
        const ToolRun run = Kelanitool("choose --variant 4 --stones 4 --head 0 --player 1 --mulden "
                                       "1,2,2,8,2,4,2,4,10,0,0,9,0,4 --seed 777 --level " +
                                       std::to_string(level));
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        ASSERT_EQ(run.lines.size(), 1u);
        EXPECT_EQ(Field(run.lines[0], "pit"), std::to_string(choice.Pit));
        EXPECT_EQ(Field(run.lines[0], "score"), std::to_string(choice.Score));
        std::string best = "[";
        for (size_t k = 0; k < choice.Best.size(); ++k)
            best += (k ? "," : "") + std::to_string(choice.Best[k]);
        EXPECT_EQ(Field(run.lines[0], "best"), best + "]");
    }
}

// A hand-made position whose total differs from 12 x stones is still searched, with a warning.
TEST(KelanitoolChoose, OtherTotalsAreSearchedWithAWarning) {
    const ToolRun run = Kelanitool("choose --variant 6 --stones 4 --head 0 --player 1 --level 1 --mulden "
                                   "0,0,0,0,1,0,0,5,0,0,0,0,0,0");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.lines.at(0), "{\"pit\":5,\"best\":[5],\"score\":6}");
    EXPECT_NE(run.errors.find("warning"), std::string::npos);
}

TEST(KelanitoolChoose, NoLegalPitGivesZero) {
    const ToolRun run = Kelanitool("choose --variant 1 --stones 4 --head 0 --player 1 --level 3 --mulden "
                                   "0,0,0,0,0,0,20,1,2,0,0,0,0,25");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.lines.at(0), "{\"pit\":0,\"best\":[],\"score\":-5}");
}

// Every legal pit with its value and expected line, the same as the Master's own search.
TEST(KelanitoolAnalyse, ValuesEveryLegalPitThenNamesTheBest) {
    const test::Places places{0, 3, 0, 2, 5, 1, 9, 4, 0, 6, 2, 1, 3, 12};
    const TFeld feld = test::MakeFeld(6, places, 1, true);
    TMeisterLimits limits;
    limits.Depth = 5;
    limits.AllPits = true;
    TMeister meister;
    const TMeisterResult result = meister.Search(feld, limits);
    const ToolRun run = Kelanitool("analyse --variant 6 --stones 4 --head 1 --player 1 --depth 5 --mulden "
                                   "0,3,0,2,5,1,9,4,0,6,2,1,3,12");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_EQ(run.lines.size(), 5u); // pits 2, 4, 5, 6 and the summary
    for (size_t k = 0; k < 4; ++k) {
        const TMeisterLine& line = result.Lines[k];
        EXPECT_EQ(Field(run.lines[k], "pit"), std::to_string(line.Pit));
        EXPECT_EQ(Field(run.lines[k], "value"), std::to_string(line.Value));
        EXPECT_EQ(Field(run.lines[k], "pv").find("[" + std::to_string(line.Pit) + ","), 0u) << run.lines[k];
    }
    EXPECT_EQ(Field(run.lines[4], "best"), std::to_string(result.Pit));
    EXPECT_EQ(Field(run.lines[4], "value"), std::to_string(result.Value));

    const ToolRun master =
        Kelanitool("choose --variant 6 --stones 4 --head 1 --player 1 --level 4 --time-ms 20 "
                   "--mulden 0,3,0,2,5,1,9,4,0,6,2,1,3,12");
    ASSERT_EQ(master.exitCode, 0) << master.errors;
    EXPECT_TRUE(feld.IsLegalMove(std::stoi(Field(master.lines.at(0), "pit"))));
}

TEST(KelanitoolPlay, BadArgumentsAreRefusedWithAMessage) {
    const char* bad[] = {
        "replay --variant 7 --stones 4 --head 0 --first 1",
        "replay --variant 1 --stones 0 --head 0 --first 1",
        "replay --variant 1 --stones 100 --head 0 --first 1",
        "replay --variant 1 --stones 4 --head 2 --first 1",
        "replay --variant 1 --stones 4 --head 0 --first 3",
        "replay --variant 1 --stones 4 --head 0 --first 1 x",
        "choose --variant 1 --stones 4 --head 0 --player 1 --level 1 --mulden 4,4,4,4,4,4,0,4,4,4,4,4,4,1200",
        "choose --variant 1 --stones 4 --head 0 --player 1 --level 1 --mulden 4,4,4,4,4,4,0,4,4,4,4,4,4",
        "choose --variant 1 --stones 4 --head 0 --player 1 --level 1 --mulden 4,4,4,4,4,4,0,4,4,4,4,4,8,-4",
        "choose --variant 1 --stones 4 --head 0 --player 1 --level 5 --mulden 4,4,4,4,4,4,0,4,4,4,4,4,4,0",
        "choose --variant 1 --stones 4 --head 0 --player 1 --level 4 --time-ms 0 --mulden "
        "4,4,4,4,4,4,0,4,4,4,4,4,4,0",
        "analyse --variant 1 --stones 4 --head 0 --player 1 --depth 3 --time-ms 50 --mulden "
        "4,4,4,4,4,4,0,4,4,4,4,4,4,0",
        "analyse --variant 1 --stones 4 --head 0 --player 1 --depth 0 --mulden 4,4,4,4,4,4,0,4,4,4,4,4,4,0",
        "choose --variant 1 --stones 4 --head 0 --player 1 --level 1",
        "selfplay --variant 1 --stones 4 --head 0 --level1 1 --level2 0 --games 1",
        "selfplay --variant 1 --stones 4 --head 0 --level1 1 --level2 1 --games 0",
        "analyse --position 'v4 h1 s4 p1 : 4 4 4' --depth 1",
        "analyse --position 'v4 h1 s4 p1 : 4 4 4 4 4 4 [0] 4 4 4 4 4 4 [0]' --variant 4 --depth 1",
        "analyse --position 'v4 h1 s4 p1 : 4 4 4 4 4 4 [0] 4 4 4 4 4 4 [0]' --tables /nonexistent --depth 1",
        "tables build --variant 4 --stones 21",
    };
    for (const char* arguments : bad) {
        const ToolRun run = Kelanitool(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_TRUE(run.lines.empty()) << arguments;
        EXPECT_NE(run.errors.find("kelanitool"), std::string::npos) << arguments << ": " << run.errors;
    }
}

// Tables built by the tool make analyse exact where they reach; a damaged table is refused.
TEST(KelanitoolTables, BuildsTablesThatAnalyseTrustsUnlessDamaged) {
    const test::TempFolder folder;
    const ToolRun build = Kelanitool("tables build --variant 4 --head 1 --stones 6 --out " + folder.Path());
    ASSERT_EQ(build.exitCode, 0) << build.errors;
    ASSERT_EQ(build.lines.size(), 1u);
    EXPECT_EQ(Field(build.lines[0], "positions"), "18564");
    EXPECT_NE(build.errors.find("100%"), std::string::npos) << build.errors;

    // Six stones in the pits: every pit's value is the store difference plus the table's margin.
    const std::string position = "'v4 h1 s1 p2 : 1 0 0 2 0 0 [3] 0 1 0 1 0 1 [3]'";
    const TEndgameTable table = BuildEndgameTable(4, true, 6);
    const TFeld feld = ParsePosition(position.substr(1, position.size() - 2));
    const ToolRun run = Kelanitool("analyse --depth 1 --tables " + folder.Path() + " --position " + position);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_EQ(run.lines.size(), 4u); // pits 2, 4, 6 and the summary
    for (size_t k = 0; k < 3; ++k) {
        const int pit = std::stoi(Field(run.lines[k], "pit"));
        TFeld after(feld);
        after.DoMove(PitIndex(2, pit));
        EXPECT_EQ(Field(run.lines[k], "value"),
                  std::to_string(after.Store2() - after.Store1() - *table.Margin(after)));
        EXPECT_EQ(Field(run.lines[k], "exact"), "true");
    }
    EXPECT_EQ(Field(run.lines[3], "exact"), "true");

    const std::string file = folder.File(EndgameFileName(4, true));
    std::vector<char> bytes(std::filesystem::file_size(file));
    std::FILE* in = std::fopen(file.c_str(), "rb");
    ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), in), bytes.size());
    std::fclose(in);
    bytes[bytes.size() / 2] ^= 0x20;
    std::FILE* out = std::fopen(file.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    const ToolRun damaged =
        Kelanitool("analyse --depth 1 --tables " + folder.Path() + " --position " + position);
    EXPECT_EQ(damaged.exitCode, 2);
    EXPECT_NE(damaged.errors.find("cannot be used"), std::string::npos) << damaged.errors;
}

TEST(KelanitoolSelfplay, SeededGamesRepeatAndTheSummaryAddsUp) {
    const std::string arguments =
        "selfplay --variant 5 --stones 4 --head 1 --level1 2 --level2 1 --games 4 --seed 42";
    const ToolRun first = Kelanitool(arguments);
    const ToolRun second = Kelanitool(arguments);
    ASSERT_EQ(first.exitCode, 0) << first.errors;
    ASSERT_EQ(first.lines.size(), 5u);
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(first.lines[k], second.lines.at(k));
        EXPECT_EQ(Field(first.lines[k], "finished"), "true");
        EXPECT_EQ(std::stoi(Field(first.lines[k], "store1")) + std::stoi(Field(first.lines[k], "store2")),
                  48);
        EXPECT_EQ(std::stoi(Field(first.lines[k], "moves1")) + std::stoi(Field(first.lines[k], "moves2")),
                  std::stoi(Field(first.lines[k], "moves")));
    }
    const std::string& summary = first.lines[4];
    EXPECT_EQ(std::stoi(Field(summary, "wins1")) + std::stoi(Field(summary, "wins2")) +
                  std::stoi(Field(summary, "draws")) + std::stoi(Field(summary, "unfinished")),
              4);
    EXPECT_EQ(Field(summary, "games"), "4");

    const ToolRun capped =
        Kelanitool("selfplay --variant 1 --stones 4 --head 0 --level1 1 --level2 1 --games 3 "
                   "--max-moves 2 --seed 1");
    ASSERT_EQ(capped.exitCode, 0) << capped.errors;
    EXPECT_EQ(Field(capped.lines.at(0), "winner"), "null");
    EXPECT_EQ(Field(capped.lines.at(3), "unfinished"), "3");
}

} // namespace
} // namespace kelani
