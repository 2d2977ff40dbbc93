// kelanitool online: the computer plays one whole game on the play service, creating it or joining
// it by invite code, without a window.
#include "tools/kelanitool/KelaniTool.h"
#include "tools/kelanitool/uOnlineSeat.h"

#include <boost/asio/io_context.hpp>

#include <iostream>

namespace kelani::tool {
namespace {

constexpr int kExitGaveUp = 3;
constexpr int kExitRefused = 4;

const std::vector<std::string> kCreateOptions = {"--variant", "--stones", "--head", "--clock", "--seconds"};

TOnlineGameOptions GameOptions(const Args& args) {
    TOnlineGameOptions options;
    options.variant = IntOption(args, "--variant", 4, 6, 4);
    options.stones = IntOption(args, "--stones", 3, 8, 4);
    options.head = IntOption(args, "--head", 0, 1, 1);
    if (const std::string* clock = FindOption(args, "--clock")) options.clock = *clock;
    if (options.clock != "none" && options.clock != "move" && options.clock != "game")
        throw UsageError("--clock must be none, move or game");
    if (options.clock == "none" && FindOption(args, "--seconds"))
        throw UsageError("--seconds needs --clock move or game");
    if (options.clock != "none") options.seconds = IntOption(args, "--seconds", 10, 7200);
    return options;
}

// How this seat comes in: --create with the game's settings, or --join with an invite code.
void Entry(const Args& args, TOnlineSeatConfig& config) {
    const std::string* code = FindOption(args, "--join");
    const bool create = HasFlag(args, "--create");
    if (create == (code != nullptr)) throw UsageError("give either --create or --join CODE");
    if (create) {
        config.create = GameOptions(args);
        return;
    }
    for (const std::string& option : kCreateOptions)
        if (FindOption(args, option)) throw UsageError(option + " belongs to --create, not --join");
    config.code = *code;
}

std::string JsonSummary(const TOnlineSummary& summary) {
    std::string moves = "[", stores = "[";
    for (size_t k = 0; k < summary.moves.size(); ++k)
        moves += (k ? "," : "") + std::to_string(summary.moves[k]);
    for (size_t k = 0; k < summary.stores.size(); ++k)
        stores += (k ? "," : "") + std::to_string(summary.stores[k]);
    return "{\"game\":" + JsonString(summary.game) + ",\"seat\":" + std::to_string(summary.seat) +
           ",\"first\":" + std::to_string(summary.first) + ",\"moves\":" + moves +
           "],\"winner\":" + std::to_string(summary.winner) + ",\"reason\":" + JsonString(summary.reason) +
           ",\"stores\":" + stores + "],\"reconnects\":" + std::to_string(summary.reconnects) + "}";
}

int RunOnline(const Args& args) {
    const std::string* server = FindOption(args, "--server");
    if (!server) throw UsageError("--server ws://HOST:PORT/play is required");
    TOnlineSeatConfig config;
    try {
        config.url = ParseOnlineUrl(*server);
    } catch (const std::invalid_argument& e) {
        throw UsageError(std::string("--server: ") + e.what());
    }
    Entry(args, config);
    if (const Args words = Positionals(args, {"--create"}); !words.empty())
        throw UsageError("unexpected word '" + words.front() + "'");
    if (const std::string* name = FindOption(args, "--name")) config.player.name = *name;
    if (const std::string* country = FindOption(args, "--country")) config.player.country = *country;
    config.giveUp = std::chrono::seconds(IntOption(args, "--give-up-s", 1, 86'400, 120));
    config.idle = std::chrono::seconds(IntOption(args, "--idle-s", 1, 600, 20));
    TComputerPlayer computer(IntOption(args, "--level", 1, kMeisterLevel), MasterTime(args),
                             FixedRandom(args));
    config.choose = [&computer](const TFeld& feld) { return computer.Place(feld); };
    config.onCreated = [](const TOnlineSummary& summary) {
        std::cout << "{\"code\":" << JsonString(summary.code)
                  << ",\"link\":" << JsonString("kelani://join/" + summary.code)
                  << ",\"game\":" << JsonString(summary.game) << "}" << std::endl;
    };

    boost::asio::io_context io;
    TOnlineSeat seat(io, std::move(config));
    seat.Start();
    io.run();
    const TOnlineSummary& summary = seat.Summary();
    if (summary.outcome == TSeatOutcome::Finished) {
        std::cout << JsonSummary(summary) << std::endl;
        return 0;
    }
    std::cerr << "kelanitool online: " << summary.problem << "\n";
    return summary.outcome == TSeatOutcome::GaveUp ? kExitGaveUp : kExitRefused;
}

const bool registered = RegisterCommand(
    {"online",
     "--server ws://HOST:PORT/play (--create [--variant 4..6] [--stones 3..8] [--head 0|1] "
     "[--clock none|move|game --seconds S] | --join CODE) --level 1..4 [--time-ms T] [--seed S] "
     "[--name X] [--country C] [--give-up-s S (120)] [--idle-s S (20)]  the computer plays one online "
     "game; prints the invite code on creation and a summary at the end (exit 3: gave up reconnecting, "
     "4: refused)",
     RunOnline});

} // namespace
} // namespace kelani::tool
