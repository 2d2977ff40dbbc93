// Play commands: replay a list of moves, ask the computer for its choice, and let the computer
// play itself. Every line of output is one JSON object.
#include "game/uTKI.h"
#include "records/uEndgameFile.h"
#include "records/uPositionText.h"
#include "tools/kelanitool/KelaniTool.h"

#include <charconv>
#include <chrono>
#include <climits>
#include <cstdio>
#include <iostream>
#include <sstream>

namespace kelani::tool {
namespace {

constexpr uint32_t kMsPerDay = 24u * 60 * 60 * 1000;

// The rule set, stone count and head-pit option every play command starts from.
TFeld StartPosition(const Args& args) {
    TFeld feld;
    feld.SetVariante(IntOption(args, "--variant", 1, 6));
    feld.SetSteineProMulde(IntOption(args, "--stones", 1, 99));
    feld.SetUseStirnmulde(IntOption(args, "--head", 0, 1) == 1);
    feld.Reset();
    return feld;
}

int ParseInt(const std::string& text, const std::string& what) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        throw UsageError(what + " must be a whole number, not '" + text + "'");
    return value;
}

std::string JsonInts(const std::vector<int>& values) {
    std::string out = "[";
    for (size_t k = 0; k < values.size(); ++k) out += (k ? "," : "") + std::to_string(values[k]);
    return out + "]";
}

std::string JsonPosition(const TFeld& feld) {
    std::vector<int> mulden(feld.Mulden().begin() + 1, feld.Mulden().end());
    std::ostringstream out;
    out << "\"player\":" << feld.AktSpieler() << ",\"mulden\":" << JsonInts(mulden)
        << ",\"hand\":" << feld.Hand() << ",\"zuege\":" << feld.ZuegeInRunde()
        << ",\"willwin\":" << feld.WillWin() << ",\"over\":" << (feld.IsGameOver() ? "true" : "false");
    return out.str();
}

// ---- replay ---------------------------------------------------------------------------------

// A place 1..14 that is a legal move, or 0 for a pass when the player to move has none (and the
// game is not over yet).
bool IsLegalPlay(const TFeld& feld, int place) {
    if (place == 0) return feld.HasNoLegalMove() && !feld.IsGameOver();
    return feld.IsLegalMove(place);
}

int RunReplay(const Args& args) {
    TFeld feld = StartPosition(args);
    feld.SetAktSpieler(IntOption(args, "--first", 1, 2));
    std::vector<int> places;
    for (const std::string& move : Positionals(args)) places.push_back(ParseInt(move, "a move"));
    std::cout << "{\"move\":null," << JsonPosition(feld) << "}\n";
    for (size_t k = 0; k < places.size(); ++k) {
        const int place = places[k];
        if (!IsLegalPlay(feld, place)) {
            std::cout << "{\"error\":\"illegal\",\"move\":" << place << ",\"index\":" << k << "}\n";
            std::cerr << "kelanitool replay: move " << place << " (number " << k
                      << " in the list, counted from 0) is not legal here\n";
            return 3;
        }
        if (place == 0)
            feld.Skip();
        else
            feld.DoMove(place);
        std::cout << "{\"move\":" << place << "," << JsonPosition(feld) << "}\n";
    }
    return 0;
}

// ---- choose ---------------------------------------------------------------------------------

// "m1,...,m14": fourteen counts. A game always holds 12 x --stones stones; a position with
// another total is still searched (the computer looks only at the Stirnmulden), with a warning.
void SetMulden(TFeld& feld, const std::string& list) {
    std::vector<int> counts;
    std::stringstream in(list);
    for (std::string item; std::getline(in, item, ',');)
        counts.push_back(ParseInt(item, "each --mulden count"));
    if (!list.empty() && list.back() == ',') throw UsageError("--mulden must not end with a comma");
    if (counts.size() != kPlaces)
        throw UsageError("--mulden needs 14 counts separated by commas, got " +
                         std::to_string(counts.size()));
    int total = 0;
    for (int i = 1; i <= kPlaces; ++i) {
        const int count = counts[i - 1];
        total += count;
        if (count < 0 || total > 12 * 99)
            throw UsageError("--mulden counts must not be negative nor add up to more than 1188");
        feld.SetMulde(i, count);
    }
    if (total != 12 * feld.SteineProMulde())
        std::cerr << "kelanitool choose: warning: --mulden holds " << total
                  << " stones, a game with --stones " << feld.SteineProMulde() << " holds "
                  << 12 * feld.SteineProMulde() << "\n";
}

// The position given by --position, or by --variant, --stones, --head, --player and --mulden.
TFeld GivenPosition(const Args& args) {
    if (const std::string* text = FindOption(args, "--position")) {
        for (const char* option : {"--variant", "--stones", "--head", "--player", "--mulden"})
            if (FindOption(args, option))
                throw UsageError(std::string("--position says what ") + option + " would");
        try {
            return ParsePosition(*text);
        } catch (const EPositionText& e) {
            throw UsageError(std::string("--position: ") + e.what());
        }
    }
    TFeld feld = StartPosition(args);
    feld.SetAktSpieler(IntOption(args, "--player", 1, 2));
    const std::string* mulden = FindOption(args, "--mulden");
    if (!mulden) throw UsageError("--mulden is required");
    SetMulden(feld, *mulden);
    return feld;
}

// The endgame table of the position's rule set from the folder --tables names; none without the
// option. A folder without that table is a usage error, a damaged table an error of its own.
std::unique_ptr<TEndgameTable> GivenTables(const Args& args, const TFeld& feld) {
    const std::string* folder = FindOption(args, "--tables");
    if (!folder) return nullptr;
    std::unique_ptr<TEndgameTable> table = LoadEndgameTable(*folder, feld.Variante(), feld.UseStirnmulde());
    if (!table)
        throw UsageError("--tables " + *folder + " holds no " +
                         EndgameFileName(feld.Variante(), feld.UseStirnmulde()) +
                         " (kelanitool tables build makes it)");
    return table;
}

int RunChoose(const Args& args) {
    const TFeld feld = GivenPosition(args);
    TRandom random = FixedRandom(args);
    const std::unique_ptr<TEndgameTable> tables = GivenTables(args, feld);
    TKI ki(feld, random);
    ki.SetLevel(IntOption(args, "--level", 1, kMeisterLevel));
    ki.SetMasterTime(MasterTime(args));
    ki.SetEndgame(tables.get());
    const TKIChoice choice = ki.Choose();
    std::cout << "{\"pit\":" << choice.Pit << ",\"best\":" << JsonInts(choice.Best)
              << ",\"score\":" << choice.Score << "}\n";
    return 0;
}

// ---- analyse -------------------------------------------------------------------------------

std::string JsonLine(const TMeisterLine& line) {
    std::string out = "{\"pit\":" + std::to_string(line.Pit) + ",\"value\":" + std::to_string(line.Value);
    if (const int plies = MeisterPliesToEnd(line.Value))
        out += std::string(",\"decided\":\"") + (line.Value > 0 ? "win" : "loss") +
               "\",\"plies\":" + std::to_string(plies);
    return out + ",\"exact\":" + (line.Exact ? "true" : "false") + ",\"pv\":" + JsonInts(line.Pv) + "}";
}

int RunAnalyse(const Args& args) {
    const TFeld feld = GivenPosition(args);
    TMeisterLimits limits;
    limits.AllPits = true;
    if (FindOption(args, "--depth") && FindOption(args, "--time-ms"))
        throw UsageError("give either --depth or --time-ms");
    if (FindOption(args, "--depth"))
        limits.Depth = IntOption(args, "--depth", 1, kMeisterMaxPly);
    else
        limits.TimeMs = MasterTime(args);
    const std::unique_ptr<TEndgameTable> tables = GivenTables(args, feld);
    limits.Endgame = tables.get();
    TMeister meister;
    const TMeisterResult result = meister.Search(feld, limits);
    for (const TMeisterLine& line : result.Lines) std::cout << JsonLine(line) << "\n";
    std::cout << "{\"best\":" << result.Pit << ",\"pits\":" << JsonInts(result.Best)
              << ",\"value\":" << result.Value << ",\"exact\":" << (result.Exact ? "true" : "false")
              << ",\"depth\":" << result.Depth << ",\"nodes\":" << result.Nodes << "}\n";
    return 0;
}

// ---- selfplay -------------------------------------------------------------------------------

struct GameResult {
    int moves = 0;
    int playerMoves[3] = {}; // per player, as the highscore counts them

    int skips = 0;
    bool finished = false;
};

GameResult PlayGame(TFeld& feld, TKI& player1, TKI& player2, int maxTurns,
                    const std::function<void()>& tick) {
    GameResult result;
    while (!feld.IsGameOver() && result.moves + result.skips < maxTurns) {
        TKI& ki = feld.AktSpieler() == 1 ? player1 : player2;
        tick();
        const int pit = ki.ChooseMove();
        if (pit == 0) {
            feld.Skip();
            ++result.skips;
        } else {
            ++result.playerMoves[feld.AktSpieler()];
            feld.DoMove(PitIndex(feld.AktSpieler(), pit));
            ++result.moves;
        }
    }
    result.finished = feld.IsGameOver();
    return result;
}

struct Tally {
    int wins1 = 0, wins2 = 0, draws = 0, unfinished = 0;
    long moves = 0;
};

void PrintGame(int game, const TFeld& feld, const GameResult& result, Tally& tally) {
    const int winner = feld.Leader();
    std::cout << "{\"game\":" << game << ",\"moves\":" << result.moves
              << ",\"moves1\":" << result.playerMoves[1] << ",\"moves2\":" << result.playerMoves[2]
              << ",\"skips\":" << result.skips << ",\"store1\":" << feld.Store1()
              << ",\"store2\":" << feld.Store2()
              << ",\"winner\":" << (result.finished ? std::to_string(winner) : "null")
              << ",\"finished\":" << (result.finished ? "true" : "false") << "}\n";
    tally.moves += result.moves;
    if (!result.finished)
        ++tally.unfinished;
    else if (winner == 0)
        ++tally.draws;
    else
        ++(winner == 1 ? tally.wins1 : tally.wins2);
}

int RunSelfplay(const Args& args) {
    const TFeld start = [&] {
        TFeld feld = StartPosition(args);
        feld.SetAktSpieler(IntOption(args, "--first", 1, 2, 1));
        return feld;
    }();
    const int level1 = IntOption(args, "--level1", 1, kMeisterLevel);
    const int level2 = IntOption(args, "--level2", 1, kMeisterLevel);
    const int masterTime = MasterTime(args);
    const std::unique_ptr<TEndgameTable> tables = GivenTables(args, start);
    const int games = IntOption(args, "--games", 1, 1'000'000);
    const int maxTurns = IntOption(args, "--max-moves", 1, 10'000'000, 1000);
    const bool seeded = FindOption(args, "--seed") != nullptr;
    const auto seed = static_cast<uint32_t>(seeded ? IntOption(args, "--seed", 0, INT_MAX) : 0);

    // With a seed every game runs on a simulated clock that starts at its own time of day and
    // advances by the computer's 250 ms pause before each decision.
    uint32_t clock = 0;
    TRandom random = seeded ? TRandom([&clock] { return clock; }) : TRandom();
    const auto tick = [&] { clock = (clock + 250) % kMsPerDay; };

    Tally tally;
    const auto began = std::chrono::steady_clock::now();
    for (int game = 1; game <= games; ++game) {
        clock = static_cast<uint32_t>((uint64_t{seed} + uint64_t{7919} * game) % kMsPerDay);
        TFeld feld(start);
        TKI player1(feld, random), player2(feld, random);
        player1.SetLevel(level1);
        player2.SetLevel(level2);
        player1.SetMasterTime(masterTime);
        player2.SetMasterTime(masterTime);
        player1.SetEndgame(tables.get());
        player2.SetEndgame(tables.get());
        const GameResult result = PlayGame(feld, player1, player2, maxTurns, tick);
        PrintGame(game, feld, result, tally);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    char summary[256];
    std::snprintf(summary, sizeof summary,
                  "{\"games\":%d,\"wins1\":%d,\"wins2\":%d,\"draws\":%d,\"unfinished\":%d,"
                  "\"average_moves\":%.2f,\"moves_per_second\":%.0f}",
                  games, tally.wins1, tally.wins2, tally.draws, tally.unfinished,
                  static_cast<double>(tally.moves) / games, seconds > 0 ? tally.moves / seconds : 0.0);
    std::cout << summary << "\n";
    return 0;
}

const bool registered =
    RegisterCommand({"replay",
                     "--variant V --stones N --head 0|1 --first P MOVE...  play places 1..14 (0 = pass) "
                     "from the start position, one position per line",
                     RunReplay}) &&
    RegisterCommand(
        {"choose",
         "(--position TEXT | --variant V --stones N --head 0|1 --player P --mulden m1,...,m14) "
         "--level 1..4 [--time-ms T] [--seed S] [--tables DIR]  the computer's pit, the pits tied "
         "for best and their score (level 4: the Master, thinking T ms, 1..10000, default 1000)",
         RunChoose}) &&
    RegisterCommand(
        {"analyse",
         "(--position TEXT | --variant V --stones N --head 0|1 --player P --mulden m1,...,m14) "
         "[--depth D | --time-ms T] [--tables DIR]  the Master's value and expected line for every "
         "legal pit, then the best pit",
         RunAnalyse}) &&
    RegisterCommand({"selfplay",
                     "--variant V --stones N --head 0|1 --level1 1..4 --level2 1..4 --games G [--time-ms T] "
                     "[--seed S] [--max-moves K] [--first P] [--tables DIR]  computer against computer",
                     RunSelfplay});

} // namespace
} // namespace kelani::tool
