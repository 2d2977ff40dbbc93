// How often the Master, with the endgame tables, plays a move of the best exact value: random
// positions of real games (4 stones a pit, random moves from the start until few stones are left
// in the pits, at least two pits to choose from), the Master thinking a fixed time as the game
// lets him (TKI, level 4), each of his moves checked against the exact value of every move, found
// with no time limit (SolveExactly). Prints one JSON line per rule set and head-pit option.
//
//   endgame_strength [--tables DIR | --table-stones N] [--master-stones M] [--variant V]
//                    [--head 0|1] [--positions P] [--from A] [--to B] [--time-ms T] [--most-solved K]
//
// Positions hold A..B stones in the pits (default 1..N, N the table's stones). The Master uses the
// same table, or with --master-stones one of only M stones, so that the exact values of positions
// up to twice his table's stones come from the table itself. --most-solved bounds the positions an
// exact value may look at above the table; positions beyond it are counted as unsolved and left
// out. Without --tables the tables of N stones (default 8) are built first. The budget is clock
// time: give the machine's load with the figures.
#include "game/uEndgameBuild.h"
#include "game/uTKI.h"
#include "records/uEndgameFile.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

namespace {

using namespace kelani;

struct TOptions {
    std::string Tables;
    int TableStones = 8;
    int MasterStones = -1; // -1: the whole table
    int Variante = 0;      // 0: every rule set
    int Head = -1;         // -1: both options
    int Positions = 1000;
    int From = 1, To = 0; // To 0: the table's stones
    int TimeMs = 20;
    long MostSolved = 20'000'000;
};

TOptions Parse(int argc, char** argv) {
    TOptions options;
    for (int k = 1; k + 1 < argc; k += 2) {
        const std::string name = argv[k];
        const char* value = argv[k + 1];
        if (name == "--tables")
            options.Tables = value;
        else if (name == "--table-stones")
            options.TableStones = std::atoi(value);
        else if (name == "--master-stones")
            options.MasterStones = std::atoi(value);
        else if (name == "--variant")
            options.Variante = std::atoi(value);
        else if (name == "--head")
            options.Head = std::atoi(value);
        else if (name == "--positions")
            options.Positions = std::atoi(value);
        else if (name == "--from")
            options.From = std::atoi(value);
        else if (name == "--to")
            options.To = std::atoi(value);
        else if (name == "--time-ms")
            options.TimeMs = std::atoi(value);
        else if (name == "--most-solved")
            options.MostSolved = std::atol(value);
        else
            throw std::invalid_argument("unknown option " + name);
    }
    if (argc % 2 == 0) throw std::invalid_argument("every option takes a value");
    return options;
}

int LegalPits(const TFeld& feld) {
    int legal = 0;
    for (int pit = 1; pit <= 6; ++pit) legal += feld.IsLegalMove(PitIndex(feld.AktSpieler(), pit));
    return legal;
}

// A position of a game played at random from the start until at most `stones` are in the pits;
// nothing when the game ends first or the position leaves no choice.
std::optional<TFeld> RandomPosition(int variante, bool head, int stones, std::mt19937& rng) {
    TFeld feld;
    feld.SetVariante(variante);
    feld.SetUseStirnmulde(head);
    feld.SetSteineProMulde(4);
    feld.Reset();
    feld.SetAktSpieler(1 + static_cast<int>(rng() % 2));
    for (int moves = 0; moves < 2000 && !feld.IsGameOver(); ++moves) {
        if (feld.RowSum(1) + feld.RowSum(2) <= stones)
            return LegalPits(feld) >= 2 ? std::optional(feld) : std::nullopt;
        if (feld.HasNoLegalMove()) {
            feld.Skip();
            continue;
        }
        int place = 0;
        do place = PitIndex(feld.AktSpieler(), 1 + static_cast<int>(rng() % 6));
        while (!feld.IsLegalMove(place));
        feld.DoMove(place);
    }
    return std::nullopt;
}

void Measure(const TOptions& options, const TEndgameTable& table, const TEndgameTable& master) {
    std::mt19937 rng(static_cast<unsigned>(table.Variante() * 2 + table.UseStirnmulde()));
    const int to = options.To > 0 ? options.To : table.MaxStones();
    int measured = 0, optimal = 0, unsolved = 0;
    double exactSeconds = 0, worstExact = 0;
    while (measured < options.Positions) {
        const int stones =
            options.From + static_cast<int>(rng() % static_cast<unsigned>(to - options.From + 1));
        const std::optional<TFeld> feld =
            RandomPosition(table.Variante(), table.UseStirnmulde(), stones, rng);
        if (!feld || feld->RowSum(1) + feld->RowSum(2) < options.From) continue;
        const auto began = std::chrono::steady_clock::now();
        const auto exact = SolveExactly(*feld, table, static_cast<size_t>(options.MostSolved));
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        if (!exact) {
            ++unsolved;
            continue;
        }
        exactSeconds += seconds;
        worstExact = std::max(worstExact, seconds);
        TRandom random([] { return 1u; });
        TKI ki(*feld, random);
        ki.SetLevel(kMeisterLevel);
        ki.SetMasterTime(options.TimeMs);
        ki.SetEndgame(&master);
        const int pit = ki.ChooseMove();
        int best = -1000, chosen = -1000;
        for (const TExactMove& move : *exact) {
            best = std::max(best, move.Margin);
            if (move.Pit == pit) chosen = move.Margin;
        }
        ++measured;
        optimal += chosen == best;
    }
    std::printf(
        "{\"variant\":%d,\"head\":%d,\"master_stones\":%d,\"stones\":[%d,%d],\"time_ms\":%d,\"positions\":%d,"
        "\"optimal\":%d,\"percent\":%.1f,\"unsolved\":%d,\"exact_ms_average\":%.1f,\"exact_ms_worst\":%.0f}"
        "\n",
        table.Variante(), table.UseStirnmulde() ? 1 : 0, master.MaxStones(), options.From, to, options.TimeMs,
        measured, optimal, 100.0 * optimal / std::max(measured, 1), unsolved,
        1000 * exactSeconds / std::max(measured, 1), 1000 * worstExact);
    std::fflush(stdout);
}

std::unique_ptr<TEndgameTable> TableFor(const TOptions& options, int variante, bool head) {
    if (options.Tables.empty())
        return std::make_unique<TEndgameTable>(BuildEndgameTable(variante, head, options.TableStones));
    return LoadEndgameTable(options.Tables, variante, head);
}

} // namespace

int main(int argc, char** argv) {
    try {
        const TOptions options = Parse(argc, argv);
        for (int variante = 1; variante <= 6; ++variante)
            for (int head = 0; head <= 1; ++head) {
                if ((options.Variante && variante != options.Variante) ||
                    (options.Head >= 0 && head != options.Head))
                    continue;
                const std::unique_ptr<TEndgameTable> table = TableFor(options, variante, head == 1);
                if (!table) {
                    std::fprintf(stderr, "no table of rule set %d, head pits %d in %s\n", variante, head,
                                 options.Tables.c_str());
                    continue;
                }
                if (options.MasterStones < 0) {
                    Measure(options, *table, *table);
                    continue;
                }
                Measure(options, *table, BuildEndgameTable(variante, head == 1, options.MasterStones));
            }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "endgame_strength: %s\n", e.what());
        return 2;
    }
}
