// kelanitool kel: inspect and write saved games (*.kel).
//   kel dump FILE
//   kel make OUT --variant V --stones N --head 0|1 --first P [--mode M] [--level L] [--time S]
//            [--name1 T] [--name2 T] [--email1 T] [--email2 T] [--land1 T] [--land2 T] MOVE...
#include "tools/kelanitool/KelaniTool.h"

#include "base/uCodePage.h"
#include "game/uTKI.h"
#include "records/uTHistory.h"

#include <charconv>
#include <iostream>
#include <sstream>

namespace kelani::tool {
namespace {

std::string Text(const std::string& cp1252) {
    return JsonString(Cp1252ToUtf8(cp1252));
}

std::string JsonBool(bool b) {
    return b ? "true" : "false";
}

template <typename Range> std::string JsonArray(const Range& values) {
    std::string out = "[";
    for (const auto& v : values) out += (out.size() > 1 ? "," : "") + std::to_string(v);
    return out + "]";
}

std::string SettingsJson(const THistory& h) {
    std::ostringstream out;
    out << "\"variante\":" << h.Variante << ",\"schwierigkeit\":" << h.Schwierigkeit
        << ",\"startspieler\":" << h.Startspieler << ",\"stirnmulde\":" << JsonBool(h.UseStirnmulde)
        << ",\"steine\":" << int{h.SteineProMulde} << ",\"modus\":" << int{h.Modus}
        << ",\"name1\":" << Text(h.Name1) << ",\"name2\":" << Text(h.Name2)
        << ",\"email1\":" << Text(h.EMail1) << ",\"email2\":" << Text(h.EMail2)
        << ",\"land1\":" << Text(h.Land1) << ",\"land2\":" << Text(h.Land2);
    return out.str();
}

// Written record by record: a long game is not built up as one text first.
void WriteRecordsJson(std::ostream& out, const THistory& h) {
    out << "[";
    for (int i = 0; i < h.Count(); ++i) {
        const TMove& m = h.Moves(i);
        out << (i ? "," : "") << "{\"spieler\":" << m.Spieler << ",\"zeit\":" << m.Zeit
            << ",\"mulde\":" << int{m.Mulde} << "}";
    }
    out << "]";
}

// What replaying the records gives: how many replayed, the position reached, whether it ended.
std::string ReplayJson(const THistory& h) {
    TFeld board;
    const int replayed = h.Replay(board);
    const auto& mulden = board.Mulden();
    return "\"replayed\":" + std::to_string(replayed) + ",\"valid\":" + JsonBool(replayed == h.Count()) +
           ",\"mulden\":" + JsonArray(std::vector<int>(mulden.begin() + 1, mulden.end())) +
           ",\"aktspieler\":" + std::to_string(board.AktSpieler()) +
           ",\"over\":" + JsonBool(board.IsGameOver());
}

int RunDump(const Args& args) {
    const Args files = Positionals(args);
    if (files.size() != 1) throw UsageError("kel dump takes one FILE");
    THistory history;
    if (!history.LoadFromFile(files[0])) throw std::runtime_error("'" + files[0] + "' is not a saved game");
    std::cout << "{\"file\":" << JsonString(files[0]) << "," << SettingsJson(history)
              << ",\"movecount\":" << history.MoveCount() << ",\"playermoves\":"
              << JsonArray(std::vector<int>{history.PlayerMoveCount(1), history.PlayerMoveCount(2)})
              << ",\"playertime\":"
              << JsonArray(std::vector<int>{history.PlayerTime(1), history.PlayerTime(2)}) << ",\"records\":";
    WriteRecordsJson(std::cout, history);
    std::cout << "," << ReplayJson(history) << "}\n";
    return 0;
}

std::string TextOption(const Args& args, const std::string& name, const std::string& fallback) {
    const std::string* value = FindOption(args, name);
    return Utf8ToCp1252(value ? *value : fallback);
}

std::uint8_t ParseMove(const std::string& word) {
    int place = -1;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), place);
    if (ec != std::errc() || end != word.data() + word.size() || place < 0 || place > kPlaces)
        throw UsageError("a MOVE is a place 0..14 (0 passes), not '" + word + "'");
    return static_cast<std::uint8_t>(place);
}

THistory SettingsFromArgs(const Args& args) {
    THistory h;
    h.Init(TextOption(args, "--name1", "Spieler 1"), TextOption(args, "--name2", "Spieler 2"),
           TextOption(args, "--email1", ""), TextOption(args, "--email2", ""),
           TextOption(args, "--land1", "europa"), TextOption(args, "--land2", "europa"),
           IntOption(args, "--variant", 1, 6), IntOption(args, "--head", 0, 1) == 1,
           static_cast<std::uint8_t>(IntOption(args, "--stones", 3, 8)),
           IntOption(args, "--level", 1, kMeisterLevel, 1), IntOption(args, "--first", 1, 2),
           static_cast<std::uint8_t>(IntOption(args, "--mode", 0, 2, 0)));
    return h;
}

int RunMake(const Args& args) {
    const Args words = Positionals(args);
    if (words.empty()) throw UsageError("kel make needs OUT");
    THistory history = SettingsFromArgs(args);
    const int zeit = IntOption(args, "--time", 0, 86400, 0);
    TFeld board;
    history.StartBoard(board);
    for (size_t k = 1; k < words.size(); ++k) {
        const std::uint8_t place = ParseMove(words[k]);
        const int player = board.AktSpieler();
        if (!THistory::PlayRecord(board, place)) {
            std::cout << "{\"error\":\"illegal\",\"move\":" << int{place} << ",\"index\":" << k - 1 << "}\n";
            return 3;
        }
        history.AddMove(zeit, place, player);
    }
    history.SaveToFile(words[0]);
    std::cout << "{\"file\":" << JsonString(words[0]) << ",\"records\":" << history.Count()
              << ",\"over\":" << JsonBool(board.IsGameOver()) << "}\n";
    return 0;
}

int RunKel(const Args& args) {
    if (args.empty())
        throw UsageError("kel dump FILE | kel make OUT --variant V --stones N --head 0|1 --first P MOVE...");
    const Args rest(args.begin() + 1, args.end());
    if (args[0] == "dump") return RunDump(rest);
    if (args[0] == "make") return RunMake(rest);
    throw UsageError("unknown kel command '" + args[0] + "'");
}

const bool registered = RegisterCommand(
    {"kel", "dump FILE | make OUT --variant V --stones N --head 0|1 --first P [...] MOVE...: saved games",
     RunKel});

} // namespace
} // namespace kelani::tool
